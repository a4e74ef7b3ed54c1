// The settable fields and their setters.
#include <cstdlib>

#include "FieldDecoders.h"
#include "Fields.h"
#include "Results.h"
#include "Text.h"

namespace varo {
namespace tool {
namespace {

const char kRefused[] = "the kit refused the value";

SetOutcome Outcome(int result) { return result == 1 ? SetOutcome{true, ""} : SetOutcome{false, kRefused}; }

template <int (CVAROObj::*Setter)(const CString&)>
SetOutcome SetText(CVAROObj& kit, const FieldValue& value) {
    return Outcome((kit.*Setter)(value.text));
}

template <int (CVAROObj::*Setter)(int)>
SetOutcome SetInt(CVAROObj& kit, const FieldValue& value) {
    return Outcome((kit.*Setter)(static_cast<int>(value.number)));
}

template <int (CVAROObj::*Setter)(const CPIMTime&)>
SetOutcome SetTime(CVAROObj& kit, const FieldValue& value) {
    return Outcome((kit.*Setter)(value.time.when));
}

template <int (CVAROObj::*Setter)(const CPIMTime&), int (CVAROObj::*Clear)()>
SetOutcome SetClearableTime(CVAROObj& kit, const FieldValue& value) {
    return Outcome(value.clear ? (kit.*Clear)() : (kit.*Setter)(value.time.when));
}

// The list setters edit the kit's working copy of the list, which is only
// loaded from the tip by the list's always-refreshing getter: load it first,
// or the other roles' values would come from another tip.
template <int (CVAROObj::*Refresh)(CString&), int (CVAROObj::*Setter)(const CString&)>
SetOutcome SetListRole(CVAROObj& kit, const FieldValue& value) {
    CString ignored;
    (kit.*Refresh)(ignored);
    return Outcome((kit.*Setter)(value.text));
}

// A card's name reaches the tip only with its reading (and the office name
// with its own): set the new half together with the half the tip holds.
template <int (CVAROObj::*GetReading)(CString&), int (CVAROObj::*SetName)(const CString&),
          int (CVAROObj::*SetReading)(const CString&)>
SetOutcome SetNameKeepingReading(CVAROObj& kit, const FieldValue& value) {
    CString reading;
    (kit.*GetReading)(reading);
    (kit.*SetName)(value.text);
    return Outcome((kit.*SetReading)(reading));
}

template <int (CVAROObj::*GetName)(CString&), int (CVAROObj::*SetName)(const CString&),
          int (CVAROObj::*SetReading)(const CString&)>
SetOutcome SetReadingKeepingName(CVAROObj& kit, const FieldValue& value) {
    CString name;
    (kit.*GetName)(name);
    (kit.*SetName)(name);
    return Outcome((kit.*SetReading)(value.text));
}

// A check stamps the moment it was made; clearing it resets the check date.
SetOutcome SetCheckNow(CVAROObj& kit, const FieldValue& value) {
    if (value.number == 0) return Outcome(kit.SetCheck(0));
    if (kit.SetCheck(1) != 1) return Outcome(0);
    return Outcome(kit.SetCheckDate(CPIMTime::GetTickCount()));
}

int PeriodMode(const TimeValue& time) { return time.hasTime ? 2 : 1; }

// The last second a period's end covers: an all-day end lasts to 23:59:59.
CPIMTime EffectiveEnd(const TimeValue& end) {
    return end.hasTime ? end.when : CPIMTime(end.when.GetYear(), end.when.GetMonth(), end.when.GetDay(), 23, 59, 59);
}

// The end is stored paired with the kit's staging text, not with the start
// in the tip; restoring it after the start keeps both.
SetOutcome SetPeriodStart(CVAROObj& kit, const FieldValue& value) {
    TimeValue end;
    int endMode = 0;
    const bool hadEnd = kit.GetEndTime(end.when, &endMode) == 1;
    end.hasTime = endMode == 2;
    if (hadEnd && value.time.when > EffectiveEnd(end)) {
        return {false, "the start lies after the tip's end; set the end first"};
    }
    if (kit.SetStartTime(value.time.when, PeriodMode(value.time)) != 1) return Outcome(0);
    return hadEnd ? Outcome(kit.SetEndTime(end.when, endMode)) : Outcome(1);
}

SetOutcome SetPeriodEnd(CVAROObj& kit, const FieldValue& value) {
    CPIMTime start;
    int startMode = 0;
    if (kit.GetStartTime(start, &startMode) != 1) return {false, "the tip has no start; set the start first"};
    if (!value.clear && EffectiveEnd(value.time) < start) return {false, "the end lies before the start"};
    if (kit.SetStartTime(start, startMode) != 1) return Outcome(0);
    return Outcome(value.clear ? kit.SetEndTime() : kit.SetEndTime(value.time.when, PeriodMode(value.time)));
}

SetOutcome SetAlarmAt(CVAROObj& kit, const FieldValue& value) {
    if (value.clear) return Outcome(kit.SetAlarm(0));
    if (kit.SetAlarmTime(value.time.when) != 1) return Outcome(0);
    return Outcome(kit.SetAlarm(1));
}

SetOutcome SetColour(CVAROObj& kit, const FieldValue& value) {
    return Outcome(kit.SetColor(static_cast<unsigned long>(value.number) & 0xFFFFFFFFul));
}

const int kBirthdayMaxBytes = 14;

SetOutcome SetBirthdayText(CVAROObj& kit, const FieldValue& value) {
    if (value.text.GetLength() > kBirthdayMaxBytes) return {false, "a birthday holds at most 14 bytes of Shift-JIS"};
    return Outcome(kit.SetBirthday(value.text));
}

const KindSet kMemoText = kPlans | kBitMilestone102 | kSchedules | kBitHoliday203 | kBitAnniversary204 | kBitToDo300 |
                          kBitMemo501 | kBitMemo505;
const KindSet kColoured = kPlans | kBitMilestone102 | kSchedules;
const KindSet kDeadlined = kBitToDo300 | kBitMilestone102;
const KindSet kNamedFiles = kMemos | kBitFileLink0F00;

using K = CVAROObj;
const ValueForm kText = ValueForm::Text;
const ValueForm kNumber = ValueForm::Number;

const SettableField kFields[] = {
    {"memo", kMemoText, kText, 0, 0, false, SetText<&K::SetMemo>, "the text of the tip"},
    {"secret", kCommonKinds, ValueForm::Flag, 0, 1, false, SetInt<&K::SetSecret>, "hidden from lists"},
    {"check", kCommonKinds, ValueForm::Flag, 0, 1, false, SetCheckNow, "done; checking stamps the check date"},
    {"deadline", kDeadlined, ValueForm::Time, 0, 0, true, SetClearableTime<&K::SetLimitDay, &K::SetLimitDay>,
     "due date of a to-do item, date of a milestone"},
    {"priority", kBitToDo300, kNumber, 1, 10, false, SetInt<&K::SetPriority>, "1 urgent, 2 A, 3 B, 4 C, ..."},
    {"display-start", kBitToDo300, ValueForm::Time, 0, 0, false, SetTime<&K::SetDisplayStart>,
     "first day the to-do item is listed"},
    {"start", kPlans | kSchedules, ValueForm::Time, 0, 0, false, SetPeriodStart, "a date alone is all day"},
    {"end", kPlans | kSchedules, ValueForm::Time, 0, 0, true, SetPeriodEnd, "a date alone is all day"},
    {"pending", kSchedules, ValueForm::Flag, 0, 1, false, SetInt<&K::SetPending>, "not yet settled"},
    {"alarm", kSchedules, ValueForm::Time, 0, 0, true, SetAlarmAt, "when to remind; none switches it off"},
    {"color", kColoured, ValueForm::Colour, 0, 0, false, SetColour, "#RRGGBB"},
    {"display-position", kPlans, kNumber, 0, 99, false, SetInt<&K::SetDisplayPosition>, "row of a plan"},
    {"name", kCards, kText, 0, 0, false, SetNameKeepingReading<&K::GetNameYomi, &K::SetName, &K::SetNameYomi>,
     "the person's name"},
    {"reading", kCards, kText, 0, 0, false, SetReadingKeepingName<&K::GetName, &K::SetName, &K::SetNameYomi>,
     "how the name is read (kana)"},
    {"company", kCards, kText, 0, 0, false,
     SetNameKeepingReading<&K::GetOfficeNameYomi, &K::SetOfficeName, &K::SetOfficeNameYomi>, "company name"},
    {"company-reading", kCards, kText, 0, 0, false,
     SetReadingKeepingName<&K::GetOfficeName, &K::SetOfficeName, &K::SetOfficeNameYomi>,
     "how the company name is read"},
    {"section", kCards, kText, 0, 0, false, SetText<&K::SetSection>, "department"},
    {"title", kCards, kText, 0, 0, false, SetText<&K::SetPosition>, "position held"},
    {"office-zip", kCards, kText, 0, 0, false, SetText<&K::SetOfficeZip>, "company postal code"},
    {"office-address", kCards, kText, 0, 0, false, SetText<&K::SetOfficeAddress>, "company address"},
    {"office-remark", kCards, kText, 0, 0, false, SetText<&K::SetOfficeRemark>, "remark on the company"},
    {"zip", kCards, kText, 0, 0, false, SetText<&K::SetPersonalZip>, "home postal code"},
    {"address", kCards, kText, 0, 0, false, SetText<&K::SetPersonalAddress>, "home address"},
    {"remark", kCards, kText, 0, 0, false, SetText<&K::SetPersonalRemark>, "remark"},
    {"office-tel", kCards, kText, 0, 0, false, SetListRole<&K::GetOfficeTel1, &K::SetOfficeTel1>,
     "office telephone; one number a line"},
    {"office-tel2", kCards, kText, 0, 0, false, SetListRole<&K::GetOfficeTel1, &K::SetOfficeTel2>,
     "second office telephone"},
    {"office-mobile", kCards, kText, 0, 0, false, SetListRole<&K::GetOfficeTel1, &K::SetOfficeCellular>,
     "office mobile phone"},
    {"office-pager", kCards, kText, 0, 0, false, SetListRole<&K::GetOfficeTel1, &K::SetOfficePager>, "office pager"},
    {"home-tel", kCards, kText, 0, 0, false, SetListRole<&K::GetOfficeTel1, &K::SetPersonalTel>, "home telephone"},
    {"mobile", kCards, kText, 0, 0, false, SetListRole<&K::GetOfficeTel1, &K::SetPersonalCellular>,
     "personal mobile phone"},
    {"pager", kCards, kText, 0, 0, false, SetListRole<&K::GetOfficeTel1, &K::SetPersonalPager>, "personal pager"},
    {"office-fax", kCards, kText, 0, 0, false, SetListRole<&K::GetOfficeFax, &K::SetOfficeFax>, "office fax"},
    {"home-fax", kCards, kText, 0, 0, false, SetListRole<&K::GetOfficeFax, &K::SetPersonalFax>, "home fax"},
    {"office-email", kCards, kText, 0, 0, false,
     SetListRole<&K::GetOfficeEmailAddress, &K::SetOfficeEmailAddress>, "office e-mail address"},
    {"home-email", kCards, kText, 0, 0, false,
     SetListRole<&K::GetOfficeEmailAddress, &K::SetPersonalEmailAddress>, "personal e-mail address"},
    {"birthday", kCards, kText, 0, 0, false, SetBirthdayText, "as written, e.g. 19650412"},
    {"free1", kCards, kText, 0, 0, false, SetText<&K::SetFree1>, "free field 1"},
    {"free2", kCards, kText, 0, 0, false, SetText<&K::SetFree2>, "free field 2"},
    {"free3", kCards, kText, 0, 0, false, SetText<&K::SetFree3>, "free field 3"},
    {"free4", kCards, kText, 0, 0, false, SetText<&K::SetFree4>, "free field 4"},
    {"free5", kCards, kText, 0, 0, false, SetText<&K::SetFree5>, "free field 5"},
    {"free6", kCards, kText, 0, 0, false, SetText<&K::SetFree6>, "free field 6"},
    {"category1", kCards, kNumber, 0, 99, false, SetInt<&K::SetCategory1>, "category number"},
    {"category2", kCards, kNumber, 0, 99, false, SetInt<&K::SetCategory2>, "category number"},
    {"category3", kCards, kNumber, 0, 99, false, SetInt<&K::SetCategory3>, "category number"},
    {"shochuumimai", kCards, kNumber, 0, 3, false, SetInt<&K::SetShochuumimai>, "summer greeting mark"},
    {"nenga", kCards, kNumber, 0, 3, false, SetInt<&K::SetNenga>, "New Year card mark"},
    {"chuugen", kCards, kNumber, 0, 3, false, SetInt<&K::SetChuugen>, "midsummer gift mark"},
    {"seibo", kCards, kNumber, 0, 3, false, SetInt<&K::SetSeibo>, "year-end gift mark"},
    {"filename", kNamedFiles, kText, 0, 0, false, SetText<&K::SetFilename>, "the file the tip names"},
};

bool ParseColour(const std::string& text, long* out) {
    if (text.size() == 7 && text[0] == '#' && text.find_first_not_of("0123456789abcdefABCDEF", 1) == std::string::npos) {
        const unsigned long rgb = strtoul(text.c_str() + 1, nullptr, 16);
        *out = static_cast<long>(((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF));
        return true;
    }
    return ParseNumber(text, out) && *out >= 0;
}

}  // namespace

const SettableField* SettableFieldsBegin() { return kFields; }
const SettableField* SettableFieldsEnd() { return kFields + sizeof kFields / sizeof kFields[0]; }

const SettableField* FindSettableField(const std::string& name) {
    for (const SettableField* field = SettableFieldsBegin(); field != SettableFieldsEnd(); ++field) {
        if (name == field->name) return field;
    }
    return nullptr;
}

bool ParseFieldValue(const SettableField& field, const std::string& text, FieldValue* value, std::string* why) {
    if (field.clearable && text == "none") {
        value->clear = true;
        return true;
    }
    bool parsed = false;
    switch (field.form) {
    case ValueForm::Text:
        parsed = FromUtf8(text, &value->text);
        if (!parsed) *why = "the text cannot be written in Shift-JIS";
        return parsed;
    case ValueForm::Flag:
        parsed = ParseFlag(text, &value->number);
        break;
    case ValueForm::Number:
        parsed = ParseNumber(text, &value->number) && value->number >= field.min && value->number <= field.max;
        break;
    case ValueForm::Time:
        parsed = ParseTime(text, &value->time);
        break;
    case ValueForm::Colour:
        parsed = ParseColour(text, &value->number);
        break;
    }
    if (!parsed) *why = "'" + text + "' is not " + ValueFormText(field);
    return parsed;
}

std::string ValueFormText(const SettableField& field) {
    std::string form;
    switch (field.form) {
    case ValueForm::Text:
        form = "a text";
        break;
    case ValueForm::Flag:
        form = "0 or 1";
        break;
    case ValueForm::Number:
        form = "a number from " + std::to_string(field.min) + " to " + std::to_string(field.max);
        break;
    case ValueForm::Time:
        form = "a date (YYYY-MM-DD) with an optional time (HH:MM)";
        break;
    case ValueForm::Colour:
        form = "a colour (#RRGGBB)";
        break;
    }
    return field.clearable ? form + " or none" : form;
}

int ApplyField(CVAROObj& kit, uint16_t kind, const SettableField& field, const std::string& text) {
    if (!KindInSet(kind, field.kinds)) {
        return ReportUsage("this " + KindDescription(kind) + " has no field '" + field.name + "' (it is a field of: " +
                           KindSetNames(field.kinds) + ")");
    }
    FieldValue value;
    std::string why;
    if (!ParseFieldValue(field, text, &value, &why)) return ReportUsage(std::string(field.name) + ": " + why);
    if (CurrentTipIsReadOnly(kit, kind)) {
        return ReportFailure(std::string("cannot set ") + field.name + ": the tip is read-only (another program holds a lock on it)");
    }
    const SetOutcome outcome = field.set(kit, value);
    if (!outcome.stored) return ReportFailure(std::string("cannot set ") + field.name + ": " + outcome.why);
    return kExitOk;
}

}  // namespace tool
}  // namespace varo
