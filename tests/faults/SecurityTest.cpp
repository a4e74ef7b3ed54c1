// The kit over the real engine keeps its files private, keeps what callers
// name as text (never as a path or as SQL), keeps IsFileExist inside the
// documents folder, and writes passwords nowhere but the database.
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <regex>

#include "FaultsSupport.h"

namespace faults {
namespace {

const long kSettingsSelector = 77;

// Texts that would do harm if they reached a path or an SQL text as they are.
const std::string kHostileTexts[] = {
    "it's \"quoted\"", "'); DROP TABLE known_database; --", "x' OR '1'='1", "../../escape", "/etc/passwd", "a\\b/c",
    "%s%n%x%%", "_%", std::string("cut\0here", 8), "\x95\x5c" /* 表 */ "/..",
};

// The names the engine itself gives the entries of its data folder; anything
// else there came from a caller's text.
const std::regex kEngineEntry(
    "catalog\\.sqlite(-wal|-shm|-journal)?|vdb[0-9a-f]{8}(\\.sqlite(-wal|-shm|-journal)?|\\.lock|\\.writers|\\.bak)?|documents");

class SecurityTest : public FaultsTest {
protected:
    void SetUp() override {
        FaultsTest::SetUp();
        ASSERT_TRUE(OpenNewDatabase(m_kit, "security", &m_db));
    }
    void TearDown() override {
        m_kit.End();
        FaultsTest::TearDown();
    }

    // The documents folder of the database (location 2).
    std::string Documents() {
        CString folder;
        EXPECT_EQ(m_kit.GetDBLocation(m_db, 2, folder), 1);
        return folder.Bytes();
    }

