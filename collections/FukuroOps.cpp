// CVAROObj: fukuros, their names, sizes, sort conditions and id lists.
#include <cstring>

#include "EngineHost.h"
#include "EngineOperations.h"
#include "IdBlocks.h"
#include "VAROObj.h"

using namespace varo;

namespace {

// No fukuro list the engine hands out is longer than this.
const size_t kMaxFukuroIds = 1 << 20;

}  // namespace

long CVAROObj::FukuroCreate(long db, long* fukuro, const CString& name, long kind) {
    return m_engine->Call(kOpFukuroCreate, {ArgI4(db), ArgOut(fukuro), ArgText(name), ArgI4(kind)});
}

long CVAROObj::FukuroDelete(long db, long fukuro) {
    return m_engine->Call(kOpFukuroDelete, {ArgI4(db), ArgI4(fukuro)});
}

long CVAROObj::SetFukuroName(long db, long fukuro, const CString& name) {
    return m_engine->Call(kOpSetFukuroName, {ArgI4(db), ArgI4(fukuro), ArgText(name)});
}

long CVAROObj::GetFukuroName(long db, long fukuro, CString& name) {
    name.Empty();
    return m_engine->Call(kOpGetFukuroName, {ArgI4(db), ArgI4(fukuro), ArgTextOut(&name)});
}

long CVAROObj::GetFukuroSize(long db, long fukuro, long* size) {
    return m_engine->Call(kOpGetFukuroSize, {ArgI4(db), ArgI4(fukuro), ArgOut(size)});
}

long CVAROObj::FukuroSort(long db, long fukuro, SortCnd* cnd) {
    HGLOBAL block = GlobalAlloc(GHND, sizeof(SortCnd));
    if (!block) return VARO_ERR_NO_MEMORY;
    long code = VARO_ERR_BAD_SORT;
    if (cnd) {
        void* bytes = GlobalLock(block);
        std::memcpy(bytes, cnd, sizeof(SortCnd));
        code = m_engine->Call(kOpFukuroSort, {ArgI4(db), ArgI4(fukuro), ArgBuffer(bytes)});
    }
    GlobalFree(block);
    return code;
}

long CVAROObj::GetFukuroSortCnd(long db, long fukuro, SortCnd* cnd) {
    HGLOBAL block = GlobalAlloc(GHND, sizeof(SortCnd));
    if (!block) return VARO_ERR_NO_MEMORY;
    void* bytes = GlobalLock(block);
    const long code = m_engine->Call(kOpGetFukuroSortCnd, {ArgI4(db), ArgI4(fukuro), ArgBuffer(bytes)});
    if (code == 0 && cnd) std::memcpy(cnd, bytes, sizeof(SortCnd));
    GlobalFree(block);
    return code;
}

long CVAROObj::FukuroOpen(long db, long fukuro) {
    const long code = m_engine->Call(kOpFukuroOpen, {ArgI4(db), ArgI4(fukuro)});
    m_readOnly = m_engine->Call(kOpIsReadOnly, {}) == 1;
    return code;
}

long CVAROObj::FukuroLockOpen(long db, long fukuro) {
    const long code = m_engine->Call(kOpFukuroLockOpen, {ArgI4(db), ArgI4(fukuro)});
    m_readOnly = m_engine->Call(kOpIsReadOnly, {}) == 1;
    return code;
}

long CVAROObj::FukuroClose(long db, long fukuro) {
    return m_engine->Call(kOpFukuroClose, {ArgI4(db), ArgI4(fukuro)});
}

long CVAROObj::FukuroSeek(long db, long fukuro, long offset, int origin, long* position) {
    return m_engine->Call(kOpFukuroSeek,
                          {ArgI4(db), ArgI4(fukuro), ArgI4(offset), ArgI4(origin), ArgOut(position)});
}

long CVAROObj::TipSearch(long db, long fukuro, const CString& text, int option) {
    return m_engine->Call(kOpTipSearch, {ArgI4(db), ArgI4(fukuro), ArgText(text), ArgI4(option)});
}

long CVAROObj::GetTipList(long db, long fukuro, CSelectTips& list) {
    list.RemoveAll();
    long count = 0;
    long code = m_engine->Call(kOpGetTipList, {ArgI4(db), ArgI4(fukuro), ArgBuffer(nullptr), ArgOut(&count)});
    if (code != 0 || count <= 0) return code;
    IdBlock block(static_cast<size_t>(count));
    if (!block.IsValid()) return VARO_ERR_NO_MEMORY;
    // The count handed in again is the block's capacity, so a tip added
    // meanwhile cannot make the engine write past it.
    long capacity = count;
    code = m_engine->Call(kOpGetTipList, {ArgI4(db), ArgI4(fukuro), ArgBuffer(block.Bytes()), ArgOut(&capacity)});
    if (code == 0) block.AppendTo(list, static_cast<size_t>(count), true);
    return code;
}

// Hands a CSelectTips to one of the four id-list operations.
static long CallWithIds(CEngineHost* engine, int op, long db, const long* fukuro, const CSelectTips& tips) {
    IdBlock block(tips);
    if (!block.IsValid()) return VARO_ERR_NO_MEMORY;
    if (!fukuro) return engine->Call(op, {ArgI4(db), ArgBuffer(block.Bytes())});
    return engine->Call(op, {ArgI4(db), ArgI4(*fukuro), ArgBuffer(block.Bytes())});
}

long CVAROObj::PutTipToFukuro(long db, long fukuro, CSelectTips& tips) {
    return CallWithIds(m_engine, kOpPutTipToFukuro, db, &fukuro, tips);
}

long CVAROObj::RemoveTipFromFukuro(long db, long fukuro, CSelectTips& tips) {
    return CallWithIds(m_engine, kOpRemoveTipFromFukuro, db, &fukuro, tips);
}

long CVAROObj::RemoveTip(long db, long fukuro, CSelectTips& tips) {
    return CallWithIds(m_engine, kOpRemoveTip, db, &fukuro, tips);
}

long CVAROObj::UndoTip(long db, CSelectTips& tips) { return CallWithIds(m_engine, kOpUndoTip, db, nullptr, tips); }

long CVAROObj::DupTip(long db, long fukuro, long* tip, long option) {
    return m_engine->Call(kOpDupTip, {ArgI4(db), ArgI4(fukuro), ArgOut(tip), ArgI4(option)});
}

long CVAROObj::GetAllFukuroID(long db, CDWordArray& ids) {
    void* list = nullptr;
    const long code = m_engine->Call(kOpGetAllFukuroID, {ArgI4(db), ArgAddressOut(&list)});
    if (code != 0 || !list) return code;
    const uint8_t* bytes = static_cast<const uint8_t*>(list);
    for (size_t i = 0; i < kMaxFukuroIds; ++i) {
        const uint32_t id = ReadId(bytes + 4 * i);
        if (id == 0) break;
        ids.Add(id);
    }
    return 0;
}

int CVAROObj::IsSyncFukuro(long db) { return m_engine->Call(kOpIsSyncFukuro, {ArgI4(db)}); }

int CVAROObj::CancelAllSync(long db) { return m_engine->Call(kOpCancelAllSync, {ArgI4(db)}); }
