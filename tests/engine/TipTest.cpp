// Storing and reading tips: exact round trips, LMTM renewal, membership,
// the trash, copies and control tips.
#include "EngineTestSupport.h"

namespace enginetest {
namespace {

using namespace varo;

class TipTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        m_db = CreateDatabase(u"tips");
    }
    int32_t On(int op, std::initializer_list<EngineArg> rest) {
        std::vector<EngineArg> args{I4(m_db)};
        args.insert(args.end(), rest.begin(), rest.end());
        return m_engine->Invoke(op, args.data(), static_cast<int>(args.size()));
    }
    int32_t m_db = 0;
};

TEST_F(TipTest, StoresEveryFieldExactlyAsGivenAndRenewsOnlyLmtm) {
    std::vector<Field> given = ToDoFields("buy \x95\x5c" /* 表 */, "19990101000000");
    given[7].type = 0x12345678;  // an unusual type survives too
    int32_t id = 0;
    ASSERT_EQ(kEngineOk, PutTip(m_db, kToDo, 0, given, nullptr, &id));
    EXPECT_GT(id, 0);
    const std::vector<Field> stored = GetFields(m_db, 0, id);
    ASSERT_EQ(given.size(), stored.size());
    for (size_t i = 0; i < stored.size(); ++i) {
        EXPECT_EQ(given[i].tag, stored[i].tag);
        EXPECT_EQ(given[i].label, stored[i].label);
        EXPECT_EQ(given[i].type, stored[i].type);
        EXPECT_TRUE(stored[i].tag == "LMTM" || given[i].data == stored[i].data) << stored[i].tag;
    }
    const std::string stamp = TextOf(FindTag(stored, "LMTM"));
    EXPECT_EQ(15u, FindTag(stored, "LMTM")->data.size());
    EXPECT_NE("19990101000000", stamp);
    EXPECT_EQ(14u, stamp.size());

    // Every later store moves LMTM forward, even within one second.
    std::string last = stamp;
    for (int i = 0; i < 3; ++i) {
        int32_t same = 0;
        ASSERT_EQ(kEngineOk, PutTip(m_db, kToDo, id, ToDoFields("again", last), nullptr, &same));
        EXPECT_EQ(id, same);
        const std::string now = TextOf(FindTag(GetFields(m_db, 0, id), "LMTM"));
        EXPECT_GT(now, last);
        last = now;
    }
    EXPECT_EQ("again", Memo(m_db, kToDo, id));
}

TEST_F(TipTest, NewTipsGetFreshIdsAtTheEndOfTheirFukuro) {
    const int32_t a = PutToDo(m_db, kToDo, "a");
    const int32_t b = PutToDo(m_db, kToDo, "b");
    const int32_t c = PutToDo(m_db, kMemo, "c");
    EXPECT_LT(a, b);
    EXPECT_LT(b, c);
    EXPECT_EQ((std::vector<int32_t>{a, b}), TipList(m_db, kToDo));
    EXPECT_EQ((std::vector<int32_t>{c}), TipList(m_db, kMemo));
    // Ids are never reused, not even after the newest tip went to the trash.
    int32_t list[] = {c, 0};
    ASSERT_EQ(kEngineOk, On(kOpRemoveTip, {I4(kMemo), Buffer(list)}));
    EXPECT_GT(PutToDo(m_db, kMemo, "d"), c);
}

TEST_F(TipTest, GetTipByIdAloneOrThroughAFukuroItLiesIn) {
    const int32_t id = PutToDo(m_db, kToDo, "x");
    EXPECT_EQ("x", Memo(m_db, kToDo, id));
    EXPECT_EQ(kEngineNoSuchTip, GetCode(m_db, kMemo, id));
    EXPECT_EQ(kEngineNoSuchFukuro, GetCode(m_db, 0x7000, id));
    EXPECT_EQ(kEngineNoSuchTip, GetCode(m_db, 0, id + 100));
}