    CVAROObj m_kit;
    long m_db = 0;
};

int ModeOf(const std::string& path) {
    struct stat status;
    return lstat(path.c_str(), &status) == 0 ? static_cast<int>(status.st_mode) : -1;
}

std::string Environment(const char* name) {
    const char* value = getenv(name);
    return value ? value : "";
}

std::string NameOf(const std::string& path) { return path.substr(path.rfind('/') + 1); }

// The files below the roots that hold the text, less those `allowed` names.
std::vector<std::string> FilesHolding(const std::string& text, const std::vector<std::string>& roots,
                                      const std::regex& allowed) {
    std::vector<std::string> holders;
    for (const std::string& root : roots) {
        for (const std::string& path : TreeBelow(root)) {
            std::string bytes;
            if (!S_ISREG(ModeOf(path)) || !ReadFile(path, &bytes) || bytes.find(text) == std::string::npos) continue;
            if (!std::regex_match(NameOf(path), allowed)) holders.push_back(path);
        }
    }
    return holders;
}

TEST_F(SecurityTest, FilesAre0600AndFoldersAre0700WhateverTheUmask) {
    const mode_t saved = umask(0);
    m_kit.End();
    long db = 0;
    ASSERT_TRUE(OpenNewDatabase(m_kit, "open umask", &db));
    long tip = 0;
    ASSERT_EQ(PutNewToDo(m_kit, db, "stored", &tip), 0);
    ASSERT_EQ(m_kit.DBBackup(db), 0);
    ASSERT_EQ(m_kit.LockOpen(db), 0);
    ASSERT_EQ(m_kit.EstFileWriteStr(kSettingsSelector, "section", "key", "value"), 1);
    umask(saved);

    EXPECT_EQ(ModeOf(m_folder) & 07777, 0700);
    std::vector<std::string> checked;
    for (const std::string& root :
         {m_folder, Environment("XDG_CONFIG_HOME") + "/varokit", Environment("XDG_RUNTIME_DIR") + "/varokit"}) {
        for (const std::string& path : TreeBelow(root)) {
            const int mode = ModeOf(path);
            EXPECT_TRUE(S_ISDIR(mode) || S_ISREG(mode)) << path;
            EXPECT_EQ(mode & 07777, S_ISDIR(mode) ? 0700 : 0600) << path;
            checked.push_back(path);
        }
    }
    // The database, its journal, lock, backup and documents were all there.
    const std::string path = DatabasePath(m_kit, db);
    std::vector<std::string> wanted{Documents()};
    for (const char* suffix : {".sqlite", ".sqlite-wal", ".sqlite-shm", ".lock", ".bak"}) {
        wanted.push_back(path.substr(0, path.size() - strlen(".sqlite")) + suffix);
    }
    for (const std::string& file : wanted) {
        EXPECT_NE(std::find(checked.begin(), checked.end(), file), checked.end()) << file;
    }
}

TEST_F(SecurityTest, HostileNamesKeysAndSearchTextsStayText) {
    ASSERT_EQ(m_kit.EstFileWriteStr(kSettingsSelector, "plain", "plain", "kept"), 1);
    long plainTip = 0;
    ASSERT_EQ(PutNewToDo(m_kit, m_db, "nothing special", &plainTip), 0);
    size_t databases = 1;
    for (const std::string& hostile : kHostileTexts) {
        const CString text(hostile.data(), static_cast<int>(hostile.size()));
        // Texts cross the engine zero-terminated: what is kept is the part
        // before an embedded zero.
        const std::string stored = hostile.substr(0, hostile.find('\0'));
        SCOPED_TRACE(stored);
        long db = 0;
        CString name;
        ASSERT_EQ(m_kit.Create(text, &db), 0);
        ++databases;
        ASSERT_EQ(m_kit.GetDBName(db, name), 1);
        EXPECT_EQ(name.Bytes(), stored);
        EXPECT_EQ(m_kit.SetDBName(m_db, text), 1);
        ASSERT_EQ(m_kit.GetDBName(m_db, name), 1);
        EXPECT_EQ(name.Bytes(), stored);

        long fukuro = 0;
        ASSERT_EQ(m_kit.FukuroCreate(m_db, &fukuro, text, 0), 0);
        ASSERT_EQ(m_kit.GetFukuroName(m_db, fukuro, name), 0);
        EXPECT_EQ(name.Bytes(), stored);
        ASSERT_EQ(m_kit.SetFukuroName(m_db, fukuro, text + "!"), 0);
        ASSERT_EQ(m_kit.GetFukuroName(m_db, fukuro, name), 0);
        EXPECT_EQ(name.Bytes(), stored == hostile ? stored + "!" : stored);

        ASSERT_EQ(m_kit.EstFileWriteStr(kSettingsSelector, text, text, text), 1);
        ASSERT_EQ(m_kit.EstFileReadStr(kSettingsSelector, text, text, "absent", name), 1);
        EXPECT_EQ(name.Bytes(), stored);

        // The search finds its text literally: no wildcard, quote or
        // separator of it means anything.
        long holder = 0;
        ASSERT_EQ(PutNewToDo(m_kit, m_db, "before " + stored + " after", &holder), 0);
        ASSERT_EQ(m_kit.FukuroOpen(m_db, kToDoFukuro), 0);
        ASSERT_EQ(m_kit.TipSearch(m_db, kToDoFukuro, text, 0), 0);
        std::vector<long> found;
        for (long tip = -1; tip != 0 && found.size() < 100;) {
            ASSERT_EQ(m_kit.ReadTip(m_db, kToDoFukuro, 1), 0);
            m_kit.GetTipID(&tip);
            if (tip != 0) found.push_back(tip);
        }
        EXPECT_EQ(found, std::vector<long>{holder});
        ASSERT_EQ(m_kit.FukuroClose(m_db, kToDoFukuro), 0);
    }

    CString kept;
    ASSERT_EQ(m_kit.EstFileReadStr(kSettingsSelector, "plain", "plain", "absent", kept), 1);
    EXPECT_EQ(kept, "kept");
    CDWordArray listed;
    ASSERT_EQ(m_kit.GetAllDBID(listed), 1);
    EXPECT_EQ(static_cast<size_t>(listed.GetSize()), databases);
    EXPECT_EQ(m_kit.DBCheck(m_db), 0);
    for (const std::string& path : TreeBelow(m_folder)) {
        EXPECT_TRUE(std::regex_match(NameOf(path), kEngineEntry)) << path;
    }
    EXPECT_EQ(ModeOf(m_folder + "../../escape"), -1);
    EXPECT_EQ(ModeOf(m_folder + "../escape"), -1);
}

// A file name kept in a tip is looked up only inside the database's
// documents folder, whatever it holds.
TEST_F(SecurityTest, FileNamesInTipsNeverLeaveTheDocumentsFolder) {
    const std::string documents = Documents();
    ASSERT_FALSE(documents.empty());
    ASSERT_EQ(mkdir((documents + "/sub").c_str(), 0700), 0);
    for (const std::string& file : {documents + "/note.txt", documents + "/\xe8\xa1\xa8.txt" /* 表.txt in UTF-8 */,
                                    documents + "/sub/inner.txt", documents + "/../beside.txt",
                                    m_folder + "above.txt"}) {
        ASSERT_TRUE(WriteFile(file, "x")) << file;
    }
    struct Case {
        const char* name;
        int exists;
    };
    const Case cases[] = {
        {"note.txt", 1},         {"\x95\x5c.txt" /* 表.txt */, 1}, {"missing.txt", 0},
        {"../beside.txt", 0},    {"../../above.txt", 0},          {"sub/inner.txt", 1},
        {"sub\\inner.txt", 1},   {"sub\\..\\..\\beside.txt", 0},   {"sub/./inner.txt", 1},
        {"/etc/passwd", 0},      {"..\\beside.txt", 0},           {"\x81/../beside.txt", 0},
        {"..", 0},               {".", 0},                        {"C:\\note.txt", 0},
    };
    // File memos and file links.
    const std::pair<unsigned short, long> kinds[] = {{0x503, 0x300B}, {0xF00, 0x3003}};
    for (const auto& kind : kinds) {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name);
            m_kit.SetTipID(0);
            ASSERT_EQ(m_kit.SetTipFlag(kind.first), 1);
            ASSERT_EQ(m_kit.SetFilename(c.name), 1);
            long tip = 0;
            ASSERT_EQ(m_kit.PutTip(m_db, kind.second, &tip), 0);
            ASSERT_EQ(m_kit.GetTip(m_db, kind.second, tip), 0);
            EXPECT_EQ(m_kit.IsFileExist(m_db), c.exists) << std::hex << kind.first;
        }
    }
}

