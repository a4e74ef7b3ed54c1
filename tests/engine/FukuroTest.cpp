// Fukuros: creation and deletion, names, membership and order, sorting,
// read positions, seeking and searching.
#include "EngineTestSupport.h"

namespace enginetest {
namespace {

using namespace varo;

class FukuroTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        m_db = CreateDatabase(u"fukuros");
    }
    int32_t On(int op, int32_t fukuro, std::initializer_list<EngineArg> rest = {}, Engine* engine = nullptr) {
        std::vector<EngineArg> args{I4(m_db), I4(fukuro)};
        args.insert(args.end(), rest.begin(), rest.end());
        return Use(engine).Invoke(op, args.data(), static_cast<int>(args.size()));
    }
    // ReadTip with the option; the id read, 0 at an end.
    int32_t Read(int32_t fukuro, int option, Engine* engine = nullptr, std::string* memo = nullptr) {
        int32_t tip = -1;
        void* buffer = reinterpret_cast<void*>(1);
        EXPECT_EQ(kEngineOk, On(kOpReadTip, fukuro, {I4(option), I4Out(&tip), AddressOut(&buffer)}, engine));
        if (tip == 0) {
            EXPECT_EQ(nullptr, buffer);
            return 0;
        }
        if (memo) *memo = TextOf(FindTag(ReadBack(buffer), "MEMO"));
        EXPECT_EQ(kEngineOk, Call(Use(engine), kOpReleaseTip, {I4(m_db), Address(buffer)}));
        return tip;
    }
    std::vector<int32_t> ReadAll(int32_t fukuro) {
        std::vector<int32_t> ids;
        for (int32_t tip = Read(fukuro, 1); tip != 0; tip = Read(fukuro, 1)) ids.push_back(tip);
        return ids;
    }
    int32_t Seek(int32_t offset, int32_t origin) { return GetI4(kOpFukuroSeek, {I4(m_db), I4(kToDo), I4(offset), I4(origin)}); }
    int32_t Search(const char16_t* text, int32_t where, int32_t fukuro = kToDo) {
        return On(kOpTipSearch, fukuro, {Text(text), I4(where)});
    }
    int32_t m_db = 0;
};

TEST_F(FukuroTest, NewFukurosAreNumberedAboveTheFixedOnesAndFixedOnesStay) {
    int32_t first = 0;
    int32_t folder = 0;
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpFukuroCreate, {I4(m_db), I4Out(&first), Text(u"cabinet"), I4(7)}));
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpPutKFl, {I4(m_db), I4Out(&folder), Text(u"folder")}));
    EXPECT_EQ(0x4000, first);
    EXPECT_EQ(0x4001, folder);

    EXPECT_EQ(u"folder", GetText(kOpGetFukuroName, {I4(m_db), I4(folder)}));
    ASSERT_EQ(kEngineOk, On(kOpSetFukuroName, 0x3000, {Text(u"plans")}));
    EXPECT_EQ(u"plans", GetText(kOpGetFukuroName, {I4(m_db), I4(0x3000)}));
    char16_t* name = nullptr;
    EXPECT_EQ(kEngineNoSuchFukuro, On(kOpGetFukuroName, 0x2FFF, {TextOut(&name)}));
    EXPECT_EQ(kEngineNoSuchFukuro, On(kOpSetFukuroName, 0x5000, {Text(u"x")}));

    EXPECT_EQ(kEngineFixedFukuro, On(kOpFukuroDelete, 0x3016));
    const int32_t tip = PutToDo(m_db, first, "inside");
    ASSERT_EQ(kEngineOk, On(kOpFukuroDelete, first));
    EXPECT_EQ(kEngineNoSuchFukuro, On(kOpFukuroDelete, first));
    EXPECT_EQ(kEngineNoSuchFukuro, On(kOpFukuroOpen, first));
    // The tip itself outlives its fukuro, and the id of a deleted fukuro is not given again.
    EXPECT_EQ("inside", Memo(m_db, 0, tip));
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpFukuroCreate, {I4(m_db), I4Out(&first), Text(u"next"), I4(0)}));
    EXPECT_EQ(0x4002, first);
}

