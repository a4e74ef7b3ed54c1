// The boundary between the kit and its database engine.
//
// The engine is a separate component (the shared object VARO.ocx) that the
// kit loads at Init and drives through numbered operations 1 to 81. Each call
// carries positional arguments whose kinds are fixed per operation by the
// table in EngineOperations.h; both sides check calls against that table.
//
// Ownership across the boundary:
// - Texts handed in (ArgKind::Text) are UTF-16, zero-terminated, owned by the
//   caller and valid for the call only.
// - Texts handed out (ArgKind::TextOut) are allocated by the engine; the
//   caller converts them and gives them back with FreeText. On failure the
//   engine leaves the out pointer null.
// - Tip buffers handed out through ArgKind::AddressOut (ReadTip, GetTip) stay
//   the engine's until ReleaseTip; the list of GetAllFukuroID stays the
//   engine's until its next call. Buffers handed in (ArgKind::Buffer,
//   ArgKind::Address) stay the caller's. The one write into a tip buffer
//   handed in: a successful PutTip copies the LMTM stamp it stored into the
//   buffer's LMTM entry when that entry has room for exactly the 14 digits
//   and terminator, so that the caller holds the stamp now stored.
// - Tip field data is bytes and is never converted.
//
// Threads: an engine instance is used by one thread at a time, the thread
// that created it.
#pragma once

#include <cstdint>

// One field of a tip, the layout shared by the kit's tip record and the
// engine's tip buffers. A tip buffer is a null-terminated array of
// TIPFIELD pointers whose entry 0 is the kind field "TAFL".
struct TIPFIELD {
    char* tag;        // 4 characters and a terminator
    char* label;      // Shift-JIS, zero-terminated
    uint32_t type;    // how the data is encoded
    uint8_t* data;    // `length` bytes, or null
    uint16_t length;  // texts count their terminator
};

namespace varo {

enum class ArgKind : uint8_t {
    I4,          // 32-bit integer in
    Bool,        // boolean in
    Text,        // UTF-16 text in
    I4Out,       // address of a 32-bit integer the engine reads and writes
    I2Out,       // address of a 16-bit integer the engine writes
    TextOut,     // address of a char16_t* the engine fills with a new text
    Buffer,      // address of a caller's buffer (records, id lists), may be null
    Address,     // a pointer-sized value in: a tip buffer, a window, a notice
    AddressOut,  // address of a pointer the engine fills (tip buffer, list)
};

enum class ResultKind : uint8_t {
    Code,  // 0 for success, else an error code
    Bool,  // 1 for success or true
    None,
};

struct EngineArg {
    ArgKind kind;
    union {
        int32_t i4;
        bool flag;
        const char16_t* text;
        int32_t* i4Out;
        int16_t* i2Out;
        char16_t** textOut;
        void* buffer;
        void* address;
        void** addressOut;
    };
};

class Engine {
public:
    virtual ~Engine() = default;

    // Runs operation `op` with `count` arguments. The result follows the
    // operation's result kind; for ResultKind::None it is 0.
    virtual int32_t Invoke(int op, const EngineArg* args, int count) = 0;

    // Releases a text handed out through ArgKind::TextOut.
    virtual void FreeText(char16_t* text) = 0;
};

// The watch list of SetAdviseData and DelAdviseData as it crosses: the
// kit flattens its list of item pointers into this form, valid for the call.
// In each item 0 means any database, fukuro or tip.
struct WatchItem {
    int32_t db;
    int32_t fukuro;
    int32_t tip;
};
struct WatchList {
    int32_t count;
    const WatchItem* items;
};

// What the hosting process lends the engine. The engine is a separate shared
// object: it must reach the process's one window layer and registry through
// these, never through copies of its own. Every member is set.
struct HostServices {
    // Posts a message to a window of this process; 0 when the window is gone.
    int (*postMessage)(void* window, uint32_t message, uintptr_t wParam, intptr_t lParam);
    // The process-wide number of a registered message name, 0 on failure.
    uint32_t (*registerMessage)(const char* name);
    // Runs hook(context) whenever the application pumps its messages;
    // returns an id for removePumpHook.
    int (*addPumpHook)(void (*hook)(void* context), void* context);
    void (*removePumpHook)(int id);
    // Copies the suite folder (the registry value ROOTDIR, UTF-8, with its
    // final separator) into out and returns its length; 0 when there is none
    // or it does not fit in `size` bytes with its terminator.
    uint32_t (*queryRootDir)(char* out, uint32_t size);
};

}  // namespace varo

// The two functions the engine shared object exports. `host` stays valid for
// the engine's whole life.
extern "C" {
typedef varo::Engine* (*VaroEngineCreateFn)(const varo::HostServices* host);
typedef void (*VaroEngineDestroyFn)(varo::Engine* engine);
}

#define VARO_ENGINE_CREATE_SYMBOL "VaroEngineCreate"
#define VARO_ENGINE_DESTROY_SYMBOL "VaroEngineDestroy"

// The engine file's name, loaded from the suite folder.
#define VARO_ENGINE_FILE_NAME "VARO.ocx"
