// CVAROObj: the one-line texts that lists show for a tip.
//
// GetDisplayString composes the line from the current tip's fields by its
// kind, through the public getters (so a tip read while read-only is shown
// from its read-only slots); GetListMemo gives the memo flattened to one
// line and cut to list length.
#include <string>

#include "DeviceCodes.h"
#include "FieldTable.h"
#include "TipRecord.h"
#include "VAROObj.h"

using namespace varo;

namespace {

const char kDateFormat[] = "%y/%m/%d";
const char kSeparator[] = " ";
const char kRangeMark[] = "-";
const char kPendingMark[] = "(P)";
const char kUntil[] = "\x82\xdc\x82\xc5"; /* まで */
const char kOpenBracket[] = "\x81\x79";   /* 【 */
const char kCloseBracket[] = "\x81\x7a";  /* 】 */
const char kLinkExtension[] = ".lnk";

// Labels of the to-do priorities, by value. Priorities 5 to 10 carry on
// the letters after Ｃ, so every priority SetPriority accepts shows, each
// with a label of its own; 0 (no priority stored) and values outside 0-10
// (written by other programs) show none.
const char* const kPriorityLabels[] = {
    "",
    "(\x8b\xd9)", /* (緊) */
    "(\x82\x60)", /* (Ａ) */
    "(\x82\x61)", /* (Ｂ) */
    "(\x82\x62)", /* (Ｃ) */
    "(\x82\x63)", /* (Ｄ) */
    "(\x82\x64)", /* (Ｅ) */
    "(\x82\x65)", /* (Ｆ) */
    "(\x82\x66)", /* (Ｇ) */
    "(\x82\x67)", /* (Ｈ) */
    "(\x82\x68)", /* (Ｉ) */
};
const int kPriorityLabelCount = sizeof kPriorityLabels / sizeof kPriorityLabels[0];

// The one date value of a line: each date getter that succeeds replaces it
// and one that fails leaves it, so a plan without an end shows its start
// twice. Until a getter has succeeded it shows as an empty date, never as a
// value left from another tip or a default instant.
class LineDate {
public:
    CPIMTime& Target() { return m_value; }
    void Read(int result) { m_read = m_read || result == 1; }
    CString Text() const { return m_read ? m_value.Format(kDateFormat) : CString(); }

private:
    CPIMTime m_value;
    bool m_read = false;
};

CString StartDate(CVAROObj& kit, LineDate& date) {
    int mode = 0;
    date.Read(kit.GetStartTime(date.Target(), &mode));
    return date.Text();
}

CString EndDate(CVAROObj& kit, LineDate& date) {
    int mode = 0;
    date.Read(kit.GetEndTime(date.Target(), &mode));
    return date.Text();
}

CString LimitDate(CVAROObj& kit, LineDate& date) {
    date.Read(kit.GetLimitDay(date.Target()));
    return date.Text();
}

// The text getters empty their text when they fail, so a missing field is
// an empty piece.
CString Piece(CVAROObj& kit, int (CVAROObj::*getter)(CString&)) {
    CString text;
    (kit.*getter)(text);
    return text;
}

CString ScheduleLine(CVAROObj& kit) {
    LineDate date;
    CString line = StartDate(kit, date) + kSeparator;
    int pending = 0;
    if (kit.GetPending(&pending) == 1 && pending == 1) line += kPendingMark;
    return line + Piece(kit, &CVAROObj::GetListMemo);
}

CString MilestoneLine(CVAROObj& kit) {
    LineDate date;
    return LimitDate(kit, date) + kSeparator + Piece(kit, &CVAROObj::GetMemo);
}

CString PlanLine(CVAROObj& kit) {
    LineDate date;
    CString line = StartDate(kit, date) + kRangeMark;
    line += EndDate(kit, date);
    return line + kSeparator + Piece(kit, &CVAROObj::GetMemo);
}

CString ToDoLine(CVAROObj& kit) {
    CString line;
    CPIMTime limit;
    if (kit.GetLimitDay(limit) == 1) line = limit.Format(kDateFormat) + kUntil + kSeparator;
    int priority = 0;
    kit.GetPriority(&priority);
    if (priority >= 0 && priority < kPriorityLabelCount) line += kPriorityLabels[priority];
    return line + Piece(kit, &CVAROObj::GetListMemo);
}

CString CardLine(CVAROObj& kit) {
    CString line;
    CString office;
    if (kit.GetOfficeName(office) == 1) line = office + kSeparator;
    return line + Piece(kit, &CVAROObj::GetName);
}

CString BracketedFileName(CVAROObj& kit) {
    CString name;
    if (kit.GetFilename(name) != 1) return CString();
    return kOpenBracket + name + kCloseBracket;
}

CString MemoLine(CVAROObj& kit) { return BracketedFileName(kit) + Piece(kit, &CVAROObj::GetListMemo); }

CString FileOnlyMemoLine(CVAROObj& kit) { return BracketedFileName(kit); }

// A shortcut's name is shown without its extension, whatever its case.
CString FileLinkLine(CVAROObj& kit) {
    CString name = Piece(kit, &CVAROObj::GetFilename);
    CString lower = name;
    lower.MakeLower();
    const int extension = lower.Find(kLinkExtension);
    return extension >= 0 ? name.Left(extension) : name;
}

struct DisplayRule {
    uint16_t first;
    uint16_t last;
    CString (*compose)(CVAROObj& kit);
};

const DisplayRule kDisplayRules[] = {
    {KIND_PLAN_101, KIND_PLAN_101, PlanLine},
    {KIND_MILESTONE_102, KIND_MILESTONE_102, MilestoneLine},
    {KIND_PLAN_103, KIND_PLAN_103, PlanLine},
    {KIND_SCHEDULE_201, KIND_SCHEDULE_202, ScheduleLine},
    {KIND_TODO_300, KIND_TODO_300, ToDoLine},
    {KIND_CARD_401, KIND_CARD_404, CardLine},
    {KIND_MEMO_501, KIND_MEMO_501, MemoLine},
    {KIND_MEMO_502, KIND_MEMO_504, FileOnlyMemoLine},
    {KIND_MEMO_505, KIND_MEMO_505, MemoLine},
    {KIND_MEMO_506, KIND_MEMO_506, FileOnlyMemoLine},
    {KIND_FILELINK_F00, KIND_FILELINK_F00, FileLinkLine},
};

const DisplayRule* DisplayRuleFor(uint16_t kind) {
    for (const DisplayRule& rule : kDisplayRules) {
        if (kind >= rule.first && kind <= rule.last) return &rule;
    }
    return nullptr;
}

}  // namespace

int CVAROObj::GetDisplayString(CString& text) {
    text.Empty();
    const DisplayRule* rule = DisplayRuleFor(CTipRecord::Global().GetKind());
    if (!rule) return 0;
    text = rule->compose(*this);
    return 1;
}

// The memo's slot is the one GetMemo reads: slot 5 of the kinds with a
// memo, slot 7 of any kind while read-only.
int CVAROObj::GetListMemo(CString& text) {
    text.Empty();
    const int slot = GetterSlot(table::kMemo, CTipRecord::Global().GetKind(), m_readOnly);
    const TIPFIELD* field = slot < 0 ? nullptr : SlotWithData(slot);
    if (!field) return 0;
    text = ListLineText(field->data, field->length).c_str();
    return 1;
}
