// CPIMTimeSpan: a signed count of seconds.
#include "CalendarMath.h"
#include "DecimalText.h"
#include "PIMTime.h"

using namespace pimtime;

namespace {

// a * factor + addend, wrapping rather than overflowing for absurd parts.
int64_t WrapMulAdd(int64_t a, int64_t factor, int64_t addend) {
    return WrapAdd(static_cast<int64_t>(static_cast<uint64_t>(a) * static_cast<uint64_t>(factor)), addend);
}

}  // namespace

CPIMTimeSpan::CPIMTimeSpan(__int64 days, int hours, int minutes, int seconds)
    : m_timeSpan(WrapMulAdd(WrapMulAdd(WrapMulAdd(days, 24, hours), 60, minutes), 60, seconds)) {}

CPIMTimeSpan CPIMTimeSpan::operator-(CPIMTimeSpan other) const {
    return CPIMTimeSpan(WrapSub(m_timeSpan, other.m_timeSpan));
}

CPIMTimeSpan CPIMTimeSpan::operator+(CPIMTimeSpan other) const {
    return CPIMTimeSpan(WrapAdd(m_timeSpan, other.m_timeSpan));
}

const CPIMTimeSpan& CPIMTimeSpan::operator+=(CPIMTimeSpan other) {
    m_timeSpan = WrapAdd(m_timeSpan, other.m_timeSpan);
    return *this;
}

const CPIMTimeSpan& CPIMTimeSpan::operator-=(CPIMTimeSpan other) {
    m_timeSpan = WrapSub(m_timeSpan, other.m_timeSpan);
    return *this;
}

int CPIMTimeSpan::GetHours() const { return static_cast<int>(GetTotalHours() - GetDays() * 24); }

int CPIMTimeSpan::GetMinutes() const { return static_cast<int>(GetTotalMinutes() - GetTotalHours() * 60); }

int CPIMTimeSpan::GetSeconds() const { return static_cast<int>(m_timeSpan - GetTotalMinutes() * 60); }

// The whole day count is written, however large, and the result grows as
// needed: no expansion is cut short.
CString CPIMTimeSpan::Format(const char* pFormat) const {
    std::string out;
    if (!pFormat) return CString();
    for (const char* p = pFormat; *p; ++p) {
        if (*p != '%') {
            out += *p;
            continue;
        }
        const char code = *++p;
        if (code == '\0') break;
        switch (code) {
            case 'D': AppendDecimal(out, GetDays()); break;
            case 'H': AppendDecimal(out, GetHours(), 2, Pad::Zeros); break;
            case 'M': AppendDecimal(out, GetMinutes(), 2, Pad::Zeros); break;
            case 'S': AppendDecimal(out, GetSeconds(), 2, Pad::Zeros); break;
            default: out += code; break;
        }
    }
    return CString(std::move(out));
}
