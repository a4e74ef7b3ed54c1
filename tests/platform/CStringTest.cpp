#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "CString.h"

namespace {

TEST(CStringTest, ConstructionConcatenationAndUnsignedComparison) {
    EXPECT_TRUE(CString(static_cast<const char*>(nullptr)).IsEmpty());
    EXPECT_EQ(CString("abc", 2), "ab");
    EXPECT_EQ(CString('x', 3), "xxx");
    const CString withZero("a\0b", 3);
    EXPECT_EQ(withZero.GetLength(), 3);
    EXPECT_EQ(withZero.GetAt(2), 'b');
    CString s("hello");
    s += " ";
    s += CString("world");
    s += '!';
    EXPECT_EQ(std::strcmp(s, "hello world!"), 0);
    EXPECT_EQ(CString("a") + "b" + 'c', "abc");

    EXPECT_LT(CString("abc").Compare("abd"), 0);
    EXPECT_GT(CString("\x82\xa0").Compare("z"), 0);  // bytes compare unsigned
    EXPECT_EQ(CString("ABC").CompareNoCase("abc"), 0);
    EXPECT_TRUE(CString("\x90") > CString("\x10"));
}

TEST(CStringTest, SubstringsAndSearchesAreClamped) {
    const CString s("0123456789");
    const struct {
        CString got;
        const char* expected;
    } rows[] = {{s.Left(3), "012"},       {s.Left(30), "0123456789"}, {s.Left(-1), ""},
                {s.Mid(7), "789"},        {s.Mid(4, 2), "45"},        {s.Mid(8, 10), "89"},
                {s.Mid(20, 2), ""},       {s.Mid(-3, 5), "01234"},    {s.Right(2), "89"},
                {s.Right(99), "0123456789"}};
    for (const auto& row : rows) EXPECT_EQ(row.got, row.expected);
    const int found[][2] = {{s.Find('5'), 5}, {s.Find('5', 6), -1}, {s.Find("789"), 7}, {s.Find('0', 50), -1},
                            {CString("a/b/c").ReverseFind('/'), 3}};
    for (const auto& f : found) EXPECT_EQ(f[0], f[1]) << "expected " << f[1];
}

TEST(CStringTest, CaseChangesSkipTrailBytes) {
    // 0x82 0x60 is a full-width A, 0x83 0x41 a katakana whose trail byte is 'A'.
    CString s("AbC\x83\x41Z\x82\x60");
    s.MakeLower();
    EXPECT_EQ(s, "abc\x83\x41z\x82\x60");
    s.MakeUpper();
    EXPECT_EQ(s, "ABC\x83\x41Z\x82\x60");
    // A lead byte at the end has no trail byte to skip.
    CString cut("A\x83");
    cut.MakeLower();
    EXPECT_EQ(cut, "a\x83");
}

TEST(CStringTest, FormatAndBuffers) {
    CString s;
    s.Format("%02ld-%s-%d", 7L, "x", -3);
    EXPECT_EQ(s, "07-x--3");
    s.Format("%s", std::string(1000, 'q').c_str());
    EXPECT_EQ(s.GetLength(), 1000);

    char* buffer = s.GetBuffer(20);
    std::strcpy(buffer, "direct");
    s.ReleaseBuffer();
    EXPECT_EQ(s, "direct");
    buffer = s.GetBuffer(10);
    std::memcpy(buffer, "abcdef", 6);
    s.ReleaseBuffer(3);
    EXPECT_EQ(s, "abc");
}

}  // namespace
