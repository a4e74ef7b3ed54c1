#include "ServerStore.h"

#include <libpq-fe.h>
#include <sqlite3.h>

#include <atomic>
#include <cstring>

namespace varo {
namespace engine {
namespace {

// Write transactions committed by every server connection of this process:
// their own listeners may hear of them after the next read.
std::atomic<int64_t> g_processCommits{0};

std::atomic<uint64_t> g_roundTrips{0};

// Every exchange that waits for the server's answer passes here.
template <typename Answer>
Answer RoundTrip(Answer answer) {
    ++g_roundTrips;
    return answer;
}

// Long enough for a loaded server, short enough that an application whose
// server is gone learns it within a few seconds.
const char kConnectTimeoutSeconds[] = "3";

// Type ids of the server's built-in types (pg_type.oid).
const Oid kBoolType = 16;
const Oid kInt8Type = 20;
const Oid kInt2Type = 21;
const Oid kInt4Type = 23;

// The SQLite code for a failed result's SQLSTATE. A failure without one
// comes from libpq itself: the connection was lost.
int CodeOfState(const char* state) {
    if (!state) return kStoreUnreachable;
    const std::string s(state);
    if (s.compare(0, 2, "23") == 0) return SQLITE_CONSTRAINT;
    if (s == "40001" || s == "40P01" || s == "55P03" || s == "57014") return SQLITE_BUSY;
    if (s == "53100") return SQLITE_FULL;
    if (s == "25006") return SQLITE_READONLY;
    if (s == "XX001" || s == "XX002") return SQLITE_CORRUPT;
    if (s.compare(0, 2, "08") == 0 || s == "57P01" || s == "57P02" || s == "57P03") return kStoreUnreachable;
    return SQLITE_ERROR;
}

uint64_t BigEndian(const uint8_t* bytes, size_t size) {
    uint64_t value = 0;
    for (size_t i = 0; i < size; ++i) value = (value << 8) | bytes[i];
    return value;
}

// A decimal number filling the whole of `size` bytes; false for anything else.
bool ParseDecimal(const char* text, size_t size, int64_t* value) {
    size_t i = 0;
    const bool negative = size > 0 && text[0] == '-';
    if (negative) ++i;
    if (i == size || size - i > 19) return false;
    uint64_t magnitude = 0;
    for (; i < size; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        magnitude = magnitude * 10 + static_cast<uint64_t>(text[i] - '0');
    }
    if (magnitude > static_cast<uint64_t>(INT64_MAX) + (negative ? 1 : 0)) return false;
    *value = negative ? static_cast<int64_t>(0 - magnitude) : static_cast<int64_t>(magnitude);
    return true;
}

}  // namespace

const char kServerCatalogSchema[] = "varo";

uint64_t ServerRoundTrips() { return g_roundTrips.load(); }

bool IsServerSchemaName(const std::string& name) {
    if (name.empty() || name.size() > 63 || name[0] < 'a' || name[0] > 'z') return false;
    for (char c : name) {
        if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_')) return false;
    }
    return true;
}

std::string BackupSchemaName(const std::string& schema) { return schema + "_backup"; }

ServerStatement::ServerStatement(ServerConnection& connection, std::string name, const ServerText& text)
    : m_connection(connection),
      m_name(std::move(name)),
      m_text(text.text),
      m_use(text.use),
      m_params(text.params),
      m_values(static_cast<size_t>(text.params)),
      m_pointers(static_cast<size_t>(text.params), nullptr),
      m_lengths(static_cast<size_t>(text.params), 0),
      m_formats(static_cast<size_t>(text.params), 0) {}

ServerStatement::~ServerStatement() { Reset(); }

void ServerStatement::Reset() {
    if (m_result) PQclear(m_result);
    m_result = nullptr;
    m_row = -1;
    m_rows = 0;
    m_done = false;
    m_damaged = false;
    std::fill(m_pointers.begin(), m_pointers.end(), nullptr);
}

int ServerStatement::BindText(int index, const char* data, size_t size) {
    if (index < 1 || index > m_params || size > INT32_MAX) return SQLITE_RANGE;
    const size_t i = static_cast<size_t>(index - 1);
    // An empty value may come without its bytes (a null pointer).
    if (size == 0) {
        m_values[i].clear();
    } else {
        m_values[i].assign(data, size);
    }
    m_pointers[i] = m_values[i].c_str();
    m_lengths[i] = static_cast<int>(size);
    m_formats[i] = 0;
    return SQLITE_OK;
}

int ServerStatement::BindInt(int index, int64_t value) {
    const std::string text = std::to_string(value);
    return BindText(index, text.data(), text.size());
}

int ServerStatement::BindBlob(int index, const void* data, size_t size) {
    const int rc = BindText(index, static_cast<const char*>(data), size);
    if (rc == SQLITE_OK) m_formats[static_cast<size_t>(index - 1)] = 1;
    return rc;
}

int ServerStatement::BindNull(int index) {
    if (index < 1 || index > m_params) return SQLITE_RANGE;
    m_pointers[static_cast<size_t>(index - 1)] = nullptr;
    return SQLITE_OK;
}

// A BEGIN on an idle connection waits to go with the transaction's first
// statement; a transaction ended before one went ran nothing.
int ServerStatement::Execute() {
    if (m_use == ServerUse::Rollback && m_connection.m_lostTransaction) {
        m_connection.m_lostTransaction = false;
        return SQLITE_OK;
    }
    if (m_use == ServerUse::Begin && !m_connection.InTransaction()) {
        m_connection.m_pendingBegin = &m_text;
        return SQLITE_OK;
    }
    if ((m_use == ServerUse::Commit || m_use == ServerUse::Rollback) && m_connection.m_pendingBegin) {
        m_connection.m_pendingBegin = nullptr;
        return SQLITE_OK;
    }
    return m_connection.WithReconnect([this] { return ExecuteOnce(); });
}

int ServerStatement::ExecuteOnce() {
    if (m_result) PQclear(m_result);
    m_result = nullptr;
    int rc;
    if (m_connection.m_ahead == this) {
        rc = m_connection.TakeAnswerAhead(&m_result);
    } else {
        m_connection.DropAnswerAhead();
        rc = m_connection.HasSent() || m_connection.m_pendingBegin ? ExchangeInPipeline() : Exchange();
    }
    if (rc != SQLITE_OK) return rc;
    if (m_use == ServerUse::Commit) ++g_processCommits;
    m_connection.Counted(m_result);
    m_rows = PQresultStatus(m_result) == PGRES_TUPLES_OK ? PQntuples(m_result) : 0;
    if (m_use == ServerUse::InsertId) {
        m_row = 0;
        if (m_rows == 1) m_connection.KeepInsertId(Int(0));
        m_rows = 0;
        m_row = -1;
    }
    return m_damaged ? SQLITE_CORRUPT : SQLITE_OK;
}

bool ServerStatement::IsPrepared() const { return m_use == ServerUse::Prepared || m_use == ServerUse::InsertId; }

// One round trip, and one more on the statement's first use for its preparation.
int ServerStatement::Exchange() {
    PGconn* conn = m_connection.m_conn;
    if (!IsPrepared()) {
        m_result = RoundTrip(PQexec(conn, m_text.c_str()));
        return m_connection.CodeOfResult(m_result);
    }
    if (!m_prepared) {
        PGresult* prepared = RoundTrip(PQprepare(conn, m_name.c_str(), m_text.c_str(), m_params, nullptr));
        const int rc = m_connection.CodeOfResult(prepared);
        PQclear(prepared);
        if (rc != SQLITE_OK) return rc;
        m_prepared = true;
    }
    m_result = RoundTrip(PQexecPrepared(conn, m_name.c_str(), m_params, m_pointers.data(), m_lengths.data(),
                                        m_formats.data(), 1));
    return m_connection.CodeOfResult(m_result);
}

// A prepared statement or the COMMIT joins the BEGIN or the statements sent
// before it, and one round trip answers them all; a script first waits for
// their answers. The first failure among them is the statement's own, but a
// ROLLBACK runs whatever they answered. A connection lost before the BEGIN
// was answered is made again, and the BEGIN sent again with the statement.
int ServerStatement::ExchangeInPipeline() {
    if (!IsPrepared() && m_use != ServerUse::Commit) {
        const int rc = m_connection.Settle();
        return rc == SQLITE_OK || m_use == ServerUse::Rollback ? Exchange() : rc;
    }
    const std::string* begin = m_connection.m_pendingBegin;
    int sent = begin ? m_connection.SendPendingBegin() : SQLITE_OK;
    if (sent == SQLITE_OK) sent = m_connection.SendInPipeline(*this);
    const int rc = m_connection.CollectSent(sent == SQLITE_OK ? &m_result : nullptr);
    if (rc == kStoreUnreachable) m_connection.m_pendingBegin = begin;
    return rc != SQLITE_OK ? rc : sent;
}

// The parameters are copied into the connection's output as it is sent.
bool ServerStatement::SendItself() {
    PGconn* conn = m_connection.m_conn;
    if (m_use == ServerUse::Commit) {
        return PQsendQueryParams(conn, m_text.c_str(), 0, nullptr, nullptr, nullptr, nullptr, 1) == 1;
    }
    if (!m_prepared) {
        if (PQsendPrepare(conn, m_name.c_str(), m_text.c_str(), m_params, nullptr) != 1) return false;
        m_connection.m_sent.push_back(ServerConnection::SentStatement{this, true});
        m_prepared = true;
    }
    return PQsendQueryPrepared(conn, m_name.c_str(), m_params, m_pointers.data(), m_lengths.data(),
                               m_formats.data(), 1) == 1;
}

// Only a statement prepared before, on a connection idle and up: anything
// else runs as usual when stepped.
void ServerStatement::SendAhead() {
    PGconn* conn = m_connection.m_conn;
    if (!IsPrepared() || !m_prepared || !conn || m_connection.InTransaction() || m_connection.HasSent()) return;
    m_connection.DropAnswerAhead();
    if (PQstatus(conn) != CONNECTION_OK) return;
    if (PQsendQueryPrepared(conn, m_name.c_str(), m_params, m_pointers.data(), m_lengths.data(), m_formats.data(),
                            1) == 1) {
        m_connection.m_ahead = this;
    }
}

int ServerStatement::Send() {
    if (m_use != ServerUse::Prepared || !m_connection.InTransaction()) {
        int rc;
        while ((rc = Step()) == SQLITE_ROW) {
        }
        return rc == SQLITE_DONE ? SQLITE_OK : rc;
    }
    m_done = true;
    return m_connection.WithReconnect([this] { return m_connection.SendInPipeline(*this); });
}

int ServerStatement::Step() {
    if (!m_result && !m_done) {
        const int rc = Execute();
        if (rc != SQLITE_OK) {
            m_done = true;
            return rc;
        }
    }
    if (m_row + 1 < m_rows) {
        ++m_row;
        return SQLITE_ROW;
    }
    m_done = true;
    return SQLITE_DONE;
}

bool ServerStatement::HasCell(int column) const {
    return m_result && m_row >= 0 && m_row < m_rows && column >= 0 && column < PQnfields(m_result);
}

bool ServerStatement::IsNull(int column) const {
    return !HasCell(column) || PQgetisnull(m_result, m_row, column);
}

const uint8_t* ServerStatement::Bytes(int column, size_t* size) const {
    *size = 0;
    if (IsNull(column)) return nullptr;
    const int length = PQgetlength(m_result, m_row, column);
    if (length < 0) {
        m_damaged = true;
        return nullptr;
    }
    *size = static_cast<size_t>(length);
    return reinterpret_cast<const uint8_t*>(PQgetvalue(m_result, m_row, column));
}

// Numbers come as the binary forms of their types; text (the meta values)
// as decimal.
int64_t ServerStatement::Int(int column) const {
    size_t size = 0;
    const uint8_t* bytes = Bytes(column, &size);
    if (!bytes) return 0;
    const Oid type = PQftype(m_result, column);
    size_t expected = 0;
    if (type == kBoolType) expected = 1;
    if (type == kInt2Type) expected = 2;
    if (type == kInt4Type) expected = 4;
    if (type == kInt8Type) expected = 8;
    if (expected != 0) {
        if (size != expected) {
            m_damaged = true;
            return 0;
        }
        const uint64_t raw = BigEndian(bytes, size);
        const int shift = static_cast<int>(64 - 8 * size);
        // Sign-extend from the type's width.
        return static_cast<int64_t>(raw << shift) >> shift;
    }
    int64_t value = 0;
    if (!ParseDecimal(reinterpret_cast<const char*>(bytes), size, &value)) {
        m_damaged = true;
        return 0;
    }
    return value;
}

ServerConnection::~ServerConnection() { Close(); }

int ServerConnection::Open(const std::string& conninfo, const std::string& schema, int64_t lockSpace,
                           bool readOnly) {
    Close();
    if (!IsServerSchemaName(schema)) return SQLITE_MISUSE;
    m_conninfo = conninfo;
    m_schema = schema;
    m_lockSpace = lockSpace;
    m_readOnly = readOnly;
    // Later keywords override what the connection string says.
    const char* keywords[] = {"dbname", "connect_timeout", "client_encoding", "application_name", nullptr};
    const char* values[] = {m_conninfo.c_str(), kConnectTimeoutSeconds, "UTF8", "varo", nullptr};
    m_conn = PQconnectdbParams(keywords, values, 1);
    if (!m_conn || PQstatus(m_conn) != CONNECTION_OK) {
        Close();
        return kStoreUnreachable;
    }
    // The server's notices ("already exists, skipping") are for no one.
    PQsetNoticeProcessor(m_conn, [](void*, const char*) {}, nullptr);
    const int rc = Setup();
    if (rc != SQLITE_OK) Close();
    return rc;
}

// Statements stay cached across a reconnection: they are prepared again on
// their next use.
void ServerConnection::Close() {
    m_sent.clear();
    m_ahead = nullptr;
    m_pendingBegin = nullptr;
    m_cache.clear();
    m_lostTransaction = false;
    if (m_conn) PQfinish(m_conn);
    m_conn = nullptr;
}

int ServerConnection::Setup() {
    int rc = CheckLayout();
    if (rc != SQLITE_OK) return rc;
    std::string session = "SET search_path TO \"" + m_schema + "\"";
    if (m_readOnly) session += "; SET default_transaction_read_only TO on";
    if (m_listening) session += "; LISTEN varo_" + std::to_string(m_lockSpace);
    return SimpleOnce(session);
}

// The layout is made under the catalog's writers' lock, so that two first
// connections do not both make it.
int ServerConnection::CheckLayout() {
    int64_t version = 0;
    int rc = QueryNumberOnce("SELECT version FROM varo.store_version", {}, &version);
    if (rc != SQLITE_OK) {
        const std::string make = "BEGIN; SELECT pg_advisory_xact_lock(" +
                                 std::to_string(ServerLockKey(0, kWritersLockSlot)) + "); " + ServerLayoutScript() +
                                 " COMMIT";
        rc = SimpleOnce(make);
        if (rc != SQLITE_OK) {
            SimpleOnce("ROLLBACK");
            return rc;
        }
        rc = QueryNumberOnce("SELECT version FROM varo.store_version", {}, &version);
    }
    if (rc != SQLITE_OK) return rc;
    if (version > kServerLayoutVersion) return kStoreSchemaTooNew;
    return version == kServerLayoutVersion ? SQLITE_OK : SQLITE_CORRUPT;
}

bool ServerConnection::EnsureConnected() {
    if (!m_conn) return false;
    return PQstatus(m_conn) == CONNECTION_OK || Reconnect();
}

// The session's advisory locks and prepared statements went with it.
bool ServerConnection::Reconnect() {
    PQreset(m_conn);
    if (PQstatus(m_conn) != CONNECTION_OK) return false;
    ++m_epoch;
    m_sent.clear();
    m_ahead = nullptr;
    for (auto& entry : m_cache) entry.second->Unprepare();
    const std::string* begin = m_pendingBegin;
    m_pendingBegin = nullptr;
    const bool ready = Setup() == SQLITE_OK;
    m_pendingBegin = begin;
    return ready;
}

int ServerConnection::WithReconnect(const std::function<int()>& attempt) {
    if (m_lostTransaction || !EnsureConnected()) return kStoreUnreachable;
    const bool idle = !InServerTransaction();
    const int rc = attempt();
    if (rc == kStoreUnreachable && !idle) m_lostTransaction = true;
    if (rc != kStoreUnreachable || !idle || !Reconnect()) return rc;
    return attempt();
}

void ServerConnection::UnlockAll() {
    if (m_conn && PQstatus(m_conn) == CONNECTION_OK) SimpleOnce("SELECT pg_advisory_unlock_all()");
}

int ServerConnection::Listen() {
    m_listening = true;
    return Simple("LISTEN varo_" + std::to_string(m_lockSpace));
}

// A lost connection moves the mark too: notifications may have been lost with it.
int64_t ServerConnection::ChangeMark() {
    if (!m_listening || !m_conn) return -1;
    PQconsumeInput(m_conn);
    while (PGnotify* notice = PQnotifies(m_conn)) {
        ++m_notices;
        PQfreemem(notice);
    }
    return m_notices + g_processCommits.load() + static_cast<int64_t>(m_epoch);
}

int ServerConnection::CodeOfResult(PGresult* result) const {
    if (!result) return PQstatus(m_conn) == CONNECTION_OK ? SQLITE_NOMEM : kStoreUnreachable;
    switch (PQresultStatus(result)) {
    case PGRES_COMMAND_OK:
    case PGRES_TUPLES_OK:
    case PGRES_EMPTY_QUERY:
        return SQLITE_OK;
    default:
        break;
    }
    if (PQstatus(m_conn) != CONNECTION_OK) return kStoreUnreachable;
    return CodeOfState(PQresultErrorField(result, PG_DIAG_SQLSTATE));
}

// Each statement of the BEGIN's text goes on its own: the pipeline takes no scripts.
int ServerConnection::SendPendingBegin() {
    const std::string text = *m_pendingBegin;
    m_pendingBegin = nullptr;
    if (PQenterPipelineMode(m_conn) != 1) return CodeOfResult(nullptr);
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find(';', start);
        if (end == std::string::npos) end = text.size();
        const std::string part = text.substr(start, end - start);
        if (PQsendQueryParams(m_conn, part.c_str(), 0, nullptr, nullptr, nullptr, nullptr, 1) != 1) {
            return CodeOfResult(nullptr);
        }
        m_sent.push_back(SentStatement{nullptr, false});
        start = end + 1;
    }
    return SQLITE_OK;
}

int ServerConnection::StartPendingBegin() {
    const std::string* begin = m_pendingBegin;
    if (!begin) return SQLITE_OK;
    m_pendingBegin = nullptr;
    const int rc = SimpleOnce(*begin);
    if (rc == kStoreUnreachable) m_pendingBegin = begin;
    return rc;
}

int ServerConnection::SendInPipeline(ServerStatement& statement) {
    DropAnswerAhead();
    const int begun = StartPendingBegin();
    if (begun != SQLITE_OK) return begun;
    if (PQpipelineStatus(m_conn) == PQ_PIPELINE_OFF && PQenterPipelineMode(m_conn) != 1) return CodeOfResult(nullptr);
    if (!statement.SendItself()) return CodeOfResult(nullptr);
    m_sent.push_back(SentStatement{&statement, false});
    return SQLITE_OK;
}

// Each statement's answer ends with a null result, and the pipeline's with
// its sync. Once the connection is lost nothing more comes.
int ServerConnection::CollectSent(PGresult** last) {
    std::vector<SentStatement> sent;
    sent.swap(m_sent);
    int rc = RoundTrip(PQpipelineSync(m_conn)) == 1 ? SQLITE_OK : CodeOfResult(nullptr);
    for (size_t i = 0; i < sent.size() && PQstatus(m_conn) == CONNECTION_OK; ++i) {
        PGresult* result = PQgetResult(m_conn);
        const int code = CodeOfResult(result);
        if (rc == SQLITE_OK) rc = code;
        if (sent[i].preparation && code != SQLITE_OK) sent[i].statement->Unprepare();
        const bool kept = last && i + 1 == sent.size();
        if (kept) {
            *last = result;
        } else {
            if (code == SQLITE_OK && !sent[i].preparation) Counted(result);
            PQclear(result);
        }
        if (!result) continue;
        while (PGresult* rest = PQgetResult(m_conn)) PQclear(rest);
    }
    if (PQstatus(m_conn) == CONNECTION_OK) PQclear(PQgetResult(m_conn));
    if (PQexitPipelineMode(m_conn) != 1 && rc == SQLITE_OK) rc = CodeOfResult(nullptr);
    return rc;
}

int ServerConnection::TakeAnswerAhead(PGresult** result) {
    m_ahead = nullptr;
    *result = PQgetResult(m_conn);
    while (PGresult* rest = PQgetResult(m_conn)) PQclear(rest);
    return CodeOfResult(*result);
}

void ServerConnection::DropAnswerAhead() {
    if (!m_ahead) return;
    m_ahead = nullptr;
    while (PGresult* answer = PQgetResult(m_conn)) PQclear(answer);
}

int ServerConnection::Settle() {
    DropAnswerAhead();
    const int rc = StartPendingBegin();
    if (rc != SQLITE_OK || m_sent.empty()) return rc;
    return CollectSent(nullptr);
}

void ServerConnection::Counted(PGresult* result) {
    int64_t changed = 0;
    const char* tuples = PQcmdTuples(result);
    m_changes = ParseDecimal(tuples, strlen(tuples), &changed) ? static_cast<int>(changed) : 0;
    if (PQresultStatus(result) == PGRES_COMMAND_OK || strncmp(PQcmdStatus(result), "SELECT", 6) != 0) {
        m_totalChanges += m_changes;
    }
}

int ServerConnection::Simple(const std::string& text) {
    return WithReconnect([this, &text] { return SimpleOnce(text); });
}

int ServerConnection::SimpleOnce(const std::string& text) {
    const int settled = Settle();
    if (settled != SQLITE_OK) return settled;
    PGresult* result = RoundTrip(PQexec(m_conn, text.c_str()));
    const int rc = CodeOfResult(result);
    PQclear(result);
    return rc;
}

ServerStatement* ServerConnection::Prepare(const char* sql, int* rc) {
    *rc = SQLITE_OK;
    if (!m_conn) {
        *rc = SQLITE_MISUSE;
        return nullptr;
    }
    auto found = m_cache.find(sql);
    if (found != m_cache.end()) return found->second.get();
    const ServerText text = TranslateForServer(sql, m_schema, m_lockSpace);
    const std::string name = "s" + std::to_string(m_cache.size());
    ServerStatement* statement = new ServerStatement(*this, name, text);
    m_cache.emplace(sql, std::unique_ptr<ServerStatement>(statement));
    return statement;
}

int ServerConnection::Exec(const char* script) {
    if (!m_conn) return SQLITE_MISUSE;
    return Simple(TranslateForServer(script, m_schema, m_lockSpace).text);
}

bool ServerConnection::InTransaction() const { return m_pendingBegin || InServerTransaction(); }

// A connection waiting for an answer sent ahead was idle when it sent it.
bool ServerConnection::InServerTransaction() const {
    if (!m_conn || m_ahead) return false;
    const PGTransactionStatusType status = PQtransactionStatus(m_conn);
    return status != PQTRANS_IDLE && status != PQTRANS_UNKNOWN;
}

int ServerConnection::SchemaExists(const std::string& schema, bool* exists) {
    *exists = false;
    if (!IsServerSchemaName(schema)) return SQLITE_MISUSE;
    return WithReconnect([this, &schema, exists] {
        const int settled = Settle();
        if (settled != SQLITE_OK) return settled;
        const char* params[] = {schema.c_str()};
        PGresult* result = RoundTrip(PQexecParams(m_conn, "SELECT 1 FROM pg_namespace WHERE nspname=$1", 1, nullptr,
                                                params, nullptr, nullptr, 0));
        const int rc = CodeOfResult(result);
        *exists = rc == SQLITE_OK && PQntuples(result) > 0;
        PQclear(result);
        return rc;
    });
}

int ServerConnection::DropSchema(const std::string& schema) {
    if (!IsServerSchemaName(schema)) return SQLITE_MISUSE;
    return Simple("DROP SCHEMA IF EXISTS \"" + schema + "\" CASCADE");
}

int ServerConnection::QueryNumber(const char* sql, const std::vector<int64_t>& params, int64_t* value) {
    return WithReconnect([this, sql, &params, value] { return QueryNumberOnce(sql, params, value); });
}

int ServerConnection::QueryNumberOnce(const char* sql, const std::vector<int64_t>& params, int64_t* value) {
    *value = 0;
    const int settled = Settle();
    if (settled != SQLITE_OK) return settled;
    std::vector<std::string> texts;
    for (int64_t param : params) texts.push_back(std::to_string(param));
    std::vector<const char*> pointers;
    for (const std::string& text : texts) pointers.push_back(text.c_str());
    PGresult* result = RoundTrip(PQexecParams(m_conn, sql, static_cast<int>(pointers.size()), nullptr,
                                            pointers.data(), nullptr, nullptr, 0));
    int rc = CodeOfResult(result);
    if (rc == SQLITE_OK && PQresultStatus(result) == PGRES_TUPLES_OK && PQntuples(result) > 0 &&
        PQnfields(result) > 0 && !PQgetisnull(result, 0, 0)) {
        const char* text = PQgetvalue(result, 0, 0);
        if (!ParseDecimal(text, strlen(text), value)) rc = SQLITE_CORRUPT;
    }
    PQclear(result);
    return rc;
}

}  // namespace engine
}  // namespace varo
