// Instants and dates between the kit (CPIMTime, local standard time) and
// iCalendar (libical times with a zone, in UTC, or floating).
//
// Exported instants carry the local zone: "Asia/Tokyo" with its VTIMEZONE
// when the kit runs in Japan Standard Time, otherwise UTC. Imported ones are
// resolved through the file's own VTIMEZONEs, then libical's zone database;
// floating times and dates are local.
#pragma once

#include <libical/ical.h>

#include <map>
#include <string>

#include "CalendarWriter.h"
#include "PIMTime.h"

namespace varo {
namespace interchange {

// The years the kit's date fields hold.
const int kFirstKitYear = 1901;
const int kLastKitYear = 2099;

struct KitInstant {
    CPIMTime when;
    bool dateOnly = false;
};

struct NamedZone;

// The zone exported instants are written in.
class ExportZone {
public:
    ExportZone();
    // The VTIMEZONE component for the header, when the zone has a name.
    void WriteTimezone(CalendarWriter& writer) const;

    // A date, or a date-time zoned or in UTC.
    void WriteTime(CalendarWriter& writer, const char* name, const CPIMTime& when, bool dateOnly) const;

    // The C library's standard-time offset (seconds west of UTC) that the
    // kit's local times use.
    long LocalOffset() const { return m_offset; }

private:
    long m_offset;
    const NamedZone* m_named;  // null: instants go out in UTC
};

// The UTC digits of a kit instant (CREATED, COMPLETED, alarm triggers).
DateFields UtcFields(const CPIMTime& when);

// The zones an imported file defines; owns them.
class ZoneBook {
public:
    ZoneBook() = default;
    ~ZoneBook();
    ZoneBook(const ZoneBook&) = delete;
    ZoneBook& operator=(const ZoneBook&) = delete;

    // Takes a VTIMEZONE component (ownership passes); false without TZID.
    bool Add(icalcomponent* vtimezone);
    // The zone of a TZID: the file's, else libical's; null when unknown.
    icaltimezone* Find(const std::string& tzid) const;

private:
    std::map<std::string, icaltimezone*> m_zones;
    // libical's own zones as found, so each name is looked up once; libical
    // owns them.
    mutable std::map<std::string, icaltimezone*> m_builtin;
};

// The time of a date or date-time property; false when it has none or it
// lies outside the years the kit holds.
bool PropertyInstant(icalproperty* property, const ZoneBook& zones, KitInstant* instant);

// A libical time (with or without a zone) as a kit instant.
bool ToKitInstant(icaltimetype time, icaltimezone* zone, KitInstant* instant);

}  // namespace interchange
}  // namespace varo
