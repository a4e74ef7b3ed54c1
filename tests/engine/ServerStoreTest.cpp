// What only a server store does: two machines (processes with data folders
// of their own) sharing one database, a layout newer than the engine's, a
// server out of reach or restarted, and a check of the stored rows. Every
// test here is skipped on a run without a server.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <functional>

#include "EngineTestSupport.h"
#include "Notifier.h"
#include "Sqlite.h"

namespace enginetest {
namespace {

using namespace varo;
using servertest::RunOnServer;

const char kData[] = "VARO_ON_ADVISE_DATA";

// Another machine: a child process with its own data folder and host, on the
// same server. It runs `work` and tells the parent its one-character result
// through a pipe, then waits to be killed.
class Machine {
public:
    Machine(const std::string& folder, const std::function<char(Engine&)>& work) {
        int pipeEnds[2];
        if (pipe(pipeEnds) != 0) return;
        m_pid = fork();
        if (m_pid == 0) {
            close(pipeEnds[0]);
            setenv("VARO_DATA_DIR", folder.c_str(), 1);
            FakeHost host;
            std::unique_ptr<Engine> engine = NewEngine(host);
            const char answer = work(*engine);
            if (write(pipeEnds[1], &answer, 1) != 1) _exit(2);
            pause();
            _exit(0);
        }
        close(pipeEnds[1]);
        m_answer = pipeEnds[0];
    }
    ~Machine() {
        Kill();
        if (m_answer >= 0) close(m_answer);
    }
    // The child's answer; 0 when it gave none.
    char Answer() {
        char answer = 0;
        return m_answer >= 0 && read(m_answer, &answer, 1) == 1 ? answer : 0;
    }
    void Kill() {
        if (m_pid <= 0) return;
        kill(m_pid, SIGKILL);
        int status = 0;
        waitpid(m_pid, &status, 0);
        m_pid = -1;
    }

private:
    pid_t m_pid = -1;
    int m_answer = -1;
};

class ServerStoreTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        if (!m_server->Active()) GTEST_SKIP() << "no server for this run";
        Call(*m_engine, kOpInit, {Address(&m_owner)});
        m_db = CreateDatabase(u"shared");
    }
    std::string OtherFolder() const { return m_folder + "other-machine/"; }
    int32_t ReadOnly() { return Call(*m_engine, kOpIsReadOnly, {}); }
    // Whether `condition` holds on the test's server.
    bool ServerHolds(const std::string& condition) {
        return RunOnServer(m_server->Server(),
                           "DO $$ BEGIN IF NOT (" + condition + ") THEN RAISE EXCEPTION 'no'; END IF; END $$");
    }
    // The hexadecimal part of the name of the test database's schema.
    std::string SchemaNumber() const {
        char number[16];
        snprintf(number, sizeof number, "%08x", static_cast<uint32_t>(m_db));
        return number;
    }
    // Runs `sql` in the schema of the test's database.
    bool RunInDatabase(const std::string& sql) {
        return RunOnServer(m_server->Server(), "SET search_path TO vdb" + SchemaNumber() + "; " + sql);
    }

    int m_owner = 0;
    int32_t m_db = 0;
};

TEST_F(ServerStoreTest, AnotherMachinesLockHoldsThisOneOffUntilItsHolderDies) {
    const int32_t tip = PutToDo(m_db, kToDo, "shared");
    const int32_t db = m_db;
    Machine other(OtherFolder(), [db](Engine& engine) {
        int16_t flag = 0;
        return Call(engine, kOpLockOpen, {I4(db), I2Out(&flag)}) == kEngineOk ? 'L' : 'F';
    });
    ASSERT_EQ('L', other.Answer());
    EXPECT_EQ(kEngineLocked, OpenDb(m_db, nullptr, kOpLockOpen));
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpFukuroOpen, {I4(m_db), I4(kToDo)}));
    EXPECT_EQ(1, ReadOnly());
    EXPECT_EQ(kEngineReadOnly, PutTip(m_db, kToDo, tip, ToDoFields("refused")));
    EXPECT_EQ("shared", Memo(m_db, kToDo, tip));

    other.Kill();
    int32_t code = kEngineLocked;
    for (int wait = 0; wait < 100 && code == kEngineLocked; ++wait) {
        code = OpenDb(m_db, nullptr, kOpLockOpen);
        if (code == kEngineLocked) usleep(20000);
    }
    EXPECT_EQ(kEngineOk, code);
    EXPECT_EQ(kEngineOk, PutTip(m_db, kToDo, tip, ToDoFields("taken over")));
}

