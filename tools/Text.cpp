// Shift-JIS to UTF-8 for output, UTF-8 to Shift-JIS for input, and the
// column width of what is printed.
#include "Text.h"

#include <cstdio>

#include "CodePage.h"
#include "KitText.h"

namespace varo {
namespace tool {
namespace {

std::string EscapedBytes(const std::string& bytes) {
    std::string out;
    char hex[5];
    for (unsigned char b : bytes) {
        snprintf(hex, sizeof hex, "\\x%02X", b);
        out += hex;
    }
    return out;
}

// Converts one character at a time, so that one bad character costs only
// itself. A lead byte at the very end stands alone.
std::string ToUtf8ByCharacter(const std::string& sjis) {
    std::string out;
    size_t i = 0;
    while (i < sjis.size()) {
        const bool pair = IsDBCSLeadByte(static_cast<BYTE>(sjis[i])) && i + 1 < sjis.size();
        const std::string one = sjis.substr(i, pair ? 2 : 1);
        std::string converted;
        out += Cp932ToUtf8(one, &converted) ? converted : EscapedBytes(one);
        i += one.size();
    }
    return out;
}

// The code point of the UTF-8 sequence at text[*i], advancing *i; invalid
// bytes count as one narrow character each.
unsigned NextCodePoint(const std::string& text, size_t* i) {
    const unsigned char lead = static_cast<unsigned char>(text[*i]);
    int length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
    if (length == 0 || *i + length > text.size()) {
        ++*i;
        return '?';
    }
    unsigned cp = length == 1 ? lead : lead & (0x7F >> length);
    for (int k = 1; k < length; ++k) cp = (cp << 6) | (static_cast<unsigned char>(text[*i + k]) & 0x3F);
    *i += length;
    return cp;
}

bool IsWide(unsigned cp) {
    return (cp >= 0x1100 && cp <= 0x115F) || (cp >= 0x2E80 && cp <= 0xA4CF) || (cp >= 0xAC00 && cp <= 0xD7A3) ||
           (cp >= 0xF900 && cp <= 0xFAFF) || (cp >= 0xFE30 && cp <= 0xFE4F) || (cp >= 0xFF00 && cp <= 0xFF60) ||
           (cp >= 0xFFE0 && cp <= 0xFFE6) || (cp >= 0x20000 && cp <= 0x3FFFD);
}

}  // namespace

std::string ToUtf8(const std::string& sjis) {
    std::string out;
    if (!Cp932ToUtf8(sjis, &out)) out = ToUtf8ByCharacter(sjis);
    return interchange::WithLineFeeds(out);
}

std::string ToUtf8(const CString& sjis) { return ToUtf8(sjis.Bytes()); }

std::string ToUtf8(const char* sjis) { return ToUtf8(std::string(sjis != nullptr ? sjis : "")); }

bool FromUtf8(const std::string& utf8, CString* out) {
    std::string sjis;
    if (!Utf8ToCp932(interchange::WithCrLf(utf8), &sjis)) {
        *out = CString();
        return false;
    }
    *out = CString(std::move(sjis));
    return true;
}

int DisplayWidth(const std::string& utf8) {
    int width = 0;
    size_t i = 0;
    while (i < utf8.size()) width += IsWide(NextCodePoint(utf8, &i)) ? 2 : 1;
    return width;
}

std::string PadRight(const std::string& utf8, int width) {
    const int used = DisplayWidth(utf8);
    return used >= width ? utf8 : utf8 + std::string(static_cast<size_t>(width - used), ' ');
}

}  // namespace tool
}  // namespace varo
