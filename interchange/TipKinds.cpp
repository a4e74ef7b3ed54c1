// The kinds table.
#include "TipKinds.h"

namespace varo {
namespace interchange {
namespace {

const TipKind kKinds[] = {
    {0x101, "plan", 0x3000, FileFormat::kCalendar},
    {0x102, "milestone", 0x3002, FileFormat::kCalendar},
    {0x103, "plan", 0x3001, FileFormat::kCalendar},
    {0x201, "schedule", 0x3005, FileFormat::kCalendar},
    {0x202, "schedule", 0x3004, FileFormat::kCalendar},
    {0x203, "holiday", 0x3008, FileFormat::kCalendar},
    {0x204, "anniversary", 0x3008, FileFormat::kCalendar},
    {0x300, "todo", 0x300C, FileFormat::kCalendar},
    {0x401, "card", 0x300A, FileFormat::kCard},
    {0x402, "card", 0x300A, FileFormat::kCard},
    {0x403, "card", 0x300A, FileFormat::kCard},
    {0x404, "card", 0x300A, FileFormat::kCard},
    {0x501, "memo", 0x300B, FileFormat::kCalendar},
    {0x502, "memo", 0x300B, FileFormat::kCalendar},
    {0x503, "memo", 0x300B, FileFormat::kCalendar},
    {0x504, "memo", 0x300B, FileFormat::kCalendar},
    {0x505, "memo", 0x300B, FileFormat::kCalendar},
    {0x506, "memo", 0x300B, FileFormat::kCalendar},
};

}  // namespace

const TipKind* TipKindsBegin() { return kKinds; }
const TipKind* TipKindsEnd() { return kKinds + sizeof kKinds / sizeof kKinds[0]; }

const TipKind* FindTipKind(uint16_t kind) {
    for (const TipKind* entry = TipKindsBegin(); entry != TipKindsEnd(); ++entry) {
        if (entry->kind == kind) return entry;
    }
    return nullptr;
}

bool IsScheduleKind(uint16_t kind) { return kind == 0x201 || kind == 0x202; }

}  // namespace interchange
}  // namespace varo
