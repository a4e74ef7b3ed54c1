// CVAROObj: cabinets and folders, kept in control tips. The cabinet control
// tip lives in fukuro 0x3011; each cabinet's fukuro holds the folder control
// tip of its folders. Loads use FukuroOpen, writes FukuroLockOpen, and a
// step that fails after opening closes the fukuro before it returns.
#include "ControlData.h"
#include "EngineHost.h"
#include "EngineOperations.h"
#include "KitTables.h"
#include "VAROObj.h"

using namespace varo;

namespace {

int SlotsOf(long fukuro) { return fukuro == kCabinetFukuro ? kCabinetSlots : kFolderSlots; }

// The first free slot of a fukuro-id table, or -1.
int FreeSlot(HGLOBAL fukuroIds, int n) {
    for (int s = 0; s < n; ++s) {
        if (TableEntry(fukuroIds, s, -1) == 0) return s;
    }
    return -1;
}

// A count read as -1 from a damaged control tip is taken as empty, so that
// no table is indexed with it.
int CountOf(const ControlData& record) { return record.count < 0 ? 0 : record.count; }

}  // namespace

long CVAROObj::CloseAfter(long db, long fukuro, long code) {
    const long closed = m_engine->Call(kOpFukuroClose, {ArgI4(db), ArgI4(fukuro)});
    return code != 0 ? code : closed;
}

long CVAROObj::LoadControlTip(long db, long fukuro, int n) {
    ControlData& record = ControlData::Global();
    record.tip = 0;
    long code = m_engine->Call(kOpFukuroOpen, {ArgI4(db), ArgI4(fukuro)});
    if (code != 0) return code;
    int32_t tip = 0;
    void* buffer = nullptr;
    code = m_engine->Call(kOpReadTip, {ArgI4(db), ArgI4(fukuro), ArgI4(1), ArgOut(&tip), ArgAddressOut(&buffer)});
    if (code != 0) return CloseAfter(db, fukuro, code);
    if (tip == 0 || !buffer) return CloseAfter(db, fukuro, VARO_ERR_NO_CONTROL_TIP);
    const bool read = record.Read(static_cast<TIPFIELD* const*>(buffer), n);
    code = m_engine->Call(kOpReleaseTip, {ArgI4(db), ArgAddress(buffer)});
    if (code != 0) return CloseAfter(db, fukuro, code);
    if (!read) return CloseAfter(db, fukuro, VARO_ERR_NO_MEMORY);
    record.db = static_cast<int32_t>(db);
    record.fukuro = static_cast<int32_t>(fukuro);
    record.tip = tip;
    HGLOBAL& ids = n == kCabinetSlots ? m_cabFukuro : m_kflFukuro;
    HGLOBAL& order = n == kCabinetSlots ? m_cabOrder : m_kflOrder;
    if (!CopyFukuroIdsFromRecord(ids, n, record) || !CopyOrderFromRecord(order, n, record)) {
        return CloseAfter(db, fukuro, VARO_ERR_NO_MEMORY);
    }
    return CloseAfter(db, fukuro, 0);
}

long CVAROObj::WriteControlTip(long db, long fukuro, HGLOBAL ids, HGLOBAL order, int n) {
    ControlData& record = ControlData::Global();
    long code = m_engine->Call(kOpFukuroLockOpen, {ArgI4(db), ArgI4(fukuro)});
    if (code != 0) return code;
    TIPFIELD** buffer = CopyTablesToRecord(ids, order, n, record) ? record.Buffer(n) : nullptr;
    if (!buffer) return CloseAfter(db, fukuro, VARO_ERR_NO_MEMORY);
    code = m_engine->Call(kOpModifyTip, {ArgI4(db), ArgI4(fukuro), ArgI4(record.tip), ArgAddress(buffer)});
    return CloseAfter(db, fukuro, code);
}

long CVAROObj::LoadCabCData(long db) { return LoadControlTip(db, kCabinetFukuro, kCabinetSlots); }

long CVAROObj::LoadKFlCData(long db, int cab) {
    if (!m_cabFukuro) return VARO_ERR_NOT_LOADED;
    if (cab < 0 || cab >= kCabinetSlots) return VARO_ERR_RANGE;
    return LoadControlTip(db, GetCabFID(cab), kFolderSlots);
}

long CVAROObj::ModifyCabCData(long db) {
    if (ControlData::Global().db != db) return VARO_ERR_OTHER_DATABASE;
    return WriteControlTip(db, kCabinetFukuro, m_cabFukuro, m_cabOrder, kCabinetSlots);
}

long CVAROObj::ModifyKFlCData(long db, int cab) {
    if (!m_cabFukuro) return VARO_ERR_NOT_LOADED;
    if (cab < 0 || cab >= kCabinetSlots) return VARO_ERR_RANGE;
    return WriteControlTip(db, GetCabFID(cab), m_kflFukuro, m_kflOrder, kFolderSlots);
}

