// The kit's side of the engine boundary: CEngineHost owns one engine
// instance and the hidden window that stands for its control, and makes every
// engine call by operation number.
//
// Call checks the arguments against the operation table, converts texts
// (Shift-JIS in, UTF-16 across, Shift-JIS out), narrows and widens 32-bit
// values, calls the engine and returns its result. Without an engine it
// returns kEngineNoEngine for operations with a code result and 0 for the
// boolean ones, and calls nothing. An argument that the engine reads and that
// cannot cross unaltered (a long outside 32 bits, a text that is not code
// page 932) makes the call fail the same way with kEngineBadArgument (0 for
// booleans) and leaves every output untouched. A long the engine only writes
// may hold anything before the call: a value outside 32 bits crosses as 0,
// and the caller's long receives whatever the engine wrote.
//
// Internal to the kit; one thread, the one that called Start.
#pragma once

#include <initializer_list>

#include "CString.h"
#include "EngineInterface.h"
#include "Window.h"

// One argument of an engine call as the kit holds it.
struct HostArg {
    enum class Kind {
        I4, U4, Bool, Text, LongOut, I4Out, I2Out, TextOut, Buffer, Address, AddressOut,
    };
    Kind kind;
    union {
        long value;
        unsigned long unsignedValue;
        const CString* text;
        long* longOut;
        int32_t* i4Out;
        short* i2Out;
        CString* textOut;
        void* pointer;
        void** pointerOut;
    };
};

inline HostArg ArgI4(long v) { HostArg a; a.kind = HostArg::Kind::I4; a.value = v; return a; }
inline HostArg ArgU4(unsigned long v) { HostArg a; a.kind = HostArg::Kind::U4; a.unsignedValue = v; return a; }
inline HostArg ArgBool(int v) { HostArg a; a.kind = HostArg::Kind::Bool; a.value = v; return a; }
inline HostArg ArgText(const CString& t) { HostArg a; a.kind = HostArg::Kind::Text; a.text = &t; return a; }
inline HostArg ArgOut(long* p) { HostArg a; a.kind = HostArg::Kind::LongOut; a.longOut = p; return a; }
inline HostArg ArgOut(int32_t* p) { HostArg a; a.kind = HostArg::Kind::I4Out; a.i4Out = p; return a; }
inline HostArg ArgOut(short* p) { HostArg a; a.kind = HostArg::Kind::I2Out; a.i2Out = p; return a; }
inline HostArg ArgTextOut(CString* t) { HostArg a; a.kind = HostArg::Kind::TextOut; a.textOut = t; return a; }
inline HostArg ArgBuffer(void* p) { HostArg a; a.kind = HostArg::Kind::Buffer; a.pointer = p; return a; }
inline HostArg ArgAddress(void* p) { HostArg a; a.kind = HostArg::Kind::Address; a.pointer = p; return a; }
inline HostArg ArgAddressOut(void** p) { HostArg a; a.kind = HostArg::Kind::AddressOut; a.pointerOut = p; return a; }

class CEngineHost : public CWnd {
public:
    CEngineHost() = default;
    ~CEngineHost() override;

    // Creates the engine and the hidden window (child of parent when given);
    // FALSE, with nothing created, when either fails or when already started.
    BOOL Start(CWnd* parent);
    // Destroys the engine and the window; FALSE when not started.
    BOOL Stop();
    bool HasEngine() const { return m_engine != nullptr; }

    int32_t Call(int op, std::initializer_list<HostArg> args);

private:
    varo::Engine* m_engine = nullptr;
};
