// A database file of the first format, which kept one row per field, made
// here from that format's own tables, and one of the second, whose member
// rows were keyed by fukuro: opened for writing each is converted in place
// with every tip, fukuro, order, trash entry and value kept; opened
// read-only each is read as it is.
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "EngineTestSupport.h"
#include "FaultVfs.h"

namespace enginetest {
namespace {

using namespace varo;

const char kFieldRowsSchema[] =
    "PRAGMA application_id=1447121487;"
    "CREATE TABLE meta(key TEXT PRIMARY KEY, value) WITHOUT ROWID;"
    "CREATE TABLE fukuro(id INTEGER PRIMARY KEY, name TEXT NOT NULL DEFAULT '',"
    " kind INTEGER NOT NULL DEFAULT 0, fixed INTEGER NOT NULL DEFAULT 0, sort_condition BLOB);"
    "CREATE TABLE tip(id INTEGER PRIMARY KEY, stamp TEXT NOT NULL DEFAULT '',"
    " trashed INTEGER NOT NULL DEFAULT 0);"
    "CREATE TABLE field(tip_id INTEGER NOT NULL REFERENCES tip(id) ON DELETE CASCADE,"
    " slot INTEGER NOT NULL, tag BLOB NOT NULL, label BLOB NOT NULL, type INTEGER NOT NULL, data BLOB,"
    " PRIMARY KEY(tip_id, slot)) WITHOUT ROWID;"
    "CREATE TABLE member(fukuro_id INTEGER NOT NULL REFERENCES fukuro(id) ON DELETE CASCADE,"
    " tip_id INTEGER NOT NULL REFERENCES tip(id) ON DELETE CASCADE, position INTEGER NOT NULL,"
    " PRIMARY KEY(fukuro_id, tip_id)) WITHOUT ROWID;"
    "CREATE INDEX member_order ON member(fukuro_id, position, tip_id);"
    "CREATE INDEX member_tip ON member(tip_id);"
    "CREATE TABLE trash(tip_id INTEGER NOT NULL REFERENCES tip(id) ON DELETE CASCADE,"
    " fukuro_id INTEGER NOT NULL REFERENCES fukuro(id) ON DELETE CASCADE, position INTEGER NOT NULL,"
    " PRIMARY KEY(tip_id, fukuro_id)) WITHOUT ROWID;"
    "CREATE INDEX trash_fukuro ON trash(fukuro_id);"
    "CREATE TABLE change_log(seq INTEGER PRIMARY KEY, tip_id INTEGER NOT NULL, change INTEGER NOT NULL,"
    " topic INTEGER NOT NULL, fukuros BLOB NOT NULL);";

const int32_t kFolder = 0x4000;
const int32_t kNextTip = 12;

struct OldTip {
    int32_t id;
    std::vector<Field> fields;
    bool trashed;
};

// Two to-dos in the to-do fukuro (stored out of id order), one of them in a
// fukuro of its own too, a preference tip, a trashed to-do and a tip whose
// rows were already damaged (41 of them).
std::vector<OldTip> OldTips() {
    std::vector<Field> damaged = ToDoFields("damaged");
    damaged.resize(41, damaged.back());
    return {
        {3, ToDoFields("first", "20200101101010"), false},
        {5, ToDoFields("second", "20210202111111"), false},
        {7, PreferenceFields("Category"), false},
        {9, ToDoFields("thrown away", "20220303121212"), true},
        {10, damaged, false},
    };
}

// The member rows: (fukuro, tip, position).
const int32_t kMembers[][3] = {{kToDo, 5, 1}, {kToDo, 3, 2}, {kFolder, 3, 1}, {0x3000, 7, 1}, {kToDo, 10, 4}};

class Writer {
public:
    explicit Writer(const std::string& path) {
        m_ok = sqlite3_open(path.c_str(), &m_db) == SQLITE_OK &&
               sqlite3_exec(m_db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    ~Writer() { sqlite3_close(m_db); }
    bool Exec(const char* sql) { return m_ok && sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }
    // Runs `sql` with the numbers bound in order; a null blob where `blob` is null.
    bool Run(const char* sql, std::initializer_list<int64_t> numbers, const void* blob = nullptr, size_t size = 0,
             int blobIndex = 0) {
        sqlite3_stmt* statement = nullptr;
        if (!m_ok || sqlite3_prepare_v2(m_db, sql, -1, &statement, nullptr) != SQLITE_OK) return false;
        int index = 1;
        for (int64_t number : numbers) {
            if (index == blobIndex) ++index;
            sqlite3_bind_int64(statement, index++, number);
        }
        if (blobIndex > 0 && blob) sqlite3_bind_blob(statement, blobIndex, blob, static_cast<int>(size), SQLITE_TRANSIENT);
        const bool done = sqlite3_step(statement) == SQLITE_DONE;
        sqlite3_finalize(statement);
        return done;
    }
    bool Field(int32_t tip, int slot, const enginetest::Field& field) {
        sqlite3_stmt* statement = nullptr;
        if (!m_ok || sqlite3_prepare_v2(m_db, "INSERT INTO field VALUES(?1, ?2, ?3, ?4, ?5, ?6)", -1, &statement,
                                        nullptr) != SQLITE_OK) {
            return false;
        }
        sqlite3_bind_int(statement, 1, tip);
        sqlite3_bind_int(statement, 2, slot);
        sqlite3_bind_blob(statement, 3, field.tag.data(), static_cast<int>(field.tag.size()), SQLITE_TRANSIENT);
        sqlite3_bind_blob(statement, 4, field.label.data(), static_cast<int>(field.label.size()), SQLITE_TRANSIENT);
        sqlite3_bind_int64(statement, 5, field.type);
        if (!field.data.empty()) {
            sqlite3_bind_blob(statement, 6, field.data.data(), static_cast<int>(field.data.size()), SQLITE_TRANSIENT);
        }
        const bool done = sqlite3_step(statement) == SQLITE_DONE;
        sqlite3_finalize(statement);
        return done;
    }

private:
    sqlite3* m_db = nullptr;
    bool m_ok = false;
};

std::string StampText(const std::vector<Field>& fields) { return TextOf(FindTag(fields, "LMTM")); }

bool WriteFieldRowsDatabase(const std::string& path, const std::vector<uint8_t>& condition) {
    Writer file(path);
    bool ok = file.Exec(kFieldRowsSchema) && file.Exec("BEGIN");
    for (int32_t id = 0x3000; id <= 0x3016; ++id) ok = ok && file.Run("INSERT INTO fukuro(id, fixed) VALUES(?1, 1)", {id});
    ok = ok && file.Run("INSERT INTO fukuro(id, name, sort_condition) VALUES(?1, 'folder', ?2)", {kFolder},
                        condition.data(), condition.size(), 2);
    ok = ok && file.Exec("INSERT INTO meta VALUES('format', 1), ('version_major', 1), ('version_minor', 0),"
                         " ('next_fukuro', 16385), ('sync_mark', 0), ('name', 'old'),"
                         " ('secret_password', 'hidden'), ('next_tip', 12)");
    for (const OldTip& tip : OldTips()) {
        const std::string insert = "INSERT INTO tip VALUES(?1, '" + StampText(tip.fields) + "', ?2)";
        ok = ok && file.Run(insert.c_str(), {tip.id, tip.trashed ? 1 : 0});
        for (size_t slot = 0; slot < tip.fields.size(); ++slot) ok = ok && file.Field(tip.id, static_cast<int>(slot), tip.fields[slot]);
    }
    for (const auto& member : kMembers) ok = ok && file.Run("INSERT INTO member VALUES(?1, ?2, ?3)", {member[0], member[1], member[2]});
    ok = ok && file.Run("INSERT INTO trash VALUES(?1, ?2, ?3)", {9, kToDo, 3});
    ok = ok && file.Exec("INSERT INTO change_log VALUES(1, 3, 2, 0, x'0C300000')");
    return ok && file.Exec("COMMIT");
}

// The format recorded in the file, whether it still has per-field rows and
// whether its member rows still have an index by tip beside their key.
struct FileLayout {
    int64_t format = 0;
    bool fieldRows = false;
    bool memberTipIndex = false;
};

FileLayout LayoutOf(const std::string& path) {
    FileLayout layout;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* read = nullptr;
        sqlite3_prepare_v2(db, "SELECT (SELECT value FROM meta WHERE key='format'),"
                               " EXISTS(SELECT 1 FROM sqlite_master WHERE name='field'),"
                               " EXISTS(SELECT 1 FROM sqlite_master WHERE name='member_tip')", -1, &read, nullptr);
        if (read && sqlite3_step(read) == SQLITE_ROW) {
            layout.format = sqlite3_column_int64(read, 0);
            layout.fieldRows = sqlite3_column_int(read, 1) != 0;
            layout.memberTipIndex = sqlite3_column_int(read, 2) != 0;
        }
        sqlite3_finalize(read);
    }
    sqlite3_close(db);
    return layout;
}

bool SameFields(const std::vector<Field>& a, const std::vector<Field>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].tag != b[i].tag || a[i].label != b[i].label || a[i].type != b[i].type || a[i].data != b[i].data) {
            return false;
        }
    }
    return true;
}

class UpgradeTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        m_condition = SortCondition({{"MEMO", 1, 0}});
        const std::string folder = m_folder + "old";
        ASSERT_EQ(0, mkdir(m_folder.c_str(), 0700) == 0 || errno == EEXIST ? 0 : -1);
        ASSERT_EQ(0, mkdir(folder.c_str(), 0700));
        m_path = folder + "/vdb00000099.sqlite";
        ASSERT_TRUE(WriteFieldRowsDatabase(m_path, m_condition));
        const std::u16string wide = U16(m_path);
        m_db = GetI4(kOpSetDBID, {Text(wide.c_str())});
        ASSERT_GT(m_db, 0);
    }
    void TearDown() override {
        varo::engine::DisarmStorageFault();
        chmod(m_path.c_str(), 0600);
        EngineTest::TearDown();
    }

    // A fresh first-format file in place of the one there.
    bool PutBackFieldRows() {
        m_engine.reset();
        for (const char* suffix : {"", "-wal", "-shm"}) unlink((m_path + suffix).c_str());
        const bool written = WriteFieldRowsDatabase(m_path, m_condition);
        m_engine = NewEngine(*m_host);
        return written;
    }

    // The current file turned back into the second format: its member rows
    // keyed by fukuro, with an index by tip.
    bool MakeFieldRecordFile() {
        if (OpenDb(m_db) != kEngineOk) return false;
        m_engine.reset();
        bool made = false;
        {
            Writer file(m_path);
            made = file.Exec(
                "BEGIN;"
                "CREATE TABLE member_by_fukuro(fukuro_id INTEGER NOT NULL REFERENCES fukuro(id) ON DELETE CASCADE,"
                " tip_id INTEGER NOT NULL REFERENCES tip(id) ON DELETE CASCADE, position INTEGER NOT NULL,"
                " PRIMARY KEY(fukuro_id, tip_id)) WITHOUT ROWID;"
                "INSERT INTO member_by_fukuro SELECT fukuro_id, tip_id, position FROM member;"
                "DROP TABLE member;"
                "ALTER TABLE member_by_fukuro RENAME TO member;"
                "CREATE INDEX member_order ON member(fukuro_id, position, tip_id);"
                "CREATE INDEX member_tip ON member(tip_id);"
                "UPDATE meta SET value=2 WHERE key='format';"
                "COMMIT;");
        }
        m_engine = NewEngine(*m_host);
        const FileLayout layout = LayoutOf(m_path);
        return made && layout.format == 2 && layout.memberTipIndex;
    }

    std::vector<uint8_t> m_condition;
    std::string m_path;
    int32_t m_db = 0;
};

