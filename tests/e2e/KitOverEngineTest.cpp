// The kit over the real engine on a freshly seeded database: every tip kind
// through a read-change-write cycle, the seeded holidays, cabinets and
// folders, copies between databases, the page board's limit and the catalog;
// and a second process (the probe) writing, locking and telling of changes.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "EngineCodes.h"
#include "ServerSandbox.h"
#include "VAROObj.h"
#include "Window.h"

namespace {

// Runs the probe program with `args` and returns what it printed first.
std::string RunProbe(const std::string& args) {
    FILE* probe = popen((std::string(VARO_E2E_PROBE) + " " + args).c_str(), "r");
    if (!probe) return "no probe";
    char line[64] = {};
    if (!std::fgets(line, sizeof line, probe)) line[0] = '\0';
    pclose(probe);
    return line;
}

// Receives the messages posted to the application's owner window and keeps
// the first change notice. Tests running beside this one share the catalog,
// so name and colour notices of their databases may arrive in between.
class OwnerWindow : public CWnd {
public:
    bool advised = false;
    WPARAM adviseWParam = 0;
    LPARAM adviseLParam = 0;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_ON_ADVISEDATA && !advised) {
            advised = true;
            adviseWParam = wParam;
            adviseLParam = lParam;
        }
        return 0;
    }
};

class KitOverEngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_owner.Create(nullptr));
        ASSERT_EQ(m_kit.Init(&m_owner), 1);
        ASSERT_EQ(m_kit.Create("source", &m_db), 0);
        ASSERT_GT(m_db, 0);
        ASSERT_EQ(m_kit.Open(m_db), 0);
    }
    void TearDown() override {
        for (long db : {m_db, m_other}) {
            if (db == 0) continue;
            m_kit.Close(db);
            m_kit.Delete(db, 2);
        }
        m_kit.End();
    }

    long NewTip(unsigned short kind, long fukuro, const char* memo) {
        m_kit.SetTipID(0);
        EXPECT_EQ(m_kit.SetTipFlag(kind), 1);
        m_kit.SetMemo(memo);
        long tip = 0;
        EXPECT_EQ(m_kit.PutTip(m_db, fukuro, &tip), 0);
        return tip;
    }

    // The probe process stores the memo into the to-do tip; what it printed.
    std::string PutByProbe(long tip, const char* memo) {
        return RunProbe("put " + std::to_string(m_db) + " 0x300C " + std::to_string(tip) + " " + memo);
    }

    std::string DatabasePath(long db) {
        CString path;
        return m_kit.GetDBLocation(db, 1, path) == 1 ? path.Bytes() : std::string();
    }

    std::string Memo(long tip) {
        CString memo;
        m_kit.GetTip(m_db, 0x300C, tip);
        m_kit.GetMemo(memo);
        return memo.Bytes();
    }

    // Made first: the kit's engine and the probes read VARO_SERVER.
    servertest::ServerSandbox m_server;
    OwnerWindow m_owner;
    CVAROObj m_kit;
    long m_db = 0;
    long m_other = 0;
};

