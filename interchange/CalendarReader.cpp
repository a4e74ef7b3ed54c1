// Cutting components out of an iCalendar stream.
#include "CalendarReader.h"

#include "ContentLine.h"

namespace varo {
namespace interchange {
namespace {

// The most lines one component may have (events with thousands of
// attendees stay well below it).
const size_t kMaxComponentLines = 100000;

// "BEGIN:VEVENT" gives BEGIN and VEVENT; false for other lines.
bool Marker(const std::string& line, std::string* verb, std::string* name) {
    const size_t colon = line.find(':');
    if (colon == std::string::npos) return false;
    *verb = UpperAscii(line.substr(0, colon));
    if (*verb != "BEGIN" && *verb != "END") return false;
    *name = UpperAscii(line.substr(colon + 1));
    while (!name->empty() && (name->back() == ' ' || name->back() == '\t')) name->pop_back();
    return true;
}

std::string AtLine(long line, const std::string& what) { return "line " + std::to_string(line) + ": " + what; }

// The first error libical noted in the component itself, or empty.
std::string ParseError(icalcomponent* component) {
    icalproperty* error = icalcomponent_get_first_property(component, ICAL_XLICERROR_PROPERTY);
    const char* text = error ? icalproperty_get_xlicerror(error) : nullptr;
    return error ? std::string(text ? text : "unreadable property") : std::string();
}

}  // namespace

CalendarReader::CalendarReader(std::istream& in, size_t lineBound) : m_lines(in, lineBound) {
    // A bad value in a file is a finding to report, never a reason to abort.
    icalerror_set_errors_are_fatal(0);
}

bool CalendarReader::Collect(const std::string& name, std::string* text, std::string* problem) {
    int depth = 1;
    size_t lines = 1;
    LogicalLine line;
    std::string verb, inner;
    while (m_lines.Next(&line)) {
        if (line.cut) *problem = AtLine(line.firstLine, "a line longer than the reader takes");
        if (++lines > kMaxComponentLines && problem->empty()) *problem = "too many lines in one component";
        if (Marker(line.text, &verb, &inner)) {
            depth += verb == "BEGIN" ? 1 : -1;
            if (depth == 0 && inner != name && problem->empty()) *problem = "END:" + inner + " closes " + name;
        }
        if (problem->empty()) *text += line.text + "\r\n";
        if (depth == 0) return true;
    }
    if (problem->empty()) *problem = "the component has no END:" + name;
    return false;
}

ReadOutcome CalendarReader::Next(icalcomponent** component) {
    *component = nullptr;
    LogicalLine line;
    std::string verb, name;
    while (m_lines.Next(&line)) {
        // The calendar's own lines and its BEGIN and END frame the
        // components; nothing in them becomes a tip.
        if (!Marker(line.text, &verb, &name) || verb != "BEGIN" || name == "VCALENDAR") continue;
        const long first = line.firstLine;
        std::string text = line.text + "\r\n";
        std::string problem;
        if (!Collect(name, &text, &problem)) return {ReadOutcome::kSkipped, first, AtLine(first, problem)};
        if (!problem.empty()) return {ReadOutcome::kSkipped, first, AtLine(first, name + ": " + problem)};
        if (name != "VEVENT" && name != "VTODO" && name != "VJOURNAL" && name != "VTIMEZONE") {
            return {ReadOutcome::kSkipped, first, AtLine(first, name + " is not taken (no tip kind holds it)")};
        }
        icalcomponent* parsed = icalparser_parse_string(text.c_str());
        if (!parsed || icalcomponent_isa(parsed) == ICAL_NO_COMPONENT || icalcomponent_isa(parsed) == ICAL_XROOT_COMPONENT) {
            if (parsed) icalcomponent_free(parsed);
            return {ReadOutcome::kSkipped, first, AtLine(first, name + " cannot be read")};
        }
        const std::string error = ParseError(parsed);
        if (!error.empty()) {
            icalcomponent_free(parsed);
            return {ReadOutcome::kSkipped, first, AtLine(first, name + ": " + error)};
        }
        if (name == "VTIMEZONE") {
            if (!m_zones.Add(parsed)) return {ReadOutcome::kSkipped, first, AtLine(first, "VTIMEZONE without TZID")};
            continue;
        }
        *component = parsed;
        return {ReadOutcome::kCard, first, std::string()};
    }
    return {};
}

}  // namespace interchange
}  // namespace varo
