#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <set>
#include <vector>

#include "Window.h"

namespace {

struct Delivery {
    CWnd* window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool operator==(const Delivery& o) const {
        return window == o.window && message == o.message && wParam == o.wParam && lParam == o.lParam;
    }
};

// A window created at once (a child of `parent` when given) that records
// every message it gets in a shared log, then runs `onMessage` if any, and
// answers message + 1; deletes itself on its first message when
// `selfDeleting`, as a window may.
class LoggingWnd : public CWnd {
public:
    LoggingWnd(std::vector<Delivery>* log, CWnd* parent = nullptr, bool selfDeleting = false)
        : m_log(log), m_selfDeleting(selfDeleting) {
        EXPECT_TRUE(Create(parent));
    }
    HWND Handle() const { return GetSafeHwnd(); }
    std::function<void(UINT message)> onMessage;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        m_log->push_back(Delivery{this, message, wParam, lParam});
        if (m_selfDeleting) delete this;
        else if (onMessage) onMessage(message);
        return static_cast<LRESULT>(message) + 1;
    }

private:
    std::vector<Delivery>* m_log;
    bool m_selfDeleting;
};

class WindowTest : public ::testing::Test {
protected:
    std::vector<UINT> Messages() const {
        std::vector<UINT> messages;
        for (const Delivery& delivery : log) messages.push_back(delivery.message);
        return messages;
    }
    std::vector<Delivery> log;
};

TEST(WindowLifeTest, ChildrenLiveAndDieWithTheirParent) {
    CWnd parent, child, grandchild, orphan, windowless;
    ASSERT_TRUE(parent.Create(nullptr));
    EXPECT_FALSE(parent.Create(nullptr));
    EXPECT_EQ(parent.GetParent(), nullptr);
    ASSERT_TRUE(child.Create(&parent, 7));
    ASSERT_TRUE(grandchild.Create(&child, 9));
    EXPECT_FALSE(orphan.Create(&windowless));
    EXPECT_EQ(orphan.GetSafeHwnd(), nullptr);
    EXPECT_EQ(grandchild.GetParent(), &child);
    EXPECT_EQ(child.GetDlgCtrlID(), 7u);
    EXPECT_EQ(CWnd::FromHandle(grandchild.GetSafeHwnd()), &grandchild);

    // A child whose object goes first leaves its parent's list.
    CWnd* early = new CWnd;
    ASSERT_TRUE(early->Create(&child));
    const HWND earlyHandle = early->GetSafeHwnd();
    delete early;
    EXPECT_FALSE(IsWindow(earlyHandle));

    const HWND handles[] = {parent.GetSafeHwnd(), child.GetSafeHwnd(), grandchild.GetSafeHwnd()};
    EXPECT_TRUE(parent.DestroyWindow());
    for (HWND handle : handles) EXPECT_EQ(CWnd::FromHandle(handle), nullptr);
    for (CWnd* window : {&parent, &child, &grandchild}) {
        EXPECT_EQ(window->GetSafeHwnd(), nullptr);
        EXPECT_EQ(window->GetParent(), nullptr);
        EXPECT_EQ(window->GetDlgCtrlID(), 0u);
        EXPECT_FALSE(window->DestroyWindow());
    }
    // The objects can have windows again.
    ASSERT_TRUE(child.Create(nullptr, 3));
    EXPECT_TRUE(child.DestroyWindow());
}

TEST_F(WindowTest, DeadHandlesAreNeverReusedAndRefuseMessages) {
    std::set<HWND> seen;
    for (int i = 0; i < 200; ++i) EXPECT_TRUE(seen.insert(LoggingWnd(&log).Handle()).second);
    LoggingWnd live(&log);
    EXPECT_TRUE(seen.insert(live.Handle()).second);
    // A handle cut to 32 bits on its way names no window either.
    const uint32_t low = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(live.Handle()));
    const HWND cut = reinterpret_cast<HWND>(uintptr_t{low});
    for (HWND dead : {*seen.begin(), static_cast<HWND>(nullptr), cut}) {
        EXPECT_FALSE(IsWindow(dead));
        EXPECT_FALSE(PostMessage(dead, 1, 2, 3));
        EXPECT_EQ(SendMessage(dead, 1, 2, 3), 0);
        EXPECT_EQ(CWnd::FromHandle(dead), nullptr);
    }
    EXPECT_EQ(PumpMessages(), 0);
    EXPECT_TRUE(log.empty());
}

