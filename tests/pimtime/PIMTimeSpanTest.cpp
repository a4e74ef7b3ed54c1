#include <gtest/gtest.h>

#include <string>

#include "PIMTime.h"

namespace {

std::string Str(const CString& s) { return std::string(s); }

TEST(PIMTimeSpanTest, SplitsIntoUnits) {
    const CPIMTimeSpan span(1, 2, 3, 4);
    EXPECT_EQ(span.GetTotalSeconds(), 93784);
    EXPECT_EQ(span.GetDays(), 1);
    EXPECT_EQ(span.GetTotalHours(), 26);
    EXPECT_EQ(span.GetHours(), 2);
    EXPECT_EQ(span.GetTotalMinutes(), 1563);
    EXPECT_EQ(span.GetMinutes(), 3);
    EXPECT_EQ(span.GetSeconds(), 4);
    EXPECT_EQ(CPIMTimeSpan(0, 25, 0, 0).GetTotalSeconds(), 90000);

    const CPIMTimeSpan back(-90);
    EXPECT_EQ(back.GetMinutes(), -1);
    EXPECT_EQ(back.GetSeconds(), -30);
    EXPECT_EQ(back.GetDays(), 0);
    EXPECT_EQ(CPIMTimeSpan(-90000).GetHours(), -1);

    // More than 68 years.
    const CPIMTimeSpan long_(40000, 0, 0, 0);
    EXPECT_EQ(long_.GetDays(), 40000);
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
    EXPECT_EQ(Str(CPIMTimeSpan(1, 2, 3, 4).Format("%D %H:%M:%S")), "1 02:03:04");
    EXPECT_EQ(Str(CPIMTimeSpan(-90).Format("%M:%S")), "-1:-30");
    EXPECT_EQ(Str(CPIMTimeSpan(0).Format("100%%")), "100%");
    EXPECT_EQ(Str(CPIMTimeSpan(0).Format("%Q")), "Q");
    EXPECT_EQ(Str(CPIMTimeSpan(0).Format("%d%h")), "dh");
    EXPECT_EQ(Str(CPIMTimeSpan(0).Format("")), "");
    EXPECT_EQ(Str(CPIMTimeSpan(0, 5, 0, 0).Format("%H%")), "05");
    EXPECT_EQ(Str(CPIMTimeSpan(0).Format(nullptr)), "");

    // The whole day count, beyond 32 bits.
    const __int64 days = 5000000000LL;
    EXPECT_EQ(Str(CPIMTimeSpan(days * 86400).Format("%D")), "5000000000");

    // No length limit on the result.
    std::string format, expected;
    for (int i = 0; i < 100; ++i) {
        format += "%D-%H;";
        expected += "3-04;";
    }
    EXPECT_EQ(Str(CPIMTimeSpan(3, 4, 0, 0).Format(format.c_str())), expected);
}

}  // namespace
