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

const int32_t kToDo = 0x300C;
const int32_t kMemo = 0x300B;
const char kData[] = "VARO_ON_ADVISE_DATA";

class NotificationTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        Call(*m_engine, kOpInit, {Address(&m_owner)});
        m_db = CreateDatabase(u"notices");
    }
    int32_t Watch(std::vector<WatchItem> items, int op = kOpSetAdviseData) {
        WatchList list{static_cast<int32_t>(items.size()), items.data()};
        return Call(*m_engine, op, {Buffer(&list)});
    }
    // The notices posted since the last call, copied and given back.
    std::vector<AdviseNotice> Notices() {
        m_host->Pump();
        std::vector<AdviseNotice> notices;
        for (const FakeHost::Posted& posted : m_host->Take(kData)) {
            EXPECT_EQ(&m_owner, posted.window);
            AdviseNotice* notice = reinterpret_cast<AdviseNotice*>(posted.lParam);
            EXPECT_EQ(static_cast<uintptr_t>(notice->database), posted.wParam);
            notices.push_back(*notice);
            Call(*m_engine, kOpFreeAdviseData, {Address(notice)});
        }
        return notices;
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
    std::vector<AdviseNotice> notices = Notices();
    ASSERT_EQ(1u, notices.size());
    EXPECT_EQ(m_db, notices[0].database);
    EXPECT_EQ(kMemo, notices[0].fukuro);
    EXPECT_EQ(tip, notices[0].tip);
    EXPECT_EQ(static_cast<int32_t>(engine::ChangeKind::TipPutInFukuro), notices[0].change);

    // A change of a tip concerns every fukuro it lies in.
    TipBuffer changed(ToDoFields("changed"));
    int32_t same = tip;
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpPutTip, {I4(m_db), I4(kToDo), I4Out(&same), Address(changed.Address())}));
    notices = Notices();
    ASSERT_EQ(1u, notices.size());
    EXPECT_EQ(static_cast<int32_t>(engine::ChangeKind::TipChanged), notices[0].change);

    ASSERT_EQ(kEngineOk, Watch({{0, 0, tip}}));
    PutToDo(m_db, kMemo, "another tip");
    EXPECT_EQ(1u, Notices().size());  // the fukuro item matches, the tip item not
    ASSERT_EQ(kEngineOk, Watch({{m_db, kMemo, 0}}, kOpDelAdviseData));
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpRemoveTip, {I4(m_db), I4(0), Buffer(list)}));
    notices = Notices();
    ASSERT_EQ(1u, notices.size());
    EXPECT_EQ(tip, notices[0].tip);
    EXPECT_EQ(static_cast<int32_t>(engine::ChangeKind::TipRemoved), notices[0].change);

    WatchList broken{3, nullptr};
    EXPECT_EQ(kEngineBadArgument, Call(*m_engine, kOpSetAdviseData, {Buffer(&broken)}));
    EXPECT_EQ(kEngineBadArgument, Call(*m_engine, kOpSetAdviseData, {Buffer(nullptr)}));
    EXPECT_EQ(kEngineOk, Watch({}));
}

