// Runs a test body in another time zone and restores the previous one.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

class TimeZoneGuard {
public:
    explicit TimeZoneGuard(const char* zone) {
        const char* old = std::getenv("TZ");
        m_hadZone = old != nullptr;
        if (old) m_oldZone = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~TimeZoneGuard() {
        if (m_hadZone) setenv("TZ", m_oldZone.c_str(), 1);
        else unsetenv("TZ");
        tzset();
    }
    TimeZoneGuard(const TimeZoneGuard&) = delete;
    TimeZoneGuard& operator=(const TimeZoneGuard&) = delete;

private:
    bool m_hadZone = false;
    std::string m_oldZone;
};

// Every pimtime test reads local time as Japan Standard Time.
class JstTest : public ::testing::Test {
protected:
    TimeZoneGuard m_zone{"JST-9"};
};
