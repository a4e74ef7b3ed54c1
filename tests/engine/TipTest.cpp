// Storing and reading tips: exact round trips, LMTM renewal, membership,
// the trash, copies and control tips.
#include <unistd.h>

#include "EngineTestSupport.h"

namespace enginetest {
namespace {

using namespace varo;

const int32_t kToDo = 0x300C;
const int32_t kMemo = 0x300B;

class TipTest : public EngineTest {};

TEST_F(TipTest, StoresEveryFieldExactlyAsGivenAndRenewsOnlyLmtm) {
    const int32_t db = CreateDatabase(u"tips");
    TipBuffer tip(ToDoFields("buy \x95\x5c" /* 表 */, "19990101000000"));
    tip.Fields()[7].type = 0x12345678;  // an unusual type survives too
    tip.Refresh();
    int32_t id = 0;
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpPutTip, {I4(db), I4(kToDo), I4Out(&id), Address(tip.Address())}));
    EXPECT_GT(id, 0);

    const std::vector<Field> stored = GetFields(db, 0, id);
    ASSERT_EQ(tip.Fields().size(), stored.size());
    for (size_t i = 0; i < stored.size(); ++i) {
        EXPECT_EQ(tip.Fields()[i].tag, stored[i].tag);
        EXPECT_EQ(tip.Fields()[i].label, stored[i].label);
        EXPECT_EQ(tip.Fields()[i].type, stored[i].type);
        if (stored[i].tag != "LMTM") {
            EXPECT_EQ(tip.Fields()[i].data, stored[i].data) << stored[i].tag;
        }
    }
    const std::string stamp = TextOf(FindTag(stored, "LMTM"));
    EXPECT_EQ(15u, FindTag(stored, "LMTM")->data.size());
    EXPECT_NE("19990101000000", stamp);
    EXPECT_EQ(14u, stamp.size());
    EXPECT_EQ(std::vector<uint8_t>(), FindTag(stored, "TCDY")->data);
}

TEST_F(TipTest, LmtmMovesForwardOnEveryStoreEvenWithinOneSecond) {
    const int32_t db = CreateDatabase(u"stamps");
    const int32_t id = PutToDo(db, kToDo, "first");
    std::string last = TextOf(FindTag(GetFields(db, 0, id), "LMTM"));
    for (int i = 0; i < 5; ++i) {
        TipBuffer again(ToDoFields("again", last));
        int32_t same = id;
        ASSERT_EQ(kEngineOk, Call(*m_engine, kOpPutTip, {I4(db), I4(kToDo), I4Out(&same), Address(again.Address())}));
        EXPECT_EQ(id, same);
        const std::string now = TextOf(FindTag(GetFields(db, 0, id), "LMTM"));
        EXPECT_GT(now, last);
        last = now;
    }
    EXPECT_EQ("again", TextOf(FindTag(GetFields(db, kToDo, id), "MEMO")));
}

TEST_F(TipTest, NewTipsGetFreshIdsAtTheEndOfTheirFukuro) {
    const int32_t db = CreateDatabase(u"ids");
    const int32_t a = PutToDo(db, kToDo, "a");
    const int32_t b = PutToDo(db, kToDo, "b");
    const int32_t c = PutToDo(db, kMemo, "c");
    EXPECT_LT(a, b);
    EXPECT_LT(b, c);
    EXPECT_EQ((std::vector<int32_t>{a, b}), TipList(db, kToDo));
    EXPECT_EQ((std::vector<int32_t>{c}), TipList(db, kMemo));

    // Ids are never reused, not even after the newest tip went to the trash.
    int32_t list[] = {c, 0};
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpRemoveTip, {I4(db), I4(kMemo), Buffer(list)}));
    EXPECT_GT(PutToDo(db, kMemo, "d"), c);
}

TEST_F(TipTest, GetTipByIdAloneOrThroughAFukuroItLiesIn) {
    const int32_t db = CreateDatabase(u"get");
    const int32_t id = PutToDo(db, kToDo, "x");
    int32_t code = 0;
    EXPECT_EQ("x", TextOf(FindTag(GetFields(db, 0, id, nullptr, &code), "MEMO")));
    EXPECT_EQ(kEngineOk, code);
    GetFields(db, kMemo, id, nullptr, &code);
    EXPECT_EQ(kEngineNoSuchTip, code);
    GetFields(db, 0x7000, id, nullptr, &code);
    EXPECT_EQ(kEngineNoSuchFukuro, code);
    GetFields(db, 0, id + 100, nullptr, &code);
    EXPECT_EQ(kEngineNoSuchTip, code);
    GetFields(db + 1, 0, id, nullptr, &code);
    EXPECT_EQ(kEngineNoSuchDatabase, code);
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpClose, {I4(db)}));
    GetFields(db, 0, id, nullptr, &code);
    EXPECT_EQ(kEngineNotOpen, code);
}

