// varo db: the list of known databases and their administration, checked
// through what the command prints and what is left on disk.
#include <gtest/gtest.h>

#include <filesystem>

#include "VaroRunner.h"

namespace {

// The row of `varo db list` for a database id.
std::string ListRow(const VaroSandbox& sandbox, long id) {
    char prefix[16];
    snprintf(prefix, sizeof prefix, "%5ld ", id);
    for (const std::string& line : Lines(sandbox.Run({"db", "list"}).out)) {
        if (line.compare(0, 6, prefix) == 0) return line;
    }
    return std::string();
}

TEST(DatabaseCommands, CreateListRenameAndChooseTheDefault) {
    VaroSandbox sandbox;
    const std::string work = Utf8("\x8e\x64\x8e\x96" /* 仕事 */);
    sandbox.Expect({"db", "create", work}, 0, "created database 1 \"" + work + "\" in " + sandbox.DataFolder());
    sandbox.Expect({"db", "create", "home"}, 0);
    EXPECT_TRUE(Contains(ListRow(sandbox, 2), "home"));
    EXPECT_TRUE(std::filesystem::exists(sandbox.DataFolder() + "/vdb00000002/vdb00000002.sqlite"));
    // Names and ids both find a database.
    sandbox.Expect({"db", "default", work}, 0);
    EXPECT_TRUE(Contains(ListRow(sandbox, 1), "  *  "));
    EXPECT_TRUE(Contains(ListRow(sandbox, 1), work));
    EXPECT_FALSE(Contains(ListRow(sandbox, 2), "  *  "));
    sandbox.Expect({"db", "default", "2"}, 0);
    EXPECT_TRUE(Contains(ListRow(sandbox, 2), "  *  "));

    EXPECT_EQ(sandbox.Run({"db", "rename", "2", work}).out, "renamed database 2 \"home\" to \"" + work + "\"\n");
    // Now the name is shared: it no longer names one database.
    sandbox.Expect({"ls", work}, 1, "2 databases are named '" + work + "' (ids 1, 2); give the id");
    sandbox.Expect({"ls", "2"}, 0);
}

TEST(DatabaseCommands, BackupRestoreAndCheckShowProgressOnATerminalOnly) {
    VaroSandbox sandbox;
    sandbox.Expect({"db", "create", "b"}, 0);
    const long kept = AddedId(sandbox.Run({"add", "todo", "b", "kept"}));
    ASSERT_GT(kept, 0);
    EXPECT_TRUE(Contains(ListRow(sandbox, 1), "  -  "));
    const VaroResult backup = sandbox.Run({"db", "backup", "b"}, true);
    ASSERT_EQ(backup.exitCode, 0) << backup.err;
    EXPECT_TRUE(Contains(backup.out, "backed up database 1 \"b\" at 20"));
    EXPECT_TRUE(Contains(backup.err, "backing up database 1 \"b\""));
    // The progress line is cleared before the result is printed.
    EXPECT_EQ(backup.err.substr(backup.err.size() - 4), "\r\x1b[K");
    EXPECT_FALSE(Contains(ListRow(sandbox, 1), "  -  "));
    EXPECT_TRUE(std::filesystem::exists(sandbox.DataFolder() + "/vdb00000001/vdb00000001.bak"));

    ASSERT_GT(AddedId(sandbox.Run({"add", "todo", "b", "lost"})), kept);
    sandbox.Expect({"db", "restore", "b", "--yes"}, 0);
    const std::string listing = sandbox.Run({"ls", "b", "todo"}).out;
    EXPECT_TRUE(Contains(listing, "kept"));
    EXPECT_FALSE(Contains(listing, "lost"));

    const VaroResult check = sandbox.Expect({"db", "check", "b"}, 0);
    EXPECT_EQ(check.out, "database 1 \"b\" is sound\n");
    EXPECT_EQ(check.err, "");  // not on a terminal: no progress line
    EXPECT_TRUE(Contains(sandbox.Run({"db", "check", "b"}, true).err, "checking database 1"));
}

TEST(DatabaseCommands, DeleteForgetsOrRemovesTheFiles) {
    VaroSandbox sandbox;
    sandbox.Expect({"db", "create", "gone"}, 0);
    sandbox.Expect({"db", "create", "forgotten"}, 0);
    const std::string goneFolder = sandbox.DataFolder() + "/vdb00000001";
    const std::string forgottenFile = sandbox.DataFolder() + "/vdb00000002/vdb00000002.sqlite";
    sandbox.Expect({"db", "delete", "gone"}, 2);
    EXPECT_TRUE(std::filesystem::exists(goneFolder));
    EXPECT_EQ(sandbox.Run({"db", "delete", "gone", "--yes"}).out, "deleted database 1 \"gone\"\n");
    EXPECT_FALSE(std::filesystem::exists(goneFolder));

    sandbox.Expect({"db", "delete", "forgotten", "--forget"}, 0, "its files stay in " + forgottenFile);
    EXPECT_TRUE(std::filesystem::exists(forgottenFile));
    EXPECT_EQ(Lines(sandbox.Run({"db", "list"}).out).size(), 1u);
    sandbox.Expect({"db", "delete", "forgotten", "--forget"}, 1);
}

// A server out of reach is named in the failure; the connection string,
// password and all, never appears.
TEST(DatabaseCommands, AServerOutOfReachIsReportedWithoutItsConnectionString) {
    VaroSandbox sandbox;
    sandbox.SetVariable("VARO_SERVER", "host=" + sandbox.Root() + "/nowhere dbname=varo user=clerk password=hunter2");
    const VaroResult created = sandbox.Expect({"db", "create", "shared"}, 1, "the database server cannot be reached");
    const VaroResult listed = sandbox.Run({"db", "list"});
    EXPECT_NE(0, listed.exitCode);
    for (const VaroResult* result : {&created, &listed}) {
        EXPECT_FALSE(Contains(result->out + result->err, "hunter2"));
        EXPECT_FALSE(Contains(result->out + result->err, "clerk"));
    }
}

}  // namespace
