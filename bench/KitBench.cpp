// The kit over its engine against raw SQLite doing the same work on the same
// data in the same run. Each "Kit<Name>" has a "Raw<Name>" partner and the
// ratios are printed after the report:
//   Walk         ReadTip and GetDisplayString over a fukuro of to-do tips, against
//                one SELECT stepping through the same tips' field bytes;
//   Store        a new tip with PutTip (one transaction each), against a
//                single-row autocommit INSERT with the same journal settings;
//   ReadChangeWrite  GetTip, SetMemo, PutTip, against SELECT plus UPDATE;
//   RandomGetTip GetTip by random id, against SELECT of its fields by key.
// The data folder lies in /dev/shm when there is one, so that both sides
// measure the work rather than the disk's sync.
//
//   kit_bench [benchmark flags]   the timed pairs
//   kit_bench --walk-memory N     resident memory before and after walking N tips
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "RatioReporter.h"
#include "VAROObj.h"

namespace {

const long kToDo = 0x300C;
const int kFukuroTips = 100000;

// A fresh folder for the run's databases; BenchData removes it at exit.
std::string DataFolder() {
    char pattern[] = "/dev/shm/varo-bench-XXXXXX";
    if (mkdtemp(pattern)) return pattern;
    char fallback[] = "/tmp/varo-bench-XXXXXX";
    return mkdtemp(fallback) ? fallback : "";
}

long ResidentKilobytes() {
    long pages = 0, resident = 0;
    FILE* statm = std::fopen("/proc/self/statm", "r");
    if (statm) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(statm);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// One raw SQLite connection with the engine's journal settings.
class RawDatabase {
public:
    explicit RawDatabase(const std::string& path) {
        sqlite3_open_v2(path.c_str(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        Exec("PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL;");
    }
    ~RawDatabase() {
        for (sqlite3_stmt* s : m_statements) sqlite3_finalize(s);
        sqlite3_close(m_db);
    }
    void Exec(const char* sql) { sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr); }
    sqlite3_stmt* Prepare(const char* sql) {
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(m_db, sql, -1, &statement, nullptr);
        m_statements.push_back(statement);
        return statement;
    }

private:
    sqlite3* m_db = nullptr;
    std::vector<sqlite3_stmt*> m_statements;
};

// The data every benchmark shares: a database with a fukuro of to-do tips
// made through the kit, and a raw table of as many rows of the same bytes.
class BenchData {
public:
    static BenchData& Get() {
        static BenchData data;
        return data;
    }

    CVAROObj kit;
    long db = 0;
    std::vector<long> tips;
    std::string engineFile;
    std::string tipBytes;  // about as many bytes as a stored to-do tip holds
    std::unique_ptr<RawDatabase> raw;

private:
    BenchData() {
        m_folder = DataFolder();
        setenv("VARO_DATA_DIR", m_folder.c_str(), 1);
        if (kit.Init(nullptr) != 1 || kit.Create("bench", &db) != 0) {
            std::fprintf(stderr, "kit_bench: no engine\n");
            RemoveFolder();
            std::exit(1);
        }
        kit.Open(db);
        kit.FukuroLockOpen(db, kToDo);
        for (int i = 0; i < kFukuroTips; ++i) tips.push_back(NewToDo(i));
        kit.FukuroClose(db, kToDo);
        CString location;
        kit.GetDBLocation(db, 1, location);
        engineFile = location.Bytes();
        tipBytes.assign(160, 'x');
        raw.reset(new RawDatabase(m_folder + "/raw.sqlite"));
        raw->Exec("CREATE TABLE IF NOT EXISTS rows(id INTEGER PRIMARY KEY, data BLOB);");
        raw->Exec("BEGIN");
        sqlite3_stmt* insert = raw->Prepare("INSERT INTO rows(data) VALUES(?1)");
        for (int i = 0; i < kFukuroTips; ++i) {
            sqlite3_bind_blob(insert, 1, tipBytes.data(), static_cast<int>(tipBytes.size()), SQLITE_STATIC);
            sqlite3_step(insert);
            sqlite3_reset(insert);
        }
        raw->Exec("COMMIT");
    }

    long NewToDo(int i) {
        kit.SetTipID(0);
        kit.SetTipFlag(0x300);
        kit.SetMemo(("to-do number " + std::to_string(i)).c_str());
        kit.SetPriority(1 + i % 4);
        kit.SetLimitDay(CPIMTime(2027, 1 + i % 12, 1 + i % 28, 0, 0, 0));
        long tip = 0;
        kit.PutTip(db, kToDo, &tip);
        return tip;
    }

    // Runs at exit: a run leaves none of its hundreds of megabytes behind.
    ~BenchData() {
        raw.reset();
        kit.End();
        RemoveFolder();
    }

    void RemoveFolder() {
        std::error_code ignored;
        if (!m_folder.empty()) std::filesystem::remove_all(m_folder, ignored);
    }

    std::string m_folder;
};

void KitWalk(benchmark::State& state) {
    BenchData& data = BenchData::Get();
    data.kit.FukuroOpen(data.db, kToDo);
    CString line;
    for (auto _ : state) {
        data.kit.ReadTip(data.db, kToDo, 1);
        long tip = 0;
        data.kit.GetTipID(&tip);
        if (tip == 0) {
            data.kit.FukuroClose(data.db, kToDo);
            data.kit.FukuroOpen(data.db, kToDo);
            continue;
        }
        data.kit.GetDisplayString(line);
        benchmark::DoNotOptimize(line);
    }
    data.kit.FukuroClose(data.db, kToDo);
}

void RawWalk(benchmark::State& state) {
    BenchData& data = BenchData::Get();
    RawDatabase file(data.engineFile);
    sqlite3_stmt* walk = file.Prepare(
        "SELECT m.tip_id, t.fields FROM member m JOIN tip t ON t.id = m.tip_id"
        " WHERE m.fukuro_id = ?1 ORDER BY m.position, m.tip_id");
    sqlite3_bind_int(walk, 1, static_cast<int>(kToDo));
    for (auto _ : state) {
        if (sqlite3_step(walk) != SQLITE_ROW) {
            sqlite3_reset(walk);
            sqlite3_step(walk);
        }
        benchmark::DoNotOptimize(sqlite3_column_blob(walk, 1));
        benchmark::DoNotOptimize(sqlite3_column_bytes(walk, 1));
    }
}

BENCHMARK(KitWalk);
BENCHMARK(RawWalk);
BENCHMARK(KitStore)->Iterations(10000);
BENCHMARK(RawStore)->Iterations(10000);
BENCHMARK(KitReadChangeWrite);
BENCHMARK(RawReadChangeWrite);
BENCHMARK(KitRandomGetTip);
BENCHMARK(RawRandomGetTip);

// Fills a fukuro with `count` tips, then walks it once with ReadTip and
// GetDisplayString, reporting resident memory before and after the walk.
int WalkMemory(long count) {
    BenchData& data = BenchData::Get();
    const long fukuro = 0x3005;
    data.kit.FukuroLockOpen(data.db, fukuro);
    for (long i = 0; i < count; ++i) {
        data.kit.SetTipID(0);
        data.kit.SetTipFlag(0x201);
        data.kit.SetMemo("a schedule entry");
        long tip = 0;
        data.kit.PutTip(data.db, fukuro, &tip);
    }
    data.kit.FukuroClose(data.db, fukuro);
    const long before = ResidentKilobytes();
    data.kit.FukuroOpen(data.db, fukuro);
    CString line;
    long walked = 0;
    for (;;) {
        data.kit.ReadTip(data.db, fukuro, 1);
        long tip = 0;
        data.kit.GetTipID(&tip);
        if (tip == 0) break;
        data.kit.GetDisplayString(line);
        ++walked;
    }
    data.kit.FukuroClose(data.db, fukuro);
    const long after = ResidentKilobytes();
    std::printf("walked %ld tips: resident %ld kB before, %ld kB after (+%ld kB)\n", walked, before, after,
                after - before);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--walk-memory") == 0) return WalkMemory(std::atol(argv[2]));
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
