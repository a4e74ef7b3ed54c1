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
    const std::pair<std::string, std::string> rows[] = {
        {std::string("\xeb\x5b\0", 3), std::string("FAX\0", 4)},
        {std::string("\x98\x73\0", 3), std::string("\x8a\x94\0", 3)},  // 株
        {std::string("\x82\xa0\0", 3), std::string("\x82\xa0\0", 3)},  // あ
        {std::string("\xec\xaa\0", 3), std::string("\xb6\xde\0", 3)},  // ｶﾞ
        {"abc", std::string("abc\0", 4)},                              // a terminator is added
        {"", std::string(1, '\0')},
        {std::string("\x82\0z", 3), std::string("\0z\0", 3)},          // lead byte and NUL: one NUL
        {"ab\x82", std::string("ab\0", 3)},                            // a lead byte last is not read past
        {"\xb1\x41", std::string("\xb1\x41\0", 3)},                    // half-width kana are one byte
    };
    for (const auto& [input, output] : rows) EXPECT_EQ(Convert(input), output) << input;
}

TEST(ConvertCodeTest, EveryRangeOfTheDeviceTableAndTheCodesBetween) {
    const std::pair<unsigned, const char*> rows[] = {
        {0xEBA2, "\x82\x6e" /* Ｏ */}, {0xEBA3, "\x81\x45" /* ・ */}, {0xEBA4, "\x82\x4f" /* ０ */},
        {0xEBAD, "\x82\x58" /* ９ */}, {0xEBAE, "0"}, {0xEBB7, "9"}, {0xEBB8, "10"}, {0xEBBE, "16"},
        {0xEBBF, "A"}, {0xEBD8, "Z"}, {0xEBD9, "\x81\xa6" /* ※ */}, {0xEBDA, "\x81\x52" /* ヽ */},
        {0xEBDD, "\x81\x55" /* ゞ */}, {0xEBDF, "a"}, {0xEBF8, "z"}, {0xEBF9, "\x81\xa7" /* 〒 */},
        {0xEBFA, "\x81\x56" /* 〃 */}, {0xEBFC, "\x81\x58" /* 々 */}, {0xEC95, "\x82\x4f" /* ０ */},
        {0xEC9E, "\x82\x58" /* ９ */}, {0xEC9F, "\xa7" /* ｧ */}, {0xECEC, "\x83\x8e" /* ヮ stays full-width */},
        {0xECF2, "\xb3\xde" /* ｳﾞ */}, {0xECF4, "\x83\x96" /* ヶ */}, {0xECF5, "\xb0" /* ｰ */}, {0xED40, "1"},
        {0xED53, "20"}, {0xED54, "\x8f\xe3" /* 上 */}, {0xED5D, "\x88\xf3" /* 印 */}, {0xED5E, "1"}, {0xED69, "12"},
        {0xED6A, "1"}, {0xED75, "12"}, {0xEF81, "\x94\xe9" /* 秘 */}, {0x9874, "\x97\x4c" /* 有 */},
        {0x9879, "\x8f\x40" /* 宗 */},
    };
    for (const auto& [code, replacement] : rows) EXPECT_EQ(Of(code), replacement) << std::hex << code;

    // Codes next to the ranges, and the gap between two of them, are copied.
    for (unsigned code : {0xEBA0u, 0xEBA1u, 0xEBDEu, 0xEC94u, 0xEB5Au, 0xEB5Cu, 0x9872u, 0x987Au,
                          0xED76u, 0xEF80u, 0xEF82u, 0x889Fu}) {
        EXPECT_EQ(Of(code), Code(code)) << std::hex << code;
    }
    for (unsigned code = 0xEBFD; code <= 0xEC3F; ++code) {
        if ((code & 0xFF) == 0) continue;
        ASSERT_EQ(Of(code), Code(code)) << std::hex << code;
    }
}

TEST(ConvertCodeTest, WholeHiraganaAndKatakanaRuns) {
    // 83 hiragana from 0x829F in order; the code 0xEC7F between them is copied.
    unsigned expected = 0x829F;
    for (unsigned code = 0xEC40; code <= 0xEC93; ++code) {
        ASSERT_EQ(Of(code), code == 0xEC7F ? Code(code) : Code(expected++)) << std::hex << code;
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
