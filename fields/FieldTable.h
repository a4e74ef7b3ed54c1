// The field table: one row per plain field accessor, giving the kinds it
// accepts with their slots and read-only slots, the field type it writes and
// the form of its value. The accessors in PlainFields.cpp are one call each
// into FieldRules.h with their row.
#pragma once

#include "FieldRules.h"
#include "TipSchemas.h"

namespace varo {
namespace table {

using pimtime::Pad;

constexpr KindSlot Kind(uint16_t kind, int8_t slot, int8_t readOnlySlot = -1) {
    return {KindMatch::Range, kind, kind, slot, readOnlySlot};
}
constexpr KindSlot Kinds(uint16_t first, uint16_t last, int8_t slot, int8_t readOnlySlot = -1) {
    return {KindMatch::Range, first, last, slot, readOnlySlot};
}
constexpr KindSlot Group(uint16_t group, int8_t slot, int8_t readOnlySlot = -1) {
    return {KindMatch::Group, group, group, slot, readOnlySlot};
}
constexpr KindSlot AllButBoardPrefs(int8_t slot) {
    return {KindMatch::AllButBoardPrefs, 0, 0, slot, -1};
}

constexpr uint16_t kCards = 0x400;
constexpr uint16_t kMemos = 0x500;
constexpr uint16_t kPrefs = 0x900;

constexpr DecimalForm kNoForm = {0, Pad::Spaces};
constexpr DecimalForm kFlag = {1, Pad::Zeros};      // "%01d"
constexpr DecimalForm kDigit = {1, Pad::Spaces};    // "%1d"
constexpr DecimalForm kTwoDigits = {2, Pad::Zeros}; // "%02d" and "%02ld"
constexpr DecimalForm kNumber = {1, Pad::Zeros};    // "%01ld"

constexpr int32_t kAny = 1, kNone = 0;  // min > max: no range

constexpr FieldRule Text(uint32_t type, KindSlot a, KindSlot b = {}, int8_t anyKindReadOnly = kNoAnyKindSlot) {
    return {type, Encoding::Text, kNoForm, kAny, kNone, Preset::Zero, anyKindReadOnly, false, {a, b}};
}
constexpr FieldRule Plain(KindSlot a) {
    return {FIELDTYPE_TEXT, Encoding::PlainText, kNoForm, kAny, kNone, Preset::Zero, kNoAnyKindSlot, false, {a}};
}
constexpr FieldRule Number(uint32_t type, DecimalForm form, int32_t min, int32_t max, KindSlot a,
                           bool ignoresReadOnly = false) {
    return {type, Encoding::Decimal, form, min, max, Preset::Zero, kNoAnyKindSlot, ignoresReadOnly, {a}};
}

// Plain fields.
constexpr FieldRule kSecret = Number(FIELDTYPE_FLAG, kFlag, kAny, kNone, AllButBoardPrefs(1));
constexpr FieldRule kCheck = Number(FIELDTYPE_FLAG, kFlag, kAny, kNone, AllButBoardPrefs(3));
constexpr FieldRule kMemo = {FIELDTYPE_TEXT, Encoding::Text, kNoForm, kAny, kNone, Preset::Zero, 7, false,
                             {Kinds(0x101, 0x103, 5), Kinds(0x201, 0x204, 5), Kind(0x300, 5), Kind(0x501, 5),
                              Kind(0x505, 5)}};
constexpr FieldRule kColor = {FIELDTYPE_COLOR, Encoding::Value32, kNoForm, kAny, kNone, Preset::Red, 15, false,
                              {Kind(0x101, 9), Kind(0x103, 9), Kind(0x102, 8), Kinds(0x201, 0x202, 10)}};
constexpr FieldRule kLinkData = {FIELDTYPE_LINK_LIST, Encoding::LinkList, kNoForm, kAny, kNone, Preset::Zero,
                                 kNoAnyKindSlot, true,
                                 {Kind(0x101, 10), Kind(0x103, 10), Kind(0x102, 9), Kind(0x300, 9),
                                  Kinds(0x201, 0x202, 11), Kinds(0x501, 0x506, 11), Kinds(0x401, 0x404, 32),
                                  Kind(0x800, 2)}};
constexpr FieldRule kDisplayPosition =
    {FIELDTYPE_NUMBER, Encoding::Decimal, kTwoDigits, 0, 99, Preset::Zero, kNoAnyKindSlot, false,
     {Kind(0x101, 7, 14), Kind(0x103, 7, 14)}};
constexpr FieldRule kParentPlanFukuro =
    {FIELDTYPE_FUKURO_OR_PAGE, Encoding::Value32, kNoForm, kAny, kNone, Preset::Untouched, 16, false,
     {Kind(0x101, 8), Kind(0x103, 8), Kind(0x102, 7)}};
constexpr FieldRule kPending = Number(FIELDTYPE_FLAG, kFlag, kAny, kNone, Kinds(0x201, 0x202, 7, 17));
constexpr FieldRule kAlarm = Number(FIELDTYPE_FLAG, kFlag, kAny, kNone, Kinds(0x201, 0x202, 8));
constexpr FieldRule kHoliday = Number(FIELDTYPE_FLAG, kFlag, kAny, kNone, Kind(0x204, 8), true);
constexpr FieldRule kPriority = Number(FIELDTYPE_NUMBER, kNumber, 1, 10, Kind(0x300, 7, 13));
constexpr FieldRule kPreferenceName = Plain(Group(kPrefs, 1));
constexpr FieldRule kCardName = Text(FIELDTYPE_NAME, Kinds(0x401, 0x404, 5, 8));
constexpr FieldRule kNameYomi = Text(FIELDTYPE_NAME, Group(kCards, 5));
constexpr FieldRule kOfficeName = Text(FIELDTYPE_NAME, Group(kCards, 6, 9));
constexpr FieldRule kOfficeNameYomi = Text(FIELDTYPE_NAME, Group(kCards, 6));
constexpr FieldRule kSection = Text(FIELDTYPE_TEXT, Group(kCards, 7));
constexpr FieldRule kPosition = Text(FIELDTYPE_TEXT, Group(kCards, 8));
constexpr FieldRule kOfficeZip = Text(FIELDTYPE_TEXT, Group(kCards, 11));
constexpr FieldRule kOfficeAddress = Text(FIELDTYPE_TEXT, Group(kCards, 12));
constexpr FieldRule kOfficeRemark = Text(FIELDTYPE_TEXT, Group(kCards, 13));
constexpr FieldRule kPersonalZip = Text(FIELDTYPE_TEXT, Group(kCards, 14));
constexpr FieldRule kPersonalAddress = Text(FIELDTYPE_TEXT, Group(kCards, 15));
constexpr FieldRule kPersonalRemark = Text(FIELDTYPE_TEXT, Group(kCards, 16));
constexpr FieldRule kShochuumimai = Number(FIELDTYPE_NUMBER, kDigit, 0, 3, Group(kCards, 17));
constexpr FieldRule kNenga = Number(FIELDTYPE_NUMBER, kDigit, 0, 3, Group(kCards, 18));
constexpr FieldRule kChuugen = Number(FIELDTYPE_NUMBER, kDigit, 0, 3, Group(kCards, 19));
constexpr FieldRule kSeibo = Number(FIELDTYPE_NUMBER, kDigit, 0, 3, Group(kCards, 20));
constexpr FieldRule kFree1 = Text(FIELDTYPE_TEXT, Group(kCards, 21));
constexpr FieldRule kFree2 = Text(FIELDTYPE_TEXT, Group(kCards, 22));
constexpr FieldRule kFree3 = Text(FIELDTYPE_TEXT, Group(kCards, 23));
constexpr FieldRule kFree4 = Text(FIELDTYPE_TEXT, Group(kCards, 24));
constexpr FieldRule kFree5 = Text(FIELDTYPE_TEXT, Group(kCards, 25));
constexpr FieldRule kFree6 = Text(FIELDTYPE_TEXT, Group(kCards, 26));
constexpr FieldRule kCategory1 = Number(FIELDTYPE_NUMBER, kTwoDigits, 0, 99, Group(kCards, 29));
constexpr FieldRule kCategory2 = Number(FIELDTYPE_NUMBER, kTwoDigits, 0, 99, Group(kCards, 30));
constexpr FieldRule kCategory3 = Number(FIELDTYPE_NUMBER, kTwoDigits, 0, 99, Group(kCards, 31));
constexpr FieldRule kFilename = Text(FIELDTYPE_TEXT, Kinds(0x501, 0x506, 6, 11), Kind(0xF00, 5, 12));
constexpr FieldRule kMachineName = Plain(Kind(0xF00, 6));
constexpr FieldRule kPathName = Plain(Kind(0xF00, 7));
constexpr FieldRule kApplication = Plain(Kind(0xF00, 8));
constexpr FieldRule kCurrentPage = {FIELDTYPE_FUKURO_OR_PAGE, Encoding::Value32, kNoForm, kAny, kNone,
                                    Preset::Zero, kNoAnyKindSlot, false, {Kind(0x800, 1)}};

// The check date that SetCheck(0) writes, and a new tip's initial one.
constexpr char kUncheckedDate[] = "20301231";
constexpr int kCheckDateSlot = 4;

}  // namespace table
}  // namespace varo
