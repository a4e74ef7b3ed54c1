// Locks between engine instances and processes, the read-only state and the
// compact layout of tips read in it.
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "EngineTestSupport.h"

namespace enginetest {
namespace {

using namespace varo;

const char* const kCompactTags[] = {"TAFL", "SCRT", "TCDY", "MARK", "FNDY", "TIME", "LTDY", "MEMO", "NAME", "OFCE",
                                    "ETDY", "CLAS", "FLNM", "PRTY", "POSN", "CLOR", "PPLN", "PEND", "LMTM"};

class LockTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        m_db = CreateDatabase(u"locks");
        m_other = OpenedEngine(m_db);
    }
    // The second engine goes before the host it borrows.
    void TearDown() override {
        m_other.reset();
        EngineTest::TearDown();
    }
    int32_t Put(Engine& engine, int32_t fukuro, int32_t id) { return PutTip(m_db, fukuro, id, ToDoFields("x"), &engine); }
    int32_t LockFukuro(Engine& engine, int32_t fukuro) { return Call(engine, kOpFukuroLockOpen, {I4(m_db), I4(fukuro)}); }
    int32_t ReadOnly(Engine& engine) { return Call(engine, kOpIsReadOnly, {}); }
    int32_t OpenFukuro(Engine& engine, int32_t fukuro) { return Call(engine, kOpFukuroOpen, {I4(m_db), I4(fukuro)}); }
    // The fields of the next tip this fixture's engine reads in the open fukuro.
    std::vector<Field> ReadNext(int32_t fukuro) {
        int32_t tip = 0;
        void* buffer = nullptr;
        const int32_t code =
            Call(*m_engine, kOpReadTip, {I4(m_db), I4(fukuro), I4(1), I4Out(&tip), AddressOut(&buffer)});
        if (code != kEngineOk || !buffer) return {};
        std::vector<Field> fields = ReadBack(buffer);
        EXPECT_EQ(kEngineOk, Call(*m_engine, kOpReleaseTip, {I4(m_db), Address(buffer)}));
        return fields;
    }

    int32_t m_db = 0;
    std::unique_ptr<Engine> m_other;
};

TEST_F(LockTest, ADatabaseLockMakesEveryOtherInstanceReadOnly) {
    const int32_t tip = PutToDo(m_db, kToDo, "before");
    ASSERT_EQ(kEngineOk, OpenDb(m_db, nullptr, kOpLockOpen));
    EXPECT_EQ(kEngineLocked, OpenDb(m_db, m_other.get(), kOpLockOpen));
    EXPECT_EQ(0, Call(*m_other, kOpDBLock, {I4(m_db)}));
    EXPECT_EQ(kEngineLocked, LockFukuro(*m_other, kToDo));
    ASSERT_EQ(kEngineOk, Call(*m_other, kOpFukuroOpen, {I4(m_db), I4(kToDo)}));
    EXPECT_EQ(1, ReadOnly(*m_other));
    EXPECT_EQ(0, ReadOnly(*m_engine));
    EXPECT_EQ(kEngineReadOnly, Put(*m_other, kToDo, 0));
    EXPECT_EQ(kEngineReadOnly, Put(*m_other, kToDo, tip));
    int32_t fukuro = 0;
    EXPECT_EQ(kEngineReadOnly, Call(*m_other, kOpFukuroCreate, {I4(m_db), I4Out(&fukuro), Text(u"x"), I4(0)}));
    EXPECT_EQ(kEngineOk, Put(*m_engine, kToDo, tip));

    // Unlocking (here by closing) gives the others their writes back, and
    // their next opening is writable.
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpClose, {I4(m_db)}));
    EXPECT_EQ(kEngineOk, Put(*m_other, kToDo, tip));
    ASSERT_EQ(kEngineOk, OpenFukuro(*m_other, kToDo));
    EXPECT_EQ(0, ReadOnly(*m_other));
    EXPECT_EQ(1, Call(*m_other, kOpDBLock, {I4(m_db)}));
    EXPECT_EQ(1, Call(*m_other, kOpDBUnLock, {I4(m_db)}));
    EXPECT_EQ(0, Call(*m_other, kOpDBUnLock, {I4(m_db)}));
    EXPECT_EQ(0, Call(*m_engine, kOpDBLock, {I4(m_db)}));  // not open here
}

