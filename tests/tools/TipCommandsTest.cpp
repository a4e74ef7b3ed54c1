// varo add, set, done, show and ls on tips of every everyday kind, read back
// through the command as a user would.
#include <gtest/gtest.h>

#include <cstdlib>

#include "PIMTime.h"
#include "TipSchemas.h"
#include "VAROObj.h"
#include "VaroRunner.h"

namespace {

using Fields = std::map<std::string, std::vector<std::string>>;
using Texts = std::vector<std::string>;

class TipCommands : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(m_sandbox.Run({"db", "create", "t"}).exitCode, 0); }

    // Runs an add command and gives the new tip's id as text.
    std::string Add(const Texts& args, std::string* line = nullptr) {
        Texts all{"add"};
        all.insert(all.end(), args.begin(), args.end());
        const VaroResult added = m_sandbox.Expect(all, 0);
        if (line) *line = added.out.substr(added.out.find(": ") + 2);
        return std::to_string(AddedId(added));
    }

    Fields Show(const std::string& tip) { return ShownFields(m_sandbox.Expect({"show", "t", tip}, 0).out); }

    // Expects the first value line of each named field.
    static void ExpectFirstLines(Fields fields, const std::map<std::string, std::string>& expected) {
        for (const auto& field : expected) {
            const Texts& lines = fields[field.first];
            EXPECT_EQ(lines.empty() ? "(not shown)" : lines.front(), field.second) << field.first;
        }
    }

    VaroResult Set(const std::string& tip, const std::string& field, const std::string& value, int exitCode = 0,
                   const std::string& printed = "") {
        return m_sandbox.Expect({"set", "t", tip, field, value}, exitCode, printed);
    }

    // Sets fields in order, each of which must be taken.
    void SetAll(const std::string& tip, const std::vector<std::pair<std::string, std::string>>& values) {
        for (const auto& value : values) Set(tip, value.first, value.second);
    }

    VaroSandbox m_sandbox;
};

TEST_F(TipCommands, ToDoFromAddToDone) {
    std::string line;
    const std::string tip = Add({"todo", "t", "milk", "--deadline", "2030-01-31", "--priority=2"}, &line);
    EXPECT_EQ(line, "30/01/31まで (Ａ)milk\n");
    const std::string listing = m_sandbox.Expect({"ls", "t", "todo"}, 0, "#" + tip + " ").out;
    EXPECT_TRUE(Contains(listing, "fukuro 0x300C (to-do items) in database 1 \"t\": 1 tip"));
    EXPECT_TRUE(Contains(listing, line));
    ExpectFirstLines(Show(tip), {{"TAFL", "0x0300 to-do item"}, {"LTDY", "2030-01-31 00:00:00"}, {"PRTY", "2"},
                                 {"MARK", "0"}, {"FNDY", "2030-12-31 00:00:00 (not checked)"}, {"ETDY", "(empty)"}});

    EXPECT_EQ(m_sandbox.Expect({"done", "t", tip}, 0).out, "done: to-do item " + tip + ": " + line);
    Fields fields = Show(tip);
    ExpectFirstLines(fields, {{"MARK", "1"}});
    EXPECT_EQ(fields["FNDY"].front().substr(0, 10), CPIMTime::GetTickCount().Format("%Y-%m-%d").Bytes());

    SetAll(tip, {{"check", "no"}});
    ExpectFirstLines(Show(tip), {{"MARK", "0"}, {"FNDY", "2030-12-31 00:00:00 (not checked)"}});
    EXPECT_EQ(Set(tip, "deadline", "none").out, "changed to-do item " + tip + ": (Ａ)milk\n");
}

