// Fukuros: creation and deletion, names, membership and order, sorting,
// read positions, seeking and searching.
#include <cstring>

#include "EngineTestSupport.h"

namespace enginetest {
namespace {

using namespace varo;

const int32_t kToDo = 0x300C;
const int32_t kMemo = 0x300B;

class FukuroTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        m_db = CreateDatabase(u"fukuros");
    }
    // ReadTip with the option; the id read, 0 at an end.
    int32_t Read(int32_t fukuro, int option, Engine* engine = nullptr, std::string* memo = nullptr) {
        Engine& e = engine ? *engine : *m_engine;
        int32_t tip = -1;
        void* buffer = reinterpret_cast<void*>(1);
        EXPECT_EQ(kEngineOk, Call(e, kOpReadTip, {I4(m_db), I4(fukuro), I4(option), I4Out(&tip), AddressOut(&buffer)}));
        if (tip == 0) {
            EXPECT_EQ(nullptr, buffer);
            return 0;
        }
        if (memo) *memo = TextOf(FindTag(ReadBack(buffer), "MEMO"));
        EXPECT_EQ(kEngineOk, Call(e, kOpReleaseTip, {I4(m_db), Address(buffer)}));
        return tip;
    }
    std::vector<int32_t> ReadAll(int32_t fukuro) {
        std::vector<int32_t> ids;
        for (int32_t tip = Read(fukuro, 1); tip != 0; tip = Read(fukuro, 1)) ids.push_back(tip);
        return ids;
    }
    int32_t Seek(int32_t fukuro, int32_t offset, int32_t origin) {
        int32_t position = -1;
        EXPECT_EQ(kEngineOk, Call(*m_engine, kOpFukuroSeek, {I4(m_db), I4(fukuro), I4(offset), I4(origin), I4Out(&position)}));
        return position;
    }
    int32_t m_db = 0;
};

std::vector<uint8_t> SortCondition(std::initializer_list<std::tuple<const char*, int, int>> keys) {
    std::vector<uint8_t> bytes(29, 0);
    bytes[0] = static_cast<uint8_t>(keys.size());
    size_t at = 1;
    for (const auto& key : keys) {
        memcpy(&bytes[at], std::get<0>(key), 4);
        bytes[at + 4] = static_cast<uint8_t>(std::get<1>(key));
        bytes[at + 5] = static_cast<uint8_t>(std::get<2>(key));
        at += 7;
    }
    return bytes;
}

TEST_F(FukuroTest, NewFukurosAreNumberedAboveTheFixedOnesAndFixedOnesStay) {
    int32_t first = 0;
    int32_t folder = 0;
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpFukuroCreate, {I4(m_db), I4Out(&first), Text(u"cabinet"), I4(7)}));
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpPutKFl, {I4(m_db), I4Out(&folder), Text(u"folder")}));
    EXPECT_EQ(0x4000, first);
    EXPECT_EQ(0x4001, folder);

    char16_t* name = nullptr;
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpGetFukuroName, {I4(m_db), I4(folder), TextOut(&name)}));
    EXPECT_EQ(u"folder", Take(*m_engine, name));
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpSetFukuroName, {I4(m_db), I4(0x3000), Text(u"plans")}));
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpGetFukuroName, {I4(m_db), I4(0x3000), TextOut(&name)}));
    EXPECT_EQ(u"plans", Take(*m_engine, name));
    EXPECT_EQ(kEngineNoSuchFukuro, Call(*m_engine, kOpGetFukuroName, {I4(m_db), I4(0x2FFF), TextOut(&name)}));
    EXPECT_EQ(kEngineNoSuchFukuro, Call(*m_engine, kOpSetFukuroName, {I4(m_db), I4(0x5000), Text(u"x")}));

    EXPECT_EQ(kEngineFixedFukuro, Call(*m_engine, kOpFukuroDelete, {I4(m_db), I4(0x3016)}));
    const int32_t tip = PutToDo(m_db, first, "inside");
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpFukuroDelete, {I4(m_db), I4(first)}));
    EXPECT_EQ(kEngineNoSuchFukuro, Call(*m_engine, kOpFukuroDelete, {I4(m_db), I4(first)}));
    EXPECT_EQ(kEngineNoSuchFukuro, Call(*m_engine, kOpFukuroOpen, {I4(m_db), I4(first)}));
    // The tip itself outlives its fukuro, and the id of a deleted fukuro is not given again.
    EXPECT_EQ("inside", TextOf(FindTag(GetFields(m_db, 0, tip), "MEMO")));
    int32_t next = 0;
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpFukuroCreate, {I4(m_db), I4Out(&next), Text(u"next"), I4(0)}));
    EXPECT_EQ(0x4002, next);
}

