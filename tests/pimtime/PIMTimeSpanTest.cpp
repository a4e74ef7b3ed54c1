#include <gtest/gtest.h>

#include <string>

#include "PIMTime.h"

namespace {

std::string Str(const CString& s) { return std::string(s); }

// Days, total hours, hours, total minutes, minutes and seconds.
std::string Parts(const CPIMTimeSpan& span) {
    return std::to_string(span.GetDays()) + " " + std::to_string(span.GetTotalHours()) + " " +
           std::to_string(span.GetHours()) + " " + std::to_string(span.GetTotalMinutes()) + " " +
           std::to_string(span.GetMinutes()) + " " + std::to_string(span.GetSeconds());
}

TEST(PIMTimeSpanTest, SplitsIntoUnitsTruncatedTowardZero) {
    EXPECT_EQ(CPIMTimeSpan(1, 2, 3, 4).GetTotalSeconds(), 93784);
    EXPECT_EQ(CPIMTimeSpan(0, 25, 0, 0).GetTotalSeconds(), 90000);
    EXPECT_EQ(Parts(CPIMTimeSpan(1, 2, 3, 4)), "1 26 2 1563 3 4");
    EXPECT_EQ(Parts(CPIMTimeSpan(-90)), "0 0 0 -1 -1 -30");
    EXPECT_EQ(Parts(CPIMTimeSpan(-90000)), "-1 -25 -1 -1500 0 0");
    EXPECT_EQ(Parts(CPIMTimeSpan(40000, 0, 0, 0)), "40000 960000 0 57600000 0 0");  // more than 68 years
}

TEST(PIMTimeSpanTest, ArithmeticAndComparison) {
    CPIMTimeSpan a(100);
    const CPIMTimeSpan b(30);
    EXPECT_EQ((a - b).GetTotalSeconds(), 70);
    EXPECT_EQ((a + b).GetTotalSeconds(), 130);
    a += b;
    EXPECT_EQ(a.GetTotalSeconds(), 130);
    a -= b;
    a -= b;
    EXPECT_EQ(a.GetTotalSeconds(), 70);
    EXPECT_TRUE(CPIMTimeSpan(-1) < CPIMTimeSpan(0));
    EXPECT_TRUE(CPIMTimeSpan(0) > CPIMTimeSpan(-1));
    EXPECT_TRUE(b <= b && b >= b && b == CPIMTimeSpan(30) && b != a);
    // Overflow wraps rather than being undefined.
    EXPECT_EQ((CPIMTimeSpan(INT64_MAX) + CPIMTimeSpan(1)).GetTotalSeconds(), INT64_MIN);
}

TEST(PIMTimeSpanTest, Format) {
    const struct {
        CPIMTimeSpan span;
        const char* format;
        const char* expected;
    } rows[] = {{CPIMTimeSpan(1, 2, 3, 4), "%D %H:%M:%S", "1 02:03:04"}, {CPIMTimeSpan(-90), "%M:%S", "-1:-30"},
                {CPIMTimeSpan(0), "100%%", "100%"}, {CPIMTimeSpan(0), "%Q", "Q"}, {CPIMTimeSpan(0), "%d%h", "dh"},
                {CPIMTimeSpan(0), "", ""}, {CPIMTimeSpan(0, 5, 0, 0), "%H%", "05"}, {CPIMTimeSpan(0), nullptr, ""},
                // The whole day count, beyond 32 bits.
                {CPIMTimeSpan(5000000000LL * 86400), "%D", "5000000000"}};
    for (const auto& row : rows) EXPECT_EQ(Str(row.span.Format(row.format)), row.expected) << row.expected;

    // No length limit on the result.
    std::string format, expected;
    for (int i = 0; i < 100; ++i) {
        format += "%D-%H;";
        expected += "3-04;";
    }
    EXPECT_EQ(Str(CPIMTimeSpan(3, 4, 0, 0).Format(format.c_str())), expected);
}

}  // namespace
