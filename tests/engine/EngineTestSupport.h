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

#include "EngineCodes.h"
#include "EngineInterface.h"
#include "EngineOperations.h"

namespace enginetest {

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

    // Runs every pump hook once.
    void Pump();
    // The messages posted so far with that registered name, then forgets all.
    std::vector<Posted> Take(const char* name);
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

varo::EngineArg I4(int32_t value);
varo::EngineArg Flag(bool value);
varo::EngineArg Text(const char16_t* text);
varo::EngineArg I4Out(int32_t* out);
varo::EngineArg I2Out(int16_t* out);
varo::EngineArg TextOut(char16_t** out);
varo::EngineArg Buffer(void* buffer);
varo::EngineArg Address(void* address);
varo::EngineArg AddressOut(void** out);

int32_t Call(varo::Engine& engine, int op, std::initializer_list<varo::EngineArg> args);

// A field as tests write and read it.
struct Field {
    std::string tag;
    std::string label;
    uint32_t type;
    std::vector<uint8_t> data;
};

std::vector<uint8_t> Bytes(const std::string& text);  // the text and its terminator

// A tip buffer made from fields; valid while the object lives.
class TipBuffer {
public:
    explicit TipBuffer(std::vector<Field> fields);
    void* Address() { return m_pointers.data(); }
    std::vector<Field>& Fields() { return m_fields; }
    // Rebuilds the pointers after Fields() was changed.
    void Refresh();

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

// Copies a tip buffer the engine handed out.
std::vector<Field> ReadBack(void* buffer);
const Field* FindTag(const std::vector<Field>& fields, const char* tag);
std::string TextOf(const Field* field);  // up to the first terminator

std::u16string U16(const std::string& ascii);
// Takes a text handed out by the engine and frees it.
std::u16string Take(varo::Engine& engine, char16_t* text);

std::unique_ptr<varo::Engine> NewEngine(FakeHost& host);

// Every test gets an empty data folder of its own under the sandbox.
class EngineTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Creates a database through `engine` (default: the fixture's).
    int32_t CreateDatabase(const char16_t* name, varo::Engine* engine = nullptr);
    // Stores a new to-do tip in the fukuro and gives its id.
    int32_t PutToDo(int32_t db, int32_t fukuro, const std::string& memo, varo::Engine* engine = nullptr);
    // The fields of a tip read by id.
    std::vector<Field> GetFields(int32_t db, int32_t fukuro, int32_t tip, varo::Engine* engine = nullptr,
                                 int32_t* code = nullptr);
    std::vector<int32_t> TipList(int32_t db, int32_t fukuro, varo::Engine* engine = nullptr);

    std::string m_folder;
    std::unique_ptr<FakeHost> m_host;
    std::unique_ptr<varo::Engine> m_engine;
};

}  // namespace enginetest
