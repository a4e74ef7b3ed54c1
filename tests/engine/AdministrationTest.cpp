// Administration: checks, backups and restores, passwords and accounts,
// versions, application ids, settings values, view modes, sync marks.
#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstring>
#include <ctime>

#include "EngineTestSupport.h"
#include "EngineVersion.h"

namespace enginetest {
namespace {

using namespace varo;

class AdministrationTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        m_db = CreateDatabase(u"admin");
    }
    // A settings value read back; missing values give the default.
    int32_t ReadLong(int32_t app, const char16_t* section, const char16_t* key, int32_t fallback) {
        return GetI4(kOpEstFileReadLong, {I4(app), Text(section), Text(key), I4(fallback)});
    }
    std::u16string ReadStr(int32_t app, const char16_t* key, const char16_t* fallback) {
        return GetText(kOpEstFileReadStr, {I4(app), Text(u"Window"), Text(key), Text(fallback)});
    }
    int32_t m_db = 0;
};

TEST_F(AdministrationTest, CheckFindsADamagedFile) {
    EXPECT_EQ(kEngineOk, Call(*m_engine, kOpDBCheck, {I4(m_db)}));
    for (int i = 0; i < 200; ++i) PutToDo(m_db, kToDo, std::string(100, 'x'));
    const std::string file = Location(m_db);
    m_engine.reset();  // the last connection folds the WAL back into the file

    const int fd = open(file.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    std::vector<uint8_t> garbage(4096 * 3, 0xA5);
    ASSERT_EQ(static_cast<ssize_t>(garbage.size()), pwrite(fd, garbage.data(), garbage.size(), 4096 * 2));
    close(fd);
    m_engine = NewEngine(*m_host);
    EXPECT_EQ(kEngineCorrupt, Call(*m_engine, kOpDBCheck, {I4(m_db)}));
}

// Runs one statement on the file outside the engine; true when it ran.
bool RunOnFile(const std::string& path, const char* sql) {
    sqlite3* db = nullptr;
    const bool ran = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK &&
                     sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK && sqlite3_changes(db) > 0;
    sqlite3_close(db);
    return ran;
}

// Damage SQLite cannot see: each tip record below is a sound value to
// SQLite, but the tip's fields no longer decode, or decode to no tip.
TEST_F(AdministrationTest, CheckFindsATipWhoseStoredFieldsDoNotDecode) {
    const char* const damages[] = {
        "UPDATE tip SET fields=fields || x'00' WHERE id=2",
        "UPDATE tip SET fields=substr(fields, 1, length(fields) - 1) WHERE id=2",
        "UPDATE tip SET fields=x'07' || substr(fields, 2) WHERE id=2",
        "UPDATE tip SET fields=NULL WHERE id=2",
        "UPDATE tip SET fields=x'0101' || CAST('TAFL' AS BLOB) || x'00' || x'00000000' || x'0000' WHERE id=2",
    };
    const std::string file = Location(m_db);
    ASSERT_EQ(kEngineOk, OpenDb(m_db));
    for (const char* damage : damages) {
        for (const char* memo : {"one", "two", "three"}) PutToDo(m_db, kToDo, memo);
        EXPECT_EQ(kEngineOk, Call(*m_engine, kOpDBCheck, {I4(m_db)}));
        m_engine.reset();
        ASSERT_TRUE(RunOnFile(file, damage)) << damage;
        m_engine = NewEngine(*m_host);
        ASSERT_EQ(kEngineOk, OpenDb(m_db));
        EXPECT_EQ(kEngineCorrupt, Call(*m_engine, kOpDBCheck, {I4(m_db)})) << damage;
        EXPECT_EQ(kEngineCorrupt, GetCode(m_db, 0, 2)) << damage;
        EXPECT_EQ("one", Memo(m_db, 0, 1)) << damage;
        m_engine.reset();
        ASSERT_TRUE(RunOnFile(file, "DELETE FROM member WHERE tip_id > 1"));
        ASSERT_TRUE(RunOnFile(file, "DELETE FROM tip WHERE id > 1"));
        ASSERT_TRUE(RunOnFile(file, "UPDATE meta SET value=2 WHERE key='next_tip'"));
        m_engine = NewEngine(*m_host);
        ASSERT_EQ(kEngineOk, OpenDb(m_db));
    }
}

TEST_F(AdministrationTest, BackupAndRestoreKeepIdsMovingForward) {
    for (int op : {kOpCheckBKFlg, kOpCheckRestore, kOpDBRestore}) EXPECT_EQ(kEngineNoBackup, Call(*m_engine, op, {I4(m_db)}));
    EXPECT_EQ(u"<failed>", GetText(kOpGetBackupDate, {I4(m_db)}));

    const int32_t kept = PutToDo(m_db, kToDo, "in the backup");
    const time_t before = time(nullptr);
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpDBBackup, {I4(m_db)}));
    EXPECT_EQ(kEngineOk, Call(*m_engine, kOpCheckBKFlg, {I4(m_db)}));
    EXPECT_EQ(kEngineOk, Call(*m_engine, kOpCheckRestore, {I4(m_db)}));
    const std::u16string when = GetText(kOpGetBackupDate, {I4(m_db)});
    ASSERT_EQ(14u, when.size());
    char local[16];
    struct tm t;
    localtime_r(&before, &t);  // Japan Standard Time in the test environment
    strftime(local, sizeof local, "%Y%m%d%H", &t);
    EXPECT_EQ(U16(local), when.substr(0, 10));

    const int32_t lost = PutToDo(m_db, kToDo, "after the backup");
    ASSERT_EQ(kEngineOk, OpenDb(m_db));
    EXPECT_EQ(kEngineInUse, Call(*m_engine, kOpDBRestore, {I4(m_db)}));  // still open here
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpClose, {I4(m_db)}));
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpDBRestore, {I4(m_db)}));
    ASSERT_EQ(kEngineOk, OpenDb(m_db));
    EXPECT_EQ((std::vector<int32_t>{kept}), TipList(m_db, kToDo));
    EXPECT_EQ(kEngineNoSuchTip, GetCode(m_db, 0, lost));
    EXPECT_GT(PutToDo(m_db, kToDo, "new"), lost);  // the lost tip's id is not given again
    EXPECT_EQ(kEngineOk, Call(*m_engine, kOpDBCheck, {I4(m_db)}));

    // Another instance holding the database open blocks a restore.
    std::unique_ptr<Engine> other = OpenedEngine(m_db);
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpClose, {I4(m_db)}));
    EXPECT_EQ(kEngineInUse, Call(*m_engine, kOpDBRestore, {I4(m_db)}));
}