// The lock probe an operation sends ahead answers that operation alone: one
// that failed before reading it leaves no answer for a later question.
TEST_F(ServerStoreTest, ALockProbeSentAheadAnswersItsOwnOperationOnly) {
    PutToDo(m_db, kToDo, "probed once");
    void* buffer = nullptr;
    EXPECT_EQ(kEngineNoSuchTip, Call(*m_engine, kOpGetTip, {I4(m_db), I4(kToDo), I4(4242), AddressOut(&buffer)}));
    const int32_t db = m_db;
    Machine other(OtherFolder(), [db](Engine& engine) {
        int16_t flag = 0;
        return Call(engine, kOpLockOpen, {I4(db), I2Out(&flag)}) == kEngineOk ? 'L' : 'F';
    });
    ASSERT_EQ('L', other.Answer());
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpFukuroOpen, {I4(m_db), I4(kToDo)}));
    EXPECT_EQ(1, ReadOnly());
}

TEST_F(ServerStoreTest, AChangeFromAnotherMachineIsNoticedAndConflictsWithAStaleStore) {
    const int32_t tip = PutToDo(m_db, kToDo, "first");
    WatchItem item{m_db, kToDo, 0};
    WatchList list{1, &item};
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpSetAdviseData, {Buffer(&list)}));
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpBeginAdviseData, {}));
    ASSERT_EQ("first", Memo(m_db, kToDo, tip));

    const int32_t db = m_db;
    Machine other(OtherFolder(), [db, tip](Engine& engine) {
        int16_t flag = 0;
        if (Call(engine, kOpOpen, {I4(db), I2Out(&flag)}) != kEngineOk) return 'O';
        void* buffer = nullptr;
        if (Call(engine, kOpGetTip, {I4(db), I4(kToDo), I4(tip), AddressOut(&buffer)}) != kEngineOk) return 'G';
        Call(engine, kOpReleaseTip, {I4(db), Address(buffer)});
        TipBuffer changed(ToDoFields("second"));
        int32_t id = tip;
        return Call(engine, kOpPutTip, {I4(db), I4(kToDo), I4Out(&id), Address(changed.Address())}) == kEngineOk
                   ? 'P'
                   : 'F';
    });
    ASSERT_EQ('P', other.Answer());

    EXPECT_EQ(kEngineChanged, PutTip(m_db, kToDo, tip, ToDoFields("stale")));
    EXPECT_EQ("second", Memo(m_db, kToDo, tip));
    EXPECT_EQ(kEngineOk, PutTip(m_db, kToDo, tip, ToDoFields("third")));

    bool noticed = false;
    for (const FakeHost::Posted& posted : m_host->Pumped(kData)) {
        const auto* notice = reinterpret_cast<const engine::AdviseNotice*>(posted.lParam);
        noticed = noticed || (notice->tip == tip && notice->change == static_cast<int32_t>(engine::ChangeKind::TipChanged));
        Call(*m_engine, kOpFreeAdviseData, {Address(reinterpret_cast<void*>(posted.lParam))});
    }
    EXPECT_TRUE(noticed);
}

