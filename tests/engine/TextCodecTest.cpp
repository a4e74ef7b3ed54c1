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

    // Shift-JIS conversion refuses what the code page lacks.
    std::string sjis;
    ASSERT_TRUE(Utf8ToCp932("A\xe8\xa1\xa8", &sjis));  // A表
    EXPECT_EQ("A\x95\x5c", sjis);
    EXPECT_FALSE(Utf8ToCp932("\xf0\x9f\x98\x80", &sjis));
    EXPECT_TRUE(sjis.empty());
}

TEST(TextCodecTest, SearchMatchesWholeCharactersWithinOneText) {
    struct Case { std::string data; const char* needle; bool foldCase; bool found; };
    const Case cases[] = {
        {"x\x95\x5cy", "\\", false, false},  // x表y: the trail byte of 表 is '\'
        {"x\x95\x5cy", "\x95\x5c", false, true},
        {"x\x95\x5cy", "y", false, true},
        {"x\x95\x5cy", "", false, true},
        {std::string("Name\0Yomi", 9), "Yomi", false, true},
        {std::string("Name\0Yomi", 9), "eY", false, false},  // never across two texts
        {std::string("Name\0Yomi", 9), "yomi", false, false},
        {std::string("Name\0Yomi", 9), "yomi", true, true},
        // Case folding never touches a trail byte: ア is 0x83 'A', ヂ is 0x83 'a'.
        {"\x83\x41" /* ア */, "\x83\x61" /* ヂ */, true, false},
        {"\x83\x41" /* ア */, "\x83\x41" /* ア */, true, true},
        {"ab\x95", "\x95\x5c", false, false},  // a lead byte at the very end is not read past
    };
    for (const Case& c : cases) {
        const auto data = reinterpret_cast<const uint8_t*>(c.data.data());
        EXPECT_EQ(c.found, ContainsCp932(data, c.data.size(), c.needle, c.foldCase)) << c.data << " / " << c.needle;
    }
    EXPECT_FALSE(ContainsCp932(nullptr, 0, "a", false));
}

}  // namespace
