// The kinds table and the roles of the fixed fukuros.
#include "Kinds.h"

#include "Arguments.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace varo {
namespace tool {
namespace {

const KindInfo kKinds[] = {
    {0x101, kBitPlan101, "plan", "plan", 0x3000},
    {0x102, kBitMilestone102, "milestone", "milestone", 0x3002},
    {0x103, kBitPlan103, "plan", "plan", 0x3001},
    {0x201, kBitSchedule201, "schedule", "schedule entry", 0x3005},
    {0x202, kBitSchedule202, "schedule", "schedule entry", 0x3004},
    {0x203, kBitHoliday203, "holiday", "holiday", 0},
    {0x204, kBitAnniversary204, "anniversary", "anniversary", 0},
    {0x300, kBitToDo300, "todo", "to-do item", 0x300C},
    {0x401, kBitCard401, "card", "address card", 0x300A},
    {0x402, kBitCard402, "card", "address card", 0x300A},
    {0x403, kBitCard403, "card", "address card", 0x300A},
    {0x404, kBitCard404, "card", "address card", 0x300A},
    {0x501, kBitMemo501, "memo", "memo", 0x300B},
    {0x502, kBitMemo502, "memo", "memo", 0x300B},
    {0x503, kBitMemo503, "memo", "memo", 0x300B},
    {0x504, kBitMemo504, "memo", "memo", 0x300B},
    {0x505, kBitMemo505, "memo", "memo", 0x300B},
    {0x506, kBitMemo506, "memo", "memo", 0x300B},
    {0x800, kBitPageBoard800, "pageboard", "page board", 0},
    {0x900, kBitPreference900, "preference", "preference", 0},
    {0xF00, kBitFileLink0F00, "filelink", "file link", 0},
};

struct FukuroRole {
    long fukuro;
    const char* role;
};

const FukuroRole kFixedFukuros[] = {
    {0x3000, "plans"},
    {0x3001, "plans, second kind"},
    {0x3002, "milestones"},
    {0x3004, "schedule entries, second kind"},
    {0x3005, "schedule entries"},
    {0x3008, "national holidays"},
    {0x300A, "address cards"},
    {0x300B, "memos"},
    {0x300C, "to-do items"},
    {0x300E, "page board"},
    {0x3011, "cabinet control"},
    {0x3012, "first cabinet"},
    {0x3014, "preferences"},
    {0x3016, "alarms"},
};

}  // namespace

const KindInfo* FindKind(uint16_t kind) {
    for (const KindInfo& info : kKinds) {
        if (info.kind == kind) return &info;
    }
    return nullptr;
}

const KindInfo* FindKindByName(const std::string& name) {
    for (const KindInfo& info : kKinds) {
        if (name == info.name) return &info;
    }
    return nullptr;
}

bool KindInSet(uint16_t kind, KindSet set) {
    const KindInfo* info = FindKind(kind);
    return info != nullptr && (info->bit & set) != 0;
}

std::string KindName(uint16_t kind) {
    const KindInfo* info = FindKind(kind);
    if (info != nullptr) return info->name;
    char text[8];
    snprintf(text, sizeof text, "0x%04X", kind);
    return text;
}

std::string KindDescription(uint16_t kind) {
    const KindInfo* info = FindKind(kind);
    return info != nullptr ? info->description : "tip of kind " + KindName(kind);
}

std::string KindSetNames(KindSet set) {
    std::vector<std::string> names;
    for (const KindInfo& info : kKinds) {
        if ((info.bit & set) == 0) continue;
        if (std::find(names.begin(), names.end(), info.name) == names.end()) names.push_back(info.name);
    }
    std::string joined;
    for (const std::string& name : names) joined += (joined.empty() ? "" : ", ") + name;
    return joined;
}

const char* FixedFukuroRole(long fukuro) {
    for (const FukuroRole& entry : kFixedFukuros) {
        if (entry.fukuro == fukuro) return entry.role;
    }
    return nullptr;
}

std::string FukuroText(long fukuro) {
    char text[16];
    snprintf(text, sizeof text, "0x%04lX", static_cast<unsigned long>(fukuro) & 0xFFFFFFFFul);
    return text;
}

bool ParseFukuro(const std::string& text, long* fukuro) {
    if (ParseId(text, fukuro)) return true;
    const KindInfo* kind = FindKindByName(text);
    if (kind == nullptr || kind->homeFukuro == 0) return false;
    *fukuro = kind->homeFukuro;
    return true;
}

}  // namespace tool
}  // namespace varo
