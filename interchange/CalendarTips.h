// Tips of the calendar kinds between the kit's current tip and iCalendar
// components, through the kit's typed accessors only: written as text
// directly, read from the components libical parses.
//
// Which component each kind becomes and which of its fields travel is one
// table; each field has one routine out and one routine in.
#pragma once

#include <libical/ical.h>

#include <string>
#include <vector>

#include "CalendarTime.h"
#include "CalendarWriter.h"
#include "VAROObj.h"

namespace varo {
namespace interchange {

// Writes the current tip as a component (VEVENT, VTODO or VJOURNAL); false,
// writing nothing, for a kind no component carries.
bool WriteTipComponent(CVAROObj& kit, const ExportZone& zone, const std::string& uid, CalendarWriter& writer);

// The kind an imported component becomes, 0 when none: the suite's own
// kind when the file names one that fits, else by component (a yearly
// all-day event is an anniversary).
uint16_t KindOfComponent(icalcomponent* component);

struct ComponentImport {
    bool hasEntryDay = false;             // CREATED set the entry day
    bool alarmOn = false;                 // a schedule with an alarm
    std::vector<std::string> notes;       // what was kept only in part
    std::string problem;                  // why the component cannot be a tip
};

// Writes the component into the current tip, begun with SetTipFlag of the
// kind KindOfComponent gave. False with result->problem set when a needed
// value is missing or a text cannot be said in Shift-JIS.
bool ComponentToTip(CVAROObj& kit, icalcomponent* component, const ZoneBook& zones, ComponentImport* result);

// The component's UID, or empty.
std::string ComponentUid(icalcomponent* component);

}  // namespace interchange
}  // namespace varo