// Read, change and write on two machines at once, a thousand times each:
// every store either wins or is told that the tip changed, so no increment
// is lost.
TEST_F(ServerStoreTest, ReadChangeWriteOnTwoMachinesLosesNoUpdate) {
    const int cycles = 1000;
    const int32_t tip = PutToDo(m_db, kToDo, "0");
    const int32_t db = m_db;
    auto increment = [db, tip, cycles](Engine& engine) {
        int16_t flag = 0;
        if (Call(engine, kOpOpen, {I4(db), I2Out(&flag)}) != kEngineOk) return 'O';
        for (int done = 0; done < cycles;) {
            void* buffer = nullptr;
            if (Call(engine, kOpGetTip, {I4(db), I4(kToDo), I4(tip), AddressOut(&buffer)}) != kEngineOk) return 'G';
            const int value = std::stoi(TextOf(FindTag(ReadBack(buffer), "MEMO")));
            Call(engine, kOpReleaseTip, {I4(db), Address(buffer)});
            TipBuffer changed(ToDoFields(std::to_string(value + 1)));
            int32_t id = tip;
            const int32_t code = Call(engine, kOpPutTip, {I4(db), I4(kToDo), I4Out(&id), Address(changed.Address())});
            if (code == kEngineOk) ++done;
            if (code != kEngineOk && code != kEngineChanged) return 'F';
        }
        return 'D';
    };
    Machine first(OtherFolder() + "1/", increment);
    Machine second(OtherFolder() + "2/", increment);
    ASSERT_EQ('D', first.Answer());
    ASSERT_EQ('D', second.Answer());
    EXPECT_EQ(std::to_string(2 * cycles), Memo(m_db, kToDo, tip));
}

TEST_F(ServerStoreTest, ALayoutNewerThanTheEnginesIsRefusedAndLeftAlone) {
    ASSERT_TRUE(RunOnServer(m_server->Server(), "UPDATE varo.store_version SET version=version+1"));
    FakeHost host;
    std::unique_ptr<Engine> engine = NewEngine(host);
    EXPECT_EQ(kEngineOk, Call(*engine, kOpInit, {Address(&m_owner)}));
    int32_t id = 0;
    EXPECT_EQ(kEngineServerTooNew, Call(*engine, kOpCreate, {Text(u"refused"), I4Out(&id)}));
    EXPECT_EQ(kEngineServerTooNew, OpenDb(m_db, engine.get()));
    EXPECT_TRUE(ServerHolds("(SELECT count(*) FROM varo.known_database) = 1"));
    EXPECT_TRUE(ServerHolds("(SELECT version FROM varo.store_version) = 2"));
}

TEST_F(ServerStoreTest, CheckFindsAStoredTipThatDoesNotDecode) {
    const int32_t tip = PutToDo(m_db, kToDo, "whole");
    EXPECT_EQ(kEngineOk, Call(*m_engine, kOpDBCheck, {I4(m_db)}));
    ASSERT_TRUE(RunInDatabase("UPDATE tip SET fields='\\x0102'::bytea WHERE id=" + std::to_string(tip)));
    EXPECT_EQ(kEngineCorrupt, Call(*m_engine, kOpDBCheck, {I4(m_db)}));
    EXPECT_EQ(kEngineCorrupt, GetCode(m_db, kToDo, tip));
}

TEST_F(ServerStoreTest, DeleteFilesRemovesTheDatabaseFromTheServer) {
    PutToDo(m_db, kToDo, "gone");
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpDBBackup, {I4(m_db)}));
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpClose, {I4(m_db)}));
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpDeleteFiles, {I4(m_db)}));
    EXPECT_FALSE(RunInDatabase("SELECT 1 FROM tip"));
    EXPECT_EQ(kEngineNoBackup, Call(*m_engine, kOpCheckBKFlg, {I4(m_db)}));
    EXPECT_EQ(kEngineNoSuchDatabase, OpenDb(m_db));
}

