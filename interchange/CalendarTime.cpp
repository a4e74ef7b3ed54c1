// Kit times and libical times.
#include "CalendarTime.h"

#include <cstdint>
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

}  // namespace

// The zones exported files name, by the kit's offset. Each keeps one offset
// all year: the kit itself never applies daylight saving time.
struct NamedZone {
    long offset;  // seconds west of UTC
    const char* tzid;
    const char* abbreviation;
    const char* utcOffset;  // as TZOFFSETFROM and TZOFFSETTO write it
};

namespace {

// Japan has kept one offset since 1952.
const NamedZone kNamedZones[] = {
    {-9 * 3600, "Asia/Tokyo", "JST", "+0900"},
};

const NamedZone* FindNamedZone(long offset) {
    for (const NamedZone& zone : kNamedZones) {
        if (zone.offset == offset) return &zone;
    }
    return nullptr;
}

DateFields LocalFields(const CPIMTime& when, bool dateOnly) {
    DateFields fields;
    fields.year = when.GetYear();
    fields.month = when.GetMonth();
    fields.day = when.GetDay();
    if (!dateOnly) {
        fields.hour = when.GetHour();
        fields.minute = when.GetMinute();
        fields.second = when.GetSecond();
    }
    return fields;
}

// The proleptic Gregorian date of a count of days from 1970-01-01.
void CivilFromDays(int64_t days, DateFields* fields) {
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const int64_t dayOfEra = days - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;  // March is 0
    fields->day = static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
    fields->month = static_cast<int>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
    fields->year = static_cast<int>(yearOfEra + era * 400 + (fields->month <= 2 ? 1 : 0));
}

std::string TzidOf(icalproperty* property) {
    icalparameter* tzid = icalproperty_get_first_parameter(property, ICAL_TZID_PARAMETER);
    const char* text = tzid ? icalparameter_get_tzid(tzid) : nullptr;
    return text ? text : "";
}

}  // namespace

ExportZone::ExportZone() : m_offset(CurrentOffset()), m_named(FindNamedZone(m_offset)) {}

void ExportZone::WriteTimezone(CalendarWriter& writer) const {
    if (!m_named) return;
    writer.Begin("VTIMEZONE");
    writer.Property("TZID", m_named->tzid);
    writer.Begin("STANDARD");
    writer.Property("DTSTART", "19700101T000000");
    writer.Property("TZOFFSETFROM", m_named->utcOffset);
    writer.Property("TZOFFSETTO", m_named->utcOffset);
    writer.Property("TZNAME", m_named->abbreviation);
    writer.End("STANDARD");
    writer.End("VTIMEZONE");
}

void ExportZone::WriteTime(CalendarWriter& writer, const char* name, const CPIMTime& when, bool dateOnly) const {
    if (dateOnly) {
        writer.Time(name, LocalFields(when, true), TimeForm::kDate);
    } else if (m_named) {
        writer.Time(name, LocalFields(when, false), TimeForm::kZoned, m_named->tzid);
    } else {
        writer.Time(name, UtcFields(when), TimeForm::kUtc);
    }
}

DateFields UtcFields(const CPIMTime& when) {
    const int64_t kDay = 86400;
    const int64_t seconds = static_cast<int64_t>(when.GetTime());
    const int64_t days = (seconds >= 0 ? seconds : seconds - (kDay - 1)) / kDay;
    const int64_t ofDay = seconds - days * kDay;
    DateFields fields;
    CivilFromDays(days, &fields);
    fields.hour = static_cast<int>(ofDay / 3600);
    fields.minute = static_cast<int>(ofDay / 60 % 60);
    fields.second = static_cast<int>(ofDay % 60);
    return fields;
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
