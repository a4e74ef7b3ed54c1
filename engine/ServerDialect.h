// The server's dialect of the engine's statements.
//
// Most statements are written once, in SQL both stores accept; the server
// takes them with ?N turned into $N. The few that differ (SQLite's PRAGMAs,
// INSERT OR REPLACE, untyped columns, the schemas) are listed as data in
// ServerDialect.cpp, keyed by their SQLite text.
#pragma once

#include <cstdint>
#include <string>

namespace varo {
namespace engine {

// Advisory lock keys on the server: the lock space (a database's id, 0 for
// the catalog) in the upper half, a slot in the lower: 0 the database lock,
// 1 presence, 2 the writers' turn, 3 held shared by every session holding
// any exclusive lock of the space, a fukuro's id its lock.
const int64_t kDatabaseLockSlot = 0;
const int64_t kPresenceLockSlot = 1;
const int64_t kWritersLockSlot = 2;
const int64_t kHoldsExclusiveSlot = 3;

inline int64_t ServerLockKey(int64_t space, int64_t slot) {
    return static_cast<int64_t>((static_cast<uint64_t>(space) << 32) | (static_cast<uint64_t>(slot) & 0xFFFFFFFFu));
}

enum class ServerUse {
    Prepared,  // a prepared statement with parameters
    Simple,    // fixed text through the simple protocol: control statements, scripts
    InsertId,  // prepared; its one returned value is kept as the last insert id
    Begin,     // simple, the start of a write transaction, sent with its first statement
    Commit,    // simple, the end of a write transaction
    Rollback,  // simple, the end of a failed one
};

struct ServerText {
    std::string text;
    int params = 0;  // the highest $N
    ServerUse use = ServerUse::Prepared;
};

// The server's form of `sqlite`; @schema stands for the quoted schema,
// @writers for the key of the writers' turn and @space for the connection's
// lock space in the texts of the table.
ServerText TranslateForServer(const char* sqlite, const std::string& schema, int64_t lockSpace);

// The script, to run inside a transaction, that makes the layout of the
// version kServerLayoutVersion on a server that has none: the schema of the
// catalog with its tables, and the version.
std::string ServerLayoutScript();

// ?N (and bare ?, numbered in order) outside quotes turned into $N; *params
// the highest number.
std::string NumberPlaceholders(const std::string& sql, int* params);

}  // namespace engine
}  // namespace varo