TEST_F(FukuroTest, MembershipListsAndSizes) {
    const int32_t a = PutToDo(m_db, kToDo, "a");
    const int32_t b = PutToDo(m_db, kToDo, "b");
    int32_t ids[] = {b, a, b, 0};
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpPutTipToFukuro, {I4(m_db), I4(kMemo), Buffer(ids)}));
    EXPECT_EQ((std::vector<int32_t>{b, a}), TipList(m_db, kMemo));
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpPutTipToFukuro, {I4(m_db), I4(kMemo), Buffer(ids)}));  // no duplicates
    int32_t size = 0;
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpGetFukuroSize, {I4(m_db), I4(kMemo), I4Out(&size)}));
    EXPECT_EQ(2, size);

    int32_t missing[] = {a, 4242, 0};
    EXPECT_EQ(kEngineNoSuchTip, Call(*m_engine, kOpPutTipToFukuro, {I4(m_db), I4(0x3000), Buffer(missing)}));
    EXPECT_TRUE(TipList(m_db, 0x3000).empty());  // nothing of a refused list is stored
    EXPECT_EQ(kEngineNoSuchTip, Call(*m_engine, kOpRemoveTipFromFukuro, {I4(m_db), I4(kMemo), Buffer(missing)}));
    EXPECT_EQ((std::vector<int32_t>{b, a}), TipList(m_db, kMemo));
    int32_t justA[] = {a, 0};
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpRemoveTipFromFukuro, {I4(m_db), I4(kMemo), Buffer(justA)}));
    EXPECT_EQ((std::vector<int32_t>{b}), TipList(m_db, kMemo));
    EXPECT_EQ((std::vector<int32_t>{a, b}), TipList(m_db, kToDo));
    EXPECT_EQ(kEngineNoSuchFukuro, Call(*m_engine, kOpGetFukuroSize, {I4(m_db), I4(0x6000), I4Out(&size)}));
    EXPECT_EQ(kEngineBadArgument, Call(*m_engine, kOpPutTipToFukuro, {I4(m_db), I4(kMemo), Buffer(nullptr)}));
    int32_t count = 0;
    EXPECT_EQ(kEngineBadArgument, Call(*m_engine, kOpGetTipList, {I4(m_db), I4(kMemo), Buffer(nullptr), I4Out(nullptr)}));
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpGetTipList, {I4(m_db), I4(0x3001), Buffer(nullptr), I4Out(&count)}));
    EXPECT_EQ(0, count);
}

