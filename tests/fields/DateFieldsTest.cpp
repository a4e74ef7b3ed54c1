#include "FieldTestSupport.h"
#include "PIMTime.h"

namespace {

class DateFieldsTest : public FieldTest {
protected:
    static CPIMTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
        return CPIMTime(y, mo, d, h, mi, s, -1);
    }
};

using DateSetter = int (CVAROObj::*)(const CPIMTime&);
using DateGetter = int (CVAROObj::*)(CPIMTime&);

struct DateTimeRow {
    unsigned short kind;
    DateSetter set;
    DateGetter get;
    int slot;
};

const DateTimeRow kDateTimeRows[] = {
    {0x101, &CVAROObj::SetEntryDay, &CVAROObj::GetEntryDay, 2},
    {0x401, &CVAROObj::SetCheckDate, &CVAROObj::GetCheckDate, 4},
    {0x102, &CVAROObj::SetLimitDay, &CVAROObj::GetLimitDay, 6},
    {0x300, &CVAROObj::SetLimitDay, &CVAROObj::GetLimitDay, 6},
    {0x202, &CVAROObj::SetAlarmTime, &CVAROObj::GetAlarmTime, 9},
    {0x300, &CVAROObj::SetDisplayStart, &CVAROObj::GetDisplayStart, 8},
    {0xF00, &CVAROObj::SetFileModifiedTime, &CVAROObj::GetFileModifiedTime, 9},
    {0xF00, &CVAROObj::SetDisplayDate, &CVAROObj::GetDisplayDate, 10},
};

TEST_F(DateFieldsTest, InstantsAreStoredAsFourteenDigitsAtTheirKindsSlots) {
    const CPIMTime when = At(1998, 3, 14, 10, 20, 30);
    for (const DateTimeRow& row : kDateTimeRows) {
        SCOPED_TRACE(row.slot);
        NewTip(row.kind);
        EXPECT_EQ((m_kit.*row.set)(when), 1);
        EXPECT_EQ(Stored(row.slot), Bytes("19980314102030\0"));
        EXPECT_EQ(StoredType(row.slot), 6u);
        CPIMTime read;
        EXPECT_EQ((m_kit.*row.get)(read), 1);
        EXPECT_EQ(read, when);
    }

    // Kinds without the field: refused, and the caller's value untouched.
    NewTip(0x800);
    EXPECT_EQ(m_kit.SetEntryDay(when), 0);
    CPIMTime kept = At(2001, 1, 1);
    EXPECT_EQ(m_kit.GetEntryDay(kept), 0);
    EXPECT_EQ(kept, At(2001, 1, 1));
    NewTip(0x201);
    EXPECT_EQ(m_kit.SetLimitDay(when), 0);
    EXPECT_EQ(m_kit.SetDisplayDate(when), 0);

    // A new to-do item is unchecked until the far future.
    NewTip(0x300);
    EXPECT_EQ(m_kit.GetCheckDate(kept), 1);
    EXPECT_EQ(kept, At(2030, 12, 31));
}

TEST_F(DateFieldsTest, NoArgumentSettersStoreTheEmptyValue) {
    const struct {
        unsigned short kind;
        int (CVAROObj::*clear)();
        DateGetter get;
        int slot;
    } rows[] = {{0x300, &CVAROObj::SetLimitDay, &CVAROObj::GetLimitDay, 6},
                {0xF00, &CVAROObj::SetDisplayDate, &CVAROObj::GetDisplayDate, 10},
                {0x203, &CVAROObj::SetDate, &CVAROObj::GetDate, 6}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.slot);
        NewTip(row.kind);
        Store(row.slot, Bytes("Z19981231000000\0"));
        EXPECT_EQ((m_kit.*row.clear)(), 1);
        EXPECT_EQ(Stored(row.slot), Bytes("\0"));
        CPIMTime kept = At(2001, 1, 1);
        EXPECT_EQ((m_kit.*row.get)(kept), 0);
        EXPECT_EQ(kept, At(2001, 1, 1));
        ReadOnly(true);
        EXPECT_EQ((m_kit.*row.clear)(), 0);
        ReadOnly(false);
    }
}

TEST_F(DateFieldsTest, StoredDigitsAreReadPieceByPieceWithoutValidation) {
    NewTip(0x300);
    CPIMTime read;
    // "x3" is no number: the month is 0, the last day of the year before.
    Store(8, Bytes("1998x3141\0"));
    ASSERT_EQ(m_kit.GetDisplayStart(read), 1);
    EXPECT_EQ(read, At(1998, 0, 14, 1));
    // A date alone reads at midnight.
    Store(8, Bytes("19980314\0"));
    ASSERT_EQ(m_kit.GetDisplayStart(read), 1);
    EXPECT_EQ(read, At(1998, 3, 14));
    // A value longer than its form, without terminator, is read no further
    // than its 15 bytes.
    Store(8, "19980314102030999");
    ASSERT_EQ(m_kit.GetDisplayStart(read), 1);
    EXPECT_EQ(read, At(1998, 3, 14, 10, 20, 30));
}

