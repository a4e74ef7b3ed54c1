// The kind schemas as the tests expect them, typed here independently of the
// kit's table: per family the tags (4 characters each, back to back), field
// types and initial values; per kind its family and slot count.
//
// Initial value tokens: "-" no data, "K" the kind, "T" the time stamp,
// "z2"/"z4" that many zero bytes, anything else a text with its terminator.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace expected {

struct Family {
    const char* tags;
    std::vector<uint32_t> types;
    std::vector<const char*> initial;
};

const Family kCommon = {"TAFLSCRTTCDYMARKFNDY", {0x4000, 9, 6, 9, 6}, {"K", "0", "-", "0", "20301231"}};
const Family kPlan = {"MEMOTIMEPOSNPPLNCLORLIDSLMTM", {1, 7, 8, 0x4001, 0x4003, 0x4002, 6},
                      {"", "-", "-", "-", "z4", "z4", "T"}};
const Family kMilestone = {"MEMOLTDYPPLNCLORLIDSLMTM", {1, 6, 0x4001, 0x4003, 0x4002, 6},
                           {"", "", "-", "z4", "z4", "T"}};
const Family kSchedule = {"MEMOTIMEPENDALONALRMCLORLIDSLMTM", {1, 7, 9, 9, 6, 0x4003, 0x4002, 6},
                          {"", "-", "0", "0", "", "z4", "z4", "T"}};
const Family kHoliday = {"MEMOHOL1HOL2LMTM", {1, 5, 5, 6}, {"", "", "", "T"}};
const Family kAnniversary = {"MEMOANN1ANN2HOLILMTM", {1, 5, 5, 9, 6}, {"", "", "", "-", "T"}};
const Family kToDo = {"MEMOLTDYPRTYETDYLIDSLMTM", {1, 6, 8, 6, 0x4002, 6}, {"", "", "-", "", "z4", "T"}};
const Family kCard = {
    "NAMEOFCESCTNPSTNTEL1FAX1ZIP2ADR2CRMKZIPCADR1RMRKCHK1CHK2CHK3CHK4"
    "FRE1FRE2FRE3FRE4FRE5FRE6BRTHEMALCTG1CTG2CTG3LIDSIMJGLMTM",
    {2, 2, 1, 1, 3, 3, 1, 1, 1, 1, 1, 1, 8, 8, 8, 8, 1, 1, 1, 1, 1, 1, 5, 4, 8, 8, 8, 0x4002, 10, 6},
    {"z2", "z2", "", "", "", "", "", "", "", "", "", "", "0", "0", "0", "0",
     "", "", "", "", "", "", "", "", "00", "00", "00", "z4", "", "T"}};
const Family kMemo = {"MEMOCLASPRF1IMG1HTXTWBMPLIDSLMTM", {1, 1, 0x4004, 10, 10, 10, 0x4002, 6},
                      {"", "", "", "", "", "", "z4", "T"}};
const Family kPageBoard = {"TAFLPBCPLIDSLMTM", {0x4000, 0x4001, 0x4002, 6}, {"K", "z4", "z4", "T"}};
const Family kPreference = {"TAFLPFATPFDTLMTM", {0x4000, 1, 0x4005, 6}, {"K", "", "", "T"}};
const Family kFileLink = {"FLNMMCIDFPTHAPPLFMTMDPDYLMTM", {1, 1, 1, 1, 6, 6, 6}, {"", "", "", "", "", "", "T"}};

struct Kind {
    uint16_t kind;
    int slots;  // as the slot-count table gives them
    bool common;
    const Family* family;
};

const Kind kKinds[] = {
    {0x101, 12, true, &kPlan},      {0x102, 11, true, &kMilestone},   {0x103, 12, true, &kPlan},
    {0x201, 13, true, &kSchedule},  {0x202, 13, true, &kSchedule},    {0x203, 9, true, &kHoliday},
    {0x204, 10, true, &kAnniversary}, {0x300, 11, true, &kToDo},      {0x401, 35, true, &kCard},
    {0x402, 35, true, &kCard},      {0x403, 35, true, &kCard},        {0x404, 35, true, &kCard},
    {0x501, 13, true, &kMemo},      {0x502, 13, true, &kMemo},        {0x503, 13, true, &kMemo},
    {0x504, 13, true, &kMemo},      {0x505, 13, true, &kMemo},        {0x506, 13, true, &kMemo},
    {0x800, 4, false, &kPageBoard}, {0x900, 4, false, &kPreference}, {0xF00, 12, true, &kFileLink},
};

// One slot of a kind's whole schema: the common block first where it has one.
struct Slot {
    std::string tag;
    uint32_t type;
    const char* initial;
};

inline std::vector<Slot> SlotsOf(const Kind& kind) {
    std::vector<Slot> slots;
    for (const Family* family : {kind.common ? &kCommon : nullptr, kind.family}) {
        if (!family) continue;
        for (size_t i = 0; i < family->types.size(); ++i)
            slots.push_back({std::string(family->tags + 4 * i, 4), family->types[i], family->initial[i]});
    }
    return slots;
}

}  // namespace expected
