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

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

const char kUntil[] = "\x82\xdc\x82\xc5"; /* まで */

class TipCommands : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(m_sandbox.Run({"db", "create", "t"}).exitCode, 0); }

    // Runs an add command and gives the new tip's id as text.
    std::string Add(const std::vector<std::string>& args, std::string* line = nullptr) {
        std::vector<std::string> all{"add"};
        all.insert(all.end(), args.begin(), args.end());
        const VaroResult added = m_sandbox.Run(all);
        EXPECT_EQ(added.exitCode, 0) << added.err;
        if (line) *line = added.out.substr(added.out.find(": ") + 2);
        return std::to_string(AddedId(added));
    }

    Fields Show(const std::string& tip) {
        const VaroResult shown = m_sandbox.Run({"show", "t", tip});
        EXPECT_EQ(shown.exitCode, 0) << shown.err;
        return ShownFields(shown.out);
    }

    VaroResult Set(const std::string& tip, const std::string& field, const std::string& value) {
        return m_sandbox.Run({"set", "t", tip, field, value});
    }

    VaroSandbox m_sandbox;
};

TEST_F(TipCommands, ToDoFromAddToDone) {
    std::string line;
    const std::string tip = Add({"todo", "t", "milk", "--deadline", "2030-01-31", "--priority=2"}, &line);
    EXPECT_EQ(line, "30/01/31" + Utf8(kUntil) + " " + Utf8("(\x82\x60)" /* (Ａ) */) + "milk\n");
    const std::string listing = m_sandbox.Run({"ls", "t", "todo"}).out;
    EXPECT_TRUE(Contains(listing, "fukuro 0x300C (to-do items) in database 1 \"t\": 1 tip"));
    EXPECT_TRUE(Contains(listing, "#" + tip + " ")) << listing;
    EXPECT_TRUE(Contains(listing, line));

    Fields fields = Show(tip);
    EXPECT_EQ(fields["TAFL"].front(), "0x0300 to-do item");
    EXPECT_EQ(fields["LTDY"].front(), "2030-01-31 00:00:00");
    EXPECT_EQ(fields["PRTY"].front(), "2");
    EXPECT_EQ(fields["MARK"].front(), "0");
    EXPECT_EQ(fields["FNDY"].front(), "2030-12-31 00:00:00 (not checked)");
    EXPECT_EQ(fields["ETDY"].front(), "(empty)");

    const VaroResult done = m_sandbox.Run({"done", "t", tip});
    ASSERT_EQ(done.exitCode, 0) << done.err;
    EXPECT_EQ(done.out, "done: to-do item " + tip + ": " + line);
    fields = Show(tip);
    EXPECT_EQ(fields["MARK"].front(), "1");
    const CString today = CPIMTime::GetTickCount().Format("%Y-%m-%d");
    EXPECT_EQ(fields["FNDY"].front().substr(0, 10), today.Bytes());

    ASSERT_EQ(Set(tip, "check", "no").exitCode, 0);
    fields = Show(tip);
    EXPECT_EQ(fields["MARK"].front(), "0");
    EXPECT_EQ(fields["FNDY"].front(), "2030-12-31 00:00:00 (not checked)");
    const VaroResult cleared = Set(tip, "deadline", "none");
    EXPECT_EQ(cleared.out, "changed to-do item " + tip + ": " + Utf8("(\x82\x60)") + "milk\n");
}

