// Appending decimal numbers to a text exactly as printf's "%d", "%Nd" and
// "%0Nd" write them (sign first, then zeros or spaces up to the width),
// without the cost of a formatted-output call per field. Used by the date
// formatter and by the field accessors that store numbers as text.
#pragma once

#include <cstdint>
#include <string>

namespace pimtime {

enum class Pad { Spaces, Zeros };

inline void AppendDecimal(std::string& out, int64_t value, int width = 0, Pad pad = Pad::Spaces) {
    char digits[24];
    int count = 0;
    uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    do {
        digits[count++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    const int signWidth = value < 0 ? 1 : 0;
    const int fill = width - count - signWidth;
    if (pad == Pad::Spaces && fill > 0) out.append(static_cast<size_t>(fill), ' ');
    if (value < 0) out += '-';
    if (pad == Pad::Zeros && fill > 0) out.append(static_cast<size_t>(fill), '0');
    while (count > 0) out += digits[--count];
}

}  // namespace pimtime
