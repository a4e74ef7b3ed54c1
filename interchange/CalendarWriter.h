// iCalendar text written directly, a content line at a time: parameters
// quoted where their values need it, TEXT values escaped, lines folded at
// 75 octets on UTF-8 character boundaries, CR LF after each line.
//
// Values are UTF-8; the writer appends to a string the caller owns, so that
// a whole component can go to the stream at once.
#pragma once

#include <initializer_list>
#include <string>

namespace varo {
namespace interchange {

struct CalendarParameter {
    const char* name;
    const char* value;
};

// The digits of a date or a date-time.
struct DateFields {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

enum class TimeForm {
    kDate,   // VALUE=DATE, the day only
    kZoned,  // local digits with a TZID parameter
    kUtc,    // digits in UTC, ending in Z
};

class CalendarWriter {
public:
    explicit CalendarWriter(std::string* out) : m_out(out) {}

    void Begin(const char* component);
    void End(const char* component);
    // A value already in its form: a number, a code, a recurrence rule.
    void Property(const char* name, const std::string& value, std::initializer_list<CalendarParameter> parameters = {});
    // A TEXT value, escaped.
    void Text(const char* name, const std::string& text, std::initializer_list<CalendarParameter> parameters = {});
    // A date or date-time; tzid is used by the zoned form only.
    void Time(const char* name, const DateFields& when, TimeForm form, const char* tzid = nullptr,
              std::initializer_list<CalendarParameter> parameters = {});

private:
    void StartLine(const char* name, std::initializer_list<CalendarParameter> parameters);
    void AddParameter(const char* name, const char* value);
    void FinishLine();

    std::string* m_out;
    std::string m_line;  // kept between lines for its capacity
};

}  // namespace interchange
}  // namespace varo
