// One run's kit object: the engine is loaded by Start and ended with the
// session, and every database the run opened is closed first.
//
// Databases are named on the command line by id or by name; a name must
// belong to exactly one known database. All messages about a failure are
// printed here, so callers only pass the exit code on.
#pragma once

#include <string>
#include <vector>

#include "VAROObj.h"

namespace varo {
namespace tool {

class KitSession {
public:
    KitSession() = default;
    ~KitSession();
    KitSession(const KitSession&) = delete;
    KitSession& operator=(const KitSession&) = delete;

    // Loads the engine; false, with the reason printed, when it cannot.
    bool Start();

    CVAROObj& Kit() { return m_kit; }

    // The known databases in the engine's order; false when the engine
    // cannot list them.
    bool DatabaseIds(std::vector<long>* ids);

    // Finds the database an argument names: an id, else a unique name.
    // Gives an exit code: kExitOk with *db set, or the failure printed.
    int FindDatabase(const std::string& argument, long* db);

    // Opens a database for the rest of the run (closed by the session).
    int OpenDatabase(long db);

    // Start, FindDatabase and OpenDatabase in one step.
    int StartWithDatabase(const std::string& argument, long* db);

    // The database's name in UTF-8, empty when it has none.
    std::string DatabaseName(long db);

    // The full path of the database's file in UTF-8, or "-" when the
    // engine cannot tell.
    std::string DatabaseFile(long db);

    // "database 3 "demo"" for messages.
    std::string DatabaseLabel(long db);

private:
    CVAROObj m_kit;
    bool m_started = false;
    std::vector<long> m_opened;
};

// A fukuro opened for one scope: closed again when the object goes.
class OpenedFukuro {
public:
    // lock: FukuroLockOpen (for writing), else FukuroOpen.
    OpenedFukuro(CVAROObj& kit, long db, long fukuro, bool lock);
    ~OpenedFukuro();
    OpenedFukuro(const OpenedFukuro&) = delete;
    OpenedFukuro& operator=(const OpenedFukuro&) = delete;

    // The open's result code.
    long Code() const { return m_code; }

private:
    CVAROObj& m_kit;
    long m_db;
    long m_fukuro;
    long m_code;
};

}  // namespace tool
}  // namespace varo
