// The server store: a PostgreSQL server reached through libpq, beneath the
// same Connection and Statement as the SQLite files (Sqlite.h).
//
// On the server the catalog lives in the schema `varo`, each database in a
// schema of its own named like its folder ("vdb0000002a"); the statements
// name tables without a schema and the connection's search_path picks it.
// `varo.store_version` holds the version of that layout: made, with the
// schema, on the first connection ever, in one transaction; checked on
// every connection, which refuses a newer one.
//
// Statements are the SQLite texts of the engine, translated once per
// connection: ?N becomes $N, and the few statements that differ between the
// two dialects come from a table (ServerDialect.cpp). Results are SQLite
// result codes, so that the engine reads both stores the same way, plus
// kStoreUnreachable and kStoreSchemaTooNew.
//
// A write transaction takes a transaction-level advisory lock of its
// database first, so that writers of one database take turns as with
// BEGIN IMMEDIATE on a file, and every read after it sees the latest commit. The BEGIN
// and the lock go with the transaction's first statement, in one round trip.
//
// A connection lost outside a transaction is made again once, at the next
// statement; Epoch() counts such reconnections, which drop every
// session-level lock. One lost inside a transaction refuses every statement
// until that transaction's ROLLBACK, so that nothing of it runs on outside
// it. libpq is included only by ServerStore.cpp.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "ServerDialect.h"

struct pg_conn;
struct pg_result;

namespace varo {
namespace engine {

// Store result codes beyond SQLite's own.
const int kStoreUnreachable = 0x7E0001;
const int kStoreSchemaTooNew = 0x7E0002;

// The version of the server layout this engine makes and understands.
const int64_t kServerLayoutVersion = 1;

// Round trips to a server made by every connection of this process: a
// statement, or a batch of them sent together, and its answer. A statement
// sent ahead (ServerStatement::SendAhead) is answered while another waits,
// and is not counted.
uint64_t ServerRoundTrips();

// The schema of the catalog on the server.
extern const char kServerCatalogSchema[];

// Whether `name` may name a schema: lower-case ASCII letters, digits and
// '_', starting with a letter, at most 63 bytes.
bool IsServerSchemaName(const std::string& name);

// The schema that keeps the backup copy of the database in `schema`.
std::string BackupSchemaName(const std::string& schema);

class ServerConnection;

class ServerStatement {
public:
    ServerStatement(ServerConnection& connection, std::string name, const ServerText& text);
    ServerStatement(const ServerStatement&) = delete;
    ServerStatement& operator=(const ServerStatement&) = delete;
    ~ServerStatement();

    void Reset();
    int BindInt(int index, int64_t value);
    int BindText(int index, const char* data, size_t size);
    int BindBlob(int index, const void* data, size_t size);
    int BindNull(int index);

    // SQLITE_ROW with a row to read, SQLITE_DONE at the end, else a failure.
    int Step();
    // Sends the statement now, on an idle connection, for its answer to
    // come while other work goes on: its next Step reads that answer,
    // whatever was bound since; any other statement of the connection
    // drops it. Nothing for a statement not yet prepared.
    void SendAhead();
    // A prepared statement inside a transaction is only sent, its answer
    // read with the next statement's (ServerConnection); anything else runs
    // to its end. The code of the sending, or of the run.
    int Send();

    // A column of the current row; a value the server sent in a form the
    // column's type does not allow reads as 0 or empty and marks the
    // statement damaged (Damaged()).
    int64_t Int(int column) const;
    const uint8_t* Bytes(int column, size_t* size) const;
    bool IsNull(int column) const;
    bool Damaged() const { return m_damaged; }

    void Unprepare() { m_prepared = false; }

private:
    friend class ServerConnection;

    int Execute();
    int ExecuteOnce();
    bool IsPrepared() const;
    int Exchange();
    int ExchangeInPipeline();
    // Puts the statement, and its preparation when it needs one, in the
    // connection's pipeline; false when that fails.
    bool SendItself();
    bool HasCell(int column) const;

    ServerConnection& m_connection;
    const std::string m_name;
    const std::string m_text;
    const ServerUse m_use;
    const int m_params;
    bool m_prepared = false;
    std::vector<std::string> m_values;
    std::vector<const char*> m_pointers;
    std::vector<int> m_lengths;
    std::vector<int> m_formats;
    pg_result* m_result = nullptr;
    int m_row = -1;
    int m_rows = 0;
    bool m_done = false;
    mutable bool m_damaged = false;
};

class ServerConnection {
public:
    ServerConnection() = default;
    ServerConnection(const ServerConnection&) = delete;
    ServerConnection& operator=(const ServerConnection&) = delete;
    ~ServerConnection();

