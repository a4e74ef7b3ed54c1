// Change notifications of one engine instance.
//
// Every committed change lies in a change log: each database's own for tips
// and fukuros, the catalog's for names and colours. The notifier follows the
// databases its instance has open or watches, each through a read-only
// connection of its own, and on every Poll (run from the host's pump hook)
// asks SQLite's data_version whether anything was committed since; if so it
// reads the new log entries and posts, to the owner window given by Init:
//   WM_ON_ADVISEDATA      wParam the database id, lParam an AdviseNotice*
//                         (database, fukuro, tip, change), for each change
//                         matching a watched item; the notice stays valid
//                         until FreeAdviseData (Free)
//   WM_ON_ADVISECATEGORY  wParam the database id, lParam the tip id, for a
//   WM_ON_ADVISEFREE      change of the "Category" or "Free" preference tip,
//                         when asked for with Set/DelAdviseCategory/Free
//   WM_ON_ADVISEDBNAME    wParam the database id, lParam 0, for every rename
//   WM_ON_ADVISEDBCOLOR   and recolouring, to every owner window
// Changes made by any instance in any process arrive the same way, the
// instance's own included. On a server the connections listen for the
// server's notifications of commits (ServerConnection::Listen): a pump reads
// the change log when one has arrived or a commit was made in this process,
// and otherwise at most every kServerRecheck, which bounds the delay of a
// notification still on its way. Entries logged before a database was followed, or
// before BeginAdviseData, are never posted.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "Catalog.h"
#include "DatabaseFile.h"
#include "EngineInterface.h"

namespace varo {
namespace engine {

// What the lParam of WM_ON_ADVISEDATA points at.
struct AdviseNotice {
    int32_t database;
    int32_t fukuro;  // the watched fukuro the change concerns, or 0
    int32_t tip;     // 0 for a change of a fukuro itself
    int32_t change;  // a ChangeKind
};

// The notices one instance may have outstanding; changes beyond them are
// not posted until the application gives some back.
const size_t kMaxOutstandingNotices = 4096;

class Notifier {
public:
    explicit Notifier(const HostServices* host);
    Notifier(const Notifier&) = delete;
    Notifier& operator=(const Notifier&) = delete;

    void SetOwner(void* window) { m_owner = window; }
    // The server the catalog and databases are on; empty for files.
    void SetServer(const std::string& server) { m_server = server; }

    // kEngineBadArgument for a malformed list; the list is not kept.
    int32_t AddWatch(const WatchList* list);
    int32_t RemoveWatch(const WatchList* list);
    // The databases named by watched items (not 0).
    std::set<int32_t> WatchedDatabases() const;
    void AskCategory(bool on) { m_category = on; }
    void AskFree(bool on) { m_free = on; }
    // Marks every change so far as seen.
    void Begin();
    void Free(void* notice);

    void FollowCatalog(const std::string& dataFolder);
    void Follow(int32_t db, const std::string& path);
    void Unfollow(int32_t db);
    bool Follows(int32_t db) const { return m_databases.count(db) != 0; }

    void Poll();

private:
    using Clock = std::chrono::steady_clock;
    struct Followed {
        DatabaseFile file;
        int64_t seen = 0;
        int64_t version = -1;
        Clock::time_point asked;
    };

    // Whether the log of the store behind `sql`, now at `version`, is to be
    // read; notes the reading.
    static bool Due(Connection& sql, int64_t version, int64_t* known, Clock::time_point* asked);

    void PollDatabase(int32_t db, Followed& followed);
    void PollCatalog();
    void Deliver(int32_t db, const ChangeRecord& change);
    // The fukuro of the first watched item matching the change; false when
    // none matches.
    bool Matches(int32_t db, const ChangeRecord& change, int32_t* fukuro) const;
    void Post(uint32_t message, uintptr_t wParam, intptr_t lParam);

    const HostServices* m_host;
    std::string m_server;
    void* m_owner = nullptr;
    uint32_t m_adviseData, m_adviseName, m_adviseColour, m_adviseCategory, m_adviseFree;
    std::vector<WatchItem> m_watch;
    bool m_category = false;
    bool m_free = false;
    std::map<int32_t, std::unique_ptr<Followed>> m_databases;
    Catalog m_catalog;
    int64_t m_catalogSeen = 0;
    int64_t m_catalogVersion = -1;
    Clock::time_point m_catalogAsked;
    std::map<void*, std::unique_ptr<AdviseNotice>> m_notices;
};

}  // namespace engine
}  // namespace varo
