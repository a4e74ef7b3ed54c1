// Reading the values people type on the command line: numbers and ids,
// positions in an order, dates and times.
//
// Every parser takes the whole text or nothing: trailing junk, an empty text
// or a value out of range gives false and leaves the output unchanged.
#pragma once

#include <string>

#include "PIMTime.h"

namespace varo {
namespace tool {

// A 32-bit signed number, decimal or with a 0x prefix hexadecimal
// ("12", "-3", "0x300C").
bool ParseNumber(const std::string& text, long* out);

// An id of a database, fukuro or tip: a number above 0.
bool ParseId(const std::string& text, long* out);

// A position in a display order, counted from 0; "end" gives -1.
bool ParsePosition(const std::string& text, long* out);

// A moment typed by a person.
struct TimeValue {
    CPIMTime when;
    bool hasTime = false;  // false: a date alone, shown and stored as all-day
};

// "2030-01-31", "2030/1/31", "2030-01-31 09:30", "2030-01-31T09:30:15",
// "today", "tomorrow", "now" (local time). Dates from 1901 to 2099.
bool ParseTime(const std::string& text, TimeValue* out);

// "1"/"0", "yes"/"no", "on"/"off", "true"/"false".
bool ParseFlag(const std::string& text, long* out);

}  // namespace tool
}  // namespace varo
