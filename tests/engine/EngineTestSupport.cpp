#include "EngineTestSupport.h"

#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "VaroEngine.h"

namespace enginetest {

using varo::ArgKind;
using varo::EngineArg;

FakeHost* FakeHost::s_current = nullptr;

FakeHost::FakeHost() {
    m_services.postMessage = &FakeHost::PostMessage;
    m_services.registerMessage = &FakeHost::RegisterMessage;
    m_services.addPumpHook = &FakeHost::AddPumpHook;
    m_services.removePumpHook = &FakeHost::RemovePumpHook;
    m_services.queryRootDir = &FakeHost::QueryRootDir;
    s_current = this;
}

FakeHost::~FakeHost() {
    if (s_current == this) s_current = nullptr;
}

void FakeHost::Pump() {
    const auto hooks = m_hooks;
    for (const auto& hook : hooks) hook.second.first(hook.second.second);
}

std::vector<FakeHost::Posted> FakeHost::Take(const char* name) {
    const uint32_t number = Number(name);
    std::vector<Posted> matching;
    for (const Posted& posted : m_posted) {
        if (posted.message == number) matching.push_back(posted);
    }
    m_posted.clear();
    return matching;
}

uint32_t FakeHost::Number(const char* name) {
    auto found = m_numbers.find(name);
    if (found != m_numbers.end()) return found->second;
    const uint32_t number = 0xC000 + static_cast<uint32_t>(m_numbers.size());
    m_numbers.emplace(name, number);
    return number;
}

int FakeHost::PostMessage(void* window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (!s_current || !window) return 0;
    s_current->m_posted.push_back(Posted{window, message, wParam, lParam});
    return 1;
}

uint32_t FakeHost::RegisterMessage(const char* name) { return s_current ? s_current->Number(name) : 0; }

int FakeHost::AddPumpHook(void (*hook)(void*), void* context) {
    if (!s_current) return 0;
    const int id = s_current->m_nextHook++;
    s_current->m_hooks[id] = std::make_pair(hook, context);
    return id;
}

void FakeHost::RemovePumpHook(int id) {
    if (s_current) s_current->m_hooks.erase(id);
}

uint32_t FakeHost::QueryRootDir(char* out, uint32_t size) {
    if (!s_current || s_current->rootDir.empty() || s_current->rootDir.size() + 1 > size) return 0;
    memcpy(out, s_current->rootDir.c_str(), s_current->rootDir.size() + 1);
    return static_cast<uint32_t>(s_current->rootDir.size());
}

EngineArg I4(int32_t value) {
    EngineArg a;
    a.kind = ArgKind::I4;
    a.i4 = value;
    return a;
}

EngineArg Flag(bool value) {
    EngineArg a;
    a.kind = ArgKind::Bool;
    a.flag = value;
    return a;
}

EngineArg Text(const char16_t* text) {
    EngineArg a;
    a.kind = ArgKind::Text;
    a.text = text;
    return a;
}

EngineArg I4Out(int32_t* out) {
    EngineArg a;
    a.kind = ArgKind::I4Out;
    a.i4Out = out;
    return a;
}

EngineArg I2Out(int16_t* out) {
    EngineArg a;
    a.kind = ArgKind::I2Out;
    a.i2Out = out;
    return a;
}

EngineArg TextOut(char16_t** out) {
    EngineArg a;
    a.kind = ArgKind::TextOut;
    a.textOut = out;
    return a;
}

EngineArg Buffer(void* buffer) {
    EngineArg a;
    a.kind = ArgKind::Buffer;
    a.buffer = buffer;
    return a;
}

EngineArg Address(void* address) {
    EngineArg a;
    a.kind = ArgKind::Address;
    a.address = address;
    return a;
}

EngineArg AddressOut(void** out) {
    EngineArg a;
    a.kind = ArgKind::AddressOut;
    a.addressOut = out;
    return a;
}

int32_t Call(varo::Engine& engine, int op, std::initializer_list<EngineArg> args) {
    return engine.Invoke(op, args.begin(), static_cast<int>(args.size()));
}

std::vector<uint8_t> Bytes(const std::string& text) {
    std::vector<uint8_t> bytes(text.begin(), text.end());
    bytes.push_back(0);
    return bytes;
}

TipBuffer::TipBuffer(std::vector<Field> fields) : m_fields(std::move(fields)) { Refresh(); }

void TipBuffer::Refresh() {
    m_entries.assign(m_fields.size(), TIPFIELD());
    m_pointers.clear();
    for (size_t i = 0; i < m_fields.size(); ++i) {
        Field& field = m_fields[i];
        m_entries[i].tag = &field.tag[0];
        m_entries[i].label = &field.label[0];
        m_entries[i].type = field.type;
        m_entries[i].data = field.data.empty() ? nullptr : field.data.data();
        m_entries[i].length = static_cast<uint16_t>(field.data.size());
        m_pointers.push_back(&m_entries[i]);
    }
    m_pointers.push_back(nullptr);
}

std::vector<Field> ToDoFields(const std::string& memo, const std::string& stamp) {
    return {
        {"TAFL", "kind", 0x4000, {0x00, 0x03}},
        {"SCRT", "secret", 9, Bytes("0")},
        {"TCDY", "entry", 6, {}},
        {"MARK", "check", 9, Bytes("0")},
        {"FNDY", "check day", 6, Bytes("20301231")},
        {"MEMO", "\x93\xe0\x97\x65" /* 内容 */, 1, Bytes(memo)},
        {"LTDY", "\x8a\xfa\x8c\xc0" /* 期限 */, 6, Bytes("")},
        {"PRTY", "priority", 8, {}},
        {"ETDY", "display", 6, Bytes("")},
        {"LIDS", "links", 0x4002, {0, 0, 0, 0}},
        {"LMTM", "modified", 6, Bytes(stamp)},
    };
}

std::vector<Field> PreferenceFields(const std::string& name) {
    return {
        {"TAFL", "kind", 0x4000, {0x00, 0x09}},
        {"PFAT", "name", 1, Bytes(name)},
        {"PFDT", "data", 0x4005, {1, 2, 3}},
        {"LMTM", "modified", 6, Bytes("20000101000000")},
    };
}

std::vector<Field> ControlFields(int32_t count, const std::vector<int32_t>& fukuros, size_t entries) {
    auto word = [](int32_t v) {
        const uint32_t u = static_cast<uint32_t>(v);
        return std::vector<uint8_t>{static_cast<uint8_t>(u), static_cast<uint8_t>(u >> 8),
                                    static_cast<uint8_t>(u >> 16), static_cast<uint8_t>(u >> 24)};
    };
    std::vector<uint8_t> ids;
    std::vector<uint8_t> order;
    for (size_t i = 0; i < entries; ++i) {
        const std::vector<uint8_t> id = word(i < fukuros.size() ? fukuros[i] : 0);
        const std::vector<uint8_t> slot = word(i < fukuros.size() ? static_cast<int32_t>(i) : -1);
        ids.insert(ids.end(), id.begin(), id.end());
        order.insert(order.end(), slot.begin(), slot.end());
    }
    return {
        {"@CNT", "", 10, word(count)},
        {"@DSP", "", 10, word(0)},
        {"@FID", "", 10, ids},
        {"@TBL", "", 10, order},
    };
}

std::vector<Field> ReadBack(void* buffer) {
    std::vector<Field> fields;
    TIPFIELD** entries = static_cast<TIPFIELD**>(buffer);
    for (int i = 0; entries && entries[i] && i < 64; ++i) {
        const TIPFIELD& e = *entries[i];
        Field field{e.tag, e.label, e.type, {}};
        if (e.length) field.data.assign(e.data, e.data + e.length);
        fields.push_back(field);
    }
    return fields;
}

const Field* FindTag(const std::vector<Field>& fields, const char* tag) {
    for (const Field& field : fields) {
        if (field.tag == tag) return &field;
    }
    return nullptr;
}

std::string TextOf(const Field* field) {
    if (!field) return "<missing>";
    std::string text(field->data.begin(), field->data.end());
    return text.substr(0, text.find('\0'));
}

std::u16string U16(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

std::u16string Take(varo::Engine& engine, char16_t* text) {
    if (!text) return u"<null>";
    std::u16string copy(text);
    engine.FreeText(text);
    return copy;
}

std::unique_ptr<varo::Engine> NewEngine(FakeHost& host) {
    return std::unique_ptr<varo::Engine>(new varo::engine::VaroEngine(host.Services()));
}

namespace {

int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) { return remove(path); }

std::string SandboxRoot() {
    static const std::string root = [] {
        const char* given = getenv("VARO_DATA_DIR");
        return std::string(given && *given ? given : "/tmp/varo-engine-tests");
    }();
    return root;
}

}  // namespace

void EngineTest::SetUp() {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    m_folder = SandboxRoot() + "/" + info->test_suite_name() + "." + info->name() + "." +
               std::to_string(getpid()) + "/";
    nftw(m_folder.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
    setenv("VARO_DATA_DIR", m_folder.c_str(), 1);
    m_host.reset(new FakeHost);
    m_engine = NewEngine(*m_host);
}

void EngineTest::TearDown() {
    m_engine.reset();
    m_host.reset();
    nftw(m_folder.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
}

int32_t EngineTest::CreateDatabase(const char16_t* name, varo::Engine* engine) {
    int32_t id = 0;
    EXPECT_EQ(varo::kEngineOk, Call(engine ? *engine : *m_engine, varo::kOpCreate, {Text(name), I4Out(&id)}));
    return id;
}

int32_t EngineTest::PutToDo(int32_t db, int32_t fukuro, const std::string& memo, varo::Engine* engine) {
    TipBuffer tip(ToDoFields(memo));
    int32_t id = 0;
    EXPECT_EQ(varo::kEngineOk,
              Call(engine ? *engine : *m_engine, varo::kOpPutTip, {I4(db), I4(fukuro), I4Out(&id), Address(tip.Address())}));
    return id;
}

std::vector<Field> EngineTest::GetFields(int32_t db, int32_t fukuro, int32_t tip, varo::Engine* engine,
                                         int32_t* code) {
    varo::Engine& e = engine ? *engine : *m_engine;
    void* buffer = nullptr;
    const int32_t result = Call(e, varo::kOpGetTip, {I4(db), I4(fukuro), I4(tip), AddressOut(&buffer)});
    if (code) *code = result;
    if (result != varo::kEngineOk) return {};
    std::vector<Field> fields = ReadBack(buffer);
    EXPECT_EQ(varo::kEngineOk, Call(e, varo::kOpReleaseTip, {I4(db), Address(buffer)}));
    return fields;
}

std::vector<int32_t> EngineTest::TipList(int32_t db, int32_t fukuro, varo::Engine* engine) {
    varo::Engine& e = engine ? *engine : *m_engine;
    int32_t count = 0;
    EXPECT_EQ(varo::kEngineOk, Call(e, varo::kOpGetTipList, {I4(db), I4(fukuro), Buffer(nullptr), I4Out(&count)}));
    std::vector<int32_t> ids(static_cast<size_t>(count) + 1, -1);
    EXPECT_EQ(varo::kEngineOk, Call(e, varo::kOpGetTipList, {I4(db), I4(fukuro), Buffer(ids.data()), I4Out(&count)}));
    ids.resize(static_cast<size_t>(count));
    return ids;
}

}  // namespace enginetest
