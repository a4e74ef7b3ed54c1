// The engine's storage layer: one connection with its cache of prepared
// statements, statements that bind and read typed values, a write
// transaction that rolls back unless committed, and a read transaction that
// gives the reads of one operation one snapshot.
//
// Beneath it lie two stores: SQLite files, and a PostgreSQL server
// (ServerStore.h) that takes the same statements. A connection is opened on
// one or the other; every caller above is written once for both. Each call
// picks its store with one branch, not a virtual call.
//
// Only prepared statements reach SQLite; every value, name and text is bound
// as a parameter. Connections go through the engine's VFS (FaultVfs.h). SQL
// texts live as long as their connection (string literals, or texts built
// once and kept): the statement cache keys on their addresses. A connection
// and its statements belong to one thread. Failures are SQLite result codes,
// for both stores; CodeFromSqlite maps them to engine codes.
//
// A connection given a writer queue (WriterQueue.h) begins each write
// transaction only in its turn and gives the turn on when the transaction
// ends, so that writers of one file wait in the order they came.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "ServerStore.h"

namespace varo {
namespace engine {

class WriterQueue;

// The engine code for a SQLite result: 0 for SQLITE_OK/ROW/DONE, kEngineFull
// for a full disk, kEngineCorrupt for a damaged file, kEngineBusy when the
// file stayed busy past the wait (other writers, not a lock an instance
// took), kEngineReadOnly for a read-only file, kEngineServerUnreachable and
// kEngineServerTooNew for the server's own failures, else
// kEngineStorageError.
int32_t CodeFromSqlite(int rc);

// Bytes of a column, valid until the statement steps again or is reset.
struct ByteSpan {
    const uint8_t* data;
    size_t size;
};

class Statement {
public:
    // A statement whose preparation failed; every call reports `rc`.
    explicit Statement(sqlite3_stmt* stmt, int rc) : m_stmt(stmt), m_rc(rc) {}
    explicit Statement(ServerStatement* server, int rc) : m_server(server), m_rc(rc) {}
    Statement(Statement&& other) noexcept;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    ~Statement();  // resets the cached statement for its next use

    Statement& Bind(int index, int64_t value);
    Statement& BindText(int index, const std::string& value);
    Statement& BindBlob(int index, const void* data, size_t size);
    // Binds bytes without copying them: they must stay unchanged until the
    // statement is reset, which its destructor does.
    Statement& BindBlobInPlace(int index, const void* data, size_t size);
    Statement& BindNull(int index);

    // Steps once: true with a row to read, false at the end or on failure
    // (then rc() tells which).
    bool Next();
    // Steps to the end; the SQLite code.
    int Run();
    // Run for a write inside a write transaction whose changed rows nobody
    // counts: on a server it is only sent, and a failure shows in a later
    // statement of the transaction, at the latest its COMMIT, which then
    // fails (ServerStore.h).
    int Send();
    // On a server, sends the statement at once and has its next step read
    // that answer, so that a read whose answer an operation needs later
    // comes while the operation waits for another; nothing on a file.
    void SendAhead();
    int rc() const { return m_rc; }

    int64_t Int(int column) const;
    std::string Text(int column) const;
    std::vector<uint8_t> Blob(int column) const;
    // The column's bytes copied into `out`, whose storage is reused.
    void BlobInto(int column, std::vector<uint8_t>* out) const;
    void BlobInto(int column, std::string* out) const;
    ByteSpan Span(int column) const;
    // Whether the column holds exactly `size` bytes equal to `data`.
    bool BlobEquals(int column, const void* data, size_t size) const;
    bool IsNull(int column) const;

private:
    ByteSpan ServerBytes(int column) const;

    sqlite3_stmt* m_stmt = nullptr;
    ServerStatement* m_server = nullptr;
    int m_rc;
};

// The wal-index header of a file in WAL mode, as SQLite keeps it in the
// memory every connection to the file shares (two 48-byte copies, the
// documented layout). Every commit, by any connection of any process,
// changes it, so two equal readings mean nothing was committed in between;
// reading it costs no system call, where PRAGMA data_version takes and
// drops a read lock.
struct CommitMark {
    static const size_t kSize = 48;
    uint8_t header[kSize] = {};
    bool operator==(const CommitMark& other) const;
};

class Connection {
public:
    Connection() = default;
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    ~Connection();

