#include <string>

#include "FieldTestSupport.h"
#include "PIMTime.h"

namespace {

class DisplayStringTest : public FieldTest {
protected:
    std::string Line() {
        const Text line = Get(&CVAROObj::GetDisplayString);
        EXPECT_EQ(line.first, 1);
        return line.second;
    }
    static CPIMTime At(int y, int mo, int d, int h = 0) { return CPIMTime(y, mo, d, h, 0, 0, -1); }
};

TEST_F(DisplayStringTest, DatedKindsShowTheirDatesFlagsAndMemo) {
    NewTip(0x201);
    ASSERT_EQ(m_kit.SetStartTime(At(1998, 4, 1, 9), 2), 1);
    ASSERT_EQ(m_kit.SetPending(1), 1);
    ASSERT_EQ(m_kit.SetMemo("one\r\ntwo"), 1);
    EXPECT_EQ(Line(), "98/04/01 (P)one two");  // schedules show the list memo
    // No start date: an empty date, not the one of the tip before.
    NewTip(0x202);
    ASSERT_EQ(m_kit.SetMemo("m"), 1);
    EXPECT_EQ(Line(), " m");

    NewTip(0x101);
    ASSERT_EQ(m_kit.SetStartTime(At(1998, 3, 14), 1), 1);
    ASSERT_EQ(m_kit.SetEndTime(At(1998, 3, 20), 1), 1);
    ASSERT_EQ(m_kit.SetMemo("plan\r\nB"), 1);
    EXPECT_EQ(Line(), "98/03/14-98/03/20 plan\r\nB");
    ASSERT_EQ(m_kit.SetEndTime(), 1);  // without an end the line's one date still holds the start
    EXPECT_EQ(Line(), "98/03/14-98/03/14 plan\r\nB");
    NewTip(0x103);
    EXPECT_EQ(Line(), "- ");

    NewTip(0x102);
    ASSERT_EQ(m_kit.SetLimitDay(At(1998, 12, 31)), 1);
    ASSERT_EQ(m_kit.SetMemo("goal"), 1);
    EXPECT_EQ(Line(), "98/12/31 goal");
    ASSERT_EQ(m_kit.SetLimitDay(), 1);
    EXPECT_EQ(Line(), " goal");
}

TEST_F(DisplayStringTest, ToDoItemsShowDeadlineAndPriorityLabel) {
    NewTip(0x300);
    ASSERT_EQ(m_kit.SetMemo("task"), 1);
    EXPECT_EQ(Line(), "task");
    ASSERT_EQ(m_kit.SetPriority(1), 1);
    ASSERT_EQ(m_kit.SetLimitDay(At(1998, 12, 31)), 1);
    EXPECT_EQ(Line(), "98/12/31\x82\xdc\x82\xc5 (\x8b\xd9)task" /* 98/12/31まで (緊)task */);
    ASSERT_EQ(m_kit.SetLimitDay(), 1);
    // Priorities 2 to 10 are labelled with the full-width letters Ａ to Ｉ.
    for (int priority = 2; priority <= 10; ++priority) {
        ASSERT_EQ(m_kit.SetPriority(priority), 1);
        const std::string label = {'(', '\x82', static_cast<char>(0x60 + priority - 2), ')'};
        EXPECT_EQ(Line(), label + "task");
    }
    Store(7, Bytes("15\0"));  // a priority outside the range, written elsewhere, shows none
    EXPECT_EQ(Line(), "task");

    // Read-only to-do items are shown from their read-only slots.
    Store(6, Bytes("19981231000000\0"));
    Store(13, Bytes("3\0"));
    Store(7, Bytes("ro memo\0"));
    ReadOnly(true);
    EXPECT_EQ(Line(), "98/12/31\x82\xdc\x82\xc5 (\x82\x61)ro memo" /* 98/12/31まで (Ｂ)ro memo */);
}

TEST_F(DisplayStringTest, CardsMemosAndFileLinks) {
    NewTip(0x404);
    ASSERT_EQ(m_kit.SetName("\x8e\x52\x93\x63" /* 山田 */), 1);
    ASSERT_EQ(m_kit.SetNameYomi("yamada"), 1);
    EXPECT_EQ(Line(), "\x8e\x52\x93\x63" /* 山田 */);
    ASSERT_EQ(m_kit.SetOfficeName("\x98\x73" "ABC" /* device code of 株, ABC */), 1);
    ASSERT_EQ(m_kit.SetOfficeNameYomi("abc"), 1);
    EXPECT_EQ(Line(), "\x8a\x94" "ABC \x8e\x52\x93\x63" /* 株ABC 山田 */);

    NewTip(0x501);
    ASSERT_EQ(m_kit.SetMemo("note"), 1);
    EXPECT_EQ(Line(), "note");
    ASSERT_EQ(m_kit.SetFilename("x"), 1);
    EXPECT_EQ(Line(), "\x81\x79x\x81\x7anote" /* 【x】note */);
    NewTip(0x502);
    Store(5, Bytes("never\0"));
    ASSERT_EQ(m_kit.SetFilename("x"), 1);
    EXPECT_EQ(Line(), "\x81\x79x\x81\x7a" /* 【x】 */);

    NewTip(0xF00);
    EXPECT_EQ(Line(), "");
    for (auto [name, shown] : {std::pair<const char*, const char*>{"Report.LNK", "Report"}, {"a.lnk.txt", "a"},
                               {"notes.txt", "notes.txt"}}) {
        ASSERT_EQ(m_kit.SetFilename(name), 1);
        EXPECT_EQ(Line(), shown);
    }
    // Kinds without a rule, and a value that is no kind, give nothing.
    for (unsigned short kind : {0x203, 0x204, 0x800, 0x900, 0x205}) {
        m_kit.SetTipFlag(kind);
        EXPECT_EQ(Get(&CVAROObj::GetDisplayString), Text(0, "")) << kind;
    }
}

TEST_F(DisplayStringTest, ListMemoIsOneLineCutBetweenCharacters) {
    NewTip(0x505);
    std::string doubleBytes;
    for (int i = 0; i < 200; ++i) doubleBytes += "\x88\xea" /* 一 */;
    const std::pair<std::string, std::string> rows[] = {
        {Bytes("\r\nab\0"), "ab"},
        {Bytes("a\r\n\r\nb\0"), "a  b"},
        {Bytes("a\rb\nc\0"), "a\rb\nc"},
        {std::string(300, 'x') + '\0', std::string(255, 'x')},
        {doubleBytes + '\0', doubleBytes.substr(0, 256)},
        // The device code for FAX written at 254 bytes takes the line to 257.
        {std::string(254, 'x') + "\xeb\x5b" "yy" + '\0', std::string(254, 'x') + "FAX"},
        {Bytes("\0"), ""},  // an empty memo is a line, though GetMemo finds no memo
    };
    for (const auto& [stored, line] : rows) {
        Store(5, stored);
        EXPECT_EQ(Get(&CVAROObj::GetListMemo), Text(1, line)) << stored;
    }
    EXPECT_EQ(Get(&CVAROObj::GetMemo).first, 0);

    NewTip(0x503);
    Store(5, Bytes("m\0"));
    EXPECT_EQ(Get(&CVAROObj::GetListMemo).first, 0);
    NewTip(0x800);
    Store(7, Bytes("board\0"));
    EXPECT_EQ(Get(&CVAROObj::GetListMemo).first, 0);
    ReadOnly(true);
    EXPECT_EQ(Get(&CVAROObj::GetListMemo), Text(1, "board"));
}

TEST_F(DisplayStringTest, CutCRLFStaysWithinItsData) {
    const auto cut = [this](const char* data, unsigned short count) {
        unsigned short length = 0;
        char* block = CVAROObjTestAccess::CutCRLF(m_kit, data, count, &length);
        std::string line(block, length);
        GlobalFree(reinterpret_cast<HGLOBAL>(block));
        return line;
    };
    // The byte after the data would pair with the last one if it were read.
    EXPECT_EQ(cut("a\r\n", 2), Bytes("a\r\0"));
    EXPECT_EQ(cut("ab\x82\x5b", 3), Bytes("ab\0"));
    EXPECT_EQ(cut("x", 0), Bytes("\0"));
}

}  // namespace
