// Whole databases: creation with the fixed fukuros, opening and closing,
// removal from the list and deletion of the files, file permissions.
#include <sys/stat.h>
#include <unistd.h>

#include "EngineTestSupport.h"

namespace enginetest {
namespace {

using namespace varo;

class DatabaseTest : public EngineTest {};

mode_t ModeOf(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? (st.st_mode & 0777) : 0;
}

TEST_F(DatabaseTest, CreateMakesAPrivateFolderAndFileWithTheFixedFukuros) {
    umask(022);
    const int32_t db = CreateDatabase(u"\u65e5\u8a18" /* 日記 */);
    ASSERT_GT(db, 0);
    EXPECT_EQ(u"\u65e5\u8a18" /* 日記 */, DBName(db));
    const std::string file = Location(db);
    const std::string folder = file.substr(0, file.rfind('/'));
    EXPECT_EQ(0, file.compare(0, m_folder.size(), m_folder)) << file;
    EXPECT_EQ(18u, file.size() - folder.size() - 1);
    EXPECT_EQ(0600u, ModeOf(file));
    EXPECT_EQ(0700u, ModeOf(folder));
    EXPECT_EQ(folder + "/documents", Location(db, 2));
    EXPECT_EQ(0700u, ModeOf(Location(db, 2)));

    void* list = nullptr;
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpGetAllFukuroID, {I4(db), AddressOut(&list)}));
    int32_t expected = 0x3000;
    for (const int32_t* id = static_cast<const int32_t*>(list); *id; ++id) EXPECT_EQ(expected++, *id);
    EXPECT_EQ(0x3017, expected);

    // The kit seeds right after Create, without opening the database itself.
    EXPECT_EQ(kEngineOk, Call(*m_engine, kOpFukuroLockOpen, {I4(db), I4(0x3008)}));
    EXPECT_GT(PutToDo(db, 0x3008, "seeded"), 0);
    EXPECT_EQ(kEngineOk, Call(*m_engine, kOpFukuroClose, {I4(db), I4(0x3008)}));
}

TEST_F(DatabaseTest, CreateRefusesBadNamesAndGivesDistinctIds) {
    int32_t id = 0;
    const char16_t lone[] = {0xD800, u'x', 0};
    const std::u16string huge(2000, u'a');
    for (const char16_t* bad : {lone, static_cast<const char16_t*>(nullptr), huge.c_str()}) {
        EXPECT_EQ(kEngineBadArgument, Call(*m_engine, kOpCreate, {Text(bad), I4Out(&id)}));
    }
    EXPECT_EQ(kEngineBadArgument, Call(*m_engine, kOpCreate, {Text(u"x"), I4Out(nullptr)}));
    EXPECT_EQ(0, id);
    // Names need not be unique, and a name never reaches a path.
    const int32_t a = CreateDatabase(u"../same");
    const int32_t b = CreateDatabase(u"../same");
    EXPECT_NE(a, b);
    EXPECT_NE(Location(a), Location(b));
    EXPECT_EQ(std::string::npos, Location(a).find("same"));
}

TEST_F(DatabaseTest, OpenAndCloseFollowTheKnownList) {
    const int32_t db = CreateDatabase(u"open");
    int16_t flag = -1;
    EXPECT_EQ(kEngineOk, Call(*m_engine, kOpClose, {I4(db)}));
    EXPECT_EQ(kEngineNotOpen, Call(*m_engine, kOpClose, {I4(db)}));
    EXPECT_EQ(kEngineOk, OpenDb(db, nullptr, kOpOpen, &flag));
    EXPECT_EQ(0, flag);
    EXPECT_EQ(kEngineOk, OpenDb(db));  // already open
    EXPECT_EQ(kEngineNoSuchDatabase, OpenDb(db + 7));
    EXPECT_EQ(kEngineNoSuchDatabase, Call(*m_engine, kOpClose, {I4(db + 7)}));
    EXPECT_EQ(kEngineBadArgument, Call(*m_engine, kOpOpen, {I4(db), I2Out(nullptr)}));
    // A second engine instance opens the same database and sees the same tips.
    const int32_t tip = PutToDo(db, kToDo, "shared");
    EXPECT_EQ("shared", Memo(db, 0, tip, OpenedEngine(db).get()));
}

