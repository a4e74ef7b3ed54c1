#include "TipRecord.h"

#include <cstdio>
#include <cstring>

#include "GlobalHeap.h"
#include "WinTime.h"

namespace {

// Constant-initialised: it exists before any static constructor of another
// file can reach it.
CTipRecord g_tipRecord;

const char kStampTag[] = "LMTM";

// A zero-filled global-heap block. The stand-in's handle and address are the
// same, so the address alone is enough to release the block later.
void* AllocateBlock(size_t bytes) {
    HGLOBAL block = GlobalAlloc(GPTR, bytes);
    return block ? GlobalLock(block) : nullptr;
}

void ReleaseBlock(void* address) {
    if (address) GlobalFree(static_cast<HGLOBAL>(address));
}

// A block of exactly `bytes` bytes to take the place of `current`: `current`
// itself when it has that size already, else a new one (null when none can
// be allocated). The caller writes every byte, so a kept block ends up
// exactly as a fresh zero-filled one would.
void* BlockOfSize(void* current, size_t bytes) {
    if (current && GlobalSize(static_cast<HGLOBAL>(current)) == bytes) return current;
    return AllocateBlock(bytes);
}

// `length` bytes of `bytes` in the block that takes the place of `current`,
// which is released once they are copied (they may lie in it). Null, with
// `current` left, when no block can be allocated.
void* BytesInBlock(void* current, const void* bytes, size_t length, size_t blockSize) {
    void* target = BlockOfSize(current, blockSize);
    if (!target) return nullptr;
    if (length > 0) std::memmove(target, bytes, length);
    if (target != current) ReleaseBlock(current);
    return target;
}

// The same for a text: `length` bytes and a terminator.
char* TextInBlock(char* current, const char* text, size_t length) {
    char* target = static_cast<char*>(BytesInBlock(current, text, length, length + 1));
    if (target) target[length] = '\0';
    return target;
}

// A new block holding `length` bytes of `text` and a terminator.
char* CopyText(const char* text, size_t length) {
    char* copy = static_cast<char*>(AllocateBlock(length + 1));
    if (copy && length > 0) std::memcpy(copy, text, length);
    return copy;
}

// Tags are 4 characters: no more is read, even when the terminator is missing.
// A null tag or label copies as the empty text.
char* CopyTag(const char* tag) { return CopyText(tag, tag ? strnlen(tag, varo::TIP_TAG_LENGTH) : 0); }

char* CopyLabel(const char* label) { return CopyText(label, label ? std::strlen(label) : 0); }

// The kind in an entry's first 2 data bytes, little-endian; 0 when the entry
// is missing or holds fewer bytes.
uint16_t KindOfEntry(const TIPFIELD* entry) {
    if (!entry || !entry->data || entry->length < 2) return 0;
    return static_cast<uint16_t>(entry->data[0] | (entry->data[1] << 8));
}

uint16_t KindOfBuffer(TIPFIELD* const* buffer) { return buffer ? KindOfEntry(buffer[0]) : 0; }

// A tag is compared on its 4 characters only, as CopyTag keeps them, so an
// unterminated tag is not read beyond them.
bool IsStampEntry(const TIPFIELD& entry) {
    return entry.tag && std::strncmp(entry.tag, kStampTag, varo::TIP_TAG_LENGTH) == 0 && entry.data &&
           entry.length == varo::TIP_STAMP_LENGTH;
}

// The current UTC time as 14 digits and a terminator.
void FormatCurrentStamp(char (&stamp)[varo::TIP_STAMP_LENGTH]) {
    SYSTEMTIME now;
    GetSystemTime(&now);
    char text[40];
    std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d%02d", now.wYear, now.wMonth, now.wDay, now.wHour,
                  now.wMinute, now.wSecond);
    std::memcpy(stamp, text, sizeof stamp - 1);
    stamp[sizeof stamp - 1] = '\0';
}

bool IsSlotIndex(int index) { return index >= 0 && index < varo::TIP_SLOT_COUNT; }

}  // namespace

CTipRecord& CTipRecord::Global() { return g_tipRecord; }

CTipRecord::~CTipRecord() {
    Clear();
    ReleaseTipBuffer();
}

void CTipRecord::Clear() {
    for (int index = 0; index < varo::TIP_SLOT_COUNT; ++index) ReleaseSlot(index);
    std::memset(m_lastModified, 0, sizeof m_lastModified);
}

BOOL CTipRecord::SetKind(uint16_t kind) {
    m_tipID = 0;
    m_tipKind = kind;
    Clear();
    varo::SchemaBlock family;
    if (!varo::KindFamilyBlock(kind, &family)) return FALSE;
    if (varo::KindHasCommonBlock(kind) && !BuildCommonFields()) return FALSE;
    if (!BuildBlock(family)) return FALSE;
    const uint8_t kindBytes[2] = {static_cast<uint8_t>(kind & 0xFF), static_cast<uint8_t>(kind >> 8)};
    return SetField(kindBytes, sizeof kindBytes, 0);
}

// The new block is made before the old one goes, so a failure loses nothing.
BOOL CTipRecord::SetField(const void* value, uint16_t length, int index) {
    if (!IsSlotIndex(index) || (!value && length > 0)) return FALSE;
    uint8_t* data = static_cast<uint8_t*>(AllocateBlock(length));
    if (!data) return FALSE;
    if (length > 0) std::memcpy(data, value, length);
    TIPFIELD& slot = m_fields[index];
    ReleaseBlock(slot.data);
    slot.data = data;
    slot.length = length;
    return TRUE;
}

BOOL CTipRecord::SetFieldType(int index, uint32_t type) {
    if (!IsSlotIndex(index)) return FALSE;
    m_fields[index].type = type;
    return TRUE;
}

