#include <gtest/gtest.h>

#include <string>

#include "GlobalHeap.h"
#include "KitTestAccess.h"

namespace {

// Converts `input` through the kit's ConvertCode and checks the length it
// reports against the block it hands out.
std::string Convert(const std::string& input) {
    CVAROObj kit;
    unsigned short length = 0;
    char* block = CVAROObjTestAccess::ConvertCode(kit, input.data(), static_cast<unsigned short>(input.size()), &length);
    EXPECT_NE(block, nullptr);
    if (!block) return std::string();
    EXPECT_EQ(GlobalSize(reinterpret_cast<HGLOBAL>(block)), length);
    std::string out(block, length);
    GlobalFree(reinterpret_cast<HGLOBAL>(block));
    return out;
}

std::string Code(unsigned code) {
    return std::string{static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
}

// The replacement of one code, without the terminator.
std::string Of(unsigned code) {
    const std::string out = Convert(Code(code) + '\0');
    return out.substr(0, out.size() - 1);
}

TEST(ConvertCodeTest, ExamplesAndTerminators) {
    EXPECT_EQ(Convert(std::string("\xeb\x5b\x00", 3)), std::string("FAX\0", 4));
    EXPECT_EQ(Convert(std::string("\x98\x73\x00", 3)), std::string("\x8a\x94\x00", 3));  // 株
    EXPECT_EQ(Convert(std::string("\x82\xa0\x00", 3)), std::string("\x82\xa0\x00", 3));  // あ
    EXPECT_EQ(Convert(std::string("\xec\xaa\x00", 3)), std::string("\xb6\xde\x00", 3));  // ｶﾞ
    EXPECT_EQ(Convert("abc"), std::string("abc\0", 4));     // a terminator is added
    EXPECT_EQ(Convert(std::string()), std::string(1, '\0'));
    EXPECT_EQ(Convert(std::string("\x82\x00z", 3)), std::string("\0z\0", 3));  // lead byte and NUL: one NUL
    // A lead byte as the very last byte is not read past.
    EXPECT_EQ(Convert(std::string("ab\x82", 3)), std::string("ab\0", 3));
    EXPECT_EQ(Convert(std::string("\xb1\x41", 2)), std::string("\xb1\x41\0", 3));  // half-width kana are one byte
}

TEST(ConvertCodeTest, EveryRangeOfTheDeviceTable) {
    EXPECT_EQ(Of(0xEBA2), "\x82\x6e");  // Ｏ
    EXPECT_EQ(Of(0xEBA3), "\x81\x45");  // ・
    EXPECT_EQ(Of(0xEBA4), "\x82\x4f");  // ０
    EXPECT_EQ(Of(0xEBAD), "\x82\x58");  // ９
    EXPECT_EQ(Of(0xEBAE), "0");
    EXPECT_EQ(Of(0xEBB7), "9");
    EXPECT_EQ(Of(0xEBB8), "10");
    EXPECT_EQ(Of(0xEBBE), "16");
    EXPECT_EQ(Of(0xEBBF), "A");
    EXPECT_EQ(Of(0xEBD8), "Z");
    EXPECT_EQ(Of(0xEBD9), "\x81\xa6");  // ※
    EXPECT_EQ(Of(0xEBDA), "\x81\x52");  // ヽ
    EXPECT_EQ(Of(0xEBDD), "\x81\x55");  // ゞ
    EXPECT_EQ(Of(0xEBDF), "a");
    EXPECT_EQ(Of(0xEBF8), "z");
    EXPECT_EQ(Of(0xEBF9), "\x81\xa7");  // 〒
    EXPECT_EQ(Of(0xEBFA), "\x81\x56");  // 〃
    EXPECT_EQ(Of(0xEBFC), "\x81\x58");  // 々
    EXPECT_EQ(Of(0xEC40), "\x82\x9f");  // ぁ
    EXPECT_EQ(Of(0xEC7E), "\x82\xdd");  // み
    EXPECT_EQ(Of(0xEC80), "\x82\xde");  // む
    EXPECT_EQ(Of(0xEC93), "\x82\xf1");  // ん
    EXPECT_EQ(Of(0xEC95), "\x82\x4f");  // ０
    EXPECT_EQ(Of(0xEC9E), "\x82\x58");  // ９
    EXPECT_EQ(Of(0xEC9F), "\xa7");      // ｧ
    EXPECT_EQ(Of(0xECEC), "\x83\x8e");  // ヮ stays full-width
    EXPECT_EQ(Of(0xECF2), "\xb3\xde");  // ｳﾞ
    EXPECT_EQ(Of(0xECF4), "\x83\x96");  // ヶ
    EXPECT_EQ(Of(0xECF5), "\xb0");      // ｰ
    EXPECT_EQ(Of(0xED40), "1");
    EXPECT_EQ(Of(0xED53), "20");
    EXPECT_EQ(Of(0xED54), "\x8f\xe3");  // 上
    EXPECT_EQ(Of(0xED5D), "\x88\xf3");  // 印
    EXPECT_EQ(Of(0xED5E), "1");
    EXPECT_EQ(Of(0xED69), "12");
    EXPECT_EQ(Of(0xED6A), "1");
    EXPECT_EQ(Of(0xED75), "12");
    EXPECT_EQ(Of(0xEF81), "\x94\xe9");  // 秘
    EXPECT_EQ(Of(0x9874), "\x97\x4c");  // 有
    EXPECT_EQ(Of(0x9879), "\x8f\x40");  // 宗
}

TEST(ConvertCodeTest, CodesOutsideTheTableAreCopied) {
    for (unsigned code : {0xEBA0u, 0xEBA1u, 0xEBDEu, 0xEC7Fu, 0xEC94u, 0xEB5Au, 0xEB5Cu, 0x9872u, 0x987Au,
                          0xED76u, 0xEF80u, 0xEF82u, 0x889Fu}) {
        EXPECT_EQ(Of(code), Code(code)) << std::hex << code;
    }
    for (unsigned code = 0xEBFD; code <= 0xEC3F; ++code) {
        if ((code & 0xFF) == 0) continue;
        ASSERT_EQ(Of(code), Code(code)) << std::hex << code;
    }
}

TEST(ConvertCodeTest, WholeHiraganaAndKatakanaRuns) {
    // 83 hiragana from 0x829F in order, skipping the code 0xEC7F.
    unsigned expected = 0x829F;
    for (unsigned code = 0xEC40; code <= 0xEC93; ++code) {
        if (code == 0xEC7F) continue;
        ASSERT_EQ(Of(code), Code(expected++)) << std::hex << code;
    }
    EXPECT_EQ(expected, 0x82F2u);
    // Every katakana replacement is one or two half-width characters, or one
    // of the five kept full-width.
    int fullWidth = 0;
    for (unsigned code = 0xEC9F; code <= 0xECF5; ++code) {
        const std::string r = Of(code);
        ASSERT_FALSE(r.empty());
        if (static_cast<unsigned char>(r[0]) == 0x83) {
            ++fullWidth;
        } else {
            for (char c : r) ASSERT_GE(static_cast<unsigned char>(c), 0xA6u) << std::hex << code;
        }
    }
    EXPECT_EQ(fullWidth, 5);
}

}  // namespace
