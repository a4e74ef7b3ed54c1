// Reading the vCards that other programs write: Japanese phones' 2.1 in
// Shift-JIS with quoted-printable, Apple's and Google's 3.0, Outlook's 2.1,
// Thunderbird's 4.0, and broken cards among good ones.
#include <gtest/gtest.h>

#include <fstream>
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

TEST(VCardReading, JapanesePhoneShiftJisQuotedPrintable) {
    const std::vector<Card> cards = ReadSample("phone-21-sjis.vcf");
    ASSERT_EQ(cards.size(), 2u);
    const Card& taro = cards[0];
    EXPECT_EQ(taro[kCardName], kYamadaTaro);
    EXPECT_EQ(taro[kCardNameReading], "\xef\xbe\x94\xef\xbe\x8f\xef\xbe\x80\xef\xbe\x9e \xef\xbe\x80\xef\xbe\x9b\xef\xbd\xb3");  // ﾔﾏﾀﾞ ﾀﾛｳ
    EXPECT_EQ(taro[kCardHomeCellular], "090-1111-2222");
    EXPECT_EQ(taro[kCardHomeTel], "03-3333-4444");
    EXPECT_EQ(taro[kCardOfficeFax], "03-5555-6666");
    EXPECT_EQ(taro[kCardHomeEmail], "taro@example.jp");
    // 東京都港区芝公園4-2-8: prefecture first, as Japanese addresses read
    EXPECT_EQ(taro[kCardHomeAddress], "\xe6\x9d\xb1\xe4\xba\xac\xe9\x83\xbd\xe6\xb8\xaf\xe5\x8c\xba\xe8\x8a\x9d\xe5\x85\xac"
                                      "\xe5\x9c\x92" "4-2-8");
    EXPECT_EQ(taro[kCardHomeZip], "105-0011");
    // メモ一行目 / 二行目, joined again across the soft line break
    EXPECT_EQ(taro[kCardHomeRemark], "\xe3\x83\xa1\xe3\x83\xa2\xe4\xb8\x80\xe8\xa1\x8c\xe7\x9b\xae\n"
                                     "\xe4\xba\x8c\xe8\xa1\x8c\xe7\x9b\xae");
    EXPECT_EQ(taro[kCardBirthday], "19700102");
    const Card& hanako = cards[1];
    EXPECT_EQ(hanako[kCardName], "\xe4\xbd\x90\xe8\x97\xa4 \xe8\x8a\xb1\xe5\xad\x90");  // 佐藤 花子 from N, no charset
    EXPECT_EQ(hanako[kCardOfficeTel1], "06-1234-5678");
    EXPECT_EQ(hanako[kCardPortrait].substr(0, 3), "\xff\xd8\xff");
}

TEST(VCardReading, AppleCardWithReadingsAndPhoto) {
    const std::vector<Card> cards = ReadSample("apple-30.vcf");
    ASSERT_EQ(cards.size(), 1u);
    const Card& card = cards[0];
    EXPECT_EQ(card[kCardName], "Ichiro Suzuki");
    EXPECT_EQ(card[kCardNameReading], "\xe3\x81\x99\xe3\x81\x9a\xe3\x81\x8d \xe3\x81\x84\xe3\x81\xa1\xe3\x82\x8d\xe3\x81\x86");
    EXPECT_EQ(card[kCardOffice], "Example, Inc.");
    EXPECT_EQ(card[kCardSection], "Sales Tokyo");
    EXPECT_EQ(card[kCardPosition], "Manager");
    EXPECT_EQ(card[kCardOfficeEmail], "ichiro@example.com");
    EXPECT_EQ(card[kCardHomeEmail], "ichi@example.net");
    EXPECT_EQ(card[kCardHomeCellular], "+81 90 1234 5678");
    EXPECT_EQ(card[kCardOfficeTel1], "+81 3 1234 5678");
    EXPECT_EQ(card[kCardOfficeFax], "+81 3 1234 5679");
    EXPECT_EQ(card[kCardOfficeAddress], "1-2-3 Marunouchi, Chiyoda-ku, Tokyo, Japan");
    EXPECT_EQ(card[kCardOfficeZip], "100-0005");
    EXPECT_EQ(card[kCardHomeRemark], "line one\nline two, with comma; and semicolon \\ backslash");
    EXPECT_EQ(card[kCardBirthday], "19800506");
    EXPECT_EQ(card.categories, (std::vector<std::string>{"Work", "Friends"}));
    EXPECT_EQ(card[kCardPortrait].size(), 91u);
    EXPECT_EQ(card.uid, "0A1B2C3D-APPLE");
}

