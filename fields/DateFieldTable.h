// The date and time fields: one row per accessor pair, giving the kinds it
// accepts with their slots and read-only slots, the field type its setter
// writes and the form in which the value is stored. The accessors in
// DateFields.cpp are one call each with their row. Internal to the kit.
#pragma once

#include <cstddef>

#include "FieldRules.h"
#include "FieldTable.h"
#include "TipSchemas.h"

namespace varo {

// How a date field's value is written as text. Every form is stored with
// one terminating NUL that its length counts; the empty value is the NUL
// alone.
enum class DateForm : uint8_t {
    DateTime,     // "%Y%m%d%H%M%S": 14 digits, local standard time
    Period,       // start text, NUL, end text, NUL; each 8 or 14 digits, the end may be empty
    FixedDate,    // "Z", the date or four blanks and "%m%d", "000000"
    WeekdayRule,  // "Y", four blanks, the six characters of the rule
    Birthday,     // "Z", the caller's text, blanks up to 15 characters
};

// The most bytes a getter reads of each form; anything another writer put
// beyond is ignored, so the getters work in a small buffer of their own.
constexpr size_t kLongestDateValue = 30;
constexpr size_t ReadLimit(DateForm form) {
    switch (form) {
    case DateForm::DateTime: return 15;
    case DateForm::Period: return kLongestDateValue;  // two 14-digit texts and their NULs
    case DateForm::FixedDate: return 16;
    case DateForm::WeekdayRule: return 12;
    case DateForm::Birthday: return 16;
    }
    return 0;
}

struct DateField {
    FieldRule where;
    DateForm form;
};

namespace datetable {

using table::AllButBoardPrefs;
using table::Group;
using table::Kind;
using table::Kinds;

constexpr DateField Row(uint32_t type, DateForm form, int8_t anyKindReadOnlySlot, KindSlot a, KindSlot b = {},
                        KindSlot c = {}) {
    // The encoding, range and preset of a FieldRule serve the plain fields
    // only; a date row uses its kinds, type and read-only slots.
    return {{type, Encoding::Text, table::kNoForm, table::kAny, table::kNone, Preset::Zero, anyKindReadOnlySlot,
             false, {a, b, c}},
            form};
}

constexpr DateField kEntryDay = Row(FIELDTYPE_DATETIME, DateForm::DateTime, kNoAnyKindSlot, AllButBoardPrefs(2));
constexpr DateField kCheckDate = Row(FIELDTYPE_DATETIME, DateForm::DateTime, kNoAnyKindSlot, AllButBoardPrefs(4));
constexpr DateField kPeriod =
    Row(FIELDTYPE_PERIOD, DateForm::Period, 5, Kind(0x101, 6), Kind(0x103, 6), Kinds(0x201, 0x202, 6));
constexpr DateField kLimitDay = Row(FIELDTYPE_DATETIME, DateForm::DateTime, 6, Kind(0x102, 6), Kind(0x300, 6));
constexpr DateField kAlarmTime = Row(FIELDTYPE_DATETIME, DateForm::DateTime, kNoAnyKindSlot, Kinds(0x201, 0x202, 9));
constexpr DateField kFixedDate = Row(FIELDTYPE_DAY, DateForm::FixedDate, kNoAnyKindSlot, Kinds(0x203, 0x204, 6));
constexpr DateField kWeekdayRule = Row(FIELDTYPE_DAY, DateForm::WeekdayRule, kNoAnyKindSlot, Kinds(0x203, 0x204, 7));
constexpr DateField kBirthday = Row(FIELDTYPE_DAY, DateForm::Birthday, kNoAnyKindSlot, Group(table::kCards, 27));
constexpr DateField kDisplayStart = Row(FIELDTYPE_DATETIME, DateForm::DateTime, kNoAnyKindSlot, Kind(0x300, 8));
constexpr DateField kFileModified = Row(FIELDTYPE_DATETIME, DateForm::DateTime, kNoAnyKindSlot, Kind(0xF00, 9));
constexpr DateField kDisplayDate = Row(FIELDTYPE_DATETIME, DateForm::DateTime, kNoAnyKindSlot, Kind(0xF00, 10));

// LMTM sits at the end of every kind's schema, so its slot is looked up in
// the schema rather than listed; a tip read while read-only carries it in
// slot 18 whatever its kind. It has no setter: the record stamps it.
constexpr char kLastModifiedTag[] = "LMTM";
constexpr int kLastModifiedReadOnlySlot = 18;

// The date piece of a fixed date per kind. An anniversary recurs every
// year, so its year is blank and reads back as 1980, a leap year, so that
// 29 February survives.
struct FixedDateStyle {
    uint16_t kind;
    const char* format;
    int readYear;  // 0: the stored year
};
constexpr FixedDateStyle kFixedDateStyles[] = {
    {KIND_HOLIDAY_203, "%Y%m%d", 0},
    {KIND_ANNIVERSARY_204, "    %m%d", 1980},
};
constexpr char kFixedDateMark = 'Z';
constexpr char kFixedDateTime[] = "000000";

constexpr char kWeekdayRuleMark[] = "Y    ";
constexpr int kWeekdayRuleLength = 6;

constexpr char kBirthdayMark = 'Z';
constexpr int kBirthdayTextLength = 15;  // the mark, the text and its blanks

}  // namespace datetable
}  // namespace varo