TEST_F(DateFieldsTest, StartAndEndPairWithTheStagingText) {
    NewTip(0x201);
    CPIMTime start, end;
    int mode = 0;
    ASSERT_EQ(m_kit.SetStartTime(At(1998, 3, 14, 10), 1), 1);
    EXPECT_EQ(Stored(6), Bytes("19980314\0\0"));
    EXPECT_EQ(StoredType(6), 7u);
    EXPECT_EQ(m_kit.GetStartTime(start, &mode), 1);
    EXPECT_EQ(start, At(1998, 3, 14));
    EXPECT_EQ(mode, 1);
    EXPECT_EQ(m_kit.GetEndTime(end, &mode), 0);

    ASSERT_EQ(m_kit.SetStartTime(At(1998, 3, 14, 10), 2), 1);
    ASSERT_EQ(m_kit.SetEndTime(At(1998, 3, 15, 8), 1), 1);
    EXPECT_EQ(Stored(6), Bytes("19980314100000\0" "19980315\0"));
    EXPECT_EQ(m_kit.GetStartTime(start, &mode), 1);
    EXPECT_EQ(start, At(1998, 3, 14, 10));
    EXPECT_EQ(mode, 2);
    EXPECT_EQ(m_kit.GetEndTime(end, &mode), 1);
    EXPECT_EQ(end, At(1998, 3, 15, 23, 59, 59));
    EXPECT_EQ(mode, 1);
    ASSERT_EQ(m_kit.SetEndTime(At(1998, 3, 15, 8, 30), 2), 1);
    EXPECT_EQ(m_kit.GetEndTime(end, &mode), 1);
    EXPECT_EQ(end, At(1998, 3, 15, 8, 30));
    EXPECT_EQ(mode, 2);

    EXPECT_EQ(m_kit.SetEndTime(), 1);
    EXPECT_EQ(Stored(6), Bytes("19980314100000\0\0"));

    // Modes other than 1 and 2 change nothing, not even the staging text.
    EXPECT_EQ(m_kit.SetStartTime(At(2000, 1, 1), 3), 0);
    EXPECT_EQ(m_kit.SetEndTime(At(2000, 1, 1), 0), 0);
    EXPECT_EQ(Stored(6), Bytes("19980314100000\0\0"));
    EXPECT_EQ(CVAROObjTestAccess::Staging(m_kit), "19980314100000");

    NewTip(0x102);
    EXPECT_EQ(m_kit.SetStartTime(At(1998, 3, 14), 1), 0);
    EXPECT_EQ(m_kit.GetStartTime(start, &mode), 0);
}

TEST_F(DateFieldsTest, AnEndWithoutStartAndTheCardNameAsStart) {
    // A kit object that never staged anything pairs the end with nothing.
    {
        CVAROObj fresh;
        fresh.SetTipID(0);
        ASSERT_EQ(fresh.SetTipFlag(0x101), 1);
        ASSERT_EQ(fresh.SetEndTime(At(1998, 3, 15), 1), 1);
        EXPECT_EQ(Stored(6), Bytes("\0" "19980315\0"));
        CPIMTime when;
        int mode = 0;
        EXPECT_EQ(fresh.GetStartTime(when, &mode), 0);
        EXPECT_EQ(fresh.GetEndTime(when, &mode), 0);
    }
    NewTip(0x401);
    ASSERT_EQ(m_kit.SetName("\x8e\x52\x93\x63" /* 山田 */), 1);
    NewTip(0x202);
    ASSERT_EQ(m_kit.SetEndTime(At(1998, 3, 15, 9), 2), 1);
    EXPECT_EQ(Stored(6), Bytes("\x8e\x52\x93\x63\0" "19980315090000\0"));
}

TEST_F(DateFieldsTest, ReadOnlySlotsOfThePeriodLimitAndStamp) {
    NewTip(0x800);
    Store(5, Bytes("19990101\0" "19990102\0"));
    Store(6, Bytes("19990203040506\0"));
    Store(18, Bytes("20000102030405\0"));
    CPIMTime when;
    int mode = 0;
    EXPECT_EQ(m_kit.GetStartTime(when, &mode), 0);
    EXPECT_EQ(m_kit.GetLimitDay(when), 0);
    ReadOnly(true);
    EXPECT_EQ(m_kit.GetStartTime(when, &mode), 1);
    EXPECT_EQ(when, At(1999, 1, 1));
    EXPECT_EQ(m_kit.GetEndTime(when, &mode), 1);
    EXPECT_EQ(when, At(1999, 1, 2, 23, 59, 59));
    EXPECT_EQ(m_kit.GetLimitDay(when), 1);
    EXPECT_EQ(when, At(1999, 2, 3, 4, 5, 6));
    EXPECT_EQ(m_kit.GetLastModifiedTime(when), 1);
    EXPECT_EQ(when, At(2000, 1, 2, 3, 4, 5));

    // Getters without a read-only slot read their own slot; setters refuse.
    NewTip(0x201);
    Store(9, Bytes("19990909090909\0"));
    EXPECT_EQ(m_kit.GetAlarmTime(when), 1);
    EXPECT_EQ(when, At(1999, 9, 9, 9, 9, 9));
    EXPECT_EQ(m_kit.SetAlarmTime(At(2000, 1, 1)), 0);
    EXPECT_EQ(m_kit.SetStartTime(At(2000, 1, 1), 1), 0);
    EXPECT_EQ(m_kit.SetEndTime(), 0);
}