// A server that cannot be reached: Init succeeds, every operation answers
// with the code at once after the connect timeout, never hangs.
TEST_F(ServerStoreTest, AServerOutOfReachAnswersWithItsCodeWithinSeconds) {
    setenv("VARO_SERVER", ("host=" + m_folder + "nowhere dbname=varo").c_str(), 1);
    FakeHost host;
    std::unique_ptr<Engine> engine = NewEngine(host);
    setenv("VARO_SERVER", m_server->Server().c_str(), 1);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(kEngineOk, Call(*engine, kOpInit, {Address(&m_owner)}));
    int32_t id = 0;
    EXPECT_EQ(kEngineServerUnreachable, Call(*engine, kOpCreate, {Text(u"none"), I4Out(&id)}));
    EXPECT_EQ(kEngineServerUnreachable, OpenDb(m_db, engine.get()));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

// Values the server sends in a form their column's type does not allow, or
// asked for beyond the row, read as 0 or empty, never past their bytes.
TEST_F(ServerStoreTest, ValuesInAFormTheirTypeDoesNotAllowReadAsNothing) {
    engine::Connection sql;
    ASSERT_EQ(0, sql.OpenServer(m_server->Server(), "varo", 0, true));
    engine::Statement odd = sql.Prepare(
        "SELECT 'not a number', '99999999999999999999', '-12', 2.5::float8, NULL::bigint, ''::bytea");
    ASSERT_TRUE(odd.Next());
    EXPECT_EQ(0, odd.Int(0));
    EXPECT_EQ(0, odd.Int(1));
    EXPECT_EQ(-12, odd.Int(2));
    EXPECT_EQ(0, odd.Int(3));
    EXPECT_TRUE(odd.IsNull(4));
    EXPECT_EQ(0, odd.Int(4));
    EXPECT_FALSE(odd.IsNull(5));
    EXPECT_EQ(0u, odd.Span(5).size);
    EXPECT_EQ(0, odd.Int(6));
    EXPECT_TRUE(odd.Text(6).empty());
    EXPECT_FALSE(odd.Next());

    engine::Statement numbers = sql.Prepare("SELECT (-5)::int2, (-7)::int4, (-9)::int8, true, false");
    ASSERT_TRUE(numbers.Next());
    const std::vector<int64_t> expected = {-5, -7, -9, 1, 0};
    for (int column = 0; column < 5; ++column) EXPECT_EQ(expected[column], numbers.Int(column)) << column;
}

// A cluster of the test's own, to stop and start under a running engine.
class OwnCluster {
public:
    OwnCluster() : m_folder("/tmp/varo-restart-" + std::to_string(getpid())) { m_started = Run("start"); }
    ~OwnCluster() { Run("stop"); }
    bool Started() const { return m_started; }
    bool Run(const char* action) {
        const std::string command = "VARO_PG_WATCH=" + std::to_string(getpid()) + " " VARO_PG_CLUSTER " " +
                                    action + " " + m_folder;
        return system(command.c_str()) == 0;
    }
    std::string Server() const { return "host=" + m_folder + "/run dbname=varo user=varo"; }
    // An engine that keeps its databases on this cluster, while the rest of
    // the test goes on with the suite's server.
    std::unique_ptr<Engine> NewEngineOn(FakeHost& host, const std::string& suiteServer) const {
        setenv("VARO_SERVER", Server().c_str(), 1);
        std::unique_ptr<Engine> engine = NewEngine(host);
        setenv("VARO_SERVER", suiteServer.c_str(), 1);
        return engine;
    }

private:
    std::string m_folder;
    bool m_started = false;
};

// A store's writes go to the server together with its COMMIT: one that
// fails there, after others were sent and before the rest, fails the store
// and leaves nothing of it behind; the connection goes on.
TEST_F(ServerStoreTest, AWriteRefusedAmongThoseSentTogetherUndoesTheWholeStore) {
    const int32_t tip = PutToDo(m_db, kToDo, "kept");
    const std::vector<int32_t> before = TipList(m_db, kToDo);
    ASSERT_TRUE(RunInDatabase("ALTER TABLE member ADD CONSTRAINT refused CHECK (fukuro_id <> " +
                              std::to_string(kToDo) + ") NOT VALID"));
    EXPECT_EQ(kEngineStorageError, PutTip(m_db, kToDo, 0, ToDoFields("refused")));
    EXPECT_EQ(before, TipList(m_db, kToDo));
    EXPECT_TRUE(ServerHolds("(SELECT count(*) FROM vdb" + SchemaNumber() + ".tip) = 1"));
    EXPECT_TRUE(ServerHolds("(SELECT count(*) FROM vdb" + SchemaNumber() + ".change_log) = 1"));

    ASSERT_TRUE(RunInDatabase("ALTER TABLE member DROP CONSTRAINT refused;"
                              " ALTER TABLE change_log ADD CONSTRAINT refused CHECK (change <> 2) NOT VALID"));
    EXPECT_EQ(kEngineStorageError, PutTip(m_db, kToDo, tip, ToDoFields("changed")));
    EXPECT_EQ("kept", Memo(m_db, kToDo, tip));

    ASSERT_TRUE(RunInDatabase("ALTER TABLE change_log DROP CONSTRAINT refused"));
    EXPECT_EQ(kEngineOk, PutTip(m_db, kToDo, tip, ToDoFields("changed")));
    EXPECT_EQ("changed", Memo(m_db, kToDo, tip));
    int32_t added = 0;
    EXPECT_EQ(kEngineOk, PutTip(m_db, kToDo, 0, ToDoFields("added"), nullptr, &added));
    EXPECT_EQ("added", Memo(m_db, kToDo, added));
}

// The connection lost while the server works through a store's writes:
// the store fails as unreachable, nothing of it stays, and the next
// operation connects again.
TEST_F(ServerStoreTest, AConnectionLostAmongWritesSentTogetherUndoesTheStoreAndIsMadeAgain) {
    const int32_t tip = PutToDo(m_db, kToDo, "kept");
    ASSERT_TRUE(RunInDatabase(
        "CREATE FUNCTION end_session() RETURNS trigger AS $$ BEGIN PERFORM pg_terminate_backend(pg_backend_pid());"
        " RETURN NEW; END $$ LANGUAGE plpgsql;"
        " CREATE TRIGGER ends_session BEFORE INSERT ON change_log FOR EACH ROW EXECUTE FUNCTION end_session()"));
    EXPECT_EQ(kEngineServerUnreachable, PutTip(m_db, kToDo, tip, ToDoFields("lost")));
    ASSERT_TRUE(RunInDatabase("DROP TRIGGER ends_session ON change_log"));
    EXPECT_EQ("kept", Memo(m_db, kToDo, tip));
    EXPECT_EQ(kEngineOk, PutTip(m_db, kToDo, tip, ToDoFields("stored")));
    EXPECT_EQ("stored", Memo(m_db, kToDo, tip));
}

// What the common operations cost in round trips to the server, every
// connection of the process counted, with the fukuro locked as an
// application that writes holds it.
class RoundTripCount {
public:
    RoundTripCount() : m_start(varo::engine::ServerRoundTrips()) {}
    uint64_t Made() const { return varo::engine::ServerRoundTrips() - m_start; }

private:
    uint64_t m_start;
};

TEST_F(ServerStoreTest, CommonOperationsKeepToTheirRoundTrips) {
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpFukuroLockOpen, {I4(m_db), I4(kToDo)}));
    const int32_t tip = PutToDo(m_db, kToDo, "read and changed");
    // Every statement is prepared once on its connection: the second round counts.
    uint64_t store = 0, get = 0, change = 0, walk = 0;
    for (int round = 0; round < 2; ++round) {
        RoundTripCount storing;
        ASSERT_EQ(kEngineOk, PutTip(m_db, kToDo, 0, ToDoFields("stored")));
        store = storing.Made();
        void* buffer = nullptr;
        RoundTripCount getting;
        ASSERT_EQ(kEngineOk, Call(*m_engine, kOpGetTip, {I4(m_db), I4(kToDo), I4(tip), AddressOut(&buffer)}));
        get = getting.Made();
        ASSERT_EQ(kEngineOk, Call(*m_engine, kOpReleaseTip, {I4(m_db), Address(buffer)}));
        RoundTripCount changing;
        ASSERT_EQ(kEngineOk, PutTip(m_db, kToDo, tip, ToDoFields("changed")));
        change = changing.Made();
        RoundTripCount walking;
        for (int32_t read = -1; read != 0;) {
            ASSERT_EQ(kEngineOk,
                      Call(*m_engine, kOpReadTip, {I4(m_db), I4(kToDo), I4(1), I4Out(&read), AddressOut(&buffer)}));
            if (read != 0) {
                ASSERT_EQ(kEngineOk, Call(*m_engine, kOpReleaseTip, {I4(m_db), Address(buffer)}));
            }
        }
        walk = walking.Made();
        ASSERT_EQ(kEngineOk, Call(*m_engine, kOpFukuroClose, {I4(m_db), I4(kToDo)}));
        ASSERT_EQ(kEngineOk, Call(*m_engine, kOpFukuroLockOpen, {I4(m_db), I4(kToDo)}));
    }
    EXPECT_LE(store, 2u);
    EXPECT_LE(get, 1u);
    EXPECT_LE(change, 2u);
    EXPECT_LE(walk, 4u);
}

