// A process walking a fukuro reads every tip's fields where the kit looks
// for them while other processes keep taking and dropping the fukuro's
// lock: the layout of each tip handed out and the kit's read-only flag
// always agree, so no memo comes back empty or from another slot.
#include <memory>

#include "FaultsSupport.h"

namespace faults {
namespace {

const int kTips = 10;
const unsigned kLockerSeeds[] = {3, 101, 977};
const long kMilliseconds = 2000;

class ReadWhileLockedTest : public FaultsTest {};

TEST_F(ReadWhileLockedTest, AWalkerReadsTheStoredMemosWhileOthersLockAndUnlock) {
    CVAROObj kit;
    long db = 0;
    ASSERT_TRUE(OpenNewDatabase(kit, "walked", &db));
    long fukuro = 0;
    ASSERT_EQ(kit.FukuroCreate(db, &fukuro, "walked", 0), 0);
    for (int i = 0; i < kTips; ++i) {
        long tip = 0;
        ASSERT_EQ(PutNewToDo(kit, db, "memo " + std::to_string(i), &tip), 0);
        CSelectTips added = Selection(tip);
        ASSERT_EQ(kit.PutTipToFukuro(db, fukuro, added), 0);
    }

    const std::string duration = std::to_string(kMilliseconds);
    std::vector<std::unique_ptr<Helper>> lockers;
    for (unsigned seed : kLockerSeeds) {
        lockers.emplace_back(new Helper({"lock", std::to_string(db), std::to_string(fukuro), duration,
                                         std::to_string(seed)}));
    }
    Helper walker({"walk", std::to_string(db), std::to_string(fukuro), duration});

    long reads = -1, readOnly = -1;
    for (Report line; walker.Read(&line);) {
        if (line.word == "bad") ADD_FAILURE() << "the tip at index " << line.first << " came with another memo";
        if (line.word == "walked") {
            reads = line.first;
            EXPECT_EQ(line.second, 0) << "reads with another memo";
        }
        if (line.word == "readonly") readOnly = line.first;
    }
    const int status = walker.Wait();
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    long locked = 0;
    for (auto& locker : lockers) {
        for (Report line; locker->Read(&line);) {
            if (line.word == "locked") locked += line.first;
        }
        EXPECT_EQ(locker->Wait(), 0);
    }
    // Both states came up, or the walk proved nothing.
    EXPECT_GT(locked, 0);
    EXPECT_GT(readOnly, 0);
    EXPECT_LT(readOnly, reads);
    RecordProperty("reads", static_cast<int>(reads));
    RecordProperty("readonly", static_cast<int>(readOnly));
}

}  // namespace
}  // namespace faults
