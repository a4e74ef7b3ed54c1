#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <vector>

#include "Window.h"

namespace {

struct Delivery {
    CWnd* window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// Records every message it gets in a shared log and then runs `onMessage`,
// if any; answers message + 1.
class LoggingWnd : public CWnd {
public:
    explicit LoggingWnd(std::vector<Delivery>* log) : m_log(log) {}

    std::function<void(UINT message)> onMessage;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        m_log->push_back(Delivery{this, message, wParam, lParam});
        if (onMessage) onMessage(message);
        return static_cast<LRESULT>(message) + 1;
    }

private:
    std::vector<Delivery>* m_log;
};

// Deletes itself on its first message, as a window may.
class SelfDeletingWnd : public CWnd {
public:
    explicit SelfDeletingWnd(std::vector<Delivery>* log) : m_log(log) {}

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        m_log->push_back(Delivery{this, message, wParam, lParam});
        delete this;
        return 0;
    }

private:
    std::vector<Delivery>* m_log;
};

// Removes the hooks a test added, whatever the test's outcome.
class HookGuard {
public:
    ~HookGuard() {
        for (int id : ids) RemovePumpHook(id);
    }
    std::vector<int> ids;
};

TEST(WindowTest, ChildrenLiveAndDieWithTheirParent) {
    CWnd parent;
    EXPECT_EQ(parent.GetSafeHwnd(), nullptr);
    EXPECT_FALSE(parent.DestroyWindow());
    ASSERT_TRUE(parent.Create(nullptr));
    EXPECT_FALSE(parent.Create(nullptr));
    EXPECT_EQ(parent.GetParent(), nullptr);

    CWnd child, sibling, grandchild, orphan, windowless;
    ASSERT_TRUE(child.Create(&parent, 7));
    ASSERT_TRUE(sibling.Create(&parent, 8));
    ASSERT_TRUE(grandchild.Create(&child, 9));
    EXPECT_FALSE(orphan.Create(&windowless));
    EXPECT_EQ(orphan.GetSafeHwnd(), nullptr);
    EXPECT_EQ(child.GetParent(), &parent);
    EXPECT_EQ(grandchild.GetParent(), &child);
    EXPECT_EQ(sibling.GetDlgCtrlID(), 8u);
    EXPECT_EQ(CWnd::FromHandle(grandchild.GetSafeHwnd()), &grandchild);

    // A child whose object goes first leaves its parent's list.
    CWnd* early = new CWnd;
    ASSERT_TRUE(early->Create(&child));
    const HWND earlyHandle = early->GetSafeHwnd();
    delete early;
    EXPECT_FALSE(IsWindow(earlyHandle));

    const HWND handles[] = {parent.GetSafeHwnd(), child.GetSafeHwnd(), sibling.GetSafeHwnd(),
                            grandchild.GetSafeHwnd()};
    EXPECT_TRUE(parent.DestroyWindow());
    for (HWND handle : handles) {
        EXPECT_FALSE(IsWindow(handle));
        EXPECT_EQ(CWnd::FromHandle(handle), nullptr);
    }
    for (CWnd* window : {&parent, &child, &sibling, &grandchild}) {
        EXPECT_EQ(window->GetSafeHwnd(), nullptr);
        EXPECT_EQ(window->GetParent(), nullptr);
        EXPECT_EQ(window->GetDlgCtrlID(), 0u);
        EXPECT_FALSE(window->DestroyWindow());
    }

    // The objects can have windows again, with new handles.
    ASSERT_TRUE(child.Create(nullptr, 3));
    for (HWND handle : handles) EXPECT_NE(child.GetSafeHwnd(), handle);
    HWND scopedHandle;
    {
        CWnd scoped;
        ASSERT_TRUE(scoped.Create(&child));
        scopedHandle = scoped.GetSafeHwnd();
    }
    EXPECT_FALSE(IsWindow(scopedHandle));
    EXPECT_TRUE(child.DestroyWindow());
}

