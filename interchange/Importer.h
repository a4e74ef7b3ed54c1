// Importing iCalendar and vCard files into a database, one component or
// card at a time.
//
// Each tip goes to its kind's home fukuro, or to the one fukuro the caller
// names. A UID imported before (or exported from this database) names the
// tip to update; the tip is then rewritten from the file and stays where it
// lies. Nothing else that was in the database is changed. What cannot be
// imported is skipped and reported with its file and line; the rest goes in.
#pragma once

#include <cstdint>
#include <functional>
#include <istream>
#include <set>
#include <string>
#include <unordered_set>
#include <vector>

#include "UidMap.h"
#include "VAROObj.h"

namespace varo {
namespace interchange {

struct ImportSummary {
    long added = 0;
    long updated = 0;
    std::vector<std::string> skipped;  // "file: line N: why"
    std::vector<std::string> notes;    // imported, but only in part
};

class Importer {
public:
    // fukuro 0: every kind into its home fukuro.
    Importer(CVAROObj& kit, long db, long fukuro) : m_kit(kit), m_db(db), m_fukuro(fukuro) {}
    ~Importer();
    Importer(const Importer&) = delete;
    Importer& operator=(const Importer&) = delete;

    // Reads the UID map and the category names; false with *problem set.
    bool Begin(std::string* problem);
    // Imports one file (iCalendar or vCard, told by its first line);
    // `progress` is called with the bytes read so far.
    void ImportStream(std::istream& in, const std::string& label, const std::function<void(uint64_t)>& progress);
    // Writes the UID map back and closes the fukuros.
    bool Finish(std::string* problem);

    const ImportSummary& Summary() const { return m_summary; }

private:
    void ImportCalendar(std::istream& in, const std::string& label, const std::function<void(uint64_t)>& progress);
    void ImportCards(std::istream& in, const std::string& label, const std::function<void(uint64_t)>& progress);
    // Makes or updates the tip of a UID: `fill` writes its fields into the
    // begun tip and tells whether it set the entry day; false from it skips.
    using Fill = std::function<bool(std::string* problem, bool* entryDaySet, bool* alarmOn)>;
    void Store(uint16_t kind, const std::string& uid, const std::string& where, const Fill& fill);
    long OpenFukuro(long fukuro);
    void KeepAlarmFukuroInStep(long tip, bool alarmOn);
    void Skip(const std::string& where, const std::string& why);

    CVAROObj& m_kit;
    long m_db;
    long m_fukuro;
    UidMap m_uids;
    std::vector<std::string> m_categoryNames;
    std::set<long> m_opened;
    std::unordered_set<long> m_alarmed;
    ImportSummary m_summary;
};

}  // namespace interchange
}  // namespace varo
