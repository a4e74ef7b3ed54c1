// Reads an iCalendar file one component at a time: each VEVENT, VTODO or
// VJOURNAL is cut out of the stream on its own and handed to libical, so
// a file of any number of events is never held whole in memory. VTIMEZONEs
// are kept (in a ZoneBook) for the components after them.
//
// A component that libical cannot read, that never ends, or whose lines
// are cut, is reported with its first line and skipped; reading goes on
// after it. Other components (VFREEBUSY, ...) are reported as not taken.
#pragma once

#include <libical/ical.h>

#include <istream>
#include <string>

#include "CalendarTime.h"
#include "LineReader.h"
#include "VCardReader.h"

namespace varo {
namespace interchange {

class CalendarReader {
public:
    explicit CalendarReader(std::istream& in, size_t lineBound = LogicalLines::kDefaultBound);

    // kCard means a component: *component is set and the caller frees it.
    ReadOutcome Next(icalcomponent** component);

    const ZoneBook& Zones() const { return m_zones; }
    uint64_t BytesRead() const { return m_lines.BytesRead(); }

private:
    // Collects the lines up to the END matching `name`; false when the
    // input ends first or a line is cut.
    bool Collect(const std::string& name, std::string* text, std::string* problem);

    LogicalLines m_lines;
    ZoneBook m_zones;
};

}  // namespace interchange
}  // namespace varo
