// The kit over its engine on a PostgreSQL server against the simplest libpq
// program doing the same logical work on the same server in the same run.
// The raw side keeps one table of tips (id, fukuro, position, and one bytea
// of exactly as many bytes as the engine stores for that tip) with an index
// on (fukuro, position), and uses prepared statements. Each "Kit<Name>" has
// a "Raw<Name>" partner and the ratios are printed after the report:
//   Walk         ReadTip and GetDisplayString over a fukuro of to-do tips,
//                against streaming the fukuro's rows in order with one query
//                and building each to-do's list line from its bytes;
//   Store        a new tip with PutTip, against one INSERT;
//   ReadChangeWrite  GetTip, SetMemo, PutTip, against SELECT then UPDATE;
//   RandomGetTip GetTip by random id, against SELECT by key.
//
// The server is $VARO_SERVER; without one the bench starts a cluster of its
// own in a temporary folder and removes it at the end.
//
//   server_bench [benchmark flags]
#include <benchmark/benchmark.h>
#include <libpq-fe.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
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
const int kFukuroTips = 10000;

const char kRawSchema[] =
    "DROP SCHEMA IF EXISTS raw_bench CASCADE; CREATE SCHEMA raw_bench;"
    "CREATE TABLE raw_bench.tips(id bigserial PRIMARY KEY, fukuro bigint NOT NULL, position bigint NOT NULL,"
    " data bytea NOT NULL);"
    "CREATE INDEX tips_order ON raw_bench.tips(fukuro, position);";

// A cluster of the bench's own when the environment names no server.
class OwnCluster {
public:
    std::string Start() {
        m_folder = "/tmp/varo-bench-pg-" + std::to_string(getpid());
        if (!Run("start")) return "";
        return "host=" + m_folder + "/run dbname=varo user=varo";
    }
    ~OwnCluster() {
        if (!m_folder.empty()) Run("stop");
    }

private:
    bool Run(const char* action) {
        const std::string command = "VARO_PG_WATCH=" + std::to_string(getpid()) + " " VARO_PG_CLUSTER " " +
                                    action + " " + m_folder;
        return system(command.c_str()) == 0;
    }
    std::string m_folder;
};

// One raw connection with its prepared statements.
class RawServer {
public:
    explicit RawServer(const std::string& conninfo) : m_conn(PQconnectdb(conninfo.c_str())) {}
    ~RawServer() { PQfinish(m_conn); }
    bool Ok() const { return PQstatus(m_conn) == CONNECTION_OK; }
    PGconn* Conn() const { return m_conn; }
    bool Exec(const char* sql) {
        PGresult* result = PQexec(m_conn, sql);
        const bool ok = PQresultStatus(result) == PGRES_COMMAND_OK || PQresultStatus(result) == PGRES_TUPLES_OK;
        PQclear(result);
        return ok;
    }
    void Prepare(const char* name, const char* sql, int params) {
        PQclear(PQprepare(m_conn, name, sql, params, nullptr));
    }
    // Runs a prepared statement with text parameters and, where given, one
    // binary parameter; the result, in binary form, to be cleared.
    PGresult* Run(const char* name, const std::vector<std::string>& texts, const std::string* binary = nullptr) {
        std::vector<const char*> values;
        std::vector<int> lengths, formats;
        for (const std::string& text : texts) {
            values.push_back(text.c_str());
            lengths.push_back(static_cast<int>(text.size()));
            formats.push_back(0);
        }
        if (binary) {
            values.push_back(binary->data());
            lengths.push_back(static_cast<int>(binary->size()));
            formats.push_back(1);
        }
        return PQexecPrepared(m_conn, name, static_cast<int>(values.size()), values.data(), lengths.data(),
                              formats.data(), 1);
    }

private:
    PGconn* m_conn;
};

// The data every benchmark shares: a fukuro of to-do tips made through the
// kit, and a raw table of as many rows of the same sizes holding the same
// list lines.
class BenchData {
public:
    static BenchData& Get() {
        static BenchData data;
        return data;
    }