TEST(VCardReading, GoogleAndOutlookCards) {
    const std::vector<Card> google = ReadSample("google-30.vcf");
    ASSERT_EQ(google.size(), 1u);
    EXPECT_EQ(google[0][kCardHomeRemark],
              "A very long note that Google folds because it runs past seventy-five octets on one line.");
    EXPECT_EQ(google[0][kCardHomeCellular], "080-9999-0000");
    EXPECT_EQ(google[0][kCardHomeAddress], "4-5-6 Umeda, Kita-ku, Osaka, JP");
    const std::vector<Card> outlook = ReadSample("outlook-21.vcf");
    ASSERT_EQ(outlook.size(), 1u);
    const Card& bob = outlook[0];
    EXPECT_EQ(bob[kCardName], "Bob Brown");
    EXPECT_EQ(bob[kCardOffice], "Contoso");
    EXPECT_EQ(bob[kCardSection], "Research");
    EXPECT_EQ(bob[kCardOfficeTel1], "(425) 555-0100");
    EXPECT_EQ(bob[kCardHomeTel], "(425) 555-0101");
    EXPECT_EQ(bob[kCardHomeCellular], "(425) 555-0102");
    EXPECT_EQ(bob[kCardOfficeFax], "(425) 555-0103");
    EXPECT_EQ(bob[kCardHomeEmail], "bob@contoso.com");
    EXPECT_EQ(bob[kCardHomeRemark], "First line\nSecond line");
}

TEST(VCardReading, Version40SortAsDataUriAndTelUri) {
    const std::vector<Card> cards = ReadSample("thunderbird-40.vcf");
    ASSERT_EQ(cards.size(), 1u);
    const Card& card = cards[0];
    EXPECT_EQ(card[kCardName], "\xe4\xbc\x8a\xe8\x97\xa4 \xe6\xac\xa1\xe9\x83\x8e");  // 伊藤 次郎
    EXPECT_EQ(card[kCardNameReading], "\xe3\x81\x84\xe3\x81\xa8\xe3\x81\x86 \xe3\x81\x98\xe3\x82\x8d\xe3\x81\x86");
    EXPECT_EQ(card[kCardOfficeEmail], "jiro@example.jp");
    EXPECT_EQ(card[kCardHomeTel], "045-111-2222");
    EXPECT_EQ(card[kCardOfficeTel1], "045-333-4444");
    EXPECT_EQ(card[kCardBirthday], "--0229");
    EXPECT_EQ(card[kCardPortrait], std::string("\x89PNG\r\n\x1a\n", 8));
}

TEST(VCardReading, SeveralValuesOfOneRoleBecomeLines) {
    const auto cards = ReadText("BEGIN:VCARD\nVERSION:3.0\nFN:x\nTEL;TYPE=WORK:1\nTEL;TYPE=HOME:2\nTEL;TYPE=WORK:3\n"
                                "TEL;TYPE=WORK,X-VARO-SECOND:4\nX-VARO-KIND:0x403\nEND:VCARD\n");
    ASSERT_EQ(cards.size(), 1u);
    EXPECT_EQ(cards[0][kCardOfficeTel1], "1\n3");
    EXPECT_EQ(cards[0][kCardOfficeTel2], "4");
    EXPECT_EQ(cards[0][kCardHomeTel], "2");
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