// Each kind in its home fukuro, held lock-open: store, read back, change,
// store, read again.
TEST_F(KitOverEngineTest, EveryKindGoesThroughAReadChangeWriteCycle) {
    struct KindHome {
        unsigned short kind;
        long fukuro;
    };
    const KindHome kinds[] = {{0x101, 0x3000}, {0x102, 0x3002}, {0x103, 0x3001}, {0x201, 0x3005},
                              {0x202, 0x3004}, {0x203, 0x3008}, {0x204, 0x3008}, {0x300, 0x300C},
                              {0x401, 0x300A}, {0x402, 0x300A}, {0x403, 0x300A}, {0x404, 0x300A},
                              {0x501, 0x300B}, {0x502, 0x300B}, {0x503, 0x300B}, {0x504, 0x300B},
                              {0x505, 0x300B}, {0x506, 0x300B}, {0x800, 0x300E}, {0x900, 0x3014},
                              {0xF00, 0x3003}};
    for (const KindHome& k : kinds) {
        SCOPED_TRACE(k.kind);
        ASSERT_EQ(m_kit.FukuroLockOpen(m_db, k.fukuro), 0);
        m_kit.SetTipID(0);
        ASSERT_EQ(m_kit.SetTipFlag(k.kind), 1);
        m_kit.SetSecret(1);
        long tip = 0;
        ASSERT_EQ(m_kit.PutTip(m_db, k.fukuro, &tip), 0);
        ASSERT_EQ(m_kit.GetTip(m_db, k.fukuro, tip), 0);
        unsigned short kind = 0;
        m_kit.GetTipFlag(&kind);
        EXPECT_EQ(kind, k.kind);
        int read = -1;
        m_kit.GetSecret(&read);
        EXPECT_EQ(read, k.kind == 0x800 || k.kind == 0x900 ? 0 : 1);
        m_kit.SetSecret(0);
        CSelectTips links;
        links.Add(static_cast<DWORD>(tip));
        m_kit.SetLinkData(links);
        long again = 0;
        ASSERT_EQ(m_kit.PutTip(m_db, k.fukuro, &again), 0);
        EXPECT_EQ(again, tip);
        ASSERT_EQ(m_kit.GetTip(m_db, 0, tip), 0);
        m_kit.GetSecret(&read);
        EXPECT_EQ(read, 0);
        EXPECT_EQ(m_kit.FukuroClose(m_db, k.fukuro), 0);
    }
}

TEST_F(KitOverEngineTest, HolidaysAreReadableInTableOrder) {
    ASSERT_EQ(m_kit.FukuroOpen(m_db, 0x3008), 0);
    std::vector<std::string> memos;
    for (long tip = -1; tip != 0;) {
        ASSERT_EQ(m_kit.ReadTip(m_db, 0x3008, 1), 0);
        m_kit.GetTipID(&tip);
        if (tip == 0) break;
        unsigned short kind = 0;
        int holiday = 0;
        CString memo, line;
        CPIMTime date;
        EXPECT_TRUE(m_kit.GetTipFlag(&kind) == 1 && kind == 0x204) << kind;
        EXPECT_TRUE(m_kit.GetHoliday(&holiday) == 1 && holiday == 1);
        EXPECT_EQ(m_kit.GetDate(date), 1);
        EXPECT_EQ(m_kit.GetDisplayString(line), 0);  // anniversaries have no list line
        EXPECT_EQ(m_kit.GetMemo(memo), 1);
        memos.push_back(memo.Bytes());
    }
    ASSERT_EQ(memos.size(), 13u);
    EXPECT_EQ(memos[0], "\x8c\xb3\x93\xfa");  // 元日
    EXPECT_EQ(m_kit.FukuroClose(m_db, 0x3008), 0);
}

TEST_F(KitOverEngineTest, CopyTipBetweenDatabases) {
    ASSERT_EQ(m_kit.Create("target", &m_other), 0);
    ASSERT_EQ(m_kit.Open(m_other), 0);
    m_kit.SetTipID(0);
    m_kit.SetTipFlag(0x201);
    m_kit.SetMemo("meeting");
    m_kit.SetAlarm(1);
    long tip = 0;
    ASSERT_EQ(m_kit.PutTip(m_db, 0x3005, &tip), 0);
    long copy = 0;
    ASSERT_EQ(m_kit.CopyTip(m_other, &copy, m_db, tip), 0);
    ASSERT_GT(copy, 0);
    ASSERT_EQ(m_kit.GetTip(m_other, 0x3005, copy), 0);
    CString memo;
    m_kit.GetMemo(memo);
    EXPECT_EQ(memo, "meeting");
    long inAlarms = 0;
    EXPECT_EQ(m_kit.GetFukuroSize(m_other, 0x3016, &inAlarms), 0);
    EXPECT_EQ(inAlarms, 1);

    const long holiday = NewTip(0x203, 0x3008, "h");
    EXPECT_EQ(m_kit.CopyTip(m_other, &copy, m_db, holiday), VARO_ERR_NOT_COPYABLE);
    EXPECT_EQ(copy, 0);
}