TEST_F(UpgradeTest, OpeningForWritingConvertsTheFileAndKeepsEverything) {
    ASSERT_EQ(kEngineOk, OpenDb(m_db));
    const FileLayout layout = LayoutOf(m_path);
    EXPECT_EQ(3, layout.format);
    EXPECT_FALSE(layout.fieldRows);
    EXPECT_FALSE(layout.memberTipIndex);

    for (const OldTip& tip : OldTips()) {
        if (tip.fields.size() > 40) {
            EXPECT_EQ(kEngineCorrupt, GetCode(m_db, 0, tip.id));
        } else if (!tip.trashed) {
            EXPECT_TRUE(SameFields(tip.fields, GetFields(m_db, 0, tip.id))) << tip.id;
        }
    }
    EXPECT_EQ((std::vector<int32_t>{5, 3, 10}), TipList(m_db, kToDo));
    EXPECT_EQ((std::vector<int32_t>{3}), TipList(m_db, kFolder));
    EXPECT_EQ((std::vector<int32_t>{7}), TipList(m_db, 0x3000));
    EXPECT_EQ(u"folder", GetText(kOpGetFukuroName, {I4(m_db), I4(kFolder)}));
    std::vector<uint8_t> condition(29, 0xEE);
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpGetFukuroSortCnd, {I4(m_db), I4(kFolder), Buffer(condition.data())}));
    EXPECT_EQ(m_condition, condition);
    EXPECT_EQ(u"old", DBName(m_db));
    EXPECT_EQ(u"hidden", GetText(kOpGetSecretPasswd, {I4(m_db)}));

    int32_t trashed[] = {9, 0};
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpUndoTip, {I4(m_db), Buffer(trashed)}));
    EXPECT_EQ((std::vector<int32_t>{5, 3, 9, 10}), TipList(m_db, kToDo));
    EXPECT_TRUE(SameFields(OldTips()[3].fields, GetFields(m_db, 0, 9)));
    EXPECT_EQ(kNextTip, PutToDo(m_db, kToDo, "new"));

    // The damaged tip was unreadable before and stays so; the check says so.
    EXPECT_EQ(kEngineCorrupt, Call(*m_engine, kOpDBCheck, {I4(m_db)}));

    // A store stamps after the kept stamp and touches no other tip.
    ASSERT_EQ(kEngineOk, PutTip(m_db, kToDo, 3, ToDoFields("changed", "20200101101010")));
    EXPECT_GT(StampText(GetFields(m_db, 0, 3)), std::string("20200101101010"));
    EXPECT_EQ("changed", Memo(m_db, 0, 3));
    EXPECT_TRUE(SameFields(OldTips()[1].fields, GetFields(m_db, 0, 5)));
}

