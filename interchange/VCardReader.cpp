// Cards from content lines, through the property table.
#include "VCardReader.h"

#include <cstdlib>

#include "ContentLine.h"
#include "KitText.h"
#include "ValueCodecs.h"
#include "VCardRules.h"

namespace varo {
namespace interchange {
namespace {

// The most properties one card may have; beyond it the card is refused.
const size_t kMaxProperties = 10000;

// What a card collects before its fields can be settled.
struct CardDraft {
    bool version21 = false;  // only "\;" is an escape in 2.1
    std::string formattedName;
    std::string nameFromParts;
    bool emptyName = false;  // N present with every part empty
    std::string readingLast;
    std::string readingFirst;
};

std::string Joined(const std::string& a, const std::string& b, const char* separator) {
    if (a.empty()) return b;
    if (b.empty()) return a;
    return a + separator + b;
}

void AppendLine(std::string* field, const std::string& value) {
    *field = field->empty() ? value : *field + "\n" + value;
}

// Bytes as UTF-8: in the charset named, else UTF-8 when they are valid
// UTF-8, else Shift-JIS as Japanese phones write it.
bool Utf8Of(const std::string& bytes, const std::string& charset, std::string* text) {
    if (!charset.empty()) return DecodeCharset(bytes, charset, text);
    if (IsValidUtf8(bytes)) {
        *text = bytes;
        return true;
    }
    return DecodeCharset(bytes, "SHIFT_JIS", text);
}

// The raw value as UTF-8 text: transfer encoding and charset undone.
bool DecodedText(const ContentLine& line, std::string* text) {
    std::string bytes = line.value;
    const std::string encoding = UpperAscii(line.Param("ENCODING"));
    if (encoding == "QUOTED-PRINTABLE") bytes = DecodeQuotedPrintable(bytes);
    std::string decoded;
    if (!Utf8Of(bytes, line.Param("CHARSET"), &decoded)) return false;
    // Quoted-printable line breaks are CR LF; cards keep LF.
    text->clear();
    for (size_t i = 0; i < decoded.size(); ++i) {
        if (decoded[i] != '\r' || i + 1 >= decoded.size() || decoded[i + 1] != '\n') *text += decoded[i];
    }
    return true;
}

using Unescaper = std::string (*)(const std::string&);

std::vector<std::string> Components(const std::string& text, char separator, Unescaper unescape) {
    std::vector<std::string> parts = SplitEscaped(text, separator);
    for (std::string& part : parts) part = unescape(part);
    return parts;
}

std::string Component(const std::vector<std::string>& parts, size_t index) {
    return index < parts.size() ? parts[index] : std::string();
}

bool AllEmpty(const std::vector<std::string>& parts) {
    for (const std::string& part : parts) {
        if (!part.empty()) return false;
    }
    return true;
}

// An address read into one text: Japanese addresses run from the prefecture
// down, others from the street up.
std::string AddressText(const std::vector<std::string>& parts) {
    const std::string street = Joined(Component(parts, 1), Component(parts, 2), " ");
    bool ascii = true;
    for (const std::string& part : parts) {
        for (char c : part) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    }
    if (!ascii) {
        return Component(parts, 6) + Component(parts, 4) + Component(parts, 3) + Joined(Component(parts, 0), street, " ");
    }
    std::string text = Joined(Component(parts, 0), street, ", ");
    for (size_t index : {3, 4, 6}) text = Joined(text, Component(parts, index), ", ");
    return text;
}

// "1965-04-12", "19650412", "1965-04-12T10:00:00Z" give 19650412; a date
// without a year ("--0412") stays as written.
std::string BirthdayText(const std::string& value) {
    const std::string date = value.substr(0, value.find('T'));
    if (date.compare(0, 2, "--") == 0) return date;
    std::string digits;
    for (char c : date) {
        if (c != '-') digits += c;
    }
    return digits;
}

bool DecodedPhoto(const ContentLine& line, std::string* bytes, std::string* problem) {
    const std::string encoding = UpperAscii(line.Param("ENCODING"));
    if (encoding == "B" || encoding == "BASE64") {
        if (DecodeBase64(line.value, bytes)) return true;
        *problem = "PHOTO is not valid base64";
        return false;
    }
    if (line.value.compare(0, 5, "data:") == 0) {
        const size_t comma = line.value.find(',');
        const std::string head = line.value.substr(0, comma);
        if (comma != std::string::npos && head.size() >= 7 && head.compare(head.size() - 7, 7, ";base64") == 0 &&
            DecodeBase64(line.value.substr(comma + 1), bytes)) {
            return true;
        }
        *problem = "PHOTO is not a base64 data URI";
        return false;
    }
    // A link to a picture elsewhere is not fetched.
    bytes->clear();
    return true;
}

// Applies one property through its rule; false with *problem set when its
// value cannot be read.
bool ApplyRule(const VCardRule& rule, const ContentLine& line, Card* card, CardDraft* draft, std::string* problem) {
    if (rule.shape == ValueShape::kPhoto) return DecodedPhoto(line, &(*card)[kCardPortrait], problem);
    const Unescaper unescape = draft->version21 ? UnescapeSemicolons : UnescapeText;
    std::string text;
    if (!DecodedText(line, &text)) {
        *problem = line.name + " is not valid in its charset";
        return false;
    }
    switch (rule.shape) {
        case ValueShape::kText: (*card)[rule.field] = unescape(text); break;
        case ValueShape::kLines: {
            std::string value = unescape(text);
            if (line.name == "TEL" && value.compare(0, 4, "tel:") == 0) value.erase(0, 4);
            if (line.name == "EMAIL" && value.compare(0, 7, "mailto:") == 0) value.erase(0, 7);
            AppendLine(&(*card)[rule.field], value);
            break;
        }
        case ValueShape::kFormattedName: draft->formattedName = unescape(text); break;
        case ValueShape::kName: {
            const std::vector<std::string> parts = Components(text, ';', unescape);
            draft->emptyName = AllEmpty(parts);
            draft->nameFromParts = Joined(Component(parts, 0), Component(parts, 1), " ");
            for (const Parameter& parameter : line.parameters) {
                if (parameter.name != "SORT-AS") continue;
                std::vector<std::string> sortAs;
                for (const std::string& value : parameter.values) {
                    std::string utf8;
                    if (!Utf8Of(value, line.Param("CHARSET"), &utf8)) {
                        *problem = "SORT-AS is not valid in its charset";
                        return false;
                    }
                    for (const std::string& part : SplitEscaped(utf8, ',')) sortAs.push_back(part);
                }
                if (draft->readingLast.empty()) draft->readingLast = Component(sortAs, 0);
                if (draft->readingFirst.empty()) draft->readingFirst = Component(sortAs, 1);
            }
            break;
        }
        case ValueShape::kReadingLast: draft->readingLast = unescape(text); break;
        case ValueShape::kReadingFirst: draft->readingFirst = unescape(text); break;
        case ValueShape::kIrmcReading: {
            const std::vector<std::string> parts = Components(text, ';', unescape);
            draft->readingLast = Component(parts, 0);
            draft->readingFirst = Component(parts, 1);
            break;
        }
        case ValueShape::kOrganization: {
            const std::vector<std::string> parts = Components(text, ';', unescape);
            (*card)[rule.field] = Component(parts, 0);
            std::string units;
            for (size_t i = 1; i < parts.size(); ++i) units = Joined(units, parts[i], " ");
            (*card)[rule.second] = units;
            break;
        }
        case ValueShape::kAddress: {
            const std::vector<std::string> parts = Components(text, ';', unescape);
            (*card)[rule.field] = AddressText(parts);
            (*card)[rule.second] = Component(parts, 5);
            break;
        }
        case ValueShape::kBirthday: (*card)[rule.field] = BirthdayText(unescape(text)); break;
        case ValueShape::kCategories:
            for (const std::string& name : Components(text, ',', unescape)) {
                if (!name.empty()) card->categories.push_back(name);
            }
            break;
        case ValueShape::kSecret: {
            const std::string level = UpperAscii(text);
            (*card)[rule.field] = level == "PRIVATE" || level == "CONFIDENTIAL" ? "1" : "";
            break;
        }
        case ValueShape::kKind: {
            const long kind = strtol(text.c_str(), nullptr, 0);
            if (kind >= 0x401 && kind <= 0x404) card->kind = static_cast<uint16_t>(kind);
            break;
        }
        case ValueShape::kUid: card->uid = unescape(text); break;
        case ValueShape::kPhoto: break;
    }
    return true;
}

void Settle(const CardDraft& draft, Card* card) {
    if (!draft.emptyName) {
        (*card)[kCardName] = !draft.formattedName.empty() ? draft.formattedName : draft.nameFromParts;
    }
    (*card)[kCardNameReading] = Joined(draft.readingLast, draft.readingFirst, " ");
}

bool IsBegin(const ContentLine& line) { return line.name == "BEGIN" && UpperAscii(line.value) == "VCARD"; }
bool IsEnd(const ContentLine& line) { return line.name == "END" && UpperAscii(line.value) == "VCARD"; }

std::string AtLine(long line, const std::string& what) { return "line " + std::to_string(line) + ": " + what; }

}  // namespace

bool VCardReader::NextLine() {
    if (m_hasLine) {
        m_hasLine = false;
        return true;
    }
    return m_lines.Next(&m_line);
}

ReadOutcome VCardReader::Next(Card* card) {
    ReadOutcome outcome;
    ContentLine line;
    // Find the next BEGIN:VCARD; anything else before it is reported once.
    long strayLine = 0;
    for (;;) {
        if (!NextLine()) {
            if (strayLine != 0) return {ReadOutcome::kSkipped, strayLine, AtLine(strayLine, "text outside a card")};
            return outcome;
        }
        if (ParseContentLine(m_line.text, &line) && IsBegin(line)) break;
        if (strayLine == 0) strayLine = m_line.firstLine;
    }
    if (strayLine != 0) {
        m_hasLine = true;
        return {ReadOutcome::kSkipped, strayLine, AtLine(strayLine, "text outside a card")};
    }
    *card = Card();
    CardDraft draft;
    outcome.line = m_line.firstLine;
    std::string problem;
    long problemLine = 0;
    size_t properties = 0;
    for (;;) {
        if (!NextLine()) {
            return {ReadOutcome::kSkipped, outcome.line, AtLine(outcome.line, "the card has no END:VCARD")};
        }
        const bool parsed = ParseContentLine(m_line.text, &line);
        if (parsed && IsBegin(line)) {
            // A card cut short: the next one starts here.
            m_hasLine = true;
            return {ReadOutcome::kSkipped, outcome.line, AtLine(outcome.line, "the card has no END:VCARD")};
        }
        if (parsed && IsEnd(line)) break;
        if (parsed && line.name == "VERSION") draft.version21 = line.value == "2.1";
        if (!problem.empty()) continue;
        problemLine = m_line.firstLine;
        if (m_line.cut) {
            problem = "a line longer than the reader takes";
        } else if (!parsed) {
            problem = "not a property line";
        } else if (++properties > kMaxProperties) {
            problem = "too many properties in one card";
        } else if (const VCardRule* rule = FindVCardRule(line)) {
            ApplyRule(*rule, line, card, &draft, &problem);
        }
    }
    if (!problem.empty()) return {ReadOutcome::kSkipped, outcome.line, AtLine(problemLine, problem)};
    Settle(draft, card);
    outcome.kind = ReadOutcome::kCard;
    return outcome;
}

}  // namespace interchange
}  // namespace varo