TEST_F(NotificationTest, ChangesOfOtherInstancesAndProcessesArrive) {
    ASSERT_EQ(kEngineOk, Watch({{m_db, 0, 0}}));
    std::unique_ptr<Engine> other = NewEngine(*m_host);
    int16_t flag = 0;
    ASSERT_EQ(kEngineOk, Call(*other, kOpOpen, {I4(m_db), I2Out(&flag)}));
    const int32_t fromOther = PutToDo(m_db, kToDo, "other instance", other.get());
    std::vector<AdviseNotice> notices = Notices();
    ASSERT_EQ(1u, notices.size());
    EXPECT_EQ(fromOther, notices[0].tip);
    EXPECT_EQ(kToDo, notices[0].fukuro);
    other.reset();

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        FakeHost host;
        std::unique_ptr<Engine> engine = NewEngine(host);
        int16_t childFlag = 0;
        TipBuffer tip(ToDoFields("other process"));
        int32_t id = 0;
        const bool ok = Call(*engine, kOpOpen, {I4(m_db), I2Out(&childFlag)}) == kEngineOk &&
                        Call(*engine, kOpPutTip, {I4(m_db), I4(kMemo), I4Out(&id), Address(tip.Address())}) == kEngineOk;
        _exit(ok ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(child, waitpid(child, &status, 0));
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    notices = Notices();
    ASSERT_EQ(1u, notices.size());
    EXPECT_EQ(kMemo, notices[0].fukuro);
    EXPECT_EQ(static_cast<int32_t>(engine::ChangeKind::TipAdded), notices[0].change);
    EXPECT_TRUE(Notices().empty());
}

TEST_F(NotificationTest, BeginSkipsWhatIsPendingAndNoticesAreFreedOnce) {
    ASSERT_EQ(kEngineOk, Watch({{0, 0, 0}}));
    PutToDo(m_db, kToDo, "skipped");
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpBeginAdviseData, {}));
    EXPECT_TRUE(Notices().empty());

    PutToDo(m_db, kToDo, "kept");
    m_host->Pump();
    std::vector<FakeHost::Posted> posted = m_host->Take(kData);
    ASSERT_EQ(1u, posted.size());
    void* notice = reinterpret_cast<void*>(posted[0].lParam);
    Call(*m_engine, kOpFreeAdviseData, {Address(notice)});
    Call(*m_engine, kOpFreeAdviseData, {Address(notice)});  // a second release is ignored
    int stranger = 0;
    Call(*m_engine, kOpFreeAdviseData, {Address(&stranger)});

    // Without an owner window nothing is posted.
    std::unique_ptr<Engine> silent = NewEngine(*m_host);
    WatchList all{0, nullptr};
    WatchItem any{0, 0, 0};
    all.count = 1;
    all.items = &any;
    ASSERT_EQ(kEngineOk, Call(*silent, kOpSetAdviseData, {Buffer(&all)}));
    int16_t flag = 0;
    ASSERT_EQ(kEngineOk, Call(*silent, kOpOpen, {I4(m_db), I2Out(&flag)}));
    PutToDo(m_db, kToDo, "unseen", silent.get());
    m_host->Pump();
    for (const FakeHost::Posted& p : m_host->Take(kData)) EXPECT_EQ(&m_owner, p.window);
}

TEST_F(NotificationTest, CategoryAndFreePreferencesNotifyThoseWhoAsked) {
    TipBuffer category(PreferenceFields("Category"));
    TipBuffer free(PreferenceFields("Free"));
    TipBuffer other(PreferenceFields("Other"));
    int32_t id = 0;
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpPutTip, {I4(m_db), I4(0x3014), I4Out(&id), Address(category.Address())}));
    m_host->Pump();
    EXPECT_TRUE(m_host->Take("VARO_ON_ADVISE_CATEGORY").empty());

    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpSetAdviseCategory, {}));
    int32_t same = id;
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpPutTip, {I4(m_db), I4(0x3014), I4Out(&same), Address(category.Address())}));
    m_host->Pump();
    std::vector<FakeHost::Posted> posted = m_host->Take("VARO_ON_ADVISE_CATEGORY");
    ASSERT_EQ(1u, posted.size());
    EXPECT_EQ(static_cast<uintptr_t>(m_db), posted[0].wParam);
    EXPECT_EQ(id, posted[0].lParam);

    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpSetAdviseFree, {}));
    int32_t freeId = 0;
    int32_t otherId = 0;
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpPutTip, {I4(m_db), I4(0x3014), I4Out(&freeId), Address(free.Address())}));
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpPutTip, {I4(m_db), I4(0x3014), I4Out(&otherId), Address(other.Address())}));
    m_host->Pump();
    EXPECT_EQ(1u, m_host->Take("VARO_ON_ADVISE_FREE").size());

    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpDelAdviseCategory, {}));
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpDelAdviseFree, {}));
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpPutTip, {I4(m_db), I4(0x3014), I4Out(&same), Address(category.Address())}));
    m_host->Pump();
    EXPECT_TRUE(m_host->Take("VARO_ON_ADVISE_CATEGORY").empty());
}

}  // namespace
}  // namespace enginetest
