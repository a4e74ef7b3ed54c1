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

// Records every message it gets in a shared log, then runs `onMessage` if
// any, and answers message + 1; deletes itself on its first message when
// `selfDeleting`, as a window may.
class LoggingWnd : public CWnd {
public:
    explicit LoggingWnd(std::vector<Delivery>* log, bool selfDeleting = false)
        : m_log(log), m_selfDeleting(selfDeleting) {}

    std::function<void(UINT message)> onMessage;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        m_log->push_back(Delivery{this, message, wParam, lParam});
        if (m_selfDeleting) {
            delete this;
            return 0;
        }
        if (onMessage) onMessage(message);
        return static_cast<LRESULT>(message) + 1;
    }

private:
    std::vector<Delivery>* m_log;
    bool m_selfDeleting;
};

std::vector<UINT> Messages(const std::vector<Delivery>& log) {
    std::vector<UINT> messages;
    for (const Delivery& delivery : log) messages.push_back(delivery.message);
    return messages;
}

TEST(WindowTest, ChildrenLiveAndDieWithTheirParent) {
    CWnd parent;
    EXPECT_FALSE(parent.DestroyWindow());
    ASSERT_TRUE(parent.Create(nullptr));
    EXPECT_FALSE(parent.Create(nullptr));
    EXPECT_EQ(parent.GetParent(), nullptr);

    CWnd child, grandchild, orphan, windowless;
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
    for (HWND handle : handles) {
        EXPECT_FALSE(IsWindow(handle));
        EXPECT_EQ(CWnd::FromHandle(handle), nullptr);
    }
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
    const Delivery posted[] = {{&a, 1, 10, -10}, {&b, 2, 20, -20}, {&a, 3, 30, -30}, {&b, 4, WPARAM(-1), INTPTR_MIN}};
    for (const Delivery& p : posted) EXPECT_TRUE(PostMessage(p.window->GetSafeHwnd(), p.message, p.wParam, p.lParam));

    EXPECT_EQ(SendMessage(b.GetSafeHwnd(), 99, 0, 0), 100);  // at once, ahead of the queue
    EXPECT_EQ(Messages(log), std::vector<UINT>{99});
    log.clear();

    EXPECT_EQ(PumpMessages(), 4);
    ASSERT_EQ(log.size(), 4u);
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(log[i].window, posted[i].window);
        EXPECT_EQ(log[i].message, posted[i].message);
        EXPECT_EQ(log[i].wParam, posted[i].wParam);
        EXPECT_EQ(log[i].lParam, posted[i].lParam);
    }
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
    EXPECT_EQ(Messages(log), (std::vector<UINT>{1, 3}));

    // Destroyed from inside a delivery: one window destroys another, and a
    // window deletes its own object.
    log.clear();
    ASSERT_TRUE(b.Create(nullptr));
    LoggingWnd* self = new LoggingWnd(&log, true);
    ASSERT_TRUE(self->Create(nullptr));
    a.onMessage = [&b](UINT) { b.DestroyWindow(); };
    for (auto [window, message] : {std::pair<HWND, UINT>{self->GetSafeHwnd(), 10}, {self->GetSafeHwnd(), 11},
                                   {a.GetSafeHwnd(), 12}, {b.GetSafeHwnd(), 13}, {a.GetSafeHwnd(), 14}}) {
        PostMessage(window, message, 0, 0);
    }
    EXPECT_EQ(PumpMessages(), 3);
    EXPECT_EQ(Messages(log), (std::vector<UINT>{10, 12, 14}));
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
    EXPECT_EQ(Messages(log), (std::vector<UINT>{5, 7}));
    looping.onMessage = nullptr;
    EXPECT_EQ(PumpMessages(), 1);
    EXPECT_EQ(log.back().message, 6u);
    EXPECT_EQ(PumpMessages(), 0);
}

struct HookContext {
    std::vector<int>* calls;
    int tag;
    HWND target;    // posted 100 + tag when set
    int* removeId;  // removed from inside the hook when set
};

void Hook(void* context) {
    HookContext* hook = static_cast<HookContext*>(context);
    hook->calls->push_back(hook->tag);
    if (hook->target) PostMessage(hook->target, static_cast<UINT>(100 + hook->tag), 0, 0);
    if (hook->removeId && *hook->removeId) RemovePumpHook(*hook->removeId);
}

void PumpingHook(void* context) { static_cast<HookContext*>(context)->calls->push_back(PumpMessages()); }

TEST(WindowTest, HooksRunFirstAndTheirMessagesArriveInTheSamePump) {
    std::vector<Delivery> log;
    LoggingWnd window(&log);
    ASSERT_TRUE(window.Create(nullptr));
    std::vector<int> calls;
    int selfId = 0;
    HookContext posting{&calls, 1, window.GetSafeHwnd(), nullptr};
    HookContext removing{&calls, 2, nullptr, &selfId};
    HookContext quiet{&calls, 3, nullptr, nullptr};
    HookContext pumping{&calls, 4, nullptr, nullptr};
    EXPECT_EQ(AddPumpHook(nullptr, nullptr), 0);
    const int postingId = AddPumpHook(Hook, &posting);
    selfId = AddPumpHook(Hook, &removing);
    const int quietId = AddPumpHook(Hook, &quiet);
    EXPECT_GT(postingId, 0);
    EXPECT_EQ(std::set<int>({postingId, selfId, quietId}).size(), 3u);

    PostMessage(window.GetSafeHwnd(), 50, 0, 0);
    EXPECT_EQ(PumpMessages(), 2);
    EXPECT_EQ(calls, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(Messages(log), (std::vector<UINT>{50, 101}));

    calls.clear();
    RemovePumpHook(postingId);
    RemovePumpHook(12345);  // unknown: ignored
    EXPECT_EQ(PumpMessages(), 0);
    EXPECT_EQ(calls, (std::vector<int>{3}));

    // A hook that pumps gets a pump without hooks, so nothing recurses.
    calls.clear();
    const int pumpingId = AddPumpHook(PumpingHook, &pumping);
    PostMessage(window.GetSafeHwnd(), 60, 0, 0);
    EXPECT_EQ(PumpMessages(), 0);  // the hook's own pump delivered it
    EXPECT_EQ(calls, (std::vector<int>{3, 1}));
    EXPECT_EQ(log.back().message, 60u);
    RemovePumpHook(quietId);
    RemovePumpHook(pumpingId);
}

}  // namespace
