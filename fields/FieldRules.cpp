#include "FieldRules.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

#include "DeviceCodes.h"
#include "TipRecord.h"
#include "VAROObj.h"

namespace varo {
namespace {

const uint32_t kDefaultColour = 0xFF0000;

bool Matches(const KindSlot& entry, uint16_t kind) {
    switch (entry.match) {
    case KindMatch::Range: return kind >= entry.first && kind <= entry.last;
    case KindMatch::Group: return (kind & 0xF00) == entry.first;
    case KindMatch::AllButBoardPrefs: return kind != 0x800 && kind != 0x900;
    }
    return false;
}

const KindSlot* EntryFor(const FieldRule& rule, uint16_t kind) {
    for (const KindSlot& entry : rule.kinds) {
        if (entry.slot == 0) break;
        if (Matches(entry, kind)) return &entry;
    }
    return nullptr;
}

bool InRange(const FieldRule& rule, long value) {
    return rule.min > rule.max || (value >= rule.min && value <= rule.max);
}

void PutLe32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

uint32_t GetLe32(const uint8_t* p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

// The stored text's bytes up to its first NUL, never beyond its length.
std::string StoredText(const TIPFIELD& field) {
    const char* bytes = reinterpret_cast<const char*>(field.data);
    const void* zero = std::memchr(bytes, 0, field.length);
    return std::string(bytes, zero ? static_cast<const char*>(zero) - bytes : field.length);
}

// The decimal value as atol reads it (blanks, sign, digits), held to 32 bits.
long DecimalValue(const std::string& text) {
    const long value = std::strtol(text.c_str(), nullptr, 10);
    return value < INT32_MIN ? INT32_MIN : value > INT32_MAX ? INT32_MAX : value;
}

}  // namespace

int SetterSlot(const FieldRule& rule, uint16_t kind) {
    const KindSlot* entry = EntryFor(rule, kind);
    return entry ? entry->slot : -1;
}

int GetterSlot(const FieldRule& rule, uint16_t kind, bool readOnly) {
    if (readOnly && rule.anyKindReadOnlySlot != kNoAnyKindSlot) return rule.anyKindReadOnlySlot;
    const KindSlot* entry = EntryFor(rule, kind);
    if (!entry) return -1;
    return readOnly && entry->readOnlySlot >= 0 ? entry->readOnlySlot : entry->slot;
}

const TIPFIELD* SlotWithData(int slot) {
    const TIPFIELD* field = CTipRecord::Global().GetSlot(slot);
    return field && field->data && field->length > 0 ? field : nullptr;
}

int StoreField(const FieldRule& rule, bool readOnly, const void* bytes, size_t length) {
    if (readOnly && !rule.setterIgnoresReadOnly) return 0;
    CTipRecord& record = CTipRecord::Global();
    const int slot = SetterSlot(rule, record.GetKind());
    if (slot < 0 || length > kMaxFieldBytes) return 0;
    record.SetFieldType(slot, rule.type);
    return record.SetField(bytes, static_cast<uint16_t>(length), slot);
}

int SetTextField(const FieldRule& rule, bool readOnly, const CString& text) {
    const std::string& bytes = text.Bytes();
    return StoreField(rule, readOnly, bytes.c_str(), bytes.size() + 1);
}

CString ConvertedText(const TIPFIELD& field) {
    const std::string converted = ConvertDeviceText(field.data, field.length);
    return CString(converted.c_str());
}

int GetTextField(const FieldRule& rule, bool readOnly, CString& text) {
    text.Empty();
    const int slot = GetterSlot(rule, CTipRecord::Global().GetKind(), readOnly);
    const TIPFIELD* field = slot < 0 ? nullptr : SlotWithData(slot);
    if (!field) return 0;
    const CString value =
        rule.encoding == Encoding::PlainText ? CString(StoredText(*field)) : ConvertedText(*field);
    if (value.IsEmpty()) return 0;
    text = value;
    return 1;
}

int SetDecimalField(const FieldRule& rule, bool readOnly, long value) {
    if (!InRange(rule, value)) return 0;
    std::string text;
    pimtime::AppendDecimal(text, value, rule.form.width, rule.form.pad);
    return StoreField(rule, readOnly, text.c_str(), text.size() + 1);
}

ReadValue ReadDecimalField(const FieldRule& rule, bool readOnly) {
    const ReadValue none = {0, true, 0};
    const int slot = GetterSlot(rule, CTipRecord::Global().GetKind(), readOnly);
    const TIPFIELD* field = slot < 0 ? nullptr : SlotWithData(slot);
    if (!field) return none;
    const std::string text = StoredText(*field);
    if (text.empty()) return none;
    return ReadValue{1, true, DecimalValue(text)};
}

int SetValue32Field(const FieldRule& rule, bool readOnly, int64_t value) {
    const bool fits = rule.type == FIELDTYPE_COLOR ? value >= 0 && value <= int64_t{UINT32_MAX}
                                                   : value >= INT32_MIN && value <= INT32_MAX;
    if (!fits) return 0;
    uint8_t bytes[4];
    PutLe32(bytes, static_cast<uint32_t>(value));
    return StoreField(rule, readOnly, bytes, sizeof bytes);
}

ReadValue ReadValue32Field(const FieldRule& rule, bool readOnly) {
    ReadValue read = {0, rule.preset != Preset::Untouched, rule.preset == Preset::Red ? kDefaultColour : 0};
    const int slot = GetterSlot(rule, CTipRecord::Global().GetKind(), readOnly);
    const TIPFIELD* field = slot < 0 ? nullptr : SlotWithData(slot);
    if (!field) return read;
    // A colour shorter than 4 bytes keeps the default; any other value that
    // short is not read at all rather than read past its data.
    if (field->length < 4) {
        if (rule.preset == Preset::Red) read.result = 1;
        return read;
    }
    const uint32_t raw = GetLe32(field->data);
    read.value = rule.type == FIELDTYPE_COLOR ? int64_t{raw} : int64_t{static_cast<int32_t>(raw)};
    read.deliver = true;
    read.result = 1;
    return read;
}

int SetLinkListField(const FieldRule& rule, bool readOnly, const CSelectTips& list) {
    const size_t count = static_cast<size_t>(list.GetSize());
    const size_t length = 4 + 4 * count;
    if (SetterSlot(rule, CTipRecord::Global().GetKind()) < 0 || length > kMaxFieldBytes) return 0;
    HGLOBAL block = GlobalAlloc(GHND, length);
    if (!block) return 0;
    uint8_t* bytes = static_cast<uint8_t*>(GlobalLock(block));
    PutLe32(bytes, static_cast<uint32_t>(count));
    for (size_t i = 0; i < count; ++i) PutLe32(bytes + 4 + 4 * i, list.GetAt(static_cast<int>(i)));
    StoreField(rule, readOnly, bytes, length);
    GlobalUnlock(block);
    GlobalFree(block);
    // Success once the block is built, whatever the store gives: callers
    // rely on it.
    return 1;
}

int GetLinkListField(const FieldRule& rule, bool readOnly, CSelectTips& list) {
    if (list.GetSize() > 0) list.RemoveAll();
    const int slot = GetterSlot(rule, CTipRecord::Global().GetKind(), readOnly);
    const TIPFIELD* field = slot < 0 ? nullptr : SlotWithData(slot);
    if (!field || field->length < 4) return 0;
    const uint32_t count = GetLe32(field->data);
    const uint32_t held = (field->length - 4u) / 4u;
    for (uint32_t i = 0; i < count && i < held; ++i) list.Add(GetLe32(field->data + 4 + 4 * i));
    return 1;
}

}  // namespace varo
