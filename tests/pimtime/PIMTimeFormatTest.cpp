#include <gtest/gtest.h>

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

class PIMTimeFormatTest : public JstTest {
protected:
    std::string F(const char* format) const { return Str(m_saturday.Format(format)); }
    CPIMTime m_saturday{1998, 3, 14, 9, 5, 7};
};

TEST_F(PIMTimeFormatTest, StoredForms) {
    EXPECT_EQ(F("%Y%m%d%H%M%S"), "19980314090507");
    EXPECT_EQ(F("%Y%m%d"), "19980314");
    EXPECT_EQ(F("    %m%d"), "    0314");
    EXPECT_EQ(F(""), "");
}

TEST_F(PIMTimeFormatTest, JapaneseKeywords) {
    EXPECT_EQ(F("%PIMDATE"), "1998" NEN "03" GATSU "14" NICHI "(" DO ")");
    EXPECT_EQ(F("%#PIMDATE"), "1998" NEN " 3" GATSU "14" NICHI "(" DO ")");
    CString made;
    EXPECT_EQ(m_saturday.MakeDateString(made), 1);
    EXPECT_EQ(Str(made), F("%#PIMDATE"));
    EXPECT_EQ(F("%PIMDATEONLY"), "1998" NEN "03" GATSU "14" NICHI);
    EXPECT_EQ(F("%#PIMDATEONLY"), "1998" NEN " 3" GATSU "14" NICHI);
    EXPECT_EQ(F("%PIMDATESHORT"), "98/03/14");
    EXPECT_EQ(F("%#PIMDATESHORT"), "98/ 3/14");
    EXPECT_EQ(F("%PIMDATELONG"), "1998/03/14");
    EXPECT_EQ(F("%#PIMDATELONG"), "1998/ 3/14");
    EXPECT_EQ(F("%PIMYEAR%PIMMONTH"), "1998" NEN "3" GATSU);
    EXPECT_EQ(F("%PIMDAYOFWEEK"), DO);
    EXPECT_EQ(Str(CString(m_saturday.GetDayOfWeekString())), DO);
    EXPECT_EQ(Str(CString(m_saturday.GetDayOfWeekStringEnglish())), "Sat");
    EXPECT_EQ(Str(CPIMTime(2000, 12, 3, 0, 0, 0).Format("%PIMMONTH")), "12" GATSU);
}

TEST_F(PIMTimeFormatTest, CLibraryCodes) {
    EXPECT_EQ(F("%c"), "03/14/98 09:05:07");
    EXPECT_EQ(F("%#c"), "Saturday, March, 14, 1998, 09, 05, 07");
    EXPECT_EQ(F("%x"), "03/14/98");
    EXPECT_EQ(F("%#x"), "Saturday, March, 1998");
    EXPECT_EQ(F("%X"), "09:05:07");
    EXPECT_EQ(F("%a %A %b %B"), "Sat Saturday Mar March");
    EXPECT_EQ(F("%I %p"), "09 AM");
    EXPECT_EQ(Str(CPIMTime(1998, 3, 14, 12, 30, 0).Format("%I %p")), "00 PM");
    EXPECT_EQ(Str(CPIMTime(1998, 3, 14, 23, 30, 0).Format("%I %#I %p")), "11 11 PM");
    EXPECT_EQ(F("%#d/%#m"), "14/3");
    EXPECT_EQ(F("%#H:%#M:%#S"), "9:5:07");
    EXPECT_EQ(F("%y %#y %#Y"), "98 98 1998");
}

TEST_F(PIMTimeFormatTest, PercentSignsAndUnknownCodes) {
    EXPECT_EQ(F("100%%"), "100%");
    EXPECT_EQ(F("%Q"), "%Q");
    EXPECT_EQ(F("%#Q"), "%#Q");
    EXPECT_EQ(F("50%"), "50%");
    EXPECT_EQ(F("%%Y"), "%Y");
    EXPECT_EQ(F("%%%Y"), "%1998");
    EXPECT_EQ(F("%#"), "%#");
    EXPECT_EQ(F("%PIM"), "%PIM");
    // A keyword cut short by the end of the text is copied as it stands.
    EXPECT_EQ(F("%PIMDAYOFWEE"), "%PIMDAYOFWEE");
}