TEST_F(KitOverEngineTest, PageBoardTakesNinetyPins) {
    const long tip = NewTip(0x300, 0x300C, "pin me");
    for (int i = 0; i < 90; ++i) ASSERT_EQ(m_kit.NotePut(m_db, tip), 0) << i;
    EXPECT_EQ(m_kit.NotePut(m_db, tip), VARO_ERR_BOARD_FULL);
    long boards = 0;
    m_kit.GetFukuroSize(m_db, 0x300E, &boards);
    EXPECT_EQ(boards, 1);
}

// From the seeded cabinet with its six folders through changes and reloads.
TEST_F(KitOverEngineTest, CabinetsAndFoldersChangeAndReload) {
    ASSERT_EQ(m_kit.LoadCabCData(m_db), 0);
    ASSERT_EQ(m_kit.GetCabCount(), 1);
    EXPECT_EQ(m_kit.GetCabFID(0), 0x3012);
    ASSERT_EQ(m_kit.LoadKFlCData(m_db, 0), 0);
    EXPECT_EQ(m_kit.GetKFlCount(), 6);
    EXPECT_EQ(m_kit.GetKFIFID(5), 0x300D);

    long cab = 0;
    ASSERT_EQ(m_kit.PutCab(m_db, "second", &cab), 0);
    long folder = 0;
    ASSERT_EQ(m_kit.LoadCabCData(m_db), 0);
    ASSERT_EQ(m_kit.GetCabCount(), 2);
    ASSERT_EQ(m_kit.PutKFl(m_db, 1, "inbox", &folder), 0);
    ASSERT_EQ(m_kit.MoveCab(m_db, 1, 0), 0);
    ASSERT_EQ(m_kit.LoadCabCData(m_db), 0);
    EXPECT_EQ(m_kit.GetCabFID(0), cab);
    EXPECT_EQ(m_kit.GetCabFID(1), 0x3012);

    long moved = 0;
    ASSERT_EQ(m_kit.MoveKFl(m_db, 1, 5, 0, -1, &moved), 0);
    EXPECT_EQ(moved, 0x300D);
    ASSERT_EQ(m_kit.LoadCabCData(m_db), 0);
    ASSERT_EQ(m_kit.LoadKFlCData(m_db, 0), 0);
    EXPECT_EQ(m_kit.GetKFlCount(), 2);
    EXPECT_EQ(m_kit.GetKFIFID(0), folder);
    EXPECT_EQ(m_kit.GetKFIFID(1), 0x300D);
    ASSERT_EQ(m_kit.DelCab(m_db, 0), 0);
    ASSERT_EQ(m_kit.LoadCabCData(m_db), 0);
    EXPECT_EQ(m_kit.GetCabCount(), 1);
    EXPECT_EQ(m_kit.GetCabFID(0), 0x3012);
}

TEST_F(KitOverEngineTest, KnownDatabasesAnswerWithNamesAndLocations) {
    CDWordArray ids;
    ASSERT_EQ(m_kit.GetAllDBID(ids), 1);
    bool listed = false;
    for (int i = 0; i < ids.GetSize(); ++i) listed = listed || static_cast<long>(ids[i]) == m_db;
    EXPECT_TRUE(listed);
    CString name, location;
    EXPECT_EQ(m_kit.GetDBName(m_db, name), 1);
    EXPECT_EQ(name, "source");
    ASSERT_EQ(m_kit.GetDBLocation(m_db, 1, location), 1);
    ASSERT_GE(location.GetLength(), 18);
    // The folder is the location less its 18-character file name.
    EXPECT_EQ(location.Right(18).Find('/'), -1);
    EXPECT_EQ(m_kit.SetDBName(m_db, "\x8a\x94" /* 株 */), 1);
    EXPECT_EQ(m_kit.GetDBName(m_db, name), 1);
    EXPECT_EQ(name, "\x8a\x94");
    EXPECT_EQ(m_kit.SetDefaultDBID(m_db), 1);
    long fallback = 0;
    EXPECT_EQ(m_kit.GetDefaultDBID(&fallback), 1);
    EXPECT_EQ(fallback, m_db);
}

