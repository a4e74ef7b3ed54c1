// varo demo in a fresh home: the demo database is made in the default data
// folder, filled once, and listed as the applications list it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "PIMTime.h"
#include "VaroRunner.h"

namespace {

std::string DayFromToday(int days) {
    const CPIMTime now = CPIMTime::GetTickCount();
    return CPIMTime(now.GetYear(), now.GetMonth(), now.GetDay(), 0, 0, 0).CalculateDate(days).Format("%y/%m/%d").Bytes();
}

// The line of the first listed tip of a kind ("    #19    todo        ...").
std::string TipLineOf(const std::string& listing, const std::string& kind, std::string* id = nullptr) {
    for (const std::string& line : Lines(listing)) {
        const size_t hash = line.find('#');
        if (hash == std::string::npos || line.compare(hash + 7, kind.size() + 1, kind + " ") != 0) continue;
        if (id) *id = line.substr(hash + 1, line.find(' ', hash) - hash - 1);
        return line.substr(line.find_first_not_of(' ', hash + 7 + kind.size()));
    }
    return std::string();
}

TEST(Demo, MakesItsDatabaseOnceInAFreshHomeAndListsIt) {
    VaroSandbox sandbox;
    // No data folder named: the engine's default under the home folder.
    sandbox.SetVariable("VARO_DATA_DIR", "");
    sandbox.SetVariable("XDG_DATA_HOME", "");
    const std::string file = sandbox.Root() + "/home/.local/share/varokit/vdb00000001/vdb00000001.sqlite";
    const VaroResult first = sandbox.Expect({"demo"}, 0);
    EXPECT_EQ(first.err, "");
    EXPECT_TRUE(std::filesystem::exists(file));
    const std::vector<std::string> lines = Lines(first.out);
    ASSERT_GT(lines.size(), 30u);
    EXPECT_EQ(lines[0], "created database 1 \"demo\" (" + file + ")");
    EXPECT_EQ(lines[2], "cabinet 0: 0x3012 (first cabinet), 6 folders (shown)");

    const std::pair<const char*, std::string> tipLines[] = {
        {"todo", DayFromToday(7) + "まで (Ａ)報告書を提出する"}, {"card", "山田商事 山田太郎"},
        {"schedule", DayFromToday(1) + " 打ち合わせ"}, {"memo", "買い物リスト 牛乳 卵"},
        {"pageboard", "page 0, 1 tip pinned"},
    };
    for (const auto& [kind, line] : tipLines) EXPECT_EQ(TipLineOf(first.out, kind), line) << kind;
    std::string card;
    TipLineOf(first.out, "card", &card);
    EXPECT_TRUE(Contains(first.out, "fukuro 0x3016 (alarms), 1 tip\n"));

    const auto holidays = std::find(lines.begin(), lines.end(), "national holidays (fukuro 0x3008), 13 tips");
    ASSERT_EQ(lines.end() - holidays, 14);
    EXPECT_EQ(holidays[1], "  01/01 元日");
    EXPECT_EQ(holidays[13], "  12/23 天皇誕生日");

    // The card really holds its phone numbers, by role.
    EXPECT_EQ(ShownFields(sandbox.Run({"show", "demo", card}).out)["TEL1"],
              (std::vector<std::string>{"office-tel 03-1234-5678", "mobile 090-1234-5678"}));

    // A second run opens the same database and adds nothing.
    const VaroResult second = sandbox.Expect({"demo"}, 0);
    EXPECT_EQ(Lines(second.out)[0], "opened database 1 \"demo\" (" + file + ")");
    EXPECT_EQ(second.out.substr(second.out.find('\n')), first.out.substr(first.out.find('\n')));
    EXPECT_EQ(Lines(sandbox.Run({"db", "list"}).out).size(), 2u);
}

}  // namespace