TEST(WindowTest, DeadHandlesAreNeverReusedAndRefuseMessages) {
    std::vector<Delivery> log;
    std::set<HWND> seen;
    for (int i = 0; i < 200; ++i) {
        LoggingWnd window(&log);
        ASSERT_TRUE(window.Create(nullptr));
        EXPECT_TRUE(seen.insert(window.GetSafeHwnd()).second);
    }
    LoggingWnd live(&log);
    ASSERT_TRUE(live.Create(nullptr));
    EXPECT_TRUE(seen.insert(live.GetSafeHwnd()).second);
    for (HWND dead : {*seen.begin(), static_cast<HWND>(nullptr)}) {
        EXPECT_FALSE(PostMessage(dead, 1, 2, 3));
        EXPECT_EQ(SendMessage(dead, 1, 2, 3), 0);
        EXPECT_EQ(CWnd::FromHandle(dead), nullptr);
    }
    // A handle cut to 32 bits on its way names no window.
    const HWND cut = reinterpret_cast<HWND>(static_cast<uintptr_t>(
        static_cast<uint32_t>(reinterpret_cast<uintptr_t>(live.GetSafeHwnd()))));
    EXPECT_FALSE(IsWindow(cut));
    EXPECT_EQ(PumpMessages(), 0);
    EXPECT_TRUE(log.empty());
}

TEST(WindowTest, PostedMessagesArriveInPostingOrderAcrossWindows) {
    std::vector<Delivery> log;
    LoggingWnd a(&log), b(&log);
    ASSERT_TRUE(a.Create(nullptr));
    ASSERT_TRUE(b.Create(&a));
    EXPECT_TRUE(PostMessage(a.GetSafeHwnd(), 1, 10, -10));
    EXPECT_TRUE(PostMessage(b.GetSafeHwnd(), 2, 20, -20));
    EXPECT_TRUE(PostMessage(a.GetSafeHwnd(), 3, 30, -30));
    EXPECT_TRUE(PostMessage(b.GetSafeHwnd(), 4, WPARAM(-1), INTPTR_MIN));

    EXPECT_EQ(SendMessage(b.GetSafeHwnd(), 99, 0, 0), 100);  // at once, ahead of the queue
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].message, 99u);
    log.clear();

    EXPECT_EQ(PumpMessages(), 4);
    ASSERT_EQ(log.size(), 4u);
    CWnd* const windows[] = {&a, &b, &a, &b};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(log[i].window, windows[i]);
        EXPECT_EQ(log[i].message, i + 1);
        EXPECT_EQ(log[i].wParam, (i + 1) * 10);
        EXPECT_EQ(log[i].lParam, -static_cast<LPARAM>((i + 1) * 10));
    }
    EXPECT_EQ(log[3].window, &b);
    EXPECT_EQ(log[3].wParam, WPARAM(-1));
    EXPECT_EQ(log[3].lParam, INTPTR_MIN);
    EXPECT_EQ(PumpMessages(), 0);
}

TEST(WindowTest, MessagesOfWindowsDestroyedBeforeDeliveryAreDropped) {
    std::vector<Delivery> log;
    LoggingWnd a(&log), b(&log), c(&log);
    ASSERT_TRUE(a.Create(nullptr));
    ASSERT_TRUE(b.Create(nullptr));
    ASSERT_TRUE(c.Create(&b));
    PostMessage(a.GetSafeHwnd(), 1, 0, 0);
    PostMessage(c.GetSafeHwnd(), 2, 0, 0);
    PostMessage(a.GetSafeHwnd(), 3, 0, 0);
    b.DestroyWindow();  // takes its child c with it
    EXPECT_EQ(PumpMessages(), 2);
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[1].message, 3u);

    // Destroyed from inside a delivery: one window destroys another, and a
    // window deletes its own object.
    log.clear();
    ASSERT_TRUE(b.Create(nullptr));
    SelfDeletingWnd* self = new SelfDeletingWnd(&log);
    ASSERT_TRUE(self->Create(nullptr));
    a.onMessage = [&b](UINT) { b.DestroyWindow(); };
    PostMessage(self->GetSafeHwnd(), 10, 0, 0);
    PostMessage(self->GetSafeHwnd(), 11, 0, 0);
    PostMessage(a.GetSafeHwnd(), 12, 0, 0);
    PostMessage(b.GetSafeHwnd(), 13, 0, 0);
    PostMessage(a.GetSafeHwnd(), 14, 0, 0);
    EXPECT_EQ(PumpMessages(), 3);
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0].message, 10u);
    EXPECT_EQ(log[1].message, 12u);
    EXPECT_EQ(log[2].message, 14u);
    a.onMessage = nullptr;
}

