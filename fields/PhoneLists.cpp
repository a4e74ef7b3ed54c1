#include "PhoneLists.h"

#include <cstring>

#include "CodePage.h"

namespace varo {
namespace {

const char kEscape = '\\';
const char kSeparator = ',';
const char kLineBreak[] = "\r\n";
const size_t kLineBreakLength = 2;

// One entry of a list as the walk collected it.
struct Entry {
    std::string text;
    size_t suffixStart = std::string::npos;

    bool HasSuffix() const { return suffixStart != std::string::npos; }
    bool SuffixIs(std::string_view suffix) const {
        return HasSuffix() && std::string_view(text).substr(suffixStart) == suffix;
    }
    std::string Value() const { return text.substr(0, suffixStart); }
};

// Calls visit(entry) for every entry of the list, the last one included.
// With `keepEscapes` an entry keeps its text as stored; without, escapes
// are undone. A lead byte or escape with nothing after it (the list ends)
// pairs with nothing and is left out.
template <class Visit>
void ForEachEntry(const ListSyntax& syntax, std::string_view list, bool keepEscapes, Visit visit) {
    const std::string_view text = list.substr(0, list.find('\0'));
    Entry entry;
    for (size_t i = 0; i < text.size(); ++i) {
        const char byte = text[i];
        const bool pairs = IsDBCSLeadByte(static_cast<BYTE>(byte)) || byte == kEscape;
        if (pairs) {
            if (i + 1 >= text.size()) break;
            if (byte != kEscape || keepEscapes) entry.text += byte;
            entry.text += text[++i];
        } else if (byte == syntax.marker) {
            entry.suffixStart = entry.text.size();
            entry.text += byte;
        } else if (byte == kSeparator) {
            visit(entry);
            entry = Entry();
        } else {
            entry.text += byte;
        }
    }
    visit(entry);
}

// A second byte of a two-byte character: 0x40-0xFC but 0x7F.
bool IsTrailByte(BYTE b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }

// The value with a "\" before each reserved single-byte character. A lead
// byte without a second byte (at the end, or before a line break or other
// byte that cannot follow it) is no character and is left out, so that it
// cannot swallow the suffix or separator written after it.
std::string Escaped(const ListSyntax& syntax, std::string_view value) {
    std::string escaped;
    for (size_t i = 0; i < value.size(); ++i) {
        const BYTE byte = static_cast<BYTE>(value[i]);
        if (IsDBCSLeadByte(byte)) {
            if (i + 1 < value.size() && IsTrailByte(static_cast<BYTE>(value[i + 1]))) {
                escaped += value[i];
                escaped += value[++i];
            }
            continue;
        }
        if (byte != 0 && std::strchr(syntax.escaped, byte)) escaped += kEscape;
        escaped += value[i];
    }
    return escaped;
}

size_t SkipLineBreaks(std::string_view text, size_t position) {
    while (text.compare(position, kLineBreakLength, kLineBreak) == 0) position += kLineBreakLength;
    return position;
}

// Appends one entry per line of the escaped value, each followed by ",";
// at least one entry, even for a value of line breaks only.
void AppendLines(std::string_view escaped, std::string_view suffix, std::string* list) {
    size_t position = SkipLineBreaks(escaped, 0);
    do {
        size_t lineEnd = escaped.find(kLineBreak, position);
        if (lineEnd == std::string_view::npos) lineEnd = escaped.size();
        *list += escaped.substr(position, lineEnd - position);
        *list += suffix;
        *list += kSeparator;
        position = SkipLineBreaks(escaped, lineEnd);
    } while (position < escaped.size());
}

}  // namespace

std::string ReplaceRoleEntries(const ListSyntax& syntax, std::string_view list, std::string_view value,
                               std::string_view suffix) {
    std::string edited;
    ForEachEntry(syntax, list, true, [&](const Entry& entry) {
        if (entry.HasSuffix() && !entry.SuffixIs(suffix)) {
            edited += entry.text;
            edited += kSeparator;
        }
    });
    if (!value.empty()) AppendLines(Escaped(syntax, value), suffix, &edited);
    if (!edited.empty() && edited.back() == kSeparator) edited.pop_back();
    return edited;
}

bool PickRoleValues(const ListSyntax& syntax, std::string_view list, std::string_view suffix,
                    std::string* values) {
    values->clear();
    bool found = false;
    ForEachEntry(syntax, list, false, [&](const Entry& entry) {
        if (!entry.SuffixIs(suffix)) return;
        if (found) *values += kLineBreak;
        *values += entry.Value();
        found = true;
    });
    return found;
}

}  // namespace varo