TEST_F(TipCommands, CardFieldsKeepTheirOtherHalf) {
    const std::string sato = "さとう";
    const std::string tip = Add({"card", "t", "佐藤", "--reading", sato, "--office-tel",
                                 "03-1111-2222", "--mobile", "090-3333-4444", "--office-email", "a@example.jp"});
    // Each role is its own field, though the kit keeps them in one list.
    SetAll(tip, {{"office-tel2", "03-5555-6666"}, {"home-tel", "1\n2"}, {"home-email", "b@example.jp"}});
    Fields fields = Show(tip);
    EXPECT_EQ(fields["TEL1"], (Texts{"office-tel 03-1111-2222", "office-tel2 03-5555-6666", "home-tel 1",
                                     "home-tel 2", "mobile 090-3333-4444"}));
    EXPECT_EQ(fields["EMAL"], (Texts{"office-email a@example.jp", "home-email b@example.jp"}));
    SetAll(tip, {{"office-tel", ""}});
    ExpectFirstLines(Show(tip), {{"TEL1", "office-tel2 03-5555-6666"}, {"FAX1", "(empty)"}});

    // The name and its reading are stored together: setting one keeps the other.
    const std::string yamada = "山田";
    SetAll(tip, {{"name", yamada}, {"company", "ACME"}});
    EXPECT_EQ(Set(tip, "company-reading", "akume").out, "changed address card " + tip + ": ACME " + yamada + "\n");
    ExpectFirstLines(Show(tip), {{"OFCE", "ACME (akume)"}, {"NAME", yamada + " (" + sato + ")"}});

    SetAll(tip, {{"birthday", "19650412"}, {"category1", "99"}});
    ExpectFirstLines(Show(tip), {{"BRTH", "19650412"}, {"CTG1", "99"}});
    Set(tip, "birthday", "123456789012345", 1, "at most 14 bytes");
    Set(tip, "category1", "100", 2);
}

TEST_F(TipCommands, SchedulePeriodAndAlarm) {
    const std::string meeting = "会議";
    std::string line;
    const std::string tip = Add(
        {"schedule", "t", "2030-03-14 10:00", meeting, "--end", "2030-03-14 11:30", "--alarm", "2030-03-14 09:45"},
        &line);
    EXPECT_EQ(line, "30/03/14 " + meeting + "\n");
    m_sandbox.Expect({"ls", "t", "0x3016"}, 0, "#" + tip + " ");
    Fields fields = Show(tip);
    EXPECT_EQ(fields["TIME"], (Texts{"start 2030-03-14 10:00:00", "end   2030-03-14 11:30:00"}));
    ExpectFirstLines(fields, {{"ALON", "1"}, {"ALRM", "2030-03-14 09:45:00"}});

    // The start and the end are one field: changing one keeps the other.
    SetAll(tip, {{"start", "2030-03-14 09:00"}});
    EXPECT_EQ(Show(tip)["TIME"], (Texts{"start 2030-03-14 09:00:00", "end   2030-03-14 11:30:00"}));
    Set(tip, "end", "2030-03-13", 1, "the end lies before the start");
    Set(tip, "start", "2030-03-15", 1, "the start lies after the tip's end");
    SetAll(tip, {{"end", "2030-03-14"}});
    EXPECT_EQ(Show(tip)["TIME"].back(), "end   2030-03-14 (all day)");
    SetAll(tip, {{"end", "none"}, {"alarm", "none"}, {"color", "#FF8000"}});
    fields = Show(tip);
    EXPECT_EQ(fields["TIME"], (Texts{"start 2030-03-14 09:00:00"}));
    ExpectFirstLines(fields, {{"ALON", "0"}, {"CLOR", "#FF8000 (0x000080FF)"}});
    EXPECT_FALSE(Contains(m_sandbox.Run({"ls", "t", "0x3016"}).out, "#" + tip + " "));
    EXPECT_EQ(Set(tip, "pending", "yes").out, "changed schedule entry " + tip + ": 30/03/14 (P)" + meeting + "\n");

    ExpectFirstLines(Show(Add({"schedule", "t", "2030-04-01", "trip"})), {{"TIME", "start 2030-04-01 (all day)"}});
}

TEST_F(TipCommands, MemoLinesFileNameAndFieldsOfOtherKinds) {
    const std::string first = "一行目", second = "二行目";
    std::string line;
    const std::string tip = Add({"memo", "t", first + "\n" + second}, &line);
    EXPECT_EQ(line, first + " " + second + "\n");
    EXPECT_EQ(Show(tip)["MEMO"], (Texts{first, second}));
    EXPECT_EQ(Set(tip, "filename", "notes.txt").out, "changed memo " + tip + ": 【notes.txt】" + first + " " + second + "\n");
    Set(tip, "priority", "1", 2, "this memo has no field 'priority' (it is a field of: todo)");
    m_sandbox.Expect({"add", "memo", "t", "x", "--deadline", "2030-01-01"}, 2,
                     "--deadline is not a field of a memo (it is a field of: milestone, todo)");
}

