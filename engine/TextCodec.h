// Text conversions at the engine's edges.
//
// Texts cross the engine interface as zero-terminated UTF-16; the engine keeps
// names, paths and settings as UTF-8 and tip data as the Shift-JIS (code page
// 932) bytes the kit gave. The UTF-16/UTF-8 pair is written here by hand and
// is strict: an unpaired surrogate, an overlong or truncated UTF-8 sequence or
// an encoded surrogate makes the conversion fail with *out empty. The code
// page 932 conversions go through the C library's iconv.
//
// Every function is safe to call from any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace varo {
namespace engine {

// Converts a zero-terminated UTF-16 text of at most `maxUnits` code units.
// False for a null text, a longer text or invalid UTF-16.
bool Utf16ToUtf8(const char16_t* text, size_t maxUnits, std::string* out);

bool Utf8ToUtf16(const std::string& text, std::u16string* out);

// Code page 932 through iconv; false for a text the converter refuses.
bool Utf8ToCp932(const std::string& text, std::string* out);

// True when the Shift-JIS bytes [data, data + size) contain `needle` starting
// on a character boundary. The data may hold several zero-terminated texts
// back to back; a match never spans a terminator. With foldAscii, ASCII
// letters compare without regard to case. An empty needle matches.
bool ContainsCp932(const uint8_t* data, size_t size, const std::string& needle, bool foldAscii);

}  // namespace engine
}  // namespace varo
