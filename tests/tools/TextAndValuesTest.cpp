// The pure pieces of the varo command: the Shift-JIS/UTF-8 boundary and the
// parsers of typed values.
#include <gtest/gtest.h>

#include "Arguments.h"
#include "Text.h"

using namespace varo::tool;

namespace {

TEST(ToolText, OutputKeepsWhatItCannotConvertVisible) {
    const std::pair<const char*, const char*> cases[] = {
        {"\x8a\x94" /* 株 */, "\xe6\xa0\xaa"},
        {"a\xeb\x40" "b", "a\\xEB\\x40b"},  // a device code glibc does not map
        {"ab\x82", "ab\\x82"},              // a lead byte cut off at the end
        {"one\r\ntwo\rthree", "one\ntwo\rthree"},
    };
    for (const auto& [sjis, utf8] : cases) EXPECT_EQ(ToUtf8(sjis), utf8);
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

TEST(ToolValues, NumbersIdsPositionsAndFlags) {
    using Parser = bool (*)(const std::string&, long*);
    const long kUntouched = 7;
    const struct {
        Parser parse;
        const char* text;
        bool accepted;
        long value;
    } cases[] = {
        {ParseNumber, "0x300C", true, 0x300C}, {ParseNumber, "-12", true, -12},
        {ParseNumber, "2147483647", true, 2147483647}, {ParseNumber, "2147483648", false, 0},
        {ParseNumber, "", false, 0}, {ParseNumber, "12x", false, 0}, {ParseNumber, " 1", false, 0},
        {ParseNumber, "0x", false, 0}, {ParseNumber, "0x-5", false, 0}, {ParseNumber, "0x0x10", false, 0},
        {ParseNumber, "-", false, 0}, {ParseNumber, "1.5", false, 0}, {ParseNumber, "+-1", false, 0},
        {ParseId, "3", true, 3}, {ParseId, "0", false, 0}, {ParseId, "-3", false, 0},
        {ParsePosition, "end", true, -1}, {ParsePosition, "0", true, 0}, {ParsePosition, "-1", false, 0},
        {ParseFlag, "1", true, 1}, {ParseFlag, "yes", true, 1}, {ParseFlag, "on", true, 1},
        {ParseFlag, "true", true, 1}, {ParseFlag, "0", true, 0}, {ParseFlag, "no", true, 0},
        {ParseFlag, "off", true, 0}, {ParseFlag, "false", true, 0}, {ParseFlag, "2", false, 0},
        {ParseFlag, "Yes", false, 0},
    };
    for (const auto& c : cases) {
        long value = kUntouched;
        EXPECT_EQ(c.parse(c.text, &value), c.accepted) << "'" << c.text << "'";
        EXPECT_EQ(value, c.accepted ? c.value : kUntouched) << "'" << c.text << "'";
    }
}

TEST(ToolValues, DatesAndTimes) {
    const CPIMTime now = CPIMTime::GetTickCount();
    const struct {
        const char* text;
        bool hasTime;
        CPIMTime when;
    } good[] = {
        {"2030-01-31", false, CPIMTime(2030, 1, 31, 0, 0, 0)},
        {"1998/3/14 9:05", true, CPIMTime(1998, 3, 14, 9, 5, 0)},
        {"2030-01-31T23:59:58", true, CPIMTime(2030, 1, 31, 23, 59, 58)},
        {"tomorrow", false, CPIMTime(now.GetYear(), now.GetMonth(), now.GetDay(), 0, 0, 0).CalculateDate(1)},
    };
    TimeValue time;
    for (const auto& c : good) {
        ASSERT_TRUE(ParseTime(c.text, &time)) << c.text;
        EXPECT_EQ(time.hasTime, c.hasTime) << c.text;
        EXPECT_EQ(time.when, c.when) << c.text;
    }
    const TimeValue before = time;
    for (const char* bad : {"2030-02-30", "2030-13-01", "1900-12-31", "2100-01-01", "2030-01-31 24:00",
                            "2030-01-31 10:60", "2030-01-31x", "2030-01/31", "2030-01-31 10", "20300131",
                            "2030-01-31  10:00", "yesterday", ""}) {
        EXPECT_FALSE(ParseTime(bad, &time)) << bad;
    }
    EXPECT_EQ(time.when, before.when);
}

}  // namespace
