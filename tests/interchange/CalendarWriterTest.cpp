// The iCalendar writer's content lines: escaped text, quoted parameters,
// folding that keeps UTF-8 characters whole, the forms of time; libical's
// parser reads back what it writes.
#include <gtest/gtest.h>
#include <libical/ical.h>

#include <ctime>
#include <sstream>
#include <vector>

#include "CalendarTime.h"
#include "CalendarWriter.h"

using namespace varo::interchange;

namespace {

// The physical lines of a text, each without its CR LF.
std::vector<std::string> PhysicalLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(text.substr(start, end - start));
    }
    EXPECT_EQ(start, text.size()) << "the text ends without CR LF";
    return lines;
}

bool StartsUtf8Character(char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }

// The text of the SUMMARY libical reads from a VEVENT holding the lines.
std::string SummaryLibicalReads(const std::string& lines) {
    const std::string text = "BEGIN:VEVENT\r\n" + lines + "END:VEVENT\r\n";
    icalcomponent* event = icalcomponent_new_from_string(text.c_str());
    if (!event) return "(no component)";
    const char* summary = icalcomponent_get_summary(event);
    const std::string read = summary ? summary : "(no summary)";
    icalcomponent_free(event);
    return read;
}

// Text escapes backslash, semicolon, comma and line breaks; lines fold at
// 75 octets, never inside a UTF-8 character, and a line of exactly 75
// stays whole.
TEST(CalendarWriting, TextIsEscapedAndFoldedAtSeventyFiveOctetsBetweenCharacters) {
    std::string out;
    CalendarWriter(&out).Text("SUMMARY", "a\\b;c,d\ne\r\nf:g");
    EXPECT_EQ(out, "SUMMARY:a\\\\b\\;c\\,d\\ne\\nf:g\r\n");
    EXPECT_EQ(SummaryLibicalReads(out), "a\\b;c,d\ne\nf:g");

    std::string text;
    for (int i = 0; i < 60; ++i) text += "\xe4\xbc\x9a\xe8\xad\xb0";  // 会議, three octets each
    text += "; and, a tail";
    out.clear();
    CalendarWriter(&out).Text("SUMMARY", text);
    const std::vector<std::string> lines = PhysicalLines(out);
    ASSERT_GT(lines.size(), 4u);
    std::string unfolded;
    for (size_t i = 0; i < lines.size(); ++i) {
        EXPECT_LE(lines[i].size(), 75u) << i;
        if (i == 0) {
            unfolded = lines[i];
            continue;
        }
        ASSERT_EQ(lines[i][0], ' ') << i;
        ASSERT_GT(lines[i].size(), 1u) << i;
        EXPECT_TRUE(StartsUtf8Character(lines[i][1])) << "a character split before line " << i;
        unfolded += lines[i].substr(1);
    }
    // A line is cut only where a character would not fit whole.
    EXPECT_GE(lines[0].size(), 73u);
    EXPECT_EQ(unfolded, "SUMMARY:" + text.substr(0, text.size() - 13) + "\\; and\\, a tail");
    EXPECT_EQ(SummaryLibicalReads(out), text);

    out.clear();
    CalendarWriter(&out).Property("X-A", std::string(71, 'x'));
    EXPECT_EQ(out, "X-A:" + std::string(71, 'x') + "\r\n");
    out.clear();
    CalendarWriter(&out).Property("X-A", std::string(72, 'x'));
    EXPECT_EQ(out, "X-A:" + std::string(71, 'x') + "\r\n x\r\n");
}

TEST(CalendarWriting, ParameterValuesAreQuotedWhenTheyHoldSeparators) {
    std::string out;
    CalendarWriter writer(&out);
    writer.Property("X-A", "v", {{"X-PLAIN", "Asia/Tokyo"}, {"X-SEP", "a:b;c,d"}, {"X-QUOTE", "say \"hi\"\x01"}});
    EXPECT_EQ(out, "X-A;X-PLAIN=Asia/Tokyo;X-SEP=\"a:b;c,d\";X-QUOTE=say hi:v\r\n");
    icalproperty* property = icalproperty_new_from_string(out.substr(0, out.size() - 2).c_str());
    ASSERT_NE(property, nullptr);
    icalproperty_free(property);
}

TEST(CalendarWriting, TimesAreDatesZonedOrUtc) {
    const DateFields when{1905, 2, 3, 4, 5, 6};
    std::string out;
    CalendarWriter writer(&out);
    writer.Time("DTSTART", when, TimeForm::kDate);
    writer.Time("DTEND", when, TimeForm::kZoned, "Asia/Tokyo");
    writer.Time("TRIGGER", when, TimeForm::kUtc, nullptr, {{"VALUE", "DATE-TIME"}});
    EXPECT_EQ(out,
              "DTSTART;VALUE=DATE:19050203\r\nDTEND;TZID=Asia/Tokyo:19050203T040506\r\n"
              "TRIGGER;VALUE=DATE-TIME:19050203T040506Z\r\n");
}

TEST(CalendarWriting, ComponentsNestBetweenBeginAndEnd) {
    std::string out;
    CalendarWriter writer(&out);
    writer.Begin("VEVENT");
    writer.Begin("VALARM");
    writer.End("VALARM");
    writer.End("VEVENT");
    EXPECT_EQ(out, "BEGIN:VEVENT\r\nBEGIN:VALARM\r\nEND:VALARM\r\nEND:VEVENT\r\n");
}

TEST(CalendarWriting, UtcFieldsAgreeWithTheCLibrary) {
    // Across the kit's years, leap days and the turn of 1970, and one whose
    // hour, minute and second all differ.
    for (const long long seconds :
         {-2145916800LL, -1LL, 0LL, 951782400LL, 1709208000LL + 86399, 4102444799LL, 1234567890LL}) {
        const time_t instant = static_cast<time_t>(seconds);
        struct tm expected;
        gmtime_r(&instant, &expected);
        const DateFields f = UtcFields(CPIMTime(static_cast<__int64>(seconds)));
        EXPECT_EQ((std::vector<int>{f.year, f.month, f.day, f.hour, f.minute, f.second}),
                  (std::vector<int>{expected.tm_year + 1900, expected.tm_mon + 1, expected.tm_mday, expected.tm_hour,
                                    expected.tm_min, expected.tm_sec}))
            << seconds;
    }
}

}  // namespace
