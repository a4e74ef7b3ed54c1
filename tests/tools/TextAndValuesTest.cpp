// The pure pieces of the varo command: the Shift-JIS/UTF-8 boundary and the
// parsers of typed values.
#include <gtest/gtest.h>

#include "Arguments.h"
#include "Text.h"

using namespace varo::tool;

namespace {

TEST(ToolText, OutputKeepsWhatItCannotConvertVisible) {
    EXPECT_EQ(ToUtf8("\x8a\x94" /* 株 */), "\xe6\xa0\xaa");
    // A device code glibc does not map, between two good characters.
    EXPECT_EQ(ToUtf8("a\xeb\x40" "b"), "a\\xEB\\x40b");
    // A lead byte cut off at the end stands alone.
    EXPECT_EQ(ToUtf8("ab\x82"), "ab\\x82");
    EXPECT_EQ(ToUtf8("one\r\ntwo\rthree"), "one\ntwo\rthree");
    EXPECT_EQ(ToUtf8(static_cast<const char*>(nullptr)), "");
}

TEST(ToolText, InputIsRefusedRatherThanAltered) {
    CString sjis;
    ASSERT_TRUE(FromUtf8("\xe6\xa0\xaa" /* 株 in UTF-8 */ "\n2", &sjis));
    EXPECT_EQ(sjis.Bytes(), std::string("\x8a\x94\r\n2"));
    ASSERT_TRUE(FromUtf8("already\r\nwindows", &sjis));
    EXPECT_EQ(sjis.Bytes(), "already\r\nwindows");
    EXPECT_FALSE(FromUtf8("\xf0\x9f\x98\x80" /* an emoji */, &sjis));
    EXPECT_TRUE(sjis.IsEmpty());
    EXPECT_FALSE(FromUtf8("\xff broken", &sjis));
}

TEST(ToolText, ColumnsCountWideCharactersTwice) {
    EXPECT_EQ(DisplayWidth("abc"), 3);
    EXPECT_EQ(DisplayWidth(ToUtf8("\x8e\x52\x93\x63" /* 山田 */)), 4);
    EXPECT_EQ(DisplayWidth(ToUtf8("\xb6\xde" /* ｶﾞ, half-width */)), 2);
    EXPECT_EQ(DisplayWidth(ToUtf8("\x82\x60" /* Ａ */)), 2);
    EXPECT_EQ(PadRight(ToUtf8("\x8e\x52" /* 山 */), 4), ToUtf8("\x8e\x52") + "  ");
    EXPECT_EQ(PadRight("toolong", 3), "toolong");
}

TEST(ToolValues, NumbersAndIds) {
    long value = 7;
    EXPECT_TRUE(ParseNumber("0x300C", &value));
    EXPECT_EQ(value, 0x300C);
    EXPECT_TRUE(ParseNumber("-12", &value));
    EXPECT_EQ(value, -12);
    EXPECT_TRUE(ParseNumber("2147483647", &value));
    EXPECT_EQ(value, 2147483647);
    value = 7;
    for (const char* bad : {"", "12x", " 1", "0x", "0x-5", "0x0x10", "2147483648", "-", "1.5", "+-1"}) {
        EXPECT_FALSE(ParseNumber(bad, &value)) << bad;
    }
    EXPECT_EQ(value, 7);
    EXPECT_FALSE(ParseId("0", &value));
    EXPECT_FALSE(ParseId("-3", &value));
    EXPECT_TRUE(ParseId("3", &value));
    EXPECT_TRUE(ParsePosition("end", &value));
    EXPECT_EQ(value, -1);
    EXPECT_FALSE(ParsePosition("-1", &value));
    EXPECT_TRUE(ParsePosition("0", &value));
    EXPECT_EQ(value, 0);
}

TEST(ToolValues, DatesAndTimes) {
    TimeValue time;
    ASSERT_TRUE(ParseTime("2030-01-31", &time));
    EXPECT_FALSE(time.hasTime);
    EXPECT_EQ(time.when, CPIMTime(2030, 1, 31, 0, 0, 0));
    ASSERT_TRUE(ParseTime("1998/3/14 9:05", &time));
    EXPECT_TRUE(time.hasTime);
    EXPECT_EQ(time.when, CPIMTime(1998, 3, 14, 9, 5, 0));
    ASSERT_TRUE(ParseTime("2030-01-31T23:59:58", &time));
    EXPECT_EQ(time.when, CPIMTime(2030, 1, 31, 23, 59, 58));
    const TimeValue before = time;
    for (const char* bad : {"2030-02-30", "2030-13-01", "1900-12-31", "2100-01-01", "2030-01-31 24:00",
                            "2030-01-31 10:60", "2030-01-31x", "2030-01/31", "2030-01-31 10", "20300131",
                            "2030-01-31  10:00", "yesterday", ""}) {
        EXPECT_FALSE(ParseTime(bad, &time)) << bad;
    }
    EXPECT_EQ(time.when, before.when);
    const CPIMTime now = CPIMTime::GetTickCount();
    ASSERT_TRUE(ParseTime("tomorrow", &time));
    EXPECT_FALSE(time.hasTime);
    EXPECT_EQ(time.when, CPIMTime(now.GetYear(), now.GetMonth(), now.GetDay(), 0, 0, 0).CalculateDate(1));
}

TEST(ToolValues, Flags) {
    long flag = 5;
    for (const char* on : {"1", "yes", "on", "true"}) {
        ASSERT_TRUE(ParseFlag(on, &flag));
        EXPECT_EQ(flag, 1);
    }
    for (const char* off : {"0", "no", "off", "false"}) {
        ASSERT_TRUE(ParseFlag(off, &flag));
        EXPECT_EQ(flag, 0);
    }
    EXPECT_FALSE(ParseFlag("2", &flag));
    EXPECT_FALSE(ParseFlag("Yes", &flag));
}

}  // namespace