TEST_F(FukuroTest, SortRearrangesByKeysAndRemembersTheCondition) {
    struct Row { const char* memo; const char* priority; };
    const Row rows[] = {{"pear", "10"}, {"apple", "9"}, {"fig", "10"}, {"kiwi", "2"}};
    std::vector<int32_t> ids;
    for (const Row& row : rows) {
        std::vector<Field> fields = ToDoFields(row.memo);
        fields[7].data = Bytes(row.priority);
        TipBuffer tip(fields);
        int32_t id = 0;
        ASSERT_EQ(kEngineOk, Call(*m_engine, kOpPutTip, {I4(m_db), I4(kToDo), I4Out(&id), Address(tip.Address())}));
        ids.push_back(id);
    }
    // Priority as a number, descending; ties by memo bytes, ascending.
    std::vector<uint8_t> condition = SortCondition({{"PRTY", 1, 1}, {"MEMO", 0, 0}});
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpFukuroSort, {I4(m_db), I4(kToDo), Buffer(condition.data())}));
    EXPECT_EQ((std::vector<int32_t>{ids[2], ids[0], ids[1], ids[3]}), TipList(m_db, kToDo));
    std::vector<uint8_t> back(29, 0xEE);
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpGetFukuroSortCnd, {I4(m_db), I4(kToDo), Buffer(back.data())}));
    EXPECT_EQ(condition, back);

    // As bytes, "10" comes before "2" and "9".
    condition = SortCondition({{"PRTY", 0, 0}});
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpFukuroSort, {I4(m_db), I4(kToDo), Buffer(condition.data())}));
    EXPECT_EQ((std::vector<int32_t>{ids[2], ids[0], ids[3], ids[1]}), TipList(m_db, kToDo));
    // A new tip still goes to the end.
    const int32_t later = PutToDo(m_db, kToDo, "aaa");
    EXPECT_EQ(later, TipList(m_db, kToDo).back());

    std::vector<uint8_t> unsorted(29, 0);
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpGetFukuroSortCnd, {I4(m_db), I4(kMemo), Buffer(back.data())}));
    EXPECT_EQ(unsorted, back);
    std::vector<uint8_t> tooMany = SortCondition({{"PRTY", 0, 0}});
    tooMany[0] = 5;
    EXPECT_EQ(kEngineBadArgument, Call(*m_engine, kOpFukuroSort, {I4(m_db), I4(kToDo), Buffer(tooMany.data())}));
    std::vector<uint8_t> badDirection = SortCondition({{"PRTY", 2, 0}});
    EXPECT_EQ(kEngineBadArgument, Call(*m_engine, kOpFukuroSort, {I4(m_db), I4(kToDo), Buffer(badDirection.data())}));
    EXPECT_EQ(kEngineBadArgument, Call(*m_engine, kOpFukuroSort, {I4(m_db), I4(kToDo), Buffer(nullptr)}));
    EXPECT_EQ(kEngineNoSuchFukuro, Call(*m_engine, kOpFukuroSort, {I4(m_db), I4(0x6000), Buffer(condition.data())}));
}

TEST_F(FukuroTest, ReadPositionsWalkForwardBackAndStopAtTheEnds) {
    const int32_t a = PutToDo(m_db, kToDo, "a");
    const int32_t b = PutToDo(m_db, kToDo, "b");
    const int32_t c = PutToDo(m_db, kToDo, "c");
    int32_t tip = 0;
    void* buffer = nullptr;
    EXPECT_EQ(kEngineFukuroNotOpen, Call(*m_engine, kOpReadTip, {I4(m_db), I4(kToDo), I4(1), I4Out(&tip), AddressOut(&buffer)}));
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpFukuroOpen, {I4(m_db), I4(kToDo)}));
    EXPECT_EQ(0, Read(kToDo, 0));  // before the first tip there is no current one
    EXPECT_EQ(0, Read(kToDo, 2));
    std::string memo;
    EXPECT_EQ(a, Read(kToDo, 1, nullptr, &memo));
    EXPECT_EQ("a", memo);
    EXPECT_EQ(a, Read(kToDo, 0));
    EXPECT_EQ(b, Read(kToDo, 1));
    EXPECT_EQ(c, Read(kToDo, 1));
    EXPECT_EQ(0, Read(kToDo, 1));
    EXPECT_EQ(0, Read(kToDo, 1));
    EXPECT_EQ(c, Read(kToDo, 2));
    EXPECT_EQ(b, Read(kToDo, 2));
    EXPECT_EQ(kEngineBadArgument, Call(*m_engine, kOpReadTip, {I4(m_db), I4(kToDo), I4(3), I4Out(&tip), AddressOut(&buffer)}));

    // A tip put in behind the position is read next; reopening starts over.
    const int32_t d = PutToDo(m_db, kToDo, "d");
    EXPECT_EQ(c, Read(kToDo, 1));
    EXPECT_EQ(d, Read(kToDo, 1));
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpFukuroOpen, {I4(m_db), I4(kToDo)}));
    EXPECT_EQ(a, Read(kToDo, 1));

    // Each instance has its own position.
    std::unique_ptr<Engine> other = NewEngine(*m_host);
    int16_t flag = 0;
    ASSERT_EQ(kEngineOk, Call(*other, kOpOpen, {I4(m_db), I2Out(&flag)}));
    ASSERT_EQ(kEngineOk, Call(*other, kOpFukuroOpen, {I4(m_db), I4(kToDo)}));
    EXPECT_EQ(a, Read(kToDo, 1, other.get()));
    EXPECT_EQ(b, Read(kToDo, 1));

    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpFukuroClose, {I4(m_db), I4(kToDo)}));
    EXPECT_EQ(kEngineFukuroNotOpen, Call(*m_engine, kOpFukuroClose, {I4(m_db), I4(kToDo)}));
    EXPECT_EQ(kEngineFukuroNotOpen, Call(*m_engine, kOpReadTip, {I4(m_db), I4(kToDo), I4(1), I4Out(&tip), AddressOut(&buffer)}));
}

