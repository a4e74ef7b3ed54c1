// CVAROObj: the binary field accessors, one row each.
//
// The bytes are stored as given, without header or terminator. A getter
// hands out a copy that the kit object owns: it replaces the copy the same
// getter handed out before and stays valid until the next successful call
// of that getter, the next SetTipFlag or the kit object's destruction. A
// field without data, without bytes or holding one zero byte (a new tip's
// binary fields) reads as empty.
#include <cstring>

#include "FieldTable.h"
#include "TipRecord.h"
#include "VAROObj.h"

using namespace varo;

namespace {

constexpr FieldRule BinaryRule(uint32_t type, KindSlot where, bool setterIgnoresReadOnly = false) {
    return {type, Encoding::Text, table::kNoForm, table::kAny, table::kNone, Preset::Zero, kNoAnyKindSlot,
            setterIgnoresReadOnly, {where}};
}

const FieldRule kPortrait = BinaryRule(FIELDTYPE_BLOCK, table::Group(table::kCards, 33));
const FieldRule kPreference = BinaryRule(FIELDTYPE_PRINT_FORMAT, table::Group(table::kMemos, 7));
const FieldRule kImage = BinaryRule(FIELDTYPE_BLOCK, table::Group(table::kMemos, 8));
const FieldRule kInk = BinaryRule(FIELDTYPE_BLOCK, table::Group(table::kMemos, 9));
const FieldRule kBitmap = BinaryRule(FIELDTYPE_BLOCK, table::Group(table::kMemos, 10));
// Preference data is written while the database is read-only too.
const FieldRule kData = BinaryRule(FIELDTYPE_PREFERENCE_DATA, table::Group(table::kPrefs, 2), true);

// Blocks of more than 65535 bytes do not fit the field's length and are
// refused by StoreField, the old bytes staying.
int SetBinary(const FieldRule& rule, bool readOnly, const void* data, unsigned short length) {
    if (!data && length != 0) return 0;
    return StoreField(rule, readOnly, data, length);
}

bool IsEmptyBlock(const TIPFIELD& field) { return field.length == 1 && field.data[0] == 0; }

// The new copy is made before the old one goes, so that it never takes
// the old one's address: a caller that compares addresses sees a new block.
// The old copy goes even when the new one cannot be had.
int GetBinary(const FieldRule& rule, bool readOnly, HGLOBAL& copy, void** data, unsigned short* length) {
    if (!data || !length) return 0;
    *data = nullptr;
    *length = 0;
    const int slot = GetterSlot(rule, CTipRecord::Global().GetKind(), readOnly);
    const TIPFIELD* field = slot < 0 ? nullptr : SlotWithData(slot);
    if (!field) return 0;
    *length = field->length;
    if (IsEmptyBlock(*field)) return 0;
    HGLOBAL fresh = GlobalAlloc(GHND, field->length);
    if (copy) GlobalFree(copy);
    copy = fresh;
    if (!fresh) return 0;
    void* bytes = GlobalLock(fresh);
    std::memcpy(bytes, field->data, field->length);
    *data = bytes;
    return 1;
}

}  // namespace

int CVAROObj::SetPortrait(void* data, unsigned short length) { return SetBinary(kPortrait, m_readOnly, data, length); }
int CVAROObj::GetPortrait(void** data, unsigned short* length) {
    return GetBinary(kPortrait, m_readOnly, m_portraitCopy, data, length);
}
int CVAROObj::SetPreference(void* data, unsigned short length) {
    return SetBinary(kPreference, m_readOnly, data, length);
}
int CVAROObj::GetPreference(void** data, unsigned short* length) {
    return GetBinary(kPreference, m_readOnly, m_preferenceCopy, data, length);
}
int CVAROObj::SetImageData(void* data, unsigned short length) { return SetBinary(kImage, m_readOnly, data, length); }
int CVAROObj::GetImageData(void** data, unsigned short* length) {
    return GetBinary(kImage, m_readOnly, m_imageCopy, data, length);
}
int CVAROObj::SetInkData(void* data, unsigned short length) { return SetBinary(kInk, m_readOnly, data, length); }
int CVAROObj::GetInkData(void** data, unsigned short* length) {
    return GetBinary(kInk, m_readOnly, m_inkCopy, data, length);
}
int CVAROObj::SetBitmapData(void* data, unsigned short length) { return SetBinary(kBitmap, m_readOnly, data, length); }
int CVAROObj::GetBitmapData(void** data, unsigned short* length) {
    return GetBinary(kBitmap, m_readOnly, m_bitmapCopy, data, length);
}
int CVAROObj::SetData(void* data, unsigned short length) { return SetBinary(kData, m_readOnly, data, length); }
int CVAROObj::GetData(void** data, unsigned short* length) {
    return GetBinary(kData, m_readOnly, m_dataCopy, data, length);
}
