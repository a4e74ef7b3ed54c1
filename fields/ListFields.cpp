// CVAROObj: the phone, fax and e-mail accessors of address cards, one role
// row each.
//
// The kit object keeps a working text per list: the list as last read from
// the record (device codes converted) or last written by a setter. Setters
// edit that text and write it back whole; getters refresh it from the
// record, always or only when it is empty, and pick their role's entries
// out of it. A null working text (a copy that could not be had) reads as
// empty.
#include <cstring>
#include <string>
#include <string_view>

#include "DeviceCodes.h"
#include "FieldTable.h"
#include "PhoneLists.h"
#include "TipRecord.h"
#include "VAROObj.h"

using namespace varo;

namespace {

const ListSyntax kPhoneSyntax = {':', ",:\\"};
const ListSyntax kEmailSyntax = {'(', ",()\\"};

// A list's field and how its entries are written.
struct ListField {
    FieldRule where;
    const ListSyntax* syntax;
};

constexpr FieldRule ListRule(uint32_t type, int8_t slot) {
    return {type, Encoding::Text, table::kNoForm, table::kAny, table::kNone, Preset::Zero, kNoAnyKindSlot, false,
            {table::Group(table::kCards, slot)}};
}

const ListField kTelList = {ListRule(FIELDTYPE_PHONE_LIST, 9), &kPhoneSyntax};
const ListField kFaxList = {ListRule(FIELDTYPE_PHONE_LIST, 10), &kPhoneSyntax};
const ListField kEmailList = {ListRule(FIELDTYPE_EMAIL_LIST, 28), &kEmailSyntax};

// When a getter reloads its working text from the record. The first
// getter of each role an application calls after reading a card is an
// always-refresh one; the others answer from the text it loaded.
enum class Refresh : uint8_t { Always, WhenEmpty };

struct ListRole {
    const ListField* list;
    const char* suffix;
    Refresh refresh;
};

const ListRole kOfficeTel1 = {&kTelList, ":f", Refresh::Always};
const ListRole kOfficeTel2 = {&kTelList, ":f1", Refresh::WhenEmpty};
const ListRole kOfficeCellular = {&kTelList, ":fh", Refresh::WhenEmpty};
const ListRole kOfficePager = {&kTelList, ":fp", Refresh::WhenEmpty};
const ListRole kPersonalTel = {&kTelList, ":h", Refresh::Always};
const ListRole kPersonalCellular = {&kTelList, ":hh", Refresh::WhenEmpty};
const ListRole kPersonalPager = {&kTelList, ":hp", Refresh::WhenEmpty};
const ListRole kOfficeFax = {&kFaxList, ":f", Refresh::Always};
const ListRole kPersonalFax = {&kFaxList, ":h", Refresh::Always};
const ListRole kOfficeEmail = {&kEmailList, "(f)", Refresh::Always};
const ListRole kPersonalEmail = {&kEmailList, "(h)", Refresh::Always};


// The working text up to its terminator, never beyond its block.
std::string_view WorkingView(HGLOBAL text) {
    const char* bytes = static_cast<const char*>(GlobalLock(text));
    if (!bytes) return std::string_view();
    const size_t size = GlobalSize(text);
    GlobalUnlock(text);
    const void* zero = std::memchr(bytes, 0, size);
    return std::string_view(bytes, zero ? static_cast<const char*>(zero) - bytes : size);
}

// Replaces the working text by a copy of `list` and a terminator. When the
// copy cannot be had the old text is gone all the same and the working text
// is left empty (null).
bool ReplaceWorkingText(HGLOBAL& working, std::string_view list) {
    HGLOBAL copy = GlobalAlloc(GHND, list.size() + 1);
    if (copy) std::memcpy(GlobalLock(copy), list.data(), list.size());
    if (copy) GlobalUnlock(copy);
    if (working) GlobalFree(working);
    working = copy;
    return copy != nullptr;
}

bool IsCard(const ListField& list) { return SetterSlot(list.where, CTipRecord::Global().GetKind()) >= 0; }

int EditWorkingText(const ListField& list, HGLOBAL& working, const char* value, const char* suffix) {
    if (!suffix) return 0;
    const std::string edited = ReplaceRoleEntries(*list.syntax, WorkingView(working), value ? value : "", suffix);
    return ReplaceWorkingText(working, edited) ? 1 : 0;
}

// A list that would not fit a field's 16-bit length is refused before the
// working text changes, so both the record and the working text stay as
// they were.
int SetRole(const ListRole& role, bool readOnly, HGLOBAL& working, const CString& text) {
    const ListField& list = *role.list;
    if (readOnly || !IsCard(list)) return 0;
    const std::string edited = ReplaceRoleEntries(*list.syntax, WorkingView(working), text.Bytes().c_str(), role.suffix);
    if (edited.size() + 1 > kMaxFieldBytes) return 0;
    if (!ReplaceWorkingText(working, edited)) return 0;
    return StoreField(list.where, readOnly, edited.c_str(), edited.size() + 1);
}

int GetRole(const ListRole& role, HGLOBAL& working, CString& text) {
    text.Empty();
    const ListField& list = *role.list;
    if (!IsCard(list)) return 0;
    if (role.refresh == Refresh::Always || WorkingView(working).empty()) {
        const TIPFIELD* field = SlotWithData(SetterSlot(list.where, CTipRecord::Global().GetKind()));
        if (!field) return 0;
        const std::string converted = ConvertDeviceText(field->data, field->length);
        if (!ReplaceWorkingText(working, converted.c_str())) return 0;
    }
    std::string values;
    if (!PickRoleValues(*list.syntax, WorkingView(working), role.suffix, &values)) return 0;
    text = CString(std::move(values));
    return 1;
}

// A new global-heap block holding the role's values, for the caller to free.
int PickIntoBlock(const ListSyntax& syntax, const char* suffix, const char* list, char** result) {
    if (!suffix || !list || !result) return 0;
    std::string values;
    if (!PickRoleValues(syntax, list, suffix, &values)) return 0;
    HGLOBAL block = GlobalAlloc(GHND, values.size() + 1);
    if (!block) return 0;
    char* bytes = static_cast<char*>(GlobalLock(block));
    std::memcpy(bytes, values.data(), values.size());
    *result = bytes;
    return 1;
}

}  // namespace

