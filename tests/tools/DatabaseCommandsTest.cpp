// varo db: the list of known databases and their administration, checked
// through what the command prints and what is left on disk.
#include <gtest/gtest.h>

#include <filesystem>

#include "VaroRunner.h"

namespace {

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

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
    const VaroResult created = sandbox.Run({"db", "create", work});
    ASSERT_EQ(created.exitCode, 0) << created.err;
    EXPECT_TRUE(Contains(created.out, "created database 1 \"" + work + "\" in " + sandbox.DataFolder()));
    ASSERT_EQ(sandbox.Run({"db", "create", "home"}).exitCode, 0);
    EXPECT_TRUE(Contains(ListRow(sandbox, 1), work));
    EXPECT_TRUE(Contains(ListRow(sandbox, 2), "home"));
    EXPECT_TRUE(std::filesystem::exists(sandbox.DataFolder() + "/vdb00000002/vdb00000002.sqlite"));

    // Names and ids both find a database.
    EXPECT_EQ(sandbox.Run({"db", "default", work}).exitCode, 0);
    EXPECT_TRUE(Contains(ListRow(sandbox, 1), "  *  "));
    EXPECT_FALSE(Contains(ListRow(sandbox, 2), "  *  "));
    EXPECT_EQ(sandbox.Run({"db", "default", "2"}).exitCode, 0);
    EXPECT_TRUE(Contains(ListRow(sandbox, 2), "  *  "));

    const VaroResult renamed = sandbox.Run({"db", "rename", "2", work});
    ASSERT_EQ(renamed.exitCode, 0);
    EXPECT_EQ(renamed.out, "renamed database 2 \"home\" to \"" + work + "\"\n");
    // Now the name is shared: it no longer names one database.
    const VaroResult ambiguous = sandbox.Run({"ls", work});
    EXPECT_EQ(ambiguous.exitCode, 1);
    EXPECT_TRUE(Contains(ambiguous.err, "2 databases are named '" + work + "' (ids 1, 2); give the id"));
    EXPECT_EQ(sandbox.Run({"ls", "2"}).exitCode, 0);
}

TEST(DatabaseCommands, BackupRestoreAndCheck) {
    VaroSandbox sandbox;
    ASSERT_EQ(sandbox.Run({"db", "create", "b"}).exitCode, 0);
    const long kept = AddedId(sandbox.Run({"add", "todo", "b", "kept"}));
    ASSERT_GT(kept, 0);
    EXPECT_TRUE(Contains(ListRow(sandbox, 1), "  -  "));
    const VaroResult backup = sandbox.Run({"db", "backup", "b"});
    ASSERT_EQ(backup.exitCode, 0) << backup.err;
    EXPECT_TRUE(Contains(backup.out, "backed up database 1 \"b\" at 20"));
    EXPECT_FALSE(Contains(ListRow(sandbox, 1), "  -  "));
    EXPECT_TRUE(std::filesystem::exists(sandbox.DataFolder() + "/vdb00000001/vdb00000001.bak"));

    const long lost = AddedId(sandbox.Run({"add", "todo", "b", "lost"}));
    ASSERT_GT(lost, kept);
    const VaroResult restored = sandbox.Run({"db", "restore", "b", "--yes"});
    ASSERT_EQ(restored.exitCode, 0) << restored.err;
    const std::string listing = sandbox.Run({"ls", "b", "todo"}).out;
    EXPECT_TRUE(Contains(listing, "kept"));
    EXPECT_FALSE(Contains(listing, "lost"));

    const VaroResult check = sandbox.Run({"db", "check", "b"});
    EXPECT_EQ(check.exitCode, 0);
    EXPECT_EQ(check.out, "database 1 \"b\" is sound\n");
    // Not on a terminal: no progress line, nothing but the result.
    EXPECT_TRUE(check.err.empty());
}

TEST(DatabaseCommands, LongOperationsShowProgressOnATerminalOnly) {
    VaroSandbox sandbox;
    ASSERT_EQ(sandbox.Run({"db", "create", "p"}).exitCode, 0);
    const VaroResult shown = sandbox.Run({"db", "backup", "p"}, true);
    ASSERT_EQ(shown.exitCode, 0);
    EXPECT_TRUE(Contains(shown.err, "backing up database 1 \"p\""));
    // The line is cleared before the result is printed.
    EXPECT_EQ(shown.err.substr(shown.err.size() - 4), "\r\x1b[K");
    EXPECT_EQ(sandbox.Run({"db", "check", "p"}).err, "");
    EXPECT_TRUE(Contains(sandbox.Run({"db", "check", "p"}, true).err, "checking database 1"));
}

TEST(DatabaseCommands, DeleteForgetsOrRemovesTheFiles) {
    VaroSandbox sandbox;
    ASSERT_EQ(sandbox.Run({"db", "create", "gone"}).exitCode, 0);
    ASSERT_EQ(sandbox.Run({"db", "create", "forgotten"}).exitCode, 0);
    const std::string goneFolder = sandbox.DataFolder() + "/vdb00000001";
    const std::string forgottenFile = sandbox.DataFolder() + "/vdb00000002/vdb00000002.sqlite";

    EXPECT_EQ(sandbox.Run({"db", "delete", "gone"}).exitCode, 2);
    EXPECT_TRUE(std::filesystem::exists(goneFolder));
    const VaroResult deleted = sandbox.Run({"db", "delete", "gone", "--yes"});
    ASSERT_EQ(deleted.exitCode, 0) << deleted.err;
    EXPECT_EQ(deleted.out, "deleted database 1 \"gone\"\n");
    EXPECT_FALSE(std::filesystem::exists(goneFolder));

    const VaroResult forgot = sandbox.Run({"db", "delete", "forgotten", "--forget"});
    ASSERT_EQ(forgot.exitCode, 0) << forgot.err;
    EXPECT_TRUE(Contains(forgot.out, "its files stay in " + forgottenFile));
    EXPECT_TRUE(std::filesystem::exists(forgottenFile));
    EXPECT_EQ(Lines(sandbox.Run({"db", "list"}).out).size(), 1u);
    EXPECT_EQ(sandbox.Run({"db", "delete", "forgotten", "--forget"}).exitCode, 1);
}

}  // namespace
