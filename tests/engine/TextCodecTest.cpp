// The engine's text conversions and its Shift-JIS search.
#include <gtest/gtest.h>

#include "TextCodec.h"

namespace {

using namespace varo::engine;

TEST(TextCodecTest, Utf16AndUtf8RoundTripStrictly) {
    std::string utf8;
    ASSERT_TRUE(Utf16ToUtf8(u"a\u00e9\u8868\U0001F600" /* aé表😀 */, 100, &utf8));
    EXPECT_EQ("a\xc3\xa9\xe8\xa1\xa8\xf0\x9f\x98\x80", utf8);
    std::u16string back;
    ASSERT_TRUE(Utf8ToUtf16(utf8, &back));
    EXPECT_EQ(u"a\u00e9\u8868\U0001F600" /* aé表😀 */, back);

    const char16_t loneHigh[] = {u'a', 0xD800, 0};
    const char16_t loneLow[] = {0xDC00, u'a', 0};
    EXPECT_FALSE(Utf16ToUtf8(loneHigh, 100, &utf8));
    EXPECT_TRUE(utf8.empty());
    EXPECT_FALSE(Utf16ToUtf8(loneLow, 100, &utf8));
    EXPECT_FALSE(Utf16ToUtf8(nullptr, 100, &utf8));
    EXPECT_TRUE(Utf16ToUtf8(u"abc", 3, &utf8));
    EXPECT_FALSE(Utf16ToUtf8(u"abcd", 3, &utf8));

    for (const char* bad : {"\xc0\xaf", "\xe0\x80\xaf", "\xed\xa0\x80", "\xe8\xa1", "\xff", "\xf4\x90\x80\x80"}) {
        EXPECT_FALSE(Utf8ToUtf16(bad, &back)) << bad;
        EXPECT_TRUE(back.empty());
    }
}

TEST(TextCodecTest, Cp932ConversionRefusesWhatTheCodePageLacks) {
    std::string sjis;
    ASSERT_TRUE(Utf8ToCp932("A\xe8\xa1\xa8", &sjis));  // A表
    EXPECT_EQ("A\x95\x5c", sjis);
    EXPECT_FALSE(Utf8ToCp932("\xf0\x9f\x98\x80", &sjis));
    EXPECT_TRUE(sjis.empty());
}

TEST(TextCodecTest, SearchMatchesWholeCharactersWithinOneText) {
    const std::string table = "x\x95\x5cy";  // x表y: the trail byte of 表 is '\'
    const auto data = reinterpret_cast<const uint8_t*>(table.data());
    EXPECT_FALSE(ContainsCp932(data, table.size(), "\\", false));
    EXPECT_TRUE(ContainsCp932(data, table.size(), "\x95\x5c", false));
    EXPECT_TRUE(ContainsCp932(data, table.size(), "y", false));
    EXPECT_TRUE(ContainsCp932(data, table.size(), "", false));

    const std::string twoTexts("Name\0Yomi", 9);
    const auto two = reinterpret_cast<const uint8_t*>(twoTexts.data());
    EXPECT_TRUE(ContainsCp932(two, twoTexts.size(), "Yomi", false));
    EXPECT_FALSE(ContainsCp932(two, twoTexts.size(), "eY", false));
    EXPECT_FALSE(ContainsCp932(two, twoTexts.size(), "yomi", false));
    EXPECT_TRUE(ContainsCp932(two, twoTexts.size(), "yomi", true));

    // Case folding never touches a trail byte: ア is 0x83 'A', ヂ is 0x83 'a'.
    const std::string katakana = "\x83\x41" /* ア */;
    const auto kana = reinterpret_cast<const uint8_t*>(katakana.data());
    EXPECT_FALSE(ContainsCp932(kana, 2, "\x83\x61" /* ヂ */, true));
    EXPECT_TRUE(ContainsCp932(kana, 2, "\x83\x41" /* ア */, true));
    // A lead byte at the very end is not read past.
    const std::string cut = "ab\x95";
    EXPECT_FALSE(ContainsCp932(reinterpret_cast<const uint8_t*>(cut.data()), cut.size(), "\x95\x5c", false));
    EXPECT_FALSE(ContainsCp932(nullptr, 0, "a", false));
}

}  // namespace