int CVAROObj::SetOfficeTel1(const CString& text) { return SetRole(kOfficeTel1, m_readOnly, m_telList, text); }
int CVAROObj::GetOfficeTel1(CString& text) { return GetRole(kOfficeTel1, m_telList, text); }
int CVAROObj::SetOfficeTel2(const CString& text) { return SetRole(kOfficeTel2, m_readOnly, m_telList, text); }
int CVAROObj::GetOfficeTel2(CString& text) { return GetRole(kOfficeTel2, m_telList, text); }
int CVAROObj::SetOfficeCellular(const CString& text) { return SetRole(kOfficeCellular, m_readOnly, m_telList, text); }
int CVAROObj::GetOfficeCellular(CString& text) { return GetRole(kOfficeCellular, m_telList, text); }
int CVAROObj::SetOfficePager(const CString& text) { return SetRole(kOfficePager, m_readOnly, m_telList, text); }
int CVAROObj::GetOfficePager(CString& text) { return GetRole(kOfficePager, m_telList, text); }
int CVAROObj::SetPersonalTel(const CString& text) { return SetRole(kPersonalTel, m_readOnly, m_telList, text); }
int CVAROObj::GetPersonalTel(CString& text) { return GetRole(kPersonalTel, m_telList, text); }
int CVAROObj::SetPersonalCellular(const CString& text) {
    return SetRole(kPersonalCellular, m_readOnly, m_telList, text);
}
int CVAROObj::GetPersonalCellular(CString& text) { return GetRole(kPersonalCellular, m_telList, text); }
int CVAROObj::SetPersonalPager(const CString& text) { return SetRole(kPersonalPager, m_readOnly, m_telList, text); }
int CVAROObj::GetPersonalPager(CString& text) { return GetRole(kPersonalPager, m_telList, text); }
int CVAROObj::SetOfficeFax(const CString& text) { return SetRole(kOfficeFax, m_readOnly, m_faxList, text); }
int CVAROObj::GetOfficeFax(CString& text) { return GetRole(kOfficeFax, m_faxList, text); }
int CVAROObj::SetPersonalFax(const CString& text) { return SetRole(kPersonalFax, m_readOnly, m_faxList, text); }
int CVAROObj::GetPersonalFax(CString& text) { return GetRole(kPersonalFax, m_faxList, text); }
int CVAROObj::SetOfficeEmailAddress(const CString& text) {
    return SetRole(kOfficeEmail, m_readOnly, m_emailList, text);
}
int CVAROObj::GetOfficeEmailAddress(CString& text) { return GetRole(kOfficeEmail, m_emailList, text); }
int CVAROObj::SetPersonalEmailAddress(const CString& text) {
    return SetRole(kPersonalEmail, m_readOnly, m_emailList, text);
}
int CVAROObj::GetPersonalEmailAddress(CString& text) { return GetRole(kPersonalEmail, m_emailList, text); }

int CVAROObj::SetTel(const char* value, const char* suffix) {
    return EditWorkingText(kTelList, m_telList, value, suffix);
}
int CVAROObj::SetFax(const char* value, const char* suffix) {
    return EditWorkingText(kFaxList, m_faxList, value, suffix);
}
int CVAROObj::SetEmail(const char* value, const char* suffix) {
    return EditWorkingText(kEmailList, m_emailList, value, suffix);
}

// The phone form serves the fax list too.
int CVAROObj::SetItemFromTelList(const char* suffix, const char* list, char** result) {
    return PickIntoBlock(kPhoneSyntax, suffix, list, result);
}
int CVAROObj::SetItemFromEmailList(const char* suffix, const char* list, char** result) {
    return PickIntoBlock(kEmailSyntax, suffix, list, result);
}
