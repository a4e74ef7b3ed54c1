#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "CodePage.h"
#include "ExpectedSchemas.h"
#include "TipSchemas.h"

namespace {

// The Shift-JIS bytes of a label typed in UTF-8, as the platform's
// converter gives them.
std::string Sjis(const char* utf8) {
    std::string sjis;
    EXPECT_TRUE(Utf8ToCp932(utf8, &sjis)) << utf8;
    return sjis;
}

void ExpectLabels(uint16_t kind, std::initializer_list<const char*> labels) {
    ASSERT_EQ(varo::SchemaFieldCount(kind), static_cast<int>(labels.size()));
    int slot = 0;
    for (const char* label : labels) {
        ASSERT_NE(varo::SchemaLabel(kind, slot), nullptr) << "slot " << slot;
        EXPECT_EQ(varo::SchemaLabel(kind, slot), Sjis(label)) << "kind " << kind << " slot " << slot;
        ++slot;
    }
}

TEST(TipSchemasTest, LabelsAreByteExactShiftJis) {
    ExpectLabels(0x300, {"tip種別フラッグ", "シークレット", "記入日", "チェック", "チェック日", "内容", "期限", "重要度",
                         "表示開始日", "リンクデータ", "最終更新日時"});
    ExpectLabels(0x401, {"tip種別フラッグ", "シークレット", "記入日", "チェック", "チェック日", "名前", "会社名", "部署名",
                         "役職名", "電話", "ＦＡＸ", "会社郵便番号", "会社住所", "会社備考", "郵便番号", "住所", "備考",
                         "暑中見舞い", "年賀状", "お中元", "お歳暮", "フリー１", "フリー２", "フリー３", "フリー４",
                         "フリー５", "フリー６", "誕生日", "電子メール", "カテゴリ１", "カテゴリ２", "カテゴリ３",
                         "リンクデータ", "顔写真", "最終更新日時"});
    ExpectLabels(0x900, {"tip種別フラッグ", "種類名", "データ", "最終更新日時"});
    // LTDY sits at slot 6 in milestones and to-do items under different labels.
    EXPECT_EQ(varo::SchemaLabel(0x102, 6), Sjis("日時"));
    EXPECT_EQ(varo::SchemaLabel(0x800, 1), Sjis("カレントページ"));
}

TEST(TipSchemasTest, EveryKindHasItsTagsTypesAndSlotCount) {
    for (const expected::Kind& kind : expected::kKinds) {
        SCOPED_TRACE(kind.kind);
        const std::vector<expected::Slot> slots = expected::SlotsOf(kind);
        ASSERT_EQ(static_cast<int>(slots.size()), kind.slots);
        EXPECT_TRUE(varo::IsTipKind(kind.kind));
        EXPECT_EQ(varo::SchemaFieldCount(kind.kind), kind.slots);
        for (int slot = 0; slot < kind.slots; ++slot) {
            // The lookup by tag finds every slot through its tag.
            EXPECT_EQ(varo::SchemaSlot(kind.kind, slots[slot].tag.c_str()), slot) << slots[slot].tag;
            EXPECT_EQ(varo::SchemaFieldType(kind.kind, slot), slots[slot].type) << "slot " << slot;
        }
        for (int outside : {-1, kind.slots, 39, 40}) {
            EXPECT_EQ(varo::SchemaTag(kind.kind, outside), nullptr);
            EXPECT_EQ(varo::SchemaLabel(kind.kind, outside), nullptr);
            EXPECT_EQ(varo::SchemaFieldType(kind.kind, outside), 0u);
        }
    }
}

TEST(TipSchemasTest, ValuesThatAreNotKindsAndTagsNotInTheKindHaveNoSchema) {
    EXPECT_EQ(varo::SchemaSlot(0x101, "LTDY"), -1);
    EXPECT_EQ(varo::SchemaSlot(0x900, "SCRT"), -1);
    for (const char* tag : {"LMT", "LMTMX", static_cast<const char*>(nullptr)}) EXPECT_EQ(varo::SchemaSlot(0x300, tag), -1);
    for (uint16_t value : {0x000, 0x100, 0x104, 0x200, 0x205, 0x301, 0x400, 0x405, 0x500, 0x507, 0x801, 0x901,
                           0xF01, 0x999, 0xFFFF}) {
        EXPECT_FALSE(varo::IsTipKind(value)) << value;
        EXPECT_EQ(varo::SchemaFieldCount(value), -1) << value;
        EXPECT_EQ(varo::SchemaTag(value, 0), nullptr) << value;
        EXPECT_EQ(varo::SchemaFieldType(value, 0), 0u) << value;
        EXPECT_EQ(varo::SchemaSlot(value, "TAFL"), -1) << value;
    }
}

}  // namespace
