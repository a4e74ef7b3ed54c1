// A writer process killed at random points, fifty times over the same
// database, leaves a file that passes its check and holds every put it
// acknowledged, whole; at most the one put in flight at the kill may or may
// not have landed.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <sstream>

#include "FaultsSupport.h"
#include "WriterMemo.h"

namespace faults {
namespace {

const int kKills = 50;
const unsigned kSeed = 0x5eed0611;
// Each writer is killed after 0 to kMostAcks acknowledgments and a further
// pause of up to kLongestPauseUs, so that kills fall inside puts, commits,
// checkpoints and the writer's start alike.
const unsigned kMostAcks = 6;
const unsigned kLongestPauseUs = 3000;

// The last version of each tip as the writers acknowledged it (or as it was
// found after a kill, for the one put in flight).
using Versions = std::map<long, int>;

class KilledWriterTest : public FaultsTest {};

// Takes one "ack ID VERSION" line; false for any other line.
bool NoteAck(const std::string& line, Versions* acknowledged) {
    std::istringstream words(line);
    std::string word;
    long tip = 0;
    int version = -1;
    if (!(words >> word >> tip >> version) || word != "ack" || tip <= 0 || version < 0) return false;
    (*acknowledged)[tip] = version;
    return true;
}

// Checks the database after a kill and takes the put in flight, if it
// landed, into `acknowledged`.
void ExpectEveryAcknowledgedPut(CVAROObj& kit, long db, const std::set<long>& seeded, Versions* acknowledged,
                                int round) {
    EXPECT_EQ(kit.DBCheck(db), 0) << "round " << round;
    int landedUnacknowledged = 0;
    for (long tip : TipsOf(kit, db, kToDoFukuro)) {
        if (seeded.count(tip)) continue;
        std::string memo;
        ASSERT_TRUE(ReadMemo(kit, db, tip, &memo)) << "round " << round << " tip " << tip;
        const int stored = WriterMemoVersion(memo);
        ASSERT_GE(stored, 0) << "round " << round << " tip " << tip << ": torn memo";
        auto known = acknowledged->find(tip);
        if (known == acknowledged->end() || stored != known->second) {
            ++landedUnacknowledged;
            const int expected = known == acknowledged->end() ? 0 : known->second + 1;
            EXPECT_EQ(stored, expected) << "round " << round << " tip " << tip;
            (*acknowledged)[tip] = stored;
        }
    }
    EXPECT_LE(landedUnacknowledged, 1) << "round " << round;
    // Every acknowledged tip is still listed (a lost one would not have been
    // visited above).
    const std::vector<long> listed = TipsOf(kit, db, kToDoFukuro);
    for (const auto& entry : *acknowledged) {
        EXPECT_NE(std::find(listed.begin(), listed.end(), entry.first), listed.end())
            << "round " << round << " lost tip " << entry.first;
    }
}

TEST_F(KilledWriterTest, EveryAcknowledgedPutSurvivesFiftyKills) {
    CVAROObj kit;
    ASSERT_EQ(kit.Init(nullptr), 1);
    long db = 0;
    ASSERT_EQ(kit.Create("killed", &db), 0);
    ASSERT_EQ(kit.Open(db), 0);
    const std::vector<long> before = TipsOf(kit, db, kToDoFukuro);
    const std::set<long> seeded(before.begin(), before.end());

    std::mt19937 random(kSeed);
    Versions acknowledged;
    size_t acks = 0;
    for (int round = 0; round < kKills; ++round) {
        // The check after the kill is made by a fresh opening, the only one
        // on the file: a put whose commit reached the log but not its index
        // when the writer died is then recovered, or else dropped for good,
        // before the check rather than showing up at some later opening.
        ASSERT_EQ(kit.Close(db), 0);
        Helper writer({"write", std::to_string(db), std::to_string(random())});
        ASSERT_TRUE(writer.Started());
        const size_t acksBeforeKill = random() % (kMostAcks + 1);
        const unsigned pause = random() % kLongestPauseUs;
        std::string line;
        size_t seen = 0;
        while (seen < acksBeforeKill && writer.ReadLine(&line)) seen += NoteAck(line, &acknowledged) ? 1 : 0;
        usleep(pause);
        writer.Kill();
        while (writer.ReadLine(&line)) seen += NoteAck(line, &acknowledged) ? 1 : 0;
        const int status = writer.Wait();
        ASSERT_TRUE(WIFSIGNALED(status)) << "round " << round << " the writer ended by itself: " << line;
        acks += seen;
        ASSERT_EQ(kit.Open(db), 0) << "round " << round;
        ExpectEveryAcknowledgedPut(kit, db, seeded, &acknowledged, round);
        if (HasFatalFailure()) return;
    }
    EXPECT_GT(acks, static_cast<size_t>(kKills));  // the kills did not all land before the first put

    // A fresh opening recovers the same, and the next tip gets a new id.
    ASSERT_EQ(kit.Close(db), 0);
    ASSERT_EQ(kit.Open(db), 0);
    EXPECT_EQ(kit.DBCheck(db), 0);
    for (const auto& entry : acknowledged) {
        std::string memo;
        ASSERT_TRUE(ReadMemo(kit, db, entry.first, &memo));
        EXPECT_EQ(WriterMemoVersion(memo), entry.second) << entry.first;
    }
    long next = 0;
    ASSERT_EQ(PutNewToDo(kit, db, "after the kills", &next), 0);
    EXPECT_GT(next, acknowledged.empty() ? 0 : acknowledged.rbegin()->first);
    kit.Close(db);
    kit.Delete(db, 2);
}

}  // namespace
}  // namespace faults