TEST_F(PIMTimeFormatTest, UnrepresentableDatesFormatAsNumbers) {
    const CPIMTime early(50, 6, 1, 10, 0, 0);
    EXPECT_EQ(Str(early.Format("%Y/%m/%d %H")), "-1/-1/-1 10");
    // The month names are not indexed with -1.
    EXPECT_EQ(Str(early.Format("[%b][%B][%PIMMONTH]")), "[][][]");
}

TEST_F(PIMTimeFormatTest, StoredTextRoundTrips) {
    const CString stored = m_saturday.Format("%Y%m%d%H%M%S");
    EXPECT_TRUE(CPIMTime(stored) == m_saturday);
    const CPIMTime dateOnly(CString("19980314"));
    EXPECT_TRUE(dateOnly == CPIMTime(1998, 3, 14, 0, 0, 0));
    EXPECT_EQ(CPIMTime(CString("1998031409")).GetYear(), -1);
}

class SetDataStringTest : public JstTest {
protected:
    void ExpectRejected(const char* text) {
        CPIMTime target(2001, 5, 20, 7, 8, 9);
        const CPIMTime before = target;
        EXPECT_EQ(CPIMTime::SetDataString(text, &target), 0) << text;
        EXPECT_TRUE(target == before) << text;
    }
};

TEST_F(SetDataStringTest, ReadsHalfAndFullWidthDates) {
    CPIMTime target(2001, 5, 20, 7, 8, 9);
    EXPECT_EQ(target.SetDataString("1998/3/14"), 1);
    EXPECT_TRUE(target == CPIMTime(1998, 3, 14, 0, 0, 0));

    CPIMTime wide(2001, 5, 20, 7, 8, 9);
    const char* fullWidth = "\x82\x50\x82\x58\x82\x58\x82\x57" WIDE_SOLIDUS "\x82\x52" WIDE_SOLIDUS
                            "\x82\x50\x82\x53";  // １９９８／３／１４
    EXPECT_EQ(CPIMTime::SetDataString(fullWidth, &wide), 1);
    EXPECT_TRUE(wide == CPIMTime(1998, 3, 14, 0, 0, 0));

    CPIMTime keepsDay(2001, 5, 20, 7, 8, 9);
    EXPECT_EQ(CPIMTime::SetDataString("1998" WIDE_SOLIDUS "12", &keepsDay), 1);
    EXPECT_TRUE(keepsDay == CPIMTime(1998, 12, 20, 0, 0, 0));

    CPIMTime yearOnly(2001, 5, 20, 7, 8, 9);
    EXPECT_EQ(CPIMTime::SetDataString("00002004", &yearOnly), 1);
    EXPECT_TRUE(yearOnly == CPIMTime(2004, 5, 20, 0, 0, 0));

    CPIMTime mixed(2001, 5, 20, 7, 8, 9);
    EXPECT_EQ(CPIMTime::SetDataString("2000/\x82\x51/29", &mixed), 1);
    EXPECT_TRUE(mixed == CPIMTime(2000, 2, 29, 0, 0, 0));
}

TEST_F(SetDataStringTest, RejectsEverythingElseUnchanged) {
    ExpectRejected("1998/3/");
    ExpectRejected("1998/12" WIDE_SOLIDUS);
    ExpectRejected("19980314");
    ExpectRejected("1998/0/14");
    ExpectRejected("1998/2/29");
    ExpectRejected("1998/3/1/2");
    ExpectRejected(" 1998/3/14");
    ExpectRejected("1998/3");
    ExpectRejected("");
    ExpectRejected("/1998/3/4");
    ExpectRejected("1998//3/4");
    ExpectRejected("1998-3-14");
    ExpectRejected("1998/3/14\x82\xa0");  // another two-byte character
    ExpectRejected("1998/3/1\x82");       // a lead byte with nothing after it
    ExpectRejected("1900/12/31");
    ExpectRejected("2100/1/1");
    ExpectRejected("1998/3/00");
    ExpectRejected("99999999999999999999/1/1");  // saturates instead of overflowing
    EXPECT_EQ(CPIMTime::SetDataString("1998/3/14", nullptr), 0);
    CPIMTime target;
    EXPECT_EQ(CPIMTime::SetDataString(nullptr, &target), 0);
}

}  // namespace
