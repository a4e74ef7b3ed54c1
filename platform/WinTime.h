// The original platform's calendar time: SYSTEMTIME (broken-down fields) and
// FILETIME (100-nanosecond ticks since 1601-01-01 00:00 UTC, split into two
// 32-bit halves), with the conversions between them.
//
// Dates are proleptic Gregorian and computed arithmetically, so they hold
// over the original's whole range, 1601 to 30827, independent of the C
// library's time_t. Every function returns FALSE (0) on a null pointer or an
// out-of-range value and then leaves its output unchanged; none keeps state,
// and all but FileTimeToLocalFileTime are safe from any thread.
#pragma once

#include "VarokitApi.h"
#include "WinTypes.h"

struct SYSTEMTIME {
    WORD wYear;
    WORD wMonth;      // 1-12
    WORD wDayOfWeek;  // 0 = Sunday
    WORD wDay;        // 1-31
    WORD wHour;
    WORD wMinute;
    WORD wSecond;
    WORD wMilliseconds;
};

struct FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
};

// The current UTC time, to the millisecond.
VAROKIT_API void GetSystemTime(SYSTEMTIME* now);

// Fails when the tick count has its high bit set (beyond 30828-09-14).
VAROKIT_API BOOL FileTimeToSystemTime(const FILETIME* fileTime, SYSTEMTIME* systemTime);

// Ignores wDayOfWeek; fails unless 1601 <= year <= 30827, the day exists in
// its month, and hour, minute, second and milliseconds are in range.
VAROKIT_API BOOL SystemTimeToFileTime(const SYSTEMTIME* systemTime, FILETIME* fileTime);

// Shifts a UTC time by the C library's standard-time zone offset (TZ, read
// again on every call through tzset, hence not safe while another thread
// changes TZ). Daylight saving time is deliberately not applied: the kit's
// date class reads local time the same way, and the two must agree. Fails
// when the result falls before 1601 or beyond the tick range.
VAROKIT_API BOOL FileTimeToLocalFileTime(const FILETIME* utc, FILETIME* local);
