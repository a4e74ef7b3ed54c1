// The calendar kinds table and the routines of each field.
#include "CalendarTips.h"

#include <cstdlib>
#include <cstring>

#include <strings.h>

#include "KitText.h"
#include "ValueCodecs.h"

namespace varo {
namespace interchange {
namespace {

enum FieldBit : unsigned {
    kMemo = 1u << 0,
    kPeriod = 1u << 1,
    kDue = 1u << 2,
    kDisplayStart = 1u << 3,
    kAlarm = 1u << 4,
    kPending = 1u << 5,
    kColor = 1u << 6,
    kPriority = 1u << 7,
    kCheck = 1u << 8,
    kSecret = 1u << 9,
    kEntryDay = 1u << 10,
    kYearlyDate = 1u << 11,
    kWeekdayRule = 1u << 12,
    kHolidayFlag = 1u << 13,
    kPosition = 1u << 14,
    kFilename = 1u << 15,
    kMemoData = 1u << 16,
};

struct CalendarKind {
    uint16_t first;
    uint16_t last;
    icalcomponent_kind component;
    unsigned fields;
};

const unsigned kEveryKind = kSecret | kEntryDay;

const CalendarKind kCalendarKinds[] = {
    {0x101, 0x101, ICAL_VEVENT_COMPONENT, kEveryKind | kMemo | kPeriod | kPosition | kColor},
    {0x103, 0x103, ICAL_VEVENT_COMPONENT, kEveryKind | kMemo | kPeriod | kPosition | kColor},
    {0x102, 0x102, ICAL_VTODO_COMPONENT, kEveryKind | kMemo | kDue | kColor | kCheck},
    {0x201, 0x202, ICAL_VEVENT_COMPONENT, kEveryKind | kMemo | kPeriod | kPending | kAlarm | kColor},
    {0x203, 0x203, ICAL_VEVENT_COMPONENT, kEveryKind | kMemo | kYearlyDate | kWeekdayRule},
    {0x204, 0x204, ICAL_VEVENT_COMPONENT, kEveryKind | kMemo | kYearlyDate | kWeekdayRule | kHolidayFlag},
    {0x300, 0x300, ICAL_VTODO_COMPONENT, kEveryKind | kMemo | kDue | kDisplayStart | kPriority | kCheck},
    {0x501, 0x506, ICAL_VJOURNAL_COMPONENT, kEveryKind | kMemo | kFilename | kMemoData},
};

const CalendarKind* FindCalendarKind(uint16_t kind) {
    for (const CalendarKind& entry : kCalendarKinds) {
        if (kind >= entry.first && kind <= entry.last) return &entry;
    }
    return nullptr;
}

// The suite's own properties.
const char kKindProperty[] = "X-VARO-KIND";
const char kColorProperty[] = "X-VARO-COLOR";
const char kPositionProperty[] = "X-VARO-POSITION";
const char kWeekdayRuleProperty[] = "X-VARO-WEEKDAY-RULE";
const char kHolidayProperty[] = "X-VARO-HOLIDAY";
const char kFilenameProperty[] = "X-VARO-FILENAME";
const char kFieldParameter[] = "X-VARO-FIELD";

// The check date that says "not checked" (the kit's initial value).
bool IsUncheckedDate(const CPIMTime& when) {
    return when.GetYear() == 2030 && when.GetMonth() == 12 && when.GetDay() == 31;
}

struct ExportContext {
    CVAROObj& kit;
    CalendarWriter& writer;
    const ExportZone& zone;
    const CalendarKind& entry;
    std::string summary;  // the memo's first line, which the alarm shows too
};

struct ImportContext {
    CVAROObj& kit;
    icalcomponent* component;
    const ZoneBook& zones;
    ComponentImport* result;
    uint16_t kind;
};

// --- helpers -------------------------------------------------------------

std::string Utf8(const CString& sjis) {
    std::string text;
    FromKitText(sjis.Bytes(), &text);
    return text;
}

bool Sjis(const std::string& utf8, const char* what, ImportContext& in, CString* out) {
    std::string sjis;
    BadCharacter bad;
    if (!ToKitText(utf8, &sjis, &bad)) {
        in.result->problem = std::string(what) + ": the character " + bad.character + " at byte " +
                             std::to_string(bad.offset) + " has no Shift-JIS form";
        return false;
    }
    *out = CString(std::move(sjis));
    return true;
}

// The value of the first X- property of that name, or null.
const char* FindX(icalcomponent* component, const char* name) {
    for (icalproperty* p = icalcomponent_get_first_property(component, ICAL_X_PROPERTY); p;
         p = icalcomponent_get_next_property(component, ICAL_X_PROPERTY)) {
        const char* xname = icalproperty_get_x_name(p);
        if (xname && strcasecmp(xname, name) == 0) return icalproperty_get_x(p);
    }
    return nullptr;
}

// The value in upper-case hexadecimal, `digits` long, after the prefix.
std::string Hex(const char* prefix, unsigned long value, int digits) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text(prefix);
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) text += kDigits[(value >> shift) & 0xF];
    return text;
}

bool IsMidnight(const CPIMTime& when) { return when.GetHour() == 0 && when.GetMinute() == 0 && when.GetSecond() == 0; }

const char* TextOf(icalcomponent* component, icalproperty_kind kind) {
    icalproperty* property = icalcomponent_get_first_property(component, kind);
    const char* text = property ? icalvalue_get_text(icalproperty_get_value(property)) : nullptr;
    return property && icalvalue_isa(icalproperty_get_value(property)) == ICAL_TEXT_VALUE ? text : nullptr;
}

bool Instant(ImportContext& in, icalproperty_kind kind, KitInstant* instant) {
    return PropertyInstant(icalcomponent_get_first_property(in.component, kind), in.zones, instant);
}

// --- memo: SUMMARY holds its first line, DESCRIPTION the rest --------------

void MemoOut(ExportContext& out) {
    CString memo;
    if (out.kit.GetMemo(memo) != 1) return;
    const std::string text = Utf8(memo);
    const size_t lineEnd = text.find('\n');
    out.summary.assign(text, 0, lineEnd);
    out.writer.Text("SUMMARY", out.summary);
    if (lineEnd != std::string::npos) out.writer.Text("DESCRIPTION", text.substr(lineEnd + 1));
}

bool MemoIn(ImportContext& in) {
    const char* summary = TextOf(in.component, ICAL_SUMMARY_PROPERTY);
    const char* description = TextOf(in.component, ICAL_DESCRIPTION_PROPERTY);
    std::string text = summary ? summary : "";
    if (description && *description) text += (summary ? "\n" : "") + std::string(description);
    if (text.empty()) return true;
    CString memo;
    if (!Sjis(text, "SUMMARY", in, &memo)) return false;
    if (in.kit.SetMemo(memo) != 1) in.result->notes.push_back("this memo kind keeps no text; its text was dropped");
    return true;
}

// --- period: DTSTART and DTEND; an all-day end is exclusive in files --------

void PeriodOut(ExportContext& out) {
    CPIMTime start, end;
    int startMode = 0, endMode = 0;
    if (out.kit.GetStartTime(start, &startMode) != 1) return;
    const bool allDay = startMode == 1;
    out.zone.WriteTime(out.writer, "DTSTART", start, allDay);
    if (out.kit.GetEndTime(end, &endMode) != 1) return;
    if (allDay) end = end.CalculateDate(1);
    out.zone.WriteTime(out.writer, "DTEND", end, allDay);
}

bool PeriodIn(ImportContext& in) {
    KitInstant start, end;
    if (!Instant(in, ICAL_DTSTART_PROPERTY, &start)) {
        in.result->problem = "no DTSTART the suite can hold (years 1901-2099)";
        return false;
    }
    in.kit.SetStartTime(start.when, start.dateOnly ? 1 : 2);
    bool hasEnd = Instant(in, ICAL_DTEND_PROPERTY, &end);
    icalproperty* duration = icalcomponent_get_first_property(in.component, ICAL_DURATION_PROPERTY);
    if (!hasEnd && duration) {
        end.when = start.when + CPIMTimeSpan(icaldurationtype_as_int(icalproperty_get_duration(duration)));
        end.dateOnly = start.dateOnly;
        hasEnd = true;
    }
    if (!hasEnd) return true;
    if (end.dateOnly) {
        end.when = end.when.CalculateDate(-1);
        if (end.when < start.when) end.when = start.when;
    }
    in.kit.SetEndTime(end.when, end.dateOnly ? 1 : 2);
    return true;
}

// --- to-do dates: DUE and DTSTART, both dates when both fall on midnight ----

// Both dates go out together, as each decides the form of the other.
void ToDoDatesOut(ExportContext& out) {
    CPIMTime due, start;
    const bool hasDue = out.kit.GetLimitDay(due) == 1;
    const bool hasStart = (out.entry.fields & kDisplayStart) && out.kit.GetDisplayStart(start) == 1;
    const bool allDay = (!hasDue || IsMidnight(due)) && (!hasStart || IsMidnight(start));
    if (hasStart) out.zone.WriteTime(out.writer, "DTSTART", start, allDay);
    if (hasDue) out.zone.WriteTime(out.writer, "DUE", due, allDay);
}

bool DueIn(ImportContext& in) {
    KitInstant due;
    if (Instant(in, ICAL_DUE_PROPERTY, &due)) in.kit.SetLimitDay(due.when);
    return true;
}

bool DisplayStartIn(ImportContext& in) {
    KitInstant start;
    if (Instant(in, ICAL_DTSTART_PROPERTY, &start)) in.kit.SetDisplayStart(start.when);
    return true;
}

// --- alarm: one VALARM with an absolute trigger in UTC ----------------------

void AlarmOut(ExportContext& out) {
    int on = 0;
    CPIMTime when;
    if (out.kit.GetAlarm(&on) != 1 || on != 1) return;
    out.writer.Begin("VALARM");
    out.writer.Property("ACTION", "DISPLAY");
    if (out.kit.GetAlarmTime(when) == 1) {
        out.writer.Time("TRIGGER", UtcFields(when), TimeForm::kUtc, nullptr, {{"VALUE", "DATE-TIME"}});
    } else {
        out.writer.Property("TRIGGER", "PT0S");
    }
    out.writer.Text("DESCRIPTION", out.summary);
    out.writer.End("VALARM");
}

bool AlarmIn(ImportContext& in) {
    icalcomponent* alarm = icalcomponent_get_first_component(in.component, ICAL_VALARM_COMPONENT);
    icalproperty* property = alarm ? icalcomponent_get_first_property(alarm, ICAL_TRIGGER_PROPERTY) : nullptr;
    if (!property) return true;
    const struct icaltriggertype trigger = icalproperty_get_trigger(property);
    KitInstant when;
    if (!icaltime_is_null_time(trigger.time)) {
        if (!ToKitInstant(trigger.time, nullptr, &when)) return true;
    } else {
        icalparameter* related = icalproperty_get_first_parameter(property, ICAL_RELATED_PARAMETER);
        const bool fromEnd = related && icalparameter_get_related(related) == ICAL_RELATED_END;
        if (!Instant(in, fromEnd ? ICAL_DTEND_PROPERTY : ICAL_DTSTART_PROPERTY, &when)) return true;
        when.when = when.when + CPIMTimeSpan(icaldurationtype_as_int(trigger.duration));
    }
    in.kit.SetAlarm(1);
    in.kit.SetAlarmTime(when.when);
    in.result->alarmOn = true;
    return true;
}

// --- pending: a tentative event ---------------------------------------------

void PendingOut(ExportContext& out) {
    int pending = 0;
    if (out.kit.GetPending(&pending) == 1 && pending == 1) out.writer.Property("STATUS", "TENTATIVE");
}

bool PendingIn(ImportContext& in) {
    if (icalcomponent_get_status(in.component) == ICAL_STATUS_TENTATIVE) in.kit.SetPending(1);
    return true;
}

// --- colour, display position, weekday rule, holiday flag, file name --------

void ColorOut(ExportContext& out) {
    unsigned long color = 0;
    if (out.kit.GetColor(&color) != 1) return;
    out.writer.Property(kColorProperty, Hex("#", color, 8));
}

bool ColorIn(ImportContext& in) {
    const char* text = FindX(in.component, kColorProperty);
    if (text && *text == '#') in.kit.SetColor(strtoul(text + 1, nullptr, 16) & 0xFFFFFFFFul);
    return true;
}

void PositionOut(ExportContext& out) {
    int position = 0;
    if (out.kit.GetDisplayPosition(&position) == 1) out.writer.Property(kPositionProperty, std::to_string(position));
}

bool PositionIn(ImportContext& in) {
    const char* text = FindX(in.component, kPositionProperty);
    if (text) in.kit.SetDisplayPosition(atoi(text));
    return true;
}

void WeekdayRuleOut(ExportContext& out) {
    CString rule;
    if (out.kit.GetDayofWeek(rule) == 1) out.writer.Text(kWeekdayRuleProperty, Utf8(rule));
}

bool WeekdayRuleIn(ImportContext& in) {
    const char* text = FindX(in.component, kWeekdayRuleProperty);
    CString rule;
    if (!text) return true;
    if (!Sjis(text, kWeekdayRuleProperty, in, &rule)) return false;
    if (in.kit.SetDayofWeek(rule) != 1) in.result->notes.push_back("a weekday rule is six characters; it was dropped");
    return true;
}

void HolidayOut(ExportContext& out) {
    int holiday = 0;
    if (out.kit.GetHoliday(&holiday) == 1) out.writer.Property(kHolidayProperty, std::to_string(holiday));
}

bool HolidayIn(ImportContext& in) {
    const char* text = FindX(in.component, kHolidayProperty);
    if (text) in.kit.SetHoliday(atoi(text) == 1 ? 1 : 0);
    return true;
}

void FilenameOut(ExportContext& out) {
    CString name;
    if (out.kit.GetFilename(name) == 1) out.writer.Text(kFilenameProperty, Utf8(name));
}

bool FilenameIn(ImportContext& in) {
    const char* text = FindX(in.component, kFilenameProperty);
    CString name;
    if (!text) return true;
    if (!Sjis(text, kFilenameProperty, in, &name)) return false;
    in.kit.SetFilename(name);
    return true;
}

// --- the memo's binary blocks, as inline attachments ------------------------

struct MemoBlock {
    const char* tag;
    int (CVAROObj::*get)(void**, unsigned short*);
    int (CVAROObj::*set)(void*, unsigned short);
};

const MemoBlock kMemoBlocks[] = {
    {"PRF1", &CVAROObj::GetPreference, &CVAROObj::SetPreference},
    {"IMG1", &CVAROObj::GetImageData, &CVAROObj::SetImageData},
    {"HTXT", &CVAROObj::GetInkData, &CVAROObj::SetInkData},
    {"WBMP", &CVAROObj::GetBitmapData, &CVAROObj::SetBitmapData},
};

void MemoDataOut(ExportContext& out) {
    for (const MemoBlock& block : kMemoBlocks) {
        void* data = nullptr;
        unsigned short length = 0;
        if ((out.kit.*block.get)(&data, &length) != 1) continue;
        out.writer.Property("ATTACH", EncodeBase64(std::string(static_cast<const char*>(data), length)),
                            {{"ENCODING", "BASE64"}, {"VALUE", "BINARY"}, {kFieldParameter, block.tag}});
    }
}

const char* FieldTag(icalproperty* property) {
    for (icalparameter* p = icalproperty_get_first_parameter(property, ICAL_X_PARAMETER); p;
         p = icalproperty_get_next_parameter(property, ICAL_X_PARAMETER)) {
        const char* name = icalparameter_get_xname(p);
        if (name && strcasecmp(name, kFieldParameter) == 0) return icalparameter_get_xvalue(p);
    }
    return nullptr;
}

bool MemoDataIn(ImportContext& in) {
    for (icalproperty* p = icalcomponent_get_first_property(in.component, ICAL_ATTACH_PROPERTY); p;
         p = icalcomponent_get_next_property(in.component, ICAL_ATTACH_PROPERTY)) {
        const char* tag = FieldTag(p);
        icalattach* attach = icalproperty_get_attach(p);
        if (!tag || !attach || icalattach_get_is_url(attach)) continue;
        for (const MemoBlock& block : kMemoBlocks) {
            std::string bytes;
            if (strcmp(tag, block.tag) != 0) continue;
            const char* data = reinterpret_cast<const char*>(icalattach_get_data(attach));
            if (!data || !DecodeBase64(data, &bytes) || bytes.size() > 65535) {
                in.result->notes.push_back(std::string("the ") + tag + " attachment could not be read; it was dropped");
                continue;
            }
            (in.kit.*block.set)(&bytes[0], static_cast<unsigned short>(bytes.size()));
        }
    }
    return true;
}

// --- priority and the check ---------------------------------------------------

void PriorityOut(ExportContext& out) {
    int priority = 0;
    if (out.kit.GetPriority(&priority) == 1 && priority > 0) {
        // iCalendar counts 1 (highest) to 9; the suite goes on to 10.
        out.writer.Property("PRIORITY", std::to_string(priority > 9 ? 9 : priority));
    }
}

bool PriorityIn(ImportContext& in) {
    icalproperty* property = icalcomponent_get_first_property(in.component, ICAL_PRIORITY_PROPERTY);
    const int priority = property ? icalproperty_get_priority(property) : 0;
    if (priority >= 1 && priority <= 9) in.kit.SetPriority(priority);
    return true;
}

void CheckOut(ExportContext& out) {
    int checked = 0;
    out.kit.GetCheck(&checked);
    out.writer.Property("STATUS", checked == 1 ? "COMPLETED" : "NEEDS-ACTION");
    CPIMTime when;
    if (checked == 1 && out.kit.GetCheckDate(when) == 1 && !IsUncheckedDate(when)) {
        out.writer.Time("COMPLETED", UtcFields(when), TimeForm::kUtc);
    }
}

bool CheckIn(ImportContext& in) {
    KitInstant completed;
    const bool hasCompleted = Instant(in, ICAL_COMPLETED_PROPERTY, &completed);
    icalproperty* percent = icalcomponent_get_first_property(in.component, ICAL_PERCENTCOMPLETE_PROPERTY);
    const bool done = hasCompleted || icalcomponent_get_status(in.component) == ICAL_STATUS_COMPLETED ||
                      (percent && icalproperty_get_percentcomplete(percent) >= 100);
    if (!done) return true;
    in.kit.SetCheck(1);
    if (hasCompleted) in.kit.SetCheckDate(completed.when);
    return true;
}

// --- secret and entry day (every kind) --------------------------------------

void SecretOut(ExportContext& out) {
    int secret = 0;
    if (out.kit.GetSecret(&secret) == 1 && secret == 1) out.writer.Property("CLASS", "PRIVATE");
}

bool SecretIn(ImportContext& in) {
    icalproperty* property = icalcomponent_get_first_property(in.component, ICAL_CLASS_PROPERTY);
    const icalproperty_class level = property ? icalproperty_get_class(property) : ICAL_CLASS_NONE;
    if (level == ICAL_CLASS_PRIVATE || level == ICAL_CLASS_CONFIDENTIAL) in.kit.SetSecret(1);
    return true;
}

void EntryDayOut(ExportContext& out) {
    CPIMTime when;
    if (out.kit.GetEntryDay(when) == 1) out.writer.Time("CREATED", UtcFields(when), TimeForm::kUtc);
}

bool EntryDayIn(ImportContext& in) {
    KitInstant created;
    if (!Instant(in, ICAL_CREATED_PROPERTY, &created)) return true;
    in.kit.SetEntryDay(created.when);
    in.result->hasEntryDay = true;
    return true;
}

// --- holidays and anniversaries: a yearly all-day event ---------------------

void YearlyDateOut(ExportContext& out) {
    CPIMTime date;
    if (out.kit.GetDate(date) != 1) return;
    out.zone.WriteTime(out.writer, "DTSTART", date, true);
    out.writer.Property("RRULE", "FREQ=YEARLY");
}

bool YearlyDateIn(ImportContext& in) {
    KitInstant date;
    if (!Instant(in, ICAL_DTSTART_PROPERTY, &date)) {
        in.result->problem = "no DTSTART the suite can hold (years 1901-2099)";
        return false;
    }
    in.kit.SetDate(date.when);
    return true;
}

using FieldOut = void (*)(ExportContext&);  // null: written with another field
using FieldIn = bool (*)(ImportContext&);

struct FieldRoutines {
    FieldBit field;
    FieldOut out;
    FieldIn in;
};

// In the order the properties are written.
const FieldRoutines kFieldRoutines[] = {
    {kMemo, MemoOut, MemoIn},
    {kPeriod, PeriodOut, PeriodIn},
    {kYearlyDate, YearlyDateOut, YearlyDateIn},
    {kDisplayStart, nullptr, DisplayStartIn},
    {kDue, ToDoDatesOut, DueIn},
    {kPending, PendingOut, PendingIn},
    {kCheck, CheckOut, CheckIn},
    {kPriority, PriorityOut, PriorityIn},
    {kSecret, SecretOut, SecretIn},
    {kEntryDay, EntryDayOut, EntryDayIn},
    {kColor, ColorOut, ColorIn},
    {kPosition, PositionOut, PositionIn},
    {kWeekdayRule, WeekdayRuleOut, WeekdayRuleIn},
    {kHolidayFlag, HolidayOut, HolidayIn},
    {kFilename, FilenameOut, FilenameIn},
    {kMemoData, MemoDataOut, MemoDataIn},
    {kAlarm, AlarmOut, AlarmIn},
};

// The moment the tip was last stored: the kit reads the stored UTC digits
// as local time, so the zone offset is put back.
DateFields StampOf(CVAROObj& kit, const ExportZone& zone) {
    CPIMTime stamp;
    if (kit.GetLastModifiedTime(stamp) != 1) return UtcFields(CPIMTime::GetTickCount());
    return UtcFields(CPIMTime(static_cast<__int64>(stamp.GetTime() - zone.LocalOffset())));
}

bool IsYearlyAllDay(icalcomponent* component) {
    icalproperty* rule = icalcomponent_get_first_property(component, ICAL_RRULE_PROPERTY);
    icalproperty* start = icalcomponent_get_first_property(component, ICAL_DTSTART_PROPERTY);
    return rule && start && icalproperty_get_rrule(rule).freq == ICAL_YEARLY_RECURRENCE &&
           icalproperty_get_dtstart(start).is_date;
}

}  // namespace