// A file whose stored id counter lags behind its tips (written by a build
// that counted differently, or put back by hand) still gives fresh ids.
TEST_F(AdministrationTest, NewTipsGetIdsAboveEveryStoredTipWhateverTheCounterSays) {
    const std::string file = Location(m_db);
    ASSERT_EQ(kEngineOk, OpenDb(m_db));
    const int32_t first = PutToDo(m_db, kToDo, "first");
    const int32_t second = PutToDo(m_db, kToDo, "second");
    m_engine.reset();
    ASSERT_TRUE(RunOnFile(file, "UPDATE meta SET value=1 WHERE key='next_tip'"));
    m_engine = NewEngine(*m_host);
    ASSERT_EQ(kEngineOk, OpenDb(m_db));
    const int32_t third = PutToDo(m_db, kToDo, "third");
    EXPECT_GT(third, second);
    EXPECT_EQ((std::vector<int32_t>{first, second, third}), TipList(m_db, kToDo));
    EXPECT_EQ("second", Memo(m_db, kToDo, second));
}

TEST_F(AdministrationTest, PasswordsAndAccountsComeBackInTheirBlock) {
    uint8_t block[96];
    memset(block, 0xEE, sizeof block);
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpGetPasswd, {I4(m_db), Buffer(block)}));
    EXPECT_EQ(std::vector<uint8_t>(96, 0), std::vector<uint8_t>(block, block + 96));

    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpSetPasswd, {I4(m_db), Text(u"secret\u8868" /* 表 */)}));
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpSetAccount, {I4(m_db), Text(u"user")}));
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpGetPasswd, {I4(m_db), Buffer(block)}));
    EXPECT_STREQ("secret\x95\x5c" /* 表 */, reinterpret_cast<char*>(block));
    EXPECT_STREQ("user", reinterpret_cast<char*>(block + 32));
    EXPECT_EQ(0, block[64]);
    const std::u16string tooLong(32, u'a');
    EXPECT_EQ(kEngineBadArgument, Call(*m_engine, kOpSetPasswd, {I4(m_db), Text(tooLong.c_str())}));
    EXPECT_EQ(kEngineBadArgument, Call(*m_engine, kOpGetPasswd, {I4(m_db), Buffer(nullptr)}));

    char16_t* secret = nullptr;
    EXPECT_EQ(kEngineNotFound, Call(*m_engine, kOpGetSecretPasswd, {I4(m_db), TextOut(&secret)}));
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpSetSecretPasswd, {I4(m_db), Text(u"hidden")}));
    // Kept in the database file: a closed database answers too.
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpClose, {I4(m_db)}));
    EXPECT_EQ(u"hidden", GetText(kOpGetSecretPasswd, {I4(m_db)}));
    EXPECT_EQ(kEngineNoSuchDatabase, Call(*m_engine, kOpSetPasswd, {I4(m_db + 3), Text(u"x")}));

    // A lock held elsewhere refuses the change.
    std::unique_ptr<Engine> other = NewEngine(*m_host);
    ASSERT_EQ(kEngineOk, OpenDb(m_db, other.get(), kOpLockOpen));
    EXPECT_EQ(kEngineReadOnly, Call(*m_engine, kOpSetPasswd, {I4(m_db), Text(u"x")}));
}

