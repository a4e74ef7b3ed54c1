#include "Sqlite.h"

#include <cstring>

#include "EngineCodes.h"
#include "FaultVfs.h"
#include "WriterQueue.h"

namespace varo {
namespace engine {
namespace {

const int kBusyTimeoutMs = 5000;
// How long a change waits for the writers before it.
const std::chrono::milliseconds kWriterWaitBound(5000);

bool Succeeded(int rc) { return rc == SQLITE_OK || rc == SQLITE_ROW || rc == SQLITE_DONE; }

}  // namespace

int32_t CodeFromSqlite(int rc) {
    if (Succeeded(rc)) return kEngineOk;
    if (rc == kStoreUnreachable) return kEngineServerUnreachable;
    if (rc == kStoreSchemaTooNew) return kEngineServerTooNew;
    switch (rc & 0xFF) {
    case SQLITE_FULL:
        return kEngineFull;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return kEngineCorrupt;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return kEngineBusy;
    case SQLITE_READONLY:
        return kEngineReadOnly;
    default:
        return kEngineStorageError;
    }
}

Statement::Statement(Statement&& other) noexcept
    : m_stmt(other.m_stmt), m_server(other.m_server), m_rc(other.m_rc) {
    other.m_stmt = nullptr;
    other.m_server = nullptr;
}

Statement::~Statement() {
    if (m_server) m_server->Reset();
    if (m_stmt) {
        sqlite3_reset(m_stmt);
        sqlite3_clear_bindings(m_stmt);
    }
}

Statement& Statement::Bind(int index, int64_t value) {
    if (m_server && Succeeded(m_rc)) m_rc = m_server->BindInt(index, value);
    if (m_stmt && Succeeded(m_rc)) m_rc = sqlite3_bind_int64(m_stmt, index, value);
    return *this;
}

Statement& Statement::BindText(int index, const std::string& value) {
    if (m_server && Succeeded(m_rc)) m_rc = m_server->BindText(index, value.data(), value.size());
    if (m_stmt && Succeeded(m_rc)) {
        m_rc = sqlite3_bind_text64(m_stmt, index, value.data(), value.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
    }
    return *this;
}

Statement& Statement::BindBlob(int index, const void* data, size_t size) {
    if (m_server && Succeeded(m_rc)) m_rc = m_server->BindBlob(index, data, size);
    if (m_stmt && Succeeded(m_rc)) {
        // A zero-length blob is still a blob, not NULL.
        static const uint8_t kEmpty = 0;
        m_rc = sqlite3_bind_blob64(m_stmt, index, size ? data : &kEmpty, size, SQLITE_TRANSIENT);
    }
    return *this;
}

Statement& Statement::BindBlobInPlace(int index, const void* data, size_t size) {
    if (m_server && Succeeded(m_rc)) m_rc = m_server->BindBlob(index, data, size);
    if (m_stmt && Succeeded(m_rc)) {
        static const uint8_t kEmpty = 0;
        m_rc = sqlite3_bind_blob64(m_stmt, index, size ? data : &kEmpty, size, SQLITE_STATIC);
    }
    return *this;
}

Statement& Statement::BindNull(int index) {
    if (m_server && Succeeded(m_rc)) m_rc = m_server->BindNull(index);
    if (m_stmt && Succeeded(m_rc)) m_rc = sqlite3_bind_null(m_stmt, index);
    return *this;
}

bool Statement::Next() {
    if (!Succeeded(m_rc)) return false;
    if (m_server) {
        m_rc = m_server->Step();
        return m_rc == SQLITE_ROW;
    }
    if (!m_stmt) return false;
    m_rc = sqlite3_step(m_stmt);
    return m_rc == SQLITE_ROW;
}

int Statement::Run() {
    while (Next()) {
    }
    return Succeeded(m_rc) ? SQLITE_OK : m_rc;
}

int Statement::Send() {
    if (!m_server || !Succeeded(m_rc)) return Run();
    m_rc = m_server->Send();
    return m_rc;
}

void Statement::SendAhead() {
    if (m_server && Succeeded(m_rc)) m_server->SendAhead();
}

int64_t Statement::Int(int column) const {
    return m_server ? m_server->Int(column) : sqlite3_column_int64(m_stmt, column);
}

ByteSpan Statement::ServerBytes(int column) const {
    size_t size = 0;
    const uint8_t* data = m_server->Bytes(column, &size);
    return ByteSpan{data, size};
}

std::string Statement::Text(int column) const {
    if (m_server) {
        const ByteSpan bytes = ServerBytes(column);
        return std::string(reinterpret_cast<const char*>(bytes.data), bytes.size);
    }
    const unsigned char* text = sqlite3_column_text(m_stmt, column);
    const int size = sqlite3_column_bytes(m_stmt, column);
    return text ? std::string(reinterpret_cast<const char*>(text), static_cast<size_t>(size)) : std::string();
}

std::vector<uint8_t> Statement::Blob(int column) const {
    if (m_server) {
        const ByteSpan bytes = ServerBytes(column);
        return bytes.data ? std::vector<uint8_t>(bytes.data, bytes.data + bytes.size) : std::vector<uint8_t>();
    }
    const uint8_t* data = static_cast<const uint8_t*>(sqlite3_column_blob(m_stmt, column));
    const int size = sqlite3_column_bytes(m_stmt, column);
    return data ? std::vector<uint8_t>(data, data + size) : std::vector<uint8_t>();
}

void Statement::BlobInto(int column, std::vector<uint8_t>* out) const {
    const ByteSpan bytes = Span(column);
    if (bytes.data) {
        out->assign(bytes.data, bytes.data + bytes.size);
    } else {
        out->clear();
    }
}

void Statement::BlobInto(int column, std::string* out) const {
    const ByteSpan bytes = Span(column);
    if (bytes.data) {
        out->assign(reinterpret_cast<const char*>(bytes.data), bytes.size);
    } else {
        out->clear();
    }
}

ByteSpan Statement::Span(int column) const {
    if (m_server) return ServerBytes(column);
    const uint8_t* data = static_cast<const uint8_t*>(sqlite3_column_blob(m_stmt, column));
    const int size = sqlite3_column_bytes(m_stmt, column);
    return ByteSpan{data, data ? static_cast<size_t>(size) : 0};
}

bool Statement::BlobEquals(int column, const void* data, size_t size) const {
    const ByteSpan stored = Span(column);
    return stored.size == size && (size == 0 || memcmp(stored.data, data, size) == 0);
}

bool Statement::IsNull(int column) const {
    return m_server ? m_server->IsNull(column) : sqlite3_column_type(m_stmt, column) == SQLITE_NULL;
}

Connection::~Connection() { Close(); }

int Connection::Open(const std::string& path, bool readOnly) {
    Close();
    const int flags = (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX |
                      SQLITE_OPEN_NOFOLLOW;
    int rc = sqlite3_open_v2(path.c_str(), &m_db, flags, EngineVfsName());
    if (rc != SQLITE_OK) {
        Close();
        return rc;
    }
    sqlite3_extended_result_codes(m_db, 1);
    sqlite3_busy_timeout(m_db, kBusyTimeoutMs);
    sqlite3_file_control(m_db, "main", SQLITE_FCNTL_FILE_POINTER, &m_mainFile);
    rc = Exec("PRAGMA foreign_keys=ON;");
    if (rc == SQLITE_OK && !readOnly) rc = Exec("PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL;");
    if (rc != SQLITE_OK) Close();
    return rc;
}

int Connection::OpenServer(const std::string& conninfo, const std::string& schema, int64_t lockSpace,
                           bool readOnly) {
    Close();
    m_server.reset(new ServerConnection);
    const int rc = m_server->Open(conninfo, schema, lockSpace, readOnly);
    if (rc != SQLITE_OK) m_server.reset();
    return rc;
}

void Connection::Close() {
    m_server.reset();
    for (auto& entry : m_cache) sqlite3_finalize(entry.second);
    m_cache.clear();
    if (m_db) sqlite3_close_v2(m_db);
    m_db = nullptr;
    m_mainFile = nullptr;
}

Statement Connection::Prepare(const char* sql) {
    if (m_server) {
        int rc = SQLITE_OK;
        ServerStatement* statement = m_server->Prepare(sql, &rc);
        return Statement(statement, rc);
    }
    if (!m_db) return Statement(static_cast<sqlite3_stmt*>(nullptr), SQLITE_MISUSE);
    auto found = m_cache.find(sql);
    if (found != m_cache.end()) return Statement(found->second, SQLITE_OK);
    sqlite3_stmt* stmt = nullptr;
    const int rc = sqlite3_prepare_v3(m_db, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(stmt);
        return Statement(static_cast<sqlite3_stmt*>(nullptr), rc);
    }
    m_cache.emplace(sql, stmt);
    return Statement(stmt, SQLITE_OK);
}

int Connection::Exec(const char* script) {
    if (m_server) return m_server->Exec(script);
    if (!m_db) return SQLITE_MISUSE;
    const char* rest = script;
    while (rest && *rest) {
        sqlite3_stmt* stmt = nullptr;
        int rc = sqlite3_prepare_v2(m_db, rest, -1, &stmt, &rest);
        if (rc != SQLITE_OK) return rc;
        if (!stmt) continue;  // trailing whitespace or a comment
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        }
        sqlite3_finalize(stmt);
        if (rc != SQLITE_DONE) return rc;
    }
    return SQLITE_OK;
}

int64_t Connection::DataVersion() {
    const int64_t mark = m_server ? m_server->ChangeMark() : -1;
    if (mark >= 0) return mark;
    Statement stmt = Prepare("PRAGMA data_version");
    return stmt.Next() ? stmt.Int(0) : -1;
}

bool CommitMark::operator==(const CommitMark& other) const { return memcmp(header, other.header, kSize) == 0; }

// Read as SQLite's own readers do: the first copy, a barrier, the second;
// equal copies, marked initialised, of the one header version there is.
bool Connection::ReadCommitMark(CommitMark* mark) const {
    const uint32_t kWalIndexVersion = 3007000;
    const size_t kInitialisedFlag = 12;
    const volatile uint8_t* shared = static_cast<const volatile uint8_t*>(WalIndexOf(m_mainFile));
    if (!shared) return false;
    uint8_t second[CommitMark::kSize];
    for (size_t i = 0; i < CommitMark::kSize; ++i) mark->header[i] = shared[i];
    __atomic_thread_fence(__ATOMIC_SEQ_CST);
    for (size_t i = 0; i < CommitMark::kSize; ++i) second[i] = shared[CommitMark::kSize + i];
    uint32_t version = 0;
    memcpy(&version, mark->header, sizeof version);
    return version == kWalIndexVersion && mark->header[kInitialisedFlag] != 0 &&
           memcmp(mark->header, second, CommitMark::kSize) == 0;
}

bool Connection::InTransaction() const {
    if (m_server) return m_server->InTransaction();
    return m_db && !sqlite3_get_autocommit(m_db);
}

int64_t Connection::TotalChanges() const {
    if (m_server) return m_server->TotalChanges();
    return m_db ? sqlite3_total_changes64(m_db) : 0;
}

int64_t Connection::LastInsertId() const {
    if (m_server) return m_server->LastInsertId();
    return m_db ? sqlite3_last_insert_rowid(m_db) : 0;
}

int Connection::Changes() const {
    if (m_server) return m_server->Changes();
    return m_db ? sqlite3_changes(m_db) : 0;
}

// The transaction statements come from the cache like any other, rather
// than being prepared again for every operation.
Transaction::~Transaction() {
    if (m_open) m_connection.Prepare("ROLLBACK").Run();
    LeaveQueue();
}

int Transaction::Begin() {
    WriterQueue* writers = m_connection.Writers();
    if (writers && !writers->Inside()) {
        if (!writers->Enter(kWriterWaitBound)) return SQLITE_BUSY;
        m_inQueue = true;
    }
    const int rc = m_connection.Prepare("BEGIN IMMEDIATE").Run();
    m_open = rc == SQLITE_OK;
    if (!m_open) LeaveQueue();
    return rc;
}

int Transaction::Commit() {
    if (!m_open) return SQLITE_MISUSE;
    const int rc = m_connection.Prepare("COMMIT").Run();
    if (rc == SQLITE_OK) {
        m_open = false;
        LeaveQueue();
    }
    return rc;
}

void Transaction::LeaveQueue() {
    if (m_inQueue) m_connection.Writers()->Leave();
    m_inQueue = false;
}

// On a server each read keeps its own snapshot, as on a file whose BEGIN
// failed: there a transaction would cost two round trips and save nothing.
ReadTransaction::ReadTransaction(Connection& connection) : m_connection(connection) {
    if (m_connection.IsOpen() && !m_connection.Server() && !m_connection.InTransaction()) {
        m_open = m_connection.Prepare("BEGIN").Run() == SQLITE_OK;
    }
}

// A read transaction has nothing to keep: when its end fails it is rolled
// back, so that no snapshot outlives the operation.
ReadTransaction::~ReadTransaction() {
    if (m_open && m_connection.Prepare("COMMIT").Run() != SQLITE_OK) m_connection.Prepare("ROLLBACK").Run();
}

int32_t CommitIfOk(Transaction& txn, int32_t code) {
    return code != kEngineOk ? code : CodeFromSqlite(txn.Commit());
}

}  // namespace engine
}  // namespace varo