TEST_F(DatabaseTest, DeleteForgetsTheDatabaseAndDeleteFilesRemovesIt) {
    const int32_t db = CreateDatabase(u"doomed");
    const std::string file = Location(db);
    std::unique_ptr<Engine> other = OpenedEngine(db);
    ASSERT_EQ(kEngineOk, OpenDb(db));
    EXPECT_EQ(kEngineInUse, Call(*m_engine, kOpDeleteFiles, {I4(db)}));  // open here
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpClose, {I4(db)}));
    EXPECT_EQ(kEngineInUse, Call(*m_engine, kOpDeleteFiles, {I4(db)}));  // open in the other
    other.reset();

    // A document the user keeps in the folder survives the deletion.
    const std::string kept = Location(db, 2) + "/note.txt";
    FILE* note = fopen(kept.c_str(), "w");
    ASSERT_NE(nullptr, note);
    fclose(note);
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpDeleteFiles, {I4(db)}));
    EXPECT_NE(0, access(file.c_str(), F_OK));
    EXPECT_EQ(0, access(kept.c_str(), F_OK));
    EXPECT_EQ(kEngineNoSuchDatabase, Call(*m_engine, kOpDeleteFiles, {I4(db)}));
    EXPECT_EQ(kEngineNoSuchDatabase, OpenDb(db));
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpDelete, {I4(db)}));
    EXPECT_EQ(kEngineNoSuchDatabase, Call(*m_engine, kOpDelete, {I4(db)}));

    // Delete alone keeps the files, and closes the database here.
    const int32_t second = CreateDatabase(u"forgotten");
    const std::string secondFile = Location(second);
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpDelete, {I4(second)}));
    EXPECT_EQ(0, access(secondFile.c_str(), F_OK));
    EXPECT_EQ(kEngineNoSuchDatabase, Call(*m_engine, kOpClose, {I4(second)}));
}

// Create leaves the new database open only so that it can be seeded: that
// opening never keeps its own instance's DeleteFiles or DBRestore out, and
// nothing else opens a database for longer than one operation. An Open
// here, or any opening elsewhere, does keep them out.
TEST_F(DatabaseTest, OnlyAnOpenHereOrAnyOpeningElsewhereKeepsDeleteFilesAndRestoreOut) {
    const int32_t seeded = CreateDatabase(u"half seeded");
    const std::string file = Location(seeded);
    const std::string folder = file.substr(0, file.rfind('/'));
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpFukuroLockOpen, {I4(seeded), I4(0x3008)}));
    ASSERT_GT(PutToDo(seeded, 0x3008, "seeded"), 0);
    uint8_t block[148] = {};
    int32_t colour = 0;
    EXPECT_EQ(u"half seeded", DBName(seeded));
    EXPECT_EQ(1, Call(*m_engine, kOpGetDBColor, {I4(seeded), I4Out(&colour)}));
    EXPECT_EQ(kEngineOk, Call(*m_engine, kOpGetDBVersionInfo, {I4(seeded), Buffer(block)}));
    EXPECT_EQ(kEngineOk, Call(*m_engine, kOpDBCheck, {I4(seeded)}));
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpDBBackup, {I4(seeded)}));
    EXPECT_EQ(kEngineOk, Call(*m_engine, kOpDeleteFiles, {I4(seeded)}));
    EXPECT_NE(0, access(folder.c_str(), F_OK)) << "files left in " << folder;
    EXPECT_EQ(kEngineNotOpen, Call(*m_engine, kOpClose, {I4(seeded)}));

    const int32_t restored = CreateDatabase(u"restored");
    const int32_t kept = PutToDo(restored, kToDo, "kept");
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpDBBackup, {I4(restored)}));
    PutToDo(restored, kToDo, "lost");
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpDBRestore, {I4(restored)}));
    ASSERT_EQ(kEngineOk, OpenDb(restored));
    EXPECT_EQ((std::vector<int32_t>{kept}), TipList(restored, kToDo));

    // Another instance's opening keeps both out; the opening here stays usable.
    const int32_t shared = CreateDatabase(u"shared");
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpDBBackup, {I4(shared)}));
    std::unique_ptr<Engine> other = OpenedEngine(shared);
    EXPECT_EQ(kEngineInUse, Call(*m_engine, kOpDeleteFiles, {I4(shared)}));
    EXPECT_EQ(kEngineInUse, Call(*m_engine, kOpDBRestore, {I4(shared)}));
    EXPECT_GT(PutToDo(shared, kToDo, "still open here"), 0);
    other.reset();
    ASSERT_EQ(kEngineOk, OpenDb(shared));
    EXPECT_EQ(kEngineInUse, Call(*m_engine, kOpDeleteFiles, {I4(shared)}));
    EXPECT_EQ(kEngineInUse, Call(*m_engine, kOpDBRestore, {I4(shared)}));
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpClose, {I4(shared)}));
    ASSERT_EQ(kEngineOk, OpenDb(shared, nullptr, kOpLockOpen));
    EXPECT_EQ(kEngineInUse, Call(*m_engine, kOpDeleteFiles, {I4(shared)}));
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpClose, {I4(shared)}));
    EXPECT_EQ(kEngineOk, Call(*m_engine, kOpDeleteFiles, {I4(shared)}));
}

TEST_F(DatabaseTest, DataFolderComesFromRootDirWithoutAnExplicitOne) {
    m_engine.reset();
    unsetenv("VARO_DATA_DIR");
    m_host->rootDir = m_folder + "suite/";
    m_engine = NewEngine(*m_host);
    const std::string file = Location(CreateDatabase(u"rooted"));
    EXPECT_EQ(0u, file.find(m_folder + "suite/data/")) << file;
}

}  // namespace
}  // namespace enginetest
