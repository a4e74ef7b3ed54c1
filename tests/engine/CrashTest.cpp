// A writer killed in the middle of its work loses nothing it was told was
// stored, and leaves a database that passes its check.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "EngineTestSupport.h"

namespace enginetest {
namespace {

using namespace varo;

const int32_t kToDo = 0x300C;
const int kAcknowledgedBeforeKill = 40;

class CrashTest : public EngineTest {};

std::string MemoFor(int32_t n) { return "tip number " + std::to_string(n); }

// Stores tips without end, telling the parent the id of each stored one.
[[noreturn]] void WriteForever(int32_t db, int out) {
    FakeHost host;
    std::unique_ptr<Engine> engine = NewEngine(host);
    int16_t flag = 0;
    if (Call(*engine, kOpLockOpen, {I4(db), I2Out(&flag)}) != kEngineOk) _exit(1);
    for (int32_t n = 0;; ++n) {
        TipBuffer tip(ToDoFields(MemoFor(n) + std::string(static_cast<size_t>(n % 7) * 300, '.')));
        int32_t id = 0;
        if (Call(*engine, kOpPutTip, {I4(db), I4(kToDo), I4Out(&id), Address(tip.Address())}) != kEngineOk) _exit(2);
        const int32_t record[2] = {n, id};
        if (write(out, record, sizeof record) != static_cast<ssize_t>(sizeof record)) _exit(3);
    }
}

TEST_F(CrashTest, AKilledWriterLeavesEveryAcknowledgedTipAndASoundFile) {
    const int32_t db = CreateDatabase(u"crash");
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpClose, {I4(db)}));
    int channel[2];
    ASSERT_EQ(0, pipe(channel));
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(channel[0]);
        WriteForever(db, channel[1]);
    }
    close(channel[1]);
    std::vector<std::pair<int32_t, int32_t>> acknowledged;
    int32_t record[2];
    while (acknowledged.size() < static_cast<size_t>(kAcknowledgedBeforeKill) &&
           read(channel[0], record, sizeof record) == static_cast<ssize_t>(sizeof record)) {
        acknowledged.emplace_back(record[0], record[1]);
    }
    kill(child, SIGKILL);
    while (read(channel[0], record, sizeof record) == static_cast<ssize_t>(sizeof record)) {
        acknowledged.emplace_back(record[0], record[1]);
    }
    close(channel[0]);
    int status = 0;
    ASSERT_EQ(child, waitpid(child, &status, 0));
    ASSERT_TRUE(WIFSIGNALED(status));
    ASSERT_GE(acknowledged.size(), static_cast<size_t>(kAcknowledgedBeforeKill));

    int16_t flag = 0;
    ASSERT_EQ(kEngineOk, Call(*m_engine, kOpLockOpen, {I4(db), I2Out(&flag)}));  // the writer's lock died with it
    EXPECT_EQ(kEngineOk, Call(*m_engine, kOpDBCheck, {I4(db)}));
    for (const auto& entry : acknowledged) {
        const std::string memo = TextOf(FindTag(GetFields(db, kToDo, entry.second), "MEMO"));
        EXPECT_EQ(0u, memo.find(MemoFor(entry.first))) << "tip " << entry.second;
    }
    const std::vector<int32_t> listed = TipList(db, kToDo);
    EXPECT_GE(listed.size(), acknowledged.size());
    EXPECT_LE(listed.size(), acknowledged.size() + 1);  // at most the one in flight
    EXPECT_GT(PutToDo(db, kToDo, "after the crash"), acknowledged.back().second);
}

}  // namespace
}  // namespace enginetest