TEST_F(FukuroTest, MembershipListsAndSizes) {
    const int32_t a = PutToDo(m_db, kToDo, "a");
    const int32_t b = PutToDo(m_db, kToDo, "b");
    int32_t ids[] = {b, a, b, 0};
    ASSERT_EQ(kEngineOk, On(kOpPutTipToFukuro, kMemo, {Buffer(ids)}));
    EXPECT_EQ((std::vector<int32_t>{b, a}), TipList(m_db, kMemo));
    ASSERT_EQ(kEngineOk, On(kOpPutTipToFukuro, kMemo, {Buffer(ids)}));  // no duplicates
    EXPECT_EQ(2, GetI4(kOpGetFukuroSize, {I4(m_db), I4(kMemo)}));

    int32_t missing[] = {a, 4242, 0};
    EXPECT_EQ(kEngineNoSuchTip, On(kOpPutTipToFukuro, 0x3000, {Buffer(missing)}));
    EXPECT_TRUE(TipList(m_db, 0x3000).empty());  // nothing of a refused list is stored
    EXPECT_EQ(kEngineNoSuchTip, On(kOpRemoveTipFromFukuro, kMemo, {Buffer(missing)}));
    EXPECT_EQ((std::vector<int32_t>{b, a}), TipList(m_db, kMemo));
    int32_t justA[] = {a, 0};
    ASSERT_EQ(kEngineOk, On(kOpRemoveTipFromFukuro, kMemo, {Buffer(justA)}));
    EXPECT_EQ((std::vector<int32_t>{b}), TipList(m_db, kMemo));
    EXPECT_EQ((std::vector<int32_t>{a, b}), TipList(m_db, kToDo));
    int32_t size = 0;
    EXPECT_EQ(kEngineNoSuchFukuro, On(kOpGetFukuroSize, 0x6000, {I4Out(&size)}));
    EXPECT_EQ(kEngineBadArgument, On(kOpPutTipToFukuro, kMemo, {Buffer(nullptr)}));
    EXPECT_EQ(kEngineBadArgument, On(kOpGetTipList, kMemo, {Buffer(nullptr), I4Out(nullptr)}));
    EXPECT_TRUE(TipList(m_db, 0x3001).empty());
}

TEST_F(FukuroTest, SortRearrangesByKeysAndRemembersTheCondition) {
    struct Row { const char* memo; const char* priority; };
    std::vector<int32_t> ids;
    for (const Row& row : {Row{"pear", "10"}, Row{"apple", "9"}, Row{"fig", "10"}, Row{"kiwi", "2"}}) {
        std::vector<Field> fields = ToDoFields(row.memo);
        fields[7].data = Bytes(row.priority);
        ids.push_back(0);
        ASSERT_EQ(kEngineOk, PutTip(m_db, kToDo, 0, fields, nullptr, &ids.back()));
    }
    // Priority as a number, descending; ties by memo bytes, ascending.
    std::vector<uint8_t> condition = SortCondition({{"PRTY", 1, 1}, {"MEMO", 0, 0}});
    ASSERT_EQ(kEngineOk, On(kOpFukuroSort, kToDo, {Buffer(condition.data())}));
    EXPECT_EQ((std::vector<int32_t>{ids[2], ids[0], ids[1], ids[3]}), TipList(m_db, kToDo));
    std::vector<uint8_t> back(29, 0xEE);
    ASSERT_EQ(kEngineOk, On(kOpGetFukuroSortCnd, kToDo, {Buffer(back.data())}));
    EXPECT_EQ(condition, back);

    // As bytes, "10" comes before "2" and "9"; a new tip still goes to the end.
    condition = SortCondition({{"PRTY", 0, 0}});
    ASSERT_EQ(kEngineOk, On(kOpFukuroSort, kToDo, {Buffer(condition.data())}));
    EXPECT_EQ((std::vector<int32_t>{ids[2], ids[0], ids[3], ids[1]}), TipList(m_db, kToDo));
    const int32_t later = PutToDo(m_db, kToDo, "aaa");
    EXPECT_EQ(later, TipList(m_db, kToDo).back());

    ASSERT_EQ(kEngineOk, On(kOpGetFukuroSortCnd, kMemo, {Buffer(back.data())}));
    EXPECT_EQ(std::vector<uint8_t>(29, 0), back);
    std::vector<uint8_t> tooMany = SortCondition({{"PRTY", 0, 0}});
    tooMany[0] = 5;
    EXPECT_EQ(kEngineBadArgument, On(kOpFukuroSort, kToDo, {Buffer(tooMany.data())}));
    std::vector<uint8_t> badDirection = SortCondition({{"PRTY", 2, 0}});
    EXPECT_EQ(kEngineBadArgument, On(kOpFukuroSort, kToDo, {Buffer(badDirection.data())}));
    EXPECT_EQ(kEngineBadArgument, On(kOpFukuroSort, kToDo, {Buffer(nullptr)}));
    EXPECT_EQ(kEngineNoSuchFukuro, On(kOpFukuroSort, 0x6000, {Buffer(condition.data())}));
}

