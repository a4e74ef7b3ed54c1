// The tip kinds and the field schema of each kind.
//
// A tip's kind (the 16-bit value of its first field, TAFL) fixes its schema:
// an ordered list of slots, each with a 4-character tag, a Shift-JIS label, a
// field type and an initial value. The tags, slot order and labels are part
// of every stored tip, so they are reproduced here byte for byte. Kinds come
// in families by their high byte; the kinds of one family share one schema.
//
// The schemas are one constant table inside TipSchemas.cpp. Everything that
// needs a slot's tag, label, type, initial value or a kind's slot count reads
// it through the functions below: the tip record's builders, the field
// accessors (which address a field by "slot of tag X for kind K") and the
// engine's validation of tips handed to it. This header and its source use
// the standard library only, so the engine can link them without the kit.
//
// Contract: every function is a pure lookup in constant data, safe from any
// thread. Asking about a value that is not a kind, or a slot outside the
// kind's schema, gives the "none" answer documented per function (-1, null,
// 0) and never reads outside the table. Returned texts are static and
// zero-terminated; they stay valid for the life of the process.
#pragma once

#include <cstdint>

namespace varo {

// The 21 tip kinds.
constexpr uint16_t KIND_PLAN_101 = 0x101;
constexpr uint16_t KIND_MILESTONE_102 = 0x102;
constexpr uint16_t KIND_PLAN_103 = 0x103;
constexpr uint16_t KIND_SCHEDULE_201 = 0x201;
constexpr uint16_t KIND_SCHEDULE_202 = 0x202;
constexpr uint16_t KIND_HOLIDAY_203 = 0x203;
constexpr uint16_t KIND_ANNIVERSARY_204 = 0x204;
constexpr uint16_t KIND_TODO_300 = 0x300;
constexpr uint16_t KIND_CARD_401 = 0x401;
constexpr uint16_t KIND_CARD_402 = 0x402;
constexpr uint16_t KIND_CARD_403 = 0x403;
constexpr uint16_t KIND_CARD_404 = 0x404;
constexpr uint16_t KIND_MEMO_501 = 0x501;
constexpr uint16_t KIND_MEMO_502 = 0x502;
constexpr uint16_t KIND_MEMO_503 = 0x503;
constexpr uint16_t KIND_MEMO_504 = 0x504;
constexpr uint16_t KIND_MEMO_505 = 0x505;
constexpr uint16_t KIND_MEMO_506 = 0x506;
constexpr uint16_t KIND_PAGEBOARD_800 = 0x800;
constexpr uint16_t KIND_PREFERENCE_900 = 0x900;
constexpr uint16_t KIND_FILELINK_F00 = 0xF00;

// Field types: how a slot's value is encoded. Types with the 0x4000 bit hold
// binary values.
constexpr uint32_t FIELDTYPE_TEXT = 1;             // zero-terminated text
constexpr uint32_t FIELDTYPE_NAME = 2;             // name and reading, back to back
constexpr uint32_t FIELDTYPE_PHONE_LIST = 3;       // phone or fax list text
constexpr uint32_t FIELDTYPE_EMAIL_LIST = 4;       // e-mail list text
constexpr uint32_t FIELDTYPE_DAY = 5;              // date and weekday text
constexpr uint32_t FIELDTYPE_DATETIME = 6;         // date or date-and-time text
constexpr uint32_t FIELDTYPE_PERIOD = 7;           // start and end date-and-time text
constexpr uint32_t FIELDTYPE_NUMBER = 8;           // small number as decimal text
constexpr uint32_t FIELDTYPE_FLAG = 9;             // one decimal digit
constexpr uint32_t FIELDTYPE_BLOCK = 10;           // binary block
constexpr uint32_t FIELDTYPE_BINARY_BIT = 0x4000;
constexpr uint32_t FIELDTYPE_KIND = 0x4000;        // the tip kind, 2 bytes little-endian
constexpr uint32_t FIELDTYPE_FUKURO_OR_PAGE = 0x4001;  // 4-byte value: parent plan fukuro, current page
constexpr uint32_t FIELDTYPE_LINK_LIST = 0x4002;   // 32-bit count, then that many tip ids
constexpr uint32_t FIELDTYPE_COLOR = 0x4003;       // 4-byte colour
constexpr uint32_t FIELDTYPE_PRINT_FORMAT = 0x4004;  // binary block
constexpr uint32_t FIELDTYPE_PREFERENCE_DATA = 0x4005;  // binary block

// The tip record has this many slots; no schema is longer.
constexpr int TIP_SLOT_COUNT = 40;

// A tag is 4 characters; its block holds them and a terminator.
constexpr int TIP_TAG_LENGTH = 4;

// The last-modified stamp: 14 digits (UTC year to second) and a terminator.
constexpr int TIP_STAMP_LENGTH = 15;

// What a slot holds when its kind is set on a fresh record.
enum class InitialValue : uint8_t {
    None,           // no data block, length 0
    Kind,           // the tip kind, written by the record once the schema is built
    CurrentTime,    // the UTC time stamp of the moment the kind was set
    EmptyText,      // one zero byte
    DigitZero,      // "0" and its terminator
    DoubleZero,     // "00" and its terminator
    FarFuture,      // "20301231" and its terminator
    TwoZeroBytes,   // an empty name and reading
    FourZeroBytes,  // a zero 32-bit value or an empty link list
};

struct SchemaField {
    const char* tag;
    const char* label;
    uint32_t type;
    InitialValue initial;
};

// The twelve schema blocks, one per builder of the tip record. Every kind but
// the page board and the preferences starts with the common block (slots 0
// to 4) and continues with its family's block; those two have one block that
// starts at slot 0.
enum class SchemaBlock : uint8_t {
    Common,
    Plan,
    Milestone,
    Schedule,
    Holiday,
    Anniversary,
    ToDo,
    Card,
    Memo,
    PageBoard,
    Preference,
    FileLink,
};

// True for the 21 kinds above.
bool IsTipKind(uint16_t kind);

// Slots of the kind's schema; -1 for a value that is not a kind.
int SchemaFieldCount(uint16_t kind);

// The slot's entry in the kind's schema; null outside it.
const SchemaField* SchemaFieldAt(uint16_t kind, int slot);

// The 4-character tag of the slot; null outside the schema.
const char* SchemaTag(uint16_t kind, int slot);

// The slot's Shift-JIS label; null outside the schema.
const char* SchemaLabel(uint16_t kind, int slot);

// The slot's field type; 0 outside the schema.
uint32_t SchemaFieldType(uint16_t kind, int slot);

// The slot that holds `tag` in the kind's schema; -1 when the kind has no such
// field, when `kind` is not a kind, or when `tag` is null.
int SchemaSlot(uint16_t kind, const char* tag);

// Whether the kind's schema begins with the common block.
bool KindHasCommonBlock(uint16_t kind);

// The family block that follows the common block (or, for the page board and
// the preferences, the only block). False, leaving *block unchanged, for a
// value that is not a kind.
bool KindFamilyBlock(uint16_t kind, SchemaBlock* block);

// The first slot of a block and its number of slots.
int SchemaBlockFirstSlot(SchemaBlock block);
int SchemaBlockSlotCount(SchemaBlock block);

// The block's entry for `slot` (an index of the whole schema, not of the
// block); null when the block does not cover that slot.
const SchemaField* SchemaBlockField(SchemaBlock block, int slot);

// The bytes of a fixed initial value and their count: null (count 0) for
// None, Kind and CurrentTime, whose data is not a constant.
const uint8_t* InitialValueBytes(InitialValue value, uint16_t* length);

}  // namespace varo