// The conversion's writes fail from each point on in turn: the file is then
// either untouched or wholly converted, and every tip reads as before.
TEST_F(UpgradeTest, AFailedUpgradeLeavesTheOldFileWhole) {
    int failures = 0;
    for (int writesBefore = 0; writesBefore < 8; ++writesBefore) {
        varo::engine::ArmStorageFault(varo::engine::StorageFault::DiskFull, writesBefore);
        const int32_t opened = OpenDb(m_db);
        varo::engine::DisarmStorageFault();
        m_engine = NewEngine(*m_host);
        const FileLayout layout = LayoutOf(m_path);
        if (opened != kEngineOk) {
            ++failures;
            EXPECT_EQ(1, layout.format) << writesBefore;
            EXPECT_TRUE(layout.fieldRows) << writesBefore;
        }
        ASSERT_EQ(kEngineOk, OpenDb(m_db)) << writesBefore;
        EXPECT_EQ(3, LayoutOf(m_path).format);
        EXPECT_TRUE(SameFields(OldTips()[0].fields, GetFields(m_db, 0, 3))) << writesBefore;
        EXPECT_TRUE(SameFields(OldTips()[2].fields, GetFields(m_db, 0, 7))) << writesBefore;
        if (opened == kEngineOk) break;
        m_engine = NewEngine(*m_host);
        ASSERT_TRUE(PutBackFieldRows());
    }
    EXPECT_GT(failures, 0);
}

