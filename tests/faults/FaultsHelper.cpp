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
//   faults_helper fill DB
//       limits its file sizes to a little above the database's, stores large
//       tips until a put fails ("ack ID" each, then "failed CODE"), then
//       "unreadable N" (acknowledged tips it can no longer read) and
//       "check CODE" (DBCheck).
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "KitSteps.h"
#include "WriterMemo.h"

using namespace faults;

namespace {

// The writer rewrites only the most recent tips, so that its start stays short.
const size_t kRewrittenTips = 40;
const size_t kFillMemoLength = 40000;
const int kFillAttempts = 400;
const off_t kFillSlack = 256 * 1024;

void Report(const std::string& line) {
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
}

size_t MemoLength(std::mt19937& random) {
    return random() % 4 == 0 ? 20000 + random() % 40000 : random() % 2000;
}

struct Written {
    long tip;
    int version;
};

std::vector<Written> RecentTips(CVAROObj& kit, long db) {
    std::vector<long> tips = TipsOf(kit, db, kToDoFukuro);
    if (tips.size() > kRewrittenTips) tips.erase(tips.begin(), tips.end() - kRewrittenTips);
    std::vector<Written> recent;
    for (long tip : tips) {
        std::string memo;
        const int version = ReadMemo(kit, db, tip, &memo) ? WriterMemoVersion(memo) : -1;
        if (version >= 0) recent.push_back(Written{tip, version});
    }
    return recent;
}

long Overwrite(CVAROObj& kit, long db, Written& target, size_t length) {
    long code = kit.GetTip(db, kToDoFukuro, target.tip);
    if (code == 0 && kit.SetMemo(CString(WriterMemo(target.version + 1, length))) != 1) code = -1;
    long stored = 0;
    if (code == 0) code = kit.PutTip(db, kToDoFukuro, &stored);
    if (code == 0) ++target.version;
    return code;
}

int Write(CVAROObj& kit, long db, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<Written> written = RecentTips(kit, db);
    for (;;) {
        const size_t length = MemoLength(random);
        const bool overwrite = !written.empty() && random() % 3 == 0;
        long code;
        Written acknowledged{0, 0};
        if (overwrite) {
            Written& target = written[random() % written.size()];
            code = Overwrite(kit, db, target, length);
            acknowledged = target;
        } else {
            code = PutNewToDo(kit, db, WriterMemo(0, length), &acknowledged.tip);
            if (code == 0) written.push_back(acknowledged);
        }
        if (code != 0) {
            Report("failed " + std::to_string(code));
            return 1;
        }
        Report("ack " + std::to_string(acknowledged.tip) + " " + std::to_string(acknowledged.version));
    }
}

long AddOne(CVAROObj& kit, long db, long fukuro, long tip) {
    long code = kit.GetTip(db, fukuro, tip);
    CString memo;
    if (code == 0 && kit.GetMemo(memo) != 1) code = -1;
    const std::string next = std::to_string(std::atol(memo) + 1);
    if (code == 0 && kit.SetMemo(CString(next)) != 1) code = -1;
    long stored = 0;
    return code == 0 ? kit.PutTip(db, fukuro, &stored) : code;
}

int ReadChangeWrite(CVAROObj& kit, long db, long fukuro, unsigned seed, int count) {
    const std::vector<long> tips = TipsOf(kit, db, fukuro);
    if (tips.empty()) return 2;
    Report("ready");
    int c;
    while ((c = std::fgetc(stdin)) != EOF && c != '\n') {
    }
    std::mt19937 random(seed);
    std::map<long, int> stored;
    int conflicts = 0;
    int others = 0;
    for (int i = 0; i < count; ++i) {
        const long tip = tips[random() % tips.size()];
        const long code = AddOne(kit, db, fukuro, tip);
        if (code == 0) {
            ++stored[tip];
        } else if (code == VARO_ERR_CHANGED) {
            ++conflicts;
        } else {
            ++others;
            Report("code " + std::to_string(code));
        }
    }
    for (const auto& entry : stored) Report("tip " + std::to_string(entry.first) + " " + std::to_string(entry.second));
    Report("done " + std::to_string(conflicts) + " " + std::to_string(others));
    return 0;
}

off_t SizeOf(const std::string& path) {
    struct stat status;
    return stat(path.c_str(), &status) == 0 ? status.st_size : 0;
}

// From here on a write that would make any file larger than the database's
// largest file by more than the slack fails as on a full disk (EFBIG).
bool LimitFileSizes(const std::string& database) {
    const off_t largest = std::max(SizeOf(database), SizeOf(database + "-wal"));
    const rlim_t limit = static_cast<rlim_t>(largest + kFillSlack);
    const struct rlimit fileSize = {limit, limit};
    return signal(SIGXFSZ, SIG_IGN) != SIG_ERR && setrlimit(RLIMIT_FSIZE, &fileSize) == 0;
}

int Fill(CVAROObj& kit, long db) {
    if (!LimitFileSizes(DatabasePath(kit, db))) return 2;
    std::vector<long> acknowledged;
    for (int i = 0; i < kFillAttempts; ++i) {
        long tip = 0;
        const long code = PutNewToDo(kit, db, WriterMemo(i, kFillMemoLength), &tip);
        if (code != 0) {
            Report("failed " + std::to_string(code));
            break;
        }
        acknowledged.push_back(tip);
        Report("ack " + std::to_string(tip));
    }
    int unreadable = 0;
    for (long tip : acknowledged) {
        std::string memo;
        if (!ReadMemo(kit, db, tip, &memo) || WriterMemoVersion(memo) < 0) ++unreadable;
    }
    Report("unreadable " + std::to_string(unreadable));
    Report("check " + std::to_string(kit.DBCheck(db)));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    const std::string command = argv[1];
    const long db = std::atol(argv[2]);
    CVAROObj kit;
    if (kit.Init(nullptr) != 1 || kit.Open(db) != 0) {
        Report("failed open");
        return 2;
    }
    if (command == "write" && argc == 4) return Write(kit, db, static_cast<unsigned>(std::atol(argv[3])));
    if (command == "rcw" && argc == 6) {
        return ReadChangeWrite(kit, db, std::strtol(argv[3], nullptr, 0), static_cast<unsigned>(std::atol(argv[4])),
                               std::atoi(argv[5]));
    }
    if (command == "fill") return Fill(kit, db);
    return 2;
}
