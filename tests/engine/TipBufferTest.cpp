// Checking tip buffers handed in, LMTM stamps, preference topics and sort
// conditions.
#include <gtest/gtest.h>

#include <functional>

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

struct Damage {
    const char* what;
    bool control;  // else a to-do tip
    std::function<void(std::vector<Field>&)> damage;
};

void ExpectRefused(const Damage& d) {
    std::vector<Field> fields = d.control ? ControlFields(1, {0x3012}, 40) : ToDoFields("x");
    d.damage(fields);
    EXPECT_EQ(kEngineBadTipBuffer, Check(fields)) << d.what;
}

TEST(TipBufferTest, DamagedBuffersAreRefusedWhole) {
    StoredTip tip;
    TipBuffer good(ToDoFields("ok"));
    ASSERT_EQ(kEngineOk, ReadTipBuffer(good.Address(), &tip));
    EXPECT_EQ(11u, tip.fields.size());
    EXPECT_EQ(0x300, TipKind(tip));
    EXPECT_EQ(kEngineBadTipBuffer, ReadTipBuffer(nullptr, &tip));
    EXPECT_TRUE(tip.fields.empty());  // nothing kept of a refused buffer
    EXPECT_EQ(kEngineOk, Check(ControlFields(1, {0x3012}, 40)));
    EXPECT_EQ(kEngineOk, Check(ControlFields(6, {0x3000, 0x3003}, 100)));

    const Damage damages[] = {
        {"long tag", false, [](std::vector<Field>& f) { f[2].tag = "TCDYX"; }},
        {"control byte in tag", false, [](std::vector<Field>& f) { f[2].tag = "T\x01" "DY"; }},
        {"long label", false, [](std::vector<Field>& f) { f[1].label = std::string(256, 'L'); }},
        {"short kind", false, [](std::vector<Field>& f) { f[0].data = {0x00}; }},
        {"entry 0 neither TAFL nor @CNT", false, [](std::vector<Field>& f) { f.insert(f.begin(), Field{"MEMO", "", 1, {0}}); }},
        {"41 entries", false, [](std::vector<Field>& f) { f.resize(41, Field{"XTRA", "", 1, {0}}); }},
        {"101 table entries", true, [](std::vector<Field>& f) { f = ControlFields(1, {0x3012}, 101); }},
        {"10 table entries", true, [](std::vector<Field>& f) { f = ControlFields(1, {0x3012}, 10); }},
        {"cut table", true, [](std::vector<Field>& f) { f[3].data.pop_back(); }},
        {"uneven tables", true, [](std::vector<Field>& f) { f[3].data.resize(12); }},
        {"swapped tables", true, [](std::vector<Field>& f) { std::swap(f[2], f[3]); }},
        {"long count", true, [](std::vector<Field>& f) { f[0].data.push_back(0); }},
    };
    for (const Damage& d : damages) ExpectRefused(d);

    // A length without data, and a missing tag.
    TipBuffer noData(ToDoFields("x"));
    TIPFIELD** entries = static_cast<TIPFIELD**>(noData.Address());
    entries[5]->data = nullptr;
    EXPECT_EQ(kEngineBadTipBuffer, ReadTipBuffer(noData.Address(), &tip));
    entries[5]->tag = nullptr;
    EXPECT_EQ(kEngineBadTipBuffer, ReadTipBuffer(noData.Address(), &tip));
}

TEST(TipBufferTest, KnownKindsMustCarryTheirSchemaTagsInOrder) {
    if (!HaveKindSchemas()) GTEST_SKIP() << "built without the kind schemas";
    const Damage damages[] = {
        {"swapped", false, [](std::vector<Field>& f) { std::swap(f[6], f[7]); }},
        {"shorter", false, [](std::vector<Field>& f) { f.pop_back(); }},
        {"0x205 is no kind", false, [](std::vector<Field>& f) { f[0].data = {0x05, 0x02}; }},
    };
    for (const Damage& d : damages) ExpectRefused(d);
    EXPECT_EQ(kEngineOk, Check(PreferenceFields("Free")));
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

    // 2024-02-29 23:59:59 UTC is 1709251199; a stamp never repeats or goes back.
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
    std::vector<uint8_t> bytes = SortCondition({{"PRTY", 1, 1}});
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

    // An empty value first; ties keep their order.
    std::vector<SortItem> items = {{1, {Bytes("b")}}, {2, {Bytes("a")}}, {3, {Bytes("b")}}, {4, {{}}}};
    SortItems({SortKey{"MEMO", false, false}}, &items);
    std::vector<int32_t> order;
    for (const SortItem& item : items) order.push_back(item.tip);
    EXPECT_EQ((std::vector<int32_t>{4, 2, 1, 3}), order);
}

}  // namespace
}  // namespace enginetest
