// CPIMTime: calendar queries, field setters, day numbers and moving an
// instant by months, days, hours or minutes.
#include <climits>

#include "CalendarMath.h"
#include "PIMTime.h"

using namespace pimtime;

namespace {

bool FitsInt(int64_t v) { return v >= INT_MIN && v <= INT_MAX; }

constexpr int64_t kMaxJulianYear = int64_t{1} << 30;

}  // namespace

// February's entry keeps 28: its length is computed per year, so the table
// is never written and never shared mutable state.
const int CPIMTime::monthTable[13] = {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

int CPIMTime::GetDaysInMonth() const { return GetDaysInMonth(GetYear(), GetMonth()); }

int CPIMTime::GetDaysInMonth(int year, int month) { return DaysInMonth(year, month); }

int CPIMTime::GetDaysInYear() const { return GetDaysInYear(GetYear()); }

int CPIMTime::GetDaysInYear(int year) { return IsLeapYear(year) ? 366 : 365; }

int CPIMTime::CheckDate(int year, int month, int day) {
    if (year < kFirstValidYear || year > kLastValidYear) return 0;
    if (month < 1 || month > 12) return 0;
    return day >= 1 && day <= DaysInMonth(year, month) ? 1 : 0;
}

int CPIMTime::CheckTime(int hour, int minute, int second) {
    return hour >= 0 && hour < 24 && minute >= 0 && minute < 60 && second >= 0 && second < 60;
}

int CPIMTime::SetYear(int year) {
    if (!CheckDate(year, GetMonth(), GetDay())) return 0;
    *this = CPIMTime(year, GetMonth(), GetDay(), GetHour(), GetMinute(), GetSecond());
    return 1;
}

int CPIMTime::SetMonth(int month) {
    if (!CheckDate(GetYear(), month, GetDay())) return 0;
    *this = CPIMTime(GetYear(), month, GetDay(), GetHour(), GetMinute(), GetSecond());
    return 1;
}

int CPIMTime::SetDay(int day) {
    if (!CheckDate(GetYear(), GetMonth(), day)) return 0;
    *this = CPIMTime(GetYear(), GetMonth(), day, GetHour(), GetMinute(), GetSecond());
    return 1;
}

__int64 CPIMTime::GetJulianDay() const { return GetJulianDay(GetYear(), GetMonth(), GetDay()); }

__int64 CPIMTime::GetJulianDay(int year, int month, int day) { return DayNumber(year, month, day); }

// The year is estimated from the day number, then the month walk consumes
// what the estimate left over. Days beyond a billion years either way are
// refused: their estimate would not fit in 32 bits once corrected, and the
// walk could run for billions of steps.
int CPIMTime::SetJulianDay(__int64 day) {
    const __int128 estimate = (static_cast<__int128>(day) + 15) * 4 / 1461;
    if (estimate < -kMaxJulianYear || estimate > kMaxJulianYear) return 0;
    int year = static_cast<int>(estimate);
    const int64_t p = int64_t{year} - 1;
    const int64_t start = 365 * p + p / 4 - p / 100 + p / 400 + (p >= 0 ? 1 : 0) + 365;
    int64_t rest = day - start + 1;
    int month = 1;
    for (;;) {
        const int length = DaysInMonth(year, month);
        if (length >= rest) break;
        rest -= length;
        if (++month > 12) {
            month = 1;
            ++year;
        }
    }
    *this = CPIMTime(year, month, static_cast<int>(rest), 0, 0, 0);
    return 1;
}

// The day is cut only when the target month is shorter than the source
// month: 28 March gives 30 April although 28 April exists. Applications have
// always seen month steps behave so, and stored repeat dates follow it.
CPIMTime CPIMTime::CalculateMonth(long n) const {
    // A step of more months than a 32-bit year can count leaves the range.
    const int64_t kLongestStep = int64_t{12} * 2 * INT32_MAX;
    if (n > kLongestStep || n < -kLongestStep) return *this;
    const int64_t sourceMonth = GetMonth();
    int64_t month = sourceMonth + n;
    int64_t year = GetYear();
    if (month > 12) {
        const int64_t k = (month - 1) / 12;
        year += k;
        month -= 12 * k;
    }
    if (month < 1) {
        const int64_t k = (12 - month) / 12;
        month += 12 * k;
        year -= k;
    }
    if (!FitsInt(year)) return *this;
    int day = GetDay();
    if (day >= 28) {
        const int sourceLength = DaysInMonth(GetYear(), sourceMonth);
        const int targetLength = DaysInMonth(year, month);
        if (sourceLength > targetLength) day = targetLength;
    }
    return CPIMTime(static_cast<int>(year), static_cast<int>(month), day, GetHour(), GetMinute(),
                    GetSecond());
}

CPIMTime CPIMTime::CalculateDate(long n) const {
    const int64_t secondOfDay = int64_t{GetHour()} * 3600 + GetMinute() * 60 + GetSecond();
    int64_t target;
    CPIMTime result;
    if (__builtin_add_overflow(GetJulianDay(), int64_t{n}, &target) || !result.SetJulianDay(target)) {
        return *this;
    }
    result += CPIMTimeSpan(secondOfDay);
    return result;
}

CPIMTime CPIMTime::CalculateHour(long n) const { return GetCalculateTime(n, 1); }

CPIMTime CPIMTime::CalculateMinute(long n) const { return GetCalculateTime(n, 2); }

// Moves by elapsed seconds. A result past the supported years, or one whose
// span or instant would not fit in 64 bits, gives the unchanged instant. A
// result after 9999 counts as past 2099 although its year reads -1; one
// before year 100, whose year reads -1 as well, is below 2099 and moves (and
// a backward move to it is refused, -1 being before 1902).
CPIMTime CPIMTime::GetCalculateTime(long n, int nUnit) const {
    const uint64_t magnitude = n < 0 ? 0 - static_cast<uint64_t>(n) : static_cast<uint64_t>(n);
    const uint64_t perUnit = nUnit == 2 ? 60 : 3600;
    if (magnitude > static_cast<uint64_t>(INT64_MAX) / perUnit) return *this;
    const CPIMTimeSpan span(static_cast<int64_t>(magnitude * perUnit));
    int64_t moved;
    const bool overflow = n >= 0 ? __builtin_add_overflow(m_time, span.GetTotalSeconds(), &moved)
                                 : __builtin_sub_overflow(m_time, span.GetTotalSeconds(), &moved);
    if (overflow) return *this;
    const CPIMTime result(moved);
    const bool afterYear9999 = result.GetYear() < 0 && moved > 0;
    if (n >= 0 && (result.GetYear() > kLastValidYear || afterYear9999)) return *this;
    if (n < 0 && result.GetYear() <= kFirstValidYear) return *this;
    return result;
}

void CPIMTime::GetCenterDate(const CPIMTime* a, const CPIMTime* b) {
    if (!a || !b) return;
    const __int128 sum = static_cast<__int128>(a->m_time) + b->m_time;
    *this = CPIMTime(static_cast<__int64>(sum / 2));
}
