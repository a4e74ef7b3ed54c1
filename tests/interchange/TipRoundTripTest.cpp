// Every kind through the files and back over the real engine: tips made
// with every field the formats carry are exported, imported into another
// database, and exported again with the same content; libical's own parser
// reads every exported calendar without a complaint. Importing again updates
// instead of adding, and nothing but the matched tips changes.
#include "InterchangeFixture.h"

using namespace varo::interchange;

namespace {

const char kMeeting[] = "\x89\xef\x8b\x63\r\n\x8e\x91\x97\xbf"; /* 会議 / 資料 */
const char kYamada[] = "\x8e\x52\x93\x63 \x91\xbe\x98\x59";    /* 山田 太郎 */
const char kYamadaReading[] = "\x82\xe2\x82\xdc\x82\xbe \x82\xbd\x82\xeb\x82\xa4"; /* やまだ たろう */

// Every text a card is made with, and the getter that reads it back. In
// this order: a name's reading is stored with the name staged last.
const struct CardText {
    int (CVAROObj::*set)(const CString&);
    int (CVAROObj::*get)(CString&);
    const char* text;
} kCardTexts[] = {
    {&CVAROObj::SetName, &CVAROObj::GetName, kYamada},
    {&CVAROObj::SetNameYomi, &CVAROObj::GetNameYomi, kYamadaReading},
    {&CVAROObj::SetOfficeName, &CVAROObj::GetOfficeName, "Example Co."},
    {&CVAROObj::SetOfficeNameYomi, &CVAROObj::GetOfficeNameYomi, "\x82\xa6\x82\xad" /* えく */},
    {&CVAROObj::SetSection, &CVAROObj::GetSection, "Sales"},
    {&CVAROObj::SetPosition, &CVAROObj::GetPosition, "Chief"},
    {&CVAROObj::SetOfficeTel1, &CVAROObj::GetOfficeTel1, "03-1111-0001\r\n03-1111-0002"},
    {&CVAROObj::SetOfficeTel2, &CVAROObj::GetOfficeTel2, "03-1111-0003"},
    {&CVAROObj::SetOfficeCellular, &CVAROObj::GetOfficeCellular, "090-0000-0001"},
    {&CVAROObj::SetOfficePager, &CVAROObj::GetOfficePager, "020-0000-0001"},
    {&CVAROObj::SetPersonalTel, &CVAROObj::GetPersonalTel, "03-2222-0001"},
    {&CVAROObj::SetPersonalCellular, &CVAROObj::GetPersonalCellular, "080-0000-0001"},
    {&CVAROObj::SetPersonalPager, &CVAROObj::GetPersonalPager, "020-0000-0002"},
    {&CVAROObj::SetOfficeFax, &CVAROObj::GetOfficeFax, "03-1111-9999"},
    {&CVAROObj::SetPersonalFax, &CVAROObj::GetPersonalFax, "03-2222-9999"},
    {&CVAROObj::SetOfficeEmailAddress, &CVAROObj::GetOfficeEmailAddress, "taro@example.co.jp"},
    {&CVAROObj::SetPersonalEmailAddress, &CVAROObj::GetPersonalEmailAddress, "taro@example.jp"},
    {&CVAROObj::SetOfficeZip, &CVAROObj::GetOfficeZip, "100-0001"},
    {&CVAROObj::SetOfficeAddress, &CVAROObj::GetOfficeAddress, "\x93\x8c\x8b\x9e\x93\x73 1-1" /* 東京都 1-1 */},
    {&CVAROObj::SetOfficeRemark, &CVAROObj::GetOfficeRemark, "office remark"},
    {&CVAROObj::SetPersonalZip, &CVAROObj::GetPersonalZip, "150-0001"},
    {&CVAROObj::SetPersonalAddress, &CVAROObj::GetPersonalAddress, "home address, 2-2"},
    {&CVAROObj::SetPersonalRemark, &CVAROObj::GetPersonalRemark, "line one\r\nline two"},
    {&CVAROObj::SetBirthday, &CVAROObj::GetBirthday, "19650412"},
    {&CVAROObj::SetFree1, &CVAROObj::GetFree1, "free 1"},
    {&CVAROObj::SetFree6, &CVAROObj::GetFree6, "free 6"},
};

class TipRoundTrip : public InterchangeFixture {
protected:
    void MakeCalendarTips() {
        const CPIMTime start(2030, 2, 1, 10, 0, 0), end(2030, 2, 1, 11, 30, 0);
        for (unsigned short kind : {0x101, 0x103}) {
            Begin(kind);
            m_kit.SetMemo("plan A");
            m_kit.SetStartTime(start, 1);
            m_kit.SetEndTime(CPIMTime(2030, 3, 31, 0, 0, 0), 1);
            m_kit.SetDisplayPosition(7);
            m_kit.SetColor(0x00FF8000);
            m_kit.SetSecret(1);
            Put(m_source, kind == 0x101 ? 0x3000 : 0x3001);
        }
        Begin(0x102);
        m_kit.SetMemo("milestone");
        m_kit.SetLimitDay(CPIMTime(2030, 2, 15, 17, 0, 0));
        m_kit.SetColor(0x000000FF);
        m_kit.SetCheck(1);
        m_kit.SetCheckDate(CPIMTime(2030, 2, 14, 9, 0, 0));
        Put(m_source, 0x3002);
        Begin(0x201);
        m_kit.SetMemo(kMeeting);
        m_kit.SetStartTime(start, 2);
        m_kit.SetEndTime(end, 2);
        m_kit.SetPending(1);
        m_kit.SetAlarm(1);
        m_kit.SetAlarmTime(CPIMTime(2030, 2, 1, 9, 45, 0));
        m_kit.SetColor(0x00123456);
        Put(m_source, 0x3005);
        Begin(0x202);
        m_kit.SetMemo("trip; with, punctuation\\");
        m_kit.SetStartTime(CPIMTime(2030, 5, 3, 0, 0, 0), 1);
        m_kit.SetEndTime(CPIMTime(2030, 5, 5, 0, 0, 0), 1);
        Put(m_source, 0x3004);
        Begin(0x203);
        m_kit.SetMemo("company holiday");
        m_kit.SetDate(CPIMTime(2030, 6, 10, 0, 0, 0));
        m_kit.SetDayofWeek("2MON06");
        Put(m_source, 0x3008);
        Begin(0x204);
        m_kit.SetMemo("leap day");
        m_kit.SetDate(CPIMTime(2028, 2, 29, 0, 0, 0));
        m_kit.SetHoliday(1);
        Put(m_source, 0x3008);
        Begin(0x300);
        m_kit.SetMemo("milk");
        m_kit.SetLimitDay(CPIMTime(2030, 1, 31, 0, 0, 0));
        m_kit.SetDisplayStart(CPIMTime(2030, 1, 20, 0, 0, 0));
        m_kit.SetPriority(2);
        Put(m_source, 0x300C);
        Begin(0x300);
        m_kit.SetMemo("report");
        m_kit.SetLimitDay(CPIMTime(2030, 1, 31, 15, 0, 0));
        m_kit.SetPriority(9);
        m_kit.SetCheck(1);
        m_kit.SetCheckDate(CPIMTime(2030, 1, 30, 18, 0, 0));
        Put(m_source, 0x300C);
        Begin(0x501);
        m_kit.SetMemo("memo\r\nwith lines");
        m_kit.SetFilename("note.txt");
        char image[300];
        for (size_t i = 0; i < sizeof image; ++i) image[i] = static_cast<char>(i);
        m_kit.SetImageData(image, sizeof image);
        Put(m_source, 0x300B);
        Begin(0x502);
        m_kit.SetFilename("drawing.bmp");
        m_kit.SetBitmapData(image, 40);
        Put(m_source, 0x300B);
    }

