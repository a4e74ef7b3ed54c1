#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "ExpectedSchemas.h"
#include "TipSchemas.h"

namespace {

using Labels = std::vector<std::string>;

void ExpectLabels(uint16_t kind, const Labels& labels) {
    ASSERT_EQ(varo::SchemaFieldCount(kind), static_cast<int>(labels.size()));
    for (size_t slot = 0; slot < labels.size(); ++slot) {
        ASSERT_NE(varo::SchemaLabel(kind, slot), nullptr) << "slot " << slot;
        EXPECT_EQ(std::string(varo::SchemaLabel(kind, slot)), labels[slot]) << "kind " << kind << " slot " << slot;
    }
}

const char* const kKindLabel = "tip\x8e\xed\x95\xca\x83\x74\x83\x89\x83\x62\x83\x4f"; /* tip種別フラッグ */
const char* const kLinkLabel = "\x83\x8a\x83\x93\x83\x4e\x83\x66\x81\x5b\x83\x5e"; /* リンクデータ */
const char* const kStampLabel = "\x8d\xc5\x8f\x49\x8d\x58\x90\x56\x93\xfa\x8e\x9e"; /* 最終更新日時 */
const Labels kCommonLabels = {
    kKindLabel, "\x83\x56\x81\x5b\x83\x4e\x83\x8c\x83\x62\x83\x67" /* シークレット */,
    "\x8b\x4c\x93\xfc\x93\xfa" /* 記入日 */, "\x83\x60\x83\x46\x83\x62\x83\x4e" /* チェック */,
    "\x83\x60\x83\x46\x83\x62\x83\x4e\x93\xfa" /* チェック日 */};

Labels WithCommon(const Labels& own) {
    Labels all = kCommonLabels;
    all.insert(all.end(), own.begin(), own.end());
    return all;
}

TEST(TipSchemasTest, LabelsAreByteExactShiftJis) {
    ExpectLabels(0x300, WithCommon({"\x93\xe0\x97\x65" /* 内容 */, "\x8a\xfa\x8c\xc0" /* 期限 */,
                                    "\x8f\x64\x97\x76\x93\x78" /* 重要度 */,
                                    "\x95\x5c\x8e\xa6\x8a\x4a\x8e\x6e\x93\xfa" /* 表示開始日 */, kLinkLabel,
                                    kStampLabel}));
    ExpectLabels(0x401, WithCommon({
        "\x96\xbc\x91\x4f" /* 名前 */, "\x89\xef\x8e\xd0\x96\xbc" /* 会社名 */, "\x95\x94\x8f\x90\x96\xbc" /* 部署名 */,
        "\x96\xf0\x90\x45\x96\xbc" /* 役職名 */, "\x93\x64\x98\x62" /* 電話 */, "\x82\x65\x82\x60\x82\x77" /* ＦＡＸ */,
        "\x89\xef\x8e\xd0\x97\x58\x95\xd6\x94\xd4\x8d\x86" /* 会社郵便番号 */, "\x89\xef\x8e\xd0\x8f\x5a\x8f\x8a" /* 会社住所 */,
        "\x89\xef\x8e\xd0\x94\xf5\x8d\x6c" /* 会社備考 */, "\x97\x58\x95\xd6\x94\xd4\x8d\x86" /* 郵便番号 */,
        "\x8f\x5a\x8f\x8a" /* 住所 */, "\x94\xf5\x8d\x6c" /* 備考 */, "\x8f\x8b\x92\x86\x8c\xa9\x95\x91\x82\xa2" /* 暑中見舞い */,
        "\x94\x4e\x89\xea\x8f\xf3" /* 年賀状 */, "\x82\xa8\x92\x86\x8c\xb3" /* お中元 */, "\x82\xa8\x8d\xce\x95\xe9" /* お歳暮 */,
        "\x83\x74\x83\x8a\x81\x5b\x82\x50" /* フリー１ */, "\x83\x74\x83\x8a\x81\x5b\x82\x51" /* フリー２ */,
        "\x83\x74\x83\x8a\x81\x5b\x82\x52" /* フリー３ */, "\x83\x74\x83\x8a\x81\x5b\x82\x53" /* フリー４ */,
        "\x83\x74\x83\x8a\x81\x5b\x82\x54" /* フリー５ */, "\x83\x74\x83\x8a\x81\x5b\x82\x55" /* フリー６ */,
        "\x92\x61\x90\xb6\x93\xfa" /* 誕生日 */, "\x93\x64\x8e\x71\x83\x81\x81\x5b\x83\x8b" /* 電子メール */,
        "\x83\x4a\x83\x65\x83\x53\x83\x8a\x82\x50" /* カテゴリ１ */, "\x83\x4a\x83\x65\x83\x53\x83\x8a\x82\x51" /* カテゴリ２ */,
        "\x83\x4a\x83\x65\x83\x53\x83\x8a\x82\x52" /* カテゴリ３ */, kLinkLabel, "\x8a\xe7\x8e\xca\x90\x5e" /* 顔写真 */,
        kStampLabel}));
    ExpectLabels(0x900, {kKindLabel, "\x8e\xed\x97\xde\x96\xbc" /* 種類名 */, "\x83\x66\x81\x5b\x83\x5e" /* データ */,
                         kStampLabel});
    // LTDY sits at slot 6 in milestones and to-do items under different labels.
    EXPECT_STREQ(varo::SchemaLabel(0x102, 6), "\x93\xfa\x8e\x9e" /* 日時 */);
    EXPECT_STREQ(varo::SchemaLabel(0x800, 1), "\x83\x4a\x83\x8c\x83\x93\x83\x67\x83\x79\x81\x5b\x83\x57" /* カレントページ */);
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
