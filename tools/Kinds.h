// What the varo command knows of tip kinds and of the fixed fukuros every
// database has: names to show and to type, each kind's home fukuro (where
// its applications file new tips), and sets of kinds as bit masks so that a
// table can say which kinds a field applies to.
//
// Constant tables; lookups are pure and thread-safe.
#pragma once

#include <cstdint>
#include <string>

namespace varo {
namespace tool {

// One bit per kind, in the order of the kinds table.
enum KindBits : uint32_t {
    kBitPlan101 = 1u << 0,
    kBitMilestone102 = 1u << 1,
    kBitPlan103 = 1u << 2,
    kBitSchedule201 = 1u << 3,
    kBitSchedule202 = 1u << 4,
    kBitHoliday203 = 1u << 5,
    kBitAnniversary204 = 1u << 6,
    kBitToDo300 = 1u << 7,
    kBitCard401 = 1u << 8,
    kBitCard402 = 1u << 9,
    kBitCard403 = 1u << 10,
    kBitCard404 = 1u << 11,
    kBitMemo501 = 1u << 12,
    kBitMemo502 = 1u << 13,
    kBitMemo503 = 1u << 14,
    kBitMemo504 = 1u << 15,
    kBitMemo505 = 1u << 16,
    kBitMemo506 = 1u << 17,
    kBitPageBoard800 = 1u << 18,
    kBitPreference900 = 1u << 19,
    kBitFileLink0F00 = 1u << 20,
};

using KindSet = uint32_t;

const KindSet kPlans = kBitPlan101 | kBitPlan103;
const KindSet kSchedules = kBitSchedule201 | kBitSchedule202;
const KindSet kCards = kBitCard401 | kBitCard402 | kBitCard403 | kBitCard404;
const KindSet kMemos = kBitMemo501 | kBitMemo502 | kBitMemo503 | kBitMemo504 | kBitMemo505 | kBitMemo506;
const KindSet kAllKinds = (1u << 21) - 1;
// Every kind that starts with the common block (secret, entry day, check).
const KindSet kCommonKinds = kAllKinds & ~(kBitPageBoard800 | kBitPreference900);

struct KindInfo {
    uint16_t kind;
    KindSet bit;
    const char* name;         // short, as typed and listed: "todo"
    const char* description;  // "to-do item"
    long homeFukuro;          // 0: none
};

// The entry of a kind, or null for a value that is not one.
const KindInfo* FindKind(uint16_t kind);

// The first kind of that short name ("todo": 0x300, "card": 0x401), or null.
const KindInfo* FindKindByName(const std::string& name);

bool KindInSet(uint16_t kind, KindSet set);

// "todo", or "0x0123" for a value that is not a kind.
std::string KindName(uint16_t kind);

// "to-do item", or "tip of kind 0x0123" for a value that is not a kind.
std::string KindDescription(uint16_t kind);

// The kinds of a set as "todo, card"; memo and card kinds that share a
// name are named once.
std::string KindSetNames(KindSet set);

// What a fixed fukuro holds ("to-do items"), or null for any other id.
const char* FixedFukuroRole(long fukuro);

// Fukuro ids as the suite writes them: "0x300C".
std::string FukuroText(long fukuro);

// A fukuro argument: an id, or a kind's name for that kind's home fukuro.
bool ParseFukuro(const std::string& text, long* fukuro);

// Fukuros the command itself reads.
const long kHolidayFukuro = 0x3008;
const long kAlarmFukuro = 0x3016;

}  // namespace tool
}  // namespace varo
