#include "FieldTestSupport.h"
#include "PIMTime.h"

#include <tuple>

namespace {

using DateSetter = int (CVAROObj::*)(const CPIMTime&);
using DateGetter = int (CVAROObj::*)(CPIMTime&);
using Date = std::pair<int, CPIMTime>;

CPIMTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) { return CPIMTime(y, mo, d, h, mi, s, -1); }
const CPIMTime kKept = At(2001, 1, 1);

class DateFieldsTest : public FieldTest {
protected:
    Date Read(DateGetter get) {
        CPIMTime when = kKept;
        const int result = (m_kit.*get)(when);
        return {result, when};
    }
    // GetStartTime or GetEndTime: result, time and mode.
    std::tuple<int, CPIMTime, int> Period(bool end) {
        CPIMTime when = kKept;
        int mode = 0;
        const int result = end ? m_kit.GetEndTime(when, &mode) : m_kit.GetStartTime(when, &mode);
        return {result, when, mode};
    }
};

TEST_F(DateFieldsTest, InstantsAreStoredAsFourteenDigitsAtTheirKindsSlots) {
    const struct {
        unsigned short kind;
        DateSetter set;
        DateGetter get;
        int slot;
        int (CVAROObj::*clear)();  // the no-argument setter storing the empty value
    } rows[] = {
        {0x101, &CVAROObj::SetEntryDay, &CVAROObj::GetEntryDay, 2, nullptr},
        {0x401, &CVAROObj::SetCheckDate, &CVAROObj::GetCheckDate, 4, nullptr},
        {0x102, &CVAROObj::SetLimitDay, &CVAROObj::GetLimitDay, 6, nullptr},
        {0x300, &CVAROObj::SetLimitDay, &CVAROObj::GetLimitDay, 6, &CVAROObj::SetLimitDay},
        {0x202, &CVAROObj::SetAlarmTime, &CVAROObj::GetAlarmTime, 9, nullptr},
        {0x300, &CVAROObj::SetDisplayStart, &CVAROObj::GetDisplayStart, 8, nullptr},
        {0xF00, &CVAROObj::SetFileModifiedTime, &CVAROObj::GetFileModifiedTime, 9, nullptr},
        {0xF00, &CVAROObj::SetDisplayDate, &CVAROObj::GetDisplayDate, 10, &CVAROObj::SetDisplayDate},
    };
    const CPIMTime when = At(1998, 3, 14, 10, 20, 30);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.slot);
        NewTip(row.kind);
        EXPECT_EQ((m_kit.*row.set)(when), 1);
        EXPECT_EQ(Stored(row.slot), Bytes("19980314102030\0"));
        EXPECT_EQ(StoredType(row.slot), 6u);
        EXPECT_EQ(Read(row.get), Date(1, when));
        if (!row.clear) continue;
        ReadOnly(true);
        EXPECT_EQ((m_kit.*row.clear)(), 0);
        ReadOnly(false);
        EXPECT_EQ((m_kit.*row.clear)(), 1);
        EXPECT_EQ(Stored(row.slot), Bytes("\0"));
        EXPECT_EQ(Read(row.get), Date(0, kKept));
    }
    // Kinds without the field: refused, and the caller's value untouched.
    NewTip(0x800);
    EXPECT_EQ(m_kit.SetEntryDay(when), 0);
    EXPECT_EQ(Read(&CVAROObj::GetEntryDay), Date(0, kKept));
    NewTip(0x201);
    EXPECT_EQ(m_kit.SetLimitDay(when), 0);
}

TEST_F(DateFieldsTest, StoredDigitsAreReadPieceByPieceWithinTheirForm) {
    NewTip(0x300);
    const std::pair<std::string, CPIMTime> rows[] = {
        {Bytes("1998x3141\0"), At(1998, 0, 14, 1)},  // "x3" is no number: month 0, the year before's last
        {Bytes("19980314\0"), At(1998, 3, 14)},      // a date alone reads at midnight
        {"19980314102030999", At(1998, 3, 14, 10, 20, 30)},  // no terminator: read no further than 15 bytes
    };
    for (const auto& [stored, when] : rows) {
        Store(8, stored);
        EXPECT_EQ(Read(&CVAROObj::GetDisplayStart), Date(1, when)) << stored;
    }
}

