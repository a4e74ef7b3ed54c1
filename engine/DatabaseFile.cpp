#include "DatabaseFile.h"

#include "EngineCodes.h"
#include "EngineVersion.h"
#include "FieldRecord.h"
#include "Files.h"

namespace varo {
namespace engine {
namespace {

// Format 1 kept a row per field (table `field`); format 2 keeps a tip's
// fields in its own row; format 3 keys membership by tip, so that a tip's
// fukuros need no index of their own. Older files are upgraded when opened
// for writing and read as they are otherwise: every query reads all three.
const int64_t kFieldRowsFormat = 1;
const int64_t kFormat = 3;
const int64_t kKeptChanges = 10000;
const int64_t kPruneEvery = 128;

}  // namespace

const char kDatabaseSchema[] =
    "PRAGMA application_id=1447121487;"
    "CREATE TABLE meta(key TEXT PRIMARY KEY, value) WITHOUT ROWID;"
    "CREATE TABLE fukuro(id INTEGER PRIMARY KEY, name TEXT NOT NULL DEFAULT '',"
    " kind INTEGER NOT NULL DEFAULT 0, fixed INTEGER NOT NULL DEFAULT 0, sort_condition BLOB);"
    "CREATE TABLE tip(id INTEGER PRIMARY KEY, stamp TEXT NOT NULL DEFAULT '',"
    " trashed INTEGER NOT NULL DEFAULT 0, fields BLOB);"
    "CREATE TABLE member(fukuro_id INTEGER NOT NULL REFERENCES fukuro(id) ON DELETE CASCADE,"
    " tip_id INTEGER NOT NULL REFERENCES tip(id) ON DELETE CASCADE, position INTEGER NOT NULL,"
    " PRIMARY KEY(tip_id, fukuro_id)) WITHOUT ROWID;"
    "CREATE INDEX member_order ON member(fukuro_id, position, tip_id);"
    "CREATE TABLE trash(tip_id INTEGER NOT NULL REFERENCES tip(id) ON DELETE CASCADE,"
    " fukuro_id INTEGER NOT NULL REFERENCES fukuro(id) ON DELETE CASCADE, position INTEGER NOT NULL,"
    " PRIMARY KEY(tip_id, fukuro_id)) WITHOUT ROWID;"
    "CREATE INDEX trash_fukuro ON trash(fukuro_id);"
    "CREATE TABLE change_log(seq INTEGER PRIMARY KEY, tip_id INTEGER NOT NULL, change INTEGER NOT NULL,"
    " topic INTEGER NOT NULL, fukuros BLOB NOT NULL);";

namespace {

static_assert(kDatabaseApplicationId == 1447121487, "the schema's application id");

int32_t Code(int rc) { return CodeFromSqlite(rc); }

std::vector<uint8_t> EncodeIds(const std::vector<int32_t>& ids) {
    std::vector<uint8_t> bytes;
    for (int32_t id : ids) {
        const uint32_t v = static_cast<uint32_t>(id);
        for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<uint8_t>(v >> shift));
    }
    return bytes;
}

std::vector<int32_t> DecodeIds(const std::vector<uint8_t>& bytes) {
    std::vector<int32_t> ids;
    for (size_t i = 0; i + 4 <= bytes.size(); i += 4) {
        const uint32_t v = bytes[i] | (bytes[i + 1] << 8) | (bytes[i + 2] << 16) |
                           (static_cast<uint32_t>(bytes[i + 3]) << 24);
        ids.push_back(static_cast<int32_t>(v));
    }
    return ids;
}

int32_t NotFoundOr(const Statement& stmt, int32_t notFound) {
    return stmt.rc() == SQLITE_DONE ? notFound : Code(stmt.rc());
}

int32_t FillNewFile(Connection& sql, const std::string& name) {
    Transaction txn(sql);
    int32_t code = Code(txn.Begin());
    if (code == kEngineOk) code = Code(sql.Exec(kDatabaseSchema));
    for (int32_t id = kFirstFixedFukuro; code == kEngineOk && id <= kLastFixedFukuro; ++id) {
        Statement insert = sql.Prepare("INSERT INTO fukuro(id, fixed) VALUES(?1, 1)");
        code = Code(insert.Bind(1, id).Run());
    }
    struct Initial {
        const char* key;
        int64_t value;
    };
    const Initial initial[] = {
        {"format", kFormat},
        {"version_major", kDatabaseFormatMajor},
        {"version_minor", kDatabaseFormatMinor},
        {"next_tip", 1},
        {"next_fukuro", kFirstNewFukuro},
        {"sync_mark", 0},
    };
    for (const Initial& value : initial) {
        if (code != kEngineOk) break;
        Statement insert = sql.Prepare("INSERT INTO meta(key, value) VALUES(?1, ?2)");
        code = Code(insert.BindText(1, value.key).Bind(2, value.value).Run());
    }
    if (code == kEngineOk) {
        Statement insert = sql.Prepare("INSERT INTO meta(key, value) VALUES('name', ?1)");
        code = Code(insert.BindText(1, name).Run());
    }
    return CommitIfOk(txn, code);
}

}  // namespace

int32_t DatabaseFile::Create(const std::string& path, const std::string& name) {
    if (!CreatePrivateFile(path)) return kEngineStorageError;
    int32_t code;
    {
        Connection sql;
        code = Code(sql.Open(path, false));
        if (code == kEngineOk) code = FillNewFile(sql, name);
    }
    if (code != kEngineOk) {
        RemoveFile(path + "-wal");
        RemoveFile(path + "-shm");
        RemoveFile(path);
    }
    return code;
}

int32_t DatabaseFile::CreateOnServer(const std::string& server, int32_t id, const std::string& name) {
    Connection sql;
    int32_t code = Code(sql.OpenServer(server, DatabaseFolderName(id), id, false));
    return code == kEngineOk ? FillNewFile(sql, name) : code;
}

int32_t DatabaseFile::DropOnServer(const std::string& server, int32_t id) {
    Connection sql;
    int32_t code = Code(sql.OpenServer(server, kServerCatalogSchema, id, false));
    Transaction txn(sql);
    if (code == kEngineOk) code = Code(txn.Begin());
    if (code == kEngineOk) code = Code(sql.Server()->DropSchema(DatabaseFolderName(id)));
    if (code == kEngineOk) code = Code(sql.Server()->DropSchema(BackupSchemaName(DatabaseFolderName(id))));
    return CommitIfOk(txn, code);
}

int32_t DatabaseFile::Identify(const std::string& path, std::string* name) {
    if (!IsRegularFile(path)) return kEngineNoSuchDatabase;
    Connection sql;
    int32_t code = Code(sql.Open(path, true));
    if (code != kEngineOk) return code;
    {
        Statement id = sql.Prepare("PRAGMA application_id");
        if (!id.Next() || id.Int(0) != kDatabaseApplicationId) return kEngineCorrupt;
    }
    Statement read = sql.Prepare("SELECT value FROM meta WHERE key='name'");
    if (!read.Next()) return read.rc() == SQLITE_DONE ? kEngineCorrupt : Code(read.rc());
    *name = read.Text(0);
    return kEngineOk;
}

// A writable file whose queue cannot be made still works: its writers then
// rely on SQLite's busy wait alone.
int32_t DatabaseFile::Open(const std::string& path, bool readOnly) {
    if (!IsRegularFile(path)) return kEngineNoSuchDatabase;
    int32_t code = Code(m_sql.Open(path, readOnly));
    if (code != kEngineOk) return code;
    code = ReadFormat(&m_format);
    if (code == kEngineOk && !readOnly) {
        if (m_writers.Open(WritersPathOf(path))) m_sql.SetWriterQueue(&m_writers);
        if (m_format != kFormat) code = Upgrade();
    }
    if (code != kEngineOk) Close();
    return code;
}

// Every database on a server has the current format: the server store came
// after the last upgrade.
int32_t DatabaseFile::OpenOnServer(const std::string& server, int32_t id, bool readOnly) {
    int32_t code = Code(m_sql.OpenServer(server, DatabaseFolderName(id), id, readOnly));
    bool exists = false;
    if (code == kEngineOk) code = Code(m_sql.Server()->SchemaExists(DatabaseFolderName(id), &exists));
    if (code == kEngineOk && !exists) code = kEngineNoSuchDatabase;
    if (code == kEngineOk) code = ReadFormat(&m_format);
    if (code == kEngineOk && m_format != kFormat) code = kEngineCorrupt;
    if (code != kEngineOk) Close();
    return code;
}

int32_t DatabaseFile::OpenIn(const std::string& server, int32_t id, const std::string& path, bool readOnly) {
    return server.empty() ? Open(path, readOnly) : OpenOnServer(server, id, readOnly);
}

int32_t DatabaseFile::CreateIn(const std::string& server, int32_t id, const std::string& path,
                               const std::string& name) {
    return server.empty() ? Create(path, name) : CreateOnServer(server, id, name);
}

int32_t DatabaseFile::RemoveIn(const std::string& server, int32_t id, const std::string& path) {
    if (!server.empty()) return DropOnServer(server, id);
    const std::string kept[] = {path,         path + "-wal",       path + "-shm",    path + "-journal",
                                BackupPathOf(path), WritersPathOf(path), LockPathOf(path)};
    bool removed = true;
    for (const std::string& file : kept) removed = RemoveFile(file) && removed;
    return removed ? kEngineOk : kEngineStorageError;
}

bool DatabaseFile::IsPresentIn(const std::string& server, const std::string& path) {
    return !server.empty() || IsRegularFile(path);
}

bool DatabaseFile::IsWritableIn(const std::string& server, const std::string& path) {
    return !server.empty() || IsWritableFile(path);
}

int32_t DatabaseFile::ReadFormat(int64_t* format) {
    const int32_t code = MetaNumber("format", format);
    if (code == kEngineNotFound) return kEngineCorrupt;
    if (code == kEngineOk && (*format < kFieldRowsFormat || *format > kFormat)) return kEngineCorrupt;
    return code;
}

void DatabaseFile::Close() {
    m_sql.Close();
    m_logged = 0;
    m_sql.SetWriterQueue(nullptr);
    m_writers.Close();
}

int32_t DatabaseFile::FukuroExists(int32_t fukuro) {
    Statement find = m_sql.Prepare("SELECT 1 FROM fukuro WHERE id=?1");
    find.Bind(1, fukuro);
    return find.Next() ? kEngineOk : NotFoundOr(find, kEngineNoSuchFukuro);
}

int32_t DatabaseFile::IsFixedFukuro(int32_t fukuro, bool* fixed) {
    Statement find = m_sql.Prepare("SELECT fixed FROM fukuro WHERE id=?1");
    find.Bind(1, fukuro);
    if (!find.Next()) return NotFoundOr(find, kEngineNoSuchFukuro);
    *fixed = find.Int(0) != 0;
    return kEngineOk;
}

int32_t DatabaseFile::FukuroName(int32_t fukuro, std::string* name) {
    Statement find = m_sql.Prepare("SELECT name FROM fukuro WHERE id=?1");
    find.Bind(1, fukuro);
    if (!find.Next()) return NotFoundOr(find, kEngineNoSuchFukuro);
    *name = find.Text(0);
    return kEngineOk;
}

int32_t DatabaseFile::FukuroSize(int32_t fukuro, int32_t* size) {
    int32_t code = FukuroExists(fukuro);
    if (code != kEngineOk) return code;
    Statement count = m_sql.Prepare("SELECT count(*) FROM member WHERE fukuro_id=?1");
    count.Bind(1, fukuro);
    if (!count.Next()) return Code(count.rc());
    *size = static_cast<int32_t>(count.Int(0));
    return kEngineOk;
}

int32_t DatabaseFile::FukuroTips(int32_t fukuro, std::vector<int32_t>* tips) {
    tips->clear();
    int32_t code = FukuroExists(fukuro);
    if (code != kEngineOk) return code;
    Statement list = m_sql.Prepare(
        "SELECT tip_id FROM member WHERE fukuro_id=?1 ORDER BY position, tip_id");
    list.Bind(1, fukuro);
    while (list.Next()) tips->push_back(static_cast<int32_t>(list.Int(0)));
    return Code(list.rc());
}

int32_t DatabaseFile::AllFukuros(std::vector<int32_t>* fukuros) {
    fukuros->clear();
    Statement list = m_sql.Prepare("SELECT id FROM fukuro ORDER BY id");
    while (list.Next()) fukuros->push_back(static_cast<int32_t>(list.Int(0)));
    return Code(list.rc());
}

int32_t DatabaseFile::SortCondition(int32_t fukuro, std::vector<uint8_t>* condition) {
    Statement find = m_sql.Prepare("SELECT sort_condition FROM fukuro WHERE id=?1");
    find.Bind(1, fukuro);
    if (!find.Next()) return NotFoundOr(find, kEngineNoSuchFukuro);
    *condition = find.Blob(0);
    return kEngineOk;
}

// The counter moves on and gives its previous value in one statement; a
// value outside 1 to limit - 1 fails the caller's transaction, which then
// rolls the step back.
int32_t DatabaseFile::NextId(const char* key, int64_t limit, int32_t* id) {
    Statement take = m_sql.Prepare("UPDATE meta SET value=value+1 WHERE key=?1 RETURNING value-1");
    take.BindText(1, key);
    if (!take.Next()) return take.rc() == SQLITE_DONE ? kEngineCorrupt : Code(take.rc());
    const int64_t next = take.Int(0);
    const int32_t code = Code(take.Run());
    if (code != kEngineOk) return code;
    if (next <= 0 || next >= limit) return kEngineStorageError;
    *id = static_cast<int32_t>(next);
    return kEngineOk;
}

// Tips are never deleted, so the id above the largest in use is new; the
// stored counter is a floor kept only where that is not enough (a restored
// backup lacks the tips made after it), so that storing a tip leaves the
// meta table alone.
int32_t DatabaseFile::NextTipId(int64_t* id) {
    Statement read = m_sql.Prepare(
        "SELECT max(coalesce((SELECT max(id) FROM tip), 0) + 1, (SELECT value FROM meta WHERE key='next_tip'))");
    if (!read.Next()) return Code(read.rc());
    if (read.IsNull(0)) return kEngineCorrupt;
    *id = read.Int(0);
    return kEngineOk;
}

int32_t DatabaseFile::NewFukuro(const std::string& name, int32_t kind, int32_t* fukuro) {
    int32_t id = 0;
    int32_t code = NextId("next_fukuro", INT32_MAX, &id);
    if (code != kEngineOk) return code;
    Statement insert = m_sql.Prepare("INSERT INTO fukuro(id, name, kind) VALUES(?1, ?2, ?3)");
    code = Code(insert.Bind(1, id).BindText(2, name).Bind(3, kind).Run());
    if (code == kEngineOk) *fukuro = id;
    return code;
}

int32_t DatabaseFile::DeleteFukuro(int32_t fukuro) {
    Statement remove = m_sql.Prepare("DELETE FROM fukuro WHERE id=?1");
    return Code(remove.Bind(1, fukuro).Run());
}

int32_t DatabaseFile::RenameFukuro(int32_t fukuro, const std::string& name) {
    Statement update = m_sql.Prepare("UPDATE fukuro SET name=?2 WHERE id=?1");
    return Code(update.Bind(1, fukuro).BindText(2, name).Run());
}

int32_t DatabaseFile::Reorder(int32_t fukuro, const std::vector<int32_t>& tips,
                              const std::vector<uint8_t>& condition) {
    int64_t position = 1;
    for (int32_t tip : tips) {
        Statement update = m_sql.Prepare("UPDATE member SET position=?3 WHERE fukuro_id=?1 AND tip_id=?2");
        const int32_t code = Code(update.Bind(1, fukuro).Bind(2, tip).Bind(3, position++).Run());
        if (code != kEngineOk) return code;
    }
    Statement record = m_sql.Prepare("UPDATE fukuro SET sort_condition=?2 WHERE id=?1");
    return Code(record.Bind(1, fukuro).BindBlob(2, condition.data(), condition.size()).Run());
}

int32_t DatabaseFile::Step(int32_t fukuro, OrderKey from, bool forward, bool inclusive, int limit,
                           std::vector<OrderKey>* keys) {
    keys->clear();
    const char* sql;
    if (forward) {
        sql = inclusive ? "SELECT position, tip_id FROM member WHERE fukuro_id=?1 AND (position, tip_id) >= (?2, ?3)"
                          " ORDER BY position, tip_id LIMIT ?4"
                        : "SELECT position, tip_id FROM member WHERE fukuro_id=?1 AND (position, tip_id) > (?2, ?3)"
                          " ORDER BY position, tip_id LIMIT ?4";
    } else {
        sql = inclusive ? "SELECT position, tip_id FROM member WHERE fukuro_id=?1 AND (position, tip_id) <= (?2, ?3)"
                          " ORDER BY position DESC, tip_id DESC LIMIT ?4"
                        : "SELECT position, tip_id FROM member WHERE fukuro_id=?1 AND (position, tip_id) < (?2, ?3)"
                          " ORDER BY position DESC, tip_id DESC LIMIT ?4";
    }
    Statement step = m_sql.Prepare(sql);
    step.Bind(1, fukuro).Bind(2, from.position).Bind(3, from.tip).Bind(4, limit);
    while (step.Next()) keys->push_back(OrderKey{step.Int(0), step.Int(1)});
    return Code(step.rc());
}

namespace {

// The statements of StepRecords, by direction and inclusion.
const char* StepRecordsSql(bool forward, bool inclusive) {
    if (forward) {
        return inclusive ? "SELECT m.position, m.tip_id, t.id IS NOT NULL, t.stamp, t.fields FROM member m"
                           " LEFT JOIN tip t ON t.id=m.tip_id WHERE m.fukuro_id=?1 AND (m.position, m.tip_id) >= (?2, ?3)"
                           " ORDER BY m.position, m.tip_id LIMIT ?4"
                         : "SELECT m.position, m.tip_id, t.id IS NOT NULL, t.stamp, t.fields FROM member m"
                           " LEFT JOIN tip t ON t.id=m.tip_id WHERE m.fukuro_id=?1 AND (m.position, m.tip_id) > (?2, ?3)"
                           " ORDER BY m.position, m.tip_id LIMIT ?4";
    }
    return inclusive ? "SELECT m.position, m.tip_id, t.id IS NOT NULL, t.stamp, t.fields FROM member m"
                       " LEFT JOIN tip t ON t.id=m.tip_id WHERE m.fukuro_id=?1 AND (m.position, m.tip_id) <= (?2, ?3)"
                       " ORDER BY m.position DESC, m.tip_id DESC LIMIT ?4"
                     : "SELECT m.position, m.tip_id, t.id IS NOT NULL, t.stamp, t.fields FROM member m"
                       " LEFT JOIN tip t ON t.id=m.tip_id WHERE m.fukuro_id=?1 AND (m.position, m.tip_id) < (?2, ?3)"
                       " ORDER BY m.position DESC, m.tip_id DESC LIMIT ?4";
}

}  // namespace

int32_t DatabaseFile::StepRecords(int32_t fukuro, OrderKey from, bool forward, bool inclusive, int limit,
                                  std::vector<OrderedRecord>* records, size_t* count) {
    *count = 0;
    Statement step = m_sql.Prepare(StepRecordsSql(forward, inclusive));
    step.Bind(1, fukuro).Bind(2, from.position).Bind(3, from.tip).Bind(4, limit);
    while (step.Next()) {
        if (records->size() == *count) records->emplace_back();
        OrderedRecord& record = (*records)[(*count)++];
        record.key = OrderKey{step.Int(0), step.Int(1)};
        record.present = step.Int(2) != 0;
        record.hasRecord = !step.IsNull(4);
        step.BlobInto(3, &record.stamp);
        step.BlobInto(4, &record.record);
    }
    return Code(step.rc());
}

bool DatabaseFile::KeepsRecords() const { return m_format != kFieldRowsFormat; }

int32_t DatabaseFile::ReadChangeMark(ChangeMark* mark) {
    mark->ownChanges = m_sql.TotalChanges();
    mark->hasCommitMark = m_sql.ReadCommitMark(&mark->commits);
    if (mark->hasCommitMark) return kEngineOk;
    mark->dataVersion = m_sql.DataVersion();
    return mark->dataVersion < 0 ? kEngineStorageError : kEngineOk;
}

int32_t DatabaseFile::CountBefore(int32_t fukuro, OrderKey key, int32_t* count) {
    Statement read = m_sql.Prepare(
        "SELECT count(*) FROM member WHERE fukuro_id=?1 AND (position, tip_id) < (?2, ?3)");
    read.Bind(1, fukuro).Bind(2, key.position).Bind(3, key.tip);
    if (!read.Next()) return Code(read.rc());
    *count = static_cast<int32_t>(read.Int(0));
    return kEngineOk;
}

int32_t DatabaseFile::KeyAt(int32_t fukuro, int32_t index, OrderKey* key) {
    Statement read = m_sql.Prepare(
        "SELECT position, tip_id FROM member WHERE fukuro_id=?1 ORDER BY position, tip_id LIMIT 1 OFFSET ?2");
    read.Bind(1, fukuro).Bind(2, index);
    if (!read.Next()) return NotFoundOr(read, kEngineNoSuchTip);
    *key = OrderKey{read.Int(0), read.Int(1)};
    return kEngineOk;
}

int32_t DatabaseFile::StateOf(int32_t tip, TipState* state) {
    Statement find = m_sql.Prepare("SELECT trashed FROM tip WHERE id=?1");
    find.Bind(1, tip);
    if (find.Next()) {
        *state = find.Int(0) ? TipState::Trashed : TipState::Live;
        return kEngineOk;
    }
    *state = TipState::Missing;
    return NotFoundOr(find, kEngineOk);
}

int32_t DatabaseFile::TipPlace(int32_t tip, int32_t fukuro, TipState* state, bool* fukuroExists, bool* member) {
    Statement find = m_sql.Prepare(
        "SELECT (SELECT trashed FROM tip WHERE id=?1), EXISTS(SELECT 1 FROM fukuro WHERE id=?2),"
        " EXISTS(SELECT 1 FROM member WHERE fukuro_id=?2 AND tip_id=?1)");
    find.Bind(1, tip).Bind(2, fukuro);
    if (!find.Next()) return Code(find.rc());
    *state = find.IsNull(0) ? TipState::Missing : (find.Int(0) ? TipState::Trashed : TipState::Live);
    *fukuroExists = find.Int(1) != 0;
    *member = find.Int(2) != 0;
    return kEngineOk;
}

int32_t DatabaseFile::PlaceWithRecord(int32_t tip, int32_t fukuro, TipState* state, bool* fukuroExists, bool* member,
                                      OrderedRecord* record) {
    Statement find = m_sql.Prepare(
        "SELECT t.trashed, EXISTS(SELECT 1 FROM fukuro WHERE id=?2),"
        " EXISTS(SELECT 1 FROM member WHERE tip_id=?1 AND fukuro_id=?2), t.stamp, t.fields"
        " FROM (SELECT ?1 AS id) AS wanted LEFT JOIN tip t ON t.id=wanted.id");
    find.Bind(1, tip).Bind(2, fukuro);
    if (!find.Next()) return Code(find.rc());
    *state = find.IsNull(0) ? TipState::Missing : (find.Int(0) ? TipState::Trashed : TipState::Live);
    *fukuroExists = find.Int(1) != 0;
    *member = find.Int(2) != 0;
    record->key = OrderKey{0, tip};
    record->present = *state != TipState::Missing;
    record->hasRecord = !find.IsNull(4);
    find.BlobInto(3, &record->stamp);
    find.BlobInto(4, &record->record);
    return kEngineOk;
}

// One row for each fukuro holding the tip, or one row without a fukuro.
int32_t DatabaseFile::PlaceForStore(int32_t tip, int32_t fukuro, TipState* state, bool* fukuroExists, bool* member,
                                    std::string* stamp, std::vector<int32_t>* holders) {
    holders->clear();
    Statement find = m_sql.Prepare(
        "SELECT t.trashed, EXISTS(SELECT 1 FROM fukuro WHERE id=?2),"
        " EXISTS(SELECT 1 FROM member WHERE tip_id=?1 AND fukuro_id=?2), t.stamp, m.fukuro_id"
        " FROM (SELECT ?1 AS id) AS wanted LEFT JOIN tip t ON t.id=wanted.id"
        " LEFT JOIN member m ON m.tip_id=wanted.id ORDER BY m.fukuro_id");
    find.Bind(1, tip).Bind(2, fukuro);
    if (!find.Next()) return Code(find.rc());
    *state = find.IsNull(0) ? TipState::Missing : (find.Int(0) ? TipState::Trashed : TipState::Live);
    *fukuroExists = find.Int(1) != 0;
    *member = find.Int(2) != 0;
    find.BlobInto(3, stamp);
    do {
        if (!find.IsNull(4)) holders->push_back(static_cast<int32_t>(find.Int(4)));
    } while (find.Next());
    return Code(find.rc());
}

int32_t DatabaseFile::IsMember(int32_t fukuro, int32_t tip, bool* member) {
    Statement find = m_sql.Prepare("SELECT 1 FROM member WHERE fukuro_id=?1 AND tip_id=?2");
    find.Bind(1, fukuro).Bind(2, tip);
    *member = find.Next();
    return NotFoundOr(find, kEngineOk);
}

int32_t DatabaseFile::FukurosOf(int32_t tip, std::vector<int32_t>* fukuros) {
    fukuros->clear();
    Statement list = m_sql.Prepare("SELECT fukuro_id FROM member WHERE tip_id=?1 ORDER BY fukuro_id");
    list.Bind(1, tip);
    while (list.Next()) fukuros->push_back(static_cast<int32_t>(list.Int(0)));
    return Code(list.rc());
}

int32_t DatabaseFile::TrashedFukurosOf(int32_t tip, std::vector<int32_t>* fukuros) {
    fukuros->clear();
    Statement list = m_sql.Prepare("SELECT fukuro_id FROM trash WHERE tip_id=?1 ORDER BY fukuro_id");
    list.Bind(1, tip);
    while (list.Next()) fukuros->push_back(static_cast<int32_t>(list.Int(0)));
    return Code(list.rc());
}

namespace {

// A format 1 tip: one row per field, in slot order. The rows go straight
// into the fields of `out`, whose strings and vectors keep their storage.
// *tooMany tells a tip of more rows than a tip has fields, which no tip
// buffer could have stored.
int32_t LoadFieldRows(Connection& sql, int32_t tip, StoredTip* out, bool* tooMany) {
    std::vector<StoredField>& fields = out->fields;
    Statement read = sql.Prepare("SELECT tag, label, type, data FROM field WHERE tip_id=?1 ORDER BY slot");
    read.Bind(1, tip);
    size_t count = 0;
    *tooMany = false;
    while (read.Next()) {
        if (count == static_cast<size_t>(kMaxTipFields)) {
            *tooMany = true;
            return kEngineOk;
        }
        if (fields.size() == count) fields.emplace_back();
        StoredField& field = fields[count++];
        read.BlobInto(0, &field.tag);
        read.BlobInto(1, &field.label);
        field.type = static_cast<uint32_t>(read.Int(2));
        read.BlobInto(3, &field.data);
    }
    fields.resize(count);
    return read.rc() == SQLITE_DONE ? kEngineOk : Code(read.rc());
}

// A tip without its record (a row the upgrade could not convert) reads as
// damaged. The stamp comes from the same row.
int32_t LoadFieldRecord(Connection& sql, int32_t tip, StoredTip* out, std::string* stamp) {
    Statement read = sql.Prepare("SELECT stamp, fields FROM tip WHERE id=?1");
    read.Bind(1, tip);
    if (!read.Next()) return NotFoundOr(read, kEngineNoSuchTip);
    if (read.IsNull(1)) return kEngineCorrupt;
    const ByteSpan bytes = read.Span(1);
    if (DecodeFieldRecord(bytes.data, bytes.size, out) != FieldRecordError::None) return kEngineCorrupt;
    if (stamp) *stamp = read.Text(0);
    return kEngineOk;
}

}  // namespace

// The checks LoadTip makes after reading, for a record read ahead.
int32_t DatabaseFile::TipFromRecord(const OrderedRecord& record, StoredTip* out) {
    int32_t code = kEngineOk;
    if (!record.present) {
        code = kEngineNoSuchTip;
    } else if (!record.hasRecord ||
               DecodeFieldRecord(record.record.data(), record.record.size(), out) != FieldRecordError::None) {
        code = kEngineCorrupt;
    } else if (out->fields.empty()) {
        code = kEngineNoSuchTip;
    } else if (!IsWellFormedTip(*out)) {
        code = kEngineCorrupt;
    }
    if (code != kEngineOk) out->fields.clear();
    return code;
}

int32_t DatabaseFile::LoadTip(int32_t tip, StoredTip* out, std::string* stamp) {
    bool tooMany = false;
    int32_t code = m_format == kFieldRowsFormat ? LoadFieldRows(m_sql, tip, out, &tooMany)
                                                : LoadFieldRecord(m_sql, tip, out, stamp);
    if (code == kEngineOk && tooMany) code = kEngineCorrupt;
    if (code == kEngineOk && out->fields.empty()) code = kEngineNoSuchTip;
    if (code == kEngineOk && !IsWellFormedTip(*out)) code = kEngineCorrupt;
    if (code == kEngineOk && stamp && m_format == kFieldRowsFormat) code = StoredStamp(tip, stamp);
    if (code != kEngineOk) out->fields.clear();
    return code;
}

int32_t DatabaseFile::StoredStamp(int32_t tip, std::string* stamp) {
    Statement read = m_sql.Prepare("SELECT stamp FROM tip WHERE id=?1");
    read.Bind(1, tip);
    if (!read.Next()) return NotFoundOr(read, kEngineNoSuchTip);
    *stamp = read.Text(0);
    return kEngineOk;
}

int32_t DatabaseFile::InsertTip(const StoredTip& tip, int32_t* id) {
    int64_t next = 0;
    int32_t code = NextTipId(&next);
    if (code == kEngineOk) code = InsertTipAs(next, tip);
    if (code == kEngineOk) *id = static_cast<int32_t>(next);
    return code;
}

int32_t DatabaseFile::FukuroAndNextTipId(int32_t fukuro, int64_t* id) {
    Statement read = m_sql.Prepare(
        "SELECT EXISTS(SELECT 1 FROM fukuro WHERE id=?1),"
        " max(coalesce((SELECT max(id) FROM tip), 0) + 1, (SELECT value FROM meta WHERE key='next_tip'))");
    read.Bind(1, fukuro);
    if (!read.Next()) return Code(read.rc());
    if (read.Int(0) == 0) return kEngineNoSuchFukuro;
    if (read.IsNull(1)) return kEngineCorrupt;
    *id = read.Int(1);
    return kEngineOk;
}

int32_t DatabaseFile::InsertTipAs(int64_t id, const StoredTip& tip) {
    if (id <= 0 || id >= INT32_MAX) return kEngineStorageError;
    if (!EncodeFieldRecord(tip, &m_record)) return kEngineBadTipBuffer;
    Statement insert = m_sql.Prepare("INSERT INTO tip(id, stamp, fields) VALUES(?1, ?2, ?3)");
    return Code(insert.Bind(1, id).BindText(2, StampOf(tip)).BindBlobInPlace(3, m_record.data(), m_record.size()).Send());
}

int32_t DatabaseFile::ReplaceTip(int32_t id, const StoredTip& tip) {
    if (!EncodeFieldRecord(tip, &m_record)) return kEngineBadTipBuffer;
    Statement update = m_sql.Prepare("UPDATE tip SET stamp=?2, fields=?3 WHERE id=?1");
    return Code(update.Bind(1, id).BindText(2, StampOf(tip)).BindBlobInPlace(3, m_record.data(), m_record.size()).Send());
}

// The position comes from a subquery of VALUES: an INSERT from a SELECT of
// the same table would copy the selected rows to a temporary table first.
int32_t DatabaseFile::AddMember(int32_t fukuro, int32_t tip) {
    Statement insert = m_sql.Prepare(
        "INSERT OR IGNORE INTO member(fukuro_id, tip_id, position)"
        " VALUES(?1, ?2, (SELECT coalesce(max(position), 0) + 1 FROM member WHERE fukuro_id=?1))");
    return Code(insert.Bind(1, fukuro).Bind(2, tip).Send());
}

int32_t DatabaseFile::RemoveMember(int32_t fukuro, int32_t tip) {
    Statement remove = m_sql.Prepare("DELETE FROM member WHERE fukuro_id=?1 AND tip_id=?2");
    return Code(remove.Bind(1, fukuro).Bind(2, tip).Send());
}

int32_t DatabaseFile::Trash(int32_t tip) {
    const char* const steps[] = {
        ("INSERT OR REPLACE INTO trash(tip_id, fukuro_id, position)"
         " SELECT tip_id, fukuro_id, position FROM member WHERE tip_id=?1"),
        "DELETE FROM member WHERE tip_id=?1",
        "UPDATE tip SET trashed=1 WHERE id=?1",
    };
    for (const char* sql : steps) {
        Statement step = m_sql.Prepare(sql);
        const int32_t code = Code(step.Bind(1, tip).Send());
        if (code != kEngineOk) return code;
    }
    return kEngineOk;
}

int32_t DatabaseFile::Restore(int32_t tip) {
    const char* const steps[] = {
        ("INSERT OR IGNORE INTO member(fukuro_id, tip_id, position)"
         " SELECT fukuro_id, tip_id, position FROM trash WHERE tip_id=?1"),
        "DELETE FROM trash WHERE tip_id=?1",
        "UPDATE tip SET trashed=0 WHERE id=?1",
    };
    for (const char* sql : steps) {
        Statement step = m_sql.Prepare(sql);
        const int32_t code = Code(step.Bind(1, tip).Send());
        if (code != kEngineOk) return code;
    }
    return kEngineOk;
}

// The oldest entries go in batches, with the connection's first entry and
// every kPruneEvery-th after it, so that most commits leave the head of the
// log alone and every writer prunes; at least kKeptChanges entries always
// stay. Neither statement waits for an answer.
int32_t DatabaseFile::Log(ChangeKind kind, int32_t tip, const std::vector<int32_t>& fukuros,
                          PreferenceTopic topic) {
    const std::vector<uint8_t> ids = EncodeIds(fukuros);
    int32_t code;
    {
        Statement log = m_sql.Prepare(
            "INSERT INTO change_log(tip_id, change, topic, fukuros) VALUES(?1, ?2, ?3, ?4)");
        code = Code(log.Bind(1, tip).Bind(2, static_cast<int32_t>(kind)).Bind(3, static_cast<int>(topic))
                       .BindBlobInPlace(4, ids.data(), ids.size()).Send());
    }
    if (code != kEngineOk || m_logged++ % kPruneEvery != 0) return code;
    Statement prune = m_sql.Prepare("DELETE FROM change_log WHERE seq <= (SELECT max(seq) FROM change_log) - ?1");
    return Code(prune.Bind(1, kKeptChanges).Send());
}

int64_t DatabaseFile::LatestChange() {
    Statement read = m_sql.Prepare("SELECT coalesce(max(seq), 0) FROM change_log");
    return read.Next() ? read.Int(0) : 0;
}

int32_t DatabaseFile::LogRestored(int64_t atLeast) {
    Statement log = m_sql.Prepare(
        "INSERT INTO change_log(seq, tip_id, change, topic, fukuros)"
        " SELECT max(?1, coalesce(max(seq), 0)) + 1, 0, ?2, 0, x'' FROM change_log");
    return Code(log.Bind(1, atLeast).Bind(2, static_cast<int32_t>(ChangeKind::DatabaseRestored)).Run());
}

int32_t DatabaseFile::ChangesAfter(int64_t seq, int limit, std::vector<ChangeRecord>* changes) {
    changes->clear();
    Statement read = m_sql.Prepare(
        "SELECT seq, tip_id, change, topic, fukuros FROM change_log WHERE seq > ?1 ORDER BY seq LIMIT ?2");
    read.Bind(1, seq).Bind(2, limit);
    while (read.Next()) {
        ChangeRecord record;
        record.seq = read.Int(0);
        record.tip = static_cast<int32_t>(read.Int(1));
        record.kind = static_cast<ChangeKind>(read.Int(2));
        record.topic = static_cast<PreferenceTopic>(read.Int(3));
        record.fukuros = DecodeIds(read.Blob(4));
        changes->push_back(std::move(record));
    }
    return Code(read.rc());
}

int32_t DatabaseFile::MetaText(const char* key, std::string* value) {
    Statement read = m_sql.Prepare("SELECT value FROM meta WHERE key=?1");
    read.BindText(1, key);
    if (!read.Next()) return NotFoundOr(read, kEngineNotFound);
    *value = read.Text(0);
    return kEngineOk;
}

int32_t DatabaseFile::MetaNumber(const char* key, int64_t* value) {
    Statement read = m_sql.Prepare("SELECT value FROM meta WHERE key=?1");
    read.BindText(1, key);
    if (!read.Next()) return NotFoundOr(read, kEngineNotFound);
    *value = read.Int(0);
    return kEngineOk;
}

int32_t DatabaseFile::SetMetaText(const char* key, const std::string& value) {
    Statement write = m_sql.Prepare("INSERT OR REPLACE INTO meta(key, value) VALUES(?1, ?2)");
    return Code(write.BindText(1, key).BindText(2, value).Run());
}

int32_t DatabaseFile::SetMetaNumber(const char* key, int64_t value) {
    Statement write = m_sql.Prepare("INSERT OR REPLACE INTO meta(key, value) VALUES(?1, ?2)");
    return Code(write.BindText(1, key).Bind(2, value).Run());
}

int32_t DatabaseFile::Check() {
    {
        Statement integrity = m_sql.Prepare("PRAGMA integrity_check");
        if (!integrity.Next()) return Code(integrity.rc()) == kEngineOk ? kEngineCorrupt : Code(integrity.rc());
        if (integrity.Text(0) != "ok") return kEngineCorrupt;
    }
    {
        Statement keys = m_sql.Prepare("PRAGMA foreign_key_check");
        if (keys.Next()) return kEngineCorrupt;
        if (keys.rc() != SQLITE_DONE) return Code(keys.rc());
    }
    return m_format != kFieldRowsFormat ? CheckFieldRecords() : kEngineOk;
}

// Every tip's record must decode to fields that form a tip (or to none, the
// record the upgrade gives a tip that had no field rows).
int32_t DatabaseFile::CheckFieldRecords() {
    Statement read = m_sql.Prepare("SELECT fields FROM tip");
    StoredTip tip;
    while (read.Next()) {
        if (read.IsNull(0)) return kEngineCorrupt;
        const ByteSpan bytes = read.Span(0);
        if (DecodeFieldRecord(bytes.data, bytes.size, &tip) != FieldRecordError::None) return kEngineCorrupt;
        if (!tip.fields.empty() && !IsWellFormedTip(tip)) return kEngineCorrupt;
    }
    return Code(read.rc());
}

namespace {

// The ids of every tip, gathered before any row changes.
int32_t AllTipIds(Connection& sql, std::vector<int32_t>* ids) {
    Statement list = sql.Prepare("SELECT id FROM tip ORDER BY id");
    while (list.Next()) ids->push_back(static_cast<int32_t>(list.Int(0)));
    return Code(list.rc());
}

// A tip whose rows cannot form a record (more than kMaxTipFields of them, a
// tag not of 4 bytes, an oversized label or data) was already unreadable;
// it keeps no record and still reads as damaged.
int32_t ConvertFieldRows(Connection& sql) {
    std::vector<int32_t> ids;
    int32_t code = AllTipIds(sql, &ids);
    StoredTip tip;
    std::vector<uint8_t> record;
    for (size_t i = 0; code == kEngineOk && i < ids.size(); ++i) {
        bool tooMany = false;
        code = LoadFieldRows(sql, ids[i], &tip, &tooMany);
        if (code != kEngineOk) break;
        const bool convertible = !tooMany && EncodeFieldRecord(tip, &record);
        Statement update = sql.Prepare("UPDATE tip SET fields=?2 WHERE id=?1");
        update.Bind(1, ids[i]);
        if (convertible) {
            update.BindBlobInPlace(2, record.data(), record.size());
        } else {
            update.BindNull(2);
        }
        code = Code(update.Run());
    }
    return code;
}

int32_t ToFieldRecords(Connection& sql) {
    int32_t code = Code(sql.Exec("ALTER TABLE tip ADD COLUMN fields BLOB"));
    if (code == kEngineOk) code = ConvertFieldRows(sql);
    if (code == kEngineOk) code = Code(sql.Exec("DROP TABLE field"));
    return code;
}

// Dropping the old table drops its indexes with it.
int32_t ToMembershipByTip(Connection& sql) {
    return Code(sql.Exec(
        "CREATE TABLE member_by_tip(fukuro_id INTEGER NOT NULL REFERENCES fukuro(id) ON DELETE CASCADE,"
        " tip_id INTEGER NOT NULL REFERENCES tip(id) ON DELETE CASCADE, position INTEGER NOT NULL,"
        " PRIMARY KEY(tip_id, fukuro_id)) WITHOUT ROWID;"
        "INSERT INTO member_by_tip(fukuro_id, tip_id, position) SELECT fukuro_id, tip_id, position FROM member;"
        "DROP TABLE member;"
        "ALTER TABLE member_by_tip RENAME TO member;"
        "CREATE INDEX member_order ON member(fukuro_id, position, tip_id);"));
}

}  // namespace

// One transaction: a failure or a crash on the way leaves the file as it was.
// Another writer may have converted the file since its format was read.
int32_t DatabaseFile::Upgrade() {
    Transaction txn(m_sql);
    int64_t format = 0;
    int32_t code = Code(txn.Begin());
    if (code == kEngineOk) code = ReadFormat(&format);
    if (code != kEngineOk) return code;
    if (format == kFormat) {
        m_format = kFormat;
        return kEngineOk;
    }
    if (format == kFieldRowsFormat) code = ToFieldRecords(m_sql);
    if (code == kEngineOk) code = ToMembershipByTip(m_sql);
    if (code == kEngineOk) code = SetMetaNumber("format", kFormat);
    code = CommitIfOk(txn, code);
    if (code == kEngineOk) m_format = kFormat;
    return code;
}

}  // namespace engine
}  // namespace varo
