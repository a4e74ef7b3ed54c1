// CPIMTime: construction, refresh of the cached local fields, arithmetic
// with spans, and conversions to and from other time forms.
#include "PIMTime.h"

#include <cstring>

#include "CalendarMath.h"

using namespace pimtime;

namespace {

// Calendar fields exist from 0100-01-01 to 9999-12-31 (days from 1970).
constexpr int64_t kFirstCivilDay = DayNumber(100, 1, 1) - kEpochDayNumber;
constexpr int64_t kLastCivilDay = DayNumber(9999, 12, 31) - kEpochDayNumber;

// The composition of local calendar fields into UTC seconds.
int64_t Compose(int64_t year, int64_t monthIndex, int64_t day, int64_t hour, int64_t minute,
                int64_t second) {
    const int64_t days = DayNumber(year, monthIndex + 1, day) - kEpochDayNumber;
    return days * kSecondsPerDay + hour * 3600 + minute * 60 + second + ZoneOffsetSeconds();
}

void CopyNineFields(const struct tm& from, struct tm* to) {
    to->tm_sec = from.tm_sec;
    to->tm_min = from.tm_min;
    to->tm_hour = from.tm_hour;
    to->tm_mday = from.tm_mday;
    to->tm_mon = from.tm_mon;
    to->tm_year = from.tm_year;
    to->tm_wday = from.tm_wday;
    to->tm_yday = from.tm_yday;
    to->tm_isdst = from.tm_isdst;
}

}  // namespace

CPIMTime::CPIMTime() : m_time(0), m_timeInf(0), m_date0Year(0) { std::memset(&m_tm, 0, sizeof m_tm); }

CPIMTime::CPIMTime(__int64 t) : CPIMTime() {
    m_time = t;
    GetDateInf();
}

CPIMTime::CPIMTime(const CTime& t) : CPIMTime(static_cast<__int64>(t.GetTime())) {}

CPIMTime::CPIMTime(int year, int month, int day, int hour, int minute, int second, int /*nDST*/)
    : CPIMTime(year < 0 ? 0 : Compose(year, int64_t{month} - 1, day, hour, minute, second)) {}

// mktime answers in this platform's 64-bit time_t, so DOS dates after 2038
// keep their true instant instead of failing as a 32-bit mktime would.
CPIMTime::CPIMTime(unsigned short wDosDate, unsigned short wDosTime, int nDST) : CPIMTime() {
    struct tm dos;
    std::memset(&dos, 0, sizeof dos);
    dos.tm_sec = (wDosTime & 0x1F) * 2;
    dos.tm_min = (wDosTime >> 5) & 0x3F;
    dos.tm_hour = wDosTime >> 11;
    dos.tm_mday = wDosDate & 0x1F;
    dos.tm_mon = ((wDosDate >> 5) & 0x0F) - 1;
    dos.tm_year = (wDosDate >> 9) + 80;
    dos.tm_isdst = nDST;
    m_time = static_cast<__int64>(mktime(&dos));
    GetDateInf();
}

CPIMTime::CPIMTime(const SYSTEMTIME& st, int nDST)
    : CPIMTime(st.wYear < 1901 ? CPIMTime(__int64{0})
                               : CPIMTime(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute,
                                          st.wSecond, nDST)) {}

CPIMTime::CPIMTime(const FILETIME& ft, int nDST) : CPIMTime(__int64{0}) {
    FILETIME local;
    SYSTEMTIME st;
    if (FileTimeToLocalFileTime(&ft, &local) && FileTimeToSystemTime(&local, &st)) {
        *this = CPIMTime(st, nDST);
    }
}

const CPIMTime& CPIMTime::operator=(long t) {
    m_time = t;
    GetDateInf();
    return *this;
}

const CPIMTime& CPIMTime::operator=(const CPIMTime& other) {
    m_time = other.m_time;
    GetDateInf();
    return *this;
}

CPIMTimeSpan CPIMTime::operator-(CPIMTime other) const {
    return CPIMTimeSpan(WrapSub(m_time, other.m_time));
}

