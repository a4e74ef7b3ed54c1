// CVAROObj: construction, destruction, and the database lifecycle.
#include "VAROObj.h"

#include "EngineHost.h"
#include "EngineOperations.h"
#include "RootDir.h"

using namespace varo;

namespace {

// A fresh working text: one zero byte.
HGLOBAL NewEmptyText() { return GlobalAlloc(GHND, 1); }

void Release(HGLOBAL& block) {
    if (block) GlobalFree(block);
    block = nullptr;
}

}  // namespace

CVAROObj::CVAROObj()
    : m_readOnly(FALSE),
      m_engine(new CEngineHost),
      m_cabOrder(nullptr),
      m_kflOrder(nullptr),
      m_cabFukuro(nullptr),
      m_kflFukuro(nullptr),
      m_telList(NewEmptyText()),
      m_faxList(NewEmptyText()),
      m_emailList(NewEmptyText()),
      m_portraitCopy(nullptr),
      m_preferenceCopy(nullptr),
      m_imageCopy(nullptr),
      m_inkCopy(nullptr),
      m_bitmapCopy(nullptr),
      m_dataCopy(nullptr) {}

CVAROObj::~CVAROObj() {
    for (HGLOBAL* block : {&m_cabOrder, &m_kflOrder, &m_cabFukuro, &m_kflFukuro, &m_telList,
                           &m_faxList, &m_emailList, &m_portraitCopy, &m_preferenceCopy,
                           &m_imageCopy, &m_inkCopy, &m_bitmapCopy, &m_dataCopy}) {
        Release(*block);
    }
    delete m_engine;
}

int CVAROObj::Init(CWnd* parent) {
    varo::AdoptServerSetting();
    if (!m_engine->Start(parent)) return 0;
    m_engine->Call(kOpInit, {ArgAddress(parent ? parent->GetSafeHwnd() : nullptr)});
    return 1;
}

int CVAROObj::End() { return m_engine->Stop(); }

long CVAROObj::Open(long db) {
    short discarded = 0;
    return m_engine->Call(kOpOpen, {ArgI4(db), ArgOut(&discarded)});
}

long CVAROObj::LockOpen(long db) {
    short discarded = 0;
    return m_engine->Call(kOpLockOpen, {ArgI4(db), ArgOut(&discarded)});
}

long CVAROObj::Close(long db) { return m_engine->Call(kOpClose, {ArgI4(db)}); }

// Makes the database, then seeds it step by step; the first failing step's
// code is returned and the database stays, with what was seeded so far.
long CVAROObj::Create(const CString& name, long* db) {
    long created = 0;
    long code = m_engine->Call(kOpCreate, {ArgText(name), ArgOut(db ? db : &created)});
    if (code != 0) return code;
    const long id = db ? *db : created;
    // Nobody else can hold a database that is being made, whatever the last
    // read elsewhere left the flag at: the seeding writes every field.
    m_readOnly = FALSE;
    for (long (CVAROObj::*step)(long) : {&CVAROObj::RegistNationalHoliday, &CVAROObj::FBCTipSet,
                                         &CVAROObj::ProfTipSet, &CVAROObj::PBoardTipSet}) {
        code = (this->*step)(id);
        if (code != 0) return code;
    }
    return 0;
}

long CVAROObj::Delete(long db, int mode) {
    switch (mode) {
    case 0:
        return m_engine->Call(kOpDelete, {ArgI4(db)});
    case 1:
        return m_engine->Call(kOpDeleteFiles, {ArgI4(db)});
    case 2: {
        const long code = m_engine->Call(kOpDeleteFiles, {ArgI4(db)});
        return code != 0 ? code : m_engine->Call(kOpDelete, {ArgI4(db)});
    }
    default:
        return VARO_ERR_RANGE;
    }
}
