// The table of registered window message names, as kept in its file.
// Internal to RegisterWindowMessage.
//
// File layout, every number 32 bits least significant first:
//   "VKWM", version 1
//   then one record per name, in the order of registration:
//     number (0xC000 for the first name, one more for each next), length
//     (1-255), the name's bytes (no zero byte)
// Parse keeps the longest sound prefix: a record that is cut off, out of
// sequence, over-long, or repeats a name ends the table, and SoundBytes()
// tells where the next record must be written, cutting the damage off. A
// file without the header is an empty table (SoundBytes() 0: the header is
// written again). Any bytes parse.
//
// Names are Shift-JIS and compare ignoring the case of ASCII letters; the
// trail byte of a two-byte character is never folded, so that for instance
// "\x83\x41" (ア) and "\x83\x61" (ヂ) stay different names.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "WinTypes.h"

class MessageTable {
public:
    static constexpr UINT kFirstNumber = 0xC000;
    static constexpr UINT kLastNumber = 0xFFFF;
    static constexpr size_t kMaxNameBytes = 255;

    static MessageTable Parse(const std::string& bytes);

    // The number of a registered name, or 0.
    UINT Find(const std::string& name) const;

    // Registers a new name (which Find does not know) and gives its number
    // and the bytes to write at SoundBytes() as it was before the call; 0
    // when the name is empty, too long or holds a zero byte, or when the
    // table is full.
    UINT Add(const std::string& name, std::string* bytesToWrite);

    size_t SoundBytes() const { return m_soundBytes; }
    size_t Count() const { return m_count; }

private:
    std::unordered_map<std::string, UINT> m_numbers;  // by folded name
    size_t m_count = 0;
    size_t m_soundBytes = 0;
};