// Opened read-only, a file of either older format is read as it is, tips
// in the compact layout, and stays in its format.
TEST_F(UpgradeTest, OpenedReadOnlyAnOlderFileIsReadAsItIs) {
    for (int format : {1, 2}) {
        SCOPED_TRACE(format);
        if (format == 2) {
            m_engine = NewEngine(*m_host);
            ASSERT_EQ(0, chmod(m_path.c_str(), 0600));
            ASSERT_TRUE(MakeFieldRecordFile());
        }
        ASSERT_EQ(0, chmod(m_path.c_str(), 0400));
        int16_t flag = 0;
        ASSERT_EQ(kEngineOk, OpenDb(m_db, nullptr, kOpOpen, &flag));
        EXPECT_EQ(1, flag);
        EXPECT_EQ((std::vector<int32_t>{5, 3, 10}), TipList(m_db, kToDo));
        EXPECT_EQ((std::vector<int32_t>{3}), TipList(m_db, kFolder));
        const std::vector<Field> first = GetFields(m_db, kFolder, 3);
        EXPECT_EQ(19u, first.size());
        EXPECT_EQ("first", TextOf(FindTag(first, "MEMO")));
        EXPECT_EQ("20200101101010", TextOf(FindTag(first, "LMTM")));
        EXPECT_EQ(kEngineCorrupt, GetCode(m_db, 0, 10));
        EXPECT_EQ(kEngineReadOnly, PutTip(m_db, kToDo, 3, ToDoFields("no")));
        EXPECT_EQ(kEngineOk, Call(*m_engine, kOpClose, {I4(m_db)}));
        const FileLayout layout = LayoutOf(m_path);
        EXPECT_EQ(format, layout.format);
        EXPECT_EQ(format == 1, layout.fieldRows);
        if (format == 2) {
            EXPECT_TRUE(layout.memberTipIndex);
        }
    }
}

TEST_F(UpgradeTest, ASecondFormatFileIsKeyedByTipWithEveryMembershipKept) {
    ASSERT_TRUE(MakeFieldRecordFile());
    ASSERT_EQ(kEngineOk, OpenDb(m_db));
    const FileLayout layout = LayoutOf(m_path);
    EXPECT_EQ(3, layout.format);
    EXPECT_FALSE(layout.memberTipIndex);
    EXPECT_EQ((std::vector<int32_t>{5, 3, 10}), TipList(m_db, kToDo));
    EXPECT_EQ((std::vector<int32_t>{3}), TipList(m_db, kFolder));
    EXPECT_EQ((std::vector<int32_t>{7}), TipList(m_db, 0x3000));

    // The trash finds every fukuro of a tip through the new key.
    int32_t both[] = {3, 0};
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpRemoveTip, {I4(m_db), I4(kToDo), Buffer(both)}));
    EXPECT_EQ((std::vector<int32_t>{5, 10}), TipList(m_db, kToDo));
    EXPECT_TRUE(TipList(m_db, kFolder).empty());
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpUndoTip, {I4(m_db), Buffer(both)}));
    EXPECT_EQ((std::vector<int32_t>{5, 3, 10}), TipList(m_db, kToDo));
    EXPECT_EQ((std::vector<int32_t>{3}), TipList(m_db, kFolder));
    EXPECT_EQ(kNextTip, PutToDo(m_db, kFolder, "new"));
    EXPECT_EQ((std::vector<int32_t>{3, kNextTip}), TipList(m_db, kFolder));
}

}  // namespace
}  // namespace enginetest
