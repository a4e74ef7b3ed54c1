// The lock generation of a lock file: an instance that found no other
// holding anything trusts that answer only while the generation stands, and
// never trusts an answer that some other holds a lock.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>

#include "Locks.h"

namespace varo {
namespace engine {
namespace {

class LockGenerationTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/varo-lock-generation-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(pattern));
        m_folder = pattern;
        m_path = m_folder + "/locks";
        ASSERT_TRUE(m_reader.Open(m_path));
    }
    void TearDown() override {
        m_reader.Close();
        if (m_bare >= 0) close(m_bare);
        unlink(m_path.c_str());
        rmdir(m_folder.c_str());
    }
    // A write lock on one byte taken outside any LockFile, so that the
    // generation does not move; held until CloseBare.
    bool TakeBare(off_t byte) {
        m_bare = open(m_path.c_str(), O_RDWR | O_CLOEXEC);
        struct flock lock = {};
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        lock.l_start = byte;
        lock.l_len = 1;
        return m_bare >= 0 && fcntl(m_bare, F_OFD_SETLK, &lock) == 0;
    }
    void CloseBare() {
        close(m_bare);
        m_bare = -1;
    }

    std::string m_folder, m_path;
    LockFile m_reader;
    int m_bare = -1;
};

TEST_F(LockGenerationTest, LocksTakenAndDroppedByAnotherShowAtTheNextQuestion) {
    LockFile other;
    ASSERT_TRUE(other.Open(m_path));
    EXPECT_FALSE(m_reader.OtherHoldsAny());
    ASSERT_TRUE(other.TryLockFukuro(0x300C));
    EXPECT_TRUE(m_reader.OtherHoldsAny());
    other.UnlockFukuro(0x300C);
    EXPECT_FALSE(m_reader.OtherHoldsAny());
    ASSERT_TRUE(other.TryLockDatabase());
    EXPECT_TRUE(m_reader.OtherHoldsAny());
    other.Close();
    EXPECT_FALSE(m_reader.OtherHoldsAny());
    ASSERT_TRUE(other.Open(m_path));
    ASSERT_TRUE(other.TakeExclusiveUse());
    EXPECT_TRUE(m_reader.OtherHoldsAny());
}

TEST_F(LockGenerationTest, AQuietAnswerIsKeptOnlyWhileTheGenerationStands) {
    EXPECT_FALSE(m_reader.OtherHoldsAny());
    // A lock that moved no generation is not looked for...
    ASSERT_TRUE(TakeBare(20));
    EXPECT_FALSE(m_reader.OtherHoldsAny());
    // ...until any instance changes a lock of its own.
    LockFile other;
    ASSERT_TRUE(other.Open(m_path));
    ASSERT_TRUE(other.TryLockFukuro(0x4000));
    other.UnlockFukuro(0x4000);
    EXPECT_TRUE(m_reader.OtherHoldsAny());
}

TEST_F(LockGenerationTest, AnAnswerThatAnotherHoldsALockIsNeverKept) {
    ASSERT_TRUE(TakeBare(16 + 0x300C));
    EXPECT_TRUE(m_reader.OtherHoldsAny());
    // A holder that ends without a word, as a killed process does.
    CloseBare();
    EXPECT_FALSE(m_reader.OtherHoldsAny());
}

}  // namespace
}  // namespace engine
}  // namespace varo
