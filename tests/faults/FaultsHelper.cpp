// A second process for the fault and concurrency tests, the kit over the
// real engine. It reports on standard output, one line per event, flushed
// at once so that a parent that kills it knows what was acknowledged:
//   faults_helper write DB SEED
//       stores and overwrites to-do tips without end; "ack ID VERSION" after
//       every put that returned 0, "failed CODE" (and exit) after one that
//       did not.
//   faults_helper rcw DB FUKURO SEED COUNT
//       prints "ready", waits for a line on standard input, then COUNT times
//       reads a random tip of the fukuro, adds one to the number in its memo
//       and puts it back; then "tip ID STORED" per tip, "code CODE" for any
//       put that failed other than with 407, "done CONFLICTS OTHERS".
//   faults_helper put DB TIP MEMO
//       stores MEMO into the to-do tip; "code CODE".
//   faults_helper read DB TIP
//       "memo NUMBER", the number the tip's memo holds (-1: unreadable).
//   faults_helper lock DB FUKURO MILLISECONDS SEED
//       for that long takes the fukuro's lock, holds it a moment, drops it
//       and pauses a moment; then "locked TIMES".
//   faults_helper walk DB FUKURO MILLISECONDS
//       for that long walks the fukuro from a new opening each time, with
//       ReadTip and with GetTip of every tip read; the tip at index i must
//       carry the memo "memo i". "bad INDEX" for the first few that do not,
//       then "walked READS BAD" and "readonly READS" (those the kit took as
//       read-only).
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>

#include "KitSteps.h"

using namespace faults;

