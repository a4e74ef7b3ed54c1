#include <gtest/gtest.h>

#include <string>

#include "CodePage.h"

namespace {

TEST(CodePageTest, LeadBytesOfCodePage932) {
    // Half-width katakana (0xA1-0xDF) are one byte.
    for (int b = 0; b < 256; ++b) {
        EXPECT_EQ(IsDBCSLeadByte(static_cast<BYTE>(b)) != 0, (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) << b;
    }
}

TEST(CodePageTest, RoundTripsThroughUtf8AndUtf16) {
    // 年月日 in Shift-JIS, a half-width katakana and ASCII.
    const std::string sjis = "\x94\x4e\x8c\x8e\x93\xfa\xb1" "A";
    std::string utf8;
    ASSERT_TRUE(Cp932ToUtf8(sjis, &utf8));
    EXPECT_EQ(utf8, "\xe5\xb9\xb4\xe6\x9c\x88\xe6\x97\xa5\xef\xbd\xb1" "A");
    std::string back;
    ASSERT_TRUE(Utf8ToCp932(utf8, &back));
    EXPECT_EQ(back, sjis);

    std::u16string utf16;
    ASSERT_TRUE(Cp932ToUtf16(sjis, &utf16));
    EXPECT_EQ(utf16, std::u16string(u"\u5e74\u6708\u65e5\uff71A"));
    ASSERT_TRUE(Utf16ToCp932(utf16, &back));
    EXPECT_EQ(back, sjis);

    // Long texts grow the output more than once.
    std::string wide;
    std::string pairs;
    for (int i = 0; i < 50000; ++i) pairs += "\x82\xa0";
    ASSERT_TRUE(Cp932ToUtf8(pairs, &wide));
    EXPECT_EQ(wide.size(), 150000u);
    EXPECT_TRUE(Cp932ToUtf8("", &wide));
    EXPECT_TRUE(wide.empty());
}

TEST(CodePageTest, RefusesWhatCannotBeConverted) {
    std::string out = "stale";
    EXPECT_FALSE(Cp932ToUtf8("\x82", &out));  // a lead byte without its trail
    EXPECT_TRUE(out.empty());
    EXPECT_FALSE(Utf8ToCp932("\xff\xfe", &out));  // not UTF-8
    EXPECT_FALSE(Utf8ToCp932("\xf0\x9f\x98\x80", &out));  // no Shift-JIS form
    EXPECT_FALSE(Utf16ToCp932(std::u16string(1, char16_t(0xD800)), &out));  // lone surrogate
    EXPECT_FALSE(Cp932ToUtf8("abc", nullptr));
}

}  // namespace
