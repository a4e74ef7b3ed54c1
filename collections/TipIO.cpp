// CVAROObj: moving tips between the engine and the process-wide tip record,
// with the last-modified check on every store of an existing tip.
#include "EngineCodes.h"
#include "EngineHost.h"
#include "EngineOperations.h"
#include "TipRecord.h"
#include "TipSchemas.h"
#include "VAROObj.h"

using namespace varo;

namespace {

const long kAlarmFukuro = 0x3016;
const long kCardHome = 0x300A;

// Where CopyTip files each copyable kind in the target database.
struct HomeFukuro {
    uint16_t first;
    uint16_t last;
    long fukuro;
};

const HomeFukuro kHomeFukuros[] = {
    {KIND_PLAN_101, KIND_PLAN_101, 0x3000},
    {KIND_MILESTONE_102, KIND_MILESTONE_102, 0x3002},
    {KIND_PLAN_103, KIND_PLAN_103, 0x3001},
    {KIND_SCHEDULE_201, KIND_SCHEDULE_201, 0x3005},
    {KIND_SCHEDULE_202, KIND_SCHEDULE_202, 0x3004},
    {KIND_TODO_300, KIND_TODO_300, 0x300C},
    {KIND_CARD_401, KIND_CARD_404, kCardHome},
    {KIND_MEMO_501, KIND_MEMO_506, 0x300B},
};

// 0 for kinds that cannot be copied.
long HomeFukuroOf(uint16_t kind) {
    for (const HomeFukuro& home : kHomeFukuros) {
        if (kind >= home.first && kind <= home.last) return home.fukuro;
    }
    return 0;
}

bool IsScheduleHome(long fukuro) { return fukuro == 0x3005 || fukuro == 0x3004; }

// The last-modified check of a put: 0 when the stored version of the
// record's tip still carries the stamp the record was loaded with, 407 when
// another writer stored it since (the record has then taken the stored
// stamp, so that the next put writes), or the engine's code.
long CheckStoredStamp(CEngineHost& engine, long db, long fukuro) {
    CTipRecord& record = CTipRecord::Global();
    void* stored = nullptr;
    const long code =
        engine.Call(kOpGetTip, {ArgI4(db), ArgI4(fukuro), ArgI4(record.GetID()), ArgAddressOut(&stored)});
    if (code != 0) return code;
    const BOOL unchanged = record.CheckLastModified(static_cast<TIPFIELD* const*>(stored));
    engine.Call(kOpReleaseTip, {ArgI4(db), ArgAddress(stored)});
    return unchanged ? 0 : VARO_ERR_CHANGED;
}

}  // namespace

// Loads a handed-out buffer and gives it back; a load that runs out of
// memory still gives the buffer back and reports 3002.
long CVAROObj::LoadAndRelease(long db, void* buffer) {
    const BOOL loaded = CTipRecord::Global().LoadFromBuffer(static_cast<TIPFIELD* const*>(buffer));
    const long code = m_engine->Call(kOpReleaseTip, {ArgI4(db), ArgAddress(buffer)});
    if (code != 0) return code;
    return loaded ? 0 : VARO_ERR_NO_MEMORY;
}

long CVAROObj::GetTip(long db, long fukuro, long tip) {
    void* buffer = nullptr;
    const long code = m_engine->Call(kOpGetTip, {ArgI4(db), ArgI4(fukuro), ArgI4(tip), ArgAddressOut(&buffer)});
    if (code != 0) return code;
    const long loaded = LoadAndRelease(db, buffer);
    if (loaded != 0) return loaded;
    m_readOnly = m_engine->Call(kOpIsReadOnly, {}) == 1;
    CTipRecord::Global().SetID(static_cast<int32_t>(tip));
    return 0;
}

long CVAROObj::ReadTip(long db, long fukuro, int option) {
    CTipRecord& record = CTipRecord::Global();
    record.SetID(0);
    int32_t tip = 0;
    void* buffer = nullptr;
    const long code =
        m_engine->Call(kOpReadTip, {ArgI4(db), ArgI4(fukuro), ArgI4(option), ArgOut(&tip), ArgAddressOut(&buffer)});
    if (code != 0) return code;
    // No buffer: the fukuro holds no further tip.
    if (!buffer) return 0;
    const long loaded = LoadAndRelease(db, buffer);
    if (loaded != 0) return loaded;
    record.SetID(tip);
    return 0;
}

long CVAROObj::PutTip(long db, long fukuro, long* tip) { return StoreTip(db, fukuro, tip, true); }

long CVAROObj::PutTipNoEntryDay(long db, long fukuro, long* tip) { return StoreTip(db, fukuro, tip, false); }

long CVAROObj::StoreTip(long db, long fukuro, long* tip, bool stampEntryDay) {
    CTipRecord& record = CTipRecord::Global();
    if (record.GetID() != 0) {
        const long checked = CheckStoredStamp(*m_engine, db, fukuro);
        if (checked != 0) return checked;
    } else if (stampEntryDay) {
        SetEntryDay(CPIMTime::GetTickCount());
    }
    TIPFIELD** buffer = record.BuildBuffer();
    int32_t id = record.GetID();
    long code = m_engine->Call(kOpPutTip, {ArgI4(db), ArgI4(fukuro), ArgOut(&id), ArgAddress(buffer)});
    // Another writer stored the tip between the check and the put, and the
    // engine refused the put: the same 407, with the stored stamp taken over.
    if (code == kEngineChanged) {
        CheckStoredStamp(*m_engine, db, fukuro);
        code = VARO_ERR_CHANGED;
    }
    if (code == 0) record.AdoptStoredStamp();
    if (tip) *tip = id;
    return code;
}

long CVAROObj::CopyTip(long dbTo, long* newTip, long dbFrom, long tip) {
    if (newTip) *newTip = 0;
    long code = GetTip(dbFrom, 0, tip);
    if (code != 0) return code;
    unsigned short kind = 0;
    if (GetTipFlag(&kind) != 1) return VARO_ERR_NOT_COPYABLE;
    const long home = HomeFukuroOf(kind);
    if (home == 0) return VARO_ERR_NOT_COPYABLE;
    code = GetTip(dbFrom, home, tip);
    if (code != 0) return code;

    // The copy is a new tip without links; categories belong to the source.
    SetTipID(0);
    CSelectTips noLinks;
    SetLinkData(noLinks);
    if (home == kCardHome) {
        SetCategory1(0);
        SetCategory2(0);
        SetCategory3(0);
    }

    code = FukuroLockOpen(dbTo, home);
    if (code != 0) return code;
    long id = 0;
    code = PutTip(dbTo, home, &id);
    const long closed = FukuroClose(dbTo, home);
    if (code != 0) return code;
    if (closed != 0) return closed;

    int alarm = 0;
    if (IsScheduleHome(home) && GetAlarm(&alarm) == 1 && alarm == 1) {
        CSelectTips copy;
        copy.Add(static_cast<DWORD>(id));
        code = PutTipToFukuro(dbTo, kAlarmFukuro, copy);
        if (code != 0) return code;
    }
    if (newTip) *newTip = id;
    CTipRecord::Global().SetID(static_cast<int32_t>(id));
    return 0;
}
