// Texts between interchange files and the kit.
//
// Files carry UTF-8 (or the charset they name) with LF or CR LF line
// breaks; the kit holds Shift-JIS (code page 932) with CR LF. A character
// that Shift-JIS cannot hold is never dropped or replaced on the way in:
// the conversion fails and names the character and its byte offset.
// Pure functions, safe from any thread.
#pragma once

#include <cstddef>
#include <string>

namespace varo {
namespace interchange {

// The first character a conversion could not carry.
struct BadCharacter {
    std::string character;  // as UTF-8
    size_t offset = 0;      // byte offset in the UTF-8 text
};

// UTF-8 to the kit's Shift-JIS, LF written CR LF. False (and *bad filled)
// when the text is not UTF-8 or holds a character Shift-JIS lacks.
bool ToKitText(const std::string& utf8, std::string* sjis, BadCharacter* bad);

// The kit's Shift-JIS to UTF-8 with LF line breaks. A byte sequence that is
// not code page 932 becomes U+FFFD and the result is false.
bool FromKitText(const std::string& sjis, std::string* utf8);

bool IsValidUtf8(const std::string& bytes);

// The kit's CR LF line breaks and the LF ones of files and terminals: a
// lone LF becomes CR LF, and a CR LF becomes LF.
std::string WithCrLf(const std::string& text);
std::string WithLineFeeds(const std::string& text);

// Bytes in a named charset (as vCard 2.1 CHARSET names it) to UTF-8; false
// for an unknown charset or bytes that are not valid in it.
bool DecodeCharset(const std::string& bytes, const std::string& charset, std::string* utf8);

// UTF-8 to Shift-JIS without touching line breaks (for files written in
// Shift-JIS); false with *bad as ToKitText.
bool ToShiftJis(const std::string& utf8, std::string* sjis, BadCharacter* bad);

}  // namespace interchange
}  // namespace varo
