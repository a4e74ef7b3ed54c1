// The tip kinds the interchange formats carry, and where each is filed: the
// fukuro its applications keep it in (holidays and anniversaries go with
// the national holidays every database is seeded with).
#pragma once

#include <cstdint>
#include <string>

namespace varo {
namespace interchange {

enum class FileFormat { kCalendar, kCard };

struct TipKind {
    uint16_t kind;
    const char* name;  // as typed on the command line
    long homeFukuro;
    FileFormat format;
};

const TipKind* TipKindsBegin();
const TipKind* TipKindsEnd();

// The entry of a kind, or null for one no format carries.
const TipKind* FindTipKind(uint16_t kind);

// The fukuro that holds alarms due, which schedules with an alarm also lie in.
const long kAlarmFukuro = 0x3016;

bool IsScheduleKind(uint16_t kind);

}  // namespace interchange
}  // namespace varo