TEST_F(TipTest, PutTipRefusesBadCallsAndStoresNothing) {
    const std::vector<Field> good = ToDoFields("ok");
    std::vector<Field> bad = ToDoFields("bad");
    bad[3].tag = "MRK";
    const struct { int32_t fukuro; int32_t id; const std::vector<Field>* fields; int32_t code; } refusals[] = {
        {0, 0, &good, kEngineBadArgument},
        {0x7777, 0, &good, kEngineNoSuchFukuro},
        {kToDo, 999, &good, kEngineNoSuchTip},
        {kToDo, -1, &good, kEngineBadArgument},
        {kToDo, 0, &bad, kEngineBadTipBuffer},
    };
    for (const auto& r : refusals) {
        int32_t id = 0;
        EXPECT_EQ(r.code, PutTip(m_db, r.fukuro, r.id, *r.fields, nullptr, &id)) << r.fukuro << " " << r.id;
        EXPECT_EQ(r.id, id);
    }
    int32_t id = 0;
    EXPECT_EQ(kEngineBadTipBuffer, On(kOpPutTip, {I4(kToDo), I4Out(&id), Address(nullptr)}));
    EXPECT_TRUE(TipList(m_db, kToDo).empty());
    // An existing tip keeps its old contents when the new buffer is refused.
    const int32_t kept = PutToDo(m_db, kToDo, "kept");
    EXPECT_EQ(kEngineBadTipBuffer, PutTip(m_db, kToDo, kept, bad));
    EXPECT_EQ("kept", Memo(m_db, 0, kept));
}

TEST_F(TipTest, TrashRemembersFukurosAndUndoPutsTipsBack) {
    const int32_t a = PutToDo(m_db, kToDo, "a");
    const int32_t b = PutToDo(m_db, kToDo, "b");
    const int32_t c = PutToDo(m_db, kToDo, "c");
    int32_t list[] = {b, 0};
    ASSERT_EQ(kEngineOk, On(kOpPutTipToFukuro, {I4(kMemo), Buffer(list)}));
    EXPECT_EQ(kEngineNoSuchTip, On(kOpRemoveTip, {I4(0x3000), Buffer(list)}));
    ASSERT_EQ(kEngineOk, On(kOpRemoveTip, {I4(kToDo), Buffer(list)}));
    EXPECT_EQ((std::vector<int32_t>{a, c}), TipList(m_db, kToDo));
    EXPECT_TRUE(TipList(m_db, kMemo).empty());
    EXPECT_EQ(kEngineNoSuchTip, GetCode(m_db, 0, b));
    EXPECT_EQ(kEngineNoSuchTip, On(kOpRemoveTip, {I4(0), Buffer(list)}));

    int32_t notTrashed[] = {a, 0};
    EXPECT_EQ(kEngineNoSuchTip, On(kOpUndoTip, {Buffer(notTrashed)}));
    ASSERT_EQ(kEngineOk, On(kOpUndoTip, {Buffer(list)}));
    EXPECT_EQ((std::vector<int32_t>{a, b, c}), TipList(m_db, kToDo));
    EXPECT_EQ((std::vector<int32_t>{b}), TipList(m_db, kMemo));
    EXPECT_EQ("b", Memo(m_db, 0, b));
    int32_t negative[] = {a, -5, 0};
    EXPECT_EQ(kEngineBadArgument, On(kOpRemoveTip, {I4(0), Buffer(negative)}));
    EXPECT_EQ(kEngineBadArgument, On(kOpUndoTip, {Buffer(nullptr)}));
}

TEST_F(TipTest, DupTipCopiesWithinTheDatabase) {
    const int32_t a = PutToDo(m_db, kToDo, "original");
    int32_t list[] = {a, 0};
    ASSERT_EQ(kEngineOk, On(kOpPutTipToFukuro, {I4(kMemo), Buffer(list)}));
    int32_t copy = 0;
    ASSERT_EQ(kEngineOk, On(kOpDupTip, {I4(kMemo), I4Out(&copy), I4(a)}));
    EXPECT_GT(copy, a);
    EXPECT_EQ((std::vector<int32_t>{a, copy}), TipList(m_db, kMemo));
    EXPECT_EQ((std::vector<int32_t>{a}), TipList(m_db, kToDo));
    EXPECT_EQ("original", Memo(m_db, 0, copy));

    int32_t everywhere = 0;
    ASSERT_EQ(kEngineOk, On(kOpDupTip, {I4(0), I4Out(&everywhere), I4(a)}));
    EXPECT_EQ((std::vector<int32_t>{a, everywhere}), TipList(m_db, kToDo));
    EXPECT_EQ((std::vector<int32_t>{a, copy, everywhere}), TipList(m_db, kMemo));
    EXPECT_EQ(kEngineNoSuchTip, On(kOpDupTip, {I4(0x3000), I4Out(&copy), I4(a)}));
    EXPECT_EQ(kEngineBadArgument, On(kOpDupTip, {I4(0), I4Out(nullptr), I4(a)}));
}