// A record keeps the stamp it stored, so it may be changed and stored again
// and again; only a store by someone else in between is a conflict.
TEST_F(KitOverEngineTest, ARecordStoredOnceStoresAgainUntilAnotherWriterComesBetween) {
    const long tip = NewTip(0x300, 0x300C, "first");
    ASSERT_EQ(m_kit.GetTip(m_db, 0x300C, tip), 0);
    long stored = 0;
    for (const char* memo : {"second", "third", "fourth"}) {
        SCOPED_TRACE(memo);
        ASSERT_EQ(m_kit.SetMemo(memo), 1);
        EXPECT_EQ(m_kit.PutTip(m_db, 0x300C, &stored), 0);
        ASSERT_EQ(m_kit.SetMemo(memo), 1);
        EXPECT_EQ(m_kit.PutTipNoEntryDay(m_db, 0x300C, &stored), 0);
    }
    EXPECT_EQ(stored, tip);
    ASSERT_EQ(m_kit.SetMemo("mine"), 1);
    EXPECT_EQ(PutByProbe(tip, "theirs"), "0\n");
    EXPECT_EQ(m_kit.PutTipNoEntryDay(m_db, 0x300C, &stored), VARO_ERR_CHANGED);
    EXPECT_EQ(Memo(tip), "theirs");
}

// The kit object that created (and so seeded) a database may delete it or
// restore it without opening it; its own Open keeps it until Close, and so
// does an opening by another kit object.
TEST_F(KitOverEngineTest, TheCreatorDeletesAndRestoresWhatItOnlySeeded) {
    for (int mode : {1, 2}) {
        SCOPED_TRACE(mode);
        long db = 0;
        ASSERT_EQ(m_kit.Create("half seeded", &db), 0);
        const std::string file = DatabasePath(db);
        ASSERT_FALSE(file.empty());
        EXPECT_EQ(m_kit.Delete(db, mode), 0);
        EXPECT_NE(access(file.c_str(), F_OK), 0);
        CString name;
        EXPECT_EQ(m_kit.GetDBName(db, name), mode == 1 ? 1 : 0);
        if (mode == 1) {
            EXPECT_EQ(m_kit.Delete(db, 0), 0);
        }
    }

    ASSERT_EQ(m_kit.Create("restored", &m_other), 0);
    ASSERT_EQ(m_kit.DBBackup(m_other), 0);
    ASSERT_EQ(m_kit.FukuroLockOpen(m_other, 0x300C), 0);
    m_kit.SetTipID(0);
    ASSERT_EQ(m_kit.SetTipFlag(0x300), 1);
    long lost = 0;
    ASSERT_EQ(m_kit.PutTip(m_other, 0x300C, &lost), 0);
    ASSERT_EQ(m_kit.DBRestore(m_other), 0);
    ASSERT_EQ(m_kit.Open(m_other), 0);
    EXPECT_NE(m_kit.GetTip(m_other, 0, lost), 0);

    EXPECT_EQ(m_kit.Delete(m_other, 2), varo::kEngineInUse);
    ASSERT_EQ(m_kit.Close(m_other), 0);
    {
        CVAROObj second;
        ASSERT_EQ(second.Init(nullptr), 1);
        ASSERT_EQ(second.Open(m_other), 0);
        EXPECT_EQ(m_kit.Delete(m_other, 2), varo::kEngineInUse);
        second.End();
    }
    EXPECT_EQ(m_kit.Delete(m_other, 2), 0);
    m_other = 0;
}

