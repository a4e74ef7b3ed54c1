// Calendars as other programs write them: Google, Outlook (Windows zone
// names with their VTIMEZONEs), Apple (floating times), Thunderbird,
// Evolution (prefixed zone names), KDE (DURATION). Each is imported and
// read back through an export in Japan Standard Time.
#include <fstream>
#include <iterator>

#include "InterchangeFixture.h"
#include "TimeZoneGuard.h"

using namespace varo::interchange;

namespace {

std::string SampleText(const char* name) {
    std::ifstream in(std::string(VARO_SAMPLES) + "/" + name, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_FALSE(text.empty()) << name;
    return text;
}

class ProducerFiles : public InterchangeFixture {
protected:
    // Imports a sample into the target; its items as exported again.
    std::map<std::string, std::string> ImportSample(const char* name, ImportSummary* summary) {
        *summary = Import(m_target, SampleText(name));
        return ByUid(Export(m_target, FileFormat::kCalendar));
    }

    static void ExpectHas(const std::map<std::string, std::string>& items, const std::string& uid,
                          const std::vector<std::string>& lines) {
        const auto found = items.find(uid);
        ASSERT_NE(found, items.end()) << uid;
        for (const std::string& line : lines) EXPECT_NE(found->second.find(line + "\n"), std::string::npos) << uid << ": " << line << "\n" << found->second;
    }
};

TEST_F(ProducerFiles, Google) {
    ImportSummary summary;
    const auto items = ImportSample("google.ics", &summary);
    EXPECT_EQ(summary.added, 3);
    ASSERT_EQ(summary.notes.size(), 1u);
    EXPECT_EQ(summary.notes[0], "file: line 8: repeats: only its first occurrence was kept");
    ExpectHas(items, "google-1@google.com",
              {"X-VARO-KIND:0x0201", "SUMMARY:Weekly sync", "DESCRIPTION:Agenda:\\n1. budget\\n2. plans",
               "DTSTART;TZID=Asia/Tokyo:20300301T100000", "DTEND;TZID=Asia/Tokyo:20300301T110000",
               "TRIGGER;VALUE=DATE-TIME:20300301T005000Z", "CREATED:20300115T000000Z"});
    ExpectHas(items, "google-2@google.com", {"DTSTART;VALUE=DATE:20300505", "DTEND;VALUE=DATE:20300506"});
    ExpectHas(items, "google-3@google.com",
              {"X-VARO-KIND:0x0204", "DTSTART;VALUE=DATE:19800412", "RRULE:FREQ=YEARLY"});
}

TEST_F(ProducerFiles, OutlookWindowsZones) {
    ImportSummary summary;
    const auto items = ImportSample("outlook.ics", &summary);
    EXPECT_EQ(summary.added, 2);
    EXPECT_TRUE(summary.skipped.empty()) << summary.skipped.front();
    ExpectHas(items, "040000008200E00074C5B7101A82E00800000000",
              {"SUMMARY:\xe6\x89\x93\xe3\x81\xa1\xe5\x90\x88\xe3\x82\x8f\xe3\x81\x9b",  // 打ち合わせ
               "DTSTART;TZID=Asia/Tokyo:20300310T150000", "STATUS:TENTATIVE", "CLASS:PRIVATE",
               "TRIGGER;VALUE=DATE-TIME:20300310T054500Z"});
    // 09:00 in New York under daylight saving time is 22:00 in Tokyo.
    ExpectHas(items, "040000008200E00074C5B7101A82E00800000001",
              {"DTSTART;TZID=Asia/Tokyo:20300710T220000", "DTEND;TZID=Asia/Tokyo:20300710T230000"});
}

TEST_F(ProducerFiles, AppleFloatingTimesAndCompletedToDo) {
    ImportSummary summary;
    const auto items = ImportSample("apple.ics", &summary);
    EXPECT_EQ(summary.added, 2);
    ExpectHas(items, "APPLE-TODO-1",
              {"X-VARO-KIND:0x0300", "DUE;VALUE=DATE:20300420", "PRIORITY:1", "STATUS:COMPLETED",
               "COMPLETED:20300418T030000Z"});
    ExpectHas(items, "APPLE-EVENT-1", {"DTSTART;TZID=Asia/Tokyo:20300601T090000"});
}

TEST_F(ProducerFiles, ThunderbirdEvolutionAndKde) {
    ImportSummary summary;
    auto items = ImportSample("thunderbird.ics", &summary);
    ExpectHas(items, "tb-todo-1",
              {"DTSTART;TZID=Asia/Tokyo:20300110T090000", "DUE;TZID=Asia/Tokyo:20300115T180000", "PRIORITY:9",
               "STATUS:NEEDS-ACTION"});
    items = ImportSample("evolution.ics", &summary);
    ExpectHas(items, "evo-1", {"DTSTART;TZID=Asia/Tokyo:20300801T130000"});
    ExpectHas(items, "evo-memo-1", {"BEGIN:VJOURNAL", "SUMMARY:Ideas", "DESCRIPTION:first idea\\nsecond idea"});
    items = ImportSample("kde.ics", &summary);
    EXPECT_EQ(summary.added, 2);
    ExpectHas(items, "kde-1", {"DTSTART;VALUE=DATE:20300915", "DTEND;VALUE=DATE:20300918"});
    // 10:00 in Berlin in summer is 17:00 in Tokyo; DURATION gives the end.
    ExpectHas(items, "kde-2", {"DTSTART;TZID=Asia/Tokyo:20301020T170000", "DTEND;TZID=Asia/Tokyo:20301020T173000"});
}

TEST_F(ProducerFiles, OutsideJapanInstantsAreWrittenInUtc) {
    ImportSummary summary;
    ImportSample("outlook.ics", &summary);
    // The suite keeps wall-clock times of its local zone: the meeting at
    // 15:00 reads as 15:00 in a zone five hours behind UTC, 20:00 UTC.
    TimeZoneGuard newYork("EST5");
    const std::string text = Export(m_target, FileFormat::kCalendar);
    EXPECT_EQ(text.find("BEGIN:VTIMEZONE"), std::string::npos);
    const auto items = ByUid(text);
    ExpectHas(items, "040000008200E00074C5B7101A82E00800000000",
              {"DTSTART:20300310T200000Z", "DTEND:20300310T210000Z"});
    EXPECT_EQ(LibicalErrors(text), 0);
}

TEST_F(ProducerFiles, JapanesePhoneCards) {
    EXPECT_EQ(Import(m_target, SampleText("phone-21-sjis.vcf")).added, 2);
    const std::string cards = Export(m_target, FileFormat::kCard);
    EXPECT_NE(cards.find("\r\nFN:\xe5\xb1\xb1\xe7\x94\xb0 \xe5\xa4\xaa\xe9\x83\x8e\r\n"), std::string::npos) << cards;
    EXPECT_NE(cards.find("\r\nTEL;TYPE=CELL:090-1111-2222\r\n"), std::string::npos);
    EXPECT_NE(cards.find("\r\nPHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQSkZJRgABAQEASABIAA"), std::string::npos);
}

}  // namespace
