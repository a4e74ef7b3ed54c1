#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "CTime.h"
#include "TimeZoneGuard.h"
#include "WinTime.h"

namespace {

const uint64_t kTicksAt1970 = 116444736000000000ULL;

FILETIME FileTimeOf(uint64_t ticks) {
    return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

uint64_t TicksOf(const FILETIME& ft) { return (uint64_t{ft.dwHighDateTime} << 32) | ft.dwLowDateTime; }

TEST(WinTimeTest, FileTimeAndSystemTimeConvertBothWays) {
    SYSTEMTIME st;
    FILETIME epoch = FileTimeOf(kTicksAt1970 + 12345 * 10000ULL);
    ASSERT_TRUE(FileTimeToSystemTime(&epoch, &st));
    const SYSTEMTIME expected = {1970, 1, 4 /* Thursday */, 1, 0, 0, 12, 345};
    EXPECT_EQ(std::memcmp(&st, &expected, sizeof st), 0);

    FILETIME first = FileTimeOf(0);
    ASSERT_TRUE(FileTimeToSystemTime(&first, &st));
    EXPECT_EQ(st.wYear, 1601);
    EXPECT_EQ(st.wDayOfWeek, 1);  // Monday

    // Every 37th day from 1601 to past 9999 comes back through both forms.
    for (uint64_t day = 0; day < 3200000; day += 37) {
        const FILETIME ft = FileTimeOf(day * 864000000000ULL + 3723004ULL * 10000);
        ASSERT_TRUE(FileTimeToSystemTime(&ft, &st));
        FILETIME back;
        ASSERT_TRUE(SystemTimeToFileTime(&st, &back));
        ASSERT_EQ(TicksOf(back), TicksOf(ft)) << day;
    }

    FILETIME tooLate = FileTimeOf(0x8000000000000000ULL);
    EXPECT_FALSE(FileTimeToSystemTime(&tooLate, &st));
    EXPECT_FALSE(FileTimeToSystemTime(nullptr, &st));
    FILETIME untouched = FileTimeOf(42);
    for (const SYSTEMTIME& bad : {SYSTEMTIME{1999, 2, 0, 29, 0, 0, 0, 0}, SYSTEMTIME{1600, 12, 0, 31, 0, 0, 0, 0},
                                  SYSTEMTIME{2000, 1, 0, 1, 24, 0, 0, 0}}) {
        EXPECT_FALSE(SystemTimeToFileTime(&bad, &untouched)) << bad.wYear;
    }
    EXPECT_EQ(TicksOf(untouched), 42u);
}

TEST(WinTimeTest, LocalTimeUsesTheStandardOffset) {
    TimeZoneGuard japan("JST-9");
    const FILETIME utc = FileTimeOf(kTicksAt1970);
    FILETIME local;
    ASSERT_TRUE(FileTimeToLocalFileTime(&utc, &local));
    EXPECT_EQ(TicksOf(local), kTicksAt1970 + 9 * 3600 * 10000000ULL);

    // Daylight saving is not applied, in summer either.
    TimeZoneGuard newYork("EST5EDT");
    const uint64_t july2000 = kTicksAt1970 + 962409600ULL * 10000000ULL;
    const FILETIME summer = FileTimeOf(july2000);
    ASSERT_TRUE(FileTimeToLocalFileTime(&summer, &local));
    EXPECT_EQ(TicksOf(local), july2000 - 5 * 3600 * 10000000ULL);

    const FILETIME start = FileTimeOf(0);
    EXPECT_FALSE(FileTimeToLocalFileTime(&start, &local));  // before 1601
}

TEST(WinTimeTest, CurrentTimes) {
    SYSTEMTIME now;
    GetSystemTime(&now);
    const time_t seconds = time(nullptr);
    struct tm expected;
    gmtime_r(&seconds, &expected);
    EXPECT_EQ(now.wYear, expected.tm_year + 1900);
    EXPECT_EQ(now.wMonth, expected.tm_mon + 1);
    const int32_t current = CTime::GetCurrentTime().GetTime();
    EXPECT_LE(std::llabs(static_cast<long long>(current) - static_cast<int32_t>(seconds)), 2);
}

}  // namespace
