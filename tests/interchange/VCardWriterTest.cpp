// Writing cards: each version read back gives the same card, and each has
// the form its readers expect (2.1 in Shift-JIS with quoted-printable, 3.0
// folded UTF-8, 4.0 lower-case types and SORT-AS).
#include <gtest/gtest.h>

#include <sstream>

#include "KitText.h"
#include "VCardReader.h"
#include "VCardWriter.h"

using namespace varo::interchange;

namespace {

// 山田 太郎, やまだ たろう, 株式会社例, れい
const char kName[] = "\xe5\xb1\xb1\xe7\x94\xb0 \xe5\xa4\xaa\xe9\x83\x8e";
const char kReading[] = "\xe3\x82\x84\xe3\x81\xbe\xe3\x81\xa0 \xe3\x81\x9f\xe3\x82\x8d\xe3\x81\x86";
const char kOffice[] = "\xe6\xa0\xaa\xe5\xbc\x8f\xe4\xbc\x9a\xe7\xa4\xbe\xe4\xbe\x8b";
const char kOfficeReading[] = "\xe3\x82\x8c\xe3\x81\x84";

Card FullCard() {
    Card card;
    card.kind = 0x402;
    card.uid = "uid-1@example";
    card[kCardName] = kName;
    card[kCardNameReading] = kReading;
    card[kCardOffice] = kOffice;
    card[kCardOfficeReading] = kOfficeReading;
    card[kCardSection] = "Sales; East";
    card[kCardPosition] = "Chief, second class";
    card[kCardOfficeTel1] = "03-1111-0001\n03-1111-0002";
    card[kCardOfficeTel2] = "03-1111-0003";
    card[kCardOfficeCellular] = "090-0000-0004";
    card[kCardOfficePager] = "020-0000-0005";
    card[kCardHomeTel] = "03-0000-0006";
    card[kCardHomeCellular] = "080-0000-0007";
    card[kCardHomePager] = "020-0000-0008";
    card[kCardOfficeFax] = "03-0000-0009";
    card[kCardHomeFax] = "03-0000-0010";
    card[kCardOfficeEmail] = "taro@example.co.jp";
    card[kCardHomeEmail] = "taro@example.jp\ntaro2@example.jp";
    card[kCardOfficeZip] = "100-0001";
    card[kCardOfficeAddress] = std::string(kOffice) + " 1-1-1 \\ back";
    card[kCardOfficeRemark] = "office remark in plain ASCII that runs longer than one line of a 2.1 card can";
    card[kCardHomeZip] = "150-0002";
    card[kCardHomeAddress] = std::string(kName) + " " + std::string(60, 'x');
    card[kCardHomeRemark] = "a long remark, with commas; semicolons and\nline breaks " + std::string(120, 'y');
    card[kCardBirthday] = "19650412";
    card[kCardFree1] = "free one";
    card[kCardFree6] = "free six";
    card[kCardSecret] = "1";
    card[kCardGreetings] = "1,0,3,2";
    card[kCardPortrait] = std::string("\xff\xd8\xff\xe0", 4) + std::string(300, '\0') + "end";
    card.categories = {"Work", kOffice};
    return card;
}

std::string Written(const Card& card, VCardVersion version) {
    std::ostringstream out;
    VCardWriter(out, version).Write(card);
    return out.str();
}

Card ReadBack(const std::string& text) {
    std::istringstream in(text);
    VCardReader reader(in);
    Card card;
    const ReadOutcome outcome = reader.Next(&card);
    EXPECT_EQ(outcome.kind, ReadOutcome::kCard) << outcome.reason << "\n" << text;
    return card;
}

void ExpectSameCard(const Card& read, const Card& written) {
    for (int field = 0; field < kCardFieldCount; ++field) {
        EXPECT_EQ(read.field[field], written.field[field]) << "field " << field;
    }
    EXPECT_EQ(read.categories, written.categories);
    EXPECT_EQ(read.kind, written.kind);
    EXPECT_EQ(read.uid, written.uid);
}

class VCardRoundTrip : public ::testing::TestWithParam<VCardVersion> {};

TEST_P(VCardRoundTrip, EveryFieldComesBack) {
    const Card card = FullCard();
    ExpectSameCard(ReadBack(Written(card, GetParam())), card);
}

TEST_P(VCardRoundTrip, ACompanyCardAndAnEmptyCardComeBack) {
    Card company;
    company[kCardOffice] = "Acme";
    ExpectSameCard(ReadBack(Written(company, GetParam())), company);
    Card birthdayWithoutYear;
    birthdayWithoutYear[kCardName] = "x";
    birthdayWithoutYear[kCardBirthday] = "--0229";
    ExpectSameCard(ReadBack(Written(birthdayWithoutYear, GetParam())), birthdayWithoutYear);
    // Plain ASCII categories with a line break, and more than a line of
    // them, stay one property.
    Card categories;
    categories[kCardName] = "x";
    categories.categories = {"two\nlines", std::string(80, 'c'), "Work"};
    ExpectSameCard(ReadBack(Written(categories, GetParam())), categories);
}

INSTANTIATE_TEST_SUITE_P(AllVersions, VCardRoundTrip,
                         ::testing::Values(VCardVersion::k21, VCardVersion::k30, VCardVersion::k40));

std::vector<std::string> TextLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST(VCardWriting, Version30IsFoldedUtf8WithinSeventyFiveBytes) {
    const std::string text = Written(FullCard(), VCardVersion::k30);
    EXPECT_TRUE(IsValidUtf8(text));
    for (const std::string& line : TextLines(text)) {
        ASSERT_FALSE(line.empty());
        EXPECT_EQ(line.back(), '\r');
        EXPECT_LE(line.size(), 76u) << line;
        // A fold never starts inside a UTF-8 sequence.
        if (line[0] == ' ' && line.size() > 1) {
            EXPECT_NE(static_cast<unsigned char>(line[1]) & 0xC0, 0x80u) << line;
        }
    }
    EXPECT_NE(text.find("\r\nTEL;TYPE=WORK,FAX:03-0000-0009\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nX-PHONETIC-LAST-NAME:\xe3\x82\x84\xe3\x81\xbe\xe3\x81\xa0\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nCLASS:PRIVATE\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nBDAY:1965-04-12\r\n"), std::string::npos);
}

TEST(VCardWriting, Version21IsShiftJisQuotedPrintableWithIrmcReading) {
    const std::string text = Written(FullCard(), VCardVersion::k21);
    // 山田 in Shift-JIS: trail bytes that look like ASCII are encoded too
    EXPECT_NE(text.find("\r\nN;CHARSET=SHIFT_JIS;ENCODING=QUOTED-PRINTABLE:=8E=52=93=63;"), std::string::npos);
    EXPECT_NE(text.find("\r\nTEL;WORK;FAX:03-0000-0009\r\n"), std::string::npos);
    // やまだ;たろう in Shift-JIS, quoted-printable
    EXPECT_NE(text.find("\r\nSOUND;X-IRMC-N;CHARSET=SHIFT_JIS;ENCODING=QUOTED-PRINTABLE:=82=E2=82=DC=\r\n=82=BE;=82=BD=82=EB"),
              std::string::npos);
    for (const std::string& line : TextLines(text)) {
        for (char c : line) EXPECT_LT(static_cast<unsigned char>(c), 0x80u) << line;
        if (line.find("PHOTO") == std::string::npos && line[0] != ' ') {
            EXPECT_LE(line.size(), 77u) << line;  // 76 and the CR
        }
    }
    EXPECT_NE(text.find("PHOTO;ENCODING=BASE64;TYPE=JPEG:\r\n /9j/4"), std::string::npos);
}

TEST(VCardWriting, Version40UsesLowerCaseTypesAndSortAs) {
    const std::string text = Written(FullCard(), VCardVersion::k40);
    EXPECT_NE(text.find("\r\nTEL;TYPE=work,fax;VALUE=text:03-0000-0009\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nEMAIL;TYPE=work:taro@example.co.jp\r\n"), std::string::npos);
    EXPECT_NE(text.find("N;SORT-AS=\"\xe3\x82\x84\xe3\x81\xbe\xe3\x81\xa0,"), std::string::npos);
    EXPECT_NE(text.find("\r\nPHOTO:data:image/jpeg;base64,/9j/4"), std::string::npos);
    EXPECT_EQ(text.find("X-PHONETIC-LAST-NAME"), std::string::npos);
}

TEST(VCardWriting, Version40KeepsAReadingSortAsCannotHold) {
    Card card;
    card[kCardName] = "A B";
    card[kCardNameReading] = "a,\"x\" b";
    const std::string text = Written(card, VCardVersion::k40);
    EXPECT_EQ(text.find("SORT-AS"), std::string::npos);
    EXPECT_NE(text.find("\r\nX-PHONETIC-LAST-NAME:a\\,\"x\"\r\n"), std::string::npos) << text;
    ExpectSameCard(ReadBack(text), card);
}

}  // namespace