TEST_F(TipCommands, ShowFollowsThePublishedSchemaAndLsTheFukuros) {
    const std::string tip = Add({"card", "t", "x"});
    const VaroResult shown = m_sandbox.Expect({"show", "t", tip}, 0);
    const Texts lines = Lines(shown.out);
    const int count = varo::SchemaFieldCount(varo::KIND_CARD_401);
    ASSERT_EQ(lines.size(), static_cast<size_t>(count) + 2);
    EXPECT_EQ(lines[0], "tip " + tip + ": address card (card) in database 1 \"t\"");
    for (int slot = 0; slot < count; ++slot) {
        EXPECT_EQ(lines[slot + 2].substr(6, 4), varo::SchemaTag(varo::KIND_CARD_401, slot)) << slot;
        EXPECT_TRUE(Contains(lines[slot + 2], Utf8(varo::SchemaLabel(varo::KIND_CARD_401, slot)))) << slot;
    }
    ExpectFirstLines(ShownFields(shown.out), {{"IMJG", "(empty)"}, {"LIDS", "none"}});

    const std::string listing = m_sandbox.Expect({"ls", "t"}, 0, "0x3008        13  (national holidays)").out;
    EXPECT_TRUE(Contains(listing, "0x300A         1  (address cards)"));
    EXPECT_EQ(Lines(listing).size(), 1u + (0x3016 - 0x3000 + 1));
    // A holiday has no display string of its own: it is listed by its day.
    m_sandbox.Expect({"ls", "t", "0x3008"}, 0, "01/01 元日");
}

// Opens database 1 of the sandbox in this process's own kit and locks its
// to-do fukuro open, as another program would hold it.
bool OpenToDoFukuro(const VaroSandbox& sandbox, CVAROObj* kit) {
    setenv("VARO_DATA_DIR", sandbox.DataFolder().c_str(), 1);
    setenv("XDG_CONFIG_HOME", (sandbox.Root() + "/config").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (sandbox.Root() + "/run").c_str(), 1);
    return kit->Init(nullptr) == 1 && kit->Open(1) == 0 && kit->FukuroLockOpen(1, 0x300C) == 0;
}

TEST_F(TipCommands, ListingMoreThanTenThousandTipsShowsProgressOnATerminal) {
    m_sandbox.Expect({"add", "todo", "t", "few"}, 0);
    EXPECT_EQ(m_sandbox.Run({"ls", "t", "todo"}, true).err, "");
    const int kMany = 10001;
    // Straight through the kit: much quicker than one varo process per tip.
    CVAROObj seeder;
    ASSERT_TRUE(OpenToDoFukuro(m_sandbox, &seeder));
    for (int i = 1; i < kMany; ++i) {
        seeder.SetTipID(0);
        seeder.SetTipFlag(varo::KIND_TODO_300);
        seeder.SetMemo("many");
        long tip = 0;
        ASSERT_EQ(seeder.PutTip(1, 0x300C, &tip), 0);
    }
    seeder.End();
    const VaroResult listed = m_sandbox.Run({"ls", "t", "todo"}, true);
    ASSERT_EQ(listed.exitCode, 0);
    EXPECT_EQ(Lines(listed.out).size(), static_cast<size_t>(kMany) + 1);
    EXPECT_TRUE(Contains(listed.err, "reading fukuro 0x300C 0/10001 (0%)")) << listed.err.substr(0, 200);
    EXPECT_TRUE(Contains(listed.err, "reading fukuro 0x300C 10001/10001 (100%)"));
    EXPECT_EQ(listed.err.substr(listed.err.size() - 4), "\r\x1b[K");
}

TEST_F(TipCommands, ATipLockedByAnotherProgramIsShownReadOnlyAndNotChanged) {
    const std::string tip = Add({"todo", "t", "locked", "--deadline", "2030-01-02", "--display-start", "2029-12-01"});
    CVAROObj holder;
    ASSERT_TRUE(OpenToDoFukuro(m_sandbox, &holder));
    const VaroResult shown =
        m_sandbox.Expect({"show", "t", tip}, 0, "read-only: another program holds a lock on it");
    // Fields the kit reads from the read-only layout are still right.
    ExpectFirstLines(ShownFields(shown.out), {{"MEMO", "locked"}, {"LTDY", "2030-01-02 00:00:00"},
                                              {"ETDY", "(not readable while read-only)"}});
    Set(tip, "memo", "changed", 1, "cannot set memo: the tip is read-only");
    m_sandbox.Expect({"done", "t", tip}, 1);
    holder.End();
    ExpectFirstLines(Show(tip), {{"MEMO", "locked"}, {"MARK", "0"}, {"ETDY", "2029-12-01 00:00:00"}});
}

}  // namespace
