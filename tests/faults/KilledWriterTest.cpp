// A writer process killed at random points, fifty times over the same
// database, leaves a file that passes its check and holds every put it
// acknowledged, whole; at most the one put in flight at the kill may or may
// not have landed.
#include <algorithm>

#include "FaultsSupport.h"

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
bool NoteAck(const Report& line, Versions* acknowledged) {
    if (line.word != "ack" || line.first <= 0 || line.second < 0) return false;
    (*acknowledged)[line.first] = static_cast<int>(line.second);
    return true;
}

// Checks the database after a kill and takes the put in flight, if it
// landed, into `acknowledged`.
void ExpectEveryAcknowledgedPut(CVAROObj& kit, long db, const std::set<long>& seeded, Versions* acknowledged) {
    EXPECT_EQ(kit.DBCheck(db), 0);
    int landedUnacknowledged = 0;
    const std::vector<long> listed = TipsOf(kit, db, kToDoFukuro);
    for (long tip : listed) {
        if (seeded.count(tip)) continue;
        std::string memo;
        ASSERT_TRUE(ReadMemo(kit, db, tip, &memo)) << "tip " << tip;
        const int stored = WriterMemoVersion(memo);
        ASSERT_GE(stored, 0) << "tip " << tip << ": torn memo";
        auto known = acknowledged->find(tip);
        if (known == acknowledged->end() || stored != known->second) {
            ++landedUnacknowledged;
            EXPECT_EQ(stored, known == acknowledged->end() ? 0 : known->second + 1) << "tip " << tip;
            (*acknowledged)[tip] = stored;
        }
    }
    EXPECT_LE(landedUnacknowledged, 1);
    for (const auto& entry : *acknowledged) {
        EXPECT_NE(std::find(listed.begin(), listed.end(), entry.first), listed.end()) << "lost tip " << entry.first;
    }
}

TEST_F(KilledWriterTest, EveryAcknowledgedPutSurvivesFiftyKills) {
    CVAROObj kit;
    long db = 0;
    ASSERT_TRUE(OpenNewDatabase(kit, "killed", &db));
    const std::vector<long> before = TipsOf(kit, db, kToDoFukuro);
    const std::set<long> seeded(before.begin(), before.end());

    std::mt19937 random(kSeed);
    Versions acknowledged;
    size_t acks = 0;
    for (int round = 0; round < kKills && !HasFatalFailure(); ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        // The check after the kill is made by a fresh opening, the only one
        // on the file: a put whose commit reached the log but not its index
        // when the writer died is then recovered, or else dropped for good,
        // before the check rather than showing up at some later opening.
        ASSERT_EQ(kit.Close(db), 0);
        Helper writer({"write", std::to_string(db), std::to_string(random())});
        ASSERT_TRUE(writer.Started());
        const size_t acksBeforeKill = random() % (kMostAcks + 1);
        const unsigned pause = random() % kLongestPauseUs;
        Report line;
        size_t seen = 0;
        while (seen < acksBeforeKill && writer.Read(&line)) seen += NoteAck(line, &acknowledged) ? 1 : 0;
        usleep(pause);
        writer.Kill();
        while (writer.Read(&line)) seen += NoteAck(line, &acknowledged) ? 1 : 0;
        ASSERT_TRUE(WIFSIGNALED(writer.Wait())) << "the writer ended by itself: " << line.word << " " << line.first;
        acks += seen;
        ASSERT_EQ(kit.Open(db), 0);
        ExpectEveryAcknowledgedPut(kit, db, seeded, &acknowledged);
    }
    ASSERT_FALSE(HasFatalFailure());
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
