// Kit times and libical times.
#include "CalendarTime.h"

#include <ctime>

namespace varo {
namespace interchange {
namespace {

// The C library's standard-time offset, seconds west of UTC, as the kit
// reads it.
long CurrentOffset() {
    tzset();
    return timezone;
}

const long kJapanOffset = -9 * 3600;
const char kTokyo[] = "Asia/Tokyo";

icaltimetype LocalFields(const CPIMTime& when, bool dateOnly) {
    icaltimetype time = icaltime_null_time();
    time.year = when.GetYear();
    time.month = when.GetMonth();
    time.day = when.GetDay();
    if (dateOnly) {
        time.is_date = 1;
    } else {
        time.hour = when.GetHour();
        time.minute = when.GetMinute();
        time.second = when.GetSecond();
    }
    return time;
}

std::string TzidOf(icalproperty* property) {
    icalparameter* tzid = icalproperty_get_first_parameter(property, ICAL_TZID_PARAMETER);
    const char* text = tzid ? icalparameter_get_tzid(tzid) : nullptr;
    return text ? text : "";
}

}  // namespace

ExportZone::ExportZone() : m_offset(CurrentOffset()), m_tzid(m_offset == kJapanOffset ? kTokyo : "") {}

std::string ExportZone::TimezoneText() const {
    if (m_tzid.empty()) return std::string();
    // Japan has kept one offset since 1952; the kit itself never applies
    // daylight saving time.
    return "BEGIN:VTIMEZONE\r\nTZID:Asia/Tokyo\r\nBEGIN:STANDARD\r\nDTSTART:19700101T000000\r\n"
           "TZOFFSETFROM:+0900\r\nTZOFFSETTO:+0900\r\nTZNAME:JST\r\nEND:STANDARD\r\nEND:VTIMEZONE\r\n";
}

void ExportZone::SetTime(icalproperty* property, const CPIMTime& when, bool dateOnly) const {
    icaltimetype time = dateOnly || !m_tzid.empty() ? LocalFields(when, dateOnly) : UtcTime(when);
    icalproperty_set_value(property, dateOnly ? icalvalue_new_date(time) : icalvalue_new_datetime(time));
    if (!dateOnly && !m_tzid.empty()) icalproperty_add_parameter(property, icalparameter_new_tzid(m_tzid.c_str()));
}

icaltimetype UtcTime(const CPIMTime& when) {
    return icaltime_from_timet_with_zone(static_cast<time_t>(when.GetTime()), 0, icaltimezone_get_utc_timezone());
}

ZoneBook::~ZoneBook() {
    for (auto& zone : m_zones) icaltimezone_free(zone.second, 1);
}

bool ZoneBook::Add(icalcomponent* vtimezone) {
    icalproperty* tzid = icalcomponent_get_first_property(vtimezone, ICAL_TZID_PROPERTY);
    const char* name = tzid ? icalproperty_get_tzid(tzid) : nullptr;
    if (!name || !*name) {
        icalcomponent_free(vtimezone);
        return false;
    }
    const std::string key = name;
    icaltimezone* zone = icaltimezone_new();
    if (!icaltimezone_set_component(zone, vtimezone)) {
        icaltimezone_free(zone, 1);
        icalcomponent_free(vtimezone);
        return false;
    }
    auto found = m_zones.find(key);
    if (found != m_zones.end()) {
        icaltimezone_free(found->second, 1);
        found->second = zone;
    } else {
        m_zones.emplace(key, zone);
    }
    return true;
}

icaltimezone* ZoneBook::Find(const std::string& tzid) const {
    auto found = m_zones.find(tzid);
    if (found != m_zones.end()) return found->second;
    auto known = m_builtin.find(tzid);
    if (known != m_builtin.end()) return known->second;
    icaltimezone* zone = nullptr;
    if (tzid == "UTC" || tzid == "Etc/UTC" || tzid == "GMT") {
        zone = icaltimezone_get_utc_timezone();
    } else {
        zone = icaltimezone_get_builtin_timezone(tzid.c_str());
        // Evolution writes the zone database's name behind a prefix.
        if (!zone) zone = icaltimezone_get_builtin_timezone_from_tzid(tzid.c_str());
    }
    m_builtin.emplace(tzid, zone);
    return zone;
}

bool ToKitInstant(icaltimetype time, icaltimezone* zone, KitInstant* instant) {
    if (icaltime_is_null_time(time) || !icaltime_is_valid_time(time) || time.year < kFirstKitYear ||
        time.year > kLastKitYear) {
        return false;
    }
    instant->dateOnly = time.is_date != 0;
    if (time.is_date || (!zone && !icaltime_is_utc(time))) {
        instant->when = CPIMTime(time.year, time.month, time.day, time.hour, time.minute, time.second, -1);
        return true;
    }
    const time_t seconds =
        icaltime_is_utc(time) ? icaltime_as_timet(time) : icaltime_as_timet_with_zone(time, zone);
    instant->when = CPIMTime(static_cast<__int64>(seconds));
    // A zone can move a time just across the kit's years.
    return instant->when.GetYear() >= kFirstKitYear && instant->when.GetYear() <= kLastKitYear;
}

bool PropertyInstant(icalproperty* property, const ZoneBook& zones, KitInstant* instant) {
    if (!property) return false;
    icalvalue* value = icalproperty_get_value(property);
    if (!value) return false;
    const icalvalue_kind kind = icalvalue_isa(value);
    icaltimetype time;
    if (kind == ICAL_DATE_VALUE) {
        time = icalvalue_get_date(value);
        time.is_date = 1;
    } else if (kind == ICAL_DATETIME_VALUE) {
        time = icalvalue_get_datetime(value);
    } else {
        return false;
    }
    const std::string tzid = TzidOf(property);
    return ToKitInstant(time, tzid.empty() ? nullptr : zones.Find(tzid), instant);
}

}  // namespace interchange
}  // namespace varo