TEST_F(DateFieldsTest, TheStampIsReadFromTheLastSlotOfEveryKind) {
    const struct {
        unsigned short kind;
        int slot;
    } stamps[] = {{0x101, 11}, {0x103, 11}, {0x102, 10}, {0x201, 12}, {0x202, 12}, {0x203, 8},
                  {0x204, 9},  {0x300, 10}, {0x401, 34}, {0x404, 34}, {0x501, 12}, {0x506, 12},
                  {0x800, 3},  {0x900, 3},  {0xF00, 11}};
    for (const auto& stamp : stamps) {
        SCOPED_TRACE(stamp.kind);
        NewTip(stamp.kind);
        Store(stamp.slot, Bytes("19980314102030\0"));
        CPIMTime when;
        ASSERT_EQ(m_kit.GetLastModifiedTime(when), 1);
        EXPECT_EQ(when, At(1998, 3, 14, 10, 20, 30));
    }
    // A value that is not a kind has no stamp.
    m_kit.SetTipFlag(0x205);
    CPIMTime when;
    EXPECT_EQ(m_kit.GetLastModifiedTime(when), 0);
}

TEST_F(DateFieldsTest, FixedDatesOfHolidaysAndAnniversaries) {
    CPIMTime when;
    NewTip(0x204);
    ASSERT_EQ(m_kit.SetDate(At(1998, 5, 5, 13)), 1);
    EXPECT_EQ(Stored(6), Bytes("Z    0505000000\0"));
    EXPECT_EQ(StoredType(6), 5u);
    EXPECT_EQ(m_kit.GetDate(when), 1);
    EXPECT_EQ(when, At(1980, 5, 5));
    ASSERT_EQ(m_kit.SetDate(At(2000, 2, 29)), 1);
    EXPECT_EQ(m_kit.GetDate(when), 1);
    EXPECT_EQ(when, At(1980, 2, 29));

    NewTip(0x203);
    ASSERT_EQ(m_kit.SetDate(At(1998, 5, 5, 13)), 1);
    EXPECT_EQ(Stored(6), Bytes("Z19980505000000\0"));
    EXPECT_EQ(m_kit.GetDate(when), 1);
    EXPECT_EQ(when, At(1998, 5, 5));
    // Without its mark the value is no date.
    Store(6, Bytes("019980505000000\0"));
    EXPECT_EQ(m_kit.GetDate(when), 0);

    NewTip(0x300);
    EXPECT_EQ(m_kit.SetDate(At(1998, 5, 5)), 0);
    EXPECT_EQ(m_kit.GetDate(when), 0);
}

TEST_F(DateFieldsTest, WeekdayRulesAndBirthdaysAreKeptAsText) {
    NewTip(0x203);
    CString text = "stale";
    EXPECT_EQ(m_kit.SetDayofWeek("12345"), 0);
    ASSERT_EQ(m_kit.SetDayofWeek("2MON01"), 1);
    EXPECT_EQ(Stored(7), Bytes("Y    2MON01\0"));
    EXPECT_EQ(StoredType(7), 5u);
    EXPECT_EQ(m_kit.GetDayofWeek(text), 1);
    EXPECT_EQ(text, "2MON01");
    ASSERT_EQ(m_kit.SetDayofWeek(""), 1);
    EXPECT_EQ(Stored(7), Bytes("\0"));
    text = "stale";
    EXPECT_EQ(m_kit.GetDayofWeek(text), 0);
    EXPECT_TRUE(text.IsEmpty());
    // A rule value cut short by another writer reads as an empty rule.
    Store(7, Bytes("Y12\0"));
    EXPECT_EQ(m_kit.GetDayofWeek(text), 1);
    EXPECT_TRUE(text.IsEmpty());

    NewTip(0x402);
    ASSERT_EQ(m_kit.SetBirthday("19650412"), 1);
    EXPECT_EQ(Stored(27), Bytes("Z19650412      \0"));
    EXPECT_EQ(StoredType(27), 5u);
    EXPECT_EQ(m_kit.GetBirthday(text), 1);
    EXPECT_EQ(text, "19650412      ");
    EXPECT_EQ(m_kit.SetBirthday("123456789012345"), 0);
    EXPECT_EQ(m_kit.SetBirthday("12345678901234"), 1);
    EXPECT_EQ(Stored(27), Bytes("Z12345678901234\0"));
    ASSERT_EQ(m_kit.SetBirthday(""), 1);
    text = "stale";
    EXPECT_EQ(m_kit.GetBirthday(text), 0);
    EXPECT_TRUE(text.IsEmpty());

    NewTip(0x501);
    EXPECT_EQ(m_kit.SetBirthday("19650412"), 0);
}

}  // namespace
