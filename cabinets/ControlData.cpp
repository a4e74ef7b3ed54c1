#include "ControlData.h"

#include <cstring>

namespace varo {
namespace {

const uint32_t kControlFieldType = 10;
const size_t kTagLength = 4;
enum ControlField { kCount, kPosition, kFukuroIds, kOrder };

uint32_t Le32(const uint8_t* p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

void PutLe32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

uint8_t* NewTable(int n) {
    HGLOBAL block = GlobalAlloc(GHND, static_cast<size_t>(n) * 4);
    return block ? static_cast<uint8_t*>(GlobalLock(block)) : nullptr;
}

void FreeTable(uint8_t*& table) {
    if (table) GlobalFree(reinterpret_cast<HGLOBAL>(table));
    table = nullptr;
}

// The entry at `index` when the buffer reaches that far and carries `tag`.
// Tags are compared on their 4 characters only, as the tip record keeps
// them, so that a tag without its terminator is not read beyond them.
const TIPFIELD* TaggedEntry(TIPFIELD* const* buffer, int index, const char* tag) {
    for (int i = 0; i < index; ++i) {
        if (!buffer[i]) return nullptr;
    }
    const TIPFIELD* entry = buffer[index];
    if (!entry || !entry->tag) return nullptr;
    return std::strncmp(entry->tag, tag, kTagLength) == 0 ? entry : nullptr;
}

int32_t NumberOf(const TIPFIELD* entry) {
    return entry && entry->data && entry->length >= 4 ? static_cast<int32_t>(Le32(entry->data)) : -1;
}

// A table of n entries from the entry's data, zeros where the data ends. A
// field without data gives a table of zeros; its null address is never
// handed to memcpy, not even for no bytes.
uint8_t* TableOf(const TIPFIELD* entry, int n) {
    if (!entry) return nullptr;
    uint8_t* table = NewTable(n);
    if (!table) return nullptr;
    const size_t room = static_cast<size_t>(n) * 4;
    const size_t available = entry->data ? entry->length / 4 * 4 : 0;
    if (available > 0) std::memcpy(table, entry->data, available < room ? available : room);
    return table;
}

}  // namespace

ControlData& ControlData::Global() {
    static ControlData record;
    return record;
}

ControlData::~ControlData() {
    FreeTable(m_fukuroIds);
    FreeTable(m_order);
}

bool ControlData::Read(TIPFIELD* const* buffer, int n) {
    FreeTable(m_fukuroIds);
    FreeTable(m_order);
    m_size = 0;
    if (!buffer) return false;
    count = NumberOf(TaggedEntry(buffer, kCount, m_tags[kCount]));
    displayPosition = NumberOf(TaggedEntry(buffer, kPosition, m_tags[kPosition]));
    m_fukuroIds = TableOf(TaggedEntry(buffer, kFukuroIds, m_tags[kFukuroIds]), n);
    m_order = TableOf(TaggedEntry(buffer, kOrder, m_tags[kOrder]), n);
    if (m_fukuroIds || m_order) m_size = n;
    return true;
}

bool ControlData::MakeEmpty(int n) {
    FreeTable(m_fukuroIds);
    FreeTable(m_order);
    m_size = 0;
    m_fukuroIds = NewTable(n);
    m_order = NewTable(n);
    if (!m_fukuroIds || !m_order) return false;
    m_size = n;
    for (int i = 0; i < n; ++i) SetOrder(i, -1);
    count = 0;
    displayPosition = 0;
    return true;
}

bool ControlData::Resize(int n) {
    uint8_t* ids = NewTable(n);
    uint8_t* order = NewTable(n);
    if (!ids || !order) {
        FreeTable(ids);
        FreeTable(order);
        return false;
    }
    const int kept = m_size < n ? m_size : n;
    if (m_fukuroIds) std::memcpy(ids, m_fukuroIds, static_cast<size_t>(kept) * 4);
    if (m_order) std::memcpy(order, m_order, static_cast<size_t>(kept) * 4);
    FreeTable(m_fukuroIds);
    FreeTable(m_order);
    m_fukuroIds = ids;
    m_order = order;
    m_size = n;
    return true;
}

TIPFIELD** ControlData::Buffer(int n) {
    if ((m_size != n || !HasTables()) && !Resize(n)) return nullptr;
    PutLe32(m_countBytes, static_cast<uint32_t>(count));
    PutLe32(m_positionBytes, static_cast<uint32_t>(displayPosition));
    uint8_t* data[4] = {m_countBytes, m_positionBytes, m_fukuroIds, m_order};
    const uint16_t lengths[4] = {4, 4, static_cast<uint16_t>(n * 4), static_cast<uint16_t>(n * 4)};
    for (int i = 0; i < 4; ++i) {
        m_fields[i] = TIPFIELD{m_tags[i], m_noLabel, kControlFieldType, data[i], lengths[i]};
        m_buffer[i] = &m_fields[i];
    }
    m_buffer[4] = nullptr;
    return m_buffer;
}

int32_t ControlData::FukuroId(int slot) const {
    return m_fukuroIds && slot >= 0 && slot < m_size ? static_cast<int32_t>(Le32(m_fukuroIds + 4 * slot)) : 0;
}

int32_t ControlData::Order(int index) const {
    return m_order && index >= 0 && index < m_size ? static_cast<int32_t>(Le32(m_order + 4 * index)) : -1;
}

void ControlData::SetFukuroId(int slot, int32_t id) {
    if (m_fukuroIds && slot >= 0 && slot < m_size) PutLe32(m_fukuroIds + 4 * slot, static_cast<uint32_t>(id));
}

void ControlData::SetOrder(int index, int32_t slot) {
    if (m_order && index >= 0 && index < m_size) PutLe32(m_order + 4 * index, static_cast<uint32_t>(slot));
}

}  // namespace varo