    // Opens an existing file, read-only when asked, refusing symbolic links, with a busy timeout of 5 seconds,
    // foreign keys on and, for a writable file, the WAL journal with full
    // syncs (a commit is on disk before it is acknowledged).
    int Open(const std::string& path, bool readOnly);
    // Opens a connection to the server `conninfo` (a libpq connection
    // string) on `schema` (ServerStore.h).
    int OpenServer(const std::string& conninfo, const std::string& schema, int64_t lockSpace, bool readOnly);
    void Close();
    // The queue that write transactions wait in; null for none. It must
    // outlive the connection's transactions.
    void SetWriterQueue(WriterQueue* queue) { m_writers = queue; }
    WriterQueue* Writers() const { return m_writers; }
    bool IsOpen() const { return m_db != nullptr || m_server != nullptr; }
    // The SQLite handle; null on the server.
    sqlite3* Handle() const { return m_db; }
    // The server connection; null on a file.
    ServerConnection* Server() const { return m_server.get(); }

    Statement Prepare(const char* sql);
    // Runs each statement of a script of fixed SQL, in order.
    int Exec(const char* script);
    // Whether a transaction, read or write, is open on the connection.
    bool InTransaction() const;
    // Changes when another connection commits: SQLite's data_version on a
    // file; on a server the latest logged change, or for a connection that
    // listens (ServerConnection::Listen) its change mark, as soon as the
    // notification of the commit has arrived.
    int64_t DataVersion();
    // False while SQLite has no wal-index mapped for the file (before the
    // first read, or not in WAL mode) and while a writer is half way through
    // updating the header: DataVersion answers then.
    bool ReadCommitMark(CommitMark* mark) const;
    // Rows this connection has changed since it opened, rolled back or not.
    int64_t TotalChanges() const;
    int64_t LastInsertId() const;
    // Rows the latest statement changed.
    int Changes() const;

private:
    sqlite3* m_db = nullptr;
    sqlite3_file* m_mainFile = nullptr;  // the database file, where the commit mark is found
    std::unique_ptr<ServerConnection> m_server;
    std::unordered_map<const char*, sqlite3_stmt*> m_cache;
    WriterQueue* m_writers = nullptr;
};

// BEGIN IMMEDIATE through Begin, after waiting for the writer's turn when
// the connection has a queue (SQLITE_BUSY when the wait passed its bound);
// a transaction not committed is rolled back when it goes out of scope, and
// the turn is given on at its end either way. Begin fails inside another
// transaction (a ReadTransaction included).
class Transaction {
public:
    explicit Transaction(Connection& connection) : m_connection(connection) {}
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    ~Transaction();

    int Begin();
    int Commit();

private:
    void LeaveQueue();

    Connection& m_connection;
    bool m_open = false;
    bool m_inQueue = false;
};

// One snapshot for the reads of one operation: BEGIN (deferred) when made,
// its end when it goes out of scope. SQLite then takes its shared-memory
// read lock once for all the statements instead of once for each. Nothing
// happens inside a transaction already open; no write may run inside one.
// When BEGIN fails, and on a server, the reads run each in its own snapshot.
class ReadTransaction {
public:
    explicit ReadTransaction(Connection& connection);
    ReadTransaction(const ReadTransaction&) = delete;
    ReadTransaction& operator=(const ReadTransaction&) = delete;
    ~ReadTransaction();

private:
    Connection& m_connection;
    bool m_open = false;
};

// Commits when `code` says every step before succeeded and gives the
// commit's code; otherwise gives `code` back and leaves the transaction to
// roll back as it goes out of scope.
int32_t CommitIfOk(Transaction& txn, int32_t code);

}  // namespace engine
}  // namespace varo
