// Cards to vCard text, version by version.
#include "VCardWriter.h"

#include <cctype>
#include <cstdio>

#include "KitText.h"
#include "ValueCodecs.h"

namespace varo {
namespace interchange {
namespace {

const size_t kLine21 = 76;

bool IsAscii(const std::string& text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

std::string LowerAscii(const std::string& text) {
    std::string out = text;
    for (char& c : out) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return out;
}

const char* PhotoType(const std::string& bytes) {
    if (bytes.compare(0, 3, "\xFF\xD8\xFF") == 0) return "JPEG";
    if (bytes.compare(0, 4, "\x89PNG") == 0) return "PNG";
    if (bytes.compare(0, 3, "GIF") == 0) return "GIF";
    if (bytes.compare(0, 2, "BM") == 0) return "BMP";
    return nullptr;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t end = text.find('\n', start);
        const std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!line.empty()) lines.push_back(line);
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return lines;
}

// Whether a text can stand in a quoted parameter value (SORT-AS): no
// control characters, no quote, no comma (which separates its parts).
bool FitsQuotedParameter(const std::string& text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F || c == '"' || c == ',') return false;
    }
    return true;
}

}  // namespace

void SplitAtBlank(const std::string& text, std::string* family, std::string* given) {
    const size_t blank = text.find(' ');
    *family = text.substr(0, blank);
    *given = blank == std::string::npos ? std::string() : text.substr(blank + 1);
}

std::string VCardWriter::TypeParameters(const char* types) const {
    if (*types == '\0') return std::string();
    std::string list = types;
    if (m_version == VCardVersion::k21) {
        std::string out;
        for (char c : list) out += c == ',' ? ';' : c;
        return ";" + out;
    }
    if (m_version == VCardVersion::k40) {
        // vCard 4.0 has no INTERNET type: every address is one.
        std::string kept;
        for (const std::string& type : SplitEscaped(list, ',')) {
            if (type != "INTERNET") kept += (kept.empty() ? "" : ",") + LowerAscii(type);
        }
        list = kept;
    }
    return list.empty() ? std::string() : ";TYPE=" + list;
}

void VCardWriter::WriteLine(const std::string& head, const std::string& value) {
    std::string line;
    if (m_version == VCardVersion::k21) {
        line = head + ":" + value;
    } else {
        AppendFolded(head + ":" + value, &line);
    }
    m_out << line << "\r\n";
}

void VCardWriter::WriteText(const char* name, const char* types, const std::string& text) {
    WriteStructured(name, types, {text});
}

void VCardWriter::WriteStructured(const char* name, const char* types, const std::vector<std::string>& parts,
                                  const std::string& extraParameters) {
    std::string head = std::string(name) + TypeParameters(types) + extraParameters;
    std::string value;
    if (m_version != VCardVersion::k21) {
        for (size_t i = 0; i < parts.size(); ++i) value += (i ? ";" : "") + EscapeText(parts[i]);
        WriteLine(head, value);
        return;
    }
    for (size_t i = 0; i < parts.size(); ++i) value += (i ? ";" : "") + EscapeSemicolons(parts[i]);
    // Plain ASCII that fits a line goes as it is; anything else is
    // quoted-printable, which 2.1 readers break into lines of 76.
    if (IsAscii(value) && value.find('\n') == std::string::npos && head.size() + 1 + value.size() <= kLine21) {
        WriteLine(head, value);
        return;
    }
    std::string sjis;
    BadCharacter bad;
    std::string withCrLf;
    for (char c : value) withCrLf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    if (ToShiftJis(withCrLf, &sjis, &bad)) {
        head += IsAscii(value) ? ";ENCODING=QUOTED-PRINTABLE" : ";CHARSET=SHIFT_JIS;ENCODING=QUOTED-PRINTABLE";
    } else {
        sjis = withCrLf;
        head += ";CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE";
    }
    WriteLine(head, EncodeQuotedPrintable(sjis, head.size() + 1));
}

void VCardWriter::WritePhoto(const std::string& bytes) {
    const char* type = PhotoType(bytes);
    const std::string base64 = EncodeBase64(bytes);
    switch (m_version) {
        case VCardVersion::k21: {
            // 2.1 base64 runs on indented lines and ends with an empty line.
            m_out << "PHOTO;ENCODING=BASE64" << (type ? std::string(";TYPE=") + type : "") << ":\r\n";
            for (size_t i = 0; i < base64.size(); i += 72) m_out << " " << base64.substr(i, 72) << "\r\n";
            m_out << "\r\n";
            break;
        }
        case VCardVersion::k30:
            WriteLine(std::string("PHOTO;ENCODING=b") + (type ? std::string(";TYPE=") + type : ""), base64);
            break;
        case VCardVersion::k40: {
            const std::string media = type ? "image/" + LowerAscii(type) : "application/octet-stream";
            WriteLine("PHOTO", "data:" + media + ";base64," + base64);
            break;
        }
    }
}

