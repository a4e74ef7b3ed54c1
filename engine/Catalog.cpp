#include "Catalog.h"

#include "EngineCodes.h"
#include "Files.h"

namespace varo {
namespace engine {
namespace {

const char kCatalogFileName[] = "catalog.sqlite";
const int64_t kCatalogFormat = 1;
// The catalog keeps this many recent changes for instances to pick up.
const int64_t kKeptChanges = 1000;

}  // namespace

const char kCatalogSchema[] =
    "CREATE TABLE IF NOT EXISTS catalog_meta(key TEXT PRIMARY KEY, value) WITHOUT ROWID;"
    "CREATE TABLE IF NOT EXISTS known_database(id INTEGER PRIMARY KEY, name TEXT NOT NULL,"
    " path TEXT NOT NULL UNIQUE, colour INTEGER NOT NULL DEFAULT 0);"
    "CREATE TABLE IF NOT EXISTS application_id(id INTEGER PRIMARY KEY);"
    "CREATE TABLE IF NOT EXISTS view_mode(mode INTEGER NOT NULL, key INTEGER NOT NULL,"
    " value INTEGER NOT NULL, PRIMARY KEY(mode, key)) WITHOUT ROWID;"
    "CREATE TABLE IF NOT EXISTS setting_value(selector INTEGER NOT NULL,"
    " section TEXT NOT NULL COLLATE NOCASE, name TEXT NOT NULL COLLATE NOCASE, number INTEGER, text TEXT,"
    " PRIMARY KEY(selector, section, name)) WITHOUT ROWID;"
    "CREATE TABLE IF NOT EXISTS catalog_change(seq INTEGER PRIMARY KEY, database_id INTEGER NOT NULL,"
    " change INTEGER NOT NULL);"
    "INSERT OR IGNORE INTO catalog_meta(key, value) VALUES('format', 1), ('next_database', 1);";

namespace {

int32_t Code(int rc) { return CodeFromSqlite(rc); }

int Changes(Connection& sql) { return sql.Changes(); }

}  // namespace

int32_t Catalog::Open(const std::string& dataFolder) {
    if (dataFolder.empty() || !MakeFolders(dataFolder)) return kEngineStorageError;
    const std::string path = dataFolder + kCatalogFileName;
    if (!IsRegularFile(path)) CreatePrivateFile(path);
    int32_t code = Code(m_sql.Open(path, false));
    if (code == kEngineOk) code = CreateSchema();
    if (code != kEngineOk) m_sql.Close();
    return code;
}

int32_t Catalog::OpenOnServer(const std::string& server) {
    int32_t code = Code(m_sql.OpenServer(server, kServerCatalogSchema, 0, false));
    if (code == kEngineOk) code = CreateSchema();
    if (code != kEngineOk) m_sql.Close();
    return code;
}

int32_t Catalog::CreateSchema() {
    Transaction txn(m_sql);
    int32_t code = Code(txn.Begin());
    if (code == kEngineOk) code = Code(m_sql.Exec(kCatalogSchema));
    if (code == kEngineOk) {
        Statement format = m_sql.Prepare("SELECT value FROM catalog_meta WHERE key='format'");
        if (!format.Next() || format.Int(0) != kCatalogFormat) code = kEngineCorrupt;
    }
    return CommitIfOk(txn, code);
}

int32_t Catalog::AllocateDatabaseId(int32_t* id) {
    Transaction txn(m_sql);
    int32_t code = Code(txn.Begin());
    if (code != kEngineOk) return code;
    int64_t next = 0;
    {
        Statement read = m_sql.Prepare("SELECT value FROM catalog_meta WHERE key='next_database'");
        if (read.Next()) next = read.Int(0);
        code = Code(read.rc());
    }
    if (code == kEngineOk && (next <= 0 || next >= INT32_MAX)) code = kEngineStorageError;
    if (code == kEngineOk) {
        Statement write = m_sql.Prepare("UPDATE catalog_meta SET value=?1 WHERE key='next_database'");
        code = Code(write.Bind(1, next + 1).Run());
    }
    code = CommitIfOk(txn, code);
    if (code == kEngineOk) *id = static_cast<int32_t>(next);
    return code;
}

int32_t Catalog::Register(const KnownDatabase& database) {
    Transaction txn(m_sql);
    int32_t code = Code(txn.Begin());
    if (code != kEngineOk) return code;
    {
        Statement insert = m_sql.Prepare(
            "INSERT INTO known_database(id, name, path, colour) VALUES(?1, ?2, ?3, ?4)");
        code = Code(insert.Bind(1, database.id).BindText(2, database.name).BindText(3, database.path)
                       .Bind(4, database.colour).Run());
    }
    if (code == kEngineOk) {
        // Ids handed out by SetDBID come from the same counter as Create's.
        Statement bump = m_sql.Prepare(
            "UPDATE catalog_meta SET value=max(value, ?1 + 1) WHERE key='next_database'");
        code = Code(bump.Bind(1, database.id).Run());
    }
    return CommitIfOk(txn, code);
}

int32_t Catalog::Find(int32_t id, KnownDatabase* out) {
    Statement find = m_sql.Prepare("SELECT name, path, colour FROM known_database WHERE id=?1");
    find.Bind(1, id);
    if (!find.Next()) return find.rc() == SQLITE_DONE ? kEngineNoSuchDatabase : Code(find.rc());
    out->id = id;
    out->name = find.Text(0);
    out->path = find.Text(1);
    out->colour = static_cast<uint32_t>(find.Int(2));
    return kEngineOk;
}

int32_t Catalog::FindByPath(const std::string& path, int32_t* id) {
    Statement find = m_sql.Prepare("SELECT id FROM known_database WHERE path=?1");
    find.BindText(1, path);
    if (!find.Next()) return find.rc() == SQLITE_DONE ? kEngineNotFound : Code(find.rc());
    *id = static_cast<int32_t>(find.Int(0));
    return kEngineOk;
}

int32_t Catalog::Existing(int32_t id) {
    KnownDatabase ignored;
    return Find(id, &ignored);
}

int32_t Catalog::Remove(int32_t id) {
    Transaction txn(m_sql);
    int32_t code = Code(txn.Begin());
    if (code != kEngineOk) return code;
    {
        Statement remove = m_sql.Prepare("DELETE FROM known_database WHERE id=?1");
        code = Code(remove.Bind(1, id).Run());
    }
    if (code == kEngineOk && Changes(m_sql) == 0) code = kEngineNoSuchDatabase;
    if (code == kEngineOk) {
        Statement clear = m_sql.Prepare(
            "DELETE FROM catalog_meta WHERE key='default_database' AND value=?1");
        code = Code(clear.Bind(1, id).Run());
    }
    return CommitIfOk(txn, code);
}

int32_t Catalog::List(std::vector<int32_t>* ids) {
    ids->clear();
    Statement list = m_sql.Prepare("SELECT id FROM known_database ORDER BY id");
    while (list.Next()) ids->push_back(static_cast<int32_t>(list.Int(0)));
    return Code(list.rc());
}

int32_t Catalog::LogChange(int32_t id, CatalogChangeKind kind) {
    Statement log = m_sql.Prepare("INSERT INTO catalog_change(database_id, change) VALUES(?1, ?2)");
    int32_t code = Code(log.Bind(1, id).Bind(2, static_cast<int>(kind)).Run());
    if (code != kEngineOk) return code;
    Statement prune = m_sql.Prepare("DELETE FROM catalog_change WHERE seq <= ?1");
    return Code(prune.Bind(1, m_sql.LastInsertId() - kKeptChanges).Run());
}

int32_t Catalog::SetName(int32_t id, const std::string& name) {
    Transaction txn(m_sql);
    int32_t code = Code(txn.Begin());
    if (code != kEngineOk) return code;
    {
        Statement update = m_sql.Prepare("UPDATE known_database SET name=?2 WHERE id=?1");
        code = Code(update.Bind(1, id).BindText(2, name).Run());
    }
    if (code == kEngineOk && Changes(m_sql) == 0) code = kEngineNoSuchDatabase;
    if (code == kEngineOk) code = LogChange(id, CatalogChangeKind::Name);
    return CommitIfOk(txn, code);
}

int32_t Catalog::SetColour(int32_t id, uint32_t colour) {
    Transaction txn(m_sql);
    int32_t code = Code(txn.Begin());
    if (code != kEngineOk) return code;
    {
        Statement update = m_sql.Prepare("UPDATE known_database SET colour=?2 WHERE id=?1");
        code = Code(update.Bind(1, id).Bind(2, colour).Run());
    }
    if (code == kEngineOk && Changes(m_sql) == 0) code = kEngineNoSuchDatabase;
    if (code == kEngineOk) code = LogChange(id, CatalogChangeKind::Colour);
    return CommitIfOk(txn, code);
}

int32_t Catalog::SetDefault(int32_t id) {
    Transaction txn(m_sql);
    int32_t code = Code(txn.Begin());
    if (code == kEngineOk) code = Existing(id);
    if (code == kEngineOk) {
        Statement write = m_sql.Prepare(
            "INSERT OR REPLACE INTO catalog_meta(key, value) VALUES('default_database', ?1)");
        code = Code(write.Bind(1, id).Run());
    }
    return CommitIfOk(txn, code);
}

int32_t Catalog::GetDefault(int32_t* id) {
    Statement read = m_sql.Prepare(
        "SELECT m.value FROM catalog_meta m JOIN known_database d ON d.id = m.value"
        " WHERE m.key='default_database'");
    if (!read.Next()) return read.rc() == SQLITE_DONE ? kEngineNotFound : Code(read.rc());
    *id = static_cast<int32_t>(read.Int(0));
    return kEngineOk;
}

int32_t Catalog::CreateApplicationId(int32_t id) {
    Statement insert = m_sql.Prepare("INSERT OR IGNORE INTO application_id(id) VALUES(?1)");
    return Code(insert.Bind(1, id).Run());
}

int32_t Catalog::HasApplicationId(int32_t id) {
    Statement find = m_sql.Prepare("SELECT 1 FROM application_id WHERE id=?1");
    find.Bind(1, id);
    if (find.Next()) return kEngineOk;
    return find.rc() == SQLITE_DONE ? kEngineNotFound : Code(find.rc());
}

int32_t Catalog::DeleteApplicationId(int32_t id, bool withValues) {
    Transaction txn(m_sql);
    int32_t code = Code(txn.Begin());
    if (code != kEngineOk) return code;
    {
        Statement remove = m_sql.Prepare("DELETE FROM application_id WHERE id=?1");
        code = Code(remove.Bind(1, id).Run());
    }
    if (code == kEngineOk && Changes(m_sql) == 0) code = kEngineNotFound;
    if (code == kEngineOk && withValues) {
        Statement values = m_sql.Prepare("DELETE FROM setting_value WHERE selector=?1");
        code = Code(values.Bind(1, id).Run());
    }
    return CommitIfOk(txn, code);
}

int32_t Catalog::CollectApplicationGarbage(int32_t id) {
    Statement values = m_sql.Prepare(
        "DELETE FROM setting_value WHERE selector=?1"
        " AND NOT EXISTS(SELECT 1 FROM application_id WHERE id=?1)");
    return Code(values.Bind(1, id).Run());
}

int32_t Catalog::SetViewMode(ViewMode mode, int32_t key, int32_t value) {
    Statement write = m_sql.Prepare("INSERT OR REPLACE INTO view_mode(mode, key, value) VALUES(?1, ?2, ?3)");
    return Code(write.Bind(1, static_cast<int>(mode)).Bind(2, key).Bind(3, value).Run());
}

int32_t Catalog::GetViewMode(ViewMode mode, int32_t key, int32_t* value) {
    Statement read = m_sql.Prepare("SELECT value FROM view_mode WHERE mode=?1 AND key=?2");
    read.Bind(1, static_cast<int>(mode)).Bind(2, key);
    if (!read.Next()) return read.rc() == SQLITE_DONE ? kEngineNotFound : Code(read.rc());
    *value = static_cast<int32_t>(read.Int(0));
    return kEngineOk;
}

int32_t Catalog::WriteSetting(int32_t selector, const std::string& section, const std::string& name,
                              const SettingValue& value) {
    Statement write = m_sql.Prepare(
        "INSERT OR REPLACE INTO setting_value(selector, section, name, number, text)"
        " VALUES(?1, ?2, ?3, ?4, ?5)");
    write.Bind(1, selector).BindText(2, section).BindText(3, name);
    if (value.isNumber) {
        write.Bind(4, value.number).BindNull(5);
    } else {
        write.BindNull(4).BindText(5, value.text);
    }
    return Code(write.Run());
}

int32_t Catalog::ReadSetting(int32_t selector, const std::string& section, const std::string& name,
                             SettingValue* value) {
    Statement read = m_sql.Prepare(
        "SELECT number, text FROM setting_value WHERE selector=?1 AND section=?2 AND name=?3");
    read.Bind(1, selector).BindText(2, section).BindText(3, name);
    if (!read.Next()) return read.rc() == SQLITE_DONE ? kEngineNotFound : Code(read.rc());
    value->isNumber = !read.IsNull(0);
    value->number = static_cast<int32_t>(read.Int(0));
    value->text = read.Text(1);
    return kEngineOk;
}

int64_t Catalog::LatestChange() {
    Statement read = m_sql.Prepare("SELECT coalesce(max(seq), 0) FROM catalog_change");
    return read.Next() ? read.Int(0) : 0;
}

int32_t Catalog::ChangesAfter(int64_t seq, std::vector<CatalogChange>* changes) {
    changes->clear();
    Statement read = m_sql.Prepare(
        "SELECT seq, database_id, change FROM catalog_change WHERE seq > ?1 ORDER BY seq LIMIT 500");
    read.Bind(1, seq);
    while (read.Next()) {
        changes->push_back(CatalogChange{read.Int(0), static_cast<int32_t>(read.Int(1)),
                                         static_cast<CatalogChangeKind>(read.Int(2))});
    }
    return Code(read.rc());
}

}  // namespace engine
}  // namespace varo
