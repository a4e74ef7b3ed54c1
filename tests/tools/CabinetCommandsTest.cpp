// varo cabinets, cabinet and folder: positions as `varo cabinets` shows
// them, moves named by where the entry ends up.
#include <gtest/gtest.h>

#include "VaroRunner.h"

namespace {

using Ids = std::vector<std::string>;

class CabinetCommands : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(m_sandbox.Run({"db", "create", "c"}).exitCode, 0); }

    // The fukuro ids of the cabinets' lines, or of one cabinet's folders,
    // in the order `varo cabinets` prints them.
    Ids Order(int cabinet = -1) {
        Ids ids;
        int current = -1;
        for (const std::string& line : Lines(m_sandbox.Run({"cabinets", "c"}).out)) {
            const bool cabinetLine = line.compare(0, 8, "cabinet ") == 0;
            if (cabinetLine) ++current;
            const size_t at = line.find(": 0x");
            if (at != std::string::npos && (cabinet < 0 ? cabinetLine : !cabinetLine && current == cabinet)) {
                ids.push_back(line.substr(at + 2, 6));
            }
        }
        return ids;
    }

    // Runs a command that must succeed, then expects the order of the
    // cabinets (cabinet -1) or of one cabinet's folders.
    void ExpectOrderAfter(const std::vector<std::string>& args, int cabinet, const Ids& order,
                          const std::string& printed = "") {
        m_sandbox.Expect(args, 0, printed);
        EXPECT_EQ(Order(cabinet), order) << args[args.size() - 2] << " " << args.back();
    }

    VaroSandbox m_sandbox;
};

TEST_F(CabinetCommands, ANewDatabaseHasOneCabinetOfSixFolders) {
    EXPECT_EQ(Lines(m_sandbox.Run({"cabinets", "c"}).out).front(),
              "cabinet 0: 0x3012 (first cabinet), 6 folders (shown)");
    EXPECT_EQ(Order(0), (Ids{"0x3000", "0x3003", "0x300B", "0x300C", "0x3009", "0x300D"}));
    m_sandbox.Expect({"add", "todo", "c", "x"}, 0);
    m_sandbox.Expect({"cabinets", "c"}, 0, "  folder 3: 0x300C (to-do items), 1 tip\n");
}

TEST_F(CabinetCommands, AddMoveAndRemove) {
    EXPECT_EQ(m_sandbox.Run({"cabinet", "add", "c", "work"}).out, "added cabinet 0x4000 \"work\" at the end\n");
    ExpectOrderAfter({"cabinet", "add", "c", "home"}, -1, {"0x3012", "0x4000", "0x4001"});
    m_sandbox.Expect({"cabinets", "c"}, 0, "cabinet 1: 0x4000 work, 0 folders\n");
    ExpectOrderAfter({"cabinet", "move", "c", "0", "end"}, -1, {"0x4000", "0x4001", "0x3012"});
    ExpectOrderAfter({"cabinet", "move", "c", "2", "0"}, -1, {"0x3012", "0x4000", "0x4001"});
    ExpectOrderAfter({"cabinet", "move", "c", "0", "1"}, -1, {"0x4000", "0x3012", "0x4001"});
    ExpectOrderAfter({"cabinet", "move", "c", "1", "1"}, -1, {"0x4000", "0x3012", "0x4001"});
    m_sandbox.Expect({"cabinet", "move", "c", "3", "0"}, 1, "FROM 3 is out of range: there are 3 entries");
    ExpectOrderAfter({"cabinet", "rm", "c", "0"}, -1, {"0x3012", "0x4001"}, "fukuro 0x4000 and its folders stay");
    m_sandbox.Expect({"ls", "c"}, 0, "0x4000         1  work");
}

TEST_F(CabinetCommands, FoldersMoveWithinAndBetweenCabinets) {
    m_sandbox.Expect({"cabinet", "add", "c", "work"}, 0);
    EXPECT_EQ(m_sandbox.Run({"folder", "add", "c", "1", "plans"}).out,
              "added folder 0x4001 \"plans\" at the end of cabinet 1\n");
    ExpectOrderAfter({"folder", "move", "c", "0", "0", "2"}, 0,
                     {"0x3003", "0x300B", "0x3000", "0x300C", "0x3009", "0x300D"});
    ExpectOrderAfter({"folder", "move", "c", "0", "5", "0"}, 0,
                     {"0x300D", "0x3003", "0x300B", "0x3000", "0x300C", "0x3009"});
    ExpectOrderAfter({"folder", "move", "c", "0", "4", "0", "--to-cabinet", "1"}, 1, {"0x300C", "0x4001"});
    EXPECT_EQ(Order(0), (Ids{"0x300D", "0x3003", "0x300B", "0x3000", "0x3009"}));
    ExpectOrderAfter({"folder", "move", "c", "0", "0", "end", "--to-cabinet=1"}, 1, {"0x300C", "0x4001", "0x300D"});
    m_sandbox.Expect({"folder", "move", "c", "0", "0", "5", "--to-cabinet", "1"}, 1);
    ExpectOrderAfter({"folder", "rm", "c", "1", "0"}, 1, {"0x4001", "0x300D"}, "fukuro 0x300C and its tips stay");
    m_sandbox.Expect({"folder", "rm", "c", "2", "0"}, 1);
    // The kit would take a cabinet index past the count as the first
    // cabinet; the command refuses it and adds nothing anywhere.
    m_sandbox.Expect({"folder", "add", "c", "2", "stray"}, 1, "CABINET 2 is out of range: there are 2 entries");
    EXPECT_EQ(Order(0).size(), 4u);
    EXPECT_FALSE(Contains(m_sandbox.Run({"ls", "c"}).out, "stray"));
}

}  // namespace
