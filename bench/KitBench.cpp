// The kit over its engine against the simplest SQLite program doing the same
// logical work in the same run, whatever the engine's own layout. The raw
// side keeps one table of tips (id, fukuro, position, and one blob of exactly
// as many bytes as the kit stores for that tip) with an index on (fukuro,
// position), journal WAL and synchronous FULL. Each "Kit<Name>" has a
// "Raw<Name>" partner and the ratios are printed after the report:
//   Walk         ReadTip and GetDisplayString over a fukuro of to-do tips,
//                against stepping the fukuro's rows in order and building each
//                to-do's list line from its bytes (deadline, priority, memo);
//   Store        a new tip with PutTip, against one autocommit INSERT;
//   DiskStore    the same on a folder of a real file system (not /dev/shm);
//   ReadChangeWrite  GetTip, SetMemo, PutTip, against SELECT then UPDATE;
//   RandomGetTip GetTip by random id, against SELECT by key.
// Then the bytes per tip of both files.
//
// Each "Floor<Name>" does, with raw SQLite on the engine's own file, only
// the storage work that the engine's layout and the kit's contract cannot
// avoid, with none of their checks, copies or calls: a bound on what the kit
// can reach, printed as its share of the raw rate beside the kit's.
//   Walk         stepping the fukuro's member rows and tip rows in order, 64
//                to a snapshot, without building lines;
//   Store        one transaction writing the tip row, its member row (and
//                order index) and the change-log row that carries notices
//                to other processes;
//   ReadChangeWrite  the checked read, the stored version read again as the
//                kit's put does, then a transaction writing the tip row and
//                its change-log row;
//   RandomGetTip the checked read (the tip row and its membership).
//
// The main data folder lies in /dev/shm when there is one, so that both
// sides measure the work rather than the disk's sync; DiskStore's lies in
// $VARO_BENCH_DISK_DIR, else /var/tmp.
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

#include "KitLoops.h"
#include "RatioReporter.h"
#include "VAROObj.h"