TEST_F(TipTest, ControlTipsAreModifiedInPlace) {
    int32_t id = 0;
    ASSERT_EQ(kEngineOk, PutTip(m_db, 0x3011, 0, ControlFields(1, {0x3012}, 40), nullptr, &id));
    const int32_t other = PutToDo(m_db, 0x3011, "after");
    TipBuffer changed(ControlFields(2, {0x3012, 0x4000}, 40));
    ASSERT_EQ(kEngineOk, On(kOpModifyTip, {I4(0x3011), I4(id), Address(changed.Address())}));
    const std::vector<Field> stored = GetFields(m_db, 0x3011, id);
    ASSERT_EQ(4u, stored.size());
    EXPECT_EQ(changed.Fields()[0].data, stored[0].data);
    EXPECT_EQ(changed.Fields()[2].data, stored[2].data);
    EXPECT_EQ((std::vector<int32_t>{id, other}), TipList(m_db, 0x3011));

    TipBuffer todo(ToDoFields("not control"));
    EXPECT_EQ(kEngineBadTipBuffer, On(kOpModifyTip, {I4(0x3011), I4(id), Address(todo.Address())}));
    EXPECT_EQ(kEngineBadArgument, On(kOpModifyTip, {I4(0x3011), I4(other), Address(changed.Address())}));
    EXPECT_EQ(kEngineNoSuchTip, On(kOpModifyTip, {I4(kToDo), I4(id), Address(changed.Address())}));
}

TEST_F(TipTest, HandedOutBuffersStayValidUntilReleasedAndOnlyOnce) {
    const int32_t id = PutToDo(m_db, kToDo, "held");
    void* first = nullptr;
    void* second = nullptr;
    ASSERT_EQ(kEngineOk, On(kOpGetTip, {I4(0), I4(id), AddressOut(&first)}));
    ASSERT_EQ(kEngineOk, PutTip(m_db, kToDo, id, ToDoFields("overwritten")));
    ASSERT_EQ(kEngineOk, On(kOpGetTip, {I4(0), I4(id), AddressOut(&second)}));
    EXPECT_EQ("held", TextOf(FindTag(ReadBack(first), "MEMO")));
    EXPECT_EQ("overwritten", TextOf(FindTag(ReadBack(second), "MEMO")));

    EXPECT_EQ(kEngineBadArgument, Call(*m_engine, kOpReleaseTip, {I4(m_db + 1), Address(first)}));
    EXPECT_EQ(kEngineOk, On(kOpReleaseTip, {Address(first)}));
    EXPECT_EQ(kEngineBadArgument, On(kOpReleaseTip, {Address(first)}));
    int local = 0;
    EXPECT_EQ(kEngineBadArgument, On(kOpReleaseTip, {Address(&local)}));
    // Blocks given back serve later tips, never one still held.
    const int32_t shorter = PutToDo(m_db, kToDo, "s");
    for (int round = 0; round < 3; ++round) {
        void* again = nullptr;
        ASSERT_EQ(kEngineOk, On(kOpGetTip, {I4(0), I4(round % 2 ? id : shorter), AddressOut(&again)}));
        EXPECT_NE(second, again);
        EXPECT_EQ(round % 2 ? "overwritten" : "s", TextOf(FindTag(ReadBack(again), "MEMO")));
        EXPECT_EQ(kEngineOk, On(kOpReleaseTip, {Address(again)}));
    }
    EXPECT_EQ("overwritten", TextOf(FindTag(ReadBack(second), "MEMO")));
    // A buffer outlives the closing of its database.
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpClose, {I4(m_db)}));
    EXPECT_EQ("overwritten", TextOf(FindTag(ReadBack(second), "MEMO")));
    EXPECT_EQ(kEngineOk, On(kOpReleaseTip, {Address(second)}));
}

}  // namespace
}  // namespace enginetest
