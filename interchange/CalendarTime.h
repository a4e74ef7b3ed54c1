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

// The zone exported instants are written in.
class ExportZone {
public:
    ExportZone();
    // The VTIMEZONE component text for the header, or empty.
    std::string TimezoneText() const;

    // The property's value and, for a zoned time, its TZID parameter.
    void SetTime(icalproperty* property, const CPIMTime& when, bool dateOnly) const;

    // The C library's standard-time offset (seconds west of UTC) that the
    // kit's local times use.
    long LocalOffset() const { return m_offset; }

private:
    long m_offset;
    std::string m_tzid;  // "Asia/Tokyo", or empty for UTC
};

// Always in UTC (CREATED, COMPLETED, alarm triggers).
icaltimetype UtcTime(const CPIMTime& when);

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