TEST_F(TipCommands, CardFieldsKeepTheirOtherHalf) {
    const std::string tip = Add({"card", "t", Utf8("\x8d\xb2\x93\xa1" /* 佐藤 */), "--reading",
                                 Utf8("\x82\xb3\x82\xc6\x82\xa4" /* さとう */), "--office-tel", "03-1111-2222",
                                 "--mobile", "090-3333-4444", "--office-email", "a@example.jp"});
    // Each role is its own field, though the kit keeps them in one list.
    ASSERT_EQ(Set(tip, "office-tel2", "03-5555-6666").exitCode, 0);
    ASSERT_EQ(Set(tip, "home-tel", "1\n2").exitCode, 0);
    ASSERT_EQ(Set(tip, "home-email", "b@example.jp").exitCode, 0);
    Fields fields = Show(tip);
    EXPECT_EQ(fields["TEL1"], (std::vector<std::string>{"office-tel 03-1111-2222", "office-tel2 03-5555-6666",
                                                        "home-tel 1", "home-tel 2", "mobile 090-3333-4444"}));
    EXPECT_EQ(fields["EMAL"], (std::vector<std::string>{"office-email a@example.jp", "home-email b@example.jp"}));
    ASSERT_EQ(Set(tip, "office-tel", "").exitCode, 0);
    fields = Show(tip);
    EXPECT_EQ(fields["TEL1"].front(), "office-tel2 03-5555-6666");
    EXPECT_EQ(fields["FAX1"].front(), "(empty)");

    // The name and its reading are stored together: setting one keeps the other.
    const std::string yamada = Utf8("\x8e\x52\x93\x63" /* 山田 */);
    ASSERT_EQ(Set(tip, "name", yamada).exitCode, 0);
    EXPECT_EQ(Show(tip)["NAME"].front(), yamada + " (" + Utf8("\x82\xb3\x82\xc6\x82\xa4") + ")");
    ASSERT_EQ(Set(tip, "company", "ACME").exitCode, 0);
    const VaroResult reading = Set(tip, "company-reading", "akume");
    EXPECT_EQ(reading.out, "changed address card " + tip + ": ACME " + yamada + "\n");
    fields = Show(tip);
    EXPECT_EQ(fields["OFCE"].front(), "ACME (akume)");
    EXPECT_EQ(fields["NAME"].front(), yamada + " (" + Utf8("\x82\xb3\x82\xc6\x82\xa4") + ")");

    ASSERT_EQ(Set(tip, "birthday", "19650412").exitCode, 0);
    EXPECT_EQ(Show(tip)["BRTH"].front(), "19650412");
    const VaroResult tooLong = Set(tip, "birthday", "123456789012345");
    EXPECT_EQ(tooLong.exitCode, 1);
    EXPECT_TRUE(Contains(tooLong.err, "at most 14 bytes"));
    EXPECT_EQ(Set(tip, "category1", "100").exitCode, 2);
    ASSERT_EQ(Set(tip, "category1", "99").exitCode, 0);
    EXPECT_EQ(Show(tip)["CTG1"].front(), "99");
}

TEST_F(TipCommands, SchedulePeriodAndAlarm) {
    const std::string meeting = Utf8("\x89\xef\x8b\x63" /* 会議 */);
    std::string line;
    const std::string tip = Add({"schedule", "t", "2030-03-14 10:00", meeting, "--end", "2030-03-14 11:30",
                                 "--alarm", "2030-03-14 09:45"},
                                &line);
    EXPECT_EQ(line, "30/03/14 " + meeting + "\n");
    EXPECT_TRUE(Contains(m_sandbox.Run({"ls", "t", "0x3016"}).out, "#" + tip + " "));
    Fields fields = Show(tip);
    EXPECT_EQ(fields["TIME"], (std::vector<std::string>{"start 2030-03-14 10:00:00", "end   2030-03-14 11:30:00"}));
    EXPECT_EQ(fields["ALON"].front(), "1");
    EXPECT_EQ(fields["ALRM"].front(), "2030-03-14 09:45:00");

    // The start and the end are one field: changing one keeps the other.
    ASSERT_EQ(Set(tip, "start", "2030-03-14 09:00").exitCode, 0);
    EXPECT_EQ(Show(tip)["TIME"],
              (std::vector<std::string>{"start 2030-03-14 09:00:00", "end   2030-03-14 11:30:00"}));
    const VaroResult early = Set(tip, "end", "2030-03-13");
    EXPECT_EQ(early.exitCode, 1);
    EXPECT_TRUE(Contains(early.err, "the end lies before the start"));
    const VaroResult late = Set(tip, "start", "2030-03-15");
    EXPECT_EQ(late.exitCode, 1);
    EXPECT_TRUE(Contains(late.err, "the start lies after the tip's end"));
    ASSERT_EQ(Set(tip, "end", "2030-03-14").exitCode, 0);
    EXPECT_EQ(Show(tip)["TIME"].back(), "end   2030-03-14 (all day)");
    ASSERT_EQ(Set(tip, "end", "none").exitCode, 0);
    EXPECT_EQ(Show(tip)["TIME"], (std::vector<std::string>{"start 2030-03-14 09:00:00"}));

    ASSERT_EQ(Set(tip, "alarm", "none").exitCode, 0);
    EXPECT_FALSE(Contains(m_sandbox.Run({"ls", "t", "0x3016"}).out, "#" + tip + " "));
    EXPECT_EQ(Show(tip)["ALON"].front(), "0");
    EXPECT_EQ(Set(tip, "pending", "yes").out, "changed schedule entry " + tip + ": 30/03/14 (P)" + meeting + "\n");
    ASSERT_EQ(Set(tip, "color", "#FF8000").exitCode, 0);
    EXPECT_EQ(Show(tip)["CLOR"].front(), "#FF8000 (0x000080FF)");

    const std::string allDay = Add({"schedule", "t", "2030-04-01", "holiday trip"});
    EXPECT_EQ(Show(allDay)["TIME"].front(), "start 2030-04-01 (all day)");
}

