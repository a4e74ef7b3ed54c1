// Content lines of iCalendar text.
#include "CalendarWriter.h"

#include <cstring>

#include "ValueCodecs.h"

namespace varo {
namespace interchange {
namespace {

// How each form of time is written.
struct TimeFormRule {
    TimeForm form;
    const char* valueType;  // the VALUE parameter it needs, or null
    bool clock;             // the "T" and the time of day follow the date
    const char* suffix;
};

const TimeFormRule kTimeFormRules[] = {
    {TimeForm::kDate, "DATE", false, ""},
    {TimeForm::kZoned, nullptr, true, ""},
    {TimeForm::kUtc, nullptr, true, "Z"},
};

const TimeFormRule& RuleOf(TimeForm form) {
    for (const TimeFormRule& rule : kTimeFormRules) {
        if (rule.form == form) return rule;
    }
    return kTimeFormRules[0];
}

// A parameter value holding any of these is written between double quotes.
const char kNeedsQuotes[] = ":;,";

// RFC 5545 has no way to write a double quote or a control character in a
// parameter value.
bool FitsParameter(char c) {
    const unsigned char byte = static_cast<unsigned char>(c);
    return c != '"' && (byte >= 0x20 || c == '\t') && byte != 0x7F;
}

// Writes `width` decimal digits of the value ending just before `end`.
void PutDigits(int value, int width, char* end) {
    for (int i = 1; i <= width; ++i) {
        end[-i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
}

// ":YYYYMMDD", then "THHMMSS" and the suffix as the rule says.
void AppendTimeValue(const DateFields& when, const TimeFormRule& rule, std::string* line) {
    char text[24];
    text[0] = ':';
    PutDigits(when.year, 4, text + 5);
    PutDigits(when.month, 2, text + 7);
    PutDigits(when.day, 2, text + 9);
    size_t length = 9;
    if (rule.clock) {
        text[9] = 'T';
        PutDigits(when.hour, 2, text + 12);
        PutDigits(when.minute, 2, text + 14);
        PutDigits(when.second, 2, text + 16);
        length = 16;
    }
    line->append(text, length).append(rule.suffix);
}

}  // namespace

void CalendarWriter::Begin(const char* component) {
    m_out->append("BEGIN:").append(component).append("\r\n");
}

void CalendarWriter::End(const char* component) {
    m_out->append("END:").append(component).append("\r\n");
}

void CalendarWriter::Property(const char* name, const std::string& value,
                              std::initializer_list<CalendarParameter> parameters) {
    StartLine(name, parameters);
    m_line += ':';
    m_line += value;
    FinishLine();
}

void CalendarWriter::Text(const char* name, const std::string& text,
                          std::initializer_list<CalendarParameter> parameters) {
    StartLine(name, parameters);
    m_line += ':';
    AppendEscapedText(text, &m_line);
    FinishLine();
}

void CalendarWriter::Time(const char* name, const DateFields& when, TimeForm form, const char* tzid,
                          std::initializer_list<CalendarParameter> parameters) {
    const TimeFormRule& rule = RuleOf(form);
    StartLine(name, parameters);
    if (rule.valueType) AddParameter("VALUE", rule.valueType);
    if (form == TimeForm::kZoned && tzid) AddParameter("TZID", tzid);
    AppendTimeValue(when, rule, &m_line);
    FinishLine();
}

// Leaves the line open after its parameters: the caller adds any more, then
// the ":" and the value.
void CalendarWriter::StartLine(const char* name, std::initializer_list<CalendarParameter> parameters) {
    m_line.assign(name);
    for (const CalendarParameter& parameter : parameters) AddParameter(parameter.name, parameter.value);
}

void CalendarWriter::AddParameter(const char* name, const char* value) {
    const bool quoted = strpbrk(value, kNeedsQuotes) != nullptr;
    m_line.append(";").append(name).append("=");
    if (quoted) m_line += '"';
    for (const char* c = value; *c; ++c) {
        if (FitsParameter(*c)) m_line += *c;
    }
    if (quoted) m_line += '"';
}

void CalendarWriter::FinishLine() {
    AppendFolded(m_line, m_out);
    m_out->append("\r\n");
}

}  // namespace interchange
}  // namespace varo
