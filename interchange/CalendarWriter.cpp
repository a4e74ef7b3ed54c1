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

void AppendDigits(int value, int width, std::string* out) {
    char digits[8];
    for (int i = width - 1; i >= 0; --i) {
        digits[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    out->append(digits, static_cast<size_t>(width));
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
    m_line += ':';
    AppendDigits(when.year, 4, &m_line);
    AppendDigits(when.month, 2, &m_line);
    AppendDigits(when.day, 2, &m_line);
    if (rule.clock) {
        m_line += 'T';
        AppendDigits(when.hour, 2, &m_line);
        AppendDigits(when.minute, 2, &m_line);
        AppendDigits(when.second, 2, &m_line);
    }
    m_line += rule.suffix;
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