TEST_F(TipTest, PutTipRefusesBadCallsAndStoresNothing) {
    const int32_t db = CreateDatabase(u"refuse");
    TipBuffer good(ToDoFields("ok"));
    int32_t id = 0;
    EXPECT_EQ(kEngineBadArgument, Call(*m_engine, kOpPutTip, {I4(db), I4(0), I4Out(&id), Address(good.Address())}));
    EXPECT_EQ(kEngineNoSuchFukuro, Call(*m_engine, kOpPutTip, {I4(db), I4(0x7777), I4Out(&id), Address(good.Address())}));
    id = 999;
    EXPECT_EQ(kEngineNoSuchTip, Call(*m_engine, kOpPutTip, {I4(db), I4(kToDo), I4Out(&id), Address(good.Address())}));
    id = -1;
    EXPECT_EQ(kEngineBadArgument, Call(*m_engine, kOpPutTip, {I4(db), I4(kToDo), I4Out(&id), Address(good.Address())}));
    id = 0;
    EXPECT_EQ(kEngineBadTipBuffer, Call(*m_engine, kOpPutTip, {I4(db), I4(kToDo), I4Out(&id), Address(nullptr)}));
    std::vector<Field> shortTag = ToDoFields("bad");
    shortTag[3].tag = "MRK";
    TipBuffer bad(shortTag);
    EXPECT_EQ(kEngineBadTipBuffer, Call(*m_engine, kOpPutTip, {I4(db), I4(kToDo), I4Out(&id), Address(bad.Address())}));
    EXPECT_EQ(0, id);
    EXPECT_TRUE(TipList(db, kToDo).empty());

    // An existing tip keeps its old contents when the new buffer is refused.
    const int32_t kept = PutToDo(db, kToDo, "kept");
    id = kept;
    EXPECT_EQ(kEngineBadTipBuffer, Call(*m_engine, kOpPutTip, {I4(db), I4(kToDo), I4Out(&id), Address(bad.Address())}));
    EXPECT_EQ("kept", TextOf(FindTag(GetFields(db, 0, kept), "MEMO")));
}

TEST_F(TipTest, TrashRemembersFukurosAndUndoPutsTipsBack) {
    const int32_t db = CreateDatabase(u"trash");
    const int32_t a = PutToDo(db, kToDo, "a");
    const int32_t b = PutToDo(db, kToDo, "b");
    const int32_t c = PutToDo(db, kToDo, "c");
    int32_t both[] = {b, 0};
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpPutTipToFukuro, {I4(db), I4(kMemo), Buffer(both)}));

    int32_t list[] = {b, 0};
    EXPECT_EQ(kEngineNoSuchTip, Call(*m_engine, kOpRemoveTip, {I4(db), I4(0x3000), Buffer(list)}));
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpRemoveTip, {I4(db), I4(kToDo), Buffer(list)}));
    EXPECT_EQ((std::vector<int32_t>{a, c}), TipList(db, kToDo));
    EXPECT_TRUE(TipList(db, kMemo).empty());
    int32_t code = 0;
    GetFields(db, 0, b, nullptr, &code);
    EXPECT_EQ(kEngineNoSuchTip, code);
    EXPECT_EQ(kEngineNoSuchTip, Call(*m_engine, kOpRemoveTip, {I4(db), I4(0), Buffer(list)}));

    int32_t notTrashed[] = {a, 0};
    EXPECT_EQ(kEngineNoSuchTip, Call(*m_engine, kOpUndoTip, {I4(db), Buffer(notTrashed)}));
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpUndoTip, {I4(db), Buffer(list)}));
    EXPECT_EQ((std::vector<int32_t>{a, b, c}), TipList(db, kToDo));
    EXPECT_EQ((std::vector<int32_t>{b}), TipList(db, kMemo));
    EXPECT_EQ("b", TextOf(FindTag(GetFields(db, 0, b), "MEMO")));

    int32_t negative[] = {a, -5, 0};
    EXPECT_EQ(kEngineBadArgument, Call(*m_engine, kOpRemoveTip, {I4(db), I4(0), Buffer(negative)}));
    EXPECT_EQ(kEngineBadArgument, Call(*m_engine, kOpUndoTip, {I4(db), Buffer(nullptr)}));
}