TEST_F(SecurityTest, PasswordsReachNoLogAndNoFileButTheDatabase) {
    const std::string password = "pw-7f3a9c";
    const std::string account = "acct-51e2b";
    const std::string secret = "secret-c0ffee-d15c";
    // Longer than a password field: SetPasswd refuses it.
    const std::string refused = "refused-" + std::string(40, 'r');
    const std::string refusedMark = refused.substr(0, 16);
    std::vector<std::string> roots{m_folder, Environment("XDG_CONFIG_HOME"), Environment("XDG_RUNTIME_DIR"),
                                   Environment("XDG_DATA_HOME")};
    if (!Environment("TMPDIR").empty()) roots.push_back(Environment("TMPDIR"));

    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    PASSWD_INF record = {};
    strcpy(record.text1, password.c_str());
    EXPECT_EQ(m_kit.SetPasswd(m_db, &record), 0);
    ACCOUNT accountRecord = {};
    memcpy(accountRecord.data, account.c_str(), account.size());
    EXPECT_EQ(m_kit.SetAccount(m_db, &accountRecord), 0);
    EXPECT_EQ(m_kit.SetSecretPasswd(m_db, CString(secret)), 0);
    PASSWD_INF tooLong = {};
    memcpy(&tooLong, refused.data(), refused.size());
    EXPECT_NE(m_kit.SetPasswd(m_db, &tooLong), 0);
    EXPECT_NE(m_kit.SetSecretPasswd(m_db + 1000, CString(refused)), 0);  // no such database
    EXPECT_EQ(m_kit.DBBackup(m_db), 0);
    PASSWD_INF back = {};
    EXPECT_EQ(m_kit.GetPasswd(m_db, &back), 0);
    CString secretBack;
    EXPECT_EQ(m_kit.GetSecretPasswd(m_db, secretBack), 0);
    const std::string logged = ::testing::internal::GetCapturedStdout() + ::testing::internal::GetCapturedStderr();

    EXPECT_EQ(std::string(back.text1), password);
    EXPECT_EQ(secretBack.Bytes(), secret);
    const std::regex databaseFiles("vdb[0-9a-f]{8}\\.(sqlite(-wal)?|bak)");
    const std::regex nothing("$^");
    for (const std::string& text : {password, account, secret, refusedMark}) {
        EXPECT_EQ(logged.find(text), std::string::npos) << text;
        EXPECT_EQ(FilesHolding(text, roots, text == refusedMark ? nothing : databaseFiles), std::vector<std::string>())
            << text;
    }
    // The stored ones are in the database itself, as the check above allows.
    m_kit.Close(m_db);
    EXPECT_NE(FilesHolding(password, {m_folder}, nothing), std::vector<std::string>());
}

}  // namespace
}  // namespace faults
