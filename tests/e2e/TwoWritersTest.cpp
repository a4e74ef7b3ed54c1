#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <string>

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

// Receives the messages posted to the application's owner window.
class OwnerWindow : public CWnd {
public:
    UINT lastMessage = 0;
    WPARAM lastWParam = 0;
    LPARAM lastLParam = 0;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        lastMessage = message;
        lastWParam = wParam;
        lastLParam = lParam;
        return 0;
    }
};

class TwoWritersTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_owner.Create(nullptr));
        ASSERT_EQ(m_kit.Init(&m_owner), 1);
        ASSERT_EQ(m_kit.Create("writers", &m_db), 0);
        ASSERT_EQ(m_kit.Open(m_db), 0);
        m_kit.SetTipID(0);
        m_kit.SetTipFlag(0x300);
        m_kit.SetMemo("first");
        ASSERT_EQ(m_kit.PutTip(m_db, 0x300C, &m_tip), 0);
    }
    void TearDown() override {
        m_kit.Close(m_db);
        m_kit.Delete(m_db, 2);
        m_kit.End();
    }

    std::string Memo() {
        CString memo;
        m_kit.GetTip(m_db, 0x300C, m_tip);
        m_kit.GetMemo(memo);
        return memo.Bytes();
    }

    OwnerWindow m_owner;
    CVAROObj m_kit;
    long m_db = 0;
    long m_tip = 0;
};

TEST_F(TwoWritersTest, AChangeByAnotherKitObjectIsNotOverwrittenUnseen) {
    ASSERT_EQ(m_kit.GetTip(m_db, 0x300C, m_tip), 0);
    {
        CVAROObj other;
        ASSERT_EQ(other.Init(nullptr), 1);
        ASSERT_EQ(other.Open(m_db), 0);
        ASSERT_EQ(other.GetTip(m_db, 0x300C, m_tip), 0);
        ASSERT_EQ(other.SetMemo("other"), 1);
        long stored = 0;
        ASSERT_EQ(other.PutTip(m_db, 0x300C, &stored), 0);
        other.Close(m_db);
    }
    long stored = 0;
    EXPECT_EQ(m_kit.PutTip(m_db, 0x300C, &stored), VARO_ERR_CHANGED);
    EXPECT_EQ(m_kit.PutTip(m_db, 0x300C, &stored), 0);
}

TEST_F(TwoWritersTest, AChangeByAnotherProcessGivesAConflictThenTheSecondPutWrites) {
    ASSERT_EQ(m_kit.GetTip(m_db, 0x300C, m_tip), 0);
    ASSERT_EQ(m_kit.SetMemo("mine"), 1);
    EXPECT_EQ(RunProbe("put " + std::to_string(m_db) + " 0x300C " + std::to_string(m_tip) + " theirs"), "0\n");
    long stored = 0;
    EXPECT_EQ(m_kit.PutTip(m_db, 0x300C, &stored), VARO_ERR_CHANGED);
    EXPECT_EQ(Memo(), "theirs");
    ASSERT_EQ(m_kit.SetMemo("mine"), 1);
    EXPECT_EQ(m_kit.PutTip(m_db, 0x300C, &stored), 0);
    EXPECT_EQ(Memo(), "mine");
}

TEST_F(TwoWritersTest, AFukuroLockedByAnotherProcessMakesTipsReadOnly) {
    const std::string command = std::string(VARO_E2E_PROBE) + " lock " + std::to_string(m_db) + " 0x300C";
    FILE* holder = popen(command.c_str(), "w");
    ASSERT_NE(holder, nullptr);
    // The holder prints its code once the lock is taken; give it a moment.
    bool locked = false;
    for (int i = 0; i < 100 && !locked; ++i) {
        m_kit.FukuroOpen(m_db, 0x300C);
        ASSERT_EQ(m_kit.GetTip(m_db, 0x300C, m_tip), 0);
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
    ASSERT_EQ(m_kit.GetTip(m_db, 0x300C, m_tip), 0);
    EXPECT_EQ(m_kit.SetMemo("free again"), 1);
}

TEST_F(TwoWritersTest, ChangesByAnotherProcessArriveAtTheOwnerWindow) {
    CChkItem item(static_cast<int32_t>(m_db), 0, 0);
    CChkItemList watch;
    watch.Add(&item);
    ASSERT_EQ(m_kit.SetAdviseData(&watch), 0);
    m_kit.BeginAdviseData();
    EXPECT_EQ(RunProbe("put " + std::to_string(m_db) + " 0x300C " + std::to_string(m_tip) + " theirs"), "0\n");
    for (int i = 0; i < 100 && m_owner.lastMessage != WM_ON_ADVISEDATA; ++i) {
        PumpMessages();
        if (m_owner.lastMessage != WM_ON_ADVISEDATA) usleep(20000);
    }
    ASSERT_EQ(m_owner.lastMessage, WM_ON_ADVISEDATA);
    EXPECT_EQ(static_cast<long>(m_owner.lastWParam), m_db);
    m_kit.FreeAdviseData(static_cast<long>(m_owner.lastLParam));
    m_kit.DelAdviseData(&watch);
}

}  // namespace