namespace {

using kitloops::kMemo;
using kitloops::kToDo;
const int kFukuroTips = 100000;

std::string NewFolder(const std::string& parent) {
    std::string pattern = parent + "/varo-bench-XXXXXX";
    return mkdtemp(&pattern[0]) ? pattern : "";
}

// A fresh folder for the run's databases; BenchData removes it at exit.
std::string DataFolder() {
    const std::string folder = NewFolder("/dev/shm");
    return folder.empty() ? NewFolder("/tmp") : folder;
}

std::string DiskFolder() {
    const char* chosen = getenv("VARO_BENCH_DISK_DIR");
    return NewFolder(chosen && *chosen ? chosen : "/var/tmp");
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
    // The first column of a one-number query.
    sqlite3_int64 Number(const char* sql) {
        sqlite3_stmt* statement = Prepare(sql);
        return sqlite3_step(statement) == SQLITE_ROW ? sqlite3_column_int64(statement, 0) : -1;
    }
    // The row id of the last row inserted into a table with one: a member
    // row (without row id) leaves the tip's.
    sqlite3_int64 LastRowId() const { return sqlite3_last_insert_rowid(m_db); }
    // The bytes of the file's pages in use, after moving the log into it.
    sqlite3_int64 UsedBytes() {
        Exec("PRAGMA wal_checkpoint(TRUNCATE)");
        return (Number("PRAGMA page_count") - Number("PRAGMA freelist_count")) * Number("PRAGMA page_size");
    }

private:
    sqlite3* m_db = nullptr;
    std::vector<sqlite3_stmt*> m_statements;
};

const char kRawSchema[] =
    "CREATE TABLE tips(id INTEGER PRIMARY KEY, fukuro INTEGER NOT NULL, position INTEGER NOT NULL, data BLOB);"
    "CREATE INDEX tips_order ON tips(fukuro, position);";

// The kit's stored bytes for a tip, which the raw side's blob matches in size.
class StoredSizes {
public:
    explicit StoredSizes(RawDatabase& kitFile) : m_read(kitFile.Prepare("SELECT length(fields) FROM tip WHERE id = ?1")) {}
    size_t Of(long tip) {
        sqlite3_bind_int64(m_read, 1, tip);
        const size_t size = sqlite3_step(m_read) == SQLITE_ROW ? static_cast<size_t>(sqlite3_column_int64(m_read, 0)) : 0;
        sqlite3_reset(m_read);
        return size;
    }

private:
    sqlite3_stmt* m_read;
};

// A raw blob of `size` bytes: `content` first, then filler.
std::string RawBlob(std::string content, size_t size) {
    if (content.size() < size) content.resize(size, 'x');
    return content;
}

// A raw to-do: its deadline as 8 digits, its priority as one byte and its
// memo with a terminator, the way a plain program would lay them out.
std::string RawToDo(int year, int month, int day, int priority, const std::string& memo) {
    char head[48];
    std::snprintf(head, sizeof head, "%04d%02d%02d", year, month, day);
    std::string content(head, 8);
    content.push_back(static_cast<char>(priority));
    content += memo;
    content.push_back('\0');
    return content;
}

const char* const kRawPriorityLabels[] = {"", "(\x8b\xd9)", "(\x82\x60)", "(\x82\x61)", "(\x82\x62)"};

// A to-do's list line from a raw to-do's bytes: "yy/mm/dd" and "made" (until),
// a blank, the priority's label, the memo up to its end or the first line
// break, which is what the kit's list line holds for a one-line memo.
void RawToDoLine(const char* bytes, size_t size, std::string* line) {
    line->clear();
    if (size < 9) return;
    char date[16];
    std::snprintf(date, sizeof date, "%c%c/%c%c/%c%c", bytes[2], bytes[3], bytes[4], bytes[5], bytes[6], bytes[7]);
    *line += date;
    *line += "\x82\xdc\x82\xc5 ";
    const unsigned priority = static_cast<unsigned char>(bytes[8]);
    if (priority < sizeof kRawPriorityLabels / sizeof kRawPriorityLabels[0]) *line += kRawPriorityLabels[priority];
    const char* memo = bytes + 9;
    line->append(memo, strnlen(memo, size - 9));
}

void InsertRaw(sqlite3_stmt* insert, long fukuro, long position, const std::string& blob) {
    sqlite3_bind_int64(insert, 1, fukuro);
    sqlite3_bind_int64(insert, 2, position);
    sqlite3_bind_blob(insert, 3, blob.data(), static_cast<int>(blob.size()), SQLITE_STATIC);
    sqlite3_step(insert);
    sqlite3_reset(insert);
}

// The floor's statements, on the engine's tables with the engine's settings.
const char kFloorWalk[] =
    "SELECT m.position, m.tip_id, t.stamp, t.fields FROM member m JOIN tip t ON t.id = m.tip_id"
    " WHERE m.fukuro_id = ?1 AND (m.position, m.tip_id) > (?2, ?3) ORDER BY m.position, m.tip_id LIMIT 64";
const char kFloorRead[] =
    "SELECT t.trashed, EXISTS(SELECT 1 FROM member WHERE tip_id = ?1 AND fukuro_id = ?2), t.stamp, t.fields"
    " FROM tip t WHERE t.id = ?1";
const char kFloorInsertTip[] = "INSERT INTO tip(stamp, trashed, fields) VALUES('20270101000000', 0, ?1)";
const char kFloorInsertMember[] =
    "INSERT INTO member(fukuro_id, tip_id, position) VALUES(?1, last_insert_rowid(), ?2)";
const char kFloorUpdateTip[] = "UPDATE tip SET stamp = ?2, fields = ?3 WHERE id = ?1";
const char kFloorLog[] = "INSERT INTO change_log(tip_id, change, topic, fukuros) VALUES(?1, ?2, 0, ?3)";

void Step(sqlite3_stmt* statement) {
    while (sqlite3_step(statement) == SQLITE_ROW) {
    }
    sqlite3_reset(statement);
}

// The little-endian fukuro id a change-log row lists.
std::string FukuroBytes(long fukuro) {
    std::string bytes;
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<char>(fukuro >> shift));
    return bytes;
}

