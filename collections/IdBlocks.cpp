#include "IdBlocks.h"

namespace varo {

uint32_t ReadId(const uint8_t* p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

IdBlock::IdBlock(size_t count) : m_count(count) {
    if (count > (SIZE_MAX - 4) / 4) return;
    m_block = GlobalAlloc(GHND, count * 4 + 4);
    if (m_block) m_bytes = static_cast<uint8_t*>(GlobalLock(m_block));
}

IdBlock::IdBlock(const CSelectTips& tips) : IdBlock(static_cast<size_t>(tips.GetSize())) {
    if (!m_bytes) return;
    for (size_t i = 0; i < m_count; ++i) {
        const DWORD id = tips.GetAt(static_cast<int>(i));
        for (int b = 0; b < 4; ++b) m_bytes[4 * i + b] = static_cast<uint8_t>(id >> (8 * b));
    }
}

IdBlock::~IdBlock() {
    if (m_block) GlobalFree(m_block);
}

void IdBlock::AppendTo(CDWordArray& ids, size_t count, bool stopAtZero) const {
    for (size_t i = 0; m_bytes && i < count && i < m_count; ++i) {
        const uint32_t id = ReadId(m_bytes + 4 * i);
        if (stopAtZero && id == 0) return;
        ids.Add(id);
    }
}

}  // namespace varo
