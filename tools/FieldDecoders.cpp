// The decoders of `varo show`, one per tag.
#include "FieldDecoders.h"

#include <cstdio>
#include <cstring>

#include "Fields.h"
#include "Kinds.h"
#include "Text.h"
#include "TipSchemas.h"

namespace varo {
namespace tool {
namespace {

using Lines = std::vector<std::string>;
using K = CVAROObj;

const char kEmpty[] = "(empty)";

// Splits a converted text into its lines; an empty text is one empty line.
Lines TextLines(const std::string& utf8) {
    Lines lines;
    size_t start = 0;
    for (;;) {
        const size_t end = utf8.find('\n', start);
        lines.push_back(utf8.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) return lines;
        start = end + 1;
    }
}

Lines One(const std::string& line) { return Lines{line}; }

template <int (CVAROObj::*Getter)(CString&)>
Lines Text(CVAROObj& kit, uint16_t) {
    CString text;
    return (kit.*Getter)(text) == 1 ? TextLines(ToUtf8(text)) : One(kEmpty);
}

template <int (CVAROObj::*Getter)(int*)>
Lines Number(CVAROObj& kit, uint16_t) {
    int value = 0;
    return (kit.*Getter)(&value) == 1 ? One(std::to_string(value)) : One(kEmpty);
}

template <int (CVAROObj::*Getter)(CPIMTime&)>
Lines Moment(CVAROObj& kit, uint16_t) {
    CPIMTime when;
    return (kit.*Getter)(when) == 1 ? One(DateTimeText(when)) : One(kEmpty);
}

template <int (CVAROObj::*Getter)(void**, unsigned short*)>
Lines Block(CVAROObj& kit, uint16_t) {
    void* data = nullptr;
    unsigned short length = 0;
    return (kit.*Getter)(&data, &length) == 1 ? One(std::to_string(length) + " bytes") : One(kEmpty);
}

// A name and its reading in one field: "山田太郎 (やまだたろう)".
template <int (CVAROObj::*GetName)(CString&), int (CVAROObj::*GetReading)(CString&)>
Lines NameWithReading(CVAROObj& kit, uint16_t) {
    CString name;
    CString reading;
    if ((kit.*GetName)(name) != 1) return One(kEmpty);
    (kit.*GetReading)(reading);
    return One(reading.IsEmpty() ? ToUtf8(name) : ToUtf8(name) + " (" + ToUtf8(reading) + ")");
}

Lines Kind(CVAROObj&, uint16_t kind) {
    char text[48];
    snprintf(text, sizeof text, "0x%04X ", kind);
    return One(text + KindDescription(kind));
}

const char kNeverChecked[] = "20301231000000";

Lines CheckDate(CVAROObj& kit, uint16_t) {
    CPIMTime when;
    if (kit.GetCheckDate(when) != 1) return One(kEmpty);
    const bool unchecked = when.Format("%Y%m%d%H%M%S") == kNeverChecked;
    return One(DateTimeText(when) + (unchecked ? " (not checked)" : ""));
}

// The engine stamps LMTM from the UTC clock; the kit reads the digits as
// they are, so they are shown as UTC.
Lines LastModified(CVAROObj& kit, uint16_t) {
    CPIMTime when;
    return kit.GetLastModifiedTime(when) == 1 ? One(DateTimeText(when) + " UTC") : One(kEmpty);
}

std::string PeriodPoint(const CPIMTime& when, int mode) {
    return mode == 1 ? DateText(when) + " (all day)" : DateTimeText(when);
}

Lines Period(CVAROObj& kit, uint16_t) {
    CPIMTime start;
    CPIMTime end;
    int mode = 0;
    if (kit.GetStartTime(start, &mode) != 1) return One(kEmpty);
    Lines lines{"start " + PeriodPoint(start, mode)};
    if (kit.GetEndTime(end, &mode) == 1) lines.push_back("end   " + PeriodPoint(end, mode));
    return lines;
}

// A memo of a kind the kit reads no memo for is not "empty": say so.
Lines Memo(CVAROObj& kit, uint16_t kind) {
    const SettableField* memo = FindSettableField("memo");
    if (memo != nullptr && !KindInSet(kind, memo->kinds)) return One("(the kit reads no memo for this kind)");
    return Text<&K::GetMemo>(kit, kind);
}

// Anniversaries repeat every year: the kit gives them the year 1980.
Lines FixedDay(CVAROObj& kit, uint16_t kind) {
    CPIMTime when;
    if (kit.GetDate(when) != 1) return One(kEmpty);
    return One(kind == KIND_ANNIVERSARY_204 ? when.Format("every year on %m-%d").Bytes() : DateText(when));
}

Lines Colour(CVAROObj& kit, uint16_t) {
    unsigned long colour = 0;
    if (kit.GetColor(&colour) != 1) return One(kEmpty);
    char text[40];
    snprintf(text, sizeof text, "#%02lX%02lX%02lX (0x%08lX)", colour & 0xFF, (colour >> 8) & 0xFF,
             (colour >> 16) & 0xFF, colour & 0xFFFFFFFFul);
    return One(text);
}

Lines Links(CVAROObj& kit, uint16_t) {
    CSelectTips links;
    if (kit.GetLinkData(links) != 1) return One(kEmpty);
    if (links.GetSize() == 0) return One("none");
    std::string text = std::to_string(links.GetSize()) + (links.GetSize() == 1 ? " tip:" : " tips:");
    for (int i = 0; i < links.GetSize(); ++i) text += " " + std::to_string(static_cast<int32_t>(links[i]));
    return One(text);
}

Lines ParentPlan(CVAROObj& kit, uint16_t) {
    long fukuro = 0;
    return kit.GetParentPlanFukuro(&fukuro) == 1 ? One("fukuro " + FukuroText(fukuro)) : One(kEmpty);
}

Lines CurrentPage(CVAROObj& kit, uint16_t) {
    long page = 0;
    return kit.GetCurrentPage(&page) == 1 ? One("page " + std::to_string(page)) : One(kEmpty);
}

// A birthday is kept as typed, padded with blanks to 14 characters.
Lines Birthday(CVAROObj& kit, uint16_t) {
    CString text;
    if (kit.GetBirthday(text) != 1) return One(kEmpty);
    std::string shown = ToUtf8(text);
    shown.erase(shown.find_last_not_of(' ') + 1);
    return One(shown);
}

// One list field holds the values of several roles; each role is named as
// the field `varo set` takes for it.
struct ListRole {
    const char* role;
    int (CVAROObj::*get)(CString&);
};

const ListRole kPhoneRoles[] = {
    {"office-tel", &K::GetOfficeTel1},         {"office-tel2", &K::GetOfficeTel2},
    {"office-mobile", &K::GetOfficeCellular},  {"office-pager", &K::GetOfficePager},
    {"home-tel", &K::GetPersonalTel},          {"mobile", &K::GetPersonalCellular},
    {"pager", &K::GetPersonalPager},
};
const ListRole kFaxRoles[] = {{"office-fax", &K::GetOfficeFax}, {"home-fax", &K::GetPersonalFax}};
const ListRole kEmailRoles[] = {{"office-email", &K::GetOfficeEmailAddress},
                                {"home-email", &K::GetPersonalEmailAddress}};

// The first role's getter reloads the kit's working list from the tip; the
// others read that working list.
template <size_t N, const ListRole (&Roles)[N]>
Lines ByRole(CVAROObj& kit, uint16_t) {
    Lines lines;
    for (const ListRole& role : Roles) {
        CString values;
        if ((kit.*role.get)(values) != 1) continue;
        for (const std::string& value : TextLines(ToUtf8(values))) lines.push_back(std::string(role.role) + " " + value);
    }
    return lines.empty() ? One(kEmpty) : lines;
}

using Decoder = Lines (*)(CVAROObj& kit, uint16_t kind);

// While another program holds a lock on a tip, the engine hands out its
// compact read-only layout; only the getters with a read-only slot find
// their field there (a name without its reading), so only those decode.
struct FieldDecoder {
    const char* tag;
    Decoder decode;
    Decoder decodeReadOnly;  // null: not readable while read-only
};

const FieldDecoder kDecoders[] = {
    {"TAFL", Kind, Kind},
    {"SCRT", Number<&K::GetSecret>, Number<&K::GetSecret>},
    {"TCDY", Moment<&K::GetEntryDay>, Moment<&K::GetEntryDay>},
    {"MARK", Number<&K::GetCheck>, Number<&K::GetCheck>},
    {"FNDY", CheckDate, CheckDate},
    {"LMTM", LastModified, LastModified},
    {"MEMO", Memo, Memo},
    {"TIME", Period, Period},
    {"POSN", Number<&K::GetDisplayPosition>, Number<&K::GetDisplayPosition>},
    {"PPLN", ParentPlan, ParentPlan},
    {"CLOR", Colour, Colour},
    {"LIDS", Links, nullptr},
    {"LTDY", Moment<&K::GetLimitDay>, Moment<&K::GetLimitDay>},
    {"PEND", Number<&K::GetPending>, Number<&K::GetPending>},
    {"ALON", Number<&K::GetAlarm>, nullptr},
    {"ALRM", Moment<&K::GetAlarmTime>, nullptr},
    {"HOL1", FixedDay, nullptr},
    {"ANN1", FixedDay, nullptr},
    {"HOL2", Text<&K::GetDayofWeek>, nullptr},
    {"ANN2", Text<&K::GetDayofWeek>, nullptr},
    {"HOLI", Number<&K::GetHoliday>, nullptr},
    {"PRTY", Number<&K::GetPriority>, Number<&K::GetPriority>},
    {"ETDY", Moment<&K::GetDisplayStart>, nullptr},
    {"NAME", NameWithReading<&K::GetName, &K::GetNameYomi>, Text<&K::GetName>},
    {"OFCE", NameWithReading<&K::GetOfficeName, &K::GetOfficeNameYomi>, Text<&K::GetOfficeName>},
    {"SCTN", Text<&K::GetSection>, nullptr},
    {"PSTN", Text<&K::GetPosition>, nullptr},
    {"TEL1", ByRole<sizeof kPhoneRoles / sizeof kPhoneRoles[0], kPhoneRoles>, nullptr},
    {"FAX1", ByRole<sizeof kFaxRoles / sizeof kFaxRoles[0], kFaxRoles>, nullptr},
    {"EMAL", ByRole<sizeof kEmailRoles / sizeof kEmailRoles[0], kEmailRoles>, nullptr},
    {"ZIP2", Text<&K::GetOfficeZip>, nullptr},
    {"ADR2", Text<&K::GetOfficeAddress>, nullptr},
    {"CRMK", Text<&K::GetOfficeRemark>, nullptr},
    {"ZIPC", Text<&K::GetPersonalZip>, nullptr},
    {"ADR1", Text<&K::GetPersonalAddress>, nullptr},
    {"RMRK", Text<&K::GetPersonalRemark>, nullptr},
    {"CHK1", Number<&K::GetShochuumimai>, nullptr},
    {"CHK2", Number<&K::GetNenga>, nullptr},
    {"CHK3", Number<&K::GetChuugen>, nullptr},
    {"CHK4", Number<&K::GetSeibo>, nullptr},
    {"FRE1", Text<&K::GetFree1>, nullptr},
    {"FRE2", Text<&K::GetFree2>, nullptr},
    {"FRE3", Text<&K::GetFree3>, nullptr},
    {"FRE4", Text<&K::GetFree4>, nullptr},
    {"FRE5", Text<&K::GetFree5>, nullptr},
    {"FRE6", Text<&K::GetFree6>, nullptr},
    {"BRTH", Birthday, nullptr},
    {"CTG1", Number<&K::GetCategory1>, nullptr},
    {"CTG2", Number<&K::GetCategory2>, nullptr},
    {"CTG3", Number<&K::GetCategory3>, nullptr},
    {"IMJG", Block<&K::GetPortrait>, nullptr},
    {"CLAS", Text<&K::GetFilename>, Text<&K::GetFilename>},
    {"PRF1", Block<&K::GetPreference>, nullptr},
    {"IMG1", Block<&K::GetImageData>, nullptr},
    {"HTXT", Block<&K::GetInkData>, nullptr},
    {"WBMP", Block<&K::GetBitmapData>, nullptr},
    {"PBCP", CurrentPage, nullptr},
    {"PFAT", Text<&K::GetName>, nullptr},
    {"PFDT", Block<&K::GetData>, nullptr},
    {"FLNM", Text<&K::GetFilename>, Text<&K::GetFilename>},
    {"MCID", Text<&K::GetMachineName>, nullptr},
    {"FPTH", Text<&K::GetPathName>, nullptr},
    {"APPL", Text<&K::GetApplication>, nullptr},
    {"FMTM", Moment<&K::GetFileModifiedTime>, nullptr},
    {"DPDY", Moment<&K::GetDisplayDate>, nullptr},
};

struct TypeName {
    uint32_t type;
    const char* name;
};

const TypeName kTypeNames[] = {
    {FIELDTYPE_TEXT, "text"},
    {FIELDTYPE_NAME, "name"},
    {FIELDTYPE_PHONE_LIST, "phone list"},
    {FIELDTYPE_EMAIL_LIST, "e-mail list"},
    {FIELDTYPE_DAY, "day"},
    {FIELDTYPE_DATETIME, "date"},
    {FIELDTYPE_PERIOD, "period"},
    {FIELDTYPE_NUMBER, "number"},
    {FIELDTYPE_FLAG, "flag"},
    {FIELDTYPE_BLOCK, "block"},
    {FIELDTYPE_KIND, "kind"},
    {FIELDTYPE_FUKURO_OR_PAGE, "id"},
    {FIELDTYPE_LINK_LIST, "links"},
    {FIELDTYPE_COLOR, "colour"},
    {FIELDTYPE_PRINT_FORMAT, "print format"},
    {FIELDTYPE_PREFERENCE_DATA, "data"},
};

}  // namespace

std::vector<std::string> DecodeField(CVAROObj& kit, uint16_t kind, const char* tag, bool readOnly) {
    for (const FieldDecoder& decoder : kDecoders) {
        if (std::strncmp(decoder.tag, tag, TIP_TAG_LENGTH) != 0) continue;
        if (!readOnly) return decoder.decode(kit, kind);
        return decoder.decodeReadOnly ? decoder.decodeReadOnly(kit, kind) : One("(not readable while read-only)");
    }
    return One("(no decoder)");
}

bool CurrentTipIsReadOnly(CVAROObj& kit, uint16_t kind) {
    if (!KindInSet(kind, kCommonKinds)) return false;
    int secret = 0;
    kit.GetSecret(&secret);
    return kit.SetSecret(secret) != 1;
}

std::string FieldTypeText(uint32_t type) {
    char code[16];
    snprintf(code, sizeof code, type & FIELDTYPE_BINARY_BIT ? "0x%X" : "%u", type);
    for (const TypeName& entry : kTypeNames) {
        if (entry.type == type) return std::string(code) + " " + entry.name;
    }
    return code;
}

std::string DateTimeText(const CPIMTime& when) { return when.Format("%Y-%m-%d %H:%M:%S").Bytes(); }

std::string DateText(const CPIMTime& when) { return when.Format("%Y-%m-%d").Bytes(); }

}  // namespace tool
}  // namespace varo
