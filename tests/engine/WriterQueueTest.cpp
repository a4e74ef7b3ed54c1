// Writers of one database wait their turn in the order they came, a writer
// that waited past its bound gives up its place, a dead writer holds nobody
// up, and a change that times out says "busy", never "locked".
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <mutex>
#include <thread>

#include "EngineTestSupport.h"
#include "Sqlite.h"
#include "WriterQueue.h"

namespace enginetest {
namespace {

using namespace varo;
using engine::WriterQueue;
using std::chrono::milliseconds;

const milliseconds kShortBound(150);
const milliseconds kLongBound(20000);

class WriterQueueTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        ASSERT_EQ(0, mkdir(m_folder.c_str(), 0700));
        m_path = m_folder + "line.writers";
    }
    // The tickets given so far: the queue file's first four bytes, little-endian.
    uint32_t TicketsGiven() const {
        std::ifstream file(m_path, std::ios::binary);
        unsigned char bytes[4] = {};
        if (!file.read(reinterpret_cast<char*>(bytes), 4)) return 0;
        return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<uint32_t>(bytes[3]) << 24;
    }
    void AwaitTickets(uint32_t count) const {
        while (TicketsGiven() < count) std::this_thread::sleep_for(milliseconds(1));
    }

    std::string m_path;
};

TEST_F(WriterQueueTest, WritersEnterOneAtATimeInTheOrderTheyCame) {
    const int kWaiting = 6;
    WriterQueue first;
    ASSERT_TRUE(first.Open(m_path));
    ASSERT_TRUE(first.Enter(kShortBound));

    std::mutex guard;
    std::vector<int> order;
    std::atomic<int> inside(0);
    std::atomic<bool> overlapped(false);
    std::vector<std::thread> writers;
    for (int i = 0; i < kWaiting; ++i) {
        writers.emplace_back([&, i] {
            WriterQueue queue;
            if (!queue.Open(m_path) || !queue.Enter(kLongBound)) return;
            if (inside.fetch_add(1) != 0) overlapped = true;
            {
                std::lock_guard<std::mutex> lock(guard);
                order.push_back(i);
            }
            std::this_thread::sleep_for(milliseconds(2));
            inside.fetch_sub(1);
            queue.Leave();
        });
        AwaitTickets(static_cast<uint32_t>(i + 2));  // this one is in line before the next comes
    }
    first.Leave();
    for (std::thread& writer : writers) writer.join();
    EXPECT_FALSE(overlapped);
    EXPECT_EQ((std::vector<int>{0, 1, 2, 3, 4, 5}), order);
}

TEST_F(WriterQueueTest, AWriterThatWaitedPastItsBoundGivesUpItsPlace) {
    WriterQueue holder, late, later;
    ASSERT_TRUE(holder.Open(m_path) && late.Open(m_path) && later.Open(m_path));
    ASSERT_TRUE(holder.Enter(kShortBound));
    EXPECT_FALSE(late.Enter(kShortBound));
    EXPECT_FALSE(late.Inside());
    late.Leave();  // nothing to leave
    holder.Leave();
    // The place given up holds nobody up.
    EXPECT_TRUE(later.Enter(kShortBound));
    later.Leave();
    EXPECT_TRUE(late.Enter(kShortBound));
    late.Leave();
}

TEST_F(WriterQueueTest, ADeadWriterHoldsNobodyUp) {
    int ready[2];
    ASSERT_EQ(0, pipe(ready));
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        WriterQueue queue;
        const bool entered = queue.Open(m_path) && queue.Enter(kShortBound);
        const char answer = entered ? 'E' : 'F';
        if (write(ready[1], &answer, 1) != 1 || !entered) _exit(2);
        pause();
        _exit(0);
    }
    close(ready[1]);
    char answer = 0;
    const bool told = read(ready[0], &answer, 1) == 1;
    close(ready[0]);
    WriterQueue queue;
    const bool blocked = queue.Open(m_path) && !queue.Enter(kShortBound);
    kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(child, waitpid(child, &status, 0));
    ASSERT_TRUE(told);
    ASSERT_EQ('E', answer);
    EXPECT_TRUE(blocked);
    EXPECT_TRUE(queue.Enter(kShortBound));
}

// The engine's changes wait in the line kept beside the database file; one
// held up past the bound is busy, and it goes through once the line moves.
TEST_F(WriterQueueTest, AChangeHeldUpPastTheBoundIsBusyNotLocked) {
    EXPECT_EQ(kEngineBusy, engine::CodeFromSqlite(SQLITE_BUSY));
    EXPECT_EQ(kEngineBusy, engine::CodeFromSqlite(SQLITE_BUSY_SNAPSHOT));
    const int32_t db = CreateDatabase(u"busy");
    const int32_t tip = PutToDo(db, kToDo, "before");
    const std::string file = Location(db);
    WriterQueue holder;
    ASSERT_TRUE(holder.Open(file.substr(0, file.size() - 7) + ".writers"));
    ASSERT_TRUE(holder.Enter(kShortBound));
    EXPECT_EQ(kEngineBusy, PutTip(db, kToDo, tip, ToDoFields("held up")));
    holder.Leave();
    EXPECT_EQ(kEngineOk, PutTip(db, kToDo, tip, ToDoFields("through")));
    EXPECT_EQ("through", Memo(db, kToDo, tip));
}

}  // namespace
}  // namespace enginetest