long CVAROObj::CreateData(long db, long fukuro) {
    ControlData& record = ControlData::Global();
    long code = m_engine->Call(kOpFukuroLockOpen, {ArgI4(db), ArgI4(fukuro)});
    if (code != 0) return code;
    const int n = SlotsOf(fukuro);
    TIPFIELD** buffer = record.MakeEmpty(n) ? record.Buffer(n) : nullptr;
    if (!buffer) return CloseAfter(db, fukuro, VARO_ERR_NO_MEMORY);
    int32_t tip = 0;
    code = m_engine->Call(kOpPutTip, {ArgI4(db), ArgI4(fukuro), ArgOut(&tip), ArgAddress(buffer)});
    if (code != 0) return CloseAfter(db, fukuro, code);
    record.db = static_cast<int32_t>(db);
    record.fukuro = static_cast<int32_t>(fukuro);
    record.tip = tip;
    return CloseAfter(db, fukuro, 0);
}

long CVAROObj::CreateKFlCData(long db, long cabFukuro) {
    const long code = CreateData(db, cabFukuro);
    if (code != 0) return code;
    const ControlData& record = ControlData::Global();
    if (!CopyFukuroIdsFromRecord(m_kflFukuro, kFolderSlots, record) ||
        !CopyOrderFromRecord(m_kflOrder, kFolderSlots, record)) {
        return VARO_ERR_NO_MEMORY;
    }
    return 0;
}

// Lists a new fukuro last in an order whose tables are loaded.
static void AppendToOrder(HGLOBAL ids, HGLOBAL order, int slot, long fukuro, ControlData& record) {
    const int count = CountOf(record);
    SetTableEntry(ids, slot, static_cast<int32_t>(fukuro));
    SetTableEntry(order, count, slot);
    record.count = count + 1;
}

long CVAROObj::PutCab(long db, const CString& name, long* cab) {
    long code = LoadCabCData(db);
    if (code != 0) return code;
    ControlData& record = ControlData::Global();
    const int slot = FreeSlot(m_cabFukuro, kCabinetSlots);
    if (CountOf(record) >= kCabinetSlots || slot < 0) return VARO_ERR_TABLE_FULL;
    long fukuro = 0;
    code = m_engine->Call(kOpFukuroCreate, {ArgI4(db), ArgOut(&fukuro), ArgText(name), ArgI4(0)});
    if (code != 0) return code;
    AppendToOrder(m_cabFukuro, m_cabOrder, slot, fukuro, record);
    code = ModifyCabCData(db);
    if (code != 0) return code;
    code = CreateKFlCData(db, fukuro);
    if (code != 0) return code;
    if (cab) *cab = fukuro;
    return 0;
}

long CVAROObj::PutKFl(long db, int cab, const CString& name, long* folder) {
    long code = LoadKFlCData(db, cab);
    if (code != 0) return code;
    ControlData& record = ControlData::Global();
    const int slot = FreeSlot(m_kflFukuro, kFolderSlots);
    if (CountOf(record) >= kFolderSlots || slot < 0) return VARO_ERR_TABLE_FULL;
    long fukuro = 0;
    code = m_engine->Call(kOpPutKFl, {ArgI4(db), ArgOut(&fukuro), ArgText(name)});
    if (code != 0) return code;
    AppendToOrder(m_kflFukuro, m_kflOrder, slot, fukuro, record);
    code = ModifyKFlCData(db, cab);
    if (code != 0) return code;
    if (folder) *folder = fukuro;
    return 0;
}

void CVAROObj::CabMove_Lst(int from) { MoveBack(m_cabOrder, from, CountOf(ControlData::Global())); }
void CVAROObj::CabMove_Back(int from, int to) { MoveBack(m_cabOrder, from, to); }
void CVAROObj::CabMove_Front(int from, int to) { MoveFront(m_cabOrder, from, to); }
void CVAROObj::Move_Lst(int from) { MoveBack(m_kflOrder, from, CountOf(ControlData::Global())); }
void CVAROObj::Move_Back(int from, int to) { MoveBack(m_kflOrder, from, to); }
void CVAROObj::Move_Front(int from, int to) { MoveFront(m_kflOrder, from, to); }

// Whether a move of `from` before `to` changes nothing. Caller's values
// reach here unchecked, so the step is taken in 64 bits.
static bool MoveIsNoop(int from, int to) { return to == from || int64_t{to} == int64_t{from} + 1; }

static bool MoveOutOfRange(int from, int to, int count) { return from < 0 || from >= count || to >= count; }

