// Reading the vCards that other programs write: Japanese phones' 2.1 in
// Shift-JIS with quoted-printable, Apple's and Google's 3.0, Outlook's 2.1,
// Thunderbird's 4.0, and broken cards among good ones.
#include <gtest/gtest.h>

#include <fstream>
#include <initializer_list>
#include <sstream>

#include "VCardReader.h"

using namespace varo::interchange;

namespace {

const char kYamadaTaro[] = "\xe5\xb1\xb1\xe7\x94\xb0 \xe5\xa4\xaa\xe9\x83\x8e";  // 山田 太郎

std::vector<Card> ReadCards(std::istream& in, std::vector<std::string>* skipped = nullptr) {
    VCardReader reader(in);
    std::vector<Card> cards;
    for (;;) {
        Card card;
        const ReadOutcome outcome = reader.Next(&card);
        if (outcome.kind == ReadOutcome::kEnd) return cards;
        if (outcome.kind == ReadOutcome::kCard) cards.push_back(card);
        if (outcome.kind == ReadOutcome::kSkipped && skipped) skipped->push_back(outcome.reason);
    }
}

std::vector<Card> ReadSample(const char* name) {
    std::ifstream in(std::string(VARO_SAMPLES) + "/" + name, std::ios::binary);
    EXPECT_TRUE(in.good()) << name;
    return ReadCards(in);
}

std::vector<Card> ReadText(const std::string& text, std::vector<std::string>* skipped = nullptr) {
    std::istringstream in(text);
    return ReadCards(in, skipped);
}

// Expects each listed field of the card to hold its text.
void ExpectFields(const Card& card, std::initializer_list<std::pair<CardField, std::string>> fields) {
    for (const auto& [field, text] : fields) EXPECT_EQ(card[field], text) << "field " << field;
}

TEST(VCardReading, JapanesePhoneShiftJisQuotedPrintable) {
    const std::vector<Card> cards = ReadSample("phone-21-sjis.vcf");
    ASSERT_EQ(cards.size(), 2u);
    ExpectFields(cards[0], {
        {kCardName, kYamadaTaro},
        {kCardNameReading, "\xef\xbe\x94\xef\xbe\x8f\xef\xbe\x80\xef\xbe\x9e \xef\xbe\x80\xef\xbe\x9b\xef\xbd\xb3"},  // ﾔﾏﾀﾞ ﾀﾛｳ
        {kCardHomeCellular, "090-1111-2222"}, {kCardHomeTel, "03-3333-4444"}, {kCardOfficeFax, "03-5555-6666"},
        {kCardHomeEmail, "taro@example.jp"}, {kCardHomeZip, "105-0011"}, {kCardBirthday, "19700102"},
        // 東京都港区芝公園4-2-8: prefecture first, as Japanese addresses read
        {kCardHomeAddress, "\xe6\x9d\xb1\xe4\xba\xac\xe9\x83\xbd\xe6\xb8\xaf\xe5\x8c\xba\xe8\x8a\x9d\xe5\x85\xac"
                           "\xe5\x9c\x92" "4-2-8"},
        // メモ一行目 / 二行目, joined again across the soft line break
        {kCardHomeRemark, "\xe3\x83\xa1\xe3\x83\xa2\xe4\xb8\x80\xe8\xa1\x8c\xe7\x9b\xae\n"
                          "\xe4\xba\x8c\xe8\xa1\x8c\xe7\x9b\xae"}});
    // 佐藤 花子 from N, no charset
    ExpectFields(cards[1], {{kCardName, "\xe4\xbd\x90\xe8\x97\xa4 \xe8\x8a\xb1\xe5\xad\x90"}, {kCardOfficeTel1, "06-1234-5678"}});
    EXPECT_EQ(cards[1][kCardPortrait].substr(0, 3), "\xff\xd8\xff");
}

TEST(VCardReading, AppleCardWithReadingsAndPhoto) {
    const std::vector<Card> cards = ReadSample("apple-30.vcf");
    ASSERT_EQ(cards.size(), 1u);
    const Card& card = cards[0];
    ExpectFields(card, {
        {kCardName, "Ichiro Suzuki"},
        {kCardNameReading, "\xe3\x81\x99\xe3\x81\x9a\xe3\x81\x8d \xe3\x81\x84\xe3\x81\xa1\xe3\x82\x8d\xe3\x81\x86"},
        {kCardOffice, "Example, Inc."}, {kCardSection, "Sales Tokyo"}, {kCardPosition, "Manager"},
        {kCardOfficeEmail, "ichiro@example.com"}, {kCardHomeEmail, "ichi@example.net"},
        {kCardHomeCellular, "+81 90 1234 5678"}, {kCardOfficeTel1, "+81 3 1234 5678"},
        {kCardOfficeFax, "+81 3 1234 5679"}, {kCardOfficeAddress, "1-2-3 Marunouchi, Chiyoda-ku, Tokyo, Japan"},
        {kCardOfficeZip, "100-0005"}, {kCardBirthday, "19800506"},
        {kCardHomeRemark, "line one\nline two, with comma; and semicolon \\ backslash"}});
    EXPECT_EQ(card.categories, (std::vector<std::string>{"Work", "Friends"}));
    EXPECT_EQ(card[kCardPortrait].size(), 91u);
    EXPECT_EQ(card.uid, "0A1B2C3D-APPLE");
}

TEST(VCardReading, GoogleAndOutlookCards) {
    const std::vector<Card> google = ReadSample("google-30.vcf");
    ASSERT_EQ(google.size(), 1u);
    ExpectFields(google[0], {
        {kCardHomeRemark, "A very long note that Google folds because it runs past seventy-five octets on one line."},
        {kCardHomeCellular, "080-9999-0000"}, {kCardHomeAddress, "4-5-6 Umeda, Kita-ku, Osaka, JP"}});
    const std::vector<Card> outlook = ReadSample("outlook-21.vcf");
    ASSERT_EQ(outlook.size(), 1u);
    ExpectFields(outlook[0], {
        {kCardName, "Bob Brown"}, {kCardOffice, "Contoso"}, {kCardSection, "Research"},
        {kCardOfficeTel1, "(425) 555-0100"}, {kCardHomeTel, "(425) 555-0101"}, {kCardHomeCellular, "(425) 555-0102"},
        {kCardOfficeFax, "(425) 555-0103"}, {kCardHomeEmail, "bob@contoso.com"},
        {kCardHomeRemark, "First line\nSecond line"}});
}

TEST(VCardReading, Version40SortAsDataUriAndTelUri) {
    const std::vector<Card> cards = ReadSample("thunderbird-40.vcf");
    ASSERT_EQ(cards.size(), 1u);
    ExpectFields(cards[0], {
        {kCardName, "\xe4\xbc\x8a\xe8\x97\xa4 \xe6\xac\xa1\xe9\x83\x8e"},  // 伊藤 次郎
        {kCardNameReading, "\xe3\x81\x84\xe3\x81\xa8\xe3\x81\x86 \xe3\x81\x98\xe3\x82\x8d\xe3\x81\x86"},
        {kCardOfficeEmail, "jiro@example.jp"}, {kCardHomeTel, "045-111-2222"}, {kCardOfficeTel1, "045-333-4444"},
        {kCardBirthday, "--0229"}, {kCardPortrait, std::string("\x89PNG\r\n\x1a\n", 8)}});
}

TEST(VCardReading, SeveralValuesOfOneRoleBecomeLines) {
    const auto cards = ReadText("BEGIN:VCARD\nVERSION:3.0\nFN:x\nTEL;TYPE=WORK:1\nTEL;TYPE=HOME:2\nTEL;TYPE=WORK:3\n"
                                "TEL;TYPE=WORK,X-VARO-SECOND:4\nX-VARO-KIND:0x403\nEND:VCARD\n");
    ASSERT_EQ(cards.size(), 1u);
    ExpectFields(cards[0], {{kCardOfficeTel1, "1\n3"}, {kCardOfficeTel2, "4"}, {kCardHomeTel, "2"}});
    EXPECT_EQ(cards[0].kind, 0x403);
}

TEST(VCardReading, ACompanyCardHasNoPersonsName) {
    const auto cards = ReadText("BEGIN:VCARD\nVERSION:3.0\nN:;;;;\nFN:Acme\nORG:Acme\nEND:VCARD\n");
    ASSERT_EQ(cards.size(), 1u);
    EXPECT_EQ(cards[0][kCardName], "");
    EXPECT_EQ(cards[0][kCardOffice], "Acme");
}

TEST(VCardReading, ABrokenCardIsSkippedWithItsLineAndTheRestRead) {
    std::vector<std::string> skipped;
    const auto cards = ReadText(
        "garbage\n"
        "BEGIN:VCARD\nVERSION:3.0\nFN:one\nEND:VCARD\n"
        "BEGIN:VCARD\nVERSION:3.0\nFN:two\nthis line has no colon\nEND:VCARD\n"
        "BEGIN:VCARD\nVERSION:3.0\nFN:three\nPHOTO;ENCODING=b:***\nEND:VCARD\n"
        "BEGIN:VCARD\nVERSION:3.0\nFN:cut short\n"
        "BEGIN:VCARD\nVERSION:3.0\nFN:four\nEND:VCARD\n"
        "BEGIN:VCARD\nFN:never ends\n",
        &skipped);
    ASSERT_EQ(cards.size(), 2u);
    EXPECT_EQ(cards[0][kCardName], "one");
    EXPECT_EQ(cards[1][kCardName], "four");
    ASSERT_EQ(skipped.size(), 5u);
    EXPECT_EQ(skipped[0], "line 1: text outside a card");
    EXPECT_EQ(skipped[1], "line 9: not a property line");
    EXPECT_EQ(skipped[2], "line 14: PHOTO is not valid base64");
    EXPECT_EQ(skipped[3], "line 16: the card has no END:VCARD");
    EXPECT_EQ(skipped[4], "line 23: the card has no END:VCARD");
}

TEST(VCardReading, AReadingInSortAsIsDecodedLikeValues) {
    // Shift-JIS bytes in SORT-AS: やまだ,たろう
    const auto cards = ReadText("BEGIN:VCARD\nVERSION:4.0\nN;SORT-AS=\"\x82\xe2\x82\xdc\x82\xbe,\x82\xbd\x82\xeb\x82\xa4\":x;;;;\n"
                                "END:VCARD\n");
    ASSERT_EQ(cards.size(), 1u);
    EXPECT_EQ(cards[0][kCardNameReading], "\xe3\x82\x84\xe3\x81\xbe\xe3\x81\xa0 \xe3\x81\x9f\xe3\x82\x8d\xe3\x81\x86");
    std::vector<std::string> skipped;
    ReadText("BEGIN:VCARD\nVERSION:4.0\nN;CHARSET=UTF-8;SORT-AS=\"\xe3\x81\":x;;;;\nEND:VCARD\n", &skipped);
    ASSERT_EQ(skipped.size(), 1u);
    EXPECT_EQ(skipped[0], "line 3: SORT-AS is not valid in its charset");
}

TEST(VCardReading, ABadCharsetIsReported) {
    std::vector<std::string> skipped;
    const auto cards = ReadText("BEGIN:VCARD\nVERSION:2.1\nN;CHARSET=UTF-8:\xff\xfe\nEND:VCARD\n", &skipped);
    EXPECT_TRUE(cards.empty());
    ASSERT_EQ(skipped.size(), 1u);
    EXPECT_EQ(skipped[0], "line 3: N is not valid in its charset");
}

}  // namespace