const TIPFIELD* CTipRecord::GetSlot(int index) const { return IsSlotIndex(index) ? &m_fields[index] : nullptr; }

// The result is that of Clear followed by fresh copies, but a slot's blocks
// are kept where the new value has the same size, as it mostly does from one
// tip of a kind to the next, so that walking a fukuro does not allocate and
// free three blocks per field.
BOOL CTipRecord::LoadFromBuffer(TIPFIELD* const* buffer) {
    std::memset(m_lastModified, 0, sizeof m_lastModified);
    int index = 0;
    for (; buffer && index < varo::TIP_SLOT_COUNT && buffer[index]; ++index) {
        const TIPFIELD& entry = *buffer[index];
        if (!CopyEntry(index, entry)) {
            ReleaseSlotsFrom(index);
            return FALSE;
        }
        if (IsStampEntry(entry)) AdoptStamp(entry.data);
    }
    ReleaseSlotsFrom(index);
    m_tipKind = KindOfBuffer(buffer);
    return TRUE;
}

TIPFIELD** CTipRecord::BuildBuffer() {
    const int count = GetFieldCount(m_tipKind);
    ReleaseTipBuffer();
    if (count < 0) return nullptr;
    TIPFIELD** buffer = static_cast<TIPFIELD**>(AllocateBlock((count + 1) * sizeof(TIPFIELD*)));
    if (!buffer) return nullptr;
    for (int index = 0; index < count; ++index) buffer[index] = &m_fields[index];
    buffer[count] = nullptr;
    m_tipBuffer = buffer;
    return buffer;
}

BOOL CTipRecord::CheckLastModified(TIPFIELD* const* stored) {
    const int count = GetFieldCount(KindOfBuffer(stored));
    if (count < 0) return FALSE;
    const TIPFIELD* stamp = nullptr;
    for (int index = 0; index < count && stored[index] && !stamp; ++index) {
        if (IsStampEntry(*stored[index])) stamp = stored[index];
    }
    if (!stamp) return TRUE;
    const bool unchanged =
        m_lastModified[0] == '\0' || std::memcmp(m_lastModified, stamp->data, varo::TIP_STAMP_LENGTH) == 0;
    AdoptStamp(stamp->data);
    return unchanged ? TRUE : FALSE;
}

void CTipRecord::AdoptStoredStamp() {
    const int slot = FindSlot(kStampTag);
    if (slot >= 0 && IsStampEntry(m_fields[slot])) AdoptStamp(m_fields[slot].data);
}

BOOL CTipRecord::BuildBlock(varo::SchemaBlock block) {
    const int first = varo::SchemaBlockFirstSlot(block);
    const int end = first + varo::SchemaBlockSlotCount(block);
    for (int index = first; index < end; ++index) {
        if (!BuildSlot(index, *varo::SchemaBlockField(block, index))) return FALSE;
    }
    return TRUE;
}

BOOL CTipRecord::BuildSlot(int index, const varo::SchemaField& field) {
    TIPFIELD& slot = m_fields[index];
    if (!slot.tag && !(slot.tag = CopyTag(field.tag))) return FALSE;
    if (!slot.label && !(slot.label = CopyLabel(field.label))) return FALSE;
    slot.type = field.type;
    return WriteInitialValue(index, field.initial);
}

BOOL CTipRecord::WriteInitialValue(int index, varo::InitialValue value) {
    if (value == varo::InitialValue::None || value == varo::InitialValue::Kind) return TRUE;
    if (value == varo::InitialValue::CurrentTime) {
        char stamp[varo::TIP_STAMP_LENGTH];
        FormatCurrentStamp(stamp);
        return SetField(stamp, sizeof stamp, index);
    }
    uint16_t length = 0;
    const uint8_t* bytes = varo::InitialValueBytes(value, &length);
    return SetField(bytes, length, index);
}

BOOL CTipRecord::CopyEntry(int index, const TIPFIELD& entry) {
    TIPFIELD& slot = m_fields[index];
    char* tag = TextInBlock(slot.tag, entry.tag, entry.tag ? strnlen(entry.tag, varo::TIP_TAG_LENGTH) : 0);
    if (!tag) return FALSE;
    slot.tag = tag;
    char* label = TextInBlock(slot.label, entry.label, entry.label ? std::strlen(entry.label) : 0);
    if (!label) return FALSE;
    slot.label = label;
    slot.type = entry.type;
    if (entry.length == 0 || !entry.data) {
        ReleaseBlock(slot.data);
        slot.data = nullptr;
        slot.length = 0;
        return TRUE;
    }
    uint8_t* data = static_cast<uint8_t*>(BytesInBlock(slot.data, entry.data, entry.length, entry.length));
    if (!data) return FALSE;
    slot.data = data;
    slot.length = entry.length;
    return TRUE;
}

void CTipRecord::ReleaseSlot(int index) {
    TIPFIELD& slot = m_fields[index];
    if (!slot.tag && !slot.label && !slot.data) {
        slot.length = 0;
        return;
    }
    ReleaseBlock(slot.tag);
    ReleaseBlock(slot.label);
    ReleaseBlock(slot.data);
    slot.tag = nullptr;
    slot.label = nullptr;
    slot.data = nullptr;
    slot.length = 0;
}

void CTipRecord::ReleaseSlotsFrom(int first) {
    for (int index = first; index < varo::TIP_SLOT_COUNT; ++index) ReleaseSlot(index);
}

void CTipRecord::ReleaseTipBuffer() {
    ReleaseBlock(m_tipBuffer);
    m_tipBuffer = nullptr;
}

void CTipRecord::AdoptStamp(const uint8_t* stamp) { std::memcpy(m_lastModified, stamp, varo::TIP_STAMP_LENGTH); }