TEST_F(TipCommands, MemoLinesFileNameAndFieldsOfOtherKinds) {
    const std::string first = Utf8("\x88\xea\x8d\x73\x96\xda" /* 一行目 */);
    const std::string second = Utf8("\x93\xf1\x8d\x73\x96\xda" /* 二行目 */);
    std::string line;
    const std::string tip = Add({"memo", "t", first + "\n" + second}, &line);
    EXPECT_EQ(line, first + " " + second + "\n");
    EXPECT_EQ(Show(tip)["MEMO"], (std::vector<std::string>{first, second}));
    const VaroResult named = Set(tip, "filename", "notes.txt");
    EXPECT_EQ(named.out, "changed memo " + tip + ": " + Utf8("\x81\x79" /* 【 */) + "notes.txt" +
                             Utf8("\x81\x7a" /* 】 */) + first + " " + second + "\n");
    const VaroResult wrongKind = Set(tip, "priority", "1");
    EXPECT_EQ(wrongKind.exitCode, 2);
    EXPECT_TRUE(Contains(wrongKind.err, "this memo has no field 'priority' (it is a field of: todo)"));
    const VaroResult wrongOption = m_sandbox.Run({"add", "memo", "t", "x", "--deadline", "2030-01-01"});
    EXPECT_EQ(wrongOption.exitCode, 2);
    EXPECT_TRUE(Contains(wrongOption.err, "--deadline is not a field of a memo (it is a field of: milestone, todo)"));
}

TEST_F(TipCommands, ShowFollowsThePublishedSchemaAndLsTheFukuros) {
    const std::string tip = Add({"card", "t", "x"});
    const VaroResult shown = m_sandbox.Run({"show", "t", tip});
    const std::vector<std::string> lines = Lines(shown.out);
    const int count = varo::SchemaFieldCount(varo::KIND_CARD_401);
    ASSERT_EQ(lines.size(), static_cast<size_t>(count) + 2);
    EXPECT_EQ(lines[0], "tip " + tip + ": address card (card) in database 1 \"t\"");
    for (int slot = 0; slot < count; ++slot) {
        const std::string& row = lines[slot + 2];
        EXPECT_EQ(row.substr(6, 4), varo::SchemaTag(varo::KIND_CARD_401, slot)) << slot;
        EXPECT_TRUE(Contains(row, Utf8(varo::SchemaLabel(varo::KIND_CARD_401, slot)))) << slot;
    }
    EXPECT_EQ(ShownFields(shown.out)["IMJG"].front(), "(empty)");
    EXPECT_EQ(ShownFields(shown.out)["LIDS"].front(), "none");

    const std::string listing = m_sandbox.Run({"ls", "t"}).out;
    EXPECT_TRUE(Contains(listing, "0x3008        13  (national holidays)"));
    EXPECT_TRUE(Contains(listing, "0x300A         1  (address cards)"));
    EXPECT_EQ(Lines(listing).size(), 1u + (0x3016 - 0x3000 + 1));
    // A holiday has no display string of its own: it is listed by its day.
    EXPECT_TRUE(Contains(m_sandbox.Run({"ls", "t", "0x3008"}).out, "01/01 " + Utf8("\x8c\xb3\x93\xfa" /* 元日 */)));
}

