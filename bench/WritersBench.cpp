// The latency of a put while sixteen processes do read-change-write on one
// database through the kit: each process reads a random tip of a fukuro
// with GetTip, changes its memo and stores it with PutTip, and times each
// PutTip alone. Printed: the number of puts, the 50th and 99th percentiles
// and the maximum of their latencies, how many answered 407, and how many
// answered anything other than 0 or 407 (which should be none).
//
// The data folder lies in /dev/shm when there is one, so that the figures
// show the waiting between writers rather than the disk's sync; it is
// removed at the end.
//
//   writers_bench [WRITERS [PUTS_PER_WRITER]]   defaults 16 and 300
#include <ftw.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "VAROObj.h"

namespace {

const long kFukuroTips = 64;
const long kChanged = 407;

std::string MakeDataFolder() {
    char pattern[] = "/dev/shm/varo-writers-XXXXXX";
    if (mkdtemp(pattern)) return pattern;
    char fallback[] = "/tmp/varo-writers-XXXXXX";
    return mkdtemp(fallback) ? fallback : "";
}

int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) { return remove(path); }

void RemoveTree(const std::string& folder) { nftw(folder.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS); }

// One put's outcome as a writer records it.
struct PutRecord {
    long code;
    long microseconds;
};

// The database with a fukuro of counters; false when the engine cannot make it.
bool Prepare(long* db, long* fukuro) {
    CVAROObj kit;
    if (kit.Init(nullptr) != 1 || kit.Create("writers", db) != 0 || kit.Open(*db) != 0 ||
        kit.FukuroCreate(*db, fukuro, "counters", 0) != 0) {
        return false;
    }
    for (long i = 0; i < kFukuroTips; ++i) {
        kit.SetTipID(0);
        kit.SetTipFlag(0x300);
        kit.SetMemo("0");
        long tip = 0;
        if (kit.PutTip(*db, *fukuro, &tip) != 0) return false;
    }
    kit.End();
    return true;
}

// A writer process: waits for the start, then does its cycles and writes
// one record per put to `out`.
[[noreturn]] void RunWriter(long db, long fukuro, unsigned seed, int puts, int start, FILE* out) {
    char go = 0;
    if (read(start, &go, 1) < 0) _exit(2);
    CVAROObj kit;
    if (kit.Init(nullptr) != 1 || kit.Open(db) != 0) _exit(3);
    CSelectTips tips;
    if (kit.GetTipList(db, fukuro, tips) != 0 || tips.GetSize() == 0) _exit(4);
    std::mt19937 random(seed);
    for (int i = 0; i < puts; ++i) {
        const long tip = static_cast<long>(tips[static_cast<int>(random() % tips.GetSize())]);
        CString memo;
        if (kit.GetTip(db, fukuro, tip) != 0 || kit.GetMemo(memo) != 1) _exit(5);
        kit.SetMemo(std::to_string(std::atol(memo.Bytes().c_str()) + 1).c_str());
        long stored = 0;
        const auto begin = std::chrono::steady_clock::now();
        const long code = kit.PutTip(db, fukuro, &stored);
        const auto took = std::chrono::steady_clock::now() - begin;
        const PutRecord record{code, static_cast<long>(std::chrono::duration_cast<std::chrono::microseconds>(took).count())};
        if (std::fwrite(&record, sizeof record, 1, out) != 1) _exit(6);
    }
    kit.End();
    _exit(std::fclose(out) == 0 ? 0 : 7);
}

double Milliseconds(long microseconds) { return static_cast<double>(microseconds) / 1000.0; }

void Summarise(const std::vector<PutRecord>& records, int writers) {
    std::vector<long> latencies;
    long changed = 0, others = 0;
    for (const PutRecord& record : records) {
        latencies.push_back(record.microseconds);
        if (record.code == kChanged) ++changed;
        if (record.code != 0 && record.code != kChanged) ++others;
    }
    if (latencies.empty()) return;
    std::sort(latencies.begin(), latencies.end());
    const auto at = [&](double share) { return latencies[static_cast<size_t>(share * (latencies.size() - 1))]; };
    std::printf("put latency under %d writers: %zu puts, p50 %.2f ms, p99 %.2f ms, max %.2f ms\n", writers,
                latencies.size(), Milliseconds(at(0.50)), Milliseconds(at(0.99)), Milliseconds(latencies.back()));
    std::printf("answered 407: %ld; answered other codes: %ld\n", changed, others);
}

}  // namespace

int main(int argc, char** argv) {
    const int writers = argc > 1 ? std::atoi(argv[1]) : 16;
    const int puts = argc > 2 ? std::atoi(argv[2]) : 300;
    const std::string folder = MakeDataFolder();
    if (writers <= 0 || puts <= 0 || folder.empty()) return 2;
    setenv("VARO_DATA_DIR", (folder + "/data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (folder + "/config").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);

    long db = 0, fukuro = 0;
    int status = 0;
    std::vector<PutRecord> records;
    int start[2];
    if (!Prepare(&db, &fukuro) || pipe(start) != 0) {
        std::fprintf(stderr, "writers_bench: no database\n");
        RemoveTree(folder);
        return 1;
    }
    std::vector<pid_t> children;
    for (int w = 0; w < writers; ++w) {
        FILE* out = std::fopen((folder + "/writer" + std::to_string(w)).c_str(), "wb");
        const pid_t child = out ? fork() : -1;
        if (child == 0) {
            close(start[1]);
            RunWriter(db, fukuro, 17 + 31 * static_cast<unsigned>(w), puts, start[0], out);
        }
        if (out) std::fclose(out);
        if (child > 0) children.push_back(child);
    }
    close(start[0]);
    close(start[1]);  // the start: every writer's read returns
    bool allDone = children.size() == static_cast<size_t>(writers);
    for (pid_t child : children) {
        allDone = waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0 && allDone;
    }
    for (int w = 0; w < writers; ++w) {
        FILE* in = std::fopen((folder + "/writer" + std::to_string(w)).c_str(), "rb");
        for (PutRecord record; in && std::fread(&record, sizeof record, 1, in) == 1;) records.push_back(record);
        if (in) std::fclose(in);
    }
    Summarise(records, writers);
    RemoveTree(folder);
    if (!allDone) std::fprintf(stderr, "writers_bench: a writer failed\n");
    return allDone ? 0 : 1;
}