TEST_F(TipTest, DupTipCopiesWithinTheDatabase) {
    const int32_t db = CreateDatabase(u"dup");
    const int32_t a = PutToDo(db, kToDo, "original");
    int32_t list[] = {a, 0};
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpPutTipToFukuro, {I4(db), I4(kMemo), Buffer(list)}));

    int32_t copy = 0;
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpDupTip, {I4(db), I4(kMemo), I4Out(&copy), I4(a)}));
    EXPECT_GT(copy, a);
    EXPECT_EQ((std::vector<int32_t>{a, copy}), TipList(db, kMemo));
    EXPECT_EQ((std::vector<int32_t>{a}), TipList(db, kToDo));
    EXPECT_EQ("original", TextOf(FindTag(GetFields(db, 0, copy), "MEMO")));

    int32_t everywhere = 0;
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpDupTip, {I4(db), I4(0), I4Out(&everywhere), I4(a)}));
    EXPECT_EQ((std::vector<int32_t>{a, everywhere}), TipList(db, kToDo));
    EXPECT_EQ((std::vector<int32_t>{a, copy, everywhere}), TipList(db, kMemo));
    EXPECT_EQ(kEngineNoSuchTip, Call(*m_engine, kOpDupTip, {I4(db), I4(0x3000), I4Out(&copy), I4(a)}));
    EXPECT_EQ(kEngineBadArgument, Call(*m_engine, kOpDupTip, {I4(db), I4(0), I4Out(nullptr), I4(a)}));
}

TEST_F(TipTest, ControlTipsAreModifiedInPlace) {
    const int32_t db = CreateDatabase(u"control");
    TipBuffer control(ControlFields(1, {0x3012}, 40));
    int32_t id = 0;
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpPutTip, {I4(db), I4(0x3011), I4Out(&id), Address(control.Address())}));
    const int32_t other = PutToDo(db, 0x3011, "after");

    TipBuffer changed(ControlFields(2, {0x3012, 0x4000}, 40));
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpModifyTip, {I4(db), I4(0x3011), I4(id), Address(changed.Address())}));
    const std::vector<Field> stored = GetFields(db, 0x3011, id);
    ASSERT_EQ(4u, stored.size());
    EXPECT_EQ(changed.Fields()[0].data, stored[0].data);
    EXPECT_EQ(changed.Fields()[2].data, stored[2].data);
    EXPECT_EQ((std::vector<int32_t>{id, other}), TipList(db, 0x3011));

    TipBuffer todo(ToDoFields("not control"));
    EXPECT_EQ(kEngineBadTipBuffer, Call(*m_engine, kOpModifyTip, {I4(db), I4(0x3011), I4(id), Address(todo.Address())}));
    EXPECT_EQ(kEngineBadArgument, Call(*m_engine, kOpModifyTip, {I4(db), I4(0x3011), I4(other), Address(changed.Address())}));
    EXPECT_EQ(kEngineNoSuchTip, Call(*m_engine, kOpModifyTip, {I4(db), I4(kToDo), I4(id), Address(changed.Address())}));
    TipBuffer uneven(ControlFields(1, {0x3012}, 40));
    uneven.Fields()[3].data.resize(12);
    uneven.Refresh();
    EXPECT_EQ(kEngineBadTipBuffer, Call(*m_engine, kOpModifyTip, {I4(db), I4(0x3011), I4(id), Address(uneven.Address())}));
}

TEST_F(TipTest, HandedOutBuffersStayValidUntilReleasedAndOnlyOnce) {
    const int32_t db = CreateDatabase(u"release");
    const int32_t id = PutToDo(db, kToDo, "held");
    void* first = nullptr;
    void* second = nullptr;
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpGetTip, {I4(db), I4(0), I4(id), AddressOut(&first)}));
    TipBuffer overwrite(ToDoFields("overwritten"));
    int32_t same = id;
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpPutTip, {I4(db), I4(kToDo), I4Out(&same), Address(overwrite.Address())}));
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpGetTip, {I4(db), I4(0), I4(id), AddressOut(&second)}));
    EXPECT_EQ("held", TextOf(FindTag(ReadBack(first), "MEMO")));
    EXPECT_EQ("overwritten", TextOf(FindTag(ReadBack(second), "MEMO")));

    EXPECT_EQ(kEngineBadArgument, Call(*m_engine, kOpReleaseTip, {I4(db + 1), Address(first)}));
    EXPECT_EQ(kEngineOk, Call(*m_engine, kOpReleaseTip, {I4(db), Address(first)}));
    EXPECT_EQ(kEngineBadArgument, Call(*m_engine, kOpReleaseTip, {I4(db), Address(first)}));
    int local = 0;
    EXPECT_EQ(kEngineBadArgument, Call(*m_engine, kOpReleaseTip, {I4(db), Address(&local)}));
    // A buffer outlives the closing of its database.
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpClose, {I4(db)}));
    EXPECT_EQ("overwritten", TextOf(FindTag(ReadBack(second), "MEMO")));
    EXPECT_EQ(kEngineOk, Call(*m_engine, kOpReleaseTip, {I4(db), Address(second)}));
}

}  // namespace
}  // namespace enginetest