bool WriteTipComponent(CVAROObj& kit, const ExportZone& zone, const std::string& uid, CalendarWriter& writer) {
    unsigned short kind = 0;
    kit.GetTipFlag(&kind);
    const CalendarKind* entry = FindCalendarKind(kind);
    if (!entry) return false;
    const char* component = icalcomponent_kind_to_string(entry->component);
    writer.Begin(component);
    writer.Text("UID", uid);
    writer.Time("DTSTAMP", StampOf(kit, zone), TimeForm::kUtc);
    writer.Property(kKindProperty, Hex("0x", kind, 4));
    ExportContext out{kit, writer, zone, *entry, std::string()};
    for (const FieldRoutines& routines : kFieldRoutines) {
        if ((entry->fields & routines.field) && routines.out) routines.out(out);
    }
    writer.End(component);
    return true;
}

uint16_t KindOfComponent(icalcomponent* component) {
    const icalcomponent_kind type = icalcomponent_isa(component);
    const char* named = FindX(component, kKindProperty);
    if (named) {
        const long kind = strtol(named, nullptr, 0);
        const CalendarKind* entry = kind > 0 && kind <= 0xFFFF ? FindCalendarKind(static_cast<uint16_t>(kind)) : nullptr;
        if (entry && entry->component == type) return static_cast<uint16_t>(kind);
    }
    switch (type) {
        case ICAL_VEVENT_COMPONENT: return IsYearlyAllDay(component) ? 0x204 : 0x201;
        case ICAL_VTODO_COMPONENT: return 0x300;
        case ICAL_VJOURNAL_COMPONENT: return 0x501;
        default: return 0;
    }
}

bool ComponentToTip(CVAROObj& kit, icalcomponent* component, const ZoneBook& zones, ComponentImport* result) {
    ImportContext in{kit, component, zones, result, 0};
    kit.GetTipFlag(&in.kind);
    const CalendarKind* entry = FindCalendarKind(in.kind);
    if (!entry) {
        result->problem = "no tip kind takes this component";
        return false;
    }
    for (const FieldRoutines& routines : kFieldRoutines) {
        if ((entry->fields & routines.field) && !routines.in(in)) return false;
    }
    icalproperty* rule = icalcomponent_get_first_property(component, ICAL_RRULE_PROPERTY);
    if (rule && !(entry->fields & kYearlyDate)) result->notes.push_back("repeats: only its first occurrence was kept");
    return true;
}

std::string ComponentUid(icalcomponent* component) {
    const char* uid = icalcomponent_get_uid(component);
    return uid ? uid : "";
}

}  // namespace interchange
}  // namespace varo
