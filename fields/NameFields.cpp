// CVAROObj: names with readings on address cards, and the preference name.
//
// A card's NAME and OFCE slots each hold a name and its reading back to
// back: the name, NUL, the reading, NUL. The name setters only stage the
// name in the kit object; the reading setter that follows builds the block.
#include <string>

#include "DeviceCodes.h"
#include "FieldTable.h"
#include "TipRecord.h"
#include "VAROObj.h"

using namespace varo;
namespace t = varo::table;

namespace {

// The two texts of a converted name block; `reading` is empty when the
// block ends after the name.
struct NameParts {
    std::string name;
    std::string reading;
};

bool ReadNameBlock(const FieldRule& rule, bool readOnly, NameParts* parts) {
    const int slot = GetterSlot(rule, CTipRecord::Global().GetKind(), readOnly);
    const TIPFIELD* field = slot < 0 ? nullptr : SlotWithData(slot);
    if (!field) return false;
    const std::string block = ConvertDeviceText(field->data, field->length);
    const size_t nameEnd = block.find('\0');
    parts->name = block.substr(0, nameEnd);
    if (nameEnd + 1 < block.size()) parts->reading = block.substr(nameEnd + 1, block.find('\0', nameEnd + 1) - nameEnd - 1);
    return !parts->name.empty();
}

int StoreNameBlock(const FieldRule& rule, bool readOnly, const CString& name, const CString& reading) {
    std::string block = name.Bytes();
    block += '\0';
    block += reading.Bytes();
    block += '\0';
    return StoreField(rule, readOnly, block.data(), block.size());
}

int GetNamePart(const FieldRule& rule, bool readOnly, bool wantReading, CString& out) {
    out.Empty();
    NameParts parts;
    if (!ReadNameBlock(rule, readOnly, &parts)) return 0;
    out = CString(wantReading ? parts.reading : parts.name);
    return 1;
}

// Cards take a name into the staging text; nothing else is stored yet.
int StageName(const FieldRule& rule, bool readOnly, const CString& text, CString& staging) {
    if (readOnly || SetterSlot(rule, CTipRecord::Global().GetKind()) < 0) return 0;
    staging = text;
    return 1;
}

bool IsPreferenceTip() { return CTipRecord::Global().GetKind() == KIND_PREFERENCE_900; }

}  // namespace

int CVAROObj::SetName(const CString& text) {
    if (IsPreferenceTip()) return SetTextField(t::kPreferenceName, m_readOnly, text);
    return StageName(t::kCardName, m_readOnly, text, m_staging);
}

int CVAROObj::GetName(CString& text) {
    if (IsPreferenceTip()) return GetTextField(t::kPreferenceName, m_readOnly, text);
    return GetNamePart(t::kCardName, m_readOnly, false, text);
}

int CVAROObj::SetNameYomi(const CString& reading) {
    return StoreNameBlock(t::kNameYomi, m_readOnly, m_staging, reading);
}

int CVAROObj::GetNameYomi(CString& reading) { return GetNamePart(t::kNameYomi, m_readOnly, true, reading); }

int CVAROObj::SetOfficeName(const CString& text) { return StageName(t::kOfficeName, m_readOnly, text, m_staging); }

int CVAROObj::GetOfficeName(CString& text) { return GetNamePart(t::kOfficeName, m_readOnly, false, text); }

int CVAROObj::SetOfficeNameYomi(const CString& reading) {
    return StoreNameBlock(t::kOfficeNameYomi, m_readOnly, m_staging, reading);
}

int CVAROObj::GetOfficeNameYomi(CString& reading) {
    return GetNamePart(t::kOfficeNameYomi, m_readOnly, true, reading);
}
