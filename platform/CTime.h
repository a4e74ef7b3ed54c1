// CTime: the framework's time of day in whole seconds since 1970-01-01 UTC.
//
// A value type holding exactly 32 signed bits, as on the original platform,
// so it spans 1901-12-13 to 2038-01-19. The C library's wider time_t is never
// stored: a 64-bit count must be narrowed by the caller on purpose, which is
// why the constructor from a 64-bit integer is deleted.
#pragma once

#include <cstdint>

#include "VarokitApi.h"

class VAROKIT_API CTime {
public:
    CTime() = default;
    CTime(int32_t seconds) : m_seconds(seconds) {}  // NOLINT: implicit like the original
    CTime(long) = delete;
    CTime(long long) = delete;

    int32_t GetTime() const { return m_seconds; }

    // The current time; after 2038-01-19 it no longer fits and wraps.
    static CTime GetCurrentTime();

    friend bool operator==(CTime a, CTime b) { return a.m_seconds == b.m_seconds; }
    friend bool operator!=(CTime a, CTime b) { return a.m_seconds != b.m_seconds; }
    friend bool operator<(CTime a, CTime b) { return a.m_seconds < b.m_seconds; }
    friend bool operator>(CTime a, CTime b) { return a.m_seconds > b.m_seconds; }
    friend bool operator<=(CTime a, CTime b) { return a.m_seconds <= b.m_seconds; }
    friend bool operator>=(CTime a, CTime b) { return a.m_seconds >= b.m_seconds; }

private:
    int32_t m_seconds = 0;
};