CPIMTime CPIMTime::operator-(CPIMTimeSpan span) const {
    return CPIMTime(WrapSub(m_time, span.GetTotalSeconds()));
}

CPIMTime CPIMTime::operator+(CPIMTimeSpan span) const {
    return CPIMTime(WrapAdd(m_time, span.GetTotalSeconds()));
}

const CPIMTime& CPIMTime::operator+=(const CPIMTimeSpan& span) {
    m_time = WrapAdd(m_time, span.GetTotalSeconds());
    GetDateInf();
    return *this;
}

const CPIMTime& CPIMTime::operator-=(const CPIMTimeSpan& span) {
    m_time = WrapSub(m_time, span.GetTotalSeconds());
    GetDateInf();
    return *this;
}

// The refresh. The 128-bit intermediate keeps every 64-bit instant exact;
// the signed remainders and the truncating day-of-week division are those
// the stored forms were made with (they differ from floor only before year 0).
void CPIMTime::GetDateInf() {
    GetDate0Yer();
    const __int128 local = static_cast<__int128>(m_time) - ZoneOffsetSeconds();
    const __int128 fromYear0 = local + kDate0YearSeconds;

    const int secondOfDay = static_cast<int>(fromYear0 % kSecondsPerDay);
    m_tm.tm_hour = secondOfDay / 3600;
    m_tm.tm_min = (secondOfDay % 3600) / 60;
    m_tm.tm_sec = secondOfDay % 60;

    int weekday = static_cast<int>((fromYear0 / kSecondsPerDay) % 7);
    if (weekday <= 0) weekday += 7;
    m_tm.tm_wday = weekday;

    __int128 days = local / kSecondsPerDay;
    if (local % kSecondsPerDay != 0 && local < 0) days -= 1;
    if (days < kFirstCivilDay || days > kLastCivilDay) {
        m_tm.tm_year = -1;
        m_tm.tm_mon = -2;
        m_tm.tm_mday = -1;
    } else {
        const CivilDate date = CivilFromDays(static_cast<int64_t>(days));
        m_tm.tm_year = static_cast<int>(date.year);
        m_tm.tm_mon = date.month - 1;
        m_tm.tm_mday = date.day;
    }
    m_timeInf = m_time;
    m_tm.tm_isdst = 0;
}

void CPIMTime::GetDate0Yer() { m_date0Year = kDate0YearSeconds; }

struct tm* CPIMTime::GetLocalTm(struct tm* p) {
    if (!p) return &m_tm;
    CopyNineFields(m_tm, p);
    return p;
}

struct tm* CPIMTime::GetGmtTm(struct tm* p) { return GetLocalTm(p); }

struct tm* CPIMTime::GetTimeTm(struct tm* p) const {
    if (p) CopyNineFields(m_tm, p);
    return p;
}

void CPIMTime::GetTimeTm(__int64* p) const {
    if (p) *p = m_timeInf;
}

CPIMTime CPIMTime::GetTickCount() { return CPIMTime(static_cast<__int64>(time(nullptr))); }

__int64 CPIMTime::MkTimeEx(const struct tm* p) {
    if (!p) return 0;
    return Compose(p->tm_year, p->tm_mon, p->tm_mday, p->tm_hour, p->tm_min, p->tm_sec);
}

CTime CPIMTime::PIMTimeToTime() const {
    if (GetYear() < 1991 || GetYear() > 2036) return CTime(0);
    return CTime(static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(m_time))));
}

long CPIMTime::PIMTimeToLong() const {
    return static_cast<long>(GetYear()) * 10000 + GetMonth() * 100 + GetDay();
}

int CPIMTime::LongToPIMTime(long n) {
    const long year = n / 10000, month = (n % 10000) / 100, day = n % 100;
    if (year < kFirstValidYear || year > kLastValidYear) return 0;
    if (!CheckDate(static_cast<int>(year), static_cast<int>(month), static_cast<int>(day))) return 0;
    *this = CPIMTime(static_cast<int>(year), static_cast<int>(month), static_cast<int>(day), 0, 0, 0);
    return 1;
}
