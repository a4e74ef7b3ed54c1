// The server's dialect of the engine's statements, without a server: the
// placeholders, the table of differing statements and the lock keys.
#include <gtest/gtest.h>

#include "DatabaseFile.h"
#include "ServerDialect.h"

namespace {

using namespace varo::engine;

TEST(ServerDialectTest, PlaceholdersAreNumberedOutsideQuotesAndCounted) {
    int params = 0;
    EXPECT_EQ("SELECT a FROM t WHERE b=$2 AND c=$1", NumberPlaceholders("SELECT a FROM t WHERE b=?2 AND c=?1", &params));
    EXPECT_EQ(2, params);
    EXPECT_EQ("VALUES($1, $2, '?', \"?x\")", NumberPlaceholders("VALUES(?, ?, '?', \"?x\")", &params));
    EXPECT_EQ(2, params);
    EXPECT_EQ("SELECT $3::bigint", NumberPlaceholders("SELECT $3::bigint", &params));
    EXPECT_EQ(3, params);
    EXPECT_EQ("SELECT 1", NumberPlaceholders("SELECT 1", &params));
    EXPECT_EQ(0, params);
}

TEST(ServerDialectTest, DifferingStatementsComeFromTheTableWithTheirNames) {
    const ServerText begin = TranslateForServer("BEGIN IMMEDIATE", "vdb0000002a", 42);
    EXPECT_EQ(ServerUse::Begin, begin.use);
    EXPECT_NE(std::string::npos, begin.text.find(std::to_string(ServerLockKey(42, kWritersLockSlot))));
    EXPECT_NE(std::string::npos, begin.text.find("pg_notify('varo_42', '')"));

    const ServerText schema = TranslateForServer(kDatabaseSchema, "vdb0000002a", 42);
    EXPECT_EQ(0u, schema.text.find("CREATE SCHEMA \"vdb0000002a\";"));
    EXPECT_EQ(std::string::npos, schema.text.find("WITHOUT ROWID"));

    const ServerText log = TranslateForServer("INSERT INTO change_log(tip_id, change, topic, fukuros) VALUES(?1, ?2, ?3, ?4)",
                                              "vdb0000002a", 42);
    EXPECT_EQ(ServerUse::Prepared, log.use);
    EXPECT_EQ(4, log.params);

    const ServerText plain = TranslateForServer("SELECT name FROM fukuro WHERE id=?1", "vdb0000002a", 42);
    EXPECT_EQ(ServerUse::Prepared, plain.use);
    EXPECT_EQ("SELECT name FROM fukuro WHERE id=$1", plain.text);
}

TEST(ServerDialectTest, LockKeysKeepSpacesAndSlotsApart) {
    EXPECT_NE(ServerLockKey(1, kDatabaseLockSlot), ServerLockKey(2, kDatabaseLockSlot));
    EXPECT_NE(ServerLockKey(1, kDatabaseLockSlot), ServerLockKey(1, kPresenceLockSlot));
    EXPECT_EQ(ServerLockKey(1, 0x3000) >> 32, 1);
    EXPECT_EQ(ServerLockKey(1, 0x3000) & 0xFFFFFFFF, 0x3000);
    EXPECT_GT(ServerLockKey(0x7FFFFFFF, 0xFFFFFFFF), 0);
}

}  // namespace
