#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "PIMTime.h"
#include "TimeZoneGuard.h"

namespace {

const __int64 kJstOffset = 9 * 3600;

__int64 UtcSeconds(int year, int month, int day, int hour, int minute, int second) {
    struct tm t = {};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return static_cast<__int64>(timegm(&t));
}

std::string FieldText(int year, int month, int day, int hour, int minute, int second) {
    char text[80];
    std::snprintf(text, sizeof text, "%d-%d-%d %d:%d:%d", year, month, day, hour, minute, second);
    return text;
}

// The six calendar and clock fields as "Y-M-D h:m:s".
std::string Fields(const CPIMTime& t) {
    return FieldText(t.GetYear(), t.GetMonth(), t.GetDay(), t.GetHour(), t.GetMinute(), t.GetSecond());
}

struct FieldsCase {
    CPIMTime got;
    const char* fields;
};

void ExpectFields(std::initializer_list<FieldsCase> cases) {
    int row = 0;
    for (const FieldsCase& c : cases) EXPECT_EQ(Fields(c.got), c.fields) << "row " << row++;
}

class PIMTimeTest : public JstTest {};

TEST_F(PIMTimeTest, ComposesDecomposesAndCarriesFieldsOver) {
    const CPIMTime t(1998, 3, 14, 12, 41, 29);
    EXPECT_EQ(t.GetDayOfWeek(), 7);
    EXPECT_EQ(t.GetTime(), UtcSeconds(1998, 3, 14, 3, 41, 29));
    EXPECT_EQ(CPIMTime(__int64{0}).GetDayOfWeek(), 5);
    ExpectFields({
        {t, "1998-3-14 12:41:29"}, {CPIMTime(__int64{0}), "1970-1-1 9:0:0"},
        // Outside 32-bit seconds, and the first and last calendar instants.
        {CPIMTime(2038, 1, 20, 0, 0, 0), "2038-1-20 0:0:0"}, {CPIMTime(1901, 1, 1, 0, 0, 0), "1901-1-1 0:0:0"},
        {CPIMTime(9999, 12, 31, 23, 59, 59), "9999-12-31 23:59:59"}, {CPIMTime(100, 1, 1, 0, 0, 0), "100-1-1 0:0:0"},
        // Fields out of range carry over.
        {CPIMTime(2000, 3, 0, 0, 0, 0), "2000-2-29 0:0:0"}, {CPIMTime(1999, 13, 1, 0, 0, 0), "2000-1-1 0:0:0"},
        {CPIMTime(1999, 12, 31, 24, 0, 0), "2000-1-1 0:0:0"}, {CPIMTime(2000, 1, 1, 0, 0, -1), "1999-12-31 23:59:59"},
    });
    EXPECT_EQ(CPIMTime(-1, 1, 1, 0, 0, 0).GetTime(), 0);
}

TEST_F(PIMTimeTest, CalendarFieldsOutsideYears100To9999ReadMinusOne) {
    const CPIMTime early(99, 12, 31, 10, 20, 30);
    EXPECT_EQ(Fields(early), "-1--1--1 10:20:30");
    EXPECT_TRUE(early.GetDayOfWeek() >= 1 && early.GetDayOfWeek() <= 7) << early.GetDayOfWeek();
    EXPECT_EQ(CPIMTime(10000, 1, 1, 0, 0, 0).GetYear(), -1);
    EXPECT_EQ(CPIMTime(CString("")).GetYear(), -1);
}

TEST_F(PIMTimeTest, AgreesWithTheCLibraryOverRandomInstants) {
    std::mt19937_64 random(1998);
    std::uniform_int_distribution<__int64> instants(UtcSeconds(100, 1, 1, 0, 0, 0), UtcSeconds(9999, 12, 31, 0, 0, 0));
    for (int i = 0; i < 20000; ++i) {
        const __int64 utc = instants(random);
        const time_t local = static_cast<time_t>(utc + kJstOffset);
        struct tm expected;
        gmtime_r(&local, &expected);
        const CPIMTime t(utc);
        ASSERT_EQ(Fields(t), FieldText(expected.tm_year + 1900, expected.tm_mon + 1, expected.tm_mday, expected.tm_hour,
                                       expected.tm_min, expected.tm_sec)) << utc;
        ASSERT_EQ(t.GetDayOfWeek(), expected.tm_wday + 1) << utc;
        ASSERT_EQ(CPIMTime(t.GetYear(), t.GetMonth(), t.GetDay(), t.GetHour(), t.GetMinute(), t.GetSecond()).GetTime(),
                  utc);
    }
}

TEST_F(PIMTimeTest, OtherZonesShiftByTheirStandardOffset) {
    TimeZoneGuard newYork("EST5EDT");
    // Daylight saving is never applied: July reads standard time too.
    const CPIMTime july(2000, 7, 1, 12, 0, 0);
    EXPECT_EQ(july.GetTime(), UtcSeconds(2000, 7, 1, 17, 0, 0));
    EXPECT_EQ(july.GetHour(), 12);
}

TEST_F(PIMTimeTest, ConvertsFromPlatformTimeForms) {
    SYSTEMTIME old = {1900, 1, 1, 1, 0, 0, 0, 0};
    EXPECT_EQ(CPIMTime(old).GetTime(), CPIMTime(__int64{0}).GetTime());
    SYSTEMTIME st = {1998, 3, 6, 14, 12, 41, 29, 500};
    EXPECT_EQ(CPIMTime(st).GetTime(), CPIMTime(1998, 3, 14, 12, 41, 29).GetTime());

    // A FILETIME is UTC: 1998-03-14 03:41:29 UTC reads 12:41:29 local.
    const unsigned long long ticks =
        (static_cast<unsigned long long>(UtcSeconds(1998, 3, 14, 3, 41, 29)) + 11644473600ULL) *
        10000000ULL;
    FILETIME ft = {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    EXPECT_EQ(Fields(CPIMTime(ft)), "1998-3-14 12:41:29");
    FILETIME bad = {0, 0x80000000u};
    EXPECT_EQ(CPIMTime(bad).GetTime(), 0);

    // DOS: 2040-06-15 10:30:20 lies beyond 32-bit seconds and keeps its instant.
    const unsigned short dosDate = static_cast<unsigned short>(((2040 - 1980) << 9) | (6 << 5) | 15);
    const unsigned short dosTime = static_cast<unsigned short>((10 << 11) | (30 << 5) | 10);
    EXPECT_EQ(Fields(CPIMTime(dosDate, dosTime)), "2040-6-15 10:30:20");

    EXPECT_EQ(CPIMTime(CTime(0)).GetTime(), 0);
}

TEST_F(PIMTimeTest, ArithmeticWithSpans) {
    const CPIMTime a(2000, 3, 1, 0, 0, 0);
    const CPIMTime b(2000, 2, 28, 0, 0, 0);
    EXPECT_EQ((a - b).GetDays(), 2);
    CPIMTime c = b + CPIMTimeSpan(2, 0, 0, 0);
    EXPECT_TRUE(c == a);
    c -= CPIMTimeSpan(1, 0, 0, 0);
    c += CPIMTimeSpan(3600);
    EXPECT_EQ(Fields(c), "2000-2-29 1:0:0");
    EXPECT_TRUE(a - CPIMTimeSpan(86400 * 2) == b);
    EXPECT_TRUE(b < a && a > b && a >= a && b <= b && a != b);

    // Overflow wraps instead of being undefined.
    const CPIMTime huge(INT64_MAX);
    EXPECT_EQ((huge + CPIMTimeSpan(1)).GetTime(), INT64_MIN);
}

TEST_F(PIMTimeTest, TmCopiesAndMkTimeEx) {
    CPIMTime t(1998, 3, 14, 12, 41, 29);
    struct tm local, gmt;
    std::memset(&local, 0x55, sizeof local);
    std::memset(&gmt, 0x55, sizeof gmt);
    t.GetLocalTm(&local);
    t.GetGmtTm(&gmt);
    EXPECT_EQ(std::memcmp(&local, &gmt, sizeof local), 0);
    EXPECT_EQ(std::vector<int>({local.tm_year, local.tm_mon, local.tm_mday, local.tm_wday, local.tm_isdst}),
              std::vector<int>({1998, 2, 14, 7, 0}));
    EXPECT_EQ(CPIMTime::MkTimeEx(&local), t.GetTime());
    EXPECT_EQ(CPIMTime::MkTimeEx(nullptr), 0);
    EXPECT_EQ(t.GetTimeTm(static_cast<struct tm*>(nullptr)), nullptr);
    EXPECT_EQ(t.GetLocalTm()->tm_mday, 14);
    __int64 value = 0;
    t.GetTimeTm(&value);
    EXPECT_EQ(value, t.GetTime());
}

TEST_F(PIMTimeTest, PackedDatesAndSecondsForms) {
    EXPECT_EQ(CPIMTime(1998, 12, 31, 23, 0, 0).PIMTimeToLong(), 19981231);
    CPIMTime t(1998, 1, 1, 5, 0, 0);
    EXPECT_EQ(t.LongToPIMTime(19990229), 0);
    EXPECT_EQ(t.LongToPIMTime(21000101), 0);
    EXPECT_EQ(Fields(t), "1998-1-1 5:0:0");
    EXPECT_EQ(t.LongToPIMTime(20000229), 1);
    EXPECT_EQ(Fields(t), "2000-2-29 0:0:0");

    EXPECT_EQ(CPIMTime(2037, 1, 1, 0, 0, 0).PIMTimeToTime().GetTime(), 0);
    const CPIMTime lastDay(2036, 12, 31, 0, 0, 0);
    EXPECT_EQ(lastDay.PIMTimeToTime().GetTime(), static_cast<int32_t>(lastDay.GetTime()));
    EXPECT_EQ(CPIMTime(1990, 12, 31, 0, 0, 0).PIMTimeToTime().GetTime(), 0);
}

TEST_F(PIMTimeTest, CalendarQueriesAndChecks) {
    const int months[][3] = {{2000, 2, 29}, {1900, 2, 28}, {2004, 2, 29}, {2001, 12, 31}, {2001, 0, 0}, {2001, 13, 0}};
    for (const auto& m : months) EXPECT_EQ(CPIMTime::GetDaysInMonth(m[0], m[1]), m[2]) << m[0] << "-" << m[1];
    EXPECT_EQ(CPIMTime::GetDaysInYear(2100), 365);
    EXPECT_EQ(CPIMTime::GetDaysInYear(2000), 366);
    EXPECT_EQ(CPIMTime(2004, 2, 1, 0, 0, 0).GetDaysInMonth(), 29);
    EXPECT_EQ(CPIMTime(2004, 2, 1, 0, 0, 0).GetDaysInYear(), 366);
    const int dates[][4] = {{1900, 1, 1, 0},  {2100, 1, 1, 0}, {2099, 12, 31, 1}, {1901, 1, 1, 1}, {1999, 2, 29, 0},
                            {2000, 2, 29, 1}, {2000, 13, 1, 0}, {2000, 4, 31, 0}, {2000, 4, 0, 0}};
    for (const auto& d : dates) EXPECT_EQ(CPIMTime::CheckDate(d[0], d[1], d[2]), d[3]) << "row " << &d - dates;
    const int times[][4] = {{23, 59, 59, 1}, {24, 0, 0, 0}, {0, 60, 0, 0}, {0, 0, -1, 0}};
    for (const auto& t : times) EXPECT_EQ(CPIMTime::CheckTime(t[0], t[1], t[2]), t[3]) << "row " << &t - times;
}

TEST_F(PIMTimeTest, FieldSettersNeverClamp) {
    CPIMTime leap(2000, 2, 29, 10, 20, 30), jan31(1999, 1, 31, 8, 0, 0), outside(1850, 1, 1, 0, 0, 0);
    const auto year = &CPIMTime::SetYear, month = &CPIMTime::SetMonth, day = &CPIMTime::SetDay;
    const struct {
        CPIMTime* t;
        int (CPIMTime::*set)(int);
        int value, result;
        const char* fields;
    } steps[] = {{&leap, year, 2001, 0, "2000-2-29 10:20:30"}, {&leap, year, 2004, 1, "2004-2-29 10:20:30"},
                 {&leap, year, 2100, 0, "2004-2-29 10:20:30"}, {&jan31, month, 2, 0, "1999-1-31 8:0:0"},
                 {&jan31, month, 13, 0, "1999-1-31 8:0:0"},    {&jan31, month, 3, 1, "1999-3-31 8:0:0"},
                 {&jan31, day, 32, 0, "1999-3-31 8:0:0"},      {&jan31, day, 0, 0, "1999-3-31 8:0:0"},
                 {&jan31, day, 1, 1, "1999-3-1 8:0:0"},        {&outside, day, 2, 0, "1850-1-1 0:0:0"},
                 {&outside, month, 2, 0, "1850-1-1 0:0:0"}};
    for (const auto& step : steps) {
        EXPECT_EQ((step.t->*step.set)(step.value), step.result) << "step " << &step - steps;
        EXPECT_EQ(Fields(*step.t), step.fields) << "step " << &step - steps;
    }
}

TEST_F(PIMTimeTest, DayNumbers) {
    for (auto [year, month, day, number] : {std::tuple<int, int, int, __int64>{1970, 1, 1, 719528}, {0, 1, 1, 0},
                                            {2000, 3, 1, 730545}}) {
        EXPECT_EQ(CPIMTime::GetJulianDay(year, month, day), number) << year;
    }
    EXPECT_EQ(CPIMTime(2000, 3, 1, 15, 0, 0).GetJulianDay(), 730545);

    CPIMTime t(1998, 1, 1, 5, 6, 7);
    EXPECT_EQ(t.SetJulianDay(730545), 1);
    EXPECT_EQ(Fields(t), "2000-3-1 0:0:0");

    // Every day of the valid years comes back through its day number.
    for (__int64 day = CPIMTime::GetJulianDay(1901, 1, 1); day <= CPIMTime::GetJulianDay(2099, 12, 31);
         day += 7) {
        ASSERT_EQ(t.SetJulianDay(day), 1);
        ASSERT_EQ(t.GetJulianDay(), day);
    }
    // Outside, the estimate may be a year off and is still corrected.
    for (auto [year, month, day] : {std::tuple<int, int, int>{150, 12, 31}, {9999, 1, 1}}) {
        EXPECT_EQ(t.SetJulianDay(CPIMTime::GetJulianDay(year, month, day)), 1);
        EXPECT_EQ(Fields(t), FieldText(year, month, day, 0, 0, 0));
    }

    // A day number whose year does not fit 32 bits is refused.
    const CPIMTime before = t;
    EXPECT_EQ(t.SetJulianDay(INT64_MAX / 2), 0);
    EXPECT_TRUE(t == before);
    EXPECT_EQ(t.SetJulianDay(INT64_MIN / 2), 0);
}

TEST_F(PIMTimeTest, MovesKeepTheTimeOfDayAndCutToTheMonthEnd) {
    ExpectFields({{CPIMTime(1998, 1, 31, 9, 0, 0).CalculateMonth(1), "1998-2-28 9:0:0"},
                  {CPIMTime(2000, 1, 31, 9, 0, 0).CalculateMonth(1), "2000-2-29 9:0:0"},
                  {CPIMTime(1998, 3, 28, 0, 0, 0).CalculateMonth(1), "1998-4-30 0:0:0"},
                  {CPIMTime(1998, 3, 30, 0, 0, 0).CalculateMonth(1), "1998-4-30 0:0:0"},
                  {CPIMTime(1998, 2, 28, 0, 0, 0).CalculateMonth(1), "1998-3-28 0:0:0"},
                  {CPIMTime(2000, 1, 15, 0, 0, 0).CalculateMonth(-13), "1998-12-15 0:0:0"},
                  {CPIMTime(2000, 2, 29, 0, 0, 0).CalculateMonth(12), "2001-2-28 0:0:0"},
                  {CPIMTime(2000, 12, 15, 0, 0, 0).CalculateMonth(-12), "1999-12-15 0:0:0"},
                  {CPIMTime(2000, 12, 15, 0, 0, 0).CalculateMonth(1), "2001-1-15 0:0:0"},
                  {CPIMTime(1999, 12, 31, 23, 0, 0).CalculateDate(1), "2000-1-1 23:0:0"},
                  {CPIMTime(2000, 3, 1, 0, 0, 0).CalculateDate(-365), "1999-3-2 0:0:0"},
                  {CPIMTime(2099, 12, 31, 0, 0, 0).CalculateHour(23), "2099-12-31 23:0:0"},
                  {CPIMTime(1902, 1, 1, 0, 30, 0).CalculateMinute(-30), "1902-1-1 0:0:0"},
                  {CPIMTime(2000, 1, 1, 0, 0, 0).GetCalculateTime(-1, 7), "1999-12-31 23:0:0"},
                  {CPIMTime(2000, 1, 1, 0, 0, 0).CalculateMinute(1500), "2000-1-2 1:0:0"}});
}

TEST_F(PIMTimeTest, MovesOutOfBoundsKeepTheObject) {
    // Beyond any year, past 2099 or before 1901, and beyond |LONG_MIN|:
    // refused, never overflowed or wrapped.
    const CPIMTime t(2000, 1, 1, 0, 0, 0), end(2099, 12, 31, 0, 0, 0), start(1902, 1, 1, 0, 30, 0);
    const struct {
        CPIMTime got, from;
    } rows[] = {{t.CalculateMonth(LONG_MAX), t},        {t.CalculateMonth(LONG_MIN), t},
                {t.CalculateDate(LONG_MIN), t},         {end.CalculateHour(25), end},
                {start.CalculateMinute(-90), start},    {end.CalculateMinute(LONG_MAX), end},
                {start.CalculateHour(LONG_MIN), start}, {end.CalculateHour(24L * 366 * 9000), end}};
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) EXPECT_TRUE(rows[i].got == rows[i].from) << "row " << i;
    EXPECT_EQ(Fields(t), "2000-1-1 0:0:0");

    // Before year 100 the year reads -1, which is not past 2099: forward
    // moves go ahead, into year 100 too; backward ones stay refused.
    const CPIMTime ancient(50, 6, 1, 12, 0, 0), lastOf99(99, 12, 31, 23, 30, 0);
    EXPECT_EQ(ancient.CalculateHour(2).GetTime(), ancient.GetTime() + 7200);
    EXPECT_EQ(ancient.CalculateMinute(90).GetTime(), ancient.GetTime() + 5400);
    EXPECT_EQ(Fields(lastOf99.CalculateMinute(30)), "100-1-1 0:0:0");
    EXPECT_TRUE(ancient.CalculateHour(-1) == ancient);
}

TEST_F(PIMTimeTest, CenterDate) {
    const CPIMTime a(1998, 1, 1, 0, 0, 0);
    const CPIMTime b(1998, 1, 2, 0, 0, 0);
    CPIMTime center;
    center.GetCenterDate(&a, &b);
    EXPECT_EQ(Fields(center), "1998-1-1 12:0:0");
    const CPIMTime big(INT64_MAX);
    center.GetCenterDate(&big, &big);
    EXPECT_EQ(center.GetTime(), INT64_MAX);
    center.GetCenterDate(nullptr, &a);
    EXPECT_EQ(center.GetTime(), INT64_MAX);
}

}  // namespace