// A kit database and a raw database in one folder, removed at exit.
struct Site {
    std::string folder;
    CVAROObj kit;
    long db = 0;
    std::unique_ptr<RawDatabase> raw;
    std::string engineFile;

    bool Start(const std::string& where) {
        folder = where;
        setenv("VARO_DATA_DIR", folder.c_str(), 1);
        if (folder.empty() || kit.Init(nullptr) != 1 || kit.Create("bench", &db) != 0) return false;
        kit.Open(db);
        CString location;
        kit.GetDBLocation(db, 1, location);
        engineFile = location.Bytes();
        raw.reset(new RawDatabase(folder + "/raw.sqlite"));
        raw->Exec(kRawSchema);
        return true;
    }
    void Stop() {
        raw.reset();
        kit.End();
        std::error_code ignored;
        if (!folder.empty()) std::filesystem::remove_all(folder, ignored);
    }
};

// The data every benchmark shares: a fukuro of to-do tips made through the
// kit, and a raw table of as many rows of the same sizes holding the same
// list lines; a second pair on disk for DiskStore.
class BenchData {
public:
    static BenchData& Get() {
        static BenchData data;
        return data;
    }

    Site shm, disk;
    std::vector<long> tips;
    std::string memoBlob;  // as many bytes as the kit stores for a new memo
    double kitBytesPerTip = 0, rawBytesPerTip = 0;

    CVAROObj& kit() { return shm.kit; }
    long db() const { return shm.db; }

private:
    BenchData() {
        if (!shm.Start(DataFolder()) || !disk.Start(DiskFolder())) {
            std::fprintf(stderr, "kit_bench: no engine\n");
            shm.Stop();
            disk.Stop();
            std::exit(1);
        }
        kit().FukuroLockOpen(db(), kToDo);
        for (int i = 0; i < kFukuroTips; ++i) tips.push_back(NewToDo(i));
        kit().FukuroClose(db(), kToDo);
        RawDatabase kitFile(shm.engineFile);
        StoredSizes sizes(kitFile);
        FillRaw(sizes);
        kitBytesPerTip = static_cast<double>(kitFile.UsedBytes()) / kFukuroTips;
        rawBytesPerTip = static_cast<double>(shm.raw->UsedBytes()) / kFukuroTips;
        kit().FukuroLockOpen(db(), kMemo);
        memoBlob = RawBlob("", sizes.Of(kitloops::StoreMemo(kit(), db())));
        kit().FukuroClose(db(), kMemo);
    }

    long NewToDo(int i) {
        kit().SetTipID(0);
        kit().SetTipFlag(0x300);
        kit().SetMemo(("to-do number " + std::to_string(i)).c_str());
        kit().SetPriority(1 + i % 4);
        kit().SetLimitDay(CPIMTime(2027, 1 + i % 12, 1 + i % 28, 0, 0, 0));
        long tip = 0;
        kit().PutTip(db(), kToDo, &tip);
        return tip;
    }

    // Each to-do's fields in a row of the kit's size; a raw line that is not
    // the kit's line ends the run, so both sides always do the same work.
    void FillRaw(StoredSizes& sizes) {
        shm.raw->Exec("BEGIN");
        sqlite3_stmt* insert = shm.raw->Prepare("INSERT INTO tips(fukuro, position, data) VALUES(?1, ?2, ?3)");
        CString kitLine, memo;
        std::string rawLine;
        for (size_t i = 0; i < tips.size(); ++i) {
            kit().GetTip(db(), kToDo, tips[i]);
            CPIMTime limit;
            int priority = 0;
            kit().GetLimitDay(limit);
            kit().GetPriority(&priority);
            kit().GetMemo(memo);
            const std::string blob = RawBlob(RawToDo(limit.GetYear(), limit.GetMonth(), limit.GetDay(), priority,
                                                     memo.Bytes()), sizes.Of(tips[i]));
            RawToDoLine(blob.data(), blob.size(), &rawLine);
            kit().GetDisplayString(kitLine);
            if (rawLine != kitLine.Bytes()) {
                std::fprintf(stderr, "kit_bench: raw line \"%s\" is not the kit's \"%s\"\n", rawLine.c_str(), kitLine.Bytes().c_str());
                std::exit(1);
            }
            InsertRaw(insert, kToDo, static_cast<long>(i), blob);
        }
        shm.raw->Exec("COMMIT");
    }

