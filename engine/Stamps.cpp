#include "Stamps.h"

#include <cstdio>

namespace varo {
namespace engine {
namespace {

const size_t kStampDigits = 14;

std::string Format(const struct tm& t) {
    char text[32];
    snprintf(text, sizeof text, "%04d%02d%02d%02d%02d%02d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday,
             t.tm_hour, t.tm_min, t.tm_sec);
    return text;
}

int Digits(const std::string& text, size_t at, size_t count) {
    int value = 0;
    for (size_t i = at; i < at + count; ++i) value = value * 10 + (text[i] - '0');
    return value;
}

bool ParseUtcStamp(const std::string& text, time_t* when) {
    if (text.size() != kStampDigits) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    struct tm t = {};
    t.tm_year = Digits(text, 0, 4) - 1900;
    t.tm_mon = Digits(text, 4, 2) - 1;
    t.tm_mday = Digits(text, 6, 2);
    t.tm_hour = Digits(text, 8, 2);
    t.tm_min = Digits(text, 10, 2);
    t.tm_sec = Digits(text, 12, 2);
    *when = timegm(&t);
    return true;
}

}  // namespace

std::string UtcStamp(time_t when) {
    struct tm t;
    gmtime_r(&when, &t);
    return Format(t);
}

std::string LocalStamp(time_t when) {
    struct tm t;
    localtime_r(&when, &t);
    return Format(t);
}

std::string NextStamp(const std::string& previous, time_t now) {
    time_t before;
    if (ParseUtcStamp(previous, &before) && now <= before) return UtcStamp(before + 1);
    return UtcStamp(now);
}

}  // namespace engine
}  // namespace varo
