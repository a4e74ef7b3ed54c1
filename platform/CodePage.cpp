#include "CodePage.h"

#include <iconv.h>

#include <cerrno>

namespace {

const char kCp932[] = "CP932";
const char kUtf8[] = "UTF-8";
// char16_t texts are handed to iconv as they lie in memory.
const char* const kUtf16 = (__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__) ? "UTF-16LE" : "UTF-16BE";

// Owns one iconv descriptor for the length of a conversion, so that every
// call has its own state and conversions on other threads never share it.
class Converter {
public:
    Converter(const char* from, const char* to) : m_cd(iconv_open(to, from)) {}
    ~Converter() {
        if (IsOpen()) iconv_close(m_cd);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool IsOpen() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    // Converts as much of [*in, *in + *inLeft) as fits into [*out, *out +
    // *outLeft), advancing the four values. Returns 0 when all input is
    // consumed, else errno: E2BIG for a full output, EILSEQ for an invalid or
    // unmappable character, EINVAL for a character cut off at the end.
    int Step(const char** in, size_t* inLeft, char** out, size_t* outLeft) {
        char** input = const_cast<char**>(in);
        return iconv(m_cd, input, inLeft, out, outLeft) == static_cast<size_t>(-1) ? errno : 0;
    }

    // Writes any closing sequence; nothing for the encodings used here.
    int Finish(char** out, size_t* outLeft) {
        return iconv(m_cd, nullptr, nullptr, out, outLeft) == static_cast<size_t>(-1) ? errno : 0;
    }

private:
    iconv_t m_cd;
};

// Grows `out` (counted in its own units) so that it holds at least `bytes`
// more bytes after the `usedBytes` already written.
template <class Text>
char* MakeRoom(Text* out, size_t usedBytes, size_t bytes) {
    const size_t unit = sizeof(typename Text::value_type);
    out->resize((usedBytes + bytes + unit - 1) / unit);
    return reinterpret_cast<char*>(&(*out)[0]) + usedBytes;
}

// The one conversion routine behind the four public functions: recodes the
// bytes `in` from encoding `from` to encoding `to` into *out. On any failure
// *out is left empty and the result is false.
template <class Text>
bool Recode(const char* from, const char* to, const void* in, size_t inBytes, Text* out) {
    if (!out) return false;
    out->clear();
    Converter converter(from, to);
    if (!converter.IsOpen()) return false;

    const char* next = static_cast<const char*>(in);
    size_t inLeft = inBytes;
    size_t used = 0;
    size_t room = inBytes * 2 + 16;
    for (;;) {
        char* write = MakeRoom(out, used, room);
        size_t outLeft = room;
        int error = converter.Step(&next, &inLeft, &write, &outLeft);
        if (error == 0) error = converter.Finish(&write, &outLeft);
        used += room - outLeft;
        if (error == 0) break;
        if (error != E2BIG) {
            out->clear();
            return false;
        }
        room *= 2;
    }
    out->resize(used / sizeof(typename Text::value_type));
    return true;
}

}  // namespace

bool Cp932ToUtf16(const std::string& in, std::u16string* out) {
    return Recode(kCp932, kUtf16, in.data(), in.size(), out);
}

bool Utf16ToCp932(const std::u16string& in, std::string* out) {
    return Recode(kUtf16, kCp932, in.data(), in.size() * sizeof(char16_t), out);
}

bool Cp932ToUtf8(const std::string& in, std::string* out) {
    return Recode(kCp932, kUtf8, in.data(), in.size(), out);
}

bool Utf8ToCp932(const std::string& in, std::string* out) {
    return Recode(kUtf8, kCp932, in.data(), in.size(), out);
}
