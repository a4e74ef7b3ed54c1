#include "Notifier.h"

#include <algorithm>

#include "EngineCodes.h"

namespace varo {
namespace engine {
namespace {

const int32_t kMaxWatchItems = 100000;
const int kChangesPerPoll = 500;
const std::chrono::milliseconds kServerRecheck(20);

bool SameItem(const WatchItem& a, const WatchItem& b) {
    return a.db == b.db && a.fukuro == b.fukuro && a.tip == b.tip;
}

bool IsWellFormed(const WatchList* list) {
    return list && list->count >= 0 && list->count <= kMaxWatchItems && (list->count == 0 || list->items);
}

uint32_t Register(const HostServices* host, const char* name) {
    return host && host->registerMessage ? host->registerMessage(name) : 0;
}

}  // namespace

Notifier::Notifier(const HostServices* host)
    : m_host(host),
      m_adviseData(Register(host, "VARO_ON_ADVISE_DATA")),
      m_adviseName(Register(host, "VARO_ON_ADVISE_DBNAME")),
      m_adviseColour(Register(host, "VARO_ON_ADVISE_DBCOLOR")),
      m_adviseCategory(Register(host, "VARO_ON_ADVISE_CATEGORY")),
      m_adviseFree(Register(host, "VARO_ON_ADVISE_FREE")) {}

int32_t Notifier::AddWatch(const WatchList* list) {
    if (!IsWellFormed(list)) return kEngineBadArgument;
    for (int32_t i = 0; i < list->count; ++i) {
        const WatchItem& item = list->items[i];
        const bool known = std::any_of(m_watch.begin(), m_watch.end(),
                                       [&item](const WatchItem& w) { return SameItem(w, item); });
        if (!known) m_watch.push_back(item);
    }
    return kEngineOk;
}

int32_t Notifier::RemoveWatch(const WatchList* list) {
    if (!IsWellFormed(list)) return kEngineBadArgument;
    for (int32_t i = 0; i < list->count; ++i) {
        const WatchItem& item = list->items[i];
        m_watch.erase(std::remove_if(m_watch.begin(), m_watch.end(),
                                     [&item](const WatchItem& w) { return SameItem(w, item); }),
                      m_watch.end());
    }
    return kEngineOk;
}

std::set<int32_t> Notifier::WatchedDatabases() const {
    std::set<int32_t> databases;
    for (const WatchItem& item : m_watch) {
        if (item.db != 0) databases.insert(item.db);
    }
    return databases;
}

void Notifier::Begin() {
    for (auto& entry : m_databases) {
        entry.second->seen = entry.second->file.LatestChange();
        entry.second->version = entry.second->file.Sql().DataVersion();
    }
    if (m_catalog.IsOpen()) m_catalogSeen = m_catalog.LatestChange();
}

void Notifier::Free(void* notice) { m_notices.erase(notice); }

void Notifier::FollowCatalog(const std::string& dataFolder) {
    if (m_catalog.IsOpen() || m_catalog.OpenIn(m_server, dataFolder) != kEngineOk) return;
    if (m_catalog.Sql().Server()) m_catalog.Sql().Server()->Listen();
    m_catalogSeen = m_catalog.LatestChange();
    m_catalogVersion = m_catalog.Sql().DataVersion();
}

void Notifier::Follow(int32_t db, const std::string& path) {
    if (Follows(db)) return;
    std::unique_ptr<Followed> followed(new Followed);
    if (followed->file.OpenIn(m_server, db, path, true) != kEngineOk) return;
    if (followed->file.Sql().Server()) followed->file.Sql().Server()->Listen();
    followed->seen = followed->file.LatestChange();
    followed->version = followed->file.Sql().DataVersion();
    m_databases.emplace(db, std::move(followed));
}

void Notifier::Unfollow(int32_t db) { m_databases.erase(db); }

void Notifier::Poll() {
    for (auto& entry : m_databases) PollDatabase(entry.first, *entry.second);
    PollCatalog();
}

bool Notifier::Due(Connection& sql, int64_t version, int64_t* known, Clock::time_point* asked) {
    const Clock::time_point now = Clock::now();
    if (version == *known && !(sql.Server() && now - *asked >= kServerRecheck)) return false;
    *known = version;
    *asked = now;
    return true;
}

void Notifier::PollDatabase(int32_t db, Followed& followed) {
    if (!Due(followed.file.Sql(), followed.file.Sql().DataVersion(), &followed.version, &followed.asked)) return;
    std::vector<ChangeRecord> changes;
    do {
        if (followed.file.ChangesAfter(followed.seen, kChangesPerPoll, &changes) != kEngineOk) return;
        for (const ChangeRecord& change : changes) {
            Deliver(db, change);
            followed.seen = change.seq;
        }
    } while (changes.size() == static_cast<size_t>(kChangesPerPoll));
}

void Notifier::PollCatalog() {
    if (!m_catalog.IsOpen() || !Due(m_catalog.Sql(), m_catalog.Sql().DataVersion(), &m_catalogVersion, &m_catalogAsked)) {
        return;
    }
    std::vector<CatalogChange> changes;
    if (m_catalog.ChangesAfter(m_catalogSeen, &changes) != kEngineOk) return;
    for (const CatalogChange& change : changes) {
        const uint32_t message = change.kind == CatalogChangeKind::Name ? m_adviseName : m_adviseColour;
        Post(message, static_cast<uintptr_t>(static_cast<uint32_t>(change.database)), 0);
        m_catalogSeen = change.seq;
    }
    // More than one batch waiting: look again at the next pump.
    if (!changes.empty()) m_catalogVersion = -1;
}

bool Notifier::Matches(int32_t db, const ChangeRecord& change, int32_t* fukuro) const {
    for (const WatchItem& item : m_watch) {
        if (item.db != 0 && item.db != db) continue;
        if (item.tip != 0 && item.tip != change.tip) continue;
        if (item.fukuro != 0 &&
            std::find(change.fukuros.begin(), change.fukuros.end(), item.fukuro) == change.fukuros.end()) {
            continue;
        }
        *fukuro = item.fukuro != 0 ? item.fukuro : (change.fukuros.empty() ? 0 : change.fukuros.front());
        return true;
    }
    return false;
}

void Notifier::Deliver(int32_t db, const ChangeRecord& change) {
    const uintptr_t wParam = static_cast<uintptr_t>(static_cast<uint32_t>(db));
    if (change.topic == PreferenceTopic::Category && m_category) Post(m_adviseCategory, wParam, change.tip);
    if (change.topic == PreferenceTopic::Free && m_free) Post(m_adviseFree, wParam, change.tip);
    int32_t fukuro = 0;
    if (!Matches(db, change, &fukuro) || m_notices.size() >= kMaxOutstandingNotices || !m_owner) return;
    std::unique_ptr<AdviseNotice> notice(
        new AdviseNotice{db, fukuro, change.tip, static_cast<int32_t>(change.kind)});
    void* handle = notice.get();
    m_notices.emplace(handle, std::move(notice));
    if (!m_host->postMessage(m_owner, m_adviseData, wParam, reinterpret_cast<intptr_t>(handle))) {
        m_notices.erase(handle);
    }
}

void Notifier::Post(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (m_owner && message != 0) m_host->postMessage(m_owner, message, wParam, lParam);
}

}  // namespace engine
}  // namespace varo