// Whether the record was read by id or in a walk, the store that follows
// another process's sees the change.
TEST_F(KitOverEngineTest, AChangeByAnotherProcessGivesAConflictThenTheSecondPutWrites) {
    const long tip = NewTip(0x300, 0x300C, "first");
    const std::vector<std::function<void()>> reads = {
        [&] { ASSERT_EQ(m_kit.GetTip(m_db, 0x300C, tip), 0); },
        [&] {
            ASSERT_EQ(m_kit.FukuroOpen(m_db, 0x300C), 0);
            long read = 0;
            do {
                ASSERT_EQ(m_kit.ReadTip(m_db, 0x300C, 1), 0);
                ASSERT_EQ(m_kit.GetTipID(&read), 1);
            } while (read != 0 && read != tip);
            ASSERT_EQ(read, tip);
        },
    };
    for (size_t way = 0; way < reads.size(); ++way) {
        SCOPED_TRACE(way);
        reads[way]();
        ASSERT_EQ(m_kit.SetMemo("mine"), 1);
        EXPECT_EQ(PutByProbe(tip, "theirs"), "0\n");
        long stored = 0;
        EXPECT_EQ(m_kit.PutTip(m_db, 0x300C, &stored), VARO_ERR_CHANGED);
        EXPECT_EQ(Memo(tip), "theirs");
        ASSERT_EQ(m_kit.GetTip(m_db, 0x300C, tip), 0);
        ASSERT_EQ(m_kit.SetMemo("mine"), 1);
        EXPECT_EQ(m_kit.PutTip(m_db, 0x300C, &stored), 0);
        EXPECT_EQ(Memo(tip), "mine");
        if (way == 1) {
            EXPECT_EQ(m_kit.FukuroClose(m_db, 0x300C), 0);
        }
    }
}

TEST_F(KitOverEngineTest, AFukuroLockedByAnotherProcessMakesTipsReadOnly) {
    const long tip = NewTip(0x300, 0x300C, "first");
    const std::string command = std::string(VARO_E2E_PROBE) + " lock " + std::to_string(m_db) + " 0x300C";
    FILE* holder = popen(command.c_str(), "w");
    ASSERT_NE(holder, nullptr);
    // The holder prints its code once the lock is taken; give it a moment.
    bool locked = false;
    for (int i = 0; i < 100 && !locked; ++i) {
        m_kit.FukuroOpen(m_db, 0x300C);
        ASSERT_EQ(m_kit.GetTip(m_db, 0x300C, tip), 0);
        locked = m_kit.SetMemo("blocked") == 0;
        m_kit.FukuroClose(m_db, 0x300C);
        if (!locked) usleep(20000);
    }
    EXPECT_TRUE(locked);
    // Read-only tips come in the compact layout, which the getters follow.
    CString memo;
    EXPECT_EQ(m_kit.GetMemo(memo), 1);
    EXPECT_EQ(memo, "first");
    pclose(holder);
    m_kit.FukuroOpen(m_db, 0x300C);
    ASSERT_EQ(m_kit.GetTip(m_db, 0x300C, tip), 0);
    EXPECT_EQ(m_kit.SetMemo("free again"), 1);
}

TEST_F(KitOverEngineTest, ChangesByAnotherProcessArriveAtTheOwnerWindow) {
    const long tip = NewTip(0x300, 0x300C, "first");
    CChkItem item(static_cast<int32_t>(m_db), 0, 0);
    CChkItemList watch;
    watch.Add(&item);
    ASSERT_EQ(m_kit.SetAdviseData(&watch), 0);
    m_kit.BeginAdviseData();
    EXPECT_EQ(PutByProbe(tip, "theirs"), "0\n");
    for (int i = 0; i < 100 && !m_owner.advised; ++i) {
        PumpMessages();
        if (!m_owner.advised) usleep(20000);
    }
    ASSERT_TRUE(m_owner.advised);
    EXPECT_EQ(static_cast<long>(m_owner.adviseWParam), m_db);
    m_kit.FreeAdviseData(static_cast<long>(m_owner.adviseLParam));
    m_kit.DelAdviseData(&watch);
}

}  // namespace
