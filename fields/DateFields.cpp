// CVAROObj: the date and time field accessors, one row of the date table
// each.
//
// Instants are stored as the 14-digit date-time text and read back piece by
// piece (four digits of year, then two each of month, day, hour, minute and
// second) through the numeric CPIMTime constructor, without validation:
// whatever digits another writer stored become the numbers it is given.
#include <algorithm>
#include <cstring>
#include <string>

#include "DateFieldTable.h"
#include "TipRecord.h"
#include "VAROObj.h"

using namespace varo;
namespace t = varo::datetable;

namespace {

const char kDateTimeFormat[] = "%Y%m%d%H%M%S";
const char kDateFormat[] = "%Y%m%d";
const int kModeDate = 1;      // a date only: an all-day start or end
const int kModeDateTime = 2;
const size_t kDateTextLength = 8;
// Where a start or end text leaves digits out, these fill them: a date
// alone starts at 00:00:00 and ends at 23:59:59.
const char kStartFill[] = "00000000000000";
const char kEndFill[] = "00000000235959";

// The pieces of a date-time text: offset and width.
struct Piece {
    size_t offset;
    size_t width;
};
const Piece kPieces[] = {{0, 4}, {4, 2}, {6, 2}, {8, 2}, {10, 2}, {12, 2}};
enum PieceIndex { kYear, kMonth, kDay, kHour, kMinute, kSecond, kPieceCount };

struct DateNumbers {
    int n[kPieceCount];
};

// What atoi gives for the `width` characters at `text` (fewer when the text
// ends first): blanks, a sign, then digits up to the first other character.
int PieceNumber(const char* text, size_t width) {
    size_t i = 0;
    while (i < width && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    const bool negative = i < width && text[i] == '-';
    if (i < width && (text[i] == '-' || text[i] == '+')) ++i;
    int value = 0;
    for (; i < width && text[i] >= '0' && text[i] <= '9'; ++i) value = value * 10 + (text[i] - '0');
    return negative ? -value : value;
}

// atoi of each piece; a piece beyond the end of the text is empty and 0.
DateNumbers ReadNumbers(const char* text) {
    DateNumbers numbers = {};
    const size_t length = strnlen(text, kPieces[kSecond].offset + kPieces[kSecond].width);
    for (int i = 0; i < kPieceCount; ++i) {
        if (kPieces[i].offset >= length) continue;
        numbers.n[i] = PieceNumber(text + kPieces[i].offset, std::min(kPieces[i].width, length - kPieces[i].offset));
    }
    return numbers;
}

CPIMTime Compose(const DateNumbers& d) {
    return CPIMTime(d.n[kYear], d.n[kMonth], d.n[kDay], d.n[kHour], d.n[kMinute], d.n[kSecond], -1);
}

CPIMTime ReadDateTime(const char* text) { return Compose(ReadNumbers(text)); }

// A start or end text laid over its fill: its own characters first, the
// fill's after them.
std::string Filled(const char* text, const char* fill) {
    std::string filled(text);
    if (filled.size() < std::strlen(fill)) filled += fill + filled.size();
    return filled;
}

// A slot's value as a getter sees it: at most the form's read limit, always
// followed by zero bytes, so a value without its terminator ends there.
struct SlotValue {
    char bytes[kLongestDateValue + 2];
    const char* Text() const { return bytes; }
    bool IsEmpty() const { return bytes[0] == '\0'; }
};

bool ReadSlot(int slot, DateForm form, SlotValue* value) {
    const TIPFIELD* field = slot < 0 ? nullptr : SlotWithData(slot);
    if (!field) return false;
    std::memset(value->bytes, 0, sizeof value->bytes);
    const size_t limit = ReadLimit(form);
    std::memcpy(value->bytes, field->data, field->length < limit ? field->length : limit);
    return true;
}

bool ReadField(const DateField& field, bool readOnly, SlotValue* value) {
    return ReadSlot(GetterSlot(field.where, CTipRecord::Global().GetKind(), readOnly), field.form, value);
}

bool Accepts(const DateField& field, bool readOnly) {
    return !readOnly && SetterSlot(field.where, CTipRecord::Global().GetKind()) >= 0;
}

int StoreText(const DateField& field, bool readOnly, const std::string& text) {
    return StoreField(field.where, readOnly, text.c_str(), text.size() + 1);
}

int SetDateTime(const DateField& field, bool readOnly, const CPIMTime& when) {
    return StoreText(field, readOnly, when.Format(kDateTimeFormat).Bytes());
}

int GetDateTime(const DateField& field, bool readOnly, CPIMTime& when) {
    SlotValue value;
    if (!ReadField(field, readOnly, &value) || value.IsEmpty()) return 0;
    when = ReadDateTime(value.Text());
    return 1;
}

int SetEmptyValue(const DateField& field, bool readOnly) { return StoreText(field, readOnly, std::string()); }

// The text of a start or end time in its mode; false for another mode.
bool PeriodText(const CPIMTime& when, int mode, std::string* text) {
    if (mode != kModeDate && mode != kModeDateTime) return false;
    *text = when.Format(mode == kModeDate ? kDateFormat : kDateTimeFormat).Bytes();
    return true;
}

int StorePeriod(bool readOnly, const std::string& start, const std::string& end) {
    std::string pair = start;
    pair += '\0';
    pair += end;
    pair += '\0';
    return StoreField(t::kPeriod.where, readOnly, pair.data(), pair.size());
}

int ModeOf(const char* text) { return std::strlen(text) == kDateTextLength ? kModeDate : kModeDateTime; }

// The start of the stored pair, or the end when `end` is set: null when the
// slot has no data or no such text.
const char* PeriodPart(const SlotValue& value, bool end) {
    if (value.IsEmpty()) return nullptr;
    if (!end) return value.Text();
    const char* endText = value.Text() + std::strlen(value.Text()) + 1;
    return *endText ? endText : nullptr;
}

int GetPeriodPart(bool readOnly, bool end, CPIMTime& when, int* mode) {
    SlotValue value;
    if (!ReadField(t::kPeriod, readOnly, &value)) return 0;
    const char* text = PeriodPart(value, end);
    if (!text) return 0;
    when = ReadDateTime(Filled(text, end ? kEndFill : kStartFill).c_str());
    if (mode) *mode = ModeOf(text);
    return 1;
}

const t::FixedDateStyle* FixedDateStyleFor(uint16_t kind) {
    for (const t::FixedDateStyle& style : t::kFixedDateStyles) {
        if (style.kind == kind) return &style;
    }
    return nullptr;
}

// The value of a marked field (fixed date, weekday rule, birthday) after
// its mark; null when the field is absent or does not begin with the mark.
const char* AfterMark(const SlotValue& value, char mark) { return value.bytes[0] == mark ? value.bytes + 1 : nullptr; }

}  // namespace

int CVAROObj::SetEntryDay(const CPIMTime& when) { return SetDateTime(t::kEntryDay, m_readOnly, when); }
int CVAROObj::GetEntryDay(CPIMTime& when) { return GetDateTime(t::kEntryDay, m_readOnly, when); }
int CVAROObj::SetCheckDate(const CPIMTime& when) { return SetDateTime(t::kCheckDate, m_readOnly, when); }
int CVAROObj::GetCheckDate(CPIMTime& when) { return GetDateTime(t::kCheckDate, m_readOnly, when); }
int CVAROObj::SetLimitDay(const CPIMTime& when) { return SetDateTime(t::kLimitDay, m_readOnly, when); }
int CVAROObj::SetLimitDay() { return SetEmptyValue(t::kLimitDay, m_readOnly); }
int CVAROObj::GetLimitDay(CPIMTime& when) { return GetDateTime(t::kLimitDay, m_readOnly, when); }
int CVAROObj::SetAlarmTime(const CPIMTime& when) { return SetDateTime(t::kAlarmTime, m_readOnly, when); }
int CVAROObj::GetAlarmTime(CPIMTime& when) { return GetDateTime(t::kAlarmTime, m_readOnly, when); }
int CVAROObj::SetDisplayStart(const CPIMTime& when) { return SetDateTime(t::kDisplayStart, m_readOnly, when); }
int CVAROObj::GetDisplayStart(CPIMTime& when) { return GetDateTime(t::kDisplayStart, m_readOnly, when); }
int CVAROObj::SetFileModifiedTime(const CPIMTime& when) { return SetDateTime(t::kFileModified, m_readOnly, when); }
int CVAROObj::GetFileModifiedTime(CPIMTime& when) { return GetDateTime(t::kFileModified, m_readOnly, when); }
int CVAROObj::SetDisplayDate(const CPIMTime& when) { return SetDateTime(t::kDisplayDate, m_readOnly, when); }
int CVAROObj::SetDisplayDate() { return SetEmptyValue(t::kDisplayDate, m_readOnly); }
int CVAROObj::GetDisplayDate(CPIMTime& when) { return GetDateTime(t::kDisplayDate, m_readOnly, when); }
int CVAROObj::SetDate() { return SetEmptyValue(t::kFixedDate, m_readOnly); }

// The stamp's digits are read like every other date-time text, as local
// time, although the record writes it from the UTC clock.
int CVAROObj::GetLastModifiedTime(CPIMTime& when) {
    const CTipRecord& record = CTipRecord::Global();
    const int slot = m_readOnly ? t::kLastModifiedReadOnlySlot : record.FindSlot(t::kLastModifiedTag);
    SlotValue value;
    if (!ReadSlot(slot, DateForm::DateTime, &value) || value.IsEmpty()) return 0;
    when = ReadDateTime(value.Text());
    return 1;
}

// The start goes into the staging text too, for the SetEndTime that
// follows; an end stored before is dropped.
int CVAROObj::SetStartTime(const CPIMTime& when, int mode) {
    std::string start;
    if (!Accepts(t::kPeriod, m_readOnly) || !PeriodText(when, mode, &start)) return 0;
    m_staging = CString(start);
    return StorePeriod(m_readOnly, start, std::string());
}

// The end is paired with the staging text, not with the start in the slot.
int CVAROObj::SetEndTime(const CPIMTime& when, int mode) {
    std::string end;
    if (!Accepts(t::kPeriod, m_readOnly) || !PeriodText(when, mode, &end)) return 0;
    return StorePeriod(m_readOnly, m_staging.Bytes(), end);
}

int CVAROObj::SetEndTime() {
    if (!Accepts(t::kPeriod, m_readOnly)) return 0;
    return StorePeriod(m_readOnly, m_staging.Bytes(), std::string());
}

int CVAROObj::GetStartTime(CPIMTime& when, int* mode) { return GetPeriodPart(m_readOnly, false, when, mode); }
int CVAROObj::GetEndTime(CPIMTime& when, int* mode) { return GetPeriodPart(m_readOnly, true, when, mode); }

int CVAROObj::SetDate(const CPIMTime& when) {
    const t::FixedDateStyle* style = FixedDateStyleFor(CTipRecord::Global().GetKind());
    if (!style || !Accepts(t::kFixedDate, m_readOnly)) return 0;
    std::string text(1, t::kFixedDateMark);
    text += when.Format(style->format).Bytes();
    text += t::kFixedDateTime;
    return StoreText(t::kFixedDate, m_readOnly, text);
}

int CVAROObj::GetDate(CPIMTime& when) {
    const t::FixedDateStyle* style = FixedDateStyleFor(CTipRecord::Global().GetKind());
    SlotValue value;
    if (!style || !ReadField(t::kFixedDate, m_readOnly, &value)) return 0;
    const char* date = AfterMark(value, t::kFixedDateMark);
    if (!date) return 0;
    DateNumbers numbers = ReadNumbers(date);
    if (style->readYear != 0) numbers.n[kYear] = style->readYear;
    when = Compose(numbers);
    return 1;
}

int CVAROObj::SetDayofWeek(const CString& rule) {
    if (!Accepts(t::kWeekdayRule, m_readOnly)) return 0;
    if (rule.IsEmpty()) return SetEmptyValue(t::kWeekdayRule, m_readOnly);
    if (rule.GetLength() != t::kWeekdayRuleLength) return 0;
    return StoreText(t::kWeekdayRule, m_readOnly, t::kWeekdayRuleMark + rule.Bytes());
}

int CVAROObj::GetDayofWeek(CString& rule) {
    rule.Empty();
    SlotValue value;
    if (!ReadField(t::kWeekdayRule, m_readOnly, &value)) return 0;
    if (!AfterMark(value, t::kWeekdayRuleMark[0])) return 0;
    // The rule follows the mark and its four blanks; a shorter value holds none.
    const size_t ruleStart = sizeof t::kWeekdayRuleMark - 1;
    if (std::strlen(value.Text()) > ruleStart) rule = CString(value.Text() + ruleStart);
    return 1;
}

int CVAROObj::SetBirthday(const CString& birthday) {
    if (!Accepts(t::kBirthday, m_readOnly)) return 0;
    if (birthday.IsEmpty()) return SetEmptyValue(t::kBirthday, m_readOnly);
    if (birthday.GetLength() > t::kBirthdayTextLength - 1) return 0;
    std::string text(1, t::kBirthdayMark);
    text += birthday.Bytes();
    text.resize(t::kBirthdayTextLength, ' ');
    return StoreText(t::kBirthday, m_readOnly, text);
}

int CVAROObj::GetBirthday(CString& birthday) {
    birthday.Empty();
    SlotValue value;
    if (!ReadField(t::kBirthday, m_readOnly, &value)) return 0;
    const char* text = AfterMark(value, t::kBirthdayMark);
    if (!text) return 0;
    birthday = CString(text);
    return 1;
}
