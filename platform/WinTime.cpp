#include "WinTime.h"

#include <time.h>

#include <cstdint>

namespace {

const int64_t kTicksPerMillisecond = 10000;
const int64_t kTicksPerSecond = 1000 * kTicksPerMillisecond;
const int64_t kTicksPerDay = 86400 * kTicksPerSecond;
const int64_t kMaxTicks = INT64_MAX;  // the high bit must stay clear
const int64_t kSecondsFrom1601To1970 = 11644473600;

// Day counting follows the usual era arithmetic: years start on 1 March, so
// that the leap day falls at the end of a year, and 400-year eras repeat.
// Counting from 0000-03-01, 1601-01-01 is day 584694, which keeps every day
// in range non-negative.
const int64_t kDaysFromEraStartTo1601 = 584694;
const int64_t kDaysPerEra = 146097;

const int kFirstYear = 1601;
const int kLastYear = 30827;

struct CivilDate {
    int64_t year;
    int month;  // 1-12
    int day;    // 1-31
};

CivilDate CivilFromDays(int64_t daysSince1601) {
    const int64_t z = daysSince1601 + kDaysFromEraStartTo1601;
    const int64_t era = z / kDaysPerEra;
    const int64_t dayOfEra = z - era * kDaysPerEra;
    const int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t monthFromMarch = (5 * dayOfYear + 2) / 153;
    CivilDate date;
    date.day = static_cast<int>(dayOfYear - (153 * monthFromMarch + 2) / 5 + 1);
    date.month = static_cast<int>(monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9);
    date.year = era * 400 + yearOfEra + (date.month <= 2 ? 1 : 0);
    return date;
}

int64_t DaysFromCivil(const CivilDate& date) {
    const int64_t year = date.year - (date.month <= 2 ? 1 : 0);
    const int64_t era = year / 400;
    const int64_t yearOfEra = year - era * 400;
    const int64_t monthFromMarch = date.month > 2 ? date.month - 3 : date.month + 9;
    const int64_t dayOfYear = (153 * monthFromMarch + 2) / 5 + date.day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * kDaysPerEra + dayOfEra - kDaysFromEraStartTo1601;
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool IsValid(const SYSTEMTIME& t) {
    return t.wYear >= kFirstYear && t.wYear <= kLastYear && t.wMonth >= 1 && t.wMonth <= 12 &&
           t.wDay >= 1 && t.wDay <= DaysInMonth(t.wYear, t.wMonth) && t.wHour < 24 &&
           t.wMinute < 60 && t.wSecond < 60 && t.wMilliseconds < 1000;
}

uint64_t TicksOf(const FILETIME& fileTime) {
    return (static_cast<uint64_t>(fileTime.dwHighDateTime) << 32) | fileTime.dwLowDateTime;
}

FILETIME FileTimeOf(int64_t ticks) {
    FILETIME fileTime;
    fileTime.dwLowDateTime = static_cast<DWORD>(static_cast<uint64_t>(ticks) & 0xFFFFFFFFu);
    fileTime.dwHighDateTime = static_cast<DWORD>(static_cast<uint64_t>(ticks) >> 32);
    return fileTime;
}

// 1601-01-01 was a Monday.
WORD DayOfWeek(int64_t daysSince1601) { return static_cast<WORD>((daysSince1601 + 1) % 7); }

}  // namespace

void GetSystemTime(SYSTEMTIME* now) {
    if (!now) return;
    timespec ts;
    clock_gettime(CLOCK_REALTIME, &ts);
    const int64_t ticks = (static_cast<int64_t>(ts.tv_sec) + kSecondsFrom1601To1970) * kTicksPerSecond +
                          ts.tv_nsec / 100;
    const FILETIME fileTime = FileTimeOf(ticks);
    FileTimeToSystemTime(&fileTime, now);
}

BOOL FileTimeToSystemTime(const FILETIME* fileTime, SYSTEMTIME* systemTime) {
    if (!fileTime || !systemTime) return FALSE;
    const uint64_t ticks = TicksOf(*fileTime);
    if (ticks > static_cast<uint64_t>(kMaxTicks)) return FALSE;

    const int64_t days = static_cast<int64_t>(ticks) / kTicksPerDay;
    const int64_t milliseconds = (static_cast<int64_t>(ticks) % kTicksPerDay) / kTicksPerMillisecond;
    const CivilDate date = CivilFromDays(days);
    systemTime->wYear = static_cast<WORD>(date.year);
    systemTime->wMonth = static_cast<WORD>(date.month);
    systemTime->wDayOfWeek = DayOfWeek(days);
    systemTime->wDay = static_cast<WORD>(date.day);
    systemTime->wHour = static_cast<WORD>(milliseconds / 3600000);
    systemTime->wMinute = static_cast<WORD>(milliseconds / 60000 % 60);
    systemTime->wSecond = static_cast<WORD>(milliseconds / 1000 % 60);
    systemTime->wMilliseconds = static_cast<WORD>(milliseconds % 1000);
    return TRUE;
}

BOOL SystemTimeToFileTime(const SYSTEMTIME* systemTime, FILETIME* fileTime) {
    if (!systemTime || !fileTime || !IsValid(*systemTime)) return FALSE;
    const SYSTEMTIME& t = *systemTime;
    const int64_t days = DaysFromCivil(CivilDate{t.wYear, t.wMonth, t.wDay});
    const int64_t milliseconds =
        ((t.wHour * 60 + t.wMinute) * 60 + t.wSecond) * 1000 + t.wMilliseconds;
    *fileTime = FileTimeOf(days * kTicksPerDay + milliseconds * kTicksPerMillisecond);
    return TRUE;
}

BOOL FileTimeToLocalFileTime(const FILETIME* utc, FILETIME* local) {
    if (!utc || !local) return FALSE;
    const uint64_t utcTicks = TicksOf(*utc);
    if (utcTicks > static_cast<uint64_t>(kMaxTicks)) return FALSE;

    tzset();
    const int64_t shift = -static_cast<int64_t>(timezone) * kTicksPerSecond;  // timezone: seconds west
    const int64_t ticks = static_cast<int64_t>(utcTicks);
    if (shift > 0 ? ticks > kMaxTicks - shift : ticks + shift < 0) return FALSE;
    *local = FileTimeOf(ticks + shift);
    return TRUE;
}
