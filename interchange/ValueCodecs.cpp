// Quoted-printable, base64 and text escapes.
#include "ValueCodecs.h"

namespace varo {
namespace interchange {
namespace {

const char kHexDigits[] = "0123456789ABCDEF";
const char kBase64Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
const size_t kQuotedPrintableLine = 76;
const size_t kFoldAt = 75;

// What a text value writes for each character it cannot hold as it is; an
// empty escape drops the character (the CR of a CR LF).
struct TextEscape {
    char raw;
    const char* escaped;
};

const TextEscape kTextEscapes[] = {
    {'\\', "\\\\"}, {';', "\\;"}, {',', "\\,"}, {'\n', "\\n"}, {'\r', ""},
};

const TextEscape* FindTextEscape(char c) {
    // Every escaped character sorts at or below the backslash.
    if (c > '\\') return nullptr;
    for (const TextEscape& escape : kTextEscapes) {
        if (escape.raw == c) return &escape;
    }
    return nullptr;
}

bool IsUtf8Continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

int Base64Value(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+' || c == '-') return 62;
    if (c == '/' || c == '_') return 63;
    return -1;
}

bool IsShiftJisLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

bool IsPrintableAscii(unsigned char c) { return c >= 0x21 && c <= 0x7E && c != '='; }

// A blank is written as it is only in the middle of a line: first on a line
// it would be taken for folding, last before a soft break it would be
// trimmed away. Whatever follows it (at most one encoded Shift-JIS
// character) must still fit on the line.
bool BlankStaysPlain(size_t column) {
    const size_t kWidestPiece = 6;
    return column > 0 && column + 1 + kWidestPiece <= kQuotedPrintableLine - 1;
}

}  // namespace

std::string DecodeQuotedPrintable(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '=' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string EncodeQuotedPrintable(const std::string& bytes, size_t used) {
    std::string out;
    size_t column = used;
    for (size_t i = 0; i < bytes.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        std::string piece;
        if (IsPrintableAscii(c) || (c == ' ' && BlankStaysPlain(column))) {
            piece = static_cast<char>(c);
        } else {
            piece = {'=', kHexDigits[c >> 4], kHexDigits[c & 0xF]};
            // The second byte of a Shift-JIS character is encoded with its
            // first and never split from it by a soft line break.
            if (IsShiftJisLead(c) && i + 1 < bytes.size()) {
                const unsigned char trail = static_cast<unsigned char>(bytes[++i]);
                piece += {'=', kHexDigits[trail >> 4], kHexDigits[trail & 0xF]};
            }
        }
        if (column + piece.size() > kQuotedPrintableLine - 1) {
            out += "=\r\n";
            column = 0;
        }
        out += piece;
        column += piece.size();
    }
    // A blank at the end of a line would be lost by readers that trim.
    if (!out.empty() && out.back() == ' ') out.replace(out.size() - 1, 1, "=20");
    return out;
}

bool DecodeBase64(const std::string& text, std::string* bytes) {
    bytes->clear();
    unsigned accumulator = 0;
    int bits = 0;
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
        if (c == '=') break;
        const int value = Base64Value(c);
        if (value < 0) return false;
        accumulator = (accumulator << 6) | static_cast<unsigned>(value);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            bytes->push_back(static_cast<char>((accumulator >> bits) & 0xFF));
        }
    }
    return true;
}

std::string EncodeBase64(const std::string& bytes) {
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        const unsigned n = (static_cast<unsigned char>(bytes[i]) << 16) |
                           (static_cast<unsigned char>(bytes[i + 1]) << 8) | static_cast<unsigned char>(bytes[i + 2]);
        for (int shift = 18; shift >= 0; shift -= 6) out += kBase64Alphabet[(n >> shift) & 0x3F];
    }
    const size_t rest = bytes.size() - i;
    if (rest > 0) {
        unsigned n = static_cast<unsigned char>(bytes[i]) << 16;
        if (rest == 2) n |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        out += kBase64Alphabet[(n >> 18) & 0x3F];
        out += kBase64Alphabet[(n >> 12) & 0x3F];
        out += rest == 2 ? kBase64Alphabet[(n >> 6) & 0x3F] : '=';
        out += '=';
    }
    return out;
}

std::vector<std::string> SplitEscaped(const std::string& value, char separator) {
    std::vector<std::string> parts(1);
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) {
            parts.back() += value.substr(i, 2);
            ++i;
        } else if (value[i] == separator) {
            parts.emplace_back();
        } else {
            parts.back() += value[i];
        }
    }
    return parts;
}

std::string UnescapeText(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char next = text[++i];
        out += (next == 'n' || next == 'N') ? '\n' : next;
    }
    return out;
}

std::string UnescapeSemicolons(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (!(text[i] == '\\' && i + 1 < text.size() && text[i + 1] == ';')) out += text[i];
    }
    return out;
}

std::string EscapeText(const std::string& text) {
    std::string out;
    AppendEscapedText(text, &out);
    return out;
}

void AppendEscapedText(const std::string& text, std::string* out) {
    out->reserve(out->size() + text.size() + 8);
    size_t plain = 0;  // where the run of characters kept as they are began
    for (size_t i = 0; i < text.size(); ++i) {
        const TextEscape* escape = FindTextEscape(text[i]);
        if (!escape) continue;
        out->append(text, plain, i - plain).append(escape->escaped);
        plain = i + 1;
    }
    out->append(text, plain, std::string::npos);
}

void AppendFolded(const std::string& line, std::string* out) {
    size_t start = 0;
    size_t room = kFoldAt;
    while (line.size() - start > room) {
        size_t cut = start + room;
        while (cut > start + 1 && IsUtf8Continuation(line[cut])) --cut;
        out->append(line, start, cut - start);
        out->append("\r\n ");
        start = cut;
        room = kFoldAt - 1;  // the blank that continues the line counts
    }
    out->append(line, start, std::string::npos);
}

std::string EscapeSemicolons(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == ';') out += '\\';
        out += c;
    }
    return out;
}

}  // namespace interchange
}  // namespace varo