// Stopped between two operations, the server answers the next with the
// code quickly. Started again, the first operation connects again inside its
// own transaction: a store refused half way leaves nothing behind. The locks
// held before are gone: another instance may take them, and the first then
// finds itself read-only rather than writing on.
TEST_F(ServerStoreTest, AServerRestartedBetweenOperationsIsReconnectedWithoutItsLocks) {
    OwnCluster cluster;
    ASSERT_TRUE(cluster.Started());
    FakeHost host;
    std::unique_ptr<Engine> engine = cluster.NewEngineOn(host, m_server->Server());
    std::unique_ptr<Engine> rival = cluster.NewEngineOn(host, m_server->Server());
    ASSERT_EQ(kEngineOk, Call(*engine, kOpInit, {Address(&m_owner)}));
    int32_t db = 0;
    ASSERT_EQ(kEngineOk, Call(*engine, kOpCreate, {Text(u"restarted"), I4Out(&db)}));
    ASSERT_EQ(kEngineOk, OpenDb(db, engine.get(), kOpLockOpen));
    int32_t tip = 0;
    ASSERT_EQ(kEngineOk, PutTip(db, kToDo, 0, ToDoFields("before"), engine.get(), &tip));
    EXPECT_EQ(kEngineLocked, OpenDb(db, rival.get(), kOpLockOpen));

    ASSERT_TRUE(cluster.Run("halt"));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(kEngineServerUnreachable, PutTip(db, kToDo, tip, ToDoFields("while down"), engine.get()));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));

    ASSERT_TRUE(cluster.Run("resume"));
    char schema[16];
    snprintf(schema, sizeof schema, "vdb%08x", static_cast<uint32_t>(db));
    const std::string inSchema = "SET search_path TO " + std::string(schema) + "; ";
    ASSERT_TRUE(RunOnServer(cluster.Server(), inSchema + "ALTER TABLE member ADD CONSTRAINT refused CHECK (fukuro_id <> " +
                                                  std::to_string(kToDo) + ") NOT VALID"));
    EXPECT_EQ(kEngineStorageError, PutTip(db, kToDo, 0, ToDoFields("refused"), engine.get()));
    EXPECT_TRUE(RunOnServer(cluster.Server(), inSchema + "ALTER TABLE member DROP CONSTRAINT refused;"
                                                         " DO $$ BEGIN IF (SELECT count(*) FROM tip) <> 1 THEN"
                                                         " RAISE EXCEPTION 'left behind'; END IF; END $$"));

    EXPECT_EQ("before", Memo(db, kToDo, tip, engine.get()));
    EXPECT_EQ(kEngineOk, OpenDb(db, rival.get(), kOpLockOpen));
    EXPECT_EQ(kEngineReadOnly, PutTip(db, kToDo, tip, ToDoFields("unlocked"), engine.get()));
    EXPECT_EQ(0, Call(*engine, kOpDBUnLock, {I4(db)}));
    EXPECT_EQ(kEngineOk, PutTip(db, kToDo, tip, ToDoFields("by the rival"), rival.get()));
    EXPECT_EQ("by the rival", Memo(db, kToDo, tip, engine.get()));
}

}  // namespace
}  // namespace enginetest