TEST_F(DateFieldsTest, StartAndEndPairWithTheStagingText) {
    NewTip(0x201);
    ASSERT_EQ(m_kit.SetStartTime(At(1998, 3, 14, 10), 1), 1);
    EXPECT_EQ(Stored(6), Bytes("19980314\0\0"));
    EXPECT_EQ(StoredType(6), 7u);
    EXPECT_EQ(Period(false), std::make_tuple(1, At(1998, 3, 14), 1));
    EXPECT_EQ(std::get<0>(Period(true)), 0);

    ASSERT_EQ(m_kit.SetStartTime(At(1998, 3, 14, 10), 2), 1);
    ASSERT_EQ(m_kit.SetEndTime(At(1998, 3, 15, 8), 1), 1);
    EXPECT_EQ(Stored(6), Bytes("19980314100000\0" "19980315\0"));
    EXPECT_EQ(Period(false), std::make_tuple(1, At(1998, 3, 14, 10), 2));
    EXPECT_EQ(Period(true), std::make_tuple(1, At(1998, 3, 15, 23, 59, 59), 1));
    ASSERT_EQ(m_kit.SetEndTime(At(1998, 3, 15, 8, 30), 2), 1);
    EXPECT_EQ(Period(true), std::make_tuple(1, At(1998, 3, 15, 8, 30), 2));
    EXPECT_EQ(m_kit.SetEndTime(), 1);
    EXPECT_EQ(Stored(6), Bytes("19980314100000\0\0"));

    // Modes other than 1 and 2 change nothing, not even the staging text.
    EXPECT_EQ(m_kit.SetStartTime(At(2000, 1, 1), 3), 0);
    EXPECT_EQ(m_kit.SetEndTime(At(2000, 1, 1), 0), 0);
    EXPECT_EQ(Stored(6), Bytes("19980314100000\0\0"));
    EXPECT_EQ(CVAROObjTestAccess::Staging(m_kit), "19980314100000");
    NewTip(0x102);
    EXPECT_EQ(m_kit.SetStartTime(At(1998, 3, 14), 1), 0);
    EXPECT_EQ(std::get<0>(Period(false)), 0);

    // A kit object that never staged anything pairs the end with nothing.
    CVAROObj fresh;
    fresh.SetTipID(0);
    ASSERT_EQ(fresh.SetTipFlag(0x101), 1);
    ASSERT_EQ(fresh.SetEndTime(At(1998, 3, 15), 1), 1);
    EXPECT_EQ(Stored(6), Bytes("\0" "19980315\0"));
    EXPECT_EQ(std::get<0>(Period(false)), 0);
    EXPECT_EQ(std::get<0>(Period(true)), 0);
    // A card name staged before stands as the start.
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
    EXPECT_EQ(std::get<0>(Period(false)), 0);
    EXPECT_EQ(Read(&CVAROObj::GetLimitDay), Date(0, kKept));
    ReadOnly(true);
    EXPECT_EQ(Period(false), std::make_tuple(1, At(1999, 1, 1), 1));
    EXPECT_EQ(Period(true), std::make_tuple(1, At(1999, 1, 2, 23, 59, 59), 1));
    EXPECT_EQ(Read(&CVAROObj::GetLimitDay), Date(1, At(1999, 2, 3, 4, 5, 6)));
    EXPECT_EQ(Read(&CVAROObj::GetLastModifiedTime), Date(1, At(2000, 1, 2, 3, 4, 5)));

    // Getters without a read-only slot read their own slot; setters refuse.
    NewTip(0x201);
    Store(9, Bytes("19990909090909\0"));
    EXPECT_EQ(Read(&CVAROObj::GetAlarmTime), Date(1, At(1999, 9, 9, 9, 9, 9)));
    EXPECT_EQ(m_kit.SetAlarmTime(At(2000, 1, 1)), 0);
    EXPECT_EQ(m_kit.SetStartTime(At(2000, 1, 1), 1), 0);
    EXPECT_EQ(m_kit.SetEndTime(), 0);

    // Otherwise the stamp is read from the kind's LMTM slot; a value that is
    // no kind has none.
    ReadOnly(false);
    for (auto [kind, slot] : {std::pair<unsigned short, int>{0x404, 34}, {0x203, 8}, {0x800, 3}}) {
        NewTip(kind);
        Store(slot, Bytes("19980314102030\0"));
        EXPECT_EQ(Read(&CVAROObj::GetLastModifiedTime), Date(1, At(1998, 3, 14, 10, 20, 30))) << kind;
    }
    m_kit.SetTipFlag(0x205);
    EXPECT_EQ(Read(&CVAROObj::GetLastModifiedTime).first, 0);
}

