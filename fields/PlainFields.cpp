// CVAROObj: the plain field accessors, one row of the field table each.
#include "FieldTable.h"
#include "TipRecord.h"
#include "VAROObj.h"

using namespace varo;
namespace t = varo::table;

int CVAROObj::SetSecret(int flag) { return SetDecimalField(t::kSecret, m_readOnly, flag); }
int CVAROObj::GetSecret(int* flag) { return Deliver(ReadDecimalField(t::kSecret, m_readOnly), flag); }
int CVAROObj::GetCheck(int* flag) { return Deliver(ReadDecimalField(t::kCheck, m_readOnly), flag); }
int CVAROObj::SetMemo(const CString& text) { return SetTextField(t::kMemo, m_readOnly, text); }
int CVAROObj::GetMemo(CString& text) { return GetTextField(t::kMemo, m_readOnly, text); }
int CVAROObj::SetColor(unsigned long colour) {
    return colour > UINT32_MAX ? 0 : SetValue32Field(t::kColor, m_readOnly, static_cast<int64_t>(colour));
}
int CVAROObj::GetColor(unsigned long* colour) { return Deliver(ReadValue32Field(t::kColor, m_readOnly), colour); }
int CVAROObj::SetLinkData(CSelectTips& list) { return SetLinkListField(t::kLinkData, m_readOnly, list); }
int CVAROObj::GetLinkData(CSelectTips& list) { return GetLinkListField(t::kLinkData, m_readOnly, list); }
int CVAROObj::SetDisplayPosition(int position) {
    return SetDecimalField(t::kDisplayPosition, m_readOnly, position);
}
int CVAROObj::SetParentPlanFukuro(long fukuro) { return SetValue32Field(t::kParentPlanFukuro, m_readOnly, fukuro); }
int CVAROObj::GetParentPlanFukuro(long* fukuro) {
    return Deliver(ReadValue32Field(t::kParentPlanFukuro, m_readOnly), fukuro);
}
int CVAROObj::SetPending(int flag) { return SetDecimalField(t::kPending, m_readOnly, flag); }
int CVAROObj::GetPending(int* flag) { return Deliver(ReadDecimalField(t::kPending, m_readOnly), flag); }
int CVAROObj::SetAlarm(int flag) { return SetDecimalField(t::kAlarm, m_readOnly, flag); }
int CVAROObj::GetAlarm(int* flag) { return Deliver(ReadDecimalField(t::kAlarm, m_readOnly), flag); }
int CVAROObj::SetHoliday(int flag) { return SetDecimalField(t::kHoliday, m_readOnly, flag); }
int CVAROObj::GetHoliday(int* flag) { return Deliver(ReadDecimalField(t::kHoliday, m_readOnly), flag); }
int CVAROObj::SetPriority(int priority) { return SetDecimalField(t::kPriority, m_readOnly, priority); }
int CVAROObj::GetPriority(int* priority) { return Deliver(ReadDecimalField(t::kPriority, m_readOnly), priority); }
int CVAROObj::SetSection(const CString& text) { return SetTextField(t::kSection, m_readOnly, text); }
int CVAROObj::GetSection(CString& text) { return GetTextField(t::kSection, m_readOnly, text); }
int CVAROObj::SetPosition(const CString& text) { return SetTextField(t::kPosition, m_readOnly, text); }
int CVAROObj::GetPosition(CString& text) { return GetTextField(t::kPosition, m_readOnly, text); }
int CVAROObj::SetOfficeZip(const CString& text) { return SetTextField(t::kOfficeZip, m_readOnly, text); }
int CVAROObj::GetOfficeZip(CString& text) { return GetTextField(t::kOfficeZip, m_readOnly, text); }
int CVAROObj::SetOfficeAddress(const CString& text) { return SetTextField(t::kOfficeAddress, m_readOnly, text); }
int CVAROObj::GetOfficeAddress(CString& text) { return GetTextField(t::kOfficeAddress, m_readOnly, text); }
int CVAROObj::SetOfficeRemark(const CString& text) { return SetTextField(t::kOfficeRemark, m_readOnly, text); }
int CVAROObj::GetOfficeRemark(CString& text) { return GetTextField(t::kOfficeRemark, m_readOnly, text); }
int CVAROObj::SetPersonalZip(const CString& text) { return SetTextField(t::kPersonalZip, m_readOnly, text); }
int CVAROObj::GetPersonalZip(CString& text) { return GetTextField(t::kPersonalZip, m_readOnly, text); }
int CVAROObj::SetPersonalAddress(const CString& text) {
    return SetTextField(t::kPersonalAddress, m_readOnly, text);
}
int CVAROObj::GetPersonalAddress(CString& text) { return GetTextField(t::kPersonalAddress, m_readOnly, text); }
int CVAROObj::SetPersonalRemark(const CString& text) {
    return SetTextField(t::kPersonalRemark, m_readOnly, text);
}
int CVAROObj::GetPersonalRemark(CString& text) { return GetTextField(t::kPersonalRemark, m_readOnly, text); }
int CVAROObj::SetShochuumimai(int value) { return SetDecimalField(t::kShochuumimai, m_readOnly, value); }
int CVAROObj::GetShochuumimai(int* value) { return Deliver(ReadDecimalField(t::kShochuumimai, m_readOnly), value); }
int CVAROObj::SetNenga(int value) { return SetDecimalField(t::kNenga, m_readOnly, value); }
int CVAROObj::GetNenga(int* value) { return Deliver(ReadDecimalField(t::kNenga, m_readOnly), value); }
int CVAROObj::SetChuugen(int value) { return SetDecimalField(t::kChuugen, m_readOnly, value); }
int CVAROObj::GetChuugen(int* value) { return Deliver(ReadDecimalField(t::kChuugen, m_readOnly), value); }
int CVAROObj::SetSeibo(int value) { return SetDecimalField(t::kSeibo, m_readOnly, value); }
int CVAROObj::GetSeibo(int* value) { return Deliver(ReadDecimalField(t::kSeibo, m_readOnly), value); }
int CVAROObj::SetFree1(const CString& text) { return SetTextField(t::kFree1, m_readOnly, text); }
int CVAROObj::GetFree1(CString& text) { return GetTextField(t::kFree1, m_readOnly, text); }
int CVAROObj::SetFree2(const CString& text) { return SetTextField(t::kFree2, m_readOnly, text); }
int CVAROObj::GetFree2(CString& text) { return GetTextField(t::kFree2, m_readOnly, text); }
int CVAROObj::SetFree3(const CString& text) { return SetTextField(t::kFree3, m_readOnly, text); }
int CVAROObj::GetFree3(CString& text) { return GetTextField(t::kFree3, m_readOnly, text); }
int CVAROObj::SetFree4(const CString& text) { return SetTextField(t::kFree4, m_readOnly, text); }
int CVAROObj::GetFree4(CString& text) { return GetTextField(t::kFree4, m_readOnly, text); }
int CVAROObj::SetFree5(const CString& text) { return SetTextField(t::kFree5, m_readOnly, text); }
int CVAROObj::GetFree5(CString& text) { return GetTextField(t::kFree5, m_readOnly, text); }
int CVAROObj::SetFree6(const CString& text) { return SetTextField(t::kFree6, m_readOnly, text); }
int CVAROObj::GetFree6(CString& text) { return GetTextField(t::kFree6, m_readOnly, text); }
int CVAROObj::SetCategory1(int category) { return SetDecimalField(t::kCategory1, m_readOnly, category); }
int CVAROObj::GetCategory1(int* category) { return Deliver(ReadDecimalField(t::kCategory1, m_readOnly), category); }
int CVAROObj::SetCategory2(int category) { return SetDecimalField(t::kCategory2, m_readOnly, category); }
int CVAROObj::GetCategory2(int* category) { return Deliver(ReadDecimalField(t::kCategory2, m_readOnly), category); }
int CVAROObj::SetCategory3(int category) { return SetDecimalField(t::kCategory3, m_readOnly, category); }
int CVAROObj::GetCategory3(int* category) { return Deliver(ReadDecimalField(t::kCategory3, m_readOnly), category); }
int CVAROObj::SetFilename(const CString& text) { return SetTextField(t::kFilename, m_readOnly, text); }
int CVAROObj::GetFilename(CString& text) { return GetTextField(t::kFilename, m_readOnly, text); }
int CVAROObj::SetMachineName(const CString& text) { return SetTextField(t::kMachineName, m_readOnly, text); }
int CVAROObj::GetMachineName(CString& text) { return GetTextField(t::kMachineName, m_readOnly, text); }
int CVAROObj::SetPathName(const CString& text) { return SetTextField(t::kPathName, m_readOnly, text); }
int CVAROObj::GetPathName(CString& text) { return GetTextField(t::kPathName, m_readOnly, text); }
int CVAROObj::SetApplication(const CString& text) { return SetTextField(t::kApplication, m_readOnly, text); }
int CVAROObj::GetApplication(CString& text) { return GetTextField(t::kApplication, m_readOnly, text); }
int CVAROObj::SetCurrentPage(long page) { return SetValue32Field(t::kCurrentPage, m_readOnly, page); }
int CVAROObj::GetCurrentPage(long* page) { return Deliver(ReadValue32Field(t::kCurrentPage, m_readOnly), page); }

// A check mark taken away leaves the far-future check date behind.
int CVAROObj::SetCheck(int flag) {
    if (m_readOnly || SetterSlot(t::kCheck, CTipRecord::Global().GetKind()) < 0) return 0;
    if (flag == 0 &&
        !CTipRecord::Global().SetField(t::kUncheckedDate, sizeof t::kUncheckedDate, t::kCheckDateSlot)) {
        return 0;
    }
    return SetDecimalField(t::kCheck, m_readOnly, flag);
}

// Positions outside 0-99, written by other programs, read as 0.
int CVAROObj::GetDisplayPosition(int* position) {
    const int result = Deliver(ReadDecimalField(t::kDisplayPosition, m_readOnly), position);
    if (position && (*position < 0 || *position > 99)) *position = 0;
    return result;
}