TEST(WindowTest, PumpingIsBoundedByWhatWasQueuedAtItsStart) {
    std::vector<Delivery> log;
    LoggingWnd looping(&log), other(&log);
    ASSERT_TRUE(looping.Create(nullptr));
    ASSERT_TRUE(other.Create(nullptr));
    looping.onMessage = [&](UINT message) { PostMessage(looping.GetSafeHwnd(), message, 0, 0); };
    PostMessage(looping.GetSafeHwnd(), 5, 0, 0);
    for (int pump = 0; pump < 3; ++pump) EXPECT_EQ(PumpMessages(), 1);
    EXPECT_EQ(log.size(), 3u);

    // Posted while delivering: delivered in the same pump while within the
    // count, else by the next one.
    looping.onMessage = [&](UINT) { PostMessage(other.GetSafeHwnd(), 6, 0, 0); };
    PostMessage(other.GetSafeHwnd(), 7, 0, 0);
    log.clear();
    EXPECT_EQ(PumpMessages(), 2);  // 5 for looping, then 7; the 6 it posts waits
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[1].message, 7u);
    looping.onMessage = nullptr;
    EXPECT_EQ(PumpMessages(), 1);
    EXPECT_EQ(log.back().message, 6u);
    EXPECT_EQ(PumpMessages(), 0);
}

struct HookContext {
    std::vector<int>* calls;
    int tag;
    HWND target;
    int* removeId;
};

void Hook(void* context) {
    HookContext* hook = static_cast<HookContext*>(context);
    hook->calls->push_back(hook->tag);
    if (hook->target) PostMessage(hook->target, static_cast<UINT>(100 + hook->tag), 0, 0);
    if (hook->removeId && *hook->removeId) RemovePumpHook(*hook->removeId);
}

void PumpingHook(void* context) {
    static_cast<HookContext*>(context)->calls->push_back(PumpMessages());
}

TEST(WindowTest, HooksRunFirstAndTheirMessagesArriveInTheSamePump) {
    std::vector<Delivery> log;
    LoggingWnd window(&log);
    ASSERT_TRUE(window.Create(nullptr));
    std::vector<int> calls;
    HookGuard guard;
    int selfId = 0;
    HookContext posting{&calls, 1, window.GetSafeHwnd(), nullptr};
    HookContext removing{&calls, 2, nullptr, &selfId};
    HookContext quiet{&calls, 3, nullptr, nullptr};
    EXPECT_EQ(AddPumpHook(nullptr, nullptr), 0);
    guard.ids.push_back(AddPumpHook(Hook, &posting));
    selfId = AddPumpHook(Hook, &removing);
    guard.ids.push_back(selfId);
    guard.ids.push_back(AddPumpHook(Hook, &quiet));
    EXPECT_GT(guard.ids[0], 0);
    EXPECT_EQ(std::set<int>(guard.ids.begin(), guard.ids.end()).size(), 3u);

    PostMessage(window.GetSafeHwnd(), 50, 0, 0);
    EXPECT_EQ(PumpMessages(), 2);
    EXPECT_EQ(calls, (std::vector<int>{1, 2, 3}));
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].message, 50u);
    EXPECT_EQ(log[1].message, 101u);

    calls.clear();
    RemovePumpHook(guard.ids[0]);
    RemovePumpHook(12345);  // unknown: ignored
    EXPECT_EQ(PumpMessages(), 0);
    EXPECT_EQ(calls, (std::vector<int>{3}));

    // A hook that pumps gets a pump without hooks, so nothing recurses.
    calls.clear();
    HookContext pumping{&calls, 4, nullptr, nullptr};
    guard.ids.push_back(AddPumpHook(PumpingHook, &pumping));
    PostMessage(window.GetSafeHwnd(), 60, 0, 0);
    EXPECT_EQ(PumpMessages(), 0);  // the hook's own pump delivered it
    EXPECT_EQ(calls, (std::vector<int>{3, 1}));
    EXPECT_EQ(log.back().message, 60u);
}

}  // namespace
