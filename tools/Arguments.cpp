// Parsers of typed values; none reads past the text it is given.
#include "Arguments.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>

namespace varo {
namespace tool {
namespace {

// Reads 1 to maxDigits decimal digits at text[*pos].
bool ReadDigits(const std::string& text, size_t* pos, size_t maxDigits, int* value) {
    size_t end = *pos;
    int v = 0;
    while (end < text.size() && end - *pos < maxDigits && text[end] >= '0' && text[end] <= '9') {
        v = v * 10 + (text[end] - '0');
        ++end;
    }
    if (end == *pos) return false;
    *pos = end;
    *value = v;
    return true;
}

bool ReadChar(const std::string& text, size_t* pos, char expected) {
    if (*pos >= text.size() || text[*pos] != expected) return false;
    ++*pos;
    return true;
}

bool ParseDatePart(const std::string& text, size_t* pos, int* year, int* month, int* day) {
    if (!ReadDigits(text, pos, 4, year) || *pos >= text.size()) return false;
    const char separator = text[*pos];
    if (separator != '-' && separator != '/') return false;
    ++*pos;
    return ReadDigits(text, pos, 2, month) && ReadChar(text, pos, separator) && ReadDigits(text, pos, 2, day);
}

bool ParseTimePart(const std::string& text, size_t* pos, int* hour, int* minute, int* second) {
    *second = 0;
    if (!ReadDigits(text, pos, 2, hour) || !ReadChar(text, pos, ':') || !ReadDigits(text, pos, 2, minute)) {
        return false;
    }
    return *pos == text.size() || (ReadChar(text, pos, ':') && ReadDigits(text, pos, 2, second));
}

bool NamedDay(const std::string& text, TimeValue* out) {
    const CPIMTime now = CPIMTime::GetTickCount();
    const CPIMTime today(now.GetYear(), now.GetMonth(), now.GetDay(), 0, 0, 0);
    if (text == "now") {
        out->when = now;
        out->hasTime = true;
    } else if (text == "today") {
        out->when = today;
        out->hasTime = false;
    } else if (text == "tomorrow") {
        out->when = today.CalculateDate(1);
        out->hasTime = false;
    } else {
        return false;
    }
    return true;
}

}  // namespace

bool ParseNumber(const std::string& text, long* out) {
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const size_t first = hex ? 2 : (text.size() > 1 && text[0] == '-') ? 1 : 0;
    const char* digits = hex ? "0123456789abcdefABCDEF" : "0123456789";
    if (first >= text.size() || text.find_first_not_of(digits, first) != std::string::npos) return false;
    errno = 0;
    const long long value = strtoll(text.c_str(), nullptr, hex ? 16 : 10);
    if (errno != 0 || value < INT32_MIN || value > INT32_MAX) return false;
    *out = static_cast<long>(value);
    return true;
}

bool ParseId(const std::string& text, long* out) {
    long value = 0;
    if (!ParseNumber(text, &value) || value <= 0) return false;
    *out = value;
    return true;
}

bool ParsePosition(const std::string& text, long* out) {
    if (text == "end") {
        *out = -1;
        return true;
    }
    long value = 0;
    if (!ParseNumber(text, &value) || value < 0) return false;
    *out = value;
    return true;
}

bool ParseTime(const std::string& text, TimeValue* out) {
    if (NamedDay(text, out)) return true;
    size_t pos = 0;
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (!ParseDatePart(text, &pos, &year, &month, &day)) return false;
    const bool hasTime = pos < text.size();
    if (hasTime) {
        if (text[pos] != ' ' && text[pos] != 'T') return false;
        ++pos;
        if (!ParseTimePart(text, &pos, &hour, &minute, &second) || pos != text.size()) return false;
    }
    if (!CPIMTime::CheckDate(year, month, day) || !CPIMTime::CheckTime(hour, minute, second)) return false;
    out->when = CPIMTime(year, month, day, hour, minute, second);
    out->hasTime = hasTime;
    return true;
}

bool ParseFlag(const std::string& text, long* out) {
    static const char* const kOn[] = {"1", "yes", "on", "true"};
    static const char* const kOff[] = {"0", "no", "off", "false"};
    for (const char* word : kOn) {
        if (text == word) {
            *out = 1;
            return true;
        }
    }
    for (const char* word : kOff) {
        if (text == word) {
            *out = 0;
            return true;
        }
    }
    return false;
}

}  // namespace tool
}  // namespace varo
