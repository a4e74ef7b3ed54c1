#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "VAROObj.h"
#include "Window.h"

namespace {

class SeededDatabaseTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_owner.Create(nullptr));
        ASSERT_EQ(m_kit.Init(&m_owner), 1);
        ASSERT_EQ(m_kit.Create("e2e", &m_db), 0);
        ASSERT_GT(m_db, 0);
        ASSERT_EQ(m_kit.Open(m_db), 0);
    }
    void TearDown() override {
        m_kit.Close(m_db);
        m_kit.Delete(m_db, 2);
        m_kit.End();
    }
    CWnd m_owner;
    CVAROObj m_kit;
    long m_db = 0;
};

TEST_F(SeededDatabaseTest, HolidaysAreReadableInTableOrder) {
    ASSERT_EQ(m_kit.FukuroOpen(m_db, 0x3008), 0);
    int count = 0;
    std::string firstMemo;
    for (;;) {
        ASSERT_EQ(m_kit.ReadTip(m_db, 0x3008, 1), 0);
        long tip = 0;
        m_kit.GetTipID(&tip);
        if (tip == 0) break;
        unsigned short kind = 0;
        m_kit.GetTipFlag(&kind);
        EXPECT_EQ(kind, 0x204);
        CString memo;
        EXPECT_EQ(m_kit.GetMemo(memo), 1);
        if (count == 0) firstMemo = memo.Bytes();
        CPIMTime date;
        EXPECT_EQ(m_kit.GetDate(date), 1);
        int holiday = 0;
        EXPECT_EQ(m_kit.GetHoliday(&holiday), 1);
        EXPECT_EQ(holiday, 1);
        CString line;
        EXPECT_EQ(m_kit.GetDisplayString(line), 0);  // anniversaries have no list line
        ++count;
    }
    EXPECT_EQ(count, 13);
    EXPECT_EQ(firstMemo, "\x8c\xb3\x93\xfa");  // 元日
    EXPECT_EQ(m_kit.FukuroClose(m_db, 0x3008), 0);
}

TEST_F(SeededDatabaseTest, CabinetsAndFoldersLoad) {
    ASSERT_EQ(m_kit.LoadCabCData(m_db), 0);
    EXPECT_EQ(m_kit.GetCabCount(), 1);
    EXPECT_EQ(m_kit.GetCabFID(0), 0x3012);
    ASSERT_EQ(m_kit.LoadKFlCData(m_db, 0), 0);
    EXPECT_EQ(m_kit.GetKFlCount(), 6);
    EXPECT_EQ(m_kit.GetKFIFID(5), 0x300D);
}

TEST_F(SeededDatabaseTest, ReadChangeWriteOfAToDo) {
    ASSERT_EQ(m_kit.FukuroLockOpen(m_db, 0x300C), 0);
    m_kit.SetTipID(0);
    ASSERT_EQ(m_kit.SetTipFlag(0x300), 1);
    ASSERT_EQ(m_kit.SetMemo("buy milk"), 1);
    long tip = 0;
    ASSERT_EQ(m_kit.PutTip(m_db, 0x300C, &tip), 0);
    ASSERT_GT(tip, 0);
    ASSERT_EQ(m_kit.GetTip(m_db, 0x300C, tip), 0);
    ASSERT_EQ(m_kit.SetCheck(1), 1);
    long same = 0;
    ASSERT_EQ(m_kit.PutTip(m_db, 0x300C, &same), 0);
    EXPECT_EQ(same, tip);
    ASSERT_EQ(m_kit.GetTip(m_db, 0x300C, tip), 0);
    int check = 0;
    EXPECT_EQ(m_kit.GetCheck(&check), 1);
    EXPECT_EQ(check, 1);
    CString memo;
    EXPECT_EQ(m_kit.GetMemo(memo), 1);
    EXPECT_EQ(memo, "buy milk");
    EXPECT_EQ(m_kit.FukuroClose(m_db, 0x300C), 0);
}

}  // namespace
