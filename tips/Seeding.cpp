// CVAROObj: the tips every new database starts with. The seeding opens,
// writes and closes fukuros of the new database directly, stopping at the
// first failure; what it stored before a failure stays.
#include <cstring>
#include <string>

#include "ControlData.h"
#include "EngineHost.h"
#include "EngineOperations.h"
#include "KitTables.h"
#include "TipRecord.h"
#include "VAROObj.h"

using namespace varo;

namespace {

const long kHolidayFukuro = 0x3008;
const long kFirstCabinet = 0x3012;
const long kPreferenceFukuro = 0x3014;
const long kPageBoardFukuro = 0x300E;

struct NationalHoliday {
    int month;
    int day;
    const char* name;
};

const NationalHoliday kNationalHolidays[] = {
    {1, 1, "\x8c\xb3\x93\xfa" /* 元日 */},
    {1, 15, "\x90\xac\x90\x6c\x82\xcc\x93\xfa" /* 成人の日 */},
    {2, 11, "\x8c\x9a\x8d\x91\x8b\x4c\x94\x4f\x82\xcc\x93\xfa" /* 建国記念の日 */},
    {4, 29, "\x82\xdd\x82\xc7\x82\xe8\x82\xcc\x93\xfa" /* みどりの日 */},
    {5, 3, "\x8c\x9b\x96\x40\x8b\x4c\x94\x4f\x93\xfa" /* 憲法記念日 */},
    {5, 4, "\x8d\x91\x96\xaf\x82\xcc\x8b\x78\x93\xfa" /* 国民の休日 */},
    {5, 5, "\x82\xb1\x82\xc7\x82\xe0\x82\xcc\x93\xfa" /* こどもの日 */},
    {7, 20, "\x8a\x43\x82\xcc\x93\xfa" /* 海の日 */},
    {9, 15, "\x8c\x68\x98\x56\x82\xcc\x93\xfa" /* 敬老の日 */},
    {10, 10, "\x91\xcc\x88\xe7\x82\xcc\x93\xfa" /* 体育の日 */},
    {11, 3, "\x95\xb6\x89\xbb\x82\xcc\x93\xfa" /* 文化の日 */},
    {11, 23, "\x8b\xce\x98\x4a\x8a\xb4\x8e\xd3\x82\xcc\x93\xfa" /* 勤労感謝の日 */},
    {12, 23, "\x93\x56\x8d\x63\x92\x61\x90\xb6\x93\xfa" /* 天皇誕生日 */},
};
// Holidays are stored without a year; this one only carries month and day.
const int kHolidayYear = 1996;

// The preference arrays: records of a 32-bit number and a 28-byte name.
const size_t kRecordBytes = 32;
const size_t kNameBytes = 28;
struct NamedRecord {
    int number;
    const char* name;
};
const NamedRecord kCategoryNames[] = {
    {1, "\x8e\x64\x8e\x96" /* 仕事 */},
    {2, "\x97\x46\x90\x6c" /* 友人 */},
    {3, "\x90\x65\x97\xde" /* 親類 */},
};
const NamedRecord kFreeFieldNames[] = {
    {0, "\xcc\xd8\xb0\x31" /* ﾌﾘｰ1 */}, {1, "\xcc\xd8\xb0\x32" /* ﾌﾘｰ2 */},
    {2, "\xcc\xd8\xb0\x33" /* ﾌﾘｰ3 */}, {3, "\xcc\xd8\xb0\x34" /* ﾌﾘｰ4 */},
    {4, "\xcc\xd8\xb0\x35" /* ﾌﾘｰ5 */},
};
const int kCategoryRecords = 100;
const int kFreeFieldRecords = 6;

// `count` records numbered 0 to count - 1, with the given names.
template <size_t N>
std::string PreferenceRecords(int count, const NamedRecord (&names)[N]) {
    std::string data(static_cast<size_t>(count) * kRecordBytes, '\0');
    for (int i = 0; i < count; ++i) {
        for (int b = 0; b < 4; ++b) data[i * kRecordBytes + b] = static_cast<char>(i >> (8 * b));
    }
    for (const NamedRecord& record : names) {
        std::memcpy(&data[record.number * kRecordBytes + 4], record.name, std::strlen(record.name));
    }
    static_assert(kNameBytes + 4 == kRecordBytes, "a record is its number and its name");
    return data;
}

// The initial tables of the first cabinet and its six folders.
const int32_t kInitialCabinets[] = {kFirstCabinet};
const int32_t kInitialFolders[] = {0x3000, 0x3003, 0x300B, 0x300C, 0x3009, 0x300D};

}  // namespace