TEST_F(LockTest, AFukuroLockGuardsItsFukuroAndTheTipsInIt) {
    const int32_t locked = PutToDo(m_db, kToDo, "in the locked fukuro");
    const int32_t free = PutToDo(m_db, kMemo, "elsewhere");
    ASSERT_EQ(kEngineOk, LockFukuro(*m_engine, kToDo));
    EXPECT_EQ(kEngineLocked, LockFukuro(*m_other, kToDo));
    EXPECT_EQ(kEngineOk, LockFukuro(*m_other, kMemo));
    EXPECT_EQ(kEngineLocked, OpenDb(m_db, m_other.get(), kOpLockOpen));
    EXPECT_EQ(kEngineLocked, OpenDb(m_db, nullptr, kOpLockOpen));  // the other's fukuro lock

    EXPECT_EQ(kEngineReadOnly, Put(*m_other, kToDo, 0));
    EXPECT_EQ(kEngineReadOnly, Put(*m_other, 0, locked));  // by id alone
    int32_t list[] = {locked, 0};
    EXPECT_EQ(kEngineReadOnly, Call(*m_other, kOpRemoveTip, {I4(m_db), I4(0), Buffer(list)}));
    EXPECT_EQ(kEngineOk, Put(*m_other, kMemo, free));

    // Reading a tip of the locked fukuro puts the reader in the read-only state,
    // and the tip comes in the compact layout.
    const std::vector<Field> compact = GetFields(m_db, 0, locked, m_other.get());
    EXPECT_EQ(1, ReadOnly(*m_other));
    ASSERT_EQ(19u, compact.size());
    for (size_t i = 0; i < compact.size(); ++i) EXPECT_EQ(kCompactTags[i], compact[i].tag);
    EXPECT_EQ("in the locked fukuro", TextOf(&compact[7]));
    EXPECT_EQ("\x93\xe0\x97\x65" /* 内容 */, compact[7].label);
    EXPECT_EQ(14u, TextOf(&compact[18]).size());
    EXPECT_TRUE(compact[5].data.empty());  // a to-do tip has no TIME
    EXPECT_EQ(std::vector<uint8_t>({0x00, 0x03}), compact[0].data);

    EXPECT_EQ(11u, GetFields(m_db, 0, free, m_other.get()).size());
    EXPECT_EQ(0, ReadOnly(*m_other));
    EXPECT_EQ(11u, GetFields(m_db, 0, locked).size());  // the holder reads it whole
    EXPECT_EQ(0, ReadOnly(*m_engine));
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpFukuroClose, {I4(m_db), I4(kToDo)}));
    EXPECT_EQ(kEngineOk, Put(*m_other, 0, locked));
}

// The kit learns the read-only state only right after a fukuro opening or a
// GetTip, so the tips it reads must come in the layout of that state, even
// when another instance takes or drops a lock in between; writes still meet
// the locks of their own moment.
TEST_F(LockTest, AnOpeningAndAGetTipKeepTheStateTheirLayoutUsed) {
    const int32_t tip = PutToDo(m_db, kToDo, "walked");

    ASSERT_EQ(kEngineOk, OpenFukuro(*m_engine, kToDo));
    EXPECT_EQ(0, ReadOnly(*m_engine));
    ASSERT_EQ(kEngineOk, LockFukuro(*m_other, kToDo));
    std::vector<Field> read = ReadNext(kToDo);
    ASSERT_EQ(11u, read.size());
    EXPECT_EQ("walked", TextOf(FindTag(read, "MEMO")));
    EXPECT_EQ(0, ReadOnly(*m_engine));
    EXPECT_EQ(kEngineReadOnly, Put(*m_engine, kToDo, tip));

    // Opened again under the other's lock: compact until the next opening,
    // though the lock goes away meanwhile.
    ASSERT_EQ(kEngineOk, OpenFukuro(*m_engine, kToDo));
    EXPECT_EQ(1, ReadOnly(*m_engine));
    ASSERT_EQ(kEngineOk, Call(*m_other, kOpFukuroClose, {I4(m_db), I4(kToDo)}));
    read = ReadNext(kToDo);
    ASSERT_EQ(19u, read.size());
    EXPECT_EQ("walked", TextOf(&read[7]));
    EXPECT_EQ(1, ReadOnly(*m_engine));
    EXPECT_EQ(kEngineOk, Put(*m_engine, kToDo, tip));
    ASSERT_EQ(kEngineOk, OpenFukuro(*m_engine, kToDo));
    EXPECT_EQ(0, ReadOnly(*m_engine));
    EXPECT_EQ(11u, ReadNext(kToDo).size());

    // IsReadOnly after GetTip answers for the layout GetTip chose.
    ASSERT_EQ(kEngineOk, LockFukuro(*m_other, kToDo));
    EXPECT_EQ(19u, GetFields(m_db, kToDo, tip).size());
    ASSERT_EQ(kEngineOk, Call(*m_other, kOpFukuroClose, {I4(m_db), I4(kToDo)}));
    EXPECT_EQ(1, ReadOnly(*m_engine));
    EXPECT_EQ(11u, GetFields(m_db, kToDo, tip).size());
    ASSERT_EQ(kEngineOk, LockFukuro(*m_other, kToDo));
    EXPECT_EQ(0, ReadOnly(*m_engine));

    // A GetTip between an opening and its reads fixes a newer state, which
    // the reads follow, as the kit's one flag does.
    ASSERT_EQ(kEngineOk, OpenFukuro(*m_engine, kToDo));
    EXPECT_EQ(1, ReadOnly(*m_engine));
    ASSERT_EQ(kEngineOk, Call(*m_other, kOpFukuroClose, {I4(m_db), I4(kToDo)}));
    EXPECT_EQ(11u, GetFields(m_db, kToDo, tip).size());
    EXPECT_EQ(0, ReadOnly(*m_engine));
    EXPECT_EQ(11u, ReadNext(kToDo).size());
}

