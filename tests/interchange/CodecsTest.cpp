// The byte-level pieces: text conversion with reported failures, line
// unfolding, content lines, quoted-printable, base64 and escapes.
#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "ContentLine.h"
#include "KitText.h"
#include "LineReader.h"
#include "ValueCodecs.h"

using namespace varo::interchange;

namespace {

TEST(KitTextConversion, LineBreaksBecomeCrLfAndBack) {
    std::string sjis;
    BadCharacter bad;
    ASSERT_TRUE(ToKitText("\xe5\xb1\xb1\xe7\x94\xb0" /* 山田 */ "\nx", &sjis, &bad));
    EXPECT_EQ(sjis, "\x8e\x52\x93\x63\r\nx");
    std::string utf8;
    EXPECT_TRUE(FromKitText(sjis, &utf8));
    EXPECT_EQ(utf8, "\xe5\xb1\xb1\xe7\x94\xb0\nx");
    // Plain ASCII takes the same way without a converter.
    ASSERT_TRUE(ToKitText("a\nb\r\nc\\~", &sjis, &bad));
    EXPECT_EQ(sjis, "a\r\nb\r\nc\\~");
    EXPECT_TRUE(FromKitText(sjis, &utf8));
    EXPECT_EQ(utf8, "a\nb\nc\\~");
}

TEST(KitTextConversion, ACharacterShiftJisLacksIsNamedWithItsPlace) {
    std::string sjis = "old";
    BadCharacter bad;
    EXPECT_FALSE(ToKitText("ab\xf0\x9f\x98\x80" "c", &sjis, &bad));  // an emoji
    EXPECT_EQ(bad.character, "\xf0\x9f\x98\x80");
    EXPECT_EQ(bad.offset, 2u);
    EXPECT_TRUE(sjis.empty());
    EXPECT_FALSE(ToKitText("a\xff", &sjis, &bad));
    EXPECT_EQ(bad.offset, 1u);
}

TEST(KitTextConversion, BytesOutsideCodePage932AreMarkedNotLost) {
    std::string utf8;
    EXPECT_FALSE(FromKitText("a\xeb\x40" "b", &utf8));
    EXPECT_EQ(utf8, "a\xef\xbf\xbd" "b");
}

TEST(KitTextConversion, CharsetsAsFilesNameThem) {
    std::string utf8;
    EXPECT_TRUE(DecodeCharset("\x8e\x52", "Shift_JIS", &utf8));
    EXPECT_EQ(utf8, "\xe5\xb1\xb1");
    EXPECT_TRUE(DecodeCharset("caf\xe9", "ISO-8859-1", &utf8));
    EXPECT_EQ(utf8, "caf\xc3\xa9");
    EXPECT_FALSE(DecodeCharset("\xff", "UTF-8", &utf8));
    EXPECT_FALSE(DecodeCharset("x", "NO-SUCH-CHARSET", &utf8));
}

std::vector<LogicalLine> ReadAll(const std::string& text, size_t bound = LogicalLines::kDefaultBound) {
    std::istringstream in(text);
    LogicalLines lines(in, bound);
    std::vector<LogicalLine> all;
    for (LogicalLine line; lines.Next(&line);) all.push_back(line);
    return all;
}

TEST(LogicalLineReading, UnfoldsBlanksAndSoftLineBreaks) {
    const auto lines = ReadAll(
        "A:one\r\n two\r\n\tthree\r\n\r\nNOTE;ENCODING=QUOTED-PRINTABLE:ab=\r\ncd=\r\nef\nB:x=\nC:y");
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].text, "A:onetwothree");
    EXPECT_EQ(lines[0].firstLine, 1);
    EXPECT_EQ(lines[1].text, "NOTE;ENCODING=QUOTED-PRINTABLE:abcdef");
    EXPECT_EQ(lines[1].firstLine, 5);
    EXPECT_EQ(lines[2].text, "B:x=");  // not quoted-printable: "=" is text
    EXPECT_EQ(lines[3].text, "C:y");
    EXPECT_EQ(lines[3].firstLine, 9);
}

TEST(LogicalLineReading, AByteOrderMarkAtTheStartIsDropped) {
    const auto lines = ReadAll("\xEF\xBB\xBF" "BEGIN:VCARD\r\nX:\xEF\xBB\xBF\r\n");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].text, "BEGIN:VCARD");
    EXPECT_EQ(lines[1].text, "X:\xEF\xBB\xBF");
}

