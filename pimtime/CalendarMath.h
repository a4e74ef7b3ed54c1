// Calendar arithmetic shared by the date class: the leap rule, month
// lengths, the day-number formula the stored dates are built with, and the
// civil date of a day count. Internal to pimtime/.
#pragma once

#include <cstdint>

namespace pimtime {

// Seconds from 0000-01-01 00:00:00 to 1970-01-01 00:00:00.
constexpr int64_t kDate0YearSeconds = 62167219200;
// Day number of 1970-01-01, counted from 0000-01-01.
constexpr int64_t kEpochDayNumber = 719528;
constexpr int64_t kSecondsPerDay = 86400;

constexpr int kFirstValidYear = 1901;
constexpr int kLastValidYear = 2099;

constexpr bool IsLeapYear(int64_t year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

// Days of a month 1-12 by the leap rule; 0 for any other month.
int DaysInMonth(int64_t year, int64_t month);

// Day number from 0000-01-01 of (year, month 1-12, day), with months and
// years counted from March. The divisions truncate toward zero, as in the
// stored-date arithmetic of the 32-bit code; the sums are 64-bit so that
// numbers outside the 32-bit range cannot overflow. Constant-evaluated where
// it can be, so that the range constants built on it hold before any static
// initialiser runs.
constexpr int64_t DayNumber(int64_t year, int64_t month, int64_t day) {
    if (month < 3) {
        year -= 1;
        month += 12;
    }
    if (year < 0) day -= 1;
    return 365 * year + year / 4 - year / 100 + year / 400 + (3059 * (month - 2)) / 100 + day + 29;
}

struct CivilDate {
    int64_t year;
    int month;  // 1-12
    int day;    // 1-31
};

// The proleptic Gregorian date of a day count from 1970-01-01.
CivilDate CivilFromDays(int64_t daysSinceEpoch);

// Floor division for a positive divisor.
constexpr int64_t FloorDiv(int64_t a, int64_t b) {
    return a / b - ((a % b != 0) && (a < 0));
}

// The C library's standard-time zone offset, seconds west of UTC. tzset()
// runs once, on first use; a program that changes TZ calls tzset() itself.
long ZoneOffsetSeconds();

// Addition and subtraction that wrap instead of overflowing: the value type
// leaves 64-bit overflow undefined in meaning, but never in behaviour.
inline int64_t WrapAdd(int64_t a, int64_t b) {
    return static_cast<int64_t>(static_cast<uint64_t>(a) + static_cast<uint64_t>(b));
}
inline int64_t WrapSub(int64_t a, int64_t b) {
    return static_cast<int64_t>(static_cast<uint64_t>(a) - static_cast<uint64_t>(b));
}

}  // namespace pimtime
