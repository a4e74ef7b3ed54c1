// Backup copies of databases, kept beside each database file (Files.h), or
// on a server in a schema beside the database's (BackupSchemaName): a copy
// of its tables made in one transaction, so that the copy is of one moment
// and a failed backup leaves the previous copy as it was.
//
// A backup is a consistent copy made with SQLite's online backup from a
// connection to the database, written to a temporary file, given the local
// date of the backup (meta 'backup_date', 14 digits) and a rollback journal,
// flushed and renamed over the previous copy: a failed backup leaves the
// previous copy as it was. Restoring copies the backup back over the
// database the same way; the caller must have the database to itself.
#pragma once

#include <ctime>
#include <string>

#include "DatabaseFile.h"
#include "Sqlite.h"

namespace varo {
namespace engine {

int32_t WriteBackup(Connection& source, const std::string& databasePath, time_t now);

// kEngineNoBackup when there is no readable copy of this engine, and with
// `check` kEngineCorrupt when the copy fails its integrity check. `catalog`
// is the catalog's connection, through which a server is reached.
int32_t ExamineBackup(Connection& catalog, const std::string& databasePath, bool check, std::string* date);

// Replaces the contents of `target` (open on the database) by the backup.
// Tip and fukuro ids and change numbers stay above every one handed out
// before, and followers see a DatabaseRestored change.
int32_t RestoreBackup(DatabaseFile& target, const std::string& databasePath);

}  // namespace engine
}  // namespace varo
