// Tips as the engine delivers them: CTipRecord::LoadFromBuffer of any tip
// buffer of any kind, then every getter of the kit object on the loaded tip
// (GetDisplayString and GetListMemo included) with the read-only flag off
// and on, CheckLastModified against a second buffer, and BuildBuffer.
//
// Input: two tip buffers in the form TipDecoder.h reads, the loaded one
// first.
#include <cstring>
#include <string>

#include "FuzzSupport.h"
#include "GlobalHeap.h"
#include "KitTestAccess.h"
#include "TipDecoder.h"
#include "TipRecord.h"

using fuzz::DecodedTip;
using fuzz::FuzzBytes;
using fuzz::Require;

namespace {

using TextGetter = int (CVAROObj::*)(CString&);
using IntGetter = int (CVAROObj::*)(int*);
using LongGetter = int (CVAROObj::*)(long*);
using TimeGetter = int (CVAROObj::*)(CPIMTime&);
using ModeTimeGetter = int (CVAROObj::*)(CPIMTime&, int*);
using BinaryGetter = int (CVAROObj::*)(void**, unsigned short*);

const TextGetter kTextGetters[] = {
    &CVAROObj::GetMemo, &CVAROObj::GetName, &CVAROObj::GetNameYomi, &CVAROObj::GetOfficeName,
    &CVAROObj::GetOfficeNameYomi, &CVAROObj::GetSection, &CVAROObj::GetPosition, &CVAROObj::GetOfficeZip,
    &CVAROObj::GetOfficeAddress, &CVAROObj::GetOfficeRemark, &CVAROObj::GetPersonalZip,
    &CVAROObj::GetPersonalAddress, &CVAROObj::GetPersonalRemark, &CVAROObj::GetFree1, &CVAROObj::GetFree2,
    &CVAROObj::GetFree3, &CVAROObj::GetFree4, &CVAROObj::GetFree5, &CVAROObj::GetFree6, &CVAROObj::GetFilename,
    &CVAROObj::GetMachineName, &CVAROObj::GetPathName, &CVAROObj::GetApplication, &CVAROObj::GetDayofWeek,
    &CVAROObj::GetBirthday, &CVAROObj::GetOfficeTel1, &CVAROObj::GetOfficeTel2, &CVAROObj::GetOfficeCellular,
    &CVAROObj::GetOfficePager, &CVAROObj::GetPersonalTel, &CVAROObj::GetPersonalCellular,
    &CVAROObj::GetPersonalPager, &CVAROObj::GetOfficeFax, &CVAROObj::GetPersonalFax,
    &CVAROObj::GetOfficeEmailAddress, &CVAROObj::GetPersonalEmailAddress, &CVAROObj::GetDisplayString,
    &CVAROObj::GetListMemo,
};
const IntGetter kIntGetters[] = {
    &CVAROObj::GetSecret, &CVAROObj::GetCheck, &CVAROObj::GetDisplayPosition, &CVAROObj::GetPending,
    &CVAROObj::GetAlarm, &CVAROObj::GetHoliday, &CVAROObj::GetPriority, &CVAROObj::GetShochuumimai,
    &CVAROObj::GetNenga, &CVAROObj::GetChuugen, &CVAROObj::GetSeibo, &CVAROObj::GetCategory1,
    &CVAROObj::GetCategory2, &CVAROObj::GetCategory3,
};
const LongGetter kLongGetters[] = {&CVAROObj::GetParentPlanFukuro, &CVAROObj::GetCurrentPage};
const TimeGetter kTimeGetters[] = {
    &CVAROObj::GetEntryDay, &CVAROObj::GetCheckDate, &CVAROObj::GetLastModifiedTime, &CVAROObj::GetLimitDay,
    &CVAROObj::GetAlarmTime, &CVAROObj::GetDate, &CVAROObj::GetDisplayStart, &CVAROObj::GetFileModifiedTime,
    &CVAROObj::GetDisplayDate,
};
const ModeTimeGetter kModeTimeGetters[] = {&CVAROObj::GetStartTime, &CVAROObj::GetEndTime};
const BinaryGetter kBinaryGetters[] = {
    &CVAROObj::GetPortrait, &CVAROObj::GetPreference, &CVAROObj::GetImageData,
    &CVAROObj::GetInkData,  &CVAROObj::GetBitmapData, &CVAROObj::GetData,
};

// Each loaded slot holds a copy of its entry: the tag's first 4 characters,
// the label, the type, and the data when the entry has both data and length.
void CheckLoaded(const DecodedTip& tip) {
    const CTipRecord& record = CTipRecord::Global();
    const size_t loaded = tip.Count() < static_cast<size_t>(varo::TIP_SLOT_COUNT) ? tip.Count() : varo::TIP_SLOT_COUNT;
    for (size_t index = 0; index < static_cast<size_t>(varo::TIP_SLOT_COUNT); ++index) {
        const TIPFIELD& slot = *record.GetSlot(static_cast<int>(index));
        if (index >= loaded) {
            Require(!slot.tag && !slot.data && slot.length == 0, "slots past the buffer's entries stay empty");
            continue;
        }
        const TIPFIELD& entry = tip.Entry(index);
        const std::string tag = entry.tag ? std::string(entry.tag, strnlen(entry.tag, varo::TIP_TAG_LENGTH)) : "";
        Require(slot.tag && tag == slot.tag, "a slot keeps the entry's tag, at most 4 characters");
        Require(slot.label && std::string(entry.label ? entry.label : "") == slot.label, "a slot keeps the label");
        Require(slot.type == entry.type, "a slot keeps the field type");
        const bool hasData = entry.data && entry.length > 0;
        Require(slot.length == (hasData ? entry.length : 0), "a slot keeps the data's length");
        Require(!hasData || std::memcmp(slot.data, entry.data, entry.length) == 0, "a slot keeps the data");
    }
    const TIPFIELD* kindEntry = tip.Count() > 0 ? &tip.Entry(0) : nullptr;
    const uint16_t kind = kindEntry && kindEntry->data && kindEntry->length >= 2
                              ? static_cast<uint16_t>(kindEntry->data[0] | kindEntry->data[1] << 8)
                              : 0;
    Require(record.GetKind() == kind, "the kind is entry 0's first two bytes");
}

void ReadEveryGetter(CVAROObj& kit) {
    for (TextGetter get : kTextGetters) {
        CString text = "stale";
        if ((kit.*get)(text) != 1) Require(text.IsEmpty(), "a text getter that fails leaves the text empty");
    }
    for (IntGetter get : kIntGetters) {
        int value = -7;
        (kit.*get)(&value);
    }
    for (LongGetter get : kLongGetters) {
        long value = -7;
        (kit.*get)(&value);
    }
    unsigned long colour = 0;
    kit.GetColor(&colour);
    Require(colour <= UINT32_MAX, "a colour is 32 bits");
    CSelectTips links;
    kit.GetLinkData(links);
    for (TimeGetter get : kTimeGetters) {
        CPIMTime when;
        (kit.*get)(when);
        when.Format("%#c %p %#PIMDATE");
    }
    for (ModeTimeGetter get : kModeTimeGetters) {
        CPIMTime when;
        int mode = 0;
        if ((kit.*get)(when, &mode) == 1) Require(mode == 1 || mode == 2, "a period part has mode 1 or 2");
    }
    for (BinaryGetter get : kBinaryGetters) {
        void* bytes = &colour;
        unsigned short length = 0;
        if ((kit.*get)(&bytes, &length) == 1) {
            Require(bytes && GlobalSize(static_cast<HGLOBAL>(bytes)) == length, "a binary copy holds its length");
        } else {
            Require(bytes == nullptr, "a binary getter that fails hands out no block");
        }
    }
    long id = -1;
    unsigned short kind = 0;
    Require(kit.GetTipID(&id) == 1 && kit.GetTipFlag(&kind) == 1, "the current tip's id and kind read");
}

void CheckBuiltBuffer() {
    CTipRecord& record = CTipRecord::Global();
    TIPFIELD** buffer = record.BuildBuffer();
    const int count = CTipRecord::GetFieldCount(record.GetKind());
    if (count < 0) {
        Require(buffer == nullptr, "a kind without a schema builds no buffer");
        return;
    }
    Require(buffer != nullptr, "a kind's buffer is built");
    for (int index = 0; index < count; ++index) Require(buffer[index] == record.GetSlot(index), "the buffer points at the slots");
    Require(buffer[count] == nullptr, "the buffer ends after the kind's slots");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzBytes in(data, size);
    const DecodedTip loaded = DecodedTip::Read(in, DecodedTip::Reader::Kit);
    const DecodedTip stored = DecodedTip::Read(in, DecodedTip::Reader::Kit);
    CVAROObj kit;
    CTipRecord& record = CTipRecord::Global();
    Require(record.LoadFromBuffer(loaded.Buffer()) == TRUE, "a tip buffer loads");
    CheckLoaded(loaded);
    for (bool readOnly : {false, true}) {
        CVAROObjTestAccess::SetReadOnly(kit, readOnly);
        ReadEveryGetter(kit);
    }
    record.CheckLastModified(stored.Buffer());
    Require(record.GetLastModifiedStamp()[varo::TIP_STAMP_LENGTH] == '\0', "the stamp stays terminated");
    CheckBuiltBuffer();
    return 0;
}
