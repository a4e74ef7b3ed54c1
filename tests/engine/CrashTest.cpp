// A writer killed in the middle of its work loses nothing it was told was
// stored, and leaves a database that passes its check.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "EngineTestSupport.h"

namespace enginetest {
namespace {

using namespace varo;

const size_t kAcknowledgedBeforeKill = 40;

class CrashTest : public EngineTest {
protected:
    // Stores tips without end, telling the parent the number and id of each stored one.
    [[noreturn]] void WriteForever(int32_t db, int out) {
        FakeHost host;
        std::unique_ptr<Engine> engine = NewEngine(host);
        if (OpenDb(db, engine.get(), kOpLockOpen) != kEngineOk) _exit(1);
        for (int32_t record[2] = {0, 0};; ++record[0]) {
            const std::string memo = MemoFor(record[0]) + std::string(static_cast<size_t>(record[0] % 7) * 300, '.');
            if (PutTip(db, kToDo, 0, ToDoFields(memo), engine.get(), &record[1]) != kEngineOk) _exit(2);
            if (write(out, record, sizeof record) != static_cast<ssize_t>(sizeof record)) _exit(3);
        }
    }
    static std::string MemoFor(int32_t n) { return "tip number " + std::to_string(n); }
};

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
    // Read until enough are acknowledged, kill, then drain what was already sent.
    while (read(channel[0], record, sizeof record) == static_cast<ssize_t>(sizeof record)) {
        acknowledged.emplace_back(record[0], record[1]);
        if (acknowledged.size() == kAcknowledgedBeforeKill) kill(child, SIGKILL);
    }
    close(channel[0]);
    int status = 0;
    ASSERT_EQ(child, waitpid(child, &status, 0));
    ASSERT_TRUE(WIFSIGNALED(status));
    ASSERT_GE(acknowledged.size(), kAcknowledgedBeforeKill);

    ASSERT_EQ(kEngineOk, OpenDb(db, nullptr, kOpLockOpen));  // the writer's lock died with it
    EXPECT_EQ(kEngineOk, Call(*m_engine, kOpDBCheck, {I4(db)}));
    for (const auto& entry : acknowledged) {
        EXPECT_EQ(0u, Memo(db, kToDo, entry.second).find(MemoFor(entry.first))) << "tip " << entry.second;
    }
    const std::vector<int32_t> listed = TipList(db, kToDo);
    EXPECT_GE(listed.size(), acknowledged.size());
    EXPECT_LE(listed.size(), acknowledged.size() + 1);  // at most the one in flight
    EXPECT_GT(PutToDo(db, kToDo, "after the crash"), acknowledged.back().second);
}

}  // namespace
}  // namespace enginetest