    // Runs at exit: a run leaves none of its hundreds of megabytes behind.
    ~BenchData() {
        shm.Stop();
        disk.Stop();
    }
};

void KitWalk(benchmark::State& state) { kitloops::Walk(BenchData::Get().kit(), BenchData::Get().db(), state); }

void RawWalk(benchmark::State& state) {
    BenchData& data = BenchData::Get();
    sqlite3_stmt* walk = data.shm.raw->Prepare("SELECT data FROM tips WHERE fukuro = ?1 ORDER BY position");
    sqlite3_bind_int64(walk, 1, kToDo);
    std::string line;
    for (auto _ : state) {
        if (sqlite3_step(walk) != SQLITE_ROW) {
            sqlite3_reset(walk);
            continue;
        }
        RawToDoLine(static_cast<const char*>(sqlite3_column_blob(walk, 0)),
                    static_cast<size_t>(sqlite3_column_bytes(walk, 0)), &line);
        benchmark::DoNotOptimize(line);
    }
}

void InsertMemos(Site& site, benchmark::State& state) {
    const std::string& blob = BenchData::Get().memoBlob;
    sqlite3_stmt* insert = site.raw->Prepare("INSERT INTO tips(fukuro, position, data) VALUES(?1, ?2, ?3)");
    long position = 0;
    for (auto _ : state) InsertRaw(insert, kMemo, position++, blob);
}

void KitStore(benchmark::State& state) {
    kitloops::StoreMemos(BenchData::Get().shm.kit, BenchData::Get().shm.db, state);
}
void RawStore(benchmark::State& state) { InsertMemos(BenchData::Get().shm, state); }
void KitDiskStore(benchmark::State& state) {
    kitloops::StoreMemos(BenchData::Get().disk.kit, BenchData::Get().disk.db, state);
}
void RawDiskStore(benchmark::State& state) { InsertMemos(BenchData::Get().disk, state); }

void KitReadChangeWrite(benchmark::State& state) {
    BenchData& data = BenchData::Get();
    kitloops::ReadChangeWrite(data.kit(), data.db(), data.tips, state);
}

void RawReadChangeWrite(benchmark::State& state) {
    BenchData& data = BenchData::Get();
    sqlite3_stmt* select = data.shm.raw->Prepare("SELECT data FROM tips WHERE id = ?1");
    sqlite3_stmt* update = data.shm.raw->Prepare("UPDATE tips SET data = ?2 WHERE id = ?1");
    sqlite3_int64 next = 0;
    std::string bytes;
    for (auto _ : state) {
        const sqlite3_int64 id = 1 + next++ % kFukuroTips;
        sqlite3_bind_int64(select, 1, id);
        sqlite3_step(select);
        bytes.assign(static_cast<const char*>(sqlite3_column_blob(select, 0)),
                     static_cast<size_t>(sqlite3_column_bytes(select, 0)));
        sqlite3_reset(select);
        bytes[0] = 'y';
        sqlite3_bind_int64(update, 1, id);
        sqlite3_bind_blob(update, 2, bytes.data(), static_cast<int>(bytes.size()), SQLITE_STATIC);
        sqlite3_step(update);
        sqlite3_reset(update);
    }
}

void KitRandomGetTip(benchmark::State& state) {
    BenchData& data = BenchData::Get();
    kitloops::RandomGetTip(data.kit(), data.db(), data.tips, state);
}

void RawRandomGetTip(benchmark::State& state) {
    BenchData& data = BenchData::Get();
    sqlite3_stmt* select = data.shm.raw->Prepare("SELECT data FROM tips WHERE id = ?1");
    std::mt19937 random(7);
    std::uniform_int_distribution<sqlite3_int64> pick(1, kFukuroTips);
    for (auto _ : state) {
        sqlite3_bind_int64(select, 1, pick(random));
        if (sqlite3_step(select) == SQLITE_ROW) benchmark::DoNotOptimize(sqlite3_column_blob(select, 0));
        sqlite3_reset(select);
    }
}

