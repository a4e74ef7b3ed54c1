// Two processes doing read-change-write on the same hundred tips lose no
// update: each adds one to a counter kept in a tip's memo, and in the end
// every counter equals the number of puts that returned 0 for it in both
// processes together. A put that did not follow the other's change must
// answer 407; no put may answer anything else. The narrowest case, another
// writer storing between the kit's last-modified check and its put, is also
// made to happen on purpose.
#include <sys/wait.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <vector>

#include "EngineOperations.h"
#include "FaultsSupport.h"
#include "VaroEngine.h"

namespace faults {
namespace {

const int kTips = 100;
const int kPutsPerProcess = 600;
const unsigned kSeeds[] = {7, 1031};

class ReadChangeWriteTest : public FaultsTest {};

struct Outcome {
    std::map<long, int> stored;  // puts that returned 0, by tip
    int conflicts = -1;
    int others = -1;
    std::string firstOtherCode;
};

void ReadOutcome(Helper& rival, Outcome* outcome) {
    std::string line;
    while (rival.ReadLine(&line)) {
        std::istringstream words(line);
        std::string word;
        words >> word;
        if (word == "tip") {
            long tip = 0;
            int count = 0;
            words >> tip >> count;
            outcome->stored[tip] += count;
        } else if (word == "done") {
            words >> outcome->conflicts >> outcome->others;
        } else if (word == "code" && outcome->firstOtherCode.empty()) {
            words >> outcome->firstOtherCode;
        }
    }
}

TEST_F(ReadChangeWriteTest, TwoProcessesLoseNoUpdateOfAHundredTips) {
    CVAROObj kit;
    ASSERT_EQ(kit.Init(nullptr), 1);
    long db = 0;
    ASSERT_EQ(kit.Create("counters", &db), 0);
    ASSERT_EQ(kit.Open(db), 0);
    long fukuro = 0;
    ASSERT_EQ(kit.FukuroCreate(db, &fukuro, "counters", 0), 0);
    for (int i = 0; i < kTips; ++i) {
        kit.SetTipID(0);
        ASSERT_EQ(kit.SetTipFlag(kToDoKind), 1);
        ASSERT_EQ(kit.SetMemo("0"), 1);
        long tip = 0;
        ASSERT_EQ(kit.PutTip(db, fukuro, &tip), 0);
    }

    std::vector<std::unique_ptr<Helper>> rivals;
    for (unsigned seed : kSeeds) {
        rivals.emplace_back(new Helper({"rcw", std::to_string(db), std::to_string(fukuro), std::to_string(seed),
                                        std::to_string(kPutsPerProcess)}));
        std::string ready;
        ASSERT_TRUE(rivals.back()->ReadLine(&ready));
        ASSERT_EQ(ready, "ready");
    }
    for (auto& rival : rivals) ASSERT_TRUE(rival->Send("go\n"));

    std::map<long, int> stored;
    int conflicts = 0;
    for (auto& rival : rivals) {
        Outcome outcome;
        ReadOutcome(*rival, &outcome);
        const int status = rival->Wait();
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        ASSERT_GE(outcome.conflicts, 0) << "no summary";
        EXPECT_EQ(outcome.others, 0) << "a put answered " << outcome.firstOtherCode;
        conflicts += outcome.conflicts;
        for (const auto& entry : outcome.stored) stored[entry.first] += entry.second;
    }
    RecordProperty("conflicts", conflicts);

    const std::vector<long> tips = TipsOf(kit, db, fukuro);
    ASSERT_EQ(tips.size(), static_cast<size_t>(kTips));
    int puts = 0;
    for (long tip : tips) {
        std::string memo;
        ASSERT_TRUE(ReadMemo(kit, db, tip, &memo));
        EXPECT_EQ(std::atoi(memo.c_str()), stored[tip]) << "tip " << tip << " lost an update";
        puts += stored[tip];
    }
    EXPECT_EQ(puts + conflicts, kPutsPerProcess * 2);
    EXPECT_EQ(kit.DBCheck(db), 0);
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

varo::EngineArg I4(int32_t value) {
    varo::EngineArg arg;
    arg.kind = varo::ArgKind::I4;
    arg.i4 = value;
    return arg;
}

varo::EngineArg Pointer(varo::ArgKind kind, void* pointer) {
    varo::EngineArg arg;
    arg.kind = kind;
    arg.address = pointer;
    return arg;
}

// Another engine instance's view of a tip: its memo, and a way to store it
// again with a new one.
class OtherWriter {
public:
    explicit OtherWriter(int32_t db) : m_engine(varo::KitHostServices()), m_db(db) {
        int16_t readOnly = 0;
        const varo::EngineArg open[] = {I4(db), Pointer(varo::ArgKind::I2Out, &readOnly)};
        m_opened = m_engine.Invoke(varo::kOpOpen, open, 2) == 0;
    }
    bool Opened() const { return m_opened; }

    std::string Memo(int32_t tip) {
        std::string memo = "<unreadable>";
        WithFields(tip, [&memo](std::vector<TIPFIELD>& fields) {
            for (const TIPFIELD& field : fields) {
                if (strcmp(field.tag, "MEMO") == 0 && field.length > 0) {
                    memo.assign(reinterpret_cast<const char*>(field.data), field.length - 1u);
                }
            }
        });
        return memo;
    }

    long Rewrite(int32_t tip, const std::string& memo) {
        long code = -1;
        WithFields(tip, [&](std::vector<TIPFIELD>& fields) {
            std::vector<uint8_t> text(memo.begin(), memo.end());
            text.push_back(0);
            std::vector<TIPFIELD*> buffer;
            for (TIPFIELD& field : fields) {
                if (strcmp(field.tag, "MEMO") == 0) {
                    field.data = text.data();
                    field.length = static_cast<uint16_t>(text.size());
                }
                buffer.push_back(&field);
            }
            buffer.push_back(nullptr);
            int32_t id = tip;
            const varo::EngineArg put[] = {I4(m_db), I4(static_cast<int32_t>(kToDoFukuro)),
                                           Pointer(varo::ArgKind::I4Out, &id),
                                           Pointer(varo::ArgKind::Address, buffer.data())};
            code = m_engine.Invoke(varo::kOpPutTip, put, 4);
        });
        return code;
    }

private:
    // Runs `use` on a copy of the fields of the tip the engine hands out.
    void WithFields(int32_t tip, const std::function<void(std::vector<TIPFIELD>&)>& use) {
        void* handed = nullptr;
        const varo::EngineArg get[] = {I4(m_db), I4(0), I4(tip), Pointer(varo::ArgKind::AddressOut, &handed)};
        if (m_engine.Invoke(varo::kOpGetTip, get, 4) != 0) return;
        std::vector<TIPFIELD> fields;
        for (TIPFIELD** entry = static_cast<TIPFIELD**>(handed); *entry; ++entry) fields.push_back(**entry);
        use(fields);
        const varo::EngineArg release[] = {I4(m_db), Pointer(varo::ArgKind::Address, handed)};
        m_engine.Invoke(varo::kOpReleaseTip, release, 2);
    }

    varo::engine::VaroEngine m_engine;
    int32_t m_db;
    bool m_opened = false;
};

TEST_F(ReadChangeWriteTest, AStoreBetweenTheCheckAndThePutGives407AndIsKept) {
    InterposingFactory factory;
    CVAROObj kit;
    ASSERT_EQ(kit.Init(nullptr), 1);
    ASSERT_NE(factory.last, nullptr);
    long db = 0;
    ASSERT_EQ(kit.Create("interposed", &db), 0);
    ASSERT_EQ(kit.Open(db), 0);
    long tip = 0;
    ASSERT_EQ(PutNewToDo(kit, db, "first", &tip), 0);

    OtherWriter other(static_cast<int32_t>(db));
    ASSERT_TRUE(other.Opened());
    const int32_t id = static_cast<int32_t>(tip);

    ASSERT_EQ(kit.GetTip(db, kToDoFukuro, tip), 0);
    ASSERT_EQ(kit.SetMemo("mine"), 1);
    long interloped = -1;
    factory.last->interloper = [&] { interloped = other.Rewrite(id, "theirs"); };
    long stored = 0;
    EXPECT_EQ(kit.PutTip(db, kToDoFukuro, &stored), VARO_ERR_CHANGED);
    EXPECT_EQ(interloped, 0);
    EXPECT_EQ(other.Memo(id), "theirs");

    // Having been told, the writer may overwrite with its second put.
    EXPECT_EQ(kit.PutTip(db, kToDoFukuro, &stored), 0);
    EXPECT_EQ(other.Memo(id), "mine");
}

}  // namespace
}  // namespace faults