long CVAROObj::PutInto(long db, long fukuro, void* buffer, int32_t* tip) {
    int32_t stored = 0;
    const long code = m_engine->Call(kOpPutTip, {ArgI4(db), ArgI4(fukuro), ArgOut(&stored), ArgAddress(buffer)});
    if (tip) *tip = stored;
    return code != 0 ? CloseAfter(db, fukuro, code) : 0;
}

long CVAROObj::RegistNationalHoliday(long db) {
    const long code = m_engine->Call(kOpFukuroLockOpen, {ArgI4(db), ArgI4(kHolidayFukuro)});
    if (code != 0) return code;
    for (const NationalHoliday& holiday : kNationalHolidays) {
        SetTipID(0);
        SetTipFlag(KIND_ANNIVERSARY_204);
        SetEntryDay(CPIMTime::GetTickCount());
        SetDate(CPIMTime(kHolidayYear, holiday.month, holiday.day, 0, 0, 0, -1));
        SetHoliday(1);
        SetMemo(holiday.name);
        const long put = PutInto(db, kHolidayFukuro, CTipRecord::Global().BuildBuffer());
        if (put != 0) return put;
    }
    return CloseAfter(db, kHolidayFukuro, 0);
}

// Makes the record and the kit's tables the given initial control data of
// n entries and writes it as a new control tip into `fukuro`. Unused order
// entries are 0 here, as stored databases have them.
template <size_t N>
long CVAROObj::SeedControlTip(long db, long fukuro, int n, const int32_t (&fukuros)[N], HGLOBAL& ids,
                              HGLOBAL& order) {
    ControlData& record = ControlData::Global();
    if (!record.MakeEmpty(n)) return VARO_ERR_NO_MEMORY;
    // The record and the kit's tables now describe this database, stored or
    // not, so that a write meant for another database is refused.
    record.db = static_cast<int32_t>(db);
    record.fukuro = static_cast<int32_t>(fukuro);
    record.tip = 0;
    record.count = static_cast<int32_t>(N);
    record.displayPosition = 0;
    for (int i = 0; i < n; ++i) record.SetOrder(i, 0);
    for (size_t i = 0; i < N; ++i) {
        record.SetFukuroId(static_cast<int>(i), fukuros[i]);
        record.SetOrder(static_cast<int>(i), static_cast<int32_t>(i));
    }
    if (!CopyFukuroIdsFromRecord(ids, n, record) || !CopyOrderFromRecord(order, n, record)) return VARO_ERR_NO_MEMORY;
    const long code = m_engine->Call(kOpFukuroLockOpen, {ArgI4(db), ArgI4(fukuro)});
    if (code != 0) return code;
    const long put = PutInto(db, fukuro, record.Buffer(n), &record.tip);
    if (put != 0) return put;
    return CloseAfter(db, fukuro, 0);
}

long CVAROObj::FBCTipSet(long db) {
    const long code = SeedControlTip(db, kCabinetFukuro, kCabinetSlots, kInitialCabinets, m_cabFukuro, m_cabOrder);
    if (code != 0) return code;
    return SeedControlTip(db, kFirstCabinet, kFolderSlots, kInitialFolders, m_kflFukuro, m_kflOrder);
}

long CVAROObj::ProfTipSet(long db) {
    const long code = m_engine->Call(kOpFukuroLockOpen, {ArgI4(db), ArgI4(kPreferenceFukuro)});
    if (code != 0) return code;
    SetTipID(0);
    SetTipFlag(KIND_PREFERENCE_900);
    SetName("Category");
    std::string records = PreferenceRecords(kCategoryRecords, kCategoryNames);
    SetData(&records[0], static_cast<unsigned short>(records.size()));
    long put = PutInto(db, kPreferenceFukuro, CTipRecord::Global().BuildBuffer());
    if (put != 0) return put;
    // The second tip keeps the first one's other fields.
    SetTipID(0);
    SetName("Free");
    records = PreferenceRecords(kFreeFieldRecords, kFreeFieldNames);
    SetData(&records[0], static_cast<unsigned short>(records.size()));
    put = PutInto(db, kPreferenceFukuro, CTipRecord::Global().BuildBuffer());
    if (put != 0) return put;
    return CloseAfter(db, kPreferenceFukuro, 0);
}

long CVAROObj::PBoardTipSet(long db) {
    const long code = FukuroLockOpen(db, kPageBoardFukuro);
    if (code != 0) return code;
    SetTipID(0);
    SetTipFlag(KIND_PAGEBOARD_800);
    long tip = 0;
    const long put = PutTipNoEntryDay(db, kPageBoardFukuro, &tip);
    const long closed = FukuroClose(db, kPageBoardFukuro);
    return put != 0 ? put : closed;
}
