// Helpers for the engine's tests: a fake host that records posted messages
// and runs pump hooks, argument builders, tip buffers built from plain
// fields, and a fixture giving every test its own data folder.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "EngineCallArgs.h"
#include "EngineCodes.h"
#include "EngineInterface.h"
#include "EngineOperations.h"
#include "ServerSandbox.h"

namespace enginetest {

const int32_t kToDo = 0x300C;
const int32_t kMemo = 0x300B;

// The host services of a test process. One FakeHost is current at a time;
// the function pointers it hands out reach it through a global.
class FakeHost {
public:
    struct Posted {
        void* window;
        uint32_t message;
        uintptr_t wParam;
        intptr_t lParam;
    };

    FakeHost();
    ~FakeHost();
    const varo::HostServices* Services() const { return &m_services; }

    // Runs every pump hook once, then gives the messages posted so far with
    // that registered name and forgets all.
    std::vector<Posted> Pumped(const char* name);
    uint32_t Number(const char* name);
    size_t HookCount() const { return m_hooks.size(); }

    std::string rootDir;

private:
    static FakeHost* s_current;
    static int PostMessage(void* window, uint32_t message, uintptr_t wParam, intptr_t lParam);
    static uint32_t RegisterMessage(const char* name);
    static int AddPumpHook(void (*hook)(void*), void* context);
    static void RemovePumpHook(int id);
    static uint32_t QueryRootDir(char* out, uint32_t size);

    varo::HostServices m_services;
    std::vector<Posted> m_posted;
    std::map<std::string, uint32_t> m_numbers;
    std::map<int, std::pair<void (*)(void*), void*>> m_hooks;
    int m_nextHook = 1;
};

using namespace engineargs;

int32_t Call(varo::Engine& engine, int op, std::initializer_list<varo::EngineArg> args);

// A field as tests write and read it.
struct Field {
    std::string tag;
    std::string label;
    uint32_t type;
    std::vector<uint8_t> data;
};

std::vector<uint8_t> Bytes(const std::string& text);  // the text and its terminator
uint32_t WordAt(const uint8_t* at);                     // 32-bit little-endian

// A tip buffer made from fields; valid while the object lives.
class TipBuffer {
public:
    explicit TipBuffer(std::vector<Field> fields);
    void* Address() { return m_pointers.data(); }
    const std::vector<Field>& Fields() const { return m_fields; }

private:
    std::vector<Field> m_fields;
    std::vector<TIPFIELD> m_entries;
    std::vector<TIPFIELD*> m_pointers;
};

// A to-do tip (kind 0x300) with its eleven fields in schema order.
std::vector<Field> ToDoFields(const std::string& memo, const std::string& stamp = "20000101000000");
// A preference tip (kind 0x900) named "Category", "Free" or anything else.
std::vector<Field> PreferenceFields(const std::string& name);
// A control tip with `entries` table entries.
std::vector<Field> ControlFields(int32_t count, const std::vector<int32_t>& fukuros, size_t entries);

// A 29-byte sort condition: a key count, then per key its tag, direction and
// comparison, 7 bytes each.
struct SortKeyBytes {
    const char* tag;
    uint8_t descending;
    uint8_t numeric;
};
std::vector<uint8_t> SortCondition(std::initializer_list<SortKeyBytes> keys);

// Copies a tip buffer the engine handed out.
std::vector<Field> ReadBack(void* buffer);
const Field* FindTag(const std::vector<Field>& fields, const char* tag);
std::string TextOf(const Field* field);  // up to the first terminator

std::u16string U16(const std::string& ascii);
// Takes a text handed out by the engine and frees it.
std::u16string Take(varo::Engine& engine, char16_t* text);

std::unique_ptr<varo::Engine> NewEngine(FakeHost& host);

// Every test gets an empty data folder of its own under the sandbox. The
// helpers act through `engine`, the fixture's own when it is null.
class EngineTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    varo::Engine& Use(varo::Engine* engine) { return engine ? *engine : *m_engine; }
    int32_t CreateDatabase(const char16_t* name, varo::Engine* engine = nullptr);
    // Open or LockOpen (`op`) of a database; the result code.
    int32_t OpenDb(int32_t db, varo::Engine* engine = nullptr, int op = varo::kOpOpen, int16_t* flag = nullptr);
    // A second engine instance on the fixture's host with the database open.
    std::unique_ptr<varo::Engine> OpenedEngine(int32_t db);
    // PutTip of `fields` over tip `id` (0: a new one); the result code.
    int32_t PutTip(int32_t db, int32_t fukuro, int32_t id, const std::vector<Field>& fields,
                   varo::Engine* engine = nullptr, int32_t* given = nullptr);
    // Stores a new to-do tip in the fukuro and gives its id.
    int32_t PutToDo(int32_t db, int32_t fukuro, const std::string& memo, varo::Engine* engine = nullptr);
    // The fields of a tip read by id; none when GetTip fails.
    std::vector<Field> GetFields(int32_t db, int32_t fukuro, int32_t tip, varo::Engine* engine = nullptr);
    int32_t GetCode(int32_t db, int32_t fukuro, int32_t tip);  // the result of GetTip
    std::string Memo(int32_t db, int32_t fukuro, int32_t tip, varo::Engine* engine = nullptr);
    std::vector<int32_t> TipList(int32_t db, int32_t fukuro, varo::Engine* engine = nullptr);
    // Runs `op` with an I4Out (GetI4) or a TextOut (GetText) after `args`: the
    // value handed out, or -1 / u"<failed>" when the call does not succeed.
    int32_t GetI4(int op, std::vector<varo::EngineArg> args, varo::Engine* engine = nullptr);
    std::u16string GetText(int op, std::vector<varo::EngineArg> args);
    std::u16string DBName(int32_t db) { return GetText(varo::kOpGetDBName, {I4(db)}); }
    // GetDBLocation: 1 the file, 2 the documents folder; "<failed>" when refused.
    std::string Location(int32_t db, int32_t which = 1);

    std::string m_folder;
    // Declared before the engines, which must be gone when it drops the database.
    std::unique_ptr<servertest::ServerSandbox> m_server;
    std::unique_ptr<FakeHost> m_host;
    std::unique_ptr<varo::Engine> m_engine;
};

}  // namespace enginetest
