// Checking tip buffers handed in, the compact read-only layout, LMTM stamps
// and sort conditions.
#include <gtest/gtest.h>

#include "EngineCodes.h"
#include "EngineTestSupport.h"
#include "KindSchemas.h"
#include "SortCondition.h"
#include "Stamps.h"
#include "TipBuffer.h"

namespace enginetest {
namespace {

using namespace varo::engine;
using varo::kEngineBadTipBuffer;
using varo::kEngineOk;

int32_t Check(std::vector<Field> fields) {
    TipBuffer buffer(std::move(fields));
    StoredTip tip;
    return ReadTipBuffer(buffer.Address(), &tip);
}

TEST(TipBufferTest, StructureIsCheckedBeforeAnythingIsKept) {
    StoredTip tip;
    TipBuffer good(ToDoFields("ok"));
    ASSERT_EQ(kEngineOk, ReadTipBuffer(good.Address(), &tip));
    EXPECT_EQ(11u, tip.fields.size());
    EXPECT_EQ(0x300, TipKind(tip));
    EXPECT_EQ(kEngineBadTipBuffer, ReadTipBuffer(nullptr, &tip));
    EXPECT_TRUE(tip.fields.empty());

    std::vector<Field> fields = ToDoFields("x");
    fields[2].tag = "TCDYX";
    EXPECT_EQ(kEngineBadTipBuffer, Check(fields));
    fields = ToDoFields("x");
    fields[2].tag = "T\x01" "DY";
    EXPECT_EQ(kEngineBadTipBuffer, Check(fields));
    fields = ToDoFields("x");
    fields[1].label = std::string(256, 'L');
    EXPECT_EQ(kEngineBadTipBuffer, Check(fields));
    fields = ToDoFields("x");
    fields[0].data = {0x00};
    EXPECT_EQ(kEngineBadTipBuffer, Check(fields));
    fields = ToDoFields("x");
    fields.insert(fields.begin(), Field{"MEMO", "", 1, {0}});
    EXPECT_EQ(kEngineBadTipBuffer, Check(fields));  // entry 0 must be TAFL or @CNT

    // A length without data.
    TipBuffer noData(ToDoFields("x"));
    TIPFIELD** entries = static_cast<TIPFIELD**>(noData.Address());
    entries[5]->data = nullptr;
    EXPECT_EQ(kEngineBadTipBuffer, ReadTipBuffer(noData.Address(), &tip));
    entries[5]->tag = nullptr;
    EXPECT_EQ(kEngineBadTipBuffer, ReadTipBuffer(noData.Address(), &tip));

    // Forty entries at most.
    std::vector<Field> many = ToDoFields("x");
    while (many.size() < 41) many.push_back(Field{"XTRA", "", 1, {0}});
    EXPECT_EQ(kEngineBadTipBuffer, Check(many));
}

TEST(TipBufferTest, KnownKindsMustCarryTheirSchemaTagsInOrder) {
    if (!HaveKindSchemas()) GTEST_SKIP() << "built without the kind schemas";
    std::vector<Field> swapped = ToDoFields("x");
    std::swap(swapped[6], swapped[7]);
    EXPECT_EQ(kEngineBadTipBuffer, Check(swapped));
    std::vector<Field> shorter = ToDoFields("x");
    shorter.pop_back();
    EXPECT_EQ(kEngineBadTipBuffer, Check(shorter));
    std::vector<Field> unknown = ToDoFields("x");
    unknown[0].data = {0x05, 0x02};  // 0x205 is no kind
    EXPECT_EQ(kEngineBadTipBuffer, Check(unknown));
    EXPECT_EQ(kEngineOk, Check(PreferenceFields("Free")));
}

TEST(TipBufferTest, ControlTipsHaveFourFieldsWithWholeTables) {
    EXPECT_EQ(kEngineOk, Check(ControlFields(1, {0x3012}, 40)));
    EXPECT_EQ(kEngineOk, Check(ControlFields(6, {0x3000, 0x3003}, 100)));
    EXPECT_EQ(kEngineBadTipBuffer, Check(ControlFields(1, {0x3012}, 101)));
    EXPECT_EQ(kEngineBadTipBuffer, Check(ControlFields(1, {0x3012}, 10)));
    std::vector<Field> fields = ControlFields(1, {0x3012}, 40);
    fields[3].data.pop_back();
    EXPECT_EQ(kEngineBadTipBuffer, Check(fields));
    fields = ControlFields(1, {0x3012}, 40);
    std::swap(fields[2], fields[3]);
    EXPECT_EQ(kEngineBadTipBuffer, Check(fields));
    fields = ControlFields(1, {0x3012}, 40);
    fields[0].data.push_back(0);
    EXPECT_EQ(kEngineBadTipBuffer, Check(fields));
}

TEST(TipBufferTest, StampsAndPreferenceTopics) {
    StoredTip tip;
    TipBuffer todo(ToDoFields("x", "20240229235959"));
    ASSERT_EQ(kEngineOk, ReadTipBuffer(todo.Address(), &tip));
    EXPECT_EQ("20240229235959", StampOf(tip));
    RenewStamp(&tip, "20250101000000");
    EXPECT_EQ(15u, FindField(tip, "LMTM")->data.size());
    EXPECT_EQ("20250101000000", StampOf(tip));
    EXPECT_EQ(PreferenceTopic::None, TopicOf(tip));

    // 2024-02-29 23:59:59 UTC is 1709251199.
    EXPECT_EQ("20240229235959", UtcStamp(1709251199));
    EXPECT_EQ("20240301000000", NextStamp("20240229235959", 1709251199));
    EXPECT_EQ("20240301000000", NextStamp("20240229235959", 1709251100));
    EXPECT_EQ("20240301000010", NextStamp("20240229235959", 1709251210));
    EXPECT_EQ("20240301000010", NextStamp("garbage", 1709251210));

    TipBuffer category(PreferenceFields("Category"));
    ASSERT_EQ(kEngineOk, ReadTipBuffer(category.Address(), &tip));
    EXPECT_EQ(PreferenceTopic::Category, TopicOf(tip));
    EXPECT_FALSE(UsesCompactLayout(tip));
}

TEST(TipBufferTest, SortConditionsParseAndCompareNumbersAndBytes) {
    std::vector<uint8_t> bytes(29, 0);
    bytes[0] = 1;
    memcpy(&bytes[1], "PRTY", 4);
    bytes[5] = 1;
    bytes[6] = 1;
    std::vector<SortKey> keys;
    ASSERT_TRUE(ParseSortCondition(bytes.data(), &keys));
    ASSERT_EQ(1u, keys.size());
    EXPECT_TRUE(keys[0].descending);
    EXPECT_TRUE(keys[0].numeric);
    bytes[6] = 2;
    EXPECT_FALSE(ParseSortCondition(bytes.data(), &keys));

    EXPECT_EQ(-42, DecimalValue(Bytes(" -42x")));
    EXPECT_EQ(0, DecimalValue(Bytes("abc")));
    EXPECT_EQ(999999999999999999, DecimalValue(Bytes(std::string(30, '9'))));

    std::vector<SortItem> items = {{1, {Bytes("b")}}, {2, {Bytes("a")}}, {3, {Bytes("b")}}, {4, {{}}}};
    SortItems({SortKey{"MEMO", false, false}}, &items);
    EXPECT_EQ(4, items[0].tip);  // an empty value first
    EXPECT_EQ(2, items[1].tip);
    EXPECT_EQ(1, items[2].tip);  // ties keep their order
    EXPECT_EQ(3, items[3].tip);
}

}  // namespace
}  // namespace enginetest