    // Connects (giving up after a few seconds), makes the layout when the
    // server has none, checks its version and selects `schema`. `lockSpace`
    // keys the connection's advisory locks (a database's id; 0 for the
    // catalog).
    int Open(const std::string& conninfo, const std::string& schema, int64_t lockSpace, bool readOnly);
    void Close();
    bool IsOpen() const { return m_conn != nullptr; }

    ServerStatement* Prepare(const char* sql, int* rc);
    int Exec(const char* script);
    // Whether a transaction is open, its BEGIN perhaps still waiting to go
    // with its first statement.
    bool InTransaction() const;
    int64_t TotalChanges() const { return m_totalChanges; }
    int64_t LastInsertId() const { return m_lastInsertId; }
    int Changes() const { return m_changes; }
    uint64_t Epoch() const { return m_epoch; }
    int64_t LockSpace() const { return m_lockSpace; }
    const std::string& Schema() const { return m_schema; }

    int SchemaExists(const std::string& schema, bool* exists);
    // Runs a script of fixed text, made only from the engine's own names.
    int RunScript(const std::string& script) { return Simple(script); }
    // Removes the schema with everything in it; nothing when there is none.
    int DropSchema(const std::string& schema);

    // Gives back every session-level lock, on a connection still up; never
    // reconnects for that.
    void UnlockAll();
    // Hears from now on of every write transaction committed in the lock
    // space, through the server's notifications.
    int Listen();
    // For a listening connection: a number that moves whenever a write
    // transaction of its space was committed, here or elsewhere, as far as
    // notifications have arrived, with no round trip; -1 otherwise.
    int64_t ChangeMark();

    // Reads and drops the answer of a statement sent ahead
    // (ServerStatement::SendAhead) that was not stepped.
    void DropAnswerAhead();

    // Runs a statement of fixed text with up to two integer parameters and
    // reads the first column of its only row as a number (0 for none).
    int QueryNumber(const char* sql, const std::vector<int64_t>& params, int64_t* value);

private:
    friend class ServerStatement;

    // Makes the connection again when it is known lost; false when it
    // cannot be made.
    bool EnsureConnected();
    bool Reconnect();
    // Runs `attempt`, a step giving a store code; when that lost the
    // connection outside a transaction (the server restarted since the last
    // step), makes the connection again and runs it once more.
    int WithReconnect(const std::function<int()>& attempt);
    int Setup();
    int CheckLayout();
    int QueryNumberOnce(const char* sql, const std::vector<int64_t>& params, int64_t* value);
    int SimpleOnce(const std::string& text);
    // The pipeline of statements sent inside a write transaction (Send)
    // without waiting for their answers, which the next statement that
    // waits reads with its own, in one round trip: a failure among them
    // then shows there, at the latest at the COMMIT, and the transaction
    // is rolled back as after any failure.
    bool HasSent() const { return !m_sent.empty(); }
    int SendInPipeline(ServerStatement& statement);
    // Sends the pipeline's sync and reads every answer; the first failure.
    // `last`, when given, receives the result of the last statement sent.
    int CollectSent(pg_result** last);
    // Before a statement that goes on its own: drops an answer sent ahead,
    // starts a waiting BEGIN and reads the answers of the pipeline.
    int Settle();
    // The BEGIN of a transaction whose first statement has not gone yet
    // (m_pendingBegin): into the pipeline, or run on its own.
    int SendPendingBegin();
    int StartPendingBegin();
    // Whether the server has a transaction open on the connection.
    bool InServerTransaction() const;
    // The answer of the statement sent ahead, which m_ahead names.
    int TakeAnswerAhead(pg_result** result);
    int CodeOfResult(pg_result* result) const;
    // Runs fixed text through the simple protocol: control statements and
    // scripts.
    int Simple(const std::string& text);
    void Counted(pg_result* result);
    void KeepInsertId(int64_t id) { m_lastInsertId = id; }

    pg_conn* m_conn = nullptr;
    std::string m_conninfo;
    std::string m_schema;
    int64_t m_lockSpace = 0;
    bool m_readOnly = false;
    bool m_listening = false;
    bool m_lostTransaction = false;
    int64_t m_notices = 0;
    uint64_t m_epoch = 0;
    int64_t m_totalChanges = 0;
    int64_t m_lastInsertId = 0;
    int m_changes = 0;
    std::unordered_map<const char*, std::unique_ptr<ServerStatement>> m_cache;
    struct SentStatement {
        ServerStatement* statement;  // null for a statement of the BEGIN
        bool preparation;            // the statement's preparation rather than its run
    };
    std::vector<SentStatement> m_sent;
    ServerStatement* m_ahead = nullptr;
    const std::string* m_pendingBegin = nullptr;  // the text of the BEGIN statement waiting
};

}  // namespace engine
}  // namespace varo
