// Handing a built text out as a new global-heap block of exactly its bytes,
// as the conversion members of the kit object do. The caller frees it.
#pragma once

#include <cstring>
#include <string>

#include "GlobalHeap.h"

namespace varo {

// Null when the block cannot be had or the text is too long for the 16-bit
// length written to *outLength.
inline char* NewHeapText(const std::string& text, unsigned short* outLength) {
    if (text.size() > 0xFFFF) return nullptr;
    HGLOBAL block = GlobalAlloc(GHND, text.size());
    if (!block) return nullptr;
    char* bytes = static_cast<char*>(GlobalLock(block));
    std::memcpy(bytes, text.data(), text.size());
    if (outLength) *outLength = static_cast<unsigned short>(text.size());
    return bytes;
}

}  // namespace varo