namespace {

// The writer rewrites only the most recent tips, so that its start stays short.
const size_t kRewrittenTips = 40;

void Report(const std::string& word, long first, long second = -1) {
    std::printf(second < 0 ? "%s %ld\n" : "%s %ld %ld\n", word.c_str(), first, second);
    std::fflush(stdout);
}

size_t MemoLength(std::mt19937& random) {
    return random() % 4 == 0 ? 20000 + random() % 40000 : random() % 2000;
}

// The most recent tips with their versions, as a killed writer left them.
std::map<long, int> RecentTips(CVAROObj& kit, long db) {
    std::vector<long> tips = TipsOf(kit, db, kToDoFukuro);
    if (tips.size() > kRewrittenTips) tips.erase(tips.begin(), tips.end() - kRewrittenTips);
    std::map<long, int> recent;
    for (long tip : tips) {
        std::string memo;
        const int version = ReadMemo(kit, db, tip, &memo) ? WriterMemoVersion(memo) : -1;
        if (version >= 0) recent[tip] = version;
    }
    return recent;
}

int Write(CVAROObj& kit, long db, unsigned seed) {
    std::mt19937 random(seed);
    std::map<long, int> written = RecentTips(kit, db);
    std::vector<long> ids;
    for (const auto& entry : written) ids.push_back(entry.first);
    for (;;) {
        const size_t length = MemoLength(random);
        long tip = 0;
        long code;
        if (!ids.empty() && random() % 3 == 0) {
            tip = ids[random() % ids.size()];
            const int next = written[tip] + 1;
            code = ChangeMemo(kit, db, kToDoFukuro, tip, [&](const std::string&) { return WriterMemo(next, length); });
            if (code == 0) written[tip] = next;
        } else {
            code = PutNewToDo(kit, db, WriterMemo(0, length), &tip);
            if (code == 0) {
                written[tip] = 0;
                ids.push_back(tip);
            }
        }
        if (code != 0) {
            Report("failed", code);
            return 1;
        }
        Report("ack", tip, written[tip]);
    }
}

int ReadChangeWrite(CVAROObj& kit, long db, long fukuro, unsigned seed, int count) {
    const std::vector<long> tips = TipsOf(kit, db, fukuro);
    if (tips.empty()) return 2;
    Report("ready", 0);
    int c;
    while ((c = std::fgetc(stdin)) != EOF && c != '\n') {
    }
    std::mt19937 random(seed);
    std::map<long, int> stored;
    long conflicts = 0;
    long others = 0;
    const auto addOne = [](const std::string& memo) { return std::to_string(std::atol(memo.c_str()) + 1); };
    for (int i = 0; i < count; ++i) {
        const long tip = tips[random() % tips.size()];
        const long code = ChangeMemo(kit, db, fukuro, tip, addOne);
        if (code == 0) {
            ++stored[tip];
        } else if (code == VARO_ERR_CHANGED) {
            ++conflicts;
        } else {
            ++others;
            Report("code", code);
        }
    }
    for (const auto& entry : stored) Report("tip", entry.first, entry.second);
    Report("done", conflicts, others);
    return 0;
}

bool Before(std::chrono::steady_clock::time_point end) { return std::chrono::steady_clock::now() < end; }

std::chrono::steady_clock::time_point After(long milliseconds) {
    return std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
}

int LockAndUnlock(CVAROObj& kit, long db, long fukuro, long milliseconds, unsigned seed) {
    std::mt19937 random(seed);
    long locked = 0;
    for (const auto end = After(milliseconds); Before(end);) {
        if (kit.FukuroLockOpen(db, fukuro) == 0) {
            ++locked;
            usleep(random() % 3000);
            kit.FukuroClose(db, fukuro);
        }
        usleep(random() % 3000);
    }
    Report("locked", locked);
    return 0;
}

// Whether the tip in the kit's record carries the memo of `index`; counts
// the read as read-only when the kit refuses to change the memo.
bool HoldsMemoOf(CVAROObj& kit, long index, long* readOnly) {
    CString memo;
    if (kit.GetMemo(memo) != 1 || memo.Bytes() != "memo " + std::to_string(index)) return false;
    if (kit.SetMemo(memo) == 0) ++*readOnly;
    return true;
}

int Walk(CVAROObj& kit, long db, long fukuro, long milliseconds) {
    const int kReportedBad = 5;
    long reads = 0, bad = 0, readOnly = 0;
    const auto check = [&](bool good, long index) {
        ++reads;
        if (good) return;
        if (bad++ < kReportedBad) Report("bad", index);
    };
    for (const auto end = After(milliseconds); Before(end);) {
        if (kit.FukuroOpen(db, fukuro) != 0) return 1;
        for (long index = 0;; ++index) {
            long tip = 0;
            if (kit.ReadTip(db, fukuro, 1) != 0) return 1;
            kit.GetTipID(&tip);
            if (tip == 0) break;
            check(HoldsMemoOf(kit, index, &readOnly), index);
            check(kit.GetTip(db, fukuro, tip) == 0 && HoldsMemoOf(kit, index, &readOnly), index);
        }
        kit.FukuroClose(db, fukuro);
    }
    Report("walked", reads, bad);
    Report("readonly", readOnly);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    const std::string command = argv[1];
    const long db = std::atol(argv[2]);
    CVAROObj kit;
    if (kit.Init(nullptr) != 1 || kit.Open(db) != 0) {
        std::puts("failed open");
        return 2;
    }
    if (command == "write" && argc == 4) return Write(kit, db, static_cast<unsigned>(std::atol(argv[3])));
    if (command == "rcw" && argc == 6) {
        return ReadChangeWrite(kit, db, std::strtol(argv[3], nullptr, 0), static_cast<unsigned>(std::atol(argv[4])),
                               std::atoi(argv[5]));
    }
    if (command == "put" && argc == 5) {
        const std::string memo = argv[4];
        Report("code", ChangeMemo(kit, db, kToDoFukuro, std::atol(argv[3]), [&](const std::string&) { return memo; }));
        return 0;
    }
    if (command == "lock" && argc == 6) {
        return LockAndUnlock(kit, db, std::strtol(argv[3], nullptr, 0), std::atol(argv[4]),
                             static_cast<unsigned>(std::atol(argv[5])));
    }
    if (command == "walk" && argc == 5) return Walk(kit, db, std::strtol(argv[3], nullptr, 0), std::atol(argv[4]));
    if (command != "read" || argc != 4) return 2;
    std::string memo;
    Report("memo", ReadMemo(kit, db, std::atol(argv[3]), &memo) ? std::atol(memo.c_str()) : -1);
    return 0;
}
