// What the interchange tests over the real engine share: a data folder in
// memory, a kit with two fresh databases, and exporting and importing
// through the library as varo does.
#pragma once

#include <gtest/gtest.h>
#include <libical/ical.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>

#include "Exporter.h"
#include "Importer.h"
#include "VAROObj.h"

namespace varo {
namespace interchange {

// The lines of a file unfolded, each ended by LF.
inline std::string Unfolded(const std::string& text) {
    std::string unfolded;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 3, "\r\n ") == 0) {
            i += 2;
        } else if (text[i] != '\r') {
            unfolded += text[i];
        }
    }
    return unfolded;
}

// The components (or cards) of an exported file by UID, each as its
// unfolded lines without DTSTAMP, which tells when the file was written.
inline std::map<std::string, std::string> ByUid(const std::string& text) {
    std::map<std::string, std::string> items;
    std::istringstream in(Unfolded(text));
    std::string line, body, uid;
    int depth = 0;
    for (; std::getline(in, line);) {
        // The zone's own parts (STANDARD) are no item.
        const bool begin = line.compare(0, 6, "BEGIN:") == 0 && line != "BEGIN:VCALENDAR" && line != "BEGIN:VTIMEZONE";
        if (begin && depth++ == 0) body.clear(), uid.clear();
        if (depth == 0) continue;
        if (line.compare(0, 4, "UID:") == 0) uid = line.substr(4);
        if (line.compare(0, 8, "DTSTAMP:") != 0) body += line + "\n";
        if (line.compare(0, 4, "END:") == 0 && line != "END:VCALENDAR" && line != "END:VTIMEZONE" && --depth == 0 &&
            !uid.empty()) {
            items[uid] = body;
        }
    }
    return items;
}

// A calendar file around the components, given with their CR LF line ends.
inline std::string Calendar(const std::string& components) {
    return "BEGIN:VCALENDAR\r\n" + components + "END:VCALENDAR\r\n";
}

// Problems libical's parser notes anywhere in a calendar.
inline int LibicalErrors(const std::string& text) {
    icalcomponent* calendar = icalparser_parse_string(text.c_str());
    if (!calendar) return -1;
    int errors = icalcomponent_count_errors(calendar);
    if (icalcomponent_isa(calendar) != ICAL_VCALENDAR_COMPONENT) errors = -2;
    icalcomponent_free(calendar);
    return errors;
}

// A data folder in memory where there is one: the engine syncs every change,
// which on a busy disk makes each store slow.
class MemoryDataFolder {
public:
    MemoryDataFolder() {
        const char* base = access("/dev/shm", W_OK | X_OK) == 0 ? "/dev/shm" : P_tmpdir;
        std::string pattern = std::string(base) + "/varo-interchange-XXXXXX";
        if (mkdtemp(&pattern[0])) m_folder = pattern;
        setenv("VARO_DATA_DIR", m_folder.c_str(), 1);
    }
    ~MemoryDataFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }

private:
    std::string m_folder;
};

class InterchangeFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(m_kit.Init(nullptr), 1);
        ASSERT_EQ(m_kit.Create("source", &m_source), 0);
        ASSERT_EQ(m_kit.Create("target", &m_target), 0);
        ASSERT_EQ(m_kit.Open(m_source), 0);
        ASSERT_EQ(m_kit.Open(m_target), 0);
    }
    void TearDown() override {
        for (long db : {m_source, m_target}) {
            m_kit.Close(db);
            m_kit.Delete(db, 2);
        }
        m_kit.End();
    }

    long FukuroSize(long db, long fukuro) {
        long size = -1;
        EXPECT_EQ(m_kit.GetFukuroSize(db, fukuro, &size), 0);
        return size;
    }

    // Begins a tip; Put stores it in its home fukuro.
    void Begin(unsigned short kind) {
        m_kit.SetTipID(0);
        ASSERT_EQ(m_kit.SetTipFlag(kind), 1);
    }
    long Put(long db, long fukuro) {
        EXPECT_EQ(m_kit.FukuroLockOpen(db, fukuro), 0);
        long tip = 0;
        EXPECT_EQ(m_kit.PutTip(db, fukuro, &tip), 0);
        m_kit.FukuroClose(db, fukuro);
        return tip;
    }

    std::string Export(long db, FileFormat format, VCardVersion version = VCardVersion::k30) {
        ExportRequest request;
        request.format = format;
        request.cardVersion = version;
        std::ostringstream out;
        ExportSummary summary;
        std::string problem;
        EXPECT_TRUE(ExportTips(m_kit, db, request, out, [](long) {}, &summary, &problem)) << problem;
        return out.str();
    }

    ImportSummary Import(long db, const std::string& text, long fukuro = 0) {
        Importer importer(m_kit, db, fukuro);
        std::string problem;
        EXPECT_TRUE(importer.Begin(&problem)) << problem;
        std::istringstream in(text);
        importer.ImportStream(in, "file", [](uint64_t) {});
        EXPECT_TRUE(importer.Finish(&problem)) << problem;
        return importer.Summary();
    }

    void ExpectSameItems(const std::string& first, const std::string& second) {
        const auto before = ByUid(first);
        const auto after = ByUid(second);
        for (const auto& item : before) {
            const auto found = after.find(item.first);
            ASSERT_NE(found, after.end()) << "missing " << item.first;
            EXPECT_EQ(found->second, item.second);
        }
    }

    MemoryDataFolder m_folder;
    CVAROObj m_kit;
    long m_source = 0;
    long m_target = 0;
};

}  // namespace interchange
}  // namespace varo
