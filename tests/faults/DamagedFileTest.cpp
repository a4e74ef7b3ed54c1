// A damaged database file makes the kit over the real engine answer every
// operation with a code and never crash: the file truncated, pages or runs
// of it overwritten with random bytes, the catalog damaged, or the stored
// values themselves replaced by random bytes (which SQLite cannot notice, so
// the engine's and the kit's readers of those bytes must).
#include <sqlite3.h>

#include "FaultsSupport.h"

namespace faults {
namespace {

const unsigned kSeed = 0xda4a6e;
const int kToDos = 24;
const size_t kHeaderBytes = 100;
const int kGarbagePages = 8;
const int kGarbageRuns = 8;
const size_t kRunBytes = 64;
const int kMostReads = 500;
const int kFieldDamages = 2;

// What a probe works on: the kit, the database, and its tips and folder.
struct Target {
    CVAROObj& kit;
    long db;
    const std::vector<long>& toDos;
    long folder;
};

struct Probe {
    const char* name;
    long (*run)(Target& t);
    bool copiesTheFile = false;  // slow, and of interest only when the file itself is damaged
};

// An `int` result of 0 or 1 as a code; anything else is a stray value.
long AsCode(int result) { return result == 0 || result == 1 ? 0 : -1; }

// Every getter a reader of the tip would call, on whatever the record holds.
void ReadEveryField(CVAROObj& kit) {
    using TextGetter = int (CVAROObj::*)(CString&);
    using TimeGetter = int (CVAROObj::*)(CPIMTime&);
    using FlagGetter = int (CVAROObj::*)(int*);
    using BlockGetter = int (CVAROObj::*)(void**, unsigned short*);
    for (TextGetter get : {&CVAROObj::GetMemo, &CVAROObj::GetName, &CVAROObj::GetNameYomi, &CVAROObj::GetOfficeName,
                           &CVAROObj::GetOfficeAddress, &CVAROObj::GetFree1, &CVAROObj::GetFilename,
                           &CVAROObj::GetDayofWeek, &CVAROObj::GetBirthday, &CVAROObj::GetOfficeTel1,
                           &CVAROObj::GetOfficeEmailAddress, &CVAROObj::GetDisplayString, &CVAROObj::GetListMemo}) {
        CString text;
        (kit.*get)(text);
    }
    for (TimeGetter get : {&CVAROObj::GetEntryDay, &CVAROObj::GetCheckDate, &CVAROObj::GetLastModifiedTime,
                           &CVAROObj::GetLimitDay, &CVAROObj::GetDate, &CVAROObj::GetDisplayDate}) {
        CPIMTime when;
        (kit.*get)(when);
    }
    for (FlagGetter get : {&CVAROObj::GetSecret, &CVAROObj::GetCheck, &CVAROObj::GetPriority,
                           &CVAROObj::GetCategory1, &CVAROObj::GetDisplayPosition}) {
        int flag = 0;
        (kit.*get)(&flag);
    }
    for (BlockGetter get : {&CVAROObj::GetPortrait, &CVAROObj::GetData, &CVAROObj::GetImageData}) {
        void* data = nullptr;
        unsigned short length = 0;
        (kit.*get)(&data, &length);
    }
    CSelectTips links;
    kit.GetLinkData(links);
    unsigned short kind = 0;
    kit.GetTipFlag(&kind);
}

long ReadAll(Target& t) {
    long worst = 0;
    for (long tip : t.toDos) {
        const long code = t.kit.GetTip(t.db, 0, tip);
        if (code == 0) ReadEveryField(t.kit);
        if (!IsKnownCode(code)) return code;
        if (code != 0) worst = code;
    }
    return worst;
}

long WalkFukuro(Target& t, long fukuro, const char* search) {
    long code = t.kit.FukuroOpen(t.db, fukuro);
    if (code == 0 && *search) code = t.kit.TipSearch(t.db, fukuro, search, 1);
    for (int i = 0; code == 0 && i < kMostReads; ++i) {
        code = t.kit.ReadTip(t.db, fukuro, 1);
        long tip = 0;
        t.kit.GetTipID(&tip);
        if (code != 0 || tip == 0) break;
        ReadEveryField(t.kit);
    }
    t.kit.FukuroClose(t.db, fukuro);
    return code;
}

long ReadCabinets(Target& t) {
    long code = t.kit.LoadCabCData(t.db);
    const int count = code == 0 ? std::min(t.kit.GetCabCount(), 40) : 0;
    for (int i = 0; code == 0 && i < count; ++i) {
        code = t.kit.LoadKFlCData(t.db, i);
        for (int j = 0; code == 0 && j < t.kit.GetKFlCount() && j < 100; ++j) t.kit.GetKFIFID(j);
    }
    return code;
}

long SortFukuro(Target& t) {
    SortCnd condition = {};
    condition.count = 2;
    memcpy(condition.keys[0].tag, "MEMO", 4);
    memcpy(condition.keys[1].tag, "LTDY", 4);
    condition.keys[1].numeric = 1;
    const long code = t.kit.FukuroSort(t.db, kToDoFukuro, &condition);
    return code == 0 ? t.kit.GetFukuroSortCnd(t.db, kToDoFukuro, &condition) : code;
}

long MakeAndDropFukuro(Target& t) {
    long fukuro = 0;
    CString name;
    long code = t.kit.FukuroCreate(t.db, &fukuro, "probe", 0);
    if (code == 0) code = t.kit.SetFukuroName(t.db, fukuro, "renamed");
    if (code == 0) code = t.kit.GetFukuroName(t.db, fukuro, name);
    return code == 0 ? t.kit.FukuroDelete(t.db, fukuro) : code;
}

long Passwords(Target& t) {
    PASSWD_INF record = {};
    long code = t.kit.GetPasswd(t.db, &record);
    CString secret;
    if (IsKnownCode(code)) code = t.kit.GetSecretPasswd(t.db, secret);
    strcpy(record.text1, "new");
    return IsKnownCode(code) ? t.kit.SetPasswd(t.db, &record) : code;
}

// The memo setter's answer does not matter: a damaged tip may have none.
long Overwrite(Target& t) {
    const long code = t.kit.GetTip(t.db, kToDoFukuro, t.toDos[1]);
    if (code != 0) return code;
    t.kit.SetMemo("overwritten");
    long stored = 0;
    return t.kit.PutTip(t.db, kToDoFukuro, &stored);
}

long RemoveAndUndo(Target& t) {
    CSelectTips tips = Selection(t.toDos[3]);
    const long code = t.kit.RemoveTip(t.db, kToDoFukuro, tips);
    return code == 0 ? t.kit.UndoTip(t.db, tips) : code;
}

long FileAndUnfile(Target& t) {
    CSelectTips tips = Selection(t.toDos[4]);
    const long code = t.kit.PutTipToFukuro(t.db, t.folder, tips);
    return code == 0 ? t.kit.RemoveTipFromFukuro(t.db, t.folder, tips) : code;
}

long Seek(Target& t) {
    long position = 0;
    long code = t.kit.FukuroOpen(t.db, kToDoFukuro);
    if (code == 0) code = t.kit.FukuroSeek(t.db, kToDoFukuro, -3, 2, &position);
    t.kit.FukuroClose(t.db, kToDoFukuro);
    return code;
}

long Backup(Target& t) {
    const long code = t.kit.DBBackup(t.db);
    const long flag = t.kit.CheckBKFlg(t.db);
    return code != 0 ? code : flag != 0 ? flag : t.kit.CheckRestore(t.db);
}

// One after another, in this order: the first opens the database, the last
// closes it; each one's result must be a code.
const Probe kProbes[] = {
    {"Open", [](Target& t) { return t.kit.Open(t.db); }},
    {"DBCheck", [](Target& t) { return t.kit.DBCheck(t.db); }},
    {"GetFukuroSize", [](Target& t) { long size = 0; return t.kit.GetFukuroSize(t.db, kToDoFukuro, &size); }},
    {"GetAllFukuroID", [](Target& t) { CDWordArray ids; return t.kit.GetAllFukuroID(t.db, ids); }},
    {"GetTipList", [](Target& t) { CSelectTips tips; return t.kit.GetTipList(t.db, kToDoFukuro, tips); }},
    {"GetTip", ReadAll},
    {"ReadTip", [](Target& t) { return WalkFukuro(t, kToDoFukuro, ""); }},
    {"ReadTip of holidays", [](Target& t) { return WalkFukuro(t, 0x3008, ""); }},
    {"TipSearch", [](Target& t) { return WalkFukuro(t, kToDoFukuro, "tO-dO 1"); }},
    {"FukuroSeek", Seek},
    {"LoadCabCData", ReadCabinets},
    {"IsSyncFukuro and CancelAllSync",
     [](Target& t) { return AsCode(t.kit.IsSyncFukuro(t.db)) != 0 ? -1 : AsCode(t.kit.CancelAllSync(t.db)); }},
    {"GetDBVersionInfo", [](Target& t) { _VERSIONINF version = {}; return t.kit.GetDBVersionInfo(version, t.db); }},
    {"passwords", Passwords},
    {"PutTip new", [](Target& t) { long tip = 0; return PutNewToDo(t.kit, t.db, "into a damaged file", &tip); }},
    {"PutTip stored", Overwrite},
    {"DupTip", [](Target& t) { long copy = 0; return t.kit.DupTip(t.db, kToDoFukuro, &copy, t.toDos[2]); }},
    {"RemoveTip and UndoTip", RemoveAndUndo},
    {"PutTipToFukuro", FileAndUnfile},
    {"FukuroSort", SortFukuro},
    {"FukuroCreate and Delete", MakeAndDropFukuro},
    {"NotePut", [](Target& t) { return t.kit.NotePut(t.db, t.toDos[5]); }},
    {"PutKFl",
     [](Target& t) {
         long folder = 0;
         const long code = t.kit.LoadCabCData(t.db);
         return code == 0 ? t.kit.PutKFl(t.db, 0, "probe", &folder) : code;
     }},
    {"DBBackup", Backup, true},
    {"Close", [](Target& t) { return t.kit.Close(t.db); }},
};

std::string Garbage(std::mt19937& random, size_t count) {
    std::string bytes(count, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    return bytes;
}

class DamagedFileTest : public FaultsTest {
protected:
    void SetUp() override {
        FaultsTest::SetUp();
        CVAROObj kit;
        ASSERT_TRUE(OpenNewDatabase(kit, "to be damaged", &m_db));
        for (int i = 0; i < kToDos; ++i) {
            long tip = 0;
            const size_t padding = i % 5 == 0 ? 9000 + 997 * static_cast<size_t>(i) : 37 * static_cast<size_t>(i);
            ASSERT_EQ(PutNewToDo(kit, m_db, "to-do " + std::to_string(i) + std::string(padding, '.'), &tip), 0);
            m_toDos.push_back(tip);
        }
        ASSERT_EQ(kit.LoadCabCData(m_db), 0);
        ASSERT_EQ(kit.PutKFl(m_db, 0, "folder", &m_folderTip), 0);
        ASSERT_EQ(kit.NotePut(m_db, m_toDos[0]), 0);
        m_path = DatabasePath(kit, m_db);
        ASSERT_EQ(kit.End(), 1);
        ASSERT_TRUE(ReadFile(m_path, &m_original));
        m_pageSize = (static_cast<uint8_t>(m_original[16]) << 8) | static_cast<uint8_t>(m_original[17]);
        ASSERT_GE(m_pageSize, 512u);
        ASSERT_EQ(m_original.size() % m_pageSize, 0u);
    }

    // Runs every probe on the database as it is now and gives their
    // results; every one must be a code.
    std::vector<long> RunProbes(const std::string& what, bool copies = true) {
        std::vector<long> codes;
        CVAROObj kit;
        EXPECT_EQ(kit.Init(nullptr), 1);
        Target target{kit, m_db, m_toDos, m_folderTip};
        for (const Probe& probe : kProbes) {
            if (probe.copiesTheFile && !copies) continue;
            codes.push_back(probe.run(target));
            EXPECT_TRUE(IsKnownCode(codes.back())) << what << ": " << probe.name << " gave " << codes.back();
        }
        kit.End();
        return codes;
    }

    // Whether Open or DBCheck refused the damaged bytes put in place of the file.
    bool OpenOrCheckFailOn(const std::string& damaged, const std::string& what) {
        EXPECT_TRUE(PutBackDatabase(m_path, damaged));
        const std::vector<long> codes = RunProbes(what);
        return codes[0] != 0 || codes[1] != 0;
    }

    size_t Pages() const { return m_original.size() / m_pageSize; }

    // True for a b-tree page of the original file (1-based page numbers).
    bool IsTreePage(size_t page) const {
        const size_t header = (page - 1) * m_pageSize + (page == 1 ? kHeaderBytes : 0);
        const uint8_t type = static_cast<uint8_t>(m_original[header]);
        return type == 2 || type == 5 || type == 10 || type == 13;
    }

    // True when cutting the file at `length` takes bytes other than zeros
    // from a b-tree page.
    bool CutsATreePage(size_t length) const {
        for (size_t page = 1; page <= Pages(); ++page) {
            const size_t end = page * m_pageSize;
            if (end <= length || !IsTreePage(page)) continue;
            if (m_original.find_first_not_of('\0', std::max(length, end - m_pageSize)) < end) return true;
        }
        return false;
    }

    long m_db = 0;
    std::vector<long> m_toDos;
    long m_folderTip = 0;
    std::string m_path;
    std::string m_original;
    size_t m_pageSize = 0;
};

// The file cut short, or overwritten in its header, in whole pages or in
// short runs. SQLite reads what is cut off as zeros, so cutting only zeros
// or the tail of an overflow page may go unseen, and its check sees garbled
// tree pages but not garbled overflow or free pages; still no operation may
// crash or give a stray value.
TEST_F(DamagedFileTest, ATruncatedOrOverwrittenFileGivesCodesFromEveryOperation) {
    struct Damaged {
        std::string what;
        std::string bytes;
        bool noticed;  // Open or DBCheck must refuse it
    };
    std::vector<Damaged> cases;
    const size_t size = m_original.size();
    for (size_t length : {size_t{0}, size_t{50}, kHeaderBytes, m_pageSize, m_pageSize + 1, size / 3, size / 2,
                          size - m_pageSize, size - 1}) {
        const std::string what = "truncated to " + std::to_string(length);
        cases.push_back({what, m_original.substr(0, length), CutsATreePage(length)});
    }
    std::mt19937 random(kSeed);
    const auto overwritten = [&](size_t offset, size_t count) {
        return std::string(m_original).replace(offset, count, Garbage(random, count));
    };
    cases.push_back({"header overwritten", overwritten(0, kHeaderBytes), true});
    for (int i = 0; i < kGarbagePages; ++i) {
        const size_t page = 1 + random() % Pages();
        cases.push_back({"page " + std::to_string(page) + " overwritten",
                         overwritten((page - 1) * m_pageSize, m_pageSize), IsTreePage(page)});
    }
    for (int i = 0; i < kGarbageRuns; ++i) {
        const size_t offset = random() % (size - kRunBytes);
        cases.push_back({"64 bytes at " + std::to_string(offset), overwritten(offset, kRunBytes), false});
    }
    for (const Damaged& c : cases) {
        const bool refused = OpenOrCheckFailOn(c.bytes, c.what);
        EXPECT_TRUE(refused || !c.noticed) << c.what;
    }
}

// Whatever the catalog holds, the kit answers with codes, and the database
// files it listed are never taken over or overwritten by a new one.
TEST_F(DamagedFileTest, ADamagedCatalogGivesCodesAndLeavesTheDatabaseAlone) {
    const std::string catalog = m_folder + "catalog.sqlite";
    std::string original;
    ASSERT_TRUE(ReadFile(catalog, &original));
    for (const std::string& damaged : {std::string(), original.substr(0, original.size() / 2),
                                       std::string(original.size(), '\x5a')}) {
        const std::string what = "catalog of " + std::to_string(damaged.size()) + " bytes";
        ASSERT_TRUE(PutBackDatabase(catalog, damaged));
        EXPECT_NE(RunProbes(what)[0], 0) << what;
        CVAROObj kit;
        ASSERT_EQ(kit.Init(nullptr), 1);
        CDWordArray ids;
        EXPECT_TRUE(kit.GetAllDBID(ids) == 0 || ids.GetSize() == 0) << what;
        CString name;
        EXPECT_EQ(kit.GetDBName(m_db, name), 0) << what;
        for (int i = 0; i < 2; ++i) {
            long db = 0;
            const long created = kit.Create("on a damaged catalog", &db);
            EXPECT_TRUE(IsKnownCode(created)) << what << ": " << created;
        }
        kit.End();
        std::string database;
        ASSERT_TRUE(ReadFile(m_path, &database));
        EXPECT_TRUE(database == m_original) << what;
    }
}

// One field of a tip's stored record (tag, label length and label, 32-bit
// type, 16-bit data length and data), as byte offsets into the record.
struct RecordField {
    size_t tag, label, labelSize, type, data, dataSize, end;
};

// The fields of a well-formed record; none when it does not parse.
std::vector<RecordField> FieldsOfRecord(const std::string& record) {
    std::vector<RecordField> fields;
    if (record.size() < 2) return fields;
    size_t at = 2;
    for (int i = 0; i < static_cast<uint8_t>(record[1]); ++i) {
        RecordField field;
        field.tag = at;
        if (at + 5 > record.size()) return {};
        field.labelSize = static_cast<uint8_t>(record[at + 4]);
        field.label = at + 5;
        field.type = field.label + field.labelSize;
        if (field.type + 6 > record.size()) return {};
        field.dataSize = static_cast<uint8_t>(record[field.type + 4]) | (static_cast<uint8_t>(record[field.type + 5]) << 8);
        field.data = field.type + 6;
        field.end = field.data + field.dataSize;
        if (field.end > record.size()) return {};
        fields.push_back(field);
        at = field.end;
    }
    return fields;
}

// Lengths written as the record's encoding writes them, wrapped when the
// new bytes are too long for them, which is damage too.
std::string WithPart(const std::string& record, const RecordField& field, const std::string& part,
                     const std::string& value) {
    std::string head = record.substr(0, field.tag);
    const std::string tail = record.substr(field.end);
    std::string tag = record.substr(field.tag, 4), label = record.substr(field.label, field.labelSize);
    std::string type = record.substr(field.type, 4), data = record.substr(field.data, field.dataSize);
    if (part == "drop") return head + tail;
    if (part == "tag") tag = value.substr(0, 4);
    if (part == "label") label = value;
    if (part == "type") type = value.substr(0, 4);
    if (part == "data") data = value;
    const char lengths[] = {static_cast<char>(data.size()), static_cast<char>(data.size() >> 8)};
    return head + tag + static_cast<char>(label.size()) + label + type + std::string(lengths, 2) + data + tail;
}

// set_field(record, tag, slot, part, value): the record with `part` (tag,
// label, type, data, or drop) of every field with that tag (or, for a null
// tag, at that slot; -1 for all) replaced by `value`. A record that does not
// parse comes back as it was.
void SetField(sqlite3_context* context, int, sqlite3_value** args) {
    const char* bytes = static_cast<const char*>(sqlite3_value_blob(args[0]));
    std::string record(bytes ? bytes : "", static_cast<size_t>(sqlite3_value_bytes(args[0])));
    const bool byTag = sqlite3_value_type(args[1]) != SQLITE_NULL;
    const std::string tag = byTag ? reinterpret_cast<const char*>(sqlite3_value_text(args[1])) : "";
    const int64_t slot = sqlite3_value_int64(args[2]);
    const std::string part = reinterpret_cast<const char*>(sqlite3_value_text(args[3]));
    const char* given = static_cast<const char*>(sqlite3_value_blob(args[4]));
    const std::string value(given ? given : "", static_cast<size_t>(sqlite3_value_bytes(args[4])));
    const std::vector<RecordField> fields = FieldsOfRecord(record);
    // From the last field back, so that earlier offsets stay right.
    for (size_t i = fields.size(); i-- > 0;) {
        const bool matches = byTag ? record.compare(fields[i].tag, 4, tag) == 0
                                   : slot < 0 || static_cast<int64_t>(i) == slot;
        if (!matches) continue;
        if (part == "drop") record[1] = static_cast<char>(record[1] - 1);
        record = WithPart(record, fields[i], part, value);
    }
    sqlite3_result_blob(context, record.data(), static_cast<int>(record.size()), SQLITE_TRANSIENT);
}

// Runs `sql` on the database file with ?1 bound to `blob` and set_field
// defined; true when it ran.
bool RunOnFile(const std::string& path, const char* sql, const std::string& blob) {
    sqlite3* handle = nullptr;
    bool ran = sqlite3_open_v2(path.c_str(), &handle, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK;
    ran = ran && sqlite3_create_function(handle, "set_field", 5, SQLITE_UTF8, nullptr, SetField, nullptr,
                                         nullptr) == SQLITE_OK;
    sqlite3_stmt* statement = nullptr;
    ran = ran && sqlite3_prepare_v2(handle, sql, -1, &statement, nullptr) == SQLITE_OK;
    if (ran && sqlite3_bind_parameter_count(statement) > 0) {
        sqlite3_bind_blob(statement, 1, blob.data(), static_cast<int>(blob.size()), SQLITE_TRANSIENT);
    }
    ran = ran && sqlite3_step(statement) == SQLITE_DONE;
    sqlite3_finalize(statement);
    sqlite3_close(handle);
    return ran;
}

// Random bytes in the stored values themselves: SQLite's check passes, so
// only the engine's and the kit's own readers stand between them and a crash.
TEST_F(DamagedFileTest, RandomStoredValuesGiveCodesAndNoCrash) {
    struct Damaging {
        const char* sql;  // ?1 is a random blob
        size_t bytes;
    };
    // Each runs alone on a fresh copy, at a random choice of rows where it
    // names none.
    const Damaging damages[] = {
        {"UPDATE tip SET fields=set_field(fields, NULL, id % 7, 'data', ?1) WHERE id % 3 = 0", 40},
        {"UPDATE tip SET fields=set_field(set_field(fields, NULL, (id + 1) % 6, 'data', ?1),"
         " NULL, (id + 1) % 6, 'type', x'0b000000')", 3},
        {"UPDATE tip SET fields=set_field(set_field(fields, '@FID', -1, 'data', ?1), '@TBL', -1, 'data', ?1)", 160},
        {"UPDATE tip SET fields=set_field(set_field(fields, '@CNT', -1, 'data', ?1), '@DSP', -1, 'data', ?1)", 4},
        {"UPDATE tip SET fields=set_field(set_field(fields, 'LIDS', -1, 'data', ?1), 'LMTM', -1, 'data', ?1)", 15},
        {"UPDATE tip SET fields=set_field(fields, 'TAFL', -1, 'data', ?1)", 2},
        {"UPDATE tip SET fields=set_field(fields, NULL, 3, 'tag', ?1)", 4},
        {"UPDATE tip SET fields=set_field(fields, NULL, 1, 'label', ?1)", 300},
        {"UPDATE tip SET fields=set_field(fields, NULL, 5, 'data', zeroblob(70000)) WHERE id % 2 = 0", 0},
        {"UPDATE tip SET fields=set_field(fields, NULL, 0, 'drop', NULL) WHERE id % 2 = 1", 0},
        {"UPDATE tip SET fields=substr(fields, 1, 1) || x'29' || substr(fields, 3) WHERE id % 3 = 0", 0},
        {"UPDATE tip SET fields=?1 || substr(fields, 2) WHERE id % 2 = 0", 1},
        {"UPDATE tip SET fields=substr(fields, 1, length(fields) - 5) WHERE id % 2 = 1", 0},
        {"UPDATE tip SET fields=fields || ?1 WHERE id % 3 = 1", 3},
        {"UPDATE tip SET fields=?1 WHERE id % 4 = 2", 60},
        {"UPDATE tip SET fields=NULL WHERE id % 4 = 0", 0},
        {"UPDATE fukuro SET sort_condition=?1, name=CAST(?1 AS TEXT)", 29},
        {"UPDATE fukuro SET sort_condition=?1", 5},
        {"UPDATE meta SET value=?1 WHERE key IN ('next_tip', 'next_fukuro', 'password', 'version_major')", 9},
        {"UPDATE meta SET value=-5 WHERE key IN ('next_tip', 'next_fukuro')", 0},
        {"UPDATE meta SET value=2147483647 WHERE key IN ('next_tip', 'next_fukuro')", 0},
        {"UPDATE meta SET value=CAST(?1 AS TEXT) WHERE key='format'", 3},
        {"UPDATE change_log SET fukuros=?1, change=change*31", 7},
        {"UPDATE tip SET stamp=CAST(?1 AS TEXT), trashed=trashed+2", 14},
        {"UPDATE member SET position=0, tip_id=tip_id+1000 WHERE tip_id % 2 = 0", 0},
    };
    std::mt19937 random(kSeed);
    for (const Damaging& damage : damages) {
        // Without random bytes once is enough.
        for (int round = 0; round < (damage.bytes == 0 ? 1 : kFieldDamages); ++round) {
            ASSERT_TRUE(PutBackDatabase(m_path, m_original));
            ASSERT_TRUE(RunOnFile(m_path, damage.sql, Garbage(random, damage.bytes))) << damage.sql;
            std::string damaged;
            ASSERT_TRUE(ReadFile(m_path, &damaged));
            EXPECT_NE(damaged, m_original) << damage.sql;
            RunProbes(damage.sql, false);
        }
    }
}

}  // namespace
}  // namespace faults
