// Processes doing read-change-write on the same tips lose no update: each
// adds one to a counter kept in a tip's memo, and in the end every counter
// equals the number of puts that returned 0 for it in all processes
// together. A put that did not follow another's change must answer 407; no
// put may answer anything else, however many writers wait for their turn.
// The narrowest case, another writer storing between the kit's
// last-modified check and its put, is also made to happen on purpose.
#include <cstdlib>
#include <memory>

#include "EngineOperations.h"
#include "FaultsSupport.h"
#include "VaroEngine.h"

namespace faults {
namespace {

class ReadChangeWriteTest : public FaultsTest {
protected:
    // One rival process per seed, each doing `puts` read-change-write cycles
    // on random tips of `tips` counters.
    void RaceOnCounters(int tips, const std::vector<unsigned>& seeds, int puts);
};

void ReadChangeWriteTest::RaceOnCounters(int tips, const std::vector<unsigned>& seeds, int puts) {
    CVAROObj kit;
    long db = 0;
    ASSERT_TRUE(OpenNewDatabase(kit, "counters", &db));
    long fukuro = 0;
    ASSERT_EQ(kit.FukuroCreate(db, &fukuro, "counters", 0), 0);
    for (int i = 0; i < tips; ++i) {
        long tip = 0;
        ASSERT_EQ(PutNewToDo(kit, db, "0", &tip, fukuro), 0);
    }

    std::vector<std::unique_ptr<Helper>> rivals;
    for (unsigned seed : seeds) {
        rivals.emplace_back(new Helper({"rcw", std::to_string(db), std::to_string(fukuro), std::to_string(seed),
                                        std::to_string(puts)}));
        Report ready;
        ASSERT_TRUE(rivals.back()->Read(&ready));
        ASSERT_EQ(ready.word, "ready");
    }
    for (auto& rival : rivals) ASSERT_TRUE(rival->Send("go\n"));

    // Puts that returned 0, by tip, in all processes together.
    std::map<long, long> stored;
    long conflicts = 0;
    for (auto& rival : rivals) {
        long done = -1;
        for (Report line; rival->Read(&line);) {
            if (line.word == "tip") stored[line.first] += line.second;
            if (line.word == "code") ADD_FAILURE() << "a cycle answered " << line.first;
            if (line.word != "done") continue;
            done = line.first;
            EXPECT_EQ(line.second, 0) << "cycles answered other codes";
        }
        const int status = rival->Wait();
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        ASSERT_GE(done, 0) << "no summary";
        conflicts += done;
    }
    RecordProperty("conflicts", static_cast<int>(conflicts));

    const std::vector<long> listed = TipsOf(kit, db, fukuro);
    ASSERT_EQ(listed.size(), static_cast<size_t>(tips));
    long total = 0;
    for (long tip : listed) {
        std::string memo;
        ASSERT_TRUE(ReadMemo(kit, db, tip, &memo));
        EXPECT_EQ(std::atol(memo.c_str()), stored[tip]) << "tip " << tip << " lost an update";
        total += stored[tip];
    }
    EXPECT_EQ(total + conflicts, puts * static_cast<long>(seeds.size()));
    EXPECT_EQ(kit.DBCheck(db), 0);
}

TEST_F(ReadChangeWriteTest, TwoProcessesLoseNoUpdateOfAHundredTips) { RaceOnCounters(100, {7, 1031}, 600); }

// Sixteen writers keep every change waiting for its turn; none may give up
// with a lock or busy code.
TEST_F(ReadChangeWriteTest, SixteenProcessesLoseNoUpdateOfSixtyFourTips) {
    std::vector<unsigned> seeds;
    for (unsigned i = 0; i < 16; ++i) seeds.push_back(11 + 97 * i);
    RaceOnCounters(64, seeds, 400);
}

// The engine core with one hook: just before the next PutTip reaches it, it
// runs `interloper` once, as another writer would come in at that moment.
class InterposingEngine : public varo::Engine {
public:
    explicit InterposingEngine(const varo::HostServices* host) : m_core(host) {}
    int32_t Invoke(int op, const varo::EngineArg* args, int count) override {
        if (op == varo::kOpPutTip && interloper) {
            const std::function<void()> run = std::move(interloper);
            interloper = nullptr;
            run();
        }
        return m_core.Invoke(op, args, count);
    }
    void FreeText(char16_t* text) override { m_core.FreeText(text); }

    std::function<void()> interloper;

private:
    varo::engine::VaroEngine m_core;
};

class InterposingFactory : public CoreEngine {
public:
    varo::Engine* Create(const varo::HostServices* host) override { return last = new InterposingEngine(host); }
    InterposingEngine* last = nullptr;
};

TEST_F(ReadChangeWriteTest, AStoreBetweenTheCheckAndThePutGives407AndIsKept) {
    InterposingFactory factory;
    CVAROObj kit;
    long db = 0;
    ASSERT_TRUE(OpenNewDatabase(kit, "interposed", &db));
    InterposingEngine* engine = factory.last;
    ASSERT_NE(engine, nullptr);
    long tip = 0;
    ASSERT_EQ(PutNewToDo(kit, db, "0", &tip), 0);
    // The other writer and the reader are helper processes: every kit object
    // of this process shares the one tip record this test puts. Memos hold
    // numbers, which helpers report: 1 is theirs, 2 mine.
    const auto memoOf = [db, tip] {
        Helper reader({"read", std::to_string(db), std::to_string(tip)});
        Report line;
        return reader.Read(&line) && line.word == "memo" ? line.first : -1;
    };

    ASSERT_EQ(kit.GetTip(db, kToDoFukuro, tip), 0);
    ASSERT_EQ(kit.SetMemo("2"), 1);
    long interloped = -1;
    engine->interloper = [&] {
        Helper writer({"put", std::to_string(db), std::to_string(tip), "1"});
        Report line;
        if (writer.Read(&line) && line.word == "code") interloped = line.first;
    };
    long stored = 0;
    EXPECT_EQ(kit.PutTip(db, kToDoFukuro, &stored), VARO_ERR_CHANGED);
    EXPECT_EQ(interloped, 0);
    EXPECT_EQ(memoOf(), 1);

    // Having been told, the writer may overwrite with its second put.
    EXPECT_EQ(kit.PutTip(db, kToDoFukuro, &stored), 0);
    EXPECT_EQ(memoOf(), 2);
}

}  // namespace
}  // namespace faults
