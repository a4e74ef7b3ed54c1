// varo cabinets, cabinet and folder: positions as `varo cabinets` shows
// them, moves named by where the entry ends up.
#include <gtest/gtest.h>

#include "VaroRunner.h"

namespace {

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class CabinetCommands : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(m_sandbox.Run({"db", "create", "c"}).exitCode, 0); }

    // The fukuro ids of the cabinets' lines, or of one cabinet's folders,
    // in the order `varo cabinets` prints them.
    std::vector<std::string> Order(int cabinet = -1) {
        std::vector<std::string> ids;
        int current = -1;
        for (const std::string& line : Lines(m_sandbox.Run({"cabinets", "c"}).out)) {
            const bool cabinetLine = line.compare(0, 8, "cabinet ") == 0;
            if (cabinetLine) ++current;
            const size_t at = line.find(": 0x");
            if (at == std::string::npos) continue;
            if ((cabinet < 0 && cabinetLine) || (!cabinetLine && current == cabinet)) {
                ids.push_back(line.substr(at + 2, 6));
            }
        }
        return ids;
    }

    VaroResult Run(const std::vector<std::string>& args) { return m_sandbox.Run(args); }

    VaroSandbox m_sandbox;
};

TEST_F(CabinetCommands, ANewDatabaseHasOneCabinetOfSixFolders) {
    const std::string listing = Run({"cabinets", "c"}).out;
    EXPECT_EQ(Lines(listing).front(), "cabinet 0: 0x3012 (first cabinet), 6 folders (shown)");
    EXPECT_EQ(Order(0), (std::vector<std::string>{"0x3000", "0x3003", "0x300B", "0x300C", "0x3009", "0x300D"}));
    ASSERT_EQ(Run({"add", "todo", "c", "x"}).exitCode, 0);
    EXPECT_TRUE(Contains(Run({"cabinets", "c"}).out, "  folder 3: 0x300C (to-do items), 1 tip\n"));
}

TEST_F(CabinetCommands, AddMoveAndRemove) {
    const VaroResult added = Run({"cabinet", "add", "c", "work"});
    ASSERT_EQ(added.exitCode, 0) << added.err;
    EXPECT_EQ(added.out, "added cabinet 0x4000 \"work\" at the end\n");
    ASSERT_EQ(Run({"cabinet", "add", "c", "home"}).exitCode, 0);
    EXPECT_EQ(Order(), (std::vector<std::string>{"0x3012", "0x4000", "0x4001"}));
    EXPECT_TRUE(Contains(Run({"cabinets", "c"}).out, "cabinet 1: 0x4000 work, 0 folders\n"));

    ASSERT_EQ(Run({"cabinet", "move", "c", "0", "end"}).exitCode, 0);
    EXPECT_EQ(Order(), (std::vector<std::string>{"0x4000", "0x4001", "0x3012"}));
    ASSERT_EQ(Run({"cabinet", "move", "c", "2", "0"}).exitCode, 0);
    EXPECT_EQ(Order(), (std::vector<std::string>{"0x3012", "0x4000", "0x4001"}));
    ASSERT_EQ(Run({"cabinet", "move", "c", "0", "1"}).exitCode, 0);
    EXPECT_EQ(Order(), (std::vector<std::string>{"0x4000", "0x3012", "0x4001"}));
    ASSERT_EQ(Run({"cabinet", "move", "c", "1", "1"}).exitCode, 0);
    EXPECT_EQ(Order(), (std::vector<std::string>{"0x4000", "0x3012", "0x4001"}));
    const VaroResult outOfRange = Run({"cabinet", "move", "c", "3", "0"});
    EXPECT_EQ(outOfRange.exitCode, 1);
    EXPECT_TRUE(Contains(outOfRange.err, "FROM 3 is out of range: there are 3 entries"));

    const VaroResult removed = Run({"cabinet", "rm", "c", "0"});
    ASSERT_EQ(removed.exitCode, 0);
    EXPECT_TRUE(Contains(removed.out, "fukuro 0x4000 and its folders stay"));
    EXPECT_EQ(Order(), (std::vector<std::string>{"0x3012", "0x4001"}));
    // The fukuro itself is still in the database.
    EXPECT_TRUE(Contains(Run({"ls", "c"}).out, "0x4000         1  work"));
}

TEST_F(CabinetCommands, FoldersMoveWithinAndBetweenCabinets) {
    ASSERT_EQ(Run({"cabinet", "add", "c", "work"}).exitCode, 0);
    const VaroResult folder = Run({"folder", "add", "c", "1", "plans"});
    ASSERT_EQ(folder.exitCode, 0) << folder.err;
    EXPECT_EQ(folder.out, "added folder 0x4001 \"plans\" at the end of cabinet 1\n");
    EXPECT_EQ(Order(1), (std::vector<std::string>{"0x4001"}));

    ASSERT_EQ(Run({"folder", "move", "c", "0", "0", "2"}).exitCode, 0);
    EXPECT_EQ(Order(0), (std::vector<std::string>{"0x3003", "0x300B", "0x3000", "0x300C", "0x3009", "0x300D"}));
    ASSERT_EQ(Run({"folder", "move", "c", "0", "5", "0"}).exitCode, 0);
    EXPECT_EQ(Order(0), (std::vector<std::string>{"0x300D", "0x3003", "0x300B", "0x3000", "0x300C", "0x3009"}));

    ASSERT_EQ(Run({"folder", "move", "c", "0", "4", "0", "--to-cabinet", "1"}).exitCode, 0);
    EXPECT_EQ(Order(0), (std::vector<std::string>{"0x300D", "0x3003", "0x300B", "0x3000", "0x3009"}));
    EXPECT_EQ(Order(1), (std::vector<std::string>{"0x300C", "0x4001"}));
    ASSERT_EQ(Run({"folder", "move", "c", "0", "0", "end", "--to-cabinet=1"}).exitCode, 0);
    EXPECT_EQ(Order(1), (std::vector<std::string>{"0x300C", "0x4001", "0x300D"}));
    EXPECT_EQ(Run({"folder", "move", "c", "0", "0", "5", "--to-cabinet", "1"}).exitCode, 1);

    const VaroResult removed = Run({"folder", "rm", "c", "1", "0"});
    ASSERT_EQ(removed.exitCode, 0);
    EXPECT_TRUE(Contains(removed.out, "fukuro 0x300C and its tips stay"));
    EXPECT_EQ(Order(1), (std::vector<std::string>{"0x4001", "0x300D"}));
    EXPECT_EQ(Run({"folder", "rm", "c", "2", "0"}).exitCode, 1);

    // The kit would take a cabinet index past the count as the first
    // cabinet; the command refuses it and adds nothing anywhere.
    const VaroResult pastTheEnd = Run({"folder", "add", "c", "2", "stray"});
    EXPECT_EQ(pastTheEnd.exitCode, 1);
    EXPECT_TRUE(Contains(pastTheEnd.err, "CABINET 2 is out of range: there are 2 entries"));
    EXPECT_EQ(Order(0).size(), 4u);
    EXPECT_FALSE(Contains(Run({"ls", "c"}).out, "stray"));
}

}  // namespace
