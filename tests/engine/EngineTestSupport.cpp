#include "EngineTestSupport.h"

#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "VaroEngine.h"

namespace enginetest {

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

std::vector<FakeHost::Posted> FakeHost::Pumped(const char* name) {
    const auto hooks = m_hooks;
    for (const auto& hook : hooks) hook.second.first(hook.second.second);
    const uint32_t number = Number(name);
    std::vector<Posted> matching;
    for (const Posted& posted : m_posted) {
        if (posted.message == number) matching.push_back(posted);
    }
    m_posted.clear();
    return matching;
}

uint32_t FakeHost::Number(const char* name) {
    return m_numbers.emplace(name, 0xC000 + static_cast<uint32_t>(m_numbers.size())).first->second;
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

int32_t Call(varo::Engine& engine, int op, std::initializer_list<EngineArg> args) {
    return engine.Invoke(op, args.begin(), static_cast<int>(args.size()));
}

std::vector<uint8_t> Bytes(const std::string& text) {
    std::vector<uint8_t> bytes(text.begin(), text.end());
    bytes.push_back(0);
    return bytes;
}

uint32_t WordAt(const uint8_t* at) {
    return at[0] | (at[1] << 8) | (at[2] << 16) | (static_cast<uint32_t>(at[3]) << 24);
}

TipBuffer::TipBuffer(std::vector<Field> fields) : m_fields(std::move(fields)), m_entries(m_fields.size()) {
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

namespace {

void AppendWord(std::vector<uint8_t>* out, int32_t value) {
    for (int shift = 0; shift < 32; shift += 8) out->push_back(static_cast<uint8_t>(static_cast<uint32_t>(value) >> shift));
}

}  // namespace

std::vector<Field> ControlFields(int32_t count, const std::vector<int32_t>& fukuros, size_t entries) {
    std::vector<uint8_t> counted, shown, ids, order;
    AppendWord(&counted, count);
    AppendWord(&shown, 0);
    for (size_t i = 0; i < entries; ++i) {
        const bool used = i < fukuros.size();
        AppendWord(&ids, used ? fukuros[i] : 0);
        AppendWord(&order, used ? static_cast<int32_t>(i) : -1);
    }
    return {{"@CNT", "", 10, counted}, {"@DSP", "", 10, shown}, {"@FID", "", 10, ids}, {"@TBL", "", 10, order}};
}

std::vector<uint8_t> SortCondition(std::initializer_list<SortKeyBytes> keys) {
    std::vector<uint8_t> bytes(29, 0);
    bytes[0] = static_cast<uint8_t>(keys.size());
    size_t at = 1;
    for (const SortKeyBytes& key : keys) {
        memcpy(&bytes[at], key.tag, 4);
        bytes[at + 4] = key.descending;
        bytes[at + 5] = key.numeric;
        at += 7;
    }
    return bytes;
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
    m_server.reset(new servertest::ServerSandbox);
    m_host.reset(new FakeHost);
    m_engine = NewEngine(*m_host);
}

void EngineTest::TearDown() {
    m_engine.reset();
    m_host.reset();
    m_server.reset();
    nftw(m_folder.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
}

int32_t EngineTest::CreateDatabase(const char16_t* name, varo::Engine* engine) {
    int32_t id = 0;
    EXPECT_EQ(varo::kEngineOk, Call(Use(engine), varo::kOpCreate, {Text(name), I4Out(&id)}));
    return id;
}

int32_t EngineTest::OpenDb(int32_t db, varo::Engine* engine, int op, int16_t* flag) {
    int16_t ignored = 0;
    return Call(Use(engine), op, {I4(db), I2Out(flag ? flag : &ignored)});
}

std::unique_ptr<varo::Engine> EngineTest::OpenedEngine(int32_t db) {
    std::unique_ptr<varo::Engine> engine = NewEngine(*m_host);
    EXPECT_EQ(varo::kEngineOk, OpenDb(db, engine.get()));
    return engine;
}

int32_t EngineTest::PutTip(int32_t db, int32_t fukuro, int32_t id, const std::vector<Field>& fields,
                           varo::Engine* engine, int32_t* given) {
    TipBuffer tip(fields);
    const int32_t code = Call(Use(engine), varo::kOpPutTip, {I4(db), I4(fukuro), I4Out(&id), Address(tip.Address())});
    if (given) *given = id;
    return code;
}

int32_t EngineTest::PutToDo(int32_t db, int32_t fukuro, const std::string& memo, varo::Engine* engine) {
    int32_t id = 0;
    EXPECT_EQ(varo::kEngineOk, PutTip(db, fukuro, 0, ToDoFields(memo), engine, &id));
    return id;
}

std::vector<Field> EngineTest::GetFields(int32_t db, int32_t fukuro, int32_t tip, varo::Engine* engine) {
    void* buffer = nullptr;
    if (Call(Use(engine), varo::kOpGetTip, {I4(db), I4(fukuro), I4(tip), AddressOut(&buffer)}) != varo::kEngineOk) return {};
    std::vector<Field> fields = ReadBack(buffer);
    EXPECT_EQ(varo::kEngineOk, Call(Use(engine), varo::kOpReleaseTip, {I4(db), Address(buffer)}));
    return fields;
}

int32_t EngineTest::GetCode(int32_t db, int32_t fukuro, int32_t tip) {
    void* buffer = nullptr;
    const int32_t code = Call(*m_engine, varo::kOpGetTip, {I4(db), I4(fukuro), I4(tip), AddressOut(&buffer)});
    if (buffer) Call(*m_engine, varo::kOpReleaseTip, {I4(db), Address(buffer)});
    return code;
}

std::string EngineTest::Memo(int32_t db, int32_t fukuro, int32_t tip, varo::Engine* engine) {
    return TextOf(FindTag(GetFields(db, fukuro, tip, engine), "MEMO"));
}

std::vector<int32_t> EngineTest::TipList(int32_t db, int32_t fukuro, varo::Engine* engine) {
    varo::Engine& e = Use(engine);
    int32_t count = 0;
    EXPECT_EQ(varo::kEngineOk, Call(e, varo::kOpGetTipList, {I4(db), I4(fukuro), Buffer(nullptr), I4Out(&count)}));
    std::vector<int32_t> ids(static_cast<size_t>(count) + 1, -1);
    EXPECT_EQ(varo::kEngineOk, Call(e, varo::kOpGetTipList, {I4(db), I4(fukuro), Buffer(ids.data()), I4Out(&count)}));
    ids.resize(static_cast<size_t>(count));
    return ids;
}

namespace {

int32_t Invoke(varo::Engine& engine, int op, const std::vector<EngineArg>& args) {
    return engine.Invoke(op, args.data(), static_cast<int>(args.size()));
}

// What `op` answers when it succeeds.
int32_t Success(int op) {
    const varo::OperationInfo* info = varo::FindOperation(op);
    return info && info->result == varo::ResultKind::Bool ? 1 : varo::kEngineOk;
}

}  // namespace

int32_t EngineTest::GetI4(int op, std::vector<EngineArg> args, varo::Engine* engine) {
    int32_t value = 0;
    args.push_back(I4Out(&value));
    return Invoke(Use(engine), op, args) == Success(op) ? value : -1;
}

std::u16string EngineTest::GetText(int op, std::vector<EngineArg> args) {
    char16_t* text = nullptr;
    args.push_back(TextOut(&text));
    const bool done = Invoke(*m_engine, op, args) == Success(op);
    const std::u16string taken = Take(*m_engine, text);
    return done ? taken : u"<failed>";
}

std::string EngineTest::Location(int32_t db, int32_t which) {
    const std::u16string wide = GetText(varo::kOpGetDBLocation, {I4(db), I4(which)});
    return std::string(wide.begin(), wide.end());
}

}  // namespace enginetest