TEST_F(LockTest, PreferenceAndControlTipsKeepTheirLayoutWhenReadOnly) {
    int32_t pref = 0;
    int32_t control = 0;
    ASSERT_EQ(kEngineOk, PutTip(m_db, 0x3014, 0, PreferenceFields("Category"), nullptr, &pref));
    ASSERT_EQ(kEngineOk, PutTip(m_db, 0x3011, 0, ControlFields(1, {0x3012}, 40), nullptr, &control));
    ASSERT_EQ(kEngineOk, OpenDb(m_db, nullptr, kOpLockOpen));
    const std::vector<Field> readPreference = GetFields(m_db, 0, pref, m_other.get());
    EXPECT_EQ(1, ReadOnly(*m_other));
    ASSERT_EQ(4u, readPreference.size());
    EXPECT_EQ("Category", TextOf(&readPreference[1]));
    EXPECT_EQ(4u, GetFields(m_db, 0x3011, control, m_other.get()).size());
}

TEST_F(LockTest, ANonWritableFileOpensReadOnly) {
    const int32_t tip = PutToDo(m_db, kToDo, "stored");
    const std::string file = Location(m_db);
    m_other.reset();
    m_engine.reset();
    ASSERT_EQ(0, chmod(file.c_str(), 0400));
    m_engine = NewEngine(*m_host);

    int16_t flag = 0;
    ASSERT_EQ(kEngineOk, OpenDb(m_db, nullptr, kOpOpen, &flag));
    EXPECT_EQ(1, flag);
    EXPECT_EQ(19u, GetFields(m_db, 0, tip).size());
    EXPECT_EQ(1, ReadOnly(*m_engine));
    EXPECT_EQ(kEngineReadOnly, Put(*m_engine, kToDo, tip));
    EXPECT_EQ(kEngineReadOnly, LockFukuro(*m_engine, kToDo));
    EXPECT_EQ(kEngineReadOnly, OpenDb(m_db, nullptr, kOpLockOpen));
    EXPECT_EQ(kEngineOk, Call(*m_engine, kOpDBCheck, {I4(m_db)}));
    chmod(file.c_str(), 0600);
}

TEST_F(LockTest, LocksAreSeenAcrossProcessesAndDieWithTheirHolder) {
    m_other.reset();
    int ready[2];
    ASSERT_EQ(0, pipe(ready));
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        FakeHost host;
        std::unique_ptr<Engine> engine = NewEngine(host);
        const bool locked = OpenDb(m_db, engine.get(), kOpLockOpen) == kEngineOk && LockFukuro(*engine, kToDo) == kEngineOk;
        const char answer = locked ? 'L' : 'F';
        if (write(ready[1], &answer, 1) != 1) _exit(2);
        pause();
        _exit(0);
    }
    close(ready[1]);
    char answer = 0;
    ASSERT_EQ(1, read(ready[0], &answer, 1));
    close(ready[0]);
    ASSERT_EQ('L', answer);

    EXPECT_EQ(kEngineLocked, OpenDb(m_db, nullptr, kOpLockOpen));
    EXPECT_EQ(kEngineLocked, LockFukuro(*m_engine, kToDo));
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpFukuroOpen, {I4(m_db), I4(kToDo)}));
    EXPECT_EQ(1, ReadOnly(*m_engine));
    EXPECT_EQ(kEngineReadOnly, Put(*m_engine, kToDo, 0));

    // The lock of a process dies with it: at once on files, on a server as
    // soon as the server has seen the connection close.
    kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(child, waitpid(child, &status, 0));
    for (int wait = 0; wait < 100; ++wait) {
        ASSERT_EQ(kEngineOk, Call(*m_engine, kOpFukuroOpen, {I4(m_db), I4(kToDo)}));
        if (ReadOnly(*m_engine) == 0) break;
        usleep(20000);
    }
    EXPECT_EQ(0, ReadOnly(*m_engine));
    EXPECT_EQ(kEngineOk, OpenDb(m_db, nullptr, kOpLockOpen));
    EXPECT_EQ(kEngineOk, LockFukuro(*m_engine, kToDo));
    EXPECT_EQ(kEngineOk, Put(*m_engine, kToDo, 0));
}

}  // namespace
}  // namespace enginetest
