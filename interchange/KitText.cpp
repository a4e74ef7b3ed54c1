// UTF-8, Shift-JIS and the charsets vCard 2.1 files name.
#include "KitText.h"

#include <iconv.h>

#include <cerrno>
#include <cctype>

#include "CodePage.h"

namespace varo {
namespace interchange {
namespace {

// Length of the UTF-8 sequence starting at text[i], 0 when it is invalid
// (overlong forms, surrogates and values above U+10FFFF included).
size_t Utf8SequenceLength(const std::string& text, size_t i) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    size_t length = 0;
    unsigned minimum = 0;
    unsigned cp = 0;
    if (lead < 0x80) return 1;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, minimum = 0x80, cp = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, minimum = 0x800, cp = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, minimum = 0x10000, cp = lead & 0x07;
    } else {
        return 0;
    }
    if (i + length > text.size()) return 0;
    for (size_t k = 1; k < length; ++k) {
        const unsigned char next = static_cast<unsigned char>(text[i + k]);
        if ((next & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (next & 0x3F);
    }
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return length;
}

// ASCII is the same in UTF-8 and in code page 932, and most fields are
// ASCII: they need no converter.
bool IsAscii(const std::string& text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

// Finds the first character that fails on its own, for the report.
void FindBadCharacter(const std::string& utf8, BadCharacter* bad) {
    size_t i = 0;
    while (i < utf8.size()) {
        const size_t length = Utf8SequenceLength(utf8, i);
        std::string one;
        if (length == 0 || !Utf8ToCp932(utf8.substr(i, length), &one)) {
            bad->character = length == 0 ? std::string("\xEF\xBF\xBD") : utf8.substr(i, length);
            bad->offset = i;
            return;
        }
        i += length;
    }
}

std::string Upper(const std::string& text) {
    std::string out = text;
    for (char& c : out) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    return out;
}

bool IconvToUtf8(const std::string& bytes, const std::string& charset, std::string* utf8) {
    iconv_t cd = iconv_open("UTF-8", charset.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    std::string out(bytes.size() * 4 + 16, '\0');
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    char* write = &out[0];
    size_t outLeft = out.size();
    const bool ok = iconv(cd, &in, &inLeft, &write, &outLeft) != static_cast<size_t>(-1) && inLeft == 0;
    iconv_close(cd);
    if (!ok) return false;
    out.resize(out.size() - outLeft);
    *utf8 = std::move(out);
    return true;
}

// The names under which files declare Shift-JIS.
bool IsShiftJisName(const std::string& charset) {
    const std::string name = Upper(charset);
    return name == "SHIFT_JIS" || name == "SHIFT-JIS" || name == "SJIS" || name == "X-SJIS" || name == "CP932" ||
           name == "WINDOWS-31J" || name == "MS_KANJI";
}

}  // namespace

bool IsValidUtf8(const std::string& bytes) {
    size_t i = 0;
    while (i < bytes.size()) {
        const size_t length = Utf8SequenceLength(bytes, i);
        if (length == 0) return false;
        i += length;
    }
    return true;
}

bool ToShiftJis(const std::string& utf8, std::string* sjis, BadCharacter* bad) {
    if (IsValidUtf8(utf8) && Utf8ToCp932(utf8, sjis)) return true;
    FindBadCharacter(utf8, bad);
    return false;
}

bool ToKitText(const std::string& utf8, std::string* sjis, BadCharacter* bad) {
    if (IsAscii(utf8)) {
        *sjis = WithCrLf(utf8);
        return true;
    }
    if (IsValidUtf8(utf8) && Utf8ToCp932(WithCrLf(utf8), sjis)) return true;
    FindBadCharacter(utf8, bad);
    sjis->clear();
    return false;
}

bool FromKitText(const std::string& sjis, std::string* utf8) {
    std::string converted;
    if (IsAscii(sjis)) {
        *utf8 = WithLineFeeds(sjis);
        return true;
    }
    if (Cp932ToUtf8(sjis, &converted)) {
        *utf8 = WithLineFeeds(converted);
        return true;
    }
    converted.clear();
    size_t i = 0;
    while (i < sjis.size()) {
        const bool pair = IsDBCSLeadByte(static_cast<BYTE>(sjis[i])) && i + 1 < sjis.size();
        std::string one;
        converted += Cp932ToUtf8(sjis.substr(i, pair ? 2 : 1), &one) ? one : std::string("\xEF\xBF\xBD");
        i += pair ? 2 : 1;
    }
    *utf8 = WithLineFeeds(converted);
    return false;
}

bool DecodeCharset(const std::string& bytes, const std::string& charset, std::string* utf8) {
    const std::string name = Upper(charset);
    if (name == "UTF-8" || name == "US-ASCII" || name.empty()) {
        if (!IsValidUtf8(bytes)) return false;
        *utf8 = bytes;
        return true;
    }
    if (IsShiftJisName(name)) return Cp932ToUtf8(bytes, utf8);
    return IconvToUtf8(bytes, name, utf8);
}

std::string WithCrLf(const std::string& text) {
    std::string out;
    out.reserve(text.size() + 8);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
        out += text[i];
    }
    return out;
}

std::string WithLineFeeds(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        out += text[i];
    }
    return out;
}

}  // namespace interchange
}  // namespace varo