TEST_F(FukuroTest, ReadPositionsWalkForwardBackAndStopAtTheEnds) {
    const int32_t a = PutToDo(m_db, kToDo, "a");
    const int32_t b = PutToDo(m_db, kToDo, "b");
    const int32_t c = PutToDo(m_db, kToDo, "c");
    int32_t tip = 0;
    void* buffer = nullptr;
    EXPECT_EQ(kEngineFukuroNotOpen, On(kOpReadTip, kToDo, {I4(1), I4Out(&tip), AddressOut(&buffer)}));
    ASSERT_EQ(kEngineOk, On(kOpFukuroOpen, kToDo));
    EXPECT_EQ(0, Read(kToDo, 0));  // before the first tip there is no current one
    EXPECT_EQ(0, Read(kToDo, 2));
    std::string memo;
    EXPECT_EQ(a, Read(kToDo, 1, nullptr, &memo));
    EXPECT_EQ("a", memo);
    // Option 0 rereads, 1 steps forward, 2 back; the ends stay put.
    const std::pair<int, int32_t> walk[] = {{0, a}, {1, b}, {1, c}, {1, 0}, {1, 0}, {2, c}, {2, b}};
    for (const auto& step : walk) EXPECT_EQ(step.second, Read(kToDo, step.first)) << step.first;
    EXPECT_EQ(kEngineBadArgument, On(kOpReadTip, kToDo, {I4(3), I4Out(&tip), AddressOut(&buffer)}));

    // A tip put in behind the position is read next; reopening starts over.
    const int32_t d = PutToDo(m_db, kToDo, "d");
    EXPECT_EQ(c, Read(kToDo, 1));
    EXPECT_EQ(d, Read(kToDo, 1));
    ASSERT_EQ(kEngineOk, On(kOpFukuroOpen, kToDo));
    EXPECT_EQ(a, Read(kToDo, 1));

    // Each instance has its own position.
    std::unique_ptr<Engine> other = OpenedEngine(m_db);
    ASSERT_EQ(kEngineOk, On(kOpFukuroOpen, kToDo, {}, other.get()));
    EXPECT_EQ(a, Read(kToDo, 1, other.get()));
    EXPECT_EQ(b, Read(kToDo, 1));

    ASSERT_EQ(kEngineOk, On(kOpFukuroClose, kToDo));
    EXPECT_EQ(kEngineFukuroNotOpen, On(kOpFukuroClose, kToDo));
    EXPECT_EQ(kEngineFukuroNotOpen, On(kOpReadTip, kToDo, {I4(1), I4Out(&tip), AddressOut(&buffer)}));
}

// A walk reads tips ahead of its position; what was committed since, by
// any instance, is read as it stands when the walk gets there.
TEST_F(FukuroTest, AWalkReadsChangesMadeAfterItsLastRead) {
    const int32_t a = PutToDo(m_db, kToDo, "a");
    const int32_t b = PutToDo(m_db, kToDo, "b");
    const int32_t c = PutToDo(m_db, kToDo, "c");
    const int32_t d = PutToDo(m_db, kToDo, "d");
    const int32_t e = PutToDo(m_db, kToDo, "e");
    std::unique_ptr<Engine> other = OpenedEngine(m_db);
    ASSERT_EQ(kEngineOk, On(kOpFukuroOpen, kToDo));
    std::string memo;
    EXPECT_EQ(a, Read(kToDo, 1, nullptr, &memo));

    ASSERT_EQ(kEngineOk, PutTip(m_db, kToDo, b, ToDoFields("b changed"), other.get()));
    EXPECT_EQ(b, Read(kToDo, 1, nullptr, &memo));
    EXPECT_EQ("b changed", memo);

    int32_t trashed[] = {c, 0};
    ASSERT_EQ(kEngineOk, On(kOpRemoveTip, kToDo, {Buffer(trashed)}, other.get()));
    EXPECT_EQ(d, Read(kToDo, 1, nullptr, &memo));
    EXPECT_EQ("d", memo);

    ASSERT_EQ(kEngineOk, PutTip(m_db, kToDo, e, ToDoFields("e changed")));
    EXPECT_EQ(e, Read(kToDo, 1, nullptr, &memo));
    EXPECT_EQ("e changed", memo);

    const int32_t f = PutToDo(m_db, kToDo, "f", other.get());
    EXPECT_EQ(f, Read(kToDo, 1));
    EXPECT_EQ(0, Read(kToDo, 1));
    ASSERT_EQ(kEngineOk, Call(*other, kOpUndoTip, {I4(m_db), Buffer(trashed)}));
    EXPECT_EQ(f, Read(kToDo, 2));
    EXPECT_EQ(e, Read(kToDo, 2));
    EXPECT_EQ(d, Read(kToDo, 2));
    EXPECT_EQ(c, Read(kToDo, 2));
}

