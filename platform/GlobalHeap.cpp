#include "GlobalHeap.h"

#include <atomic>
#include <cassert>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "GlobalHeapFaults.h"

namespace {

const uint32_t kLiveBlock = 0x4B4C4247;   // "GBLK"
const uint32_t kFreedBlock = 0x44455246;  // "FRED"

// Sits just before a block's bytes; its alignment keeps the bytes aligned
// for any type, as malloc's are.
struct alignas(std::max_align_t) Header {
    uint32_t magic;
    uint32_t locks;
    size_t size;
};

std::atomic<long> g_failCountdown{-1};

// Counts one allocation against the test seam; false when it must fail.
bool AllowAllocation() {
    long left = g_failCountdown.load();
    while (left >= 0) {
        if (g_failCountdown.compare_exchange_weak(left, left - 1)) return left > 0;
    }
    return true;
}

HGLOBAL HandleOf(Header* header) { return reinterpret_cast<HGLOBAL>(header + 1); }

// The header of a live block; null for a null handle, and null (asserting in
// debug) for anything else.
Header* LiveHeader(HGLOBAL block) {
    if (!block) return nullptr;
    Header* header = reinterpret_cast<Header*>(block) - 1;
    const bool live = header->magic == kLiveBlock;
    assert(live && "not a live global memory block");
    return live ? header : nullptr;
}

// A new zero-filled block, or null.
Header* NewBlock(size_t bytes) {
    if (bytes > SIZE_MAX - sizeof(Header) || !AllowAllocation()) return nullptr;
    Header* header = static_cast<Header*>(std::calloc(1, sizeof(Header) + bytes));
    if (!header) return nullptr;
    header->magic = kLiveBlock;
    header->size = bytes;
    return header;
}

void DeleteBlock(Header* header) {
    header->magic = kFreedBlock;
    std::free(header);
}

}  // namespace

void SetGlobalAllocFailCountdown(long successes) { g_failCountdown.store(successes < 0 ? -1 : successes); }

// Every block is fixed and zero-filled, so the flags change nothing.
HGLOBAL GlobalAlloc(UINT /*flags*/, size_t bytes) {
    Header* header = NewBlock(bytes);
    return header ? HandleOf(header) : nullptr;
}

HGLOBAL GlobalFree(HGLOBAL block) {
    if (!block) return nullptr;
    Header* header = LiveHeader(block);
    if (!header) return block;
    DeleteBlock(header);
    return nullptr;
}

LPVOID GlobalLock(HGLOBAL block) {
    Header* header = LiveHeader(block);
    if (!header) return nullptr;
    ++header->locks;
    return block;
}

BOOL GlobalUnlock(HGLOBAL block) {
    Header* header = LiveHeader(block);
    if (!header) return FALSE;
    if (header->locks > 0) --header->locks;
    return header->locks > 0;
}

size_t GlobalSize(HGLOBAL block) {
    Header* header = LiveHeader(block);
    return header ? header->size : 0;
}

// Always moves to a fresh zero-filled block rather than using realloc, so
// that the old block is marked dead before its memory is released and late
// uses of the old handle are recognised.
HGLOBAL GlobalReAlloc(HGLOBAL block, size_t bytes, UINT /*flags*/) {
    Header* old = LiveHeader(block);
    if (!old) return nullptr;
    Header* header = NewBlock(bytes);
    if (!header) return nullptr;
    std::memcpy(header + 1, old + 1, bytes < old->size ? bytes : old->size);
    header->locks = old->locks;
    DeleteBlock(old);
    return HandleOf(header);
}
