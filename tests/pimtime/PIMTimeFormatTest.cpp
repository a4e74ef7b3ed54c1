#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "PIMTime.h"
#include "TimeZoneGuard.h"

namespace {

// Shift-JIS bytes, spelled out here independently of the formatter's tables.
#define NEN "\x94\x4e"    /* 年 */
#define GATSU "\x8c\x8e"  /* 月 */
#define NICHI "\x93\xfa"  /* 日 */
#define DO "\x93\x79"     /* 土 */
#define WIDE_SOLIDUS "\x81\x5e"

std::string Str(const CString& s) { return std::string(s); }

struct FormatCase {
    const char* format;
    const char* expected;
};

class PIMTimeFormatTest : public JstTest {
protected:
    std::string F(const char* format) const { return Str(m_saturday.Format(format)); }
    void ExpectFormats(std::initializer_list<FormatCase> cases) const {
        for (const FormatCase& c : cases) EXPECT_EQ(F(c.format), c.expected) << "format " << c.format;
    }
    CPIMTime m_saturday{1998, 3, 14, 9, 5, 7};
};

TEST_F(PIMTimeFormatTest, StoredFormsAndJapaneseKeywords) {
    ExpectFormats({{"%Y%m%d%H%M%S", "19980314090507"}, {"%Y%m%d", "19980314"}, {"    %m%d", "    0314"}, {"", ""},
                   {"%PIMDATE", "1998" NEN "03" GATSU "14" NICHI "(" DO ")"},
                   {"%#PIMDATE", "1998" NEN " 3" GATSU "14" NICHI "(" DO ")"},
                   {"%PIMDATEONLY", "1998" NEN "03" GATSU "14" NICHI},
                   {"%#PIMDATEONLY", "1998" NEN " 3" GATSU "14" NICHI},
                   {"%PIMDATESHORT", "98/03/14"}, {"%#PIMDATESHORT", "98/ 3/14"},
                   {"%PIMDATELONG", "1998/03/14"}, {"%#PIMDATELONG", "1998/ 3/14"},
                   {"%PIMYEAR%PIMMONTH", "1998" NEN "3" GATSU}, {"%PIMDAYOFWEEK", DO}});
    CString made;
    EXPECT_EQ(m_saturday.MakeDateString(made), 1);
    EXPECT_EQ(Str(made), F("%#PIMDATE"));
    EXPECT_EQ(Str(CString(m_saturday.GetDayOfWeekString())), DO);
    EXPECT_EQ(Str(CString(m_saturday.GetDayOfWeekStringEnglish())), "Sat");
    EXPECT_EQ(Str(CPIMTime(2000, 12, 3, 0, 0, 0).Format("%PIMMONTH")), "12" GATSU);
}

TEST_F(PIMTimeFormatTest, CLibraryCodesPercentSignsAndUnknownCodes) {
    ExpectFormats({{"%c", "03/14/98 09:05:07"}, {"%#c", "Saturday, March, 14, 1998, 09, 05, 07"},
                   {"%x", "03/14/98"}, {"%#x", "Saturday, March, 1998"}, {"%X", "09:05:07"},
                   {"%a %A %b %B", "Sat Saturday Mar March"}, {"%I %p", "09 AM"}, {"%#d/%#m", "14/3"},
                   {"%#H:%#M:%#S", "9:5:07"}, {"%y %#y %#Y", "98 98 1998"},
                   {"100%%", "100%"}, {"%Q", "%Q"}, {"%#Q", "%#Q"}, {"50%", "50%"}, {"%%Y", "%Y"},
                   {"%%%Y", "%1998"}, {"%#", "%#"}, {"%PIM", "%PIM"},
                   // A keyword cut short by the end of the text is copied as it stands.
                   {"%PIMDAYOFWEE", "%PIMDAYOFWEE"}});
    EXPECT_EQ(Str(CPIMTime(1998, 3, 14, 12, 30, 0).Format("%I %p")), "00 PM");
    EXPECT_EQ(Str(CPIMTime(1998, 3, 14, 23, 30, 0).Format("%I %#I %p")), "11 11 PM");
}

TEST_F(PIMTimeFormatTest, UnrepresentableDatesFormatAsNumbersAndStoredTextRoundTrips) {
    const CPIMTime early(50, 6, 1, 10, 0, 0);
    EXPECT_EQ(Str(early.Format("%Y/%m/%d %H")), "-1/-1/-1 10");
    // The month names are not indexed with -1.
    EXPECT_EQ(Str(early.Format("[%b][%B][%PIMMONTH]")), "[][][]");

    // The stored forms read back; a text of another length reads as all numbers 0.
    const CString stored = m_saturday.Format("%Y%m%d%H%M%S");
    EXPECT_TRUE(CPIMTime(stored) == m_saturday);
    const CPIMTime dateOnly(CString("19980314"));
    EXPECT_TRUE(dateOnly == CPIMTime(1998, 3, 14, 0, 0, 0));
    EXPECT_EQ(CPIMTime(CString("1998031409")).GetYear(), -1);
}

TEST_F(PIMTimeFormatTest, SetDataStringReadsHalfAndFullWidthDates) {
    CPIMTime target(2001, 5, 20, 7, 8, 9);
    EXPECT_EQ(target.SetDataString("1998/3/14"), 1);
    EXPECT_TRUE(target == CPIMTime(1998, 3, 14, 0, 0, 0));
    // Missing month and day come from the target: 2001-05-20.
    const struct {
        const char* text;
        CPIMTime expected;
    } rows[] = {{"\x82\x50\x82\x58\x82\x58\x82\x57" WIDE_SOLIDUS "\x82\x52" WIDE_SOLIDUS "\x82\x50\x82\x53",
                 CPIMTime(1998, 3, 14, 0, 0, 0)},  // １９９８／３／１４
                {"1998" WIDE_SOLIDUS "12", CPIMTime(1998, 12, 20, 0, 0, 0)},
                {"00002004", CPIMTime(2004, 5, 20, 0, 0, 0)},
                {"2000/\x82\x51/29", CPIMTime(2000, 2, 29, 0, 0, 0)}};
    for (const auto& row : rows) {
        CPIMTime read(2001, 5, 20, 7, 8, 9);
        EXPECT_EQ(CPIMTime::SetDataString(row.text, &read), 1) << row.text;
        EXPECT_TRUE(read == row.expected) << row.text;
    }
}

TEST_F(PIMTimeFormatTest, SetDataStringRejectsEverythingElseUnchanged) {
    for (const char* text : {"1998/3/", "1998/12" WIDE_SOLIDUS, "19980314", "1998/0/14", "1998/2/29", "1998/3/1/2",
                             " 1998/3/14", "1998/3", "", "/1998/3/4", "1998//3/4", "1998-3-14",
                             "1998/3/14\x82\xa0",  // another two-byte character
                             "1998/3/1\x82",       // a lead byte with nothing after it
                             "1900/12/31", "2100/1/1", "1998/3/00",
                             "99999999999999999999/1/1"}) {  // saturates instead of overflowing
        CPIMTime target(2001, 5, 20, 7, 8, 9);
        const CPIMTime before = target;
        EXPECT_EQ(CPIMTime::SetDataString(text, &target), 0) << text;
        EXPECT_TRUE(target == before) << text;
    }
    EXPECT_EQ(CPIMTime::SetDataString("1998/3/14", nullptr), 0);
    CPIMTime target;
    EXPECT_EQ(CPIMTime::SetDataString(nullptr, &target), 0);
}

}  // namespace