long CVAROObj::MoveCab(long db, int from, int to) {
    if (MoveIsNoop(from, to)) return 0;
    const long code = LoadCabCData(db);
    if (code != 0) return code;
    if (MoveOutOfRange(from, to, ControlData::Global().count)) return VARO_ERR_RANGE;
    if (to < 0) CabMove_Lst(from);
    else if (from >= to) CabMove_Front(from, to);
    else CabMove_Back(from, to);
    return ModifyCabCData(db);
}

long CVAROObj::SCMoveKFl(long db, int cab, int from, int to) {
    if (MoveIsNoop(from, to)) return 0;
    long code = LoadCabCData(db);
    if (code != 0) return code;
    if (cab < 0 || cab >= ControlData::Global().count) return VARO_ERR_RANGE;
    code = LoadKFlCData(db, cab);
    if (code != 0) return code;
    if (MoveOutOfRange(from, to, ControlData::Global().count)) return VARO_ERR_RANGE;
    if (to < 0) Move_Lst(from);
    else if (from >= to) Move_Front(from, to);
    else Move_Back(from, to);
    return ModifyKFlCData(db, cab);
}

long CVAROObj::DelCab(long db, int index) {
    const long code = LoadCabCData(db);
    if (code != 0) return code;
    ControlData& record = ControlData::Global();
    if (index < 0 || index >= record.count) return VARO_ERR_RANGE;
    RemoveFromOrder(m_cabFukuro, m_cabOrder, index, record);
    return ModifyCabCData(db);
}

long CVAROObj::TDelKFI(long db, int cab, int index, long* folder) {
    const long code = LoadKFlCData(db, cab);
    if (code != 0) return code;
    ControlData& record = ControlData::Global();
    if (index < 0 || index >= record.count) return VARO_ERR_RANGE;
    if (folder) *folder = GetKFIFID(index);
    RemoveFromOrder(m_kflFukuro, m_kflOrder, index, record);
    return ModifyKFlCData(db, cab);
}

long CVAROObj::DelKFl(long db, int cab, int index) {
    const long code = LoadCabCData(db);
    if (code != 0) return code;
    if (cab < 0 || cab >= ControlData::Global().count) return VARO_ERR_RANGE;
    long scratch = 0;
    return TDelKFI(db, cab, index, &scratch);
}

long CVAROObj::MoveKFl(long db, int fromCab, int from, int toCab, int to, long* folder) {
    if (fromCab == toCab) return SCMoveKFl(db, fromCab, from, to);
    long code = LoadCabCData(db);
    if (code != 0) return code;
    const int cabinets = ControlData::Global().count;
    if (fromCab < 0 || fromCab >= cabinets || toCab < 0 || toCab >= cabinets) return VARO_ERR_RANGE;
    // The folder is listed in its new cabinet before it leaves the old one,
    // so that a step that fails never leaves it in no cabinet at all.
    code = LoadKFlCData(db, fromCab);
    if (code != 0) return code;
    if (from < 0 || from >= ControlData::Global().count) return VARO_ERR_RANGE;
    const long moved = GetKFIFID(from);
    code = LoadKFlCData(db, toCab);
    if (code != 0) return code;
    ControlData& record = ControlData::Global();
    const int slot = FreeSlot(m_kflFukuro, kFolderSlots);
    if (CountOf(record) >= kFolderSlots || slot < 0) return VARO_ERR_TABLE_FULL;
    const int oldCount = CountOf(record);
    AppendToOrder(m_kflFukuro, m_kflOrder, slot, moved, record);
    code = ModifyKFlCData(db, toCab);
    if (code != 0) return code;
    long scratch = 0;
    code = TDelKFI(db, fromCab, from, folder ? folder : &scratch);
    if (code != 0) {
        // Take the new listing back so the folder stays where it was; should
        // that fail too, it is listed twice rather than lost.
        TDelKFI(db, toCab, oldCount, &scratch);
        return code;
    }
    return SCMoveKFl(db, toCab, oldCount, to);
}

int CVAROObj::GetCabCount() { return ControlData::Global().count; }
int CVAROObj::GetKFlCount() { return GetCabCount(); }
int CVAROObj::GetCabDspP() { return ControlData::Global().displayPosition; }
int CVAROObj::GetKFlDspP() { return GetCabDspP(); }

int CVAROObj::SetCabDspP(int position) {
    ControlData& record = ControlData::Global();
    int p = position < record.count ? position : record.count - 1;
    if (p < 0) p = 0;
    record.displayPosition = p;
    return 1;
}

int CVAROObj::SetKFlDspP(int position) { return SetCabDspP(position); }

long CVAROObj::GetCabFID(int index) {
    return TableEntry(m_cabFukuro, TableEntry(m_cabOrder, index, -1), 0);
}

long CVAROObj::GetKFIFID(int index) {
    return TableEntry(m_kflFukuro, TableEntry(m_kflOrder, index, -1), 0);
}
