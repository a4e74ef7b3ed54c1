// Id lists as they cross to the engine: blocks of 32-bit ids, least
// significant byte first, from the global heap.
#pragma once

#include <cstdint>

#include "GlobalHeap.h"
#include "VAROObj.h"

namespace varo {

// A zero-filled block of `count` ids and a terminating 0 word; owns it.
class IdBlock {
public:
    explicit IdBlock(size_t count);
    // The block holding `tips` in order and the terminator.
    explicit IdBlock(const CSelectTips& tips);
    ~IdBlock();
    IdBlock(const IdBlock&) = delete;
    IdBlock& operator=(const IdBlock&) = delete;

    bool IsValid() const { return m_bytes != nullptr; }
    void* Bytes() const { return m_bytes; }
    // Appends the first `count` ids of the block to `ids`, stopping early at
    // a 0 id when `stopAtZero` is set.
    void AppendTo(CDWordArray& ids, size_t count, bool stopAtZero) const;

private:
    HGLOBAL m_block = nullptr;
    uint8_t* m_bytes = nullptr;
    size_t m_count = 0;
};

uint32_t ReadId(const uint8_t* p);

}  // namespace varo
