#include <climits>

#include "FieldTestSupport.h"

namespace {

class PlainFieldsTest : public FieldTest {};

TEST_F(PlainFieldsTest, TextsAreStoredWithTheirTerminatorAndKindTested) {
    NewTip(0x300);
    EXPECT_EQ(m_kit.SetMemo("buy milk"), 1);
    EXPECT_EQ(Stored(5), Bytes("buy milk\0"));
    EXPECT_EQ(StoredType(5), 1u);
    CString text;
    EXPECT_EQ(m_kit.GetMemo(text), 1);
    EXPECT_EQ(text, "buy milk");
    EXPECT_EQ(m_kit.SetSection("x"), 0);  // not a card
    EXPECT_EQ(m_kit.GetSection(text), 0);
    EXPECT_TRUE(text.IsEmpty());

    // Memo kinds other than 0x501 and 0x505 have a MEMO slot but no memo.
    NewTip(0x502);
    EXPECT_EQ(m_kit.SetMemo("m"), 0);
    EXPECT_EQ(m_kit.GetMemo(text), 0);

    NewTip(0x401);
    EXPECT_EQ(m_kit.SetFree6("six"), 1);
    EXPECT_EQ(Stored(26), Bytes("six\0"));
    EXPECT_EQ(m_kit.SetPersonalRemark(""), 1);
    EXPECT_EQ(m_kit.GetPersonalRemark(text), 0);  // an empty text reads as absent

    NewTip(0xF00);
    EXPECT_EQ(m_kit.SetFilename("a.txt"), 1);
    EXPECT_EQ(Stored(5), Bytes("a.txt\0"));
    NewTip(0x503);
    EXPECT_EQ(m_kit.SetFilename("b.txt"), 1);
    EXPECT_EQ(Stored(6), Bytes("b.txt\0"));
}

TEST_F(PlainFieldsTest, TextsTooLongForASixteenBitLengthAreRefused) {
    NewTip(0x300);
    ASSERT_EQ(m_kit.SetMemo("keep"), 1);
    // 65534 bytes and the terminator would need a length of 65535.
    EXPECT_EQ(m_kit.SetMemo(CString(std::string(65534, 'x'))), 0);
    EXPECT_EQ(Stored(5), Bytes("keep\0"));
    EXPECT_EQ(m_kit.SetMemo(CString(std::string(65533, 'x'))), 1);
    EXPECT_EQ(Stored(5).size(), 65534u);
}

TEST_F(PlainFieldsTest, ConvertedAndPlainCopyGetters) {
    NewTip(0xF00);
    // 0x98 0x73 is the device code for 株; the plain-copy getters keep it.
    ASSERT_EQ(m_kit.SetPathName("\x98\x73"), 1);
    ASSERT_EQ(m_kit.SetFilename("\x98\x73"), 1);
    CString text;
    EXPECT_EQ(m_kit.GetPathName(text), 1);
    EXPECT_EQ(text, "\x98\x73");
    EXPECT_EQ(m_kit.GetFilename(text), 1);
    EXPECT_EQ(text, "\x8a\x94");
}

TEST_F(PlainFieldsTest, FlagsAndNumbersUseTheirDecimalForms) {
    NewTip(0x101);
    EXPECT_EQ(m_kit.SetSecret(1), 1);
    EXPECT_EQ(Stored(1), Bytes("1\0"));
    EXPECT_EQ(StoredType(1), 9u);
    EXPECT_EQ(m_kit.SetDisplayPosition(7), 1);
    EXPECT_EQ(Stored(7), Bytes("07\0"));
    EXPECT_EQ(StoredType(7), 8u);
    EXPECT_EQ(m_kit.SetDisplayPosition(100), 0);
    EXPECT_EQ(m_kit.SetDisplayPosition(-1), 0);
    EXPECT_EQ(Stored(7), Bytes("07\0"));

    NewTip(0x300);
    EXPECT_EQ(m_kit.SetPriority(0), 0);
    EXPECT_EQ(m_kit.SetPriority(11), 0);
    EXPECT_EQ(m_kit.SetPriority(10), 1);
    EXPECT_EQ(Stored(7), Bytes("10\0"));
    EXPECT_EQ(m_kit.SetPriority(3), 1);
    EXPECT_EQ(Stored(7), Bytes("3\0"));
    int value = -1;
    EXPECT_EQ(m_kit.GetPriority(&value), 1);
    EXPECT_EQ(value, 3);

    NewTip(0x402);
    EXPECT_EQ(m_kit.SetShochuumimai(3), 1);
    EXPECT_EQ(Stored(17), Bytes("3\0"));
    EXPECT_EQ(m_kit.SetSeibo(4), 0);
    EXPECT_EQ(m_kit.SetCategory1(-1), 0);
    EXPECT_EQ(m_kit.SetCategory3(5), 1);
    EXPECT_EQ(Stored(31), Bytes("05\0"));
    EXPECT_EQ(m_kit.SetCategory2(99), 1);
    EXPECT_EQ(Stored(30), Bytes("99\0"));
}

TEST_F(PlainFieldsTest, NumberGettersReadWhatOthersStored) {
    NewTip(0x101);
    int position = -1;
    Store(7, Bytes("150\0"));
    EXPECT_EQ(m_kit.GetDisplayPosition(&position), 1);
    EXPECT_EQ(position, 0);
    Store(7, Bytes(" -12x\0"));
    NewTip(0x300);
    int priority = 9;
    Store(7, Bytes(" -12x\0"));
    EXPECT_EQ(m_kit.GetPriority(&priority), 1);
    EXPECT_EQ(priority, -12);
    Store(7, Bytes("\0"));
    EXPECT_EQ(m_kit.GetPriority(&priority), 0);
    EXPECT_EQ(priority, 0);
    // A number stored without a terminator is read within its bytes.
    Store(7, std::string("42"));
    EXPECT_EQ(m_kit.GetPriority(&priority), 1);
    EXPECT_EQ(priority, 42);
    Store(7, std::string("99999999999999"));
    EXPECT_EQ(m_kit.GetPriority(&priority), 1);
    EXPECT_EQ(priority, INT32_MAX);
    int secret = 5;
    NewTip(0x800);
    EXPECT_EQ(m_kit.GetSecret(&secret), 0);
    EXPECT_EQ(secret, 0);
}

TEST_F(PlainFieldsTest, CheckZeroLeavesTheFarFutureCheckDate) {
    NewTip(0x300);
    Store(4, Bytes("19990101120000\0"));
    EXPECT_EQ(m_kit.SetCheck(1), 1);
    EXPECT_EQ(Stored(3), Bytes("1\0"));
    EXPECT_EQ(Stored(4), Bytes("19990101120000\0"));
    const uint32_t checkDateType = StoredType(4);
    EXPECT_EQ(m_kit.SetCheck(0), 1);
    EXPECT_EQ(Stored(3), Bytes("0\0"));
    EXPECT_EQ(Stored(4), Bytes("20301231\0"));
    EXPECT_EQ(StoredType(4), checkDateType);
    NewTip(0x900);
    EXPECT_EQ(m_kit.SetCheck(0), 0);
}

TEST_F(PlainFieldsTest, ColoursAndIds) {
    NewTip(0x201);
    unsigned long colour = 0;
    EXPECT_EQ(m_kit.GetColor(&colour), 1);  // initial value: four zero bytes
    EXPECT_EQ(colour, 0u);
    Store(10, Bytes("\x00\x80\x00\x00"));
    EXPECT_EQ(m_kit.GetColor(&colour), 1);
    EXPECT_EQ(colour, 0x8000u);
    Store(10, Bytes("\x01\x02"));
    EXPECT_EQ(m_kit.GetColor(&colour), 1);
    EXPECT_EQ(colour, 0xFF0000u);
    EXPECT_EQ(m_kit.SetColor(0xFFFFFFFFul), 1);
    EXPECT_EQ(Stored(10), Bytes("\xff\xff\xff\xff"));
    EXPECT_EQ(StoredType(10), 0x4003u);
    EXPECT_EQ(m_kit.SetColor(0x100000000ul), 0);

    NewTip(0x300);
    colour = 1;
    EXPECT_EQ(m_kit.GetColor(&colour), 0);
    EXPECT_EQ(colour, 0xFF0000u);

    NewTip(0x102);
    long fukuro = 77;
    Store(7, std::string());
    EXPECT_EQ(m_kit.SetParentPlanFukuro(-2), 1);
    EXPECT_EQ(Stored(7), Bytes("\xfe\xff\xff\xff"));
    EXPECT_EQ(m_kit.GetParentPlanFukuro(&fukuro), 1);
    EXPECT_EQ(fukuro, -2);
    EXPECT_EQ(m_kit.SetParentPlanFukuro(long{INT32_MAX} + 1), 0);
    Store(7, Bytes("\x05"));  // too short to hold an id: not read
    fukuro = 77;
    EXPECT_EQ(m_kit.GetParentPlanFukuro(&fukuro), 0);
    EXPECT_EQ(fukuro, 77);

    NewTip(0x800);
    long page = 5;
    EXPECT_EQ(m_kit.SetCurrentPage(3), 1);
    EXPECT_EQ(m_kit.GetCurrentPage(&page), 1);
    EXPECT_EQ(page, 3);
    NewTip(0x300);
    EXPECT_EQ(m_kit.GetCurrentPage(&page), 0);
    EXPECT_EQ(page, 0);
}

TEST_F(PlainFieldsTest, LinkLists) {
    NewTip(0x401);
    CSelectTips list;
    EXPECT_EQ(m_kit.SetLinkData(list), 1);
    EXPECT_EQ(Stored(32), Bytes("\0\0\0\0"));
    list.Add(5);
    EXPECT_EQ(m_kit.GetLinkData(list), 1);
    EXPECT_EQ(list.GetSize(), 0);

    list.Add(0x01020304);
    list.Add(static_cast<DWORD>(-1));
    EXPECT_EQ(m_kit.SetLinkData(list), 1);
    EXPECT_EQ(Stored(32), Bytes("\x02\0\0\0\x04\x03\x02\x01\xff\xff\xff\xff"));
    EXPECT_EQ(StoredType(32), 0x4002u);
    CSelectTips back;
    EXPECT_EQ(m_kit.GetLinkData(back), 1);
    ASSERT_EQ(back.GetSize(), 2);
    EXPECT_EQ(back[0], 0x01020304u);

    // A count larger than the stored ids never reads past them.
    Store(32, Bytes("\x09\0\0\0\x07\0\0\0"));
    EXPECT_EQ(m_kit.GetLinkData(back), 1);
    ASSERT_EQ(back.GetSize(), 1);
    EXPECT_EQ(back[0], 7u);
    Store(32, Bytes("\x01\0"));
    EXPECT_EQ(m_kit.GetLinkData(back), 0);

    // 16382 ids fit a 16-bit length; 16383 do not.
    CSelectTips many;
    for (int i = 0; i < 16383; ++i) many.Add(i + 1);
    EXPECT_EQ(m_kit.SetLinkData(many), 0);
    EXPECT_EQ(Stored(32), Bytes("\x01\0"));
    many.RemoveAt(0);
    EXPECT_EQ(m_kit.SetLinkData(many), 1);
    EXPECT_EQ(Stored(32).size(), 4u + 4u * 16382u);

    NewTip(0x203);
    EXPECT_EQ(m_kit.SetLinkData(list), 0);
}

TEST_F(PlainFieldsTest, ReadOnlyFlagRefusesSettersButItsThreeExceptions) {
    NewTip(0x204);
    ReadOnly(true);
    EXPECT_EQ(m_kit.SetMemo("m"), 0);
    EXPECT_EQ(m_kit.SetSecret(1), 0);
    EXPECT_EQ(m_kit.SetCheck(0), 0);
    EXPECT_EQ(m_kit.SetHoliday(1), 1);
    EXPECT_EQ(Stored(8), Bytes("1\0"));
    NewTip(0x300);
    ReadOnly(true);
    CSelectTips list;
    list.Add(3);
    EXPECT_EQ(m_kit.SetLinkData(list), 1);
    EXPECT_EQ(Stored(9), Bytes("\x01\0\0\0\x03\0\0\0"));
    ReadOnly(false);
    EXPECT_EQ(m_kit.SetMemo("m"), 1);
}

TEST_F(PlainFieldsTest, ReadOnlyTipsAreReadFromTheCompactSlots) {
    NewTip(0x800);
    Store(7, Bytes("compact memo\0"));
    Store(15, Bytes("\x11\x22\x33\x00"));
    Store(16, Bytes("\x09\x00\x00\x00"));
    CString text;
    EXPECT_EQ(m_kit.GetMemo(text), 0);
    ReadOnly(true);
    EXPECT_EQ(m_kit.GetMemo(text), 1);  // any kind while read-only
    EXPECT_EQ(text, "compact memo");
    unsigned long colour = 0;
    EXPECT_EQ(m_kit.GetColor(&colour), 1);
    EXPECT_EQ(colour, 0x332211u);
    long fukuro = 0;
    EXPECT_EQ(m_kit.GetParentPlanFukuro(&fukuro), 1);
    EXPECT_EQ(fukuro, 9);

    // The other read-only slots apply only to the kinds their getter accepts.
    NewTip(0x300);
    Store(13, Bytes("8\0"));
    Store(7, Bytes("2\0"));
    ReadOnly(true);
    int priority = 0;
    EXPECT_EQ(m_kit.GetPriority(&priority), 1);
    EXPECT_EQ(priority, 8);
    ReadOnly(false);
    EXPECT_EQ(m_kit.GetPriority(&priority), 1);
    EXPECT_EQ(priority, 2);

    NewTip(0x201);
    Store(17, Bytes("1\0"));
    ReadOnly(true);
    int pending = 0;
    EXPECT_EQ(m_kit.GetPending(&pending), 1);
    EXPECT_EQ(pending, 1);
    NewTip(0x101);
    Store(14, Bytes("42\0"));
    ReadOnly(true);
    int position = 0;
    EXPECT_EQ(m_kit.GetDisplayPosition(&position), 1);
    EXPECT_EQ(position, 42);
    NewTip(0xF00);
    Store(12, Bytes("ro.txt\0"));
    ReadOnly(true);
    EXPECT_EQ(m_kit.GetFilename(text), 1);
    EXPECT_EQ(text, "ro.txt");
    NewTip(0x505);
    Store(11, Bytes("memo.txt\0"));
    ReadOnly(true);
    EXPECT_EQ(m_kit.GetFilename(text), 1);
    EXPECT_EQ(text, "memo.txt");
}

// 山田 and やまだ, typed here as their Shift-JIS bytes.
const char kYamada[] = "\x8e\x52\x93\x63";
const char kYamadaYomi[] = "\x82\xe2\x82\xdc\x82\xbe";

TEST_F(PlainFieldsTest, NamesWithReadingsGoThroughTheStagingText) {
    NewTip(0x401);
    EXPECT_EQ(m_kit.SetName(kYamada), 1);
    EXPECT_EQ(Stored(5), Bytes("\0\0"));  // staged only
    EXPECT_EQ(m_kit.SetNameYomi(kYamadaYomi), 1);
    EXPECT_EQ(Stored(5), std::string(kYamada) + '\0' + kYamadaYomi + '\0');
    EXPECT_EQ(Stored(5).size(), 12u);
    EXPECT_EQ(StoredType(5), 2u);
    CString text;
    EXPECT_EQ(m_kit.GetName(text), 1);
    EXPECT_EQ(text, kYamada);
    EXPECT_EQ(m_kit.GetNameYomi(text), 1);
    EXPECT_EQ(text, kYamadaYomi);

    // One staging text serves both names: the last name staged wins.
    EXPECT_EQ(m_kit.SetName("A"), 1);
    EXPECT_EQ(m_kit.SetOfficeName("B"), 1);
    EXPECT_EQ(m_kit.SetNameYomi("a"), 1);
    EXPECT_EQ(Stored(5), Bytes("B\0a\0"));
    EXPECT_EQ(m_kit.SetOfficeNameYomi("b"), 1);
    EXPECT_EQ(Stored(6), Bytes("B\0b\0"));
    EXPECT_EQ(m_kit.GetOfficeName(text), 1);
    EXPECT_EQ(text, "B");
    // The staging text survives a new tip.
    NewTip(0x403);
    EXPECT_EQ(CVAROObjTestAccess::Staging(m_kit), "B");

    Store(5, Bytes("\0reading\0"));
    EXPECT_EQ(m_kit.GetNameYomi(text), 0);
    EXPECT_EQ(m_kit.GetName(text), 0);
    Store(5, Bytes("only\0"));
    EXPECT_EQ(m_kit.GetNameYomi(text), 1);
    EXPECT_TRUE(text.IsEmpty());
    // Read-only cards read the name from slot 8; readings stay at slot 5.
    Store(8, Bytes("ro\0x\0"));
    ReadOnly(true);
    EXPECT_EQ(m_kit.GetName(text), 1);
    EXPECT_EQ(text, "ro");
    EXPECT_EQ(m_kit.SetName("z"), 0);
}

TEST_F(PlainFieldsTest, PreferenceTipsNameTheirKindDirectly) {
    NewTip(0x900);
    EXPECT_EQ(m_kit.SetName("\x98\x73"), 1);
    EXPECT_EQ(Stored(1), Bytes("\x98\x73\0"));
    EXPECT_EQ(StoredType(1), 1u);
    CString text;
    EXPECT_EQ(m_kit.GetName(text), 1);
    EXPECT_EQ(text, "\x98\x73");  // copied, not converted
    NewTip(0x300);
    EXPECT_EQ(m_kit.SetName("x"), 0);
    EXPECT_EQ(m_kit.SetNameYomi("x"), 0);
}

TEST_F(PlainFieldsTest, TipFlagResetsTheTipButNotItsId) {
    m_kit.SetTipID(55);
    EXPECT_EQ(m_kit.SetTipFlag(0x999), 0);
    unsigned short kind = 0;
    long id = -1;
    EXPECT_EQ(m_kit.GetTipFlag(&kind), 1);
    EXPECT_EQ(kind, 0x999);
    EXPECT_EQ(m_kit.GetTipID(&id), 1);
    EXPECT_EQ(id, 0);
    EXPECT_EQ(m_kit.SetMemo("x"), 0);
}

}  // namespace
