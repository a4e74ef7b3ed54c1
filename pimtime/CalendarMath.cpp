#include "CalendarMath.h"

#include <ctime>

namespace pimtime {

int DaysInMonth(int64_t year, int64_t month) {
    static const int kLengths[13] = {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 0 || month > 12) return 0;
    if (month == 2 && IsLeapYear(year)) return 29;
    return kLengths[month];
}

// Days to civil date after H. Hinnant's algorithm, on eras of 400 years.
CivilDate CivilFromDays(int64_t daysSinceEpoch) {
    const int64_t z = daysSinceEpoch + 719468;
    const int64_t era = FloorDiv(z, 146097);
    const int64_t dayOfEra = z - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t monthFromMarch = (5 * dayOfYear + 2) / 153;
    const int day = static_cast<int>(dayOfYear - (153 * monthFromMarch + 2) / 5 + 1);
    const int month = static_cast<int>(monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9);
    const int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    return CivilDate{year, month, day};
}

long ZoneOffsetSeconds() {
    static const bool initialised = (tzset(), true);
    (void)initialised;
    return timezone;
}

}  // namespace pimtime
