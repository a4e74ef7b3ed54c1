// The run's kit object, and finding databases by id or name.
#include "Session.h"

#include "Arguments.h"
#include "Results.h"
#include "Text.h"

namespace varo {
namespace tool {

KitSession::~KitSession() {
    if (!m_started) return;
    for (long db : m_opened) m_kit.Close(db);
    m_kit.End();
}

bool KitSession::Start() {
    if (m_started) return true;
    if (m_kit.Init(nullptr) == 0) {
        ReportFailure("cannot load the database engine (VARO.ocx)");
        return false;
    }
    m_started = true;
    return true;
}

bool KitSession::DatabaseIds(std::vector<long>* ids) {
    CDWordArray found;
    if (m_kit.GetAllDBID(found) != 1) return false;
    ids->clear();
    for (int i = 0; i < found.GetSize(); ++i) ids->push_back(static_cast<int32_t>(found[i]));
    return true;
}

int KitSession::FindDatabase(const std::string& argument, long* db) {
    std::vector<long> ids;
    if (!DatabaseIds(&ids)) return ReportFailure("the engine cannot list the databases");
    long id = 0;
    if (ParseId(argument, &id)) {
        for (long known : ids) {
            if (known == id) {
                *db = id;
                return kExitOk;
            }
        }
    }
    CString name;
    if (!FromUtf8(argument, &name)) return ReportUsage("'" + argument + "' cannot be written in Shift-JIS");
    std::vector<long> named;
    for (long known : ids) {
        CString knownName;
        if (m_kit.GetDBName(known, knownName) == 1 && knownName == name) named.push_back(known);
    }
    if (named.empty()) return ReportFailure("no database has the id or name '" + argument + "'");
    if (named.size() > 1) {
        std::string list;
        for (long known : named) list += (list.empty() ? "" : ", ") + std::to_string(known);
        return ReportFailure(std::to_string(named.size()) + " databases are named '" + argument + "' (ids " + list +
                             "); give the id");
    }
    *db = named.front();
    return kExitOk;
}

int KitSession::OpenDatabase(long db) {
    for (long opened : m_opened) {
        if (opened == db) return kExitOk;
    }
    const long code = m_kit.Open(db);
    if (code != 0) return ReportCode("cannot open " + DatabaseLabel(db), code);
    m_opened.push_back(db);
    return kExitOk;
}

int KitSession::StartWithDatabase(const std::string& argument, long* db) {
    if (!Start()) return kExitFailed;
    const int found = FindDatabase(argument, db);
    return found != kExitOk ? found : OpenDatabase(*db);
}

std::string KitSession::DatabaseName(long db) {
    CString name;
    return m_kit.GetDBName(db, name) == 1 ? ToUtf8(name) : std::string();
}

std::string KitSession::DatabaseFile(long db) {
    // The engine's location selector for the database file's full path.
    const long kLocationFile = 1;
    CString where;
    return m_kit.GetDBLocation(db, kLocationFile, where) == 1 ? ToUtf8(where) : "-";
}

std::string KitSession::DatabaseLabel(long db) {
    return "database " + std::to_string(db) + " \"" + DatabaseName(db) + "\"";
}

OpenedFukuro::OpenedFukuro(CVAROObj& kit, long db, long fukuro, bool lock)
    : m_kit(kit), m_db(db), m_fukuro(fukuro), m_code(lock ? kit.FukuroLockOpen(db, fukuro) : kit.FukuroOpen(db, fukuro)) {}

OpenedFukuro::~OpenedFukuro() {
    if (m_code == 0) m_kit.FukuroClose(m_db, m_fukuro);
}

}  // namespace tool
}  // namespace varo
