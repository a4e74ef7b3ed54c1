// Change notifications through the host: watched items, notices and their
// release, other instances and processes, categories and free names.
#include <sys/wait.h>
#include <unistd.h>

#include "EngineTestSupport.h"
#include "Notifier.h"

namespace enginetest {
namespace {

using namespace varo;
using varo::engine::AdviseNotice;
using varo::engine::ChangeKind;

const char kData[] = "VARO_ON_ADVISE_DATA";

class NotificationTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        Call(*m_engine, kOpInit, {Address(&m_owner)});
        m_db = CreateDatabase(u"notices");
    }
    int32_t Watch(std::vector<WatchItem> items, int op = kOpSetAdviseData, Engine* engine = nullptr) {
        WatchList list{static_cast<int32_t>(items.size()), items.data()};
        return Call(Use(engine), op, {Buffer(&list)});
    }
    // The notices posted since the last call, copied and given back.
    std::vector<AdviseNotice> Notices() {
        std::vector<AdviseNotice> notices;
        for (const FakeHost::Posted& posted : m_host->Pumped(kData)) {
            EXPECT_EQ(&m_owner, posted.window);
            AdviseNotice* notice = reinterpret_cast<AdviseNotice*>(posted.lParam);
            EXPECT_EQ(static_cast<uintptr_t>(notice->database), posted.wParam);
            notices.push_back(*notice);
            Call(*m_engine, kOpFreeAdviseData, {Address(notice)});
        }
        return notices;
    }
    // The one notice expected now: its tip, fukuro and change.
    void ExpectOne(int32_t tip, int32_t fukuro, ChangeKind change) {
        const std::vector<AdviseNotice> notices = Notices();
        ASSERT_EQ(1u, notices.size());
        EXPECT_EQ(m_db, notices[0].database);
        EXPECT_TRUE(tip == 0 || tip == notices[0].tip) << notices[0].tip;
        EXPECT_TRUE(fukuro == 0 || fukuro == notices[0].fukuro) << notices[0].fukuro;
        EXPECT_EQ(static_cast<int32_t>(change), notices[0].change);
    }

    int m_owner = 0;
    int32_t m_db = 0;
};

TEST_F(NotificationTest, WatchedItemsSelectWhichChangesArePosted) {
    ASSERT_EQ(kEngineOk, Watch({{m_db, kMemo, 0}}));
    const int32_t tip = PutToDo(m_db, kToDo, "not watched");
    EXPECT_TRUE(Notices().empty());
    int32_t list[] = {tip, 0};
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpPutTipToFukuro, {I4(m_db), I4(kMemo), Buffer(list)}));
    ExpectOne(tip, kMemo, ChangeKind::TipPutInFukuro);
    // A change of a tip concerns every fukuro it lies in.
    ASSERT_EQ(kEngineOk, PutTip(m_db, kToDo, tip, ToDoFields("changed")));
    ExpectOne(tip, kMemo, ChangeKind::TipChanged);

    ASSERT_EQ(kEngineOk, Watch({{0, 0, tip}}));
    PutToDo(m_db, kMemo, "another tip");
    EXPECT_EQ(1u, Notices().size());  // the fukuro item matches, the tip item not
    ASSERT_EQ(kEngineOk, Watch({{m_db, kMemo, 0}}, kOpDelAdviseData));
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpRemoveTip, {I4(m_db), I4(0), Buffer(list)}));
    ExpectOne(tip, 0, ChangeKind::TipRemoved);

    WatchList broken{3, nullptr};
    EXPECT_EQ(kEngineBadArgument, Call(*m_engine, kOpSetAdviseData, {Buffer(&broken)}));
    EXPECT_EQ(kEngineBadArgument, Call(*m_engine, kOpSetAdviseData, {Buffer(nullptr)}));
    EXPECT_EQ(kEngineOk, Watch({}));
}

TEST_F(NotificationTest, ChangesOfOtherInstancesAndProcessesArrive) {
    ASSERT_EQ(kEngineOk, Watch({{m_db, 0, 0}}));
    ExpectOne(PutToDo(m_db, kToDo, "other instance", OpenedEngine(m_db).get()), kToDo, ChangeKind::TipAdded);

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        FakeHost host;
        std::unique_ptr<Engine> engine = NewEngine(host);
        const bool ok = OpenDb(m_db, engine.get()) == kEngineOk &&
                        PutTip(m_db, kMemo, 0, ToDoFields("other process"), engine.get()) == kEngineOk;
        _exit(ok ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(child, waitpid(child, &status, 0));
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ExpectOne(0, kMemo, ChangeKind::TipAdded);
    EXPECT_TRUE(Notices().empty());
}

TEST_F(NotificationTest, BeginSkipsWhatIsPendingAndNoticesAreFreedOnce) {
    ASSERT_EQ(kEngineOk, Watch({{0, 0, 0}}));
    PutToDo(m_db, kToDo, "skipped");
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpBeginAdviseData, {}));
    EXPECT_TRUE(Notices().empty());

    PutToDo(m_db, kToDo, "kept");
    std::vector<FakeHost::Posted> posted = m_host->Pumped(kData);
    ASSERT_EQ(1u, posted.size());
    void* notice = reinterpret_cast<void*>(posted[0].lParam);
    Call(*m_engine, kOpFreeAdviseData, {Address(notice)});
    Call(*m_engine, kOpFreeAdviseData, {Address(notice)});  // a second release is ignored
    int stranger = 0;
    Call(*m_engine, kOpFreeAdviseData, {Address(&stranger)});

    // Without an owner window nothing is posted.
    std::unique_ptr<Engine> silent = OpenedEngine(m_db);
    ASSERT_EQ(kEngineOk, Watch({{0, 0, 0}}, kOpSetAdviseData, silent.get()));
    PutToDo(m_db, kToDo, "unseen", silent.get());
    for (const FakeHost::Posted& p : m_host->Pumped(kData)) EXPECT_EQ(&m_owner, p.window);
}

TEST_F(NotificationTest, CategoryAndFreePreferencesNotifyThoseWhoAsked) {
    const std::vector<Field> category = PreferenceFields("Category");
    int32_t id = 0;
    ASSERT_EQ(kEngineOk, PutTip(m_db, 0x3014, 0, category, nullptr, &id));
    EXPECT_TRUE(m_host->Pumped("VARO_ON_ADVISE_CATEGORY").empty());

    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpSetAdviseCategory, {}));
    ASSERT_EQ(kEngineOk, PutTip(m_db, 0x3014, id, category));
    std::vector<FakeHost::Posted> posted = m_host->Pumped("VARO_ON_ADVISE_CATEGORY");
    ASSERT_EQ(1u, posted.size());
    EXPECT_EQ(static_cast<uintptr_t>(m_db), posted[0].wParam);
    EXPECT_EQ(id, posted[0].lParam);

    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpSetAdviseFree, {}));
    ASSERT_EQ(kEngineOk, PutTip(m_db, 0x3014, 0, PreferenceFields("Free")));
    ASSERT_EQ(kEngineOk, PutTip(m_db, 0x3014, 0, PreferenceFields("Other")));
    EXPECT_EQ(1u, m_host->Pumped("VARO_ON_ADVISE_FREE").size());

    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpDelAdviseCategory, {}));
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpDelAdviseFree, {}));
    ASSERT_EQ(kEngineOk, PutTip(m_db, 0x3014, id, category));
    EXPECT_TRUE(m_host->Pumped("VARO_ON_ADVISE_CATEGORY").empty());
}

}  // namespace
}  // namespace enginetest
