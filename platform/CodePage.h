// Code page 932 (Shift-JIS as the original platform defines it).
//
// Every text inside the kit is a CP932 byte string. IsDBCSLeadByte tells the
// first byte of a two-byte character; the conversions translate whole texts
// to and from UTF-16 and UTF-8 through glibc's iconv "CP932" converter.
//
// Conversions return false and leave *out empty when the input is not valid
// in its encoding (for instance the CP932 codes 0xEB40-0xECFC that glibc does
// not map, a lone lead byte, or an unpaired UTF-16 surrogate); they never
// substitute characters. They are safe to call from any thread.
#pragma once

#include <string>

#include "VarokitApi.h"
#include "WinTypes.h"

// True for the lead bytes of two-byte characters: 0x81-0x9F and 0xE0-0xFC.
inline BOOL IsDBCSLeadByte(BYTE b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

VAROKIT_API bool Cp932ToUtf16(const std::string& in, std::u16string* out);
VAROKIT_API bool Utf16ToCp932(const std::u16string& in, std::string* out);
VAROKIT_API bool Cp932ToUtf8(const std::string& in, std::string* out);
VAROKIT_API bool Utf8ToCp932(const std::string& in, std::string* out);
