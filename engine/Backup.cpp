#include "Backup.h"

#include <cstdio>

#include "EngineCodes.h"
#include "Files.h"
#include "Stamps.h"

namespace varo {
namespace engine {
namespace {

int32_t CopyPages(sqlite3* to, sqlite3* from) {
    sqlite3_backup* backup = sqlite3_backup_init(to, "main", from, "main");
    if (!backup) return CodeFromSqlite(sqlite3_errcode(to));
    const int rc = sqlite3_backup_step(backup, -1);
    const int finished = sqlite3_backup_finish(backup);
    if (rc != SQLITE_DONE) return CodeFromSqlite(rc);
    return CodeFromSqlite(finished);
}

void RemoveWithCompanions(const std::string& path) {
    RemoveFile(path + "-wal");
    RemoveFile(path + "-shm");
    RemoveFile(path + "-journal");
    RemoveFile(path);
}

int32_t FillCopy(Connection& source, const std::string& copyPath, time_t now) {
    Connection copy;
    int32_t code = CodeFromSqlite(copy.Open(copyPath, false));
    if (code == kEngineOk) code = CopyPages(copy.Handle(), source.Handle());
    if (code == kEngineOk) {
        Statement date = copy.Prepare("INSERT OR REPLACE INTO meta(key, value) VALUES('backup_date', ?1)");
        code = CodeFromSqlite(date.BindText(1, LocalStamp(now)).Run());
    }
    if (code == kEngineOk) code = CodeFromSqlite(copy.Exec("PRAGMA journal_mode=DELETE"));
    return code;
}

struct Counters {
    int64_t nextTip = 0;
    int64_t nextFukuro = 0;
    int64_t latestChange = 0;
};

int32_t ReadCounters(DatabaseFile& file, Counters* counters) {
    int32_t code = file.NextTipId(&counters->nextTip);
    if (code == kEngineOk) code = file.MetaNumber("next_fukuro", &counters->nextFukuro);
    counters->latestChange = file.LatestChange();
    return code;
}

int32_t KeepCountersAbove(DatabaseFile& file, const Counters& before) {
    Counters restored;
    Transaction txn(file.Sql());
    int32_t code = CodeFromSqlite(txn.Begin());
    if (code == kEngineOk) code = ReadCounters(file, &restored);
    if (code == kEngineOk && restored.nextTip < before.nextTip) code = file.SetMetaNumber("next_tip", before.nextTip);
    if (code == kEngineOk && restored.nextFukuro < before.nextFukuro) {
        code = file.SetMetaNumber("next_fukuro", before.nextFukuro);
    }
    if (code == kEngineOk) code = file.LogRestored(before.latestChange);
    return CommitIfOk(txn, code);
}

}  // namespace

namespace {

// The tables of a database on a server.
const char* const kServerTables[] = {"meta", "fukuro", "tip", "member", "trash", "change_log"};

std::string Quoted(const std::string& schema) { return '"' + schema + '"'; }

int32_t WriteServerBackup(ServerConnection& server, time_t now) {
    const std::string copy = Quoted(BackupSchemaName(server.Schema()));
    std::string script = "BEGIN ISOLATION LEVEL REPEATABLE READ; DROP SCHEMA IF EXISTS " + copy +
                         " CASCADE; CREATE SCHEMA " + copy + ";";
    for (const char* table : kServerTables) {
        script += " CREATE TABLE " + copy + "." + table + " AS TABLE " + table + ";";
    }
    script += " DELETE FROM " + copy + ".meta WHERE key='backup_date'; INSERT INTO " + copy +
              ".meta(key, value) VALUES('backup_date', '" + LocalStamp(now) + "'); COMMIT";
    const int32_t code = CodeFromSqlite(server.RunScript(script));
    if (code != kEngineOk) server.RunScript("ROLLBACK");
    return code;
}

// A copy checks when it has the meta values of a database and every
// membership names a tip and a fukuro of the copy.
int32_t ExamineServerBackup(ServerConnection& server, const std::string& schema, bool check, std::string* date) {
    const std::string copy = BackupSchemaName(schema);
    bool exists = false;
    int32_t code = CodeFromSqlite(server.SchemaExists(copy, &exists));
    if (code != kEngineOk) return code;
    if (!exists) return kEngineNoBackup;
    int64_t stamp = 0;
    code = CodeFromSqlite(server.QueryNumber(
        ("SELECT value FROM " + Quoted(copy) + ".meta WHERE key='backup_date'").c_str(), {}, &stamp));
    if (code != kEngineOk || stamp <= 0) return kEngineNoBackup;
    *date = std::to_string(stamp);
    if (!check) return kEngineOk;
    const std::string q = Quoted(copy);
    int64_t faults = 0;
    code = CodeFromSqlite(server.QueryNumber(
        ("SELECT (SELECT count(*) FROM " + q + ".meta WHERE key='format') - 1 + (SELECT count(*) FROM " + q +
         ".member m WHERE NOT EXISTS(SELECT 1 FROM " + q + ".tip t WHERE t.id=m.tip_id) OR NOT EXISTS(SELECT 1 FROM " +
         q + ".fukuro f WHERE f.id=m.fukuro_id))").c_str(), {}, &faults));
    return code == kEngineOk && faults != 0 ? kEngineCorrupt : code;
}

// The rows of the copy replace the database's, in one transaction.
int32_t CopyServerBackup(DatabaseFile& target) {
    ServerConnection& server = *target.Sql().Server();
    const std::string copy = Quoted(BackupSchemaName(server.Schema()));
    std::string script = "DELETE FROM member; DELETE FROM trash; DELETE FROM tip; DELETE FROM fukuro;"
                         " DELETE FROM meta; DELETE FROM change_log;";
    for (const char* table : kServerTables) {
        script += std::string(" INSERT INTO ") + table + " SELECT * FROM " + copy + "." + table + ";";
    }
    Transaction txn(target.Sql());
    int32_t code = CodeFromSqlite(txn.Begin());
    if (code == kEngineOk) code = CodeFromSqlite(server.RunScript(script));
    return CommitIfOk(txn, code);
}

}  // namespace

int32_t WriteBackup(Connection& source, const std::string& databasePath, time_t now) {
    if (source.Server()) return WriteServerBackup(*source.Server(), now);
    const std::string finalPath = BackupPathOf(databasePath);
    const std::string copyPath = finalPath + ".tmp";
    RemoveWithCompanions(copyPath);
    if (!CreatePrivateFile(copyPath)) return kEngineStorageError;
    int32_t code = FillCopy(source, copyPath, now);
    if (code == kEngineOk && !SyncPath(copyPath)) code = kEngineStorageError;
    if (code == kEngineOk && rename(copyPath.c_str(), finalPath.c_str()) != 0) code = kEngineStorageError;
    if (code == kEngineOk) SyncPath(FolderOf(finalPath));
    if (code != kEngineOk) RemoveWithCompanions(copyPath);
    return code;
}

int32_t ExamineBackup(Connection& catalog, const std::string& databasePath, bool check, std::string* date) {
    if (catalog.Server()) return ExamineServerBackup(*catalog.Server(), databasePath, check, date);
    const std::string path = BackupPathOf(databasePath);
    if (!IsRegularFile(path)) return kEngineNoBackup;
    Connection copy;
    if (copy.Open(path, true) != SQLITE_OK) return kEngineNoBackup;
    {
        Statement id = copy.Prepare("PRAGMA application_id");
        if (!id.Next() || id.Int(0) != kDatabaseApplicationId) return kEngineNoBackup;
    }
    {
        Statement read = copy.Prepare("SELECT value FROM meta WHERE key='backup_date'");
        if (!read.Next()) return kEngineNoBackup;
        *date = read.Text(0);
    }
    if (!check) return kEngineOk;
    Statement integrity = copy.Prepare("PRAGMA integrity_check");
    return integrity.Next() && integrity.Text(0) == "ok" ? kEngineOk : kEngineCorrupt;
}

int32_t RestoreBackup(DatabaseFile& target, const std::string& databasePath) {
    Counters before;
    int32_t code = ReadCounters(target, &before);
    if (code != kEngineOk) return code;
    if (target.Sql().Server()) {
        code = CopyServerBackup(target);
    } else {
        Connection copy;
        code = CodeFromSqlite(copy.Open(BackupPathOf(databasePath), true));
        if (code == kEngineOk) code = CopyPages(target.Sql().Handle(), copy.Handle());
        if (code == kEngineOk) code = CodeFromSqlite(target.Sql().Exec("PRAGMA journal_mode=WAL"));
    }
    if (code == kEngineOk) code = KeepCountersAbove(target, before);
    return code;
}

}  // namespace engine
}  // namespace varo