TEST(LogicalLineReading, ALineBeyondTheBoundIsCutAndMarked) {
    const auto lines = ReadAll("A:" + std::string(100, 'x') + "\r\n " + std::string(100, 'y') + "\r\nB:z", 50);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(lines[0].cut);
    EXPECT_EQ(lines[0].text.size(), 50u);
    EXPECT_FALSE(lines[1].cut);
}

TEST(ContentLines, GroupsParametersAndBareTypes) {
    ContentLine line;
    ASSERT_TRUE(ParseContentLine("item1.tel;type=WORK,\"voice\";X-Y=\"a:b\":+81 3", &line));
    EXPECT_EQ(line.group, "item1");
    EXPECT_EQ(line.name, "TEL");
    EXPECT_TRUE(line.HasType("WORK"));
    EXPECT_TRUE(line.HasType("VOICE"));
    EXPECT_EQ(line.Param("X-Y"), "a:b");
    EXPECT_EQ(line.value, "+81 3");
    ASSERT_TRUE(ParseContentLine("TEL;WORK;FAX;QUOTED-PRINTABLE:1", &line));
    EXPECT_TRUE(line.HasType("FAX"));
    EXPECT_EQ(line.Param("ENCODING"), "QUOTED-PRINTABLE");
    EXPECT_FALSE(ParseContentLine("no colon here", &line));
    EXPECT_FALSE(ParseContentLine(":value only", &line));
}

// The lines of a quoted-printable value split at its soft line breaks.
std::vector<std::string> SoftLines(const std::string& encoded) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = encoded.find("=\r\n", start)) != std::string::npos; start = end + 3) {
        lines.push_back(encoded.substr(start, end - start));
    }
    lines.push_back(encoded.substr(start));
    return lines;
}

TEST(ValueEncodings, QuotedPrintableBothWays) {
    EXPECT_EQ(DecodeQuotedPrintable("=83=65a=3D=ZZ="), "\x83\x65" "a==ZZ=");
    const std::string bytes(200, '\xa5');  // half-width katakana: one byte each
    const std::vector<std::string> lines = SoftLines(EncodeQuotedPrintable(bytes, 40));
    EXPECT_EQ(DecodeQuotedPrintable(lines[0]).size(), 11u);
    std::string joined;
    for (size_t i = 0; i < lines.size(); ++i) {
        EXPECT_LE(lines[i].size() + (i == 0 ? 40 : 0), 75u);
        joined += lines[i];
    }
    EXPECT_EQ(DecodeQuotedPrintable(joined), bytes);
    EXPECT_EQ(EncodeQuotedPrintable("a b ", 0), "a b=20");
}

TEST(ValueEncodings, QuotedPrintableKeepsBlanksAtSoftBreaks) {
    // Slide a run of blanks across the break, so that a blank ends a line
    // and a blank starts the next one in some of the texts.
    for (size_t lead = 60; lead < 80; ++lead) {
        const std::string text = std::string(lead, 'x') + "  y z";
        const std::vector<std::string> lines = SoftLines(EncodeQuotedPrintable(text, 0));
        std::string joined;
        for (const std::string& line : lines) {
            ASSERT_FALSE(line.empty());
            EXPECT_NE(line.front(), ' ') << "lead " << lead;
            EXPECT_NE(line.back(), ' ') << "lead " << lead;
            EXPECT_LE(line.size(), 75u);
            joined += line;
        }
        EXPECT_EQ(DecodeQuotedPrintable(joined), text);
    }
}

TEST(ValueEncodings, Base64BothWays) {
    std::string bytes;
    for (const std::string text : {"", "f", "fo", "foo", "foob", "fooba", "foobar"}) {
        ASSERT_TRUE(DecodeBase64(EncodeBase64(text), &bytes));
        EXPECT_EQ(bytes, text);
    }
    EXPECT_EQ(EncodeBase64("foobar"), "Zm9vYmFy");
    ASSERT_TRUE(DecodeBase64(" Zm9v\r\n YmE=", &bytes));
    EXPECT_EQ(bytes, "fooba");
    EXPECT_FALSE(DecodeBase64("Zm9v!", &bytes));
}

TEST(ValueEncodings, EscapesSurviveSplitting) {
    const std::string text = "a,b;c\\d\ne";
    EXPECT_EQ(EscapeText(text), "a\\,b\\;c\\\\d\\ne");
    EXPECT_EQ(UnescapeText(EscapeText(text)), text);
    const auto parts = SplitEscaped("x\\;y;z;;", ';');
    ASSERT_EQ(parts.size(), 4u);
    EXPECT_EQ(UnescapeText(parts[0]), "x;y");
    EXPECT_EQ(parts[3], "");
}

}  // namespace