    void MakeCards() {
        for (unsigned short kind : {0x401, 0x402, 0x403, 0x404}) {
            Begin(kind);
            for (const CardText& row : kCardTexts) EXPECT_EQ((m_kit.*row.set)(row.text), 1) << row.text;
            m_kit.SetSecret(kind == 0x402);
            m_kit.SetNenga(2);
            m_kit.SetSeibo(1);
            m_kit.SetCategory1(1);
            m_kit.SetCategory2(3);
            char portrait[200] = {'\xff', '\xd8', '\xff'};
            m_kit.SetPortrait(portrait, sizeof portrait);
            Put(m_source, 0x300A);
        }
    }
};

TEST_F(TipRoundTrip, EveryCalendarKindComesBackWithTheSameContent) {
    MakeCalendarTips();
    const std::string first = Export(m_source, FileFormat::kCalendar);
    EXPECT_EQ(LibicalErrors(first), 0) << first;
    // 13 seeded holidays and the 11 tips made here.
    EXPECT_EQ(ByUid(first).size(), 24u);
    const ImportSummary imported = Import(m_target, first);
    EXPECT_EQ(imported.added, 24);
    EXPECT_TRUE(imported.skipped.empty()) << imported.skipped.front();
    EXPECT_TRUE(imported.notes.empty()) << imported.notes.front();
    const std::string second = Export(m_target, FileFormat::kCalendar);
    EXPECT_EQ(LibicalErrors(second), 0);
    ExpectSameItems(first, second);
    for (const char* expected :
         {"DTSTART;TZID=Asia/Tokyo:20300201T100000\n", "DTEND;VALUE=DATE:20300506\n", "STATUS:TENTATIVE\n",
          "TRIGGER;VALUE=DATE-TIME:20300201T004500Z\n", "DTSTART;VALUE=DATE:19800229\nRRULE:FREQ=YEARLY\n",
          "DUE;VALUE=DATE:20300131\n", "COMPLETED:20300130T090000Z\n", "PRIORITY:2\n", "CLASS:PRIVATE\n",
          "X-VARO-COLOR:#00FF8000\n", "X-VARO-WEEKDAY-RULE:2MON06\n", "BEGIN:VJOURNAL\n",
          "SUMMARY:memo\nDESCRIPTION:with lines\n", "X-VARO-FILENAME:drawing.bmp\n", "X-VARO-FIELD=WBMP:"}) {
        EXPECT_NE(Unfolded(second).find(expected), std::string::npos) << expected;
    }
}

TEST_F(TipRoundTrip, LongJapaneseTextsAndEscapedCharactersComeBackWhole) {
    // 会議室の予約 many times over: folded lines must not cut a character.
    std::string memo;
    for (int i = 0; i < 12; ++i) memo += "\x89\xef\x8b\x63\x8e\xba\x82\xcc\x97\x5c\x96\xf1";
    memo += "; a, b\\c\r\n\x8e\x91\x97\xbf; d";  // 資料
    Begin(0x201);
    m_kit.SetMemo(memo.c_str());
    m_kit.SetStartTime(CPIMTime(2030, 4, 1, 9, 0, 0), 2);
    Put(m_source, 0x3005);
    Begin(0x501);
    m_kit.SetMemo("note");
    m_kit.SetFilename("a;b,c\\d.txt");
    Put(m_source, 0x300B);
    const std::string file = Export(m_source, FileFormat::kCalendar);
    EXPECT_EQ(LibicalErrors(file), 0) << file;
    for (size_t start = 0, end; (end = file.find("\r\n", start)) != std::string::npos; start = end + 2) {
        EXPECT_LE(end - start, 75u) << file.substr(start, end - start);
        EXPECT_NE(static_cast<unsigned char>(file[start + 1]) & 0xC0, 0x80u) << "a character cut at " << start;
    }
    EXPECT_NE(Unfolded(file).find("\\; a\\, b\\\\c\n"), std::string::npos);
    EXPECT_NE(Unfolded(file).find("X-VARO-FILENAME:a\\;b\\,c\\\\d.txt\n"), std::string::npos);
    EXPECT_EQ(Import(m_target, file).added, 15);  // with the 13 seeded holidays
    ExpectSameItems(file, Export(m_target, FileFormat::kCalendar));
}

TEST_F(TipRoundTrip, EveryCardKindComesBackInEveryVersion) {
    MakeCards();
    for (VCardVersion version : {VCardVersion::k30, VCardVersion::k40, VCardVersion::k21}) {
        const std::string first = Export(m_source, FileFormat::kCard, version);
        ASSERT_EQ(ByUid(first).size(), 4u);
        const ImportSummary imported = Import(m_target, first);
        EXPECT_EQ(imported.added + imported.updated, 4);
        EXPECT_TRUE(imported.skipped.empty()) << imported.skipped.front();
        EXPECT_TRUE(imported.notes.empty()) << imported.notes.front();
        ExpectSameItems(first, Export(m_target, FileFormat::kCard, version));
    }
    // Each field reaches its own place in the kit, not only the same place
    // on the way out and back in.
    CSelectTips cards;
    ASSERT_EQ(m_kit.GetTipList(m_target, 0x300A, cards), 0);
    ASSERT_EQ(cards.GetSize(), 4);
    for (int i = 0; i < cards.GetSize(); ++i) {
        ASSERT_EQ(m_kit.GetTip(m_target, 0x300A, cards[i]), 0);
        for (const CardText& row : kCardTexts) {
            CString read;
            EXPECT_EQ((m_kit.*row.get)(read), 1) << row.text;
            // The birthday reads back padded to its stored width.
            EXPECT_EQ(read.Bytes().substr(0, read.Bytes().find_last_not_of(' ') + 1), row.text);
        }
    }
    const std::string text = Export(m_target, FileFormat::kCard);
    // 仕事 and 親類, the seeded names of categories 1 and 3
    EXPECT_NE(text.find("CATEGORIES:\xe4\xbb\x95\xe4\xba\x8b,\xe8\xa6\xaa\xe9\xa1\x9e\r\n"), std::string::npos);
    EXPECT_NE(text.find("X-VARO-GREETINGS:0\\,2\\,0\\,1\r\n"), std::string::npos);
}

TEST_F(TipRoundTrip, ImportingAgainUpdatesAndChangesNothingElse) {
    Begin(0x300);
    m_kit.SetMemo("already there");
    const long existing = Put(m_target, 0x300C);
    MakeCalendarTips();
    const std::string file = Export(m_source, FileFormat::kCalendar);
    EXPECT_EQ(Import(m_target, file).added, 24);
    EXPECT_EQ(FukuroSize(m_target, 0x300C), 3);
    const ImportSummary again = Import(m_target, file);
    EXPECT_EQ(again.added, 0);
    EXPECT_EQ(again.updated, 24);
    EXPECT_EQ(FukuroSize(m_target, 0x300C), 3);
    ASSERT_EQ(m_kit.GetTip(m_target, 0, existing), 0);
    CString memo;
    m_kit.GetMemo(memo);
    EXPECT_EQ(memo, "already there");
    // An exported tip imported back into its own database is itself.
    const std::string own = Export(m_target, FileFormat::kCalendar);
    const ImportSummary back = Import(m_target, own);
    EXPECT_EQ(back.added, 0);
    // The 24 imported, the target's own 13 holidays and the tip made first.
    EXPECT_EQ(back.updated, 38);
}

TEST_F(TipRoundTrip, TheUidMapOutgrowsOneSettingsValue) {
    // 1500 UIDs of 60 bytes take two settings texts; one UID is not ASCII.
    std::string todos;
    for (int i = 0; i < 1500; ++i) {
        const std::string uid = (i == 7 ? "caf\xc3\xa9%20" : "") + std::string(50, 'u') + std::to_string(100000 + i);
        todos += "BEGIN:VTODO\r\nUID:" + uid + "\r\nSUMMARY:t\r\nEND:VTODO\r\n";
    }
    const std::string file = Calendar(todos);
    EXPECT_EQ(Import(m_target, file).added, 1500);
    const ImportSummary again = Import(m_target, file);
    EXPECT_EQ(again.added, 0);
    EXPECT_EQ(again.updated, 1500);
    EXPECT_EQ(ByUid(Export(m_target, FileFormat::kCalendar)).count("caf\xc3\xa9%20" + std::string(50, 'u') + "100007"), 1u);
}

// A UID names the tip it made: a later file rewrites that tip, but a UID
// met again on another kind leaves it alone.
TEST_F(TipRoundTrip, AUidRewritesTheTipItMadeButNoTipOfAnotherKind) {
    EXPECT_EQ(Import(m_target, Calendar("BEGIN:VTODO\r\nUID:u1\r\nSUMMARY:first\r\nPRIORITY:1\r\nEND:VTODO\r\n")).added, 1);
    EXPECT_EQ(Import(m_target, Calendar("BEGIN:VTODO\r\nUID:u1\r\nSUMMARY:second\r\nEND:VTODO\r\n")).updated, 1);
    const auto items = ByUid(Export(m_target, FileFormat::kCalendar));
    ASSERT_EQ(items.count("u1"), 1u);
    EXPECT_NE(items.at("u1").find("SUMMARY:second\n"), std::string::npos);
    EXPECT_EQ(items.at("u1").find("PRIORITY"), std::string::npos);

    const ImportSummary card = Import(m_target, "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:u1\r\nFN:x\r\nEND:VCARD\r\n");
    EXPECT_EQ(card.added + card.updated, 0);
    ASSERT_EQ(card.skipped.size(), 1u);
    EXPECT_NE(card.skipped[0].find("file: line 1: its UID names tip "), std::string::npos) << card.skipped[0];
    EXPECT_NE(Export(m_target, FileFormat::kCalendar).find("UID:u1\r\n"), std::string::npos);
}

TEST_F(TipRoundTrip, BrokenComponentsAndForeignCharactersAreSkippedWithTheirPlace) {
    const std::string file =
        "BEGIN:VCALENDAR\r\nVERSION:2.0\r\n"
        "BEGIN:VEVENT\r\nUID:a\r\nSUMMARY:good\r\nDTSTART:20300101T000000Z\r\nEND:VEVENT\r\n"   // lines 3-7
        "BEGIN:VEVENT\r\nUID:b\r\nSUMMARY:no start\r\nEND:VEVENT\r\n"                          // 8-11
        "BEGIN:VEVENT\r\nUID:c\r\nSUMMARY:\xf0\x9f\x8e\x89 party\r\nDTSTART:20300101\r\nEND:VEVENT\r\n"  // 12-16
        "BEGIN:VEVENT\r\nUID:d\r\nDTSTART:18500101\r\nEND:VEVENT\r\n"                          // 17-20
        "BEGIN:VFREEBUSY\r\nUID:e\r\nEND:VFREEBUSY\r\n"                                          // 21-23
        "BEGIN:VTODO\r\nUID:f\r\nSUMMARY:weekly\r\nEND:VEVENT\r\n"                               // 24-27
        "BEGIN:VTODO\r\nUID:g\r\nSUMMARY:last\r\nEND:VTODO\r\nEND:VCALENDAR\r\n";               // 28-31
    const ImportSummary summary = Import(m_target, file);
    EXPECT_EQ(summary.added, 2);
    ASSERT_EQ(summary.skipped.size(), 5u);
    EXPECT_EQ(summary.skipped[0], "file: line 8: no DTSTART the suite can hold (years 1901-2099)");
    EXPECT_EQ(summary.skipped[1], "file: line 12: SUMMARY: the character \xf0\x9f\x8e\x89 at byte 0 has no Shift-JIS form");
    EXPECT_EQ(summary.skipped[2], "file: line 17: no DTSTART the suite can hold (years 1901-2099)");
    EXPECT_EQ(summary.skipped[3], "file: line 21: VFREEBUSY is not taken (no tip kind holds it)");
    EXPECT_EQ(summary.skipped[4], "file: line 24: VTODO: END:VEVENT closes VTODO");
}

TEST_F(TipRoundTrip, AlarmsKeepTheAlarmFukuroInStep) {
    const std::string event = "BEGIN:VEVENT\r\nUID:a\r\nDTSTART:20300101T000000Z\r\n";
    const std::string withAlarm = Calendar(event + "BEGIN:VALARM\r\nACTION:DISPLAY\r\nDESCRIPTION:x\r\n"
                                                   "TRIGGER:-PT5M\r\nEND:VALARM\r\nEND:VEVENT\r\n");
    EXPECT_EQ(Import(m_target, withAlarm).added, 1);
    EXPECT_EQ(FukuroSize(m_target, 0x3016), 1);
    EXPECT_EQ(Import(m_target, withAlarm).updated, 1);
    EXPECT_EQ(FukuroSize(m_target, 0x3016), 1);
    EXPECT_EQ(Import(m_target, Calendar(event + "END:VEVENT\r\n")).updated, 1);
    EXPECT_EQ(FukuroSize(m_target, 0x3016), 0);
}

TEST_F(TipRoundTrip, AFukuroGivenTakesEveryTip) {
    long fukuro = 0;
    ASSERT_EQ(m_kit.FukuroCreate(m_target, &fukuro, "imports", 0), 0);
    const std::string file = Calendar("BEGIN:VTODO\r\nUID:x\r\nSUMMARY:t\r\nEND:VTODO\r\n"
                                      "BEGIN:VEVENT\r\nUID:y\r\nDTSTART:20300101\r\nEND:VEVENT\r\n");
    EXPECT_EQ(Import(m_target, file, fukuro).added, 2);
    EXPECT_EQ(FukuroSize(m_target, fukuro), 2);
    EXPECT_EQ(FukuroSize(m_target, 0x300C), 0);
}

}  // namespace