// Enough tips for batches read ahead to grow past their first size.
TEST_F(FukuroTest, AWalkOfManyTipsReadsEveryOneInOrderBothWays) {
    std::vector<int32_t> tips;
    for (int i = 0; i < 250; ++i) tips.push_back(PutToDo(m_db, kToDo, "tip " + std::to_string(i)));
    ASSERT_EQ(kEngineOk, On(kOpFukuroOpen, kToDo));
    EXPECT_EQ(tips, ReadAll(kToDo));
    std::vector<int32_t> back;
    for (int32_t tip = Read(kToDo, 2); tip != 0; tip = Read(kToDo, 2)) back.push_back(tip);
    EXPECT_EQ(std::vector<int32_t>(tips.rbegin(), tips.rend()), back);
}

TEST_F(FukuroTest, SeekPlacesTheNextRead) {
    std::vector<int32_t> ids;
    for (const char* memo : {"0", "1", "2", "3", "4"}) ids.push_back(PutToDo(m_db, kToDo, memo));
    ASSERT_EQ(kEngineOk, On(kOpFukuroOpen, kToDo));
    EXPECT_EQ(2, Seek(2, 0));
    EXPECT_EQ(ids[2], Read(kToDo, 1));
    EXPECT_EQ(4, Seek(1, 1));
    EXPECT_EQ(ids[4], Read(kToDo, 1));
    EXPECT_EQ(4, Seek(-1, 2));
    EXPECT_EQ(ids[3], Read(kToDo, 2));
    EXPECT_EQ(5, Seek(100, 0));  // clamped to the end
    EXPECT_EQ(0, Read(kToDo, 1));
    EXPECT_EQ(0, Seek(-100, 1));
    EXPECT_EQ(ids[0], Read(kToDo, 1));
    int32_t position = 0;
    EXPECT_EQ(kEngineBadArgument, On(kOpFukuroSeek, kToDo, {I4(0), I4(3), I4Out(&position)}));
    EXPECT_EQ(kEngineFukuroNotOpen, On(kOpFukuroSeek, kMemo, {I4(0), I4(0), I4Out(&position)}));
}

TEST_F(FukuroTest, SearchLimitsReadsToTipsWhoseTextContainsIt) {
    const int32_t ascii = PutToDo(m_db, kToDo, "Buy Milk");
    const int32_t table = PutToDo(m_db, kToDo, "\x95\x5c" /* 表 */);
    const int32_t slash = PutToDo(m_db, kToDo, "a\\b");
    PutToDo(m_db, kToDo, "nothing");
    ASSERT_EQ(kEngineOk, On(kOpFukuroOpen, kToDo));
    ASSERT_EQ(kEngineOk, Search(u"milk", 1));
    EXPECT_EQ((std::vector<int32_t>{ascii}), ReadAll(kToDo));
    ASSERT_EQ(kEngineOk, Search(u"milk", 0));
    EXPECT_TRUE(ReadAll(kToDo).empty());
    // The trail byte of 表 is a backslash, which must not match on its own.
    ASSERT_EQ(kEngineOk, Search(u"\\", 0));
    EXPECT_EQ((std::vector<int32_t>{slash}), ReadAll(kToDo));
    ASSERT_EQ(kEngineOk, Search(u"\u8868" /* 表 */, 0));
    EXPECT_EQ((std::vector<int32_t>{table}), ReadAll(kToDo));
    ASSERT_EQ(kEngineOk, Search(u"", 0));
    EXPECT_EQ(4u, ReadAll(kToDo).size());

    EXPECT_EQ(kEngineBadArgument, Search(u"x", 4));
    EXPECT_EQ(kEngineBadArgument, Search(u"\U0001F600", 0));
    EXPECT_EQ(kEngineFukuroNotOpen, Search(u"x", 0, kMemo));
}

}  // namespace
}  // namespace enginetest