TEST_F(AdministrationTest, VersionBlocksCarryMajorAndMinorInWordsOneAndTwo) {
    uint8_t block[148];
    memset(block, 0xEE, sizeof block);
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpGetDllVersionInfo, {Buffer(block)}));
    EXPECT_EQ(static_cast<uint32_t>(VARO_ENGINE_VERSION_MAJOR), WordAt(block + 4));
    EXPECT_EQ(static_cast<uint32_t>(VARO_ENGINE_VERSION_MINOR), WordAt(block + 8));
    EXPECT_EQ(0, block[147]);
    memset(block, 0xEE, sizeof block);
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpGetDBVersionInfo, {I4(m_db), Buffer(block)}));
    EXPECT_EQ(1u, WordAt(block + 4));
    EXPECT_EQ(0u, WordAt(block + 8));
    EXPECT_EQ(kEngineBadArgument, Call(*m_engine, kOpGetDllVersionInfo, {Buffer(nullptr)}));
}

TEST_F(AdministrationTest, ApplicationIdsAndTheirSettingsValues) {
    EXPECT_EQ(kEngineNotFound, Call(*m_engine, kOpCheckAPID, {I4(17)}));
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpCreateAPID, {I4(17)}));
    EXPECT_EQ(kEngineOk, Call(*m_engine, kOpCheckAPID, {I4(17)}));
    EXPECT_EQ(kEngineBadArgument, Call(*m_engine, kOpCreateAPID, {I4(0)}));

    ASSERT_EQ(1, Call(*m_engine, kOpEstFileWriteLong, {I4(17), Text(u"Window"), Text(u"Width"), I4(640)}));
    ASSERT_EQ(1, Call(*m_engine, kOpEstFileWriteStr, {I4(17), Text(u"Window"), Text(u"Title"), Text(u"\u8868" /* 表 */)}));
    EXPECT_EQ(640, ReadLong(17, u"WINDOW", u"width", 5));  // names ignore case
    EXPECT_EQ(5, ReadLong(17, u"Window", u"Missing", 5));
    EXPECT_EQ(8, ReadLong(17, u"Window", u"Title", 8));  // a text without a number reads as the default
    EXPECT_EQ(u"\u8868" /* 表 */, ReadStr(17, u"Title", u"-"));
    EXPECT_EQ(u"640", ReadStr(17, u"Width", u"-"));
    EXPECT_EQ(u"none", ReadStr(18, u"Width", u"none"));
    EXPECT_EQ(0, Call(*m_engine, kOpEstFileWriteLong, {I4(17), Text(u""), Text(u"Width"), I4(1)}));
    int32_t value = 0;
    EXPECT_EQ(0, Call(*m_engine, kOpEstFileReadLong, {I4(17), Text(nullptr), Text(u"Width"), I4(3), I4Out(&value)}));
    EXPECT_EQ(3, value);

    // Garbage collection spares a registered id; deleting may take the values along.
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpGarbageAPID, {I4(17)}));
    EXPECT_EQ(640, ReadLong(17, u"Window", u"Width", 5));
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpDeleteAPID, {I4(17), Flag(false)}));
    EXPECT_EQ(kEngineNotFound, Call(*m_engine, kOpDeleteAPID, {I4(17), Flag(false)}));
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpGarbageAPID, {I4(17)}));
    EXPECT_EQ(5, ReadLong(17, u"Window", u"Width", 5));
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpCreateAPID, {I4(20)}));
    ASSERT_EQ(1, Call(*m_engine, kOpEstFileWriteLong, {I4(20), Text(u"S"), Text(u"N"), I4(1)}));
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpDeleteAPID, {I4(20), Flag(true)}));
    EXPECT_EQ(9, ReadLong(20, u"S", u"N", 9));
}

TEST_F(AdministrationTest, ViewModesAndSyncMarks) {
    EXPECT_EQ(-1, GetI4(kOpGet1DayView, {I4(1)}));
    ASSERT_EQ(1, Call(*m_engine, kOpSet1DayView, {I4(1), I4(11)}));
    ASSERT_EQ(1, Call(*m_engine, kOpSet1DayMode, {I4(1), I4(22)}));
    ASSERT_EQ(1, Call(*m_engine, kOpSetPBMode, {I4(1), I4(33)}));
    EXPECT_EQ(11, GetI4(kOpGet1DayView, {I4(1)}));  // each mode kept apart from the others
    EXPECT_EQ(22, GetI4(kOpGet1DayMode, {I4(1)}));
    EXPECT_EQ(33, GetI4(kOpGetPBMode, {I4(1)}));
    EXPECT_EQ(-1, GetI4(kOpGetPBMode, {I4(2)}));
    EXPECT_EQ(0, Call(*m_engine, kOpGetPBMode, {I4(1), I4Out(nullptr)}));

    EXPECT_EQ(0, Call(*m_engine, kOpIsSyncFukuro, {I4(m_db)}));
    PutToDo(m_db, kToDo, "unsynced");
    EXPECT_EQ(1, Call(*m_engine, kOpIsSyncFukuro, {I4(m_db)}));
    EXPECT_EQ(1, Call(*m_engine, kOpCancelAllSync, {I4(m_db)}));
    EXPECT_EQ(0, Call(*m_engine, kOpIsSyncFukuro, {I4(m_db)}));
    EXPECT_EQ(0, Call(*m_engine, kOpCancelAllSync, {I4(m_db + 1)}));
}

}  // namespace
}  // namespace enginetest