TEST_F(FukuroTest, SeekPlacesTheNextRead) {
    std::vector<int32_t> ids;
    for (const char* memo : {"0", "1", "2", "3", "4"}) ids.push_back(PutToDo(m_db, kToDo, memo));
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpFukuroOpen, {I4(m_db), I4(kToDo)}));
    EXPECT_EQ(2, Seek(kToDo, 2, 0));
    EXPECT_EQ(ids[2], Read(kToDo, 1));
    EXPECT_EQ(4, Seek(kToDo, 1, 1));
    EXPECT_EQ(ids[4], Read(kToDo, 1));
    EXPECT_EQ(4, Seek(kToDo, -1, 2));
    EXPECT_EQ(ids[3], Read(kToDo, 2));
    EXPECT_EQ(5, Seek(kToDo, 100, 0));  // clamped to the end
    EXPECT_EQ(0, Read(kToDo, 1));
    EXPECT_EQ(0, Seek(kToDo, -100, 1));
    EXPECT_EQ(ids[0], Read(kToDo, 1));
    int32_t position = 0;
    EXPECT_EQ(kEngineBadArgument, Call(*m_engine, kOpFukuroSeek, {I4(m_db), I4(kToDo), I4(0), I4(3), I4Out(&position)}));
    EXPECT_EQ(kEngineFukuroNotOpen, Call(*m_engine, kOpFukuroSeek, {I4(m_db), I4(kMemo), I4(0), I4(0), I4Out(&position)}));
}

TEST_F(FukuroTest, SearchLimitsReadsToTipsWhoseTextContainsIt) {
    const int32_t ascii = PutToDo(m_db, kToDo, "Buy Milk");
    const int32_t table = PutToDo(m_db, kToDo, "\x95\x5c" /* 表 */);
    const int32_t slash = PutToDo(m_db, kToDo, "a\\b");
    PutToDo(m_db, kToDo, "nothing");
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpFukuroOpen, {I4(m_db), I4(kToDo)}));
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpTipSearch, {I4(m_db), I4(kToDo), Text(u"milk"), I4(1)}));
    EXPECT_EQ(ascii, Read(kToDo, 1));
    EXPECT_EQ(0, Read(kToDo, 1));
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpTipSearch, {I4(m_db), I4(kToDo), Text(u"milk"), I4(0)}));
    EXPECT_EQ(0, Read(kToDo, 1));
    // The trail byte of 表 is a backslash, which must not match on its own.
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpTipSearch, {I4(m_db), I4(kToDo), Text(u"\\"), I4(0)}));
    EXPECT_EQ(slash, Read(kToDo, 1));
    EXPECT_EQ(0, Read(kToDo, 1));
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpTipSearch, {I4(m_db), I4(kToDo), Text(u"\u8868" /* 表 */), I4(0)}));
    EXPECT_EQ(table, Read(kToDo, 1));
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpTipSearch, {I4(m_db), I4(kToDo), Text(u""), I4(0)}));
    EXPECT_EQ(4u, ReadAll(kToDo).size());

    EXPECT_EQ(kEngineBadArgument, Call(*m_engine, kOpTipSearch, {I4(m_db), I4(kToDo), Text(u"x"), I4(4)}));
    EXPECT_EQ(kEngineBadArgument, Call(*m_engine, kOpTipSearch, {I4(m_db), I4(kToDo), Text(u"\U0001F600"), I4(0)}));
    EXPECT_EQ(kEngineFukuroNotOpen, Call(*m_engine, kOpTipSearch, {I4(m_db), I4(kMemo), Text(u"x"), I4(0)}));
}

}  // namespace
}  // namespace enginetest
