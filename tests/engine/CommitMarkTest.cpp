// The commit mark: the shared wal-index header tells a connection, without
// a read lock, whether anyone committed since it last looked; it must move
// with every commit, by this connection, another one or another process.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "DatabaseFile.h"
#include "Sqlite.h"

namespace varo {
namespace engine {
namespace {

class CommitMarkTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/varo-commit-mark-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(pattern));
        m_folder = pattern;
        m_path = m_folder + "/marks.varo";
        ASSERT_EQ(0, DatabaseFile::Create(m_path, "marks"));
        ASSERT_EQ(SQLITE_OK, m_reader.Open(m_path, false));
        ASSERT_EQ(SQLITE_OK, m_reader.Exec("CREATE TABLE IF NOT EXISTS t(x)"));
    }
    void TearDown() override {
        m_reader.Close();
        ASSERT_EQ(0, system(("rm -rf '" + m_folder + "'").c_str()));
    }
    CommitMark Mark() {
        CommitMark mark;
        EXPECT_TRUE(m_reader.ReadCommitMark(&mark));
        return mark;
    }
    static int Insert(Connection& connection) { return connection.Exec("INSERT INTO t VALUES(1)"); }

    std::string m_folder, m_path;
    Connection m_reader;
};

TEST_F(CommitMarkTest, MovesWithEveryCommitHereElsewhereOrInAnotherProcessAndOnlyThen) {
    const CommitMark first = Mark();
    EXPECT_EQ(SQLITE_OK, m_reader.Exec("SELECT count(*) FROM t"));
    EXPECT_TRUE(first == Mark());

    ASSERT_EQ(SQLITE_OK, Insert(m_reader));
    const CommitMark own = Mark();
    EXPECT_FALSE(own == first);

    Connection other;
    ASSERT_EQ(SQLITE_OK, other.Open(m_path, false));
    ASSERT_EQ(SQLITE_OK, Insert(other));
    const CommitMark others = Mark();
    EXPECT_FALSE(others == own);
    ASSERT_EQ(SQLITE_OK, other.Exec("BEGIN IMMEDIATE; INSERT INTO t VALUES(2); ROLLBACK"));
    EXPECT_TRUE(others == Mark());

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        Connection writer;
        _exit(writer.Open(m_path, false) == SQLITE_OK && Insert(writer) == SQLITE_OK ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(child, waitpid(child, &status, 0));
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_FALSE(others == Mark());
}

TEST_F(CommitMarkTest, NoMarkBeforeTheFirstReadOrOnAClosedConnection) {
    Connection fresh;
    CommitMark mark;
    EXPECT_FALSE(fresh.ReadCommitMark(&mark));
    ASSERT_EQ(SQLITE_OK, fresh.Open(m_path, false));
    EXPECT_EQ(SQLITE_OK, fresh.Exec("SELECT count(*) FROM t"));
    EXPECT_TRUE(fresh.ReadCommitMark(&mark));
    fresh.Close();
    EXPECT_FALSE(fresh.ReadCommitMark(&mark));
}

}  // namespace
}  // namespace engine
}  // namespace varo