void VCardWriter::WriteRule(const VCardRule& rule, const Card& card) {
    const std::string& value = rule.field == kCardFieldCount ? card.uid : card[rule.field];
    std::string family, given;
    switch (rule.shape) {
        case ValueShape::kText:
            if (!value.empty()) WriteText(rule.property, rule.writtenTypes, value);
            break;
        case ValueShape::kLines:
            for (const std::string& line : Lines(value)) {
                WriteStructured(rule.property, rule.writtenTypes, {line},
                                m_version == VCardVersion::k40 && std::string(rule.property) == "TEL" ? ";VALUE=text"
                                                                                                      : "");
            }
            break;
        case ValueShape::kFormattedName:
            // FN is required from 3.0 on; a card of a company alone shows it.
            if (!value.empty() || m_version != VCardVersion::k21) {
                WriteText(rule.property, "", value.empty() ? card[kCardOffice] : value);
            }
            break;
        case ValueShape::kName: {
            SplitAtBlank(value, &family, &given);
            std::string sortAs;
            if (m_version == VCardVersion::k40 && !card[kCardNameReading].empty() &&
                FitsQuotedParameter(card[kCardNameReading])) {
                std::string last, first;
                SplitAtBlank(card[kCardNameReading], &last, &first);
                sortAs = ";SORT-AS=\"" + last + (first.empty() ? "" : "," + first) + "\"";
            }
            WriteStructured(rule.property, "", {family, given, "", "", ""}, sortAs);
            break;
        }
        case ValueShape::kReadingLast:
        case ValueShape::kReadingFirst:
            // 4.0 carries the reading in N's SORT-AS when it can.
            if (m_version == VCardVersion::k40 && FitsQuotedParameter(value)) break;
            SplitAtBlank(value, &family, &given);
            if (!(rule.shape == ValueShape::kReadingLast ? family : given).empty()) {
                WriteText(rule.property, "", rule.shape == ValueShape::kReadingLast ? family : given);
            }
            break;
        case ValueShape::kIrmcReading:
            SplitAtBlank(value, &family, &given);
            if (!value.empty()) WriteStructured(rule.property, rule.writtenTypes, {family, given, "", "", ""});
            break;
        case ValueShape::kOrganization:
            if (!value.empty() || !card[rule.second].empty()) {
                WriteStructured(rule.property, "", card[rule.second].empty()
                                                       ? std::vector<std::string>{value}
                                                       : std::vector<std::string>{value, card[rule.second]});
            }
            break;
        case ValueShape::kAddress:
            if (!value.empty() || !card[rule.second].empty()) {
                WriteStructured(rule.property, rule.writtenTypes, {"", "", value, "", "", card[rule.second], ""});
            }
            break;
        case ValueShape::kBirthday:
            if (value.size() == 8 && value.find_first_not_of("0123456789") == std::string::npos) {
                WriteText(rule.property, "", m_version == VCardVersion::k40
                                                 ? value
                                                 : value.substr(0, 4) + "-" + value.substr(4, 2) + "-" + value.substr(6));
            } else if (!value.empty()) {
                WriteText("X-VARO-BIRTHDAY", "", value);
            }
            break;
        case ValueShape::kPhoto:
            if (!value.empty()) WritePhoto(value);
            break;
        case ValueShape::kCategories:
            if (!card.categories.empty()) {
                std::string list;
                for (const std::string& name : card.categories) {
                    list += (list.empty() ? "" : ",") + (m_version == VCardVersion::k21 ? name : EscapeText(name));
                }
                // 2.1 has no escapes: its one rule for plain or
                // quoted-printable values decides here too.
                if (m_version == VCardVersion::k21) {
                    WriteStructured(rule.property, "", {list});
                } else {
                    WriteLine(rule.property, list);
                }
            }
            break;
        case ValueShape::kSecret:
            if (value == "1") WriteText(rule.property, "", "PRIVATE");
            break;
        case ValueShape::kKind: {
            char text[16];
            snprintf(text, sizeof text, "0x%04X", card.kind);
            WriteText(rule.property, "", text);
            break;
        }
        case ValueShape::kUid:
            if (!card.uid.empty()) WriteText(rule.property, "", card.uid);
            break;
    }
}

void VCardWriter::Write(const Card& card) {
    static const char* const kVersionText[] = {"2.1", "3.0", "4.0"};
    m_out << "BEGIN:VCARD\r\nVERSION:" << kVersionText[static_cast<int>(m_version)] << "\r\n";
    const unsigned bit = VersionBit(m_version);
    for (const VCardRule* rule = VCardRulesBegin(); rule != VCardRulesEnd(); ++rule) {
        if (rule->versions & bit) WriteRule(*rule, card);
    }
    m_out << "END:VCARD\r\n";
}

}  // namespace interchange
}  // namespace varo