TEST_F(DateFieldsTest, FixedDatesOfHolidaysAndAnniversaries) {
    NewTip(0x204);
    ASSERT_EQ(m_kit.SetDate(At(1998, 5, 5, 13)), 1);
    EXPECT_EQ(Stored(6), Bytes("Z    0505000000\0"));
    EXPECT_EQ(StoredType(6), 5u);
    EXPECT_EQ(Read(&CVAROObj::GetDate), Date(1, At(1980, 5, 5)));
    ASSERT_EQ(m_kit.SetDate(At(2000, 2, 29)), 1);
    EXPECT_EQ(Read(&CVAROObj::GetDate), Date(1, At(1980, 2, 29)));

    NewTip(0x203);
    ASSERT_EQ(m_kit.SetDate(At(1998, 5, 5, 13)), 1);
    EXPECT_EQ(Stored(6), Bytes("Z19980505000000\0"));
    EXPECT_EQ(Read(&CVAROObj::GetDate), Date(1, At(1998, 5, 5)));
    ASSERT_EQ(m_kit.SetDate(), 1);
    EXPECT_EQ(Stored(6), Bytes("\0"));
    Store(6, Bytes("019980505000000\0"));  // without its mark the value is no date
    EXPECT_EQ(Read(&CVAROObj::GetDate).first, 0);

    NewTip(0x300);
    EXPECT_EQ(m_kit.SetDate(At(1998, 5, 5)), 0);
    EXPECT_EQ(Read(&CVAROObj::GetDate).first, 0);
}

TEST_F(DateFieldsTest, WeekdayRulesAndBirthdaysAreKeptAsText) {
    NewTip(0x203);
    EXPECT_EQ(m_kit.SetDayofWeek("12345"), 0);
    ASSERT_EQ(m_kit.SetDayofWeek("2MON01"), 1);
    EXPECT_EQ(Stored(7), Bytes("Y    2MON01\0"));
    EXPECT_EQ(StoredType(7), 5u);
    EXPECT_EQ(Get(&CVAROObj::GetDayofWeek), Text(1, "2MON01"));
    ASSERT_EQ(m_kit.SetDayofWeek(""), 1);
    EXPECT_EQ(Stored(7), Bytes("\0"));
    EXPECT_EQ(Get(&CVAROObj::GetDayofWeek), Text(0, ""));
    Store(7, Bytes("Y12\0"));  // cut short by another writer: an empty rule
    EXPECT_EQ(Get(&CVAROObj::GetDayofWeek), Text(1, ""));

    NewTip(0x402);
    ASSERT_EQ(m_kit.SetBirthday("19650412"), 1);
    EXPECT_EQ(Stored(27), Bytes("Z19650412      \0"));
    EXPECT_EQ(StoredType(27), 5u);
    EXPECT_EQ(Get(&CVAROObj::GetBirthday), Text(1, "19650412      "));
    EXPECT_EQ(m_kit.SetBirthday("123456789012345"), 0);
    EXPECT_EQ(m_kit.SetBirthday("12345678901234"), 1);
    EXPECT_EQ(Stored(27), Bytes("Z12345678901234\0"));
    ASSERT_EQ(m_kit.SetBirthday(""), 1);
    EXPECT_EQ(Get(&CVAROObj::GetBirthday), Text(0, ""));
    NewTip(0x501);
    EXPECT_EQ(m_kit.SetBirthday("19650412"), 0);
}

}  // namespace
