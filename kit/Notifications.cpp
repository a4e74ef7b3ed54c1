// Change notifications: the five registered message numbers and the
// requests by which an application asks the engine for notices.
#include <vector>

#include "EngineHost.h"
#include "EngineOperations.h"
#include "VAROObj.h"
#include "WindowMessages.h"

using namespace varo;

// Registered once, at library load, and the same in every process.
const UINT WM_ON_ADVISEDATA = RegisterWindowMessage("VARO_ON_ADVISE_DATA");
const UINT WM_ON_ADVISEDBNAME = RegisterWindowMessage("VARO_ON_ADVISE_DBNAME");
const UINT WM_ON_ADVISEDBCOLOR = RegisterWindowMessage("VARO_ON_ADVISE_DBCOLOR");
const UINT WM_ON_ADVISECATEGORY = RegisterWindowMessage("VARO_ON_ADVISE_CATEGORY");
const UINT WM_ON_ADVISEFREE = RegisterWindowMessage("VARO_ON_ADVISE_FREE");

CTipIDList::CTipIDList() = default;
CTipIDList::~CTipIDList() = default;

namespace {

// The watch list in the flat form the engine reads; null items are skipped.
class FlatWatchList {
public:
    explicit FlatWatchList(CChkItemList* list) {
        if (!list) return;
        for (int i = 0; i < list->GetSize(); ++i) {
            const CChkItem* item = list->GetAt(i);
            if (item) m_items.push_back(WatchItem{item->m_db, item->m_fukuro, item->m_tip});
        }
    }
    WatchList* Get() {
        m_list.count = static_cast<int32_t>(m_items.size());
        m_list.items = m_items.data();
        return &m_list;
    }

private:
    std::vector<WatchItem> m_items;
    WatchList m_list{};
};

}  // namespace

long CVAROObj::SetAdviseData(CChkItemList* list) {
    FlatWatchList flat(list);
    return m_engine->Call(kOpSetAdviseData, {ArgBuffer(list ? flat.Get() : nullptr)});
}

long CVAROObj::DelAdviseData(CChkItemList* list) {
    FlatWatchList flat(list);
    return m_engine->Call(kOpDelAdviseData, {ArgBuffer(list ? flat.Get() : nullptr)});
}

long CVAROObj::BeginAdviseData() { return m_engine->Call(kOpBeginAdviseData, {}); }
long CVAROObj::SetAdviseCategory() { return m_engine->Call(kOpSetAdviseCategory, {}); }
long CVAROObj::DelAdviseCategory() { return m_engine->Call(kOpDelAdviseCategory, {}); }
long CVAROObj::SetAdviseFree() { return m_engine->Call(kOpSetAdviseFree, {}); }
long CVAROObj::DelAdviseFree() { return m_engine->Call(kOpDelAdviseFree, {}); }

void CVAROObj::FreeAdviseData(long data) {
    m_engine->Call(kOpFreeAdviseData, {ArgAddress(reinterpret_cast<void*>(data))});
}
