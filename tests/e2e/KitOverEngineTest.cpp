#include <gtest/gtest.h>

#include <string>

#include "VAROObj.h"

namespace {

class KitOverEngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(m_kit.Init(nullptr), 1);
        ASSERT_EQ(m_kit.Create("source", &m_db), 0);
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

    CVAROObj m_kit;
    long m_db = 0;
    long m_other = 0;
};

// Each kind in its home fukuro: store, read back, change, store, read again.
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
        m_kit.SetTipID(0);
        ASSERT_EQ(m_kit.SetTipFlag(k.kind), 1);
        m_kit.SetSecret(1);
        long tip = 0;
        ASSERT_EQ(m_kit.PutTip(m_db, k.fukuro, &tip), 0) << std::hex << k.kind;
        ASSERT_EQ(m_kit.GetTip(m_db, k.fukuro, tip), 0) << std::hex << k.kind;
        unsigned short kind = 0;
        m_kit.GetTipFlag(&kind);
        EXPECT_EQ(kind, k.kind);
        const int secret = k.kind == 0x800 || k.kind == 0x900 ? 0 : 1;
        int read = -1;
        m_kit.GetSecret(&read);
        EXPECT_EQ(read, secret) << std::hex << k.kind;
        m_kit.SetSecret(0);
        CSelectTips links;
        links.Add(static_cast<DWORD>(tip));
        m_kit.SetLinkData(links);
        long again = 0;
        ASSERT_EQ(m_kit.PutTip(m_db, k.fukuro, &again), 0) << std::hex << k.kind;
        EXPECT_EQ(again, tip);
        ASSERT_EQ(m_kit.GetTip(m_db, 0, tip), 0);
        m_kit.GetSecret(&read);
        EXPECT_EQ(read, 0) << std::hex << k.kind;
    }
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

TEST_F(KitOverEngineTest, CabinetsAndFoldersChangeAndReload) {
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

}  // namespace
