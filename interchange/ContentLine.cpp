// Splitting a content line into group, name, parameters and value.
#include "ContentLine.h"

#include <cctype>

namespace varo {
namespace interchange {
namespace {

const char* const kBareEncodings[] = {"QUOTED-PRINTABLE", "BASE64", "8BIT", "7BIT", "B"};

bool IsBareEncoding(const std::string& upper) {
    for (const char* encoding : kBareEncodings) {
        if (upper == encoding) return true;
    }
    return false;
}

// Splits at `separator` outside double quotes.
std::vector<std::string> SplitOutsideQuotes(const std::string& text, char separator) {
    std::vector<std::string> parts(1);
    bool quoted = false;
    for (char c : text) {
        if (c == '"') quoted = !quoted;
        if (c == separator && !quoted) {
            parts.emplace_back();
        } else {
            parts.back() += c;
        }
    }
    return parts;
}

std::string Unquoted(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c != '"') out += c;
    }
    return out;
}

Parameter ParseParameter(const std::string& text) {
    Parameter parameter;
    const size_t equals = text.find('=');
    if (equals == std::string::npos) {
        const std::string bare = UpperAscii(text);
        parameter.name = IsBareEncoding(bare) ? "ENCODING" : "TYPE";
        parameter.values.push_back(bare);
        return parameter;
    }
    parameter.name = UpperAscii(text.substr(0, equals));
    for (const std::string& value : SplitOutsideQuotes(text.substr(equals + 1), ',')) {
        parameter.values.push_back(Unquoted(value));
    }
    return parameter;
}

// The position of the ":" that ends the name and parameters.
size_t ValueStart(const std::string& text) {
    bool quoted = false;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '"') quoted = !quoted;
        if (text[i] == ':' && !quoted) return i;
    }
    return std::string::npos;
}

}  // namespace

std::string UpperAscii(const std::string& text) {
    std::string out = text;
    for (char& c : out) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    return out;
}

std::string ContentLine::Param(const char* wanted) const {
    for (const Parameter& parameter : parameters) {
        if (parameter.name == wanted && !parameter.values.empty()) return parameter.values.front();
    }
    return std::string();
}

bool ContentLine::HasType(const char* type) const {
    for (const Parameter& parameter : parameters) {
        if (parameter.name != "TYPE") continue;
        for (const std::string& value : parameter.values) {
            // Some writers put several types in one quoted value.
            for (const std::string& one : SplitOutsideQuotes(value, ',')) {
                if (UpperAscii(one) == type) return true;
            }
        }
    }
    return false;
}

bool ParseContentLine(const std::string& text, ContentLine* line) {
    const size_t colon = ValueStart(text);
    if (colon == std::string::npos) return false;
    std::vector<std::string> head = SplitOutsideQuotes(text.substr(0, colon), ';');
    std::string name = head.front();
    const size_t dot = name.find('.');
    line->group = dot == std::string::npos ? std::string() : name.substr(0, dot);
    line->name = UpperAscii(dot == std::string::npos ? name : name.substr(dot + 1));
    if (line->name.empty()) return false;
    line->parameters.clear();
    for (size_t i = 1; i < head.size(); ++i) {
        if (!head[i].empty()) line->parameters.push_back(ParseParameter(head[i]));
    }
    line->value = text.substr(colon + 1);
    return true;
}

}  // namespace interchange
}  // namespace varo
