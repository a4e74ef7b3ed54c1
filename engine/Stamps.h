// Date-time texts of 14 digits (year, month, day, hour, minute, second).
//
// Tips carry their last-modified time (LMTM) in UTC; backup dates are local
// time, as the kit reads them back into a local CPIMTime.
#pragma once

#include <ctime>
#include <string>

namespace varo {
namespace engine {

std::string UtcStamp(time_t when);
std::string LocalStamp(time_t when);

// The UTC stamp a tip gets when stored at `now`: `now` itself, or one second
// after `previous` when the clock has not moved past it, so that every store
// changes the stamp. A malformed or empty `previous` counts as none.
std::string NextStamp(const std::string& previous, time_t now);

}  // namespace engine
}  // namespace varo
