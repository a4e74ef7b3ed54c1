#include <climits>
#include <vector>

#include "FieldTestSupport.h"

namespace {

using LinkIds = std::pair<int, std::vector<DWORD>>;

class PlainFieldsTest : public FieldTest {
protected:
    int SetLinks(const std::vector<DWORD>& ids) {
        CSelectTips list;
        for (DWORD id : ids) list.Add(id);
        return m_kit.SetLinkData(list);
    }
    // GetLinkData's result and ids, read into a list that held an id before.
    LinkIds Links() {
        CSelectTips list;
        list.Add(5);
        LinkIds read{m_kit.GetLinkData(list), {}};
        for (int i = 0; i < list.GetSize(); ++i) read.second.push_back(list[i]);
        return read;
    }
};

using IntSetter = int (CVAROObj::*)(int);

TEST_F(PlainFieldsTest, TextsAreStoredWithTheirTerminatorWhereTheKindHasThem) {
    NewTip(0x300);
    EXPECT_EQ(m_kit.SetMemo("buy milk"), 1);
    EXPECT_EQ(Stored(5), Bytes("buy milk\0"));
    EXPECT_EQ(StoredType(5), 1u);
    EXPECT_EQ(Get(&CVAROObj::GetMemo), Text(1, "buy milk"));
    // A field holds 65535 bytes: 65535 and the terminator do not fit,
    // 65534 and the terminator do.
    EXPECT_EQ(m_kit.SetMemo(CString(std::string(65535, 'x'))), 0);
    EXPECT_EQ(Stored(5), Bytes("buy milk\0"));
    EXPECT_EQ(m_kit.SetMemo(CString(std::string(65534, 'x'))), 1);
    EXPECT_EQ(Stored(5).size(), 65535u);
    EXPECT_EQ(Get(&CVAROObj::GetMemo).second.size(), 65534u);

    // Memo kinds other than 0x501 and 0x505 have a MEMO slot but no memo.
    NewTip(0x502);
    EXPECT_EQ(m_kit.SetMemo("m"), 0);
    EXPECT_EQ(m_kit.SetFilename("b.txt"), 1);
    EXPECT_EQ(Stored(6), Bytes("b.txt\0"));
    NewTip(0x401);
    EXPECT_EQ(m_kit.SetPersonalRemark(""), 1);
    EXPECT_EQ(Get(&CVAROObj::GetPersonalRemark), Text(0, ""));  // an empty text reads as absent

    // 0x98 0x73 is the device code for 株; the plain-copy getters keep it.
    NewTip(0xF00);
    ASSERT_EQ(m_kit.SetPathName("\x98\x73"), 1);
    ASSERT_EQ(m_kit.SetFilename("\x98\x73"), 1);
    EXPECT_EQ(Stored(5), Bytes("\x98\x73\0"));
    EXPECT_EQ(Get(&CVAROObj::GetPathName), Text(1, "\x98\x73"));
    EXPECT_EQ(Get(&CVAROObj::GetFilename), Text(1, "\x8a\x94" /* 株 */));
}

TEST_F(PlainFieldsTest, NumbersAreStoredInTheirDecimalFormsWithinTheirRanges) {
    const struct {
        unsigned short kind;
        IntSetter set;
        int value, slot;
        const char* stored;  // null: refused, the slot unchanged
    } rows[] = {
        {0x101, &CVAROObj::SetSecret, 1, 1, "1"},           {0x101, &CVAROObj::SetDisplayPosition, 7, 7, "07"},
        {0x101, &CVAROObj::SetDisplayPosition, 100, 7, nullptr}, {0x101, &CVAROObj::SetDisplayPosition, -1, 7, nullptr},
        {0x300, &CVAROObj::SetPriority, 0, 7, nullptr},     {0x300, &CVAROObj::SetPriority, 11, 7, nullptr},
        {0x300, &CVAROObj::SetPriority, 10, 7, "10"},       {0x300, &CVAROObj::SetPriority, 3, 7, "3"},
        {0x402, &CVAROObj::SetShochuumimai, 3, 17, "3"},    {0x402, &CVAROObj::SetSeibo, 4, 20, nullptr},
        {0x402, &CVAROObj::SetCategory1, -1, 29, nullptr},  {0x402, &CVAROObj::SetCategory3, 5, 31, "05"},
        {0x402, &CVAROObj::SetCategory2, 99, 30, "99"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "slot " << row.slot << " value " << row.value);
        NewTip(row.kind);
        const std::string before = Stored(row.slot);
        EXPECT_EQ((m_kit.*row.set)(row.value), row.stored ? 1 : 0);
        EXPECT_EQ(Stored(row.slot), row.stored ? std::string(row.stored) + '\0' : before);
    }
    EXPECT_EQ(StoredType(30), 8u);  // a number; flags are 9
    EXPECT_EQ(m_kit.SetSecret(1), 1);
    EXPECT_EQ(StoredType(1), 9u);
}

TEST_F(PlainFieldsTest, NumberGettersReadWhatOthersStoredWithinItsBytes) {
    NewTip(0x300);
    const std::pair<std::string, Number> priorities[] = {
        {Bytes("3\0"), {1, 3}},   {Bytes(" -12x\0"), {1, -12}},        {Bytes("\0"), {0, 0}},
        {"42", {1, 42}} /* no terminator */, {"99999999999999", {1, INT32_MAX}}};
    for (const auto& [stored, read] : priorities) {
        Store(7, stored);
        EXPECT_EQ(Get(&CVAROObj::GetPriority), read) << stored;
    }
    NewTip(0x101);
    Store(7, Bytes("150\0"));
    EXPECT_EQ(Get(&CVAROObj::GetDisplayPosition), Number(1, 0));
    NewTip(0x800);
    EXPECT_EQ(Get(&CVAROObj::GetSecret), Number(0, 0));
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

TEST_F(PlainFieldsTest, ColoursAndIdsAreFourBytesLeastSignificantFirst) {
    NewTip(0x201);
    Store(10, Bytes("\x00\x80\x00\x00"));
    EXPECT_EQ(Get(&CVAROObj::GetColor), Number(1, 0x8000));
    Store(10, Bytes("\x01\x02"));  // too short: the default red, not read past
    EXPECT_EQ(Get(&CVAROObj::GetColor), Number(1, 0xFF0000));
    EXPECT_EQ(m_kit.SetColor(0xFFFFFFFFul), 1);
    EXPECT_EQ(Stored(10), Bytes("\xff\xff\xff\xff"));
    EXPECT_EQ(StoredType(10), 0x4003u);
    EXPECT_EQ(m_kit.SetColor(0x100000000ul), 0);
    NewTip(0x300);
    EXPECT_EQ(Get(&CVAROObj::GetColor), Number(0, 0xFF0000));

    NewTip(0x102);
    EXPECT_EQ(m_kit.SetParentPlanFukuro(-2), 1);
    EXPECT_EQ(Stored(7), Bytes("\xfe\xff\xff\xff"));
    EXPECT_EQ(Get(&CVAROObj::GetParentPlanFukuro), Number(1, -2));
    EXPECT_EQ(m_kit.SetParentPlanFukuro(long{INT32_MAX} + 1), 0);
    Store(7, Bytes("\x05"));  // too short to hold an id: not read
    EXPECT_EQ(Get(&CVAROObj::GetParentPlanFukuro), Number(0, kUntouched));

    NewTip(0x800);
    EXPECT_EQ(m_kit.SetCurrentPage(3), 1);
    EXPECT_EQ(Get(&CVAROObj::GetCurrentPage), Number(1, 3));
    NewTip(0x300);
    EXPECT_EQ(Get(&CVAROObj::GetCurrentPage), Number(0, 0));

    // The current tip's id is 32 bits too: a wider one is refused, not cut
    // to the id of another tip.
    EXPECT_EQ(m_kit.SetTipID(-7), 1);
    EXPECT_EQ(m_kit.SetTipID(long{INT32_MAX} + 9), 0);
    long id = 0;
    m_kit.GetTipID(&id);
    EXPECT_EQ(id, -7);
}

TEST_F(PlainFieldsTest, LinkListsAreACountAndIdsReadWithinTheirBytes) {
    NewTip(0x401);
    EXPECT_EQ(SetLinks({}), 1);
    EXPECT_EQ(Stored(32), Bytes("\0\0\0\0"));
    EXPECT_EQ(Links(), LinkIds(1, {}));  // the list is replaced, not appended to
    EXPECT_EQ(SetLinks({0x01020304, 0xFFFFFFFF}), 1);
    EXPECT_EQ(Stored(32), Bytes("\x02\0\0\0\x04\x03\x02\x01\xff\xff\xff\xff"));
    EXPECT_EQ(StoredType(32), 0x4002u);

    // A count larger than the stored ids never reads past them.
    Store(32, Bytes("\x09\0\0\0\x07\0\0\0"));
    EXPECT_EQ(Links(), LinkIds(1, {7}));
    Store(32, Bytes("\x01\0"));
    EXPECT_EQ(Links(), LinkIds(0, {}));

    // 16382 ids fit a 16-bit length; 16383 do not.
    std::vector<DWORD> many(16383, 1);
    EXPECT_EQ(SetLinks(many), 0);
    EXPECT_EQ(Stored(32), Bytes("\x01\0"));
    many.pop_back();
    EXPECT_EQ(SetLinks(many), 1);
    EXPECT_EQ(Stored(32).size(), 4u + 4u * 16382u);
    NewTip(0x203);
    EXPECT_EQ(SetLinks({}), 0);
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
    EXPECT_EQ(SetLinks({3}), 1);
    EXPECT_EQ(Stored(9), Bytes("\x01\0\0\0\x03\0\0\0"));
    ReadOnly(false);
    EXPECT_EQ(m_kit.SetMemo("m"), 1);
}

TEST_F(PlainFieldsTest, ReadOnlyTipsAreReadFromTheCompactSlots) {
    NewTip(0x800);
    Store(7, Bytes("compact memo\0"));
    Store(15, Bytes("\x11\x22\x33\x00"));
    Store(16, Bytes("\x09\x00\x00\x00"));
    EXPECT_EQ(Get(&CVAROObj::GetMemo), Text(0, ""));
    ReadOnly(true);
    EXPECT_EQ(Get(&CVAROObj::GetMemo), Text(1, "compact memo"));  // any kind while read-only
    EXPECT_EQ(Get(&CVAROObj::GetColor), Number(1, 0x332211));
    EXPECT_EQ(Get(&CVAROObj::GetParentPlanFukuro), Number(1, 9));

    // The other read-only slots apply only to the kinds their getter accepts.
    const struct {
        unsigned short kind;
        int (CVAROObj::*get)(int*);
        int slot, readOnlySlot;
    } numbers[] = {{0x300, &CVAROObj::GetPriority, 7, 13},
                   {0x201, &CVAROObj::GetPending, 7, 17},
                   {0x101, &CVAROObj::GetDisplayPosition, 7, 14}};
    for (const auto& row : numbers) {
        SCOPED_TRACE(row.readOnlySlot);
        NewTip(row.kind);
        Store(row.slot, Bytes("2\0"));
        Store(row.readOnlySlot, Bytes("8\0"));
        ReadOnly(true);
        EXPECT_EQ(Get(row.get), Number(1, 8));
        ReadOnly(false);
        EXPECT_EQ(Get(row.get), Number(1, 2));
    }
    for (auto [kind, slot] : {std::pair<unsigned short, int>{0xF00, 12}, {0x505, 11}}) {
        NewTip(kind);
        Store(slot, Bytes("ro.txt\0"));
        ReadOnly(true);
        EXPECT_EQ(Get(&CVAROObj::GetFilename), Text(1, "ro.txt")) << kind;
    }
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
    EXPECT_EQ(StoredType(5), 2u);
    EXPECT_EQ(Get(&CVAROObj::GetName), Text(1, kYamada));
    EXPECT_EQ(Get(&CVAROObj::GetNameYomi), Text(1, kYamadaYomi));

    // One staging text serves both names: the last name staged wins.
    EXPECT_EQ(m_kit.SetName("A"), 1);
    EXPECT_EQ(m_kit.SetOfficeName("B"), 1);
    EXPECT_EQ(m_kit.SetNameYomi("a"), 1);
    EXPECT_EQ(Stored(5), Bytes("B\0a\0"));
    EXPECT_EQ(m_kit.SetOfficeNameYomi("b"), 1);
    EXPECT_EQ(Stored(6), Bytes("B\0b\0"));
    // A name block of 65535 bytes is stored; one byte more is refused.
    EXPECT_EQ(m_kit.SetOfficeName(CString(std::string(65532, 'n'))), 1);
    EXPECT_EQ(m_kit.SetOfficeNameYomi("ab"), 0);
    EXPECT_EQ(Stored(6), Bytes("B\0b\0"));
    EXPECT_EQ(m_kit.SetOfficeNameYomi("a"), 1);
    EXPECT_EQ(Stored(6).size(), 65535u);
    ASSERT_EQ(m_kit.SetOfficeName("B"), 1);
    NewTip(0x403);  // the staging text survives a new tip
    EXPECT_EQ(CVAROObjTestAccess::Staging(m_kit), "B");

    Store(5, Bytes("\0reading\0"));
    EXPECT_EQ(Get(&CVAROObj::GetNameYomi), Text(0, ""));  // no name: no reading either
    Store(5, Bytes("only\0"));
    EXPECT_EQ(Get(&CVAROObj::GetNameYomi), Text(1, ""));
    // Read-only cards read the name from slot 8; readings stay at slot 5.
    Store(8, Bytes("ro\0x\0"));
    ReadOnly(true);
    EXPECT_EQ(Get(&CVAROObj::GetName), Text(1, "ro"));
    EXPECT_EQ(m_kit.SetName("z"), 0);

    // Preference tips name their kind directly, copied rather than converted.
    ReadOnly(false);
    NewTip(0x900);
    EXPECT_EQ(m_kit.SetName("\x98\x73"), 1);
    EXPECT_EQ(Stored(1), Bytes("\x98\x73\0"));
    EXPECT_EQ(StoredType(1), 1u);
    EXPECT_EQ(Get(&CVAROObj::GetName), Text(1, "\x98\x73"));
    NewTip(0x300);
    EXPECT_EQ(m_kit.SetName("x"), 0);
    EXPECT_EQ(m_kit.SetNameYomi("x"), 0);
}

}  // namespace
