// The kit's side of the benchmark pairs that kit_bench and server_bench
// share: the same logical work through the public API, on whichever store
// the kit's engine keeps the database in.
#pragma once

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "VAROObj.h"

namespace kitloops {

const long kToDo = 0x300C;
const long kMemo = 0x300B;

// A new memo tip, stored; its id.
inline long StoreMemo(CVAROObj& kit, long db) {
    kit.SetTipID(0);
    kit.SetTipFlag(0x501);
    kit.SetMemo("a stored memo");
    long tip = 0;
    kit.PutTip(db, kMemo, &tip);
    return tip;
}

// ReadTip and GetDisplayString over the to-do fukuro, from its start again
// at its end.
inline void Walk(CVAROObj& kit, long db, benchmark::State& state) {
    kit.FukuroOpen(db, kToDo);
    CString line;
    for (auto _ : state) {
        kit.ReadTip(db, kToDo, 1);
        long tip = 0;
        kit.GetTipID(&tip);
        if (tip == 0) {
            kit.FukuroClose(db, kToDo);
            kit.FukuroOpen(db, kToDo);
            continue;
        }
        kit.GetDisplayString(line);
        benchmark::DoNotOptimize(line);
    }
    kit.FukuroClose(db, kToDo);
}

inline void StoreMemos(CVAROObj& kit, long db, benchmark::State& state) {
    kit.FukuroLockOpen(db, kMemo);
    for (auto _ : state) StoreMemo(kit, db);
    kit.FukuroClose(db, kMemo);
}

// GetTip, SetMemo and PutTip over the to-do tips in turn.
inline void ReadChangeWrite(CVAROObj& kit, long db, const std::vector<long>& tips, benchmark::State& state) {
    kit.FukuroLockOpen(db, kToDo);
    size_t next = 0;
    for (auto _ : state) {
        kit.GetTip(db, kToDo, tips[next++ % tips.size()]);
        kit.SetMemo("changed");
        long stored = 0;
        kit.PutTip(db, kToDo, &stored);
    }
    kit.FukuroClose(db, kToDo);
}

inline void RandomGetTip(CVAROObj& kit, long db, const std::vector<long>& tips, benchmark::State& state) {
    std::mt19937 random(7);
    std::uniform_int_distribution<size_t> pick(0, tips.size() - 1);
    for (auto _ : state) kit.GetTip(db, kToDo, tips[pick(random)]);
}

}  // namespace kitloops
