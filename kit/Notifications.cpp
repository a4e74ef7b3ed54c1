// Change notifications: the five registered message numbers and the
// requests by which an application asks the engine for notices.
#include <vector>

#include "EngineHost.h"
#include "EngineOperations.h"
#include "VAROObj.h"
#include "WindowMessages.h"

using namespace varo;

namespace {

struct NotificationMessage {
    const char* name;
    // Used only when no process of the user can reach the registration
    // table: at the top of the range, which the table fills last.
    UINT fallback;
};

const NotificationMessage kNotificationMessages[] = {
    {"VARO_ON_ADVISE_DATA", 0xFFFB},     {"VARO_ON_ADVISE_DBNAME", 0xFFFC},
    {"VARO_ON_ADVISE_DBCOLOR", 0xFFFD},  {"VARO_ON_ADVISE_CATEGORY", 0xFFFE},
    {"VARO_ON_ADVISE_FREE", 0xFFFF},
};
const size_t kNotificationCount = sizeof kNotificationMessages / sizeof kNotificationMessages[0];

UINT g_notificationNumbers[kNotificationCount];

// Runs when the library is loaded, ahead of every static initialiser of
// default priority, the application's included: a program may read the
// numbers from its own static initialisers.
__attribute__((constructor(101))) void RegisterNotificationMessages() {
    for (size_t i = 0; i < kNotificationCount; ++i) {
        const UINT number = RegisterWindowMessage(kNotificationMessages[i].name);
        g_notificationNumbers[i] = number != 0 ? number : kNotificationMessages[i].fallback;
    }
}

}  // namespace

// Bound at load, before any code runs; the numbers behind them are set by
// the registration above.
const UINT& WM_ON_ADVISEDATA = g_notificationNumbers[0];
const UINT& WM_ON_ADVISEDBNAME = g_notificationNumbers[1];
const UINT& WM_ON_ADVISEDBCOLOR = g_notificationNumbers[2];
const UINT& WM_ON_ADVISECATEGORY = g_notificationNumbers[3];
const UINT& WM_ON_ADVISEFREE = g_notificationNumbers[4];

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