    CVAROObj kit;
    long db = 0;
    std::vector<long> tips;
    std::unique_ptr<RawServer> raw;
    std::string memoBlob;

private:
    BenchData() {
        std::string server = getenv("VARO_SERVER") ? getenv("VARO_SERVER") : "";
        if (server.empty()) server = m_cluster.Start();
        setenv("VARO_SERVER", server.c_str(), 1);
        m_folder = "/tmp/varo-server-bench-" + std::to_string(getpid());
        setenv("VARO_DATA_DIR", m_folder.c_str(), 1);
        raw.reset(new RawServer(server));
        if (server.empty() || !raw->Ok() || kit.Init(nullptr) != 1 || kit.Create("bench", &db) != 0 ||
            kit.Open(db) != 0 || !raw->Exec(kRawSchema)) {
            std::fprintf(stderr, "server_bench: no server or no engine\n");
            std::exit(1);
        }
        kit.FukuroLockOpen(db, kToDo);
        for (int i = 0; i < kFukuroTips; ++i) tips.push_back(NewToDo(i));
        kit.FukuroClose(db, kToDo);
        raw->Prepare("insert", "INSERT INTO raw_bench.tips(fukuro, position, data) VALUES($1, $2, $3)", 3);
        FillRaw();
        kit.FukuroLockOpen(db, kMemo);
        const long memo = kitloops::StoreMemo(kit, db);
        kit.FukuroClose(db, kMemo);
        memoBlob.assign(static_cast<size_t>(StoredSizes()[memo]), 'm');
    }
    ~BenchData() {
        kit.Delete(db, 2);
        kit.End();
        raw->Exec("DROP SCHEMA IF EXISTS raw_bench CASCADE");
        raw.reset();
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
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

    // The bytes the engine stores for each tip.
    std::map<long, long> StoredSizes() {
        char sql[96];
        snprintf(sql, sizeof sql, "SELECT id, octet_length(fields) FROM vdb%08lx.tip", static_cast<unsigned long>(db));
        PGresult* result = PQexec(raw->Conn(), sql);
        std::map<long, long> sizes;
        for (int row = 0; row < PQntuples(result); ++row) {
            sizes[std::atol(PQgetvalue(result, row, 0))] = std::atol(PQgetvalue(result, row, 1));
        }
        PQclear(result);
        return sizes;
    }

    // Each to-do's list line, as the kit shows it, in a row of the engine's size.
    void FillRaw() {
        const std::map<long, long> sizes = StoredSizes();
        raw->Exec("BEGIN");
        CString line;
        for (size_t i = 0; i < tips.size(); ++i) {
            kit.GetTip(db, kToDo, tips[i]);
            kit.GetDisplayString(line);
            std::string blob = line.Bytes();
            blob.resize(std::max<size_t>(blob.size() + 1, static_cast<size_t>(sizes.at(tips[i]))), '\0');
            PQclear(raw->Run("insert", {std::to_string(kToDo), std::to_string(i)}, &blob));
        }
        raw->Exec("COMMIT");
    }

    OwnCluster m_cluster;
    std::string m_folder;
};

void KitWalk(benchmark::State& state) { kitloops::Walk(BenchData::Get().kit, BenchData::Get().db, state); }

// The rows come one at a time from one query, started again at the end.
void RawWalk(benchmark::State& state) {
    BenchData& data = BenchData::Get();
    PGconn* conn = data.raw->Conn();
    const std::string fukuro = std::to_string(kToDo);
    const char* values[] = {fukuro.c_str()};
    auto start = [&] {
        PQsendQueryParams(conn, "SELECT data FROM raw_bench.tips WHERE fukuro=$1 ORDER BY position", 1, nullptr,
                          values, nullptr, nullptr, 1);
        PQsetSingleRowMode(conn);
    };
    start();
    std::string line;
    for (auto _ : state) {
        PGresult* row = PQgetResult(conn);
        if (!row || PQresultStatus(row) != PGRES_SINGLE_TUPLE) {
            PQclear(row);
            while ((row = PQgetResult(conn))) PQclear(row);
            start();
            continue;
        }
        const char* bytes = PQgetvalue(row, 0, 0);
        line.assign(bytes, strnlen(bytes, static_cast<size_t>(PQgetlength(row, 0, 0))));
        benchmark::DoNotOptimize(line);
        PQclear(row);
    }
    for (PGresult* rest; (rest = PQgetResult(conn));) PQclear(rest);
}

void KitStore(benchmark::State& state) { kitloops::StoreMemos(BenchData::Get().kit, BenchData::Get().db, state); }

void RawStore(benchmark::State& state) {
    BenchData& data = BenchData::Get();
    long position = 0;
    for (auto _ : state) {
        PQclear(data.raw->Run("insert", {std::to_string(kMemo), std::to_string(position++)}, &data.memoBlob));
    }
}

void KitReadChangeWrite(benchmark::State& state) {
    BenchData& data = BenchData::Get();
    kitloops::ReadChangeWrite(data.kit, data.db, data.tips, state);
}

void RawReadChangeWrite(benchmark::State& state) {
    BenchData& data = BenchData::Get();
    data.raw->Prepare("select", "SELECT data FROM raw_bench.tips WHERE id=$1", 1);
    data.raw->Prepare("update", "UPDATE raw_bench.tips SET data=$2 WHERE id=$1", 2);
    long next = 0;
    std::string bytes;
    for (auto _ : state) {
        const std::string id = std::to_string(1 + next++ % kFukuroTips);
        PGresult* row = data.raw->Run("select", {id});
        bytes.assign(PQgetvalue(row, 0, 0), static_cast<size_t>(PQgetlength(row, 0, 0)));
        PQclear(row);
        bytes[0] = 'y';
        PQclear(data.raw->Run("update", {id}, &bytes));
    }
}

void KitRandomGetTip(benchmark::State& state) {
    BenchData& data = BenchData::Get();
    kitloops::RandomGetTip(data.kit, data.db, data.tips, state);
}

void RawRandomGetTip(benchmark::State& state) {
    BenchData& data = BenchData::Get();
    data.raw->Prepare("select", "SELECT data FROM raw_bench.tips WHERE id=$1", 1);
    std::mt19937 random(7);
    std::uniform_int_distribution<long> pick(1, kFukuroTips);
    for (auto _ : state) {
        PGresult* row = data.raw->Run("select", {std::to_string(pick(random))});
        benchmark::DoNotOptimize(PQgetvalue(row, 0, 0));
        PQclear(row);
    }
}

BENCHMARK(KitWalk);
BENCHMARK(RawWalk);
BENCHMARK(KitStore)->Iterations(3000);
BENCHMARK(RawStore)->Iterations(3000);
BENCHMARK(KitReadChangeWrite);
BENCHMARK(RawReadChangeWrite);
BENCHMARK(KitRandomGetTip);
BENCHMARK(RawRandomGetTip);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
