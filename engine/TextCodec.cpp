#include "TextCodec.h"

#include <iconv.h>

#include <cerrno>

namespace varo {
namespace engine {
namespace {

bool IsHighSurrogate(uint32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(uint32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

void AppendUtf8(uint32_t cp, std::string* out) {
    if (cp < 0x80) {
        out->push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out->push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out->push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out->push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out->push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

// Decodes one UTF-8 sequence at text[*pos], advancing *pos; false for any
// malformed, overlong or surrogate sequence.
bool DecodeUtf8(const std::string& text, size_t* pos, uint32_t* cp) {
    const unsigned char lead = static_cast<unsigned char>(text[*pos]);
    int trail;
    uint32_t value;
    uint32_t minimum;
    if (lead < 0x80) {
        *cp = lead;
        ++*pos;
        return true;
    } else if ((lead & 0xE0) == 0xC0) {
        trail = 1, value = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        trail = 2, value = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        trail = 3, value = lead & 0x07, minimum = 0x10000;
    } else {
        return false;
    }
    if (text.size() - *pos <= static_cast<size_t>(trail)) return false;
    for (int i = 1; i <= trail; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[*pos + i]);
        if ((c & 0xC0) != 0x80) return false;
        value = (value << 6) | (c & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return false;
    *cp = value;
    *pos += trail + 1;
    return true;
}

bool AsciiEqual(uint8_t a, uint8_t b, bool fold) {
    if (a == b) return true;
    if (!fold) return false;
    auto lower = [](uint8_t c) { return (c >= 'A' && c <= 'Z') ? static_cast<uint8_t>(c + 32) : c; };
    return lower(a) == lower(b);
}

bool IsLeadByte(uint8_t b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// Compares the needle at `at` within [begin, end); a fold applies only to
// single-byte characters, never to the trail byte of a double-byte one.
bool MatchesAt(const uint8_t* at, const uint8_t* end, const std::string& needle, bool fold) {
    if (static_cast<size_t>(end - at) < needle.size()) return false;
    bool trail = false;
    for (size_t i = 0; i < needle.size(); ++i) {
        const uint8_t n = static_cast<uint8_t>(needle[i]);
        if (!AsciiEqual(at[i], n, fold && !trail)) return false;
        trail = !trail && IsLeadByte(n);
    }
    return true;
}

// The length of the character at data[i] within a segment of `size` bytes:
// a lead byte counts two only when a trail byte follows it.
size_t CharLength(const uint8_t* data, size_t i, size_t size) {
    return (IsLeadByte(data[i]) && i + 1 < size && data[i + 1] != 0) ? 2 : 1;
}

bool SegmentContains(const uint8_t* segment, size_t size, const std::string& needle, bool fold) {
    for (size_t i = 0; i < size; i += CharLength(segment, i, size)) {
        if (MatchesAt(segment + i, segment + size, needle, fold)) return true;
    }
    return false;
}

}  // namespace

bool Utf16ToUtf8(const char16_t* text, size_t maxUnits, std::string* out) {
    out->clear();
    if (!text) return false;
    std::string result;
    for (size_t i = 0;; ++i) {
        if (i > maxUnits) return false;
        const uint32_t unit = text[i];
        if (unit == 0) break;
        if (IsLowSurrogate(unit)) return false;
        if (IsHighSurrogate(unit)) {
            const uint32_t low = text[i + 1];
            if (!IsLowSurrogate(low)) return false;
            AppendUtf8(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00), &result);
            ++i;
        } else {
            AppendUtf8(unit, &result);
        }
    }
    out->swap(result);
    return true;
}

bool Utf8ToUtf16(const std::string& text, std::u16string* out) {
    out->clear();
    std::u16string result;
    size_t pos = 0;
    while (pos < text.size()) {
        uint32_t cp;
        if (!DecodeUtf8(text, &pos, &cp)) return false;
        if (cp == 0) return false;
        if (cp >= 0x10000) {
            result.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
            result.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
        } else {
            result.push_back(static_cast<char16_t>(cp));
        }
    }
    out->swap(result);
    return true;
}

bool Utf8ToCp932(const std::string& text, std::string* out) {
    out->clear();
    iconv_t cd = iconv_open("CP932", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    // Each UTF-8 character of one to four bytes becomes at most two bytes.
    std::string result(text.size() * 2 + 1, '\0');
    char* in = const_cast<char*>(text.data());
    size_t inLeft = text.size();
    char* dest = &result[0];
    size_t destLeft = result.size();
    const bool ok = iconv(cd, &in, &inLeft, &dest, &destLeft) != static_cast<size_t>(-1) &&
                    iconv(cd, nullptr, nullptr, &dest, &destLeft) != static_cast<size_t>(-1);
    iconv_close(cd);
    if (!ok || inLeft != 0) return false;
    result.resize(result.size() - destLeft);
    out->swap(result);
    return true;
}

bool ContainsCp932(const uint8_t* data, size_t size, const std::string& needle, bool foldAscii) {
    if (needle.empty()) return true;
    if (!data) return false;
    size_t start = 0;
    while (start < size) {
        size_t stop = start;
        while (stop < size && data[stop] != 0) stop += CharLength(data, stop, size);
        if (SegmentContains(data + start, stop - start, needle, foldAscii)) return true;
        start = stop + 1;
    }
    return false;
}

}  // namespace engine
}  // namespace varo
