// The device character set of stored texts: two-byte codes that share the
// byte space of Shift-JIS (enclosed digits and letters, small kana and the
// like) and that the kit turns into ordinary code page 932 text before
// handing a stored text out.
//
// Pure functions over constant data; safe from any thread. Every walk stays
// within the bytes it is given.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace varo {

// The replacement of one two-byte code (high byte first), or null when the
// code is copied unchanged.
const char* DeviceCodeReplacement(uint16_t code);

// Appends the character at data[i] to `out`, converted, and returns the
// bytes it took (1 or 2); 0 for a lead byte that ends the data, which forms
// no character and is dropped. A lead byte followed by NUL gives one NUL.
size_t AppendDeviceChar(const uint8_t* data, size_t length, size_t i, std::string& out);

// Ends a converted text with a NUL unless it already ends with one.
void TerminateText(std::string& text);

// Converts `length` bytes of stored text: a byte that is not a lead byte is
// copied, a lead byte followed by NUL gives one NUL, any other pair is
// replaced by its device-code replacement or copied. A lead byte that is the
// last byte has no character to form and is dropped. The result always ends
// with a NUL, which it includes.
std::string ConvertDeviceText(const uint8_t* data, size_t length);

// A stored text made fit for one line of a list, as CVAROObj::CutCRLF gives
// it (CutCRLF.cpp), ending with a NUL that it includes.
std::string ListLineText(const uint8_t* data, size_t length);

}  // namespace varo