// A second connection to the kit's own file.
RawDatabase& FloorFile() {
    static RawDatabase file(BenchData::Get().shm.engineFile);
    static bool ready = (file.Exec("PRAGMA foreign_keys=ON"), true);
    (void)ready;
    return file;
}

// The next batch after (position, tip); empty at the fukuro's end.
size_t FloorBatch(sqlite3_stmt* walk, sqlite3_int64* position, sqlite3_int64* tip, std::vector<std::string>* batch) {
    FloorFile().Exec("BEGIN");
    sqlite3_bind_int64(walk, 1, kToDo);
    sqlite3_bind_int64(walk, 2, *position);
    sqlite3_bind_int64(walk, 3, *tip);
    size_t count = 0;
    for (; count < batch->size() && sqlite3_step(walk) == SQLITE_ROW; ++count) {
        *position = sqlite3_column_int64(walk, 0);
        *tip = sqlite3_column_int64(walk, 1);
        (*batch)[count].assign(static_cast<const char*>(sqlite3_column_blob(walk, 3)),
                               static_cast<size_t>(sqlite3_column_bytes(walk, 3)));
    }
    sqlite3_reset(walk);
    FloorFile().Exec("COMMIT");
    return count;
}

void FloorWalk(benchmark::State& state) {
    sqlite3_stmt* walk = FloorFile().Prepare(kFloorWalk);
    std::vector<std::string> batch(64);
    size_t next = 0, count = 0;
    sqlite3_int64 position = INT64_MIN, tip = INT64_MIN;
    for (auto _ : state) {
        if (next == count) {
            next = 0;
            count = FloorBatch(walk, &position, &tip, &batch);
            if (count == 0) {
                position = tip = INT64_MIN;
                count = FloorBatch(walk, &position, &tip, &batch);
            }
            if (count == 0) {
                state.SkipWithError("the fukuro holds no tips");
                break;
            }
        }
        benchmark::DoNotOptimize(batch[next++]);
    }
}

void FloorStore(benchmark::State& state) {
    RawDatabase& file = FloorFile();
    sqlite3_stmt* tipRow = file.Prepare(kFloorInsertTip);
    sqlite3_stmt* memberRow = file.Prepare(kFloorInsertMember);
    sqlite3_stmt* logRow = file.Prepare(kFloorLog);
    const std::string& fields = BenchData::Get().memoBlob;
    const std::string fukuros = FukuroBytes(kMemo);
    sqlite3_int64 position = sqlite3_int64(1) << 40;
    for (auto _ : state) {
        file.Exec("BEGIN IMMEDIATE");
        sqlite3_bind_blob(tipRow, 1, fields.data(), static_cast<int>(fields.size()), SQLITE_STATIC);
        Step(tipRow);
        sqlite3_bind_int64(memberRow, 1, kMemo);
        sqlite3_bind_int64(memberRow, 2, position++);
        Step(memberRow);
        sqlite3_bind_int64(logRow, 1, file.LastRowId());
        sqlite3_bind_int64(logRow, 2, 1);
        sqlite3_bind_blob(logRow, 3, fukuros.data(), static_cast<int>(fukuros.size()), SQLITE_STATIC);
        Step(logRow);
        file.Exec("COMMIT");
    }
}

// The checked read of GetTip: the tip row and its membership.
void FloorRead(sqlite3_stmt* read, sqlite3_int64 tip, std::string* stamp, std::string* fields) {
    sqlite3_bind_int64(read, 1, tip);
    sqlite3_bind_int64(read, 2, kToDo);
    if (sqlite3_step(read) == SQLITE_ROW) {
        stamp->assign(reinterpret_cast<const char*>(sqlite3_column_text(read, 2)),
                      static_cast<size_t>(sqlite3_column_bytes(read, 2)));
        fields->assign(static_cast<const char*>(sqlite3_column_blob(read, 3)),
                       static_cast<size_t>(sqlite3_column_bytes(read, 3)));
    }
    sqlite3_reset(read);
}

