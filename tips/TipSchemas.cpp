#include "TipSchemas.h"

#include <cstring>

namespace varo {
namespace {

// Labels that several schemas share.
const char kLabelKind[] = "tip\x8e\xed\x95\xca\x83\x74\x83\x89\x83\x62\x83\x4f"; /* tip種別フラッグ */
const char kLabelContents[] = "\x93\xe0\x97\x65"; /* 内容 */
const char kLabelParentPlan[] = "\x90\x65\x83\x76\x83\x89\x83\x93"; /* 親プラン */
const char kLabelColor[] = "\x90\x46"; /* 色 */
const char kLabelLinkData[] = "\x83\x8a\x83\x93\x83\x4e\x83\x66\x81\x5b\x83\x5e"; /* リンクデータ */
const char kLabelLastModified[] = "\x8d\xc5\x8f\x49\x8d\x58\x90\x56\x93\xfa\x8e\x9e"; /* 最終更新日時 */
const char kLabelWeekday[] = "\x97\x6a\x93\xfa"; /* 曜日 */
const char kLabelFileName[] = "\x83\x74\x83\x40\x83\x43\x83\x8b\x96\xbc"; /* ファイル名 */

using IV = InitialValue;

const SchemaField kCommonFields[] = {
    {"TAFL", kLabelKind, FIELDTYPE_KIND, IV::Kind},
    {"SCRT", "\x83\x56\x81\x5b\x83\x4e\x83\x8c\x83\x62\x83\x67" /* シークレット */, FIELDTYPE_FLAG, IV::DigitZero},
    {"TCDY", "\x8b\x4c\x93\xfc\x93\xfa" /* 記入日 */, FIELDTYPE_DATETIME, IV::None},
    {"MARK", "\x83\x60\x83\x46\x83\x62\x83\x4e" /* チェック */, FIELDTYPE_FLAG, IV::DigitZero},
    {"FNDY", "\x83\x60\x83\x46\x83\x62\x83\x4e\x93\xfa" /* チェック日 */, FIELDTYPE_DATETIME, IV::FarFuture},
};

const SchemaField kPlanFields[] = {
    {"MEMO", "\x83\x76\x83\x89\x83\x93\x96\xbc" /* プラン名 */, FIELDTYPE_TEXT, IV::EmptyText},
    {"TIME", "\x8a\xfa\x8a\xd4" /* 期間 */, FIELDTYPE_PERIOD, IV::None},
    {"POSN", "\x95\x5c\x8e\xa6\x88\xca\x92\x75" /* 表示位置 */, FIELDTYPE_NUMBER, IV::None},
    {"PPLN", kLabelParentPlan, FIELDTYPE_FUKURO_OR_PAGE, IV::None},
    {"CLOR", kLabelColor, FIELDTYPE_COLOR, IV::FourZeroBytes},
    {"LIDS", kLabelLinkData, FIELDTYPE_LINK_LIST, IV::FourZeroBytes},
    {"LMTM", kLabelLastModified, FIELDTYPE_DATETIME, IV::CurrentTime},
};

const SchemaField kMilestoneFields[] = {
    {"MEMO", "\x83\x7d\x83\x43\x83\x8b\x83\x58\x83\x67\x81\x5b\x83\x93\x96\xbc" /* マイルストーン名 */,
     FIELDTYPE_TEXT, IV::EmptyText},
    {"LTDY", "\x93\xfa\x8e\x9e" /* 日時 */, FIELDTYPE_DATETIME, IV::EmptyText},
    {"PPLN", kLabelParentPlan, FIELDTYPE_FUKURO_OR_PAGE, IV::None},
    {"CLOR", kLabelColor, FIELDTYPE_COLOR, IV::FourZeroBytes},
    {"LIDS", kLabelLinkData, FIELDTYPE_LINK_LIST, IV::FourZeroBytes},
    {"LMTM", kLabelLastModified, FIELDTYPE_DATETIME, IV::CurrentTime},
};

const SchemaField kScheduleFields[] = {
    {"MEMO", kLabelContents, FIELDTYPE_TEXT, IV::EmptyText},
    {"TIME", "\x8a\x4a\x8e\x6e\x93\xfa\x8e\x9e\x8f\x49\x97\xb9\x93\xfa\x8e\x9e" /* 開始日時終了日時 */,
     FIELDTYPE_PERIOD, IV::None},
    {"PEND", "\x95\xdb\x97\xaf" /* 保留 */, FIELDTYPE_FLAG, IV::DigitZero},
    {"ALON", "\x83\x41\x83\x89\x81\x5b\x83\x80\x90\xdd\x92\xe8" /* アラーム設定 */, FIELDTYPE_FLAG, IV::DigitZero},
    {"ALRM", "\x83\x41\x83\x89\x81\x5b\x83\x80\x8e\x9e\x8a\xd4" /* アラーム時間 */, FIELDTYPE_DATETIME,
     IV::EmptyText},
    {"CLOR", kLabelColor, FIELDTYPE_COLOR, IV::FourZeroBytes},
    {"LIDS", kLabelLinkData, FIELDTYPE_LINK_LIST, IV::FourZeroBytes},
    {"LMTM", kLabelLastModified, FIELDTYPE_DATETIME, IV::CurrentTime},
};

const SchemaField kHolidayFields[] = {
    {"MEMO", kLabelContents, FIELDTYPE_TEXT, IV::EmptyText},
    {"HOL1", "\x94\x4e\x8c\x8e\x93\xfa" /* 年月日 */, FIELDTYPE_DAY, IV::EmptyText},
    {"HOL2", kLabelWeekday, FIELDTYPE_DAY, IV::EmptyText},
    {"LMTM", kLabelLastModified, FIELDTYPE_DATETIME, IV::CurrentTime},
};

const SchemaField kAnniversaryFields[] = {
    {"MEMO", kLabelContents, FIELDTYPE_TEXT, IV::EmptyText},
    {"ANN1", "\x8b\x4c\x94\x4f\x93\xfa" /* 記念日 */, FIELDTYPE_DAY, IV::EmptyText},
    {"ANN2", kLabelWeekday, FIELDTYPE_DAY, IV::EmptyText},
    {"HOLI", "\x8b\x78\x93\xfa\x90\xdd\x92\xe8" /* 休日設定 */, FIELDTYPE_FLAG, IV::None},
    {"LMTM", kLabelLastModified, FIELDTYPE_DATETIME, IV::CurrentTime},
};

const SchemaField kToDoFields[] = {
    {"MEMO", kLabelContents, FIELDTYPE_TEXT, IV::EmptyText},
    {"LTDY", "\x8a\xfa\x8c\xc0" /* 期限 */, FIELDTYPE_DATETIME, IV::EmptyText},
    {"PRTY", "\x8f\x64\x97\x76\x93\x78" /* 重要度 */, FIELDTYPE_NUMBER, IV::None},
    {"ETDY", "\x95\x5c\x8e\xa6\x8a\x4a\x8e\x6e\x93\xfa" /* 表示開始日 */, FIELDTYPE_DATETIME, IV::EmptyText},
    {"LIDS", kLabelLinkData, FIELDTYPE_LINK_LIST, IV::FourZeroBytes},
    {"LMTM", kLabelLastModified, FIELDTYPE_DATETIME, IV::CurrentTime},
};

// The digits of the free-field and category labels and the letters of ＦＡＸ
// are full-width characters.
const SchemaField kCardFields[] = {
    {"NAME", "\x96\xbc\x91\x4f" /* 名前 */, FIELDTYPE_NAME, IV::TwoZeroBytes},
    {"OFCE", "\x89\xef\x8e\xd0\x96\xbc" /* 会社名 */, FIELDTYPE_NAME, IV::TwoZeroBytes},
    {"SCTN", "\x95\x94\x8f\x90\x96\xbc" /* 部署名 */, FIELDTYPE_TEXT, IV::EmptyText},
    {"PSTN", "\x96\xf0\x90\x45\x96\xbc" /* 役職名 */, FIELDTYPE_TEXT, IV::EmptyText},
    {"TEL1", "\x93\x64\x98\x62" /* 電話 */, FIELDTYPE_PHONE_LIST, IV::EmptyText},
    {"FAX1", "\x82\x65\x82\x60\x82\x77" /* ＦＡＸ */, FIELDTYPE_PHONE_LIST, IV::EmptyText},
    {"ZIP2", "\x89\xef\x8e\xd0\x97\x58\x95\xd6\x94\xd4\x8d\x86" /* 会社郵便番号 */, FIELDTYPE_TEXT, IV::EmptyText},
    {"ADR2", "\x89\xef\x8e\xd0\x8f\x5a\x8f\x8a" /* 会社住所 */, FIELDTYPE_TEXT, IV::EmptyText},
    {"CRMK", "\x89\xef\x8e\xd0\x94\xf5\x8d\x6c" /* 会社備考 */, FIELDTYPE_TEXT, IV::EmptyText},
    {"ZIPC", "\x97\x58\x95\xd6\x94\xd4\x8d\x86" /* 郵便番号 */, FIELDTYPE_TEXT, IV::EmptyText},
    {"ADR1", "\x8f\x5a\x8f\x8a" /* 住所 */, FIELDTYPE_TEXT, IV::EmptyText},
    {"RMRK", "\x94\xf5\x8d\x6c" /* 備考 */, FIELDTYPE_TEXT, IV::EmptyText},
    {"CHK1", "\x8f\x8b\x92\x86\x8c\xa9\x95\x91\x82\xa2" /* 暑中見舞い */, FIELDTYPE_NUMBER, IV::DigitZero},
    {"CHK2", "\x94\x4e\x89\xea\x8f\xf3" /* 年賀状 */, FIELDTYPE_NUMBER, IV::DigitZero},
    {"CHK3", "\x82\xa8\x92\x86\x8c\xb3" /* お中元 */, FIELDTYPE_NUMBER, IV::DigitZero},
    {"CHK4", "\x82\xa8\x8d\xce\x95\xe9" /* お歳暮 */, FIELDTYPE_NUMBER, IV::DigitZero},
    {"FRE1", "\x83\x74\x83\x8a\x81\x5b\x82\x50" /* フリー１ */, FIELDTYPE_TEXT, IV::EmptyText},
    {"FRE2", "\x83\x74\x83\x8a\x81\x5b\x82\x51" /* フリー２ */, FIELDTYPE_TEXT, IV::EmptyText},
    {"FRE3", "\x83\x74\x83\x8a\x81\x5b\x82\x52" /* フリー３ */, FIELDTYPE_TEXT, IV::EmptyText},
    {"FRE4", "\x83\x74\x83\x8a\x81\x5b\x82\x53" /* フリー４ */, FIELDTYPE_TEXT, IV::EmptyText},
    {"FRE5", "\x83\x74\x83\x8a\x81\x5b\x82\x54" /* フリー５ */, FIELDTYPE_TEXT, IV::EmptyText},
    {"FRE6", "\x83\x74\x83\x8a\x81\x5b\x82\x55" /* フリー６ */, FIELDTYPE_TEXT, IV::EmptyText},
    {"BRTH", "\x92\x61\x90\xb6\x93\xfa" /* 誕生日 */, FIELDTYPE_DAY, IV::EmptyText},
    {"EMAL", "\x93\x64\x8e\x71\x83\x81\x81\x5b\x83\x8b" /* 電子メール */, FIELDTYPE_EMAIL_LIST, IV::EmptyText},
    {"CTG1", "\x83\x4a\x83\x65\x83\x53\x83\x8a\x82\x50" /* カテゴリ１ */, FIELDTYPE_NUMBER, IV::DoubleZero},
    {"CTG2", "\x83\x4a\x83\x65\x83\x53\x83\x8a\x82\x51" /* カテゴリ２ */, FIELDTYPE_NUMBER, IV::DoubleZero},
    {"CTG3", "\x83\x4a\x83\x65\x83\x53\x83\x8a\x82\x52" /* カテゴリ３ */, FIELDTYPE_NUMBER, IV::DoubleZero},
    {"LIDS", kLabelLinkData, FIELDTYPE_LINK_LIST, IV::FourZeroBytes},
    {"IMJG", "\x8a\xe7\x8e\xca\x90\x5e" /* 顔写真 */, FIELDTYPE_BLOCK, IV::EmptyText},
    {"LMTM", kLabelLastModified, FIELDTYPE_DATETIME, IV::CurrentTime},
};

const SchemaField kMemoFields[] = {
    {"MEMO", kLabelContents, FIELDTYPE_TEXT, IV::EmptyText},
    {"CLAS", kLabelFileName, FIELDTYPE_TEXT, IV::EmptyText},
    {"PRF1", "\x88\xf3\x8e\x9a\x8c\x60\x8e\xae" /* 印字形式 */, FIELDTYPE_PRINT_FORMAT, IV::EmptyText},
    {"IMG1", "\x83\x43\x83\x81\x81\x5b\x83\x57\x83\x66\x81\x5b\x83\x5e" /* イメージデータ */, FIELDTYPE_BLOCK,
     IV::EmptyText},
    {"HTXT",
     "\x83\x6e\x83\x43\x83\x75\x83\x8a\x83\x62\x83\x68\x83\x65\x83\x4c\x83\x58\x83\x67" /* ハイブリッドテキスト */,
     FIELDTYPE_BLOCK, IV::EmptyText},
    {"WBMP", "BMP\x83\x66\x81\x5b\x83\x5e" /* BMPデータ */, FIELDTYPE_BLOCK, IV::EmptyText},
    {"LIDS", kLabelLinkData, FIELDTYPE_LINK_LIST, IV::FourZeroBytes},
    {"LMTM", kLabelLastModified, FIELDTYPE_DATETIME, IV::CurrentTime},
};

const SchemaField kPageBoardFields[] = {
    {"TAFL", kLabelKind, FIELDTYPE_KIND, IV::Kind},
    {"PBCP", "\x83\x4a\x83\x8c\x83\x93\x83\x67\x83\x79\x81\x5b\x83\x57" /* カレントページ */,
     FIELDTYPE_FUKURO_OR_PAGE, IV::FourZeroBytes},
    {"LIDS", kLabelLinkData, FIELDTYPE_LINK_LIST, IV::FourZeroBytes},
    {"LMTM", kLabelLastModified, FIELDTYPE_DATETIME, IV::CurrentTime},
};

const SchemaField kPreferenceFields[] = {
    {"TAFL", kLabelKind, FIELDTYPE_KIND, IV::Kind},
    {"PFAT", "\x8e\xed\x97\xde\x96\xbc" /* 種類名 */, FIELDTYPE_TEXT, IV::EmptyText},
    {"PFDT", "\x83\x66\x81\x5b\x83\x5e" /* データ */, FIELDTYPE_PREFERENCE_DATA, IV::EmptyText},
    {"LMTM", kLabelLastModified, FIELDTYPE_DATETIME, IV::CurrentTime},
};

const SchemaField kFileLinkFields[] = {
    {"FLNM", kLabelFileName, FIELDTYPE_TEXT, IV::EmptyText},
    {"MCID", "\x83\x7d\x83\x56\x83\x93\x96\xbc" /* マシン名 */, FIELDTYPE_TEXT, IV::EmptyText},
    {"FPTH", "\x83\x70\x83\x58\x96\xbc" /* パス名 */, FIELDTYPE_TEXT, IV::EmptyText},
    {"APPL", "\x8d\xec\x90\xac\x83\x41\x83\x76\x83\x8a\x96\xbc" /* 作成アプリ名 */, FIELDTYPE_TEXT, IV::EmptyText},
    {"FMTM", "\x83\x74\x83\x40\x83\x43\x83\x8b\x8d\x58\x90\x56\x93\xfa\x8e\x9e" /* ファイル更新日時 */,
     FIELDTYPE_DATETIME, IV::EmptyText},
    {"DPDY", "\x95\x5c\x8e\xa6\x93\xfa" /* 表示日 */, FIELDTYPE_DATETIME, IV::EmptyText},
    {"LMTM", kLabelLastModified, FIELDTYPE_DATETIME, IV::CurrentTime},
};

struct BlockEntry {
    SchemaBlock id;
    const SchemaField* fields;
    int firstSlot;
    int count;
};

template <int N>
constexpr BlockEntry Block(SchemaBlock id, const SchemaField (&fields)[N], int firstSlot) {
    return BlockEntry{id, fields, firstSlot, N};
}

const int kFamilyFirstSlot = 5;  // the common block takes slots 0 to 4

// Indexed by SchemaBlock.
constexpr BlockEntry kBlocks[] = {
    Block(SchemaBlock::Common, kCommonFields, 0),
    Block(SchemaBlock::Plan, kPlanFields, kFamilyFirstSlot),
    Block(SchemaBlock::Milestone, kMilestoneFields, kFamilyFirstSlot),
    Block(SchemaBlock::Schedule, kScheduleFields, kFamilyFirstSlot),
    Block(SchemaBlock::Holiday, kHolidayFields, kFamilyFirstSlot),
    Block(SchemaBlock::Anniversary, kAnniversaryFields, kFamilyFirstSlot),
    Block(SchemaBlock::ToDo, kToDoFields, kFamilyFirstSlot),
    Block(SchemaBlock::Card, kCardFields, kFamilyFirstSlot),
    Block(SchemaBlock::Memo, kMemoFields, kFamilyFirstSlot),
    Block(SchemaBlock::PageBoard, kPageBoardFields, 0),
    Block(SchemaBlock::Preference, kPreferenceFields, 0),
    Block(SchemaBlock::FileLink, kFileLinkFields, kFamilyFirstSlot),
};
constexpr bool BlocksInEnumOrder() {
    for (size_t i = 0; i < sizeof(kBlocks) / sizeof(kBlocks[0]); ++i) {
        if (static_cast<size_t>(kBlocks[i].id) != i) return false;
    }
    return sizeof(kBlocks) / sizeof(kBlocks[0]) == static_cast<size_t>(SchemaBlock::FileLink) + 1;
}
static_assert(BlocksInEnumOrder(), "one entry per schema block, in the order of SchemaBlock");

constexpr bool BlocksFitTheRecord() {
    for (const BlockEntry& block : kBlocks) {
        if (block.firstSlot + block.count > TIP_SLOT_COUNT) return false;
    }
    return true;
}
static_assert(BlocksFitTheRecord(), "every schema fits the tip record's slots");
static_assert(kBlocks[0].count == kFamilyFirstSlot, "the family blocks start right after the common block");

struct KindEntry {
    uint16_t kind;
    bool common;
    SchemaBlock family;
};

const KindEntry kKinds[] = {
    {KIND_PLAN_101, true, SchemaBlock::Plan},
    {KIND_MILESTONE_102, true, SchemaBlock::Milestone},
    {KIND_PLAN_103, true, SchemaBlock::Plan},
    {KIND_SCHEDULE_201, true, SchemaBlock::Schedule},
    {KIND_SCHEDULE_202, true, SchemaBlock::Schedule},
    {KIND_HOLIDAY_203, true, SchemaBlock::Holiday},
    {KIND_ANNIVERSARY_204, true, SchemaBlock::Anniversary},
    {KIND_TODO_300, true, SchemaBlock::ToDo},
    {KIND_CARD_401, true, SchemaBlock::Card},
    {KIND_CARD_402, true, SchemaBlock::Card},
    {KIND_CARD_403, true, SchemaBlock::Card},
    {KIND_CARD_404, true, SchemaBlock::Card},
    {KIND_MEMO_501, true, SchemaBlock::Memo},
    {KIND_MEMO_502, true, SchemaBlock::Memo},
    {KIND_MEMO_503, true, SchemaBlock::Memo},
    {KIND_MEMO_504, true, SchemaBlock::Memo},
    {KIND_MEMO_505, true, SchemaBlock::Memo},
    {KIND_MEMO_506, true, SchemaBlock::Memo},
    {KIND_PAGEBOARD_800, false, SchemaBlock::PageBoard},
    {KIND_PREFERENCE_900, false, SchemaBlock::Preference},
    {KIND_FILELINK_F00, true, SchemaBlock::FileLink},
};

const KindEntry* FindKind(uint16_t kind) {
    for (const KindEntry& entry : kKinds) {
        if (entry.kind == kind) return &entry;
    }
    return nullptr;
}

const BlockEntry& BlockOf(SchemaBlock block) { return kBlocks[static_cast<size_t>(block)]; }

int BlockEnd(const BlockEntry& block) { return block.firstSlot + block.count; }

// The initial values that are constants. Texts count their terminator.
const uint8_t kZeroBytes[4] = {0, 0, 0, 0};
const uint8_t kDigitZero[] = "0";
const uint8_t kDoubleZero[] = "00";
const uint8_t kFarFuture[] = "20301231";

}  // namespace

bool IsTipKind(uint16_t kind) { return FindKind(kind) != nullptr; }

int SchemaFieldCount(uint16_t kind) {
    const KindEntry* entry = FindKind(kind);
    return entry ? BlockEnd(BlockOf(entry->family)) : -1;
}

const SchemaField* SchemaFieldAt(uint16_t kind, int slot) {
    const KindEntry* entry = FindKind(kind);
    if (!entry) return nullptr;
    if (entry->common && slot < kFamilyFirstSlot) return SchemaBlockField(SchemaBlock::Common, slot);
    return SchemaBlockField(entry->family, slot);
}

const char* SchemaTag(uint16_t kind, int slot) {
    const SchemaField* field = SchemaFieldAt(kind, slot);
    return field ? field->tag : nullptr;
}

const char* SchemaLabel(uint16_t kind, int slot) {
    const SchemaField* field = SchemaFieldAt(kind, slot);
    return field ? field->label : nullptr;
}

uint32_t SchemaFieldType(uint16_t kind, int slot) {
    const SchemaField* field = SchemaFieldAt(kind, slot);
    return field ? field->type : 0;
}

int SchemaSlot(uint16_t kind, const char* tag) {
    if (!tag) return -1;
    const int count = SchemaFieldCount(kind);
    for (int slot = 0; slot < count; ++slot) {
        if (std::strcmp(SchemaTag(kind, slot), tag) == 0) return slot;
    }
    return -1;
}

bool KindHasCommonBlock(uint16_t kind) {
    const KindEntry* entry = FindKind(kind);
    return entry && entry->common;
}

bool KindFamilyBlock(uint16_t kind, SchemaBlock* block) {
    const KindEntry* entry = FindKind(kind);
    if (!entry || !block) return false;
    *block = entry->family;
    return true;
}

int SchemaBlockFirstSlot(SchemaBlock block) { return BlockOf(block).firstSlot; }

int SchemaBlockSlotCount(SchemaBlock block) { return BlockOf(block).count; }

const SchemaField* SchemaBlockField(SchemaBlock block, int slot) {
    const BlockEntry& entry = BlockOf(block);
    if (slot < entry.firstSlot || slot >= BlockEnd(entry)) return nullptr;
    return &entry.fields[slot - entry.firstSlot];
}

const uint8_t* InitialValueBytes(InitialValue value, uint16_t* length) {
    const uint8_t* bytes = nullptr;
    uint16_t count = 0;
    switch (value) {
        case InitialValue::None:
        case InitialValue::Kind:
        case InitialValue::CurrentTime:
            break;
        case InitialValue::EmptyText: bytes = kZeroBytes; count = 1; break;
        case InitialValue::DigitZero: bytes = kDigitZero; count = sizeof(kDigitZero); break;
        case InitialValue::DoubleZero: bytes = kDoubleZero; count = sizeof(kDoubleZero); break;
        case InitialValue::FarFuture: bytes = kFarFuture; count = sizeof(kFarFuture); break;
        case InitialValue::TwoZeroBytes: bytes = kZeroBytes; count = 2; break;
        case InitialValue::FourZeroBytes: bytes = kZeroBytes; count = 4; break;
    }
    if (length) *length = count;
    return bytes;
}

}  // namespace varo
