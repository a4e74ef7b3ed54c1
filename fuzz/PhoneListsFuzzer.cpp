// The phone, fax and e-mail lists of address cards: every role's getter and
// setter, SetTel/SetFax/SetEmail and SetItemFromTelList/EmailList, on any
// stored list bytes and any values.
//
// Input: one flags byte (bits 0-2 the tip kind, bit 3 the read-only flag),
// the stored bytes of the phone, fax and e-mail lists (each a length byte,
// 255 meaning a 16-bit length follows, then the bytes), then up to 64 steps,
// each a step byte and its arguments in the same form.
//
// A value set through a role that is all ASCII must read back through the
// same role as its lines (CR LF separated, empty lines left out) joined by
// CR LF, whatever else the list holds.
#include <string>

#include "FuzzSupport.h"
#include "GlobalHeap.h"
#include "KitTestAccess.h"
#include "TipRecord.h"

using fuzz::FuzzBytes;
using fuzz::Require;

namespace {

using Setter = int (CVAROObj::*)(const CString&);
using Getter = int (CVAROObj::*)(CString&);

struct Role {
    Setter set;
    Getter get;
};

const Role kRoles[] = {
    {&CVAROObj::SetOfficeTel1, &CVAROObj::GetOfficeTel1},
    {&CVAROObj::SetOfficeTel2, &CVAROObj::GetOfficeTel2},
    {&CVAROObj::SetOfficeCellular, &CVAROObj::GetOfficeCellular},
    {&CVAROObj::SetOfficePager, &CVAROObj::GetOfficePager},
    {&CVAROObj::SetPersonalTel, &CVAROObj::GetPersonalTel},
    {&CVAROObj::SetPersonalCellular, &CVAROObj::GetPersonalCellular},
    {&CVAROObj::SetPersonalPager, &CVAROObj::GetPersonalPager},
    {&CVAROObj::SetOfficeFax, &CVAROObj::GetOfficeFax},
    {&CVAROObj::SetPersonalFax, &CVAROObj::GetPersonalFax},
    {&CVAROObj::SetOfficeEmailAddress, &CVAROObj::GetOfficeEmailAddress},
    {&CVAROObj::SetPersonalEmailAddress, &CVAROObj::GetPersonalEmailAddress},
};
const size_t kRoleCount = sizeof kRoles / sizeof kRoles[0];

// Cards, and kinds that have no lists.
const uint16_t kKinds[] = {0x401, 0x402, 0x403, 0x404, 0x401, 0x404, 0x501, 0x300};
const int kListSlots[] = {9, 10, 28};
const size_t kMaxSteps = 64;

enum Step : uint8_t { kSetGet, kGetAll, kEditWorkingText, kPickFromList, kStoreList, kNewCard, kStepCount };

bool IsAscii(const std::string& text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

// What a role reads back after the value was set: its lines joined by CR LF.
std::string ExpectedValues(const std::string& value) {
    std::string joined;
    size_t position = 0;
    bool first = true;
    while (position <= value.size()) {
        size_t end = value.find("\r\n", position);
        if (end == std::string::npos) end = value.size();
        if (end > position) {
            if (!first) joined += "\r\n";
            joined += value.substr(position, end - position);
            first = false;
        }
        position = end + 2;
    }
    return joined;
}

void StoreList(int slot, const std::string& bytes) {
    CTipRecord::Global().SetField(bytes.data(), static_cast<uint16_t>(bytes.size()), slot);
}

void SetAndGet(CVAROObj& kit, FuzzBytes& in) {
    const Role& role = kRoles[in.Byte() % kRoleCount];
    const CString value(in.Block());
    if ((kit.*role.set)(value) != 1) return;
    CString text = "stale";
    const int found = (kit.*role.get)(text);
    const std::string written(value.Bytes().c_str());
    if (written.empty()) {
        Require(found == 0 && text.IsEmpty(), "a role set to the empty text reads as absent");
    } else if (IsAscii(written)) {
        Require(found == 1, "a role just set reads back");
        Require(text.Bytes() == ExpectedValues(written), "a role reads back the lines it was set to");
    }
}

void GetAll(CVAROObj& kit) {
    for (const Role& role : kRoles) {
        CString text = "stale";
        if ((kit.*role.get)(text) != 1) Require(text.IsEmpty(), "a role that is absent reads as the empty text");
    }
}

const char* TextOrNull(const std::string& text, bool null) { return null ? nullptr : text.c_str(); }

void EditWorkingText(CVAROObj& kit, FuzzBytes& in) {
    const uint8_t choice = in.Byte();
    const std::string value = in.Block();
    const std::string suffix = in.Block();
    const char* v = TextOrNull(value, choice & 0x10);
    const char* s = TextOrNull(suffix, choice & 0x20);
    switch (choice % 3) {
    case 0: kit.SetTel(v, s); break;
    case 1: kit.SetFax(v, s); break;
    default: kit.SetEmail(v, s); break;
    }
}

void PickFromList(CVAROObj& kit, FuzzBytes& in) {
    const uint8_t choice = in.Byte();
    const std::string suffix = in.Block();
    const std::string list = in.Block();
    char* result = nullptr;
    const char* s = TextOrNull(suffix, choice & 0x10);
    const char* l = TextOrNull(list, choice & 0x20);
    const int found = choice & 1 ? kit.SetItemFromEmailList(s, l, &result) : kit.SetItemFromTelList(s, l, &result);
    if (found != 1) return;
    Require(result != nullptr, "a list item found is handed out");
    HGLOBAL block = reinterpret_cast<HGLOBAL>(result);
    Require(GlobalSize(block) == std::string(result).size() + 1, "the item's block holds the values and a terminator");
    GlobalFree(block);
}

void NewCard(CVAROObj& kit, uint16_t kind, const std::string (&lists)[3]) {
    kit.SetTipFlag(kind);
    for (int i = 0; i < 3; ++i) StoreList(kListSlots[i], lists[i]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzBytes in(data, size);
    const uint8_t flags = in.Byte();
    const uint16_t kind = kKinds[flags & 7];
    std::string lists[3];
    for (std::string& list : lists) list = in.Block();
    CVAROObj kit;
    NewCard(kit, kind, lists);
    CVAROObjTestAccess::SetReadOnly(kit, (flags & 8) != 0);
    for (size_t step = 0; step < kMaxSteps && !in.Exhausted(); ++step) {
        switch (in.Byte() % kStepCount) {
        case kSetGet: SetAndGet(kit, in); break;
        case kGetAll: GetAll(kit); break;
        case kEditWorkingText: EditWorkingText(kit, in); break;
        case kPickFromList: PickFromList(kit, in); break;
        case kStoreList: {
            const int slot = kListSlots[in.Byte() % 3];
            StoreList(slot, in.Block());
            break;
        }
        default: NewCard(kit, kind, lists); break;
        }
    }
    return 0;
}