// Points this process's own kit objects at the sandbox's folders.
void UseSandboxHere(const VaroSandbox& sandbox) {
    setenv("VARO_DATA_DIR", sandbox.DataFolder().c_str(), 1);
    setenv("XDG_CONFIG_HOME", (sandbox.Root() + "/config").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (sandbox.Root() + "/run").c_str(), 1);
}

// Fills the to-do fukuro of database 1 in the sandbox straight through the
// kit, which is much quicker than one varo process per tip.
void SeedToDoItems(const VaroSandbox& sandbox, int count) {
    UseSandboxHere(sandbox);
    CVAROObj kit;
    ASSERT_EQ(kit.Init(nullptr), 1);
    ASSERT_EQ(kit.Open(1), 0);
    ASSERT_EQ(kit.FukuroLockOpen(1, 0x300C), 0);
    for (int i = 0; i < count; ++i) {
        kit.SetTipID(0);
        kit.SetTipFlag(varo::KIND_TODO_300);
        kit.SetMemo("many");
        long tip = 0;
        ASSERT_EQ(kit.PutTip(1, 0x300C, &tip), 0);
    }
    kit.FukuroClose(1, 0x300C);
    kit.Close(1);
    kit.End();
}

TEST_F(TipCommands, ListingMoreThanTenThousandTipsShowsProgressOnATerminal) {
    ASSERT_EQ(m_sandbox.Run({"add", "todo", "t", "few"}).exitCode, 0);
    EXPECT_EQ(m_sandbox.Run({"ls", "t", "todo"}, true).err, "");
    const int kMany = 10001;
    SeedToDoItems(m_sandbox, kMany - 1);
    const VaroResult listed = m_sandbox.Run({"ls", "t", "todo"}, true);
    ASSERT_EQ(listed.exitCode, 0);
    EXPECT_EQ(Lines(listed.out).size(), static_cast<size_t>(kMany) + 1);
    EXPECT_TRUE(Contains(listed.err, "reading fukuro 0x300C 0/10001 (0%)")) << listed.err.substr(0, 200);
    EXPECT_TRUE(Contains(listed.err, "reading fukuro 0x300C 10001/10001 (100%)"));
    EXPECT_EQ(listed.err.substr(listed.err.size() - 4), "\r\x1b[K");
}

TEST_F(TipCommands, ATipLockedByAnotherProgramIsShownReadOnlyAndNotChanged) {
    const std::string tip = Add({"todo", "t", "locked", "--deadline", "2030-01-02", "--display-start", "2029-12-01"});
    UseSandboxHere(m_sandbox);
    CVAROObj holder;
    ASSERT_EQ(holder.Init(nullptr), 1);
    ASSERT_EQ(holder.Open(1), 0);
    ASSERT_EQ(holder.FukuroLockOpen(1, 0x300C), 0);

    const VaroResult shown = m_sandbox.Run({"show", "t", tip});
    ASSERT_EQ(shown.exitCode, 0);
    EXPECT_TRUE(Contains(shown.out, "read-only: another program holds a lock on it"));
    Fields fields = ShownFields(shown.out);
    // Fields the kit reads from the read-only layout are still right.
    EXPECT_EQ(fields["MEMO"].front(), "locked");
    EXPECT_EQ(fields["LTDY"].front(), "2030-01-02 00:00:00");
    EXPECT_EQ(fields["ETDY"].front(), "(not readable while read-only)");
    const VaroResult refused = Set(tip, "memo", "changed");
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(Contains(refused.err, "cannot set memo: the tip is read-only"));
    EXPECT_EQ(m_sandbox.Run({"done", "t", tip}).exitCode, 1);

    holder.End();
    fields = Show(tip);
    EXPECT_EQ(fields["MEMO"].front(), "locked");
    EXPECT_EQ(fields["MARK"].front(), "0");
    EXPECT_EQ(fields["ETDY"].front(), "2029-12-01 00:00:00");
}

}  // namespace