TEST_F(WindowTest, PostedMessagesArriveInPostingOrderUnlessTheirWindowIsGone) {
    LoggingWnd a(&log), b(&log, &a);
    const Delivery posted[] = {{&a, 1, 10, -10}, {&b, 2, 20, -20}, {&a, 3, 30, -30}, {&b, 4, WPARAM(-1), INTPTR_MIN}};
    for (const Delivery& p : posted) EXPECT_TRUE(PostMessage(p.window->GetSafeHwnd(), p.message, p.wParam, p.lParam));
    EXPECT_EQ(SendMessage(b.Handle(), 99, 0, 0), 100);  // at once, ahead of the queue
    EXPECT_EQ(Messages(), std::vector<UINT>{99});
    log.clear();
    EXPECT_EQ(PumpMessages(), 4);
    EXPECT_TRUE(log == std::vector<Delivery>(std::begin(posted), std::end(posted)));

    // Destroyed before the pump: b takes its child c with it.
    log.clear();
    LoggingWnd c(&log, &b);
    for (auto [window, message] : {std::pair<HWND, UINT>{a.Handle(), 1}, {c.Handle(), 2}, {a.Handle(), 3}}) {
        PostMessage(window, message, 0, 0);
    }
    b.DestroyWindow();
    EXPECT_EQ(PumpMessages(), 2);
    EXPECT_EQ(Messages(), (std::vector<UINT>{1, 3}));

    // Destroyed from inside a delivery: one window destroys another, and a
    // window deletes its own object.
    log.clear();
    ASSERT_TRUE(b.Create(nullptr));
    LoggingWnd* self = new LoggingWnd(&log, nullptr, true);
    a.onMessage = [&b](UINT) { b.DestroyWindow(); };
    for (auto [window, message] : {std::pair<HWND, UINT>{self->Handle(), 10}, {self->Handle(), 11},
                                   {a.Handle(), 12}, {b.Handle(), 13}, {a.Handle(), 14}}) {
        PostMessage(window, message, 0, 0);
    }
    EXPECT_EQ(PumpMessages(), 3);
    EXPECT_EQ(Messages(), (std::vector<UINT>{10, 12, 14}));
    a.onMessage = nullptr;
}

TEST_F(WindowTest, PumpingIsBoundedByWhatWasQueuedAtItsStart) {
    LoggingWnd looping(&log), other(&log);
    looping.onMessage = [&](UINT message) { PostMessage(looping.Handle(), message, 0, 0); };
    PostMessage(looping.Handle(), 5, 0, 0);
    for (int pump = 0; pump < 3; ++pump) EXPECT_EQ(PumpMessages(), 1);
    EXPECT_EQ(log.size(), 3u);

    // Posted while delivering: delivered in the same pump while within the
    // count, else by the next one.
    looping.onMessage = [&](UINT) { PostMessage(other.Handle(), 6, 0, 0); };
    PostMessage(other.Handle(), 7, 0, 0);
    log.clear();
    EXPECT_EQ(PumpMessages(), 2);  // 5 for looping, then 7; the 6 it posts waits
    looping.onMessage = nullptr;
    EXPECT_EQ(PumpMessages(), 1);
    EXPECT_EQ(Messages(), (std::vector<UINT>{5, 7, 6}));
    EXPECT_EQ(PumpMessages(), 0);
}

// A pump hook running the std::function<void()> it is given.
void RunHook(void* hook) { (*static_cast<std::function<void()>*>(hook))(); }

TEST_F(WindowTest, HooksRunFirstAndTheirMessagesArriveInTheSamePump) {
    LoggingWnd window(&log);
    std::vector<int> calls;
    int selfId = 0;
    std::function<void()> posting = [&] { calls.push_back(1); PostMessage(window.Handle(), 101, 0, 0); };
    std::function<void()> removing = [&] { calls.push_back(2); RemovePumpHook(selfId); };
    std::function<void()> quiet = [&] { calls.push_back(3); };
    std::function<void()> pumping = [&] { calls.push_back(PumpMessages()); };
    EXPECT_EQ(AddPumpHook(nullptr, nullptr), 0);
    const int postingId = AddPumpHook(RunHook, &posting);
    selfId = AddPumpHook(RunHook, &removing);
    const int quietId = AddPumpHook(RunHook, &quiet);
    EXPECT_GT(postingId, 0);
    EXPECT_EQ(std::set<int>({postingId, selfId, quietId}).size(), 3u);

    PostMessage(window.Handle(), 50, 0, 0);
    EXPECT_EQ(PumpMessages(), 2);
    EXPECT_EQ(calls, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(Messages(), (std::vector<UINT>{50, 101}));

    calls.clear();
    RemovePumpHook(postingId);
    RemovePumpHook(12345);  // unknown: ignored
    EXPECT_EQ(PumpMessages(), 0);
    EXPECT_EQ(calls, (std::vector<int>{3}));

    // A hook that pumps gets a pump without hooks, so nothing recurses.
    calls.clear();
    const int pumpingId = AddPumpHook(RunHook, &pumping);
    PostMessage(window.Handle(), 60, 0, 0);
    EXPECT_EQ(PumpMessages(), 0);  // the hook's own pump delivered it
    EXPECT_EQ(calls, (std::vector<int>{3, 1}));
    EXPECT_EQ(log.back().message, 60u);
    RemovePumpHook(quietId);
    RemovePumpHook(pumpingId);
}

}  // namespace