void FloorReadChangeWrite(benchmark::State& state) {
    BenchData& data = BenchData::Get();
    RawDatabase& file = FloorFile();
    sqlite3_stmt* read = file.Prepare(kFloorRead);
    sqlite3_stmt* update = file.Prepare(kFloorUpdateTip);
    sqlite3_stmt* logRow = file.Prepare(kFloorLog);
    const std::string fukuros = FukuroBytes(kToDo);
    std::string stamp, fields;
    size_t next = 0;
    for (auto _ : state) {
        const long tip = data.tips[next++ % data.tips.size()];
        FloorRead(read, tip, &stamp, &fields);
        FloorRead(read, tip, &stamp, &fields);
        file.Exec("BEGIN IMMEDIATE");
        sqlite3_bind_int64(update, 1, tip);
        sqlite3_bind_text(update, 2, stamp.data(), static_cast<int>(stamp.size()), SQLITE_STATIC);
        sqlite3_bind_blob(update, 3, fields.data(), static_cast<int>(fields.size()), SQLITE_STATIC);
        Step(update);
        sqlite3_bind_int64(logRow, 1, tip);
        sqlite3_bind_int64(logRow, 2, 2);
        sqlite3_bind_blob(logRow, 3, fukuros.data(), static_cast<int>(fukuros.size()), SQLITE_STATIC);
        Step(logRow);
        file.Exec("COMMIT");
    }
}

void FloorRandomGetTip(benchmark::State& state) {
    BenchData& data = BenchData::Get();
    sqlite3_stmt* read = FloorFile().Prepare(kFloorRead);
    std::mt19937 random(7);
    std::uniform_int_distribution<size_t> pick(0, data.tips.size() - 1);
    std::string stamp, fields;
    for (auto _ : state) FloorRead(read, data.tips[pick(random)], &stamp, &fields);
}

BENCHMARK(KitWalk);
BENCHMARK(RawWalk);
BENCHMARK(KitStore)->Iterations(10000);
BENCHMARK(RawStore)->Iterations(10000);
BENCHMARK(KitDiskStore)->Iterations(300);
BENCHMARK(RawDiskStore)->Iterations(300);
BENCHMARK(KitReadChangeWrite);
BENCHMARK(RawReadChangeWrite);
BENCHMARK(KitRandomGetTip);
BENCHMARK(RawRandomGetTip);
BENCHMARK(FloorWalk);
BENCHMARK(FloorStore)->Iterations(10000);
BENCHMARK(FloorReadChangeWrite);
BENCHMARK(FloorRandomGetTip);

// Fills a fukuro with `count` tips, then walks it once with ReadTip and
// GetDisplayString, reporting resident memory before and after the walk.
int WalkMemory(long count) {
    BenchData& data = BenchData::Get();
    CVAROObj& kit = data.kit();
    const long fukuro = 0x3005;
    kit.FukuroLockOpen(data.db(), fukuro);
    for (long i = 0; i < count; ++i) {
        kit.SetTipID(0);
        kit.SetTipFlag(0x201);
        kit.SetMemo("a schedule entry");
        long tip = 0;
        kit.PutTip(data.db(), fukuro, &tip);
    }
    kit.FukuroClose(data.db(), fukuro);
    const long before = ResidentKilobytes();
    kit.FukuroOpen(data.db(), fukuro);
    CString line;
    long walked = 0;
    for (;;) {
        kit.ReadTip(data.db(), fukuro, 1);
        long tip = 0;
        kit.GetTipID(&tip);
        if (tip == 0) break;
        kit.GetDisplayString(line);
        ++walked;
    }
    kit.FukuroClose(data.db(), fukuro);
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
    const BenchData& data = BenchData::Get();
    std::printf("%-24s kit %.0f, raw %.0f  (kit file %.2f x raw)\n", "Bytes per tip", data.kitBytesPerTip,
                data.rawBytesPerTip, data.kitBytesPerTip / data.rawBytesPerTip);
    benchmark::Shutdown();
    return 0;
}
