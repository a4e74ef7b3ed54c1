#include "ServerDialect.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <unordered_map>

#include "Catalog.h"
#include "DatabaseFile.h"
#include "ServerStore.h"

namespace varo {
namespace engine {
namespace {

struct DialectEntry {
    const char* sqlite;
    const char* server;
    ServerUse use;
};

// Every column is typed; meta values are text, read as numbers where the
// engine asks for numbers. data_version stands in for SQLite's pragma: it
// moves with every logged change.
const char kServerDatabaseSchema[] =
    "CREATE SCHEMA @schema;"
    "CREATE TABLE meta(key text PRIMARY KEY, value text);"
    "CREATE TABLE fukuro(id bigint PRIMARY KEY, name text NOT NULL DEFAULT '',"
    " kind bigint NOT NULL DEFAULT 0, fixed bigint NOT NULL DEFAULT 0, sort_condition bytea);"
    "CREATE TABLE tip(id bigint PRIMARY KEY, stamp text NOT NULL DEFAULT '',"
    " trashed bigint NOT NULL DEFAULT 0, fields bytea);"
    "CREATE TABLE member(fukuro_id bigint NOT NULL REFERENCES fukuro(id) ON DELETE CASCADE,"
    " tip_id bigint NOT NULL REFERENCES tip(id) ON DELETE CASCADE, position bigint NOT NULL,"
    " PRIMARY KEY(tip_id, fukuro_id));"
    "CREATE INDEX member_order ON member(fukuro_id, position, tip_id);"
    "CREATE TABLE trash(tip_id bigint NOT NULL REFERENCES tip(id) ON DELETE CASCADE,"
    " fukuro_id bigint NOT NULL REFERENCES fukuro(id) ON DELETE CASCADE, position bigint NOT NULL,"
    " PRIMARY KEY(tip_id, fukuro_id));"
    "CREATE INDEX trash_fukuro ON trash(fukuro_id);"
    "CREATE TABLE change_log(seq bigint PRIMARY KEY, tip_id bigint NOT NULL, change bigint NOT NULL,"
    " topic bigint NOT NULL, fukuros bytea NOT NULL);"
    "CREATE VIEW data_version AS SELECT coalesce(max(seq), 0) AS v FROM change_log;";

// Setting names compare without ASCII case, as the file's NOCASE columns do:
// lower() in the "C" collation folds ASCII letters only, whatever the
// server's own collation.
const char kServerCatalogTables[] =
    "CREATE TABLE IF NOT EXISTS catalog_meta(key text PRIMARY KEY, value text);"
    "CREATE TABLE IF NOT EXISTS known_database(id bigint PRIMARY KEY, name text NOT NULL,"
    " path text NOT NULL UNIQUE, colour bigint NOT NULL DEFAULT 0);"
    "CREATE TABLE IF NOT EXISTS application_id(id bigint PRIMARY KEY);"
    "CREATE TABLE IF NOT EXISTS view_mode(mode bigint NOT NULL, key bigint NOT NULL,"
    " value bigint NOT NULL, PRIMARY KEY(mode, key));"
    "CREATE TABLE IF NOT EXISTS setting_value(selector bigint NOT NULL, section text NOT NULL,"
    " name text NOT NULL, number bigint, text text);"
    "CREATE UNIQUE INDEX IF NOT EXISTS setting_key ON setting_value(selector, lower(section COLLATE \"C\"),"
    " lower(name COLLATE \"C\"));"
    "CREATE TABLE IF NOT EXISTS catalog_change(seq bigint PRIMARY KEY, database_id bigint NOT NULL,"
    " change bigint NOT NULL);"
    "CREATE OR REPLACE VIEW data_version AS SELECT coalesce(max(seq), 0) AS v FROM catalog_change;"
    "INSERT INTO catalog_meta(key, value) VALUES('format', '1'), ('next_database', '1') ON CONFLICT DO NOTHING;";

// Only what SQLite and the server would take differently.
const DialectEntry kDialect[] = {
    {kDatabaseSchema, kServerDatabaseSchema, ServerUse::Simple},
    {kCatalogSchema, kServerCatalogTables, ServerUse::Simple},
    // Listeners hear of every write transaction when it commits; the lock
    // and the notification are one statement, for the server to run.
    {"BEGIN IMMEDIATE", "BEGIN; SELECT pg_advisory_xact_lock(@writers), pg_notify('varo_@space', '')",
     ServerUse::Begin},
    {"COMMIT", "COMMIT", ServerUse::Commit},
    {"ROLLBACK", "ROLLBACK", ServerUse::Rollback},
    {"PRAGMA data_version", "SELECT v FROM data_version", ServerUse::Prepared},
    {"PRAGMA integrity_check",
     "SELECT CASE WHEN EXISTS(SELECT 1 FROM meta WHERE key='format') THEN 'ok' ELSE 'no format' END",
     ServerUse::Prepared},
    {"PRAGMA foreign_key_check",
     "SELECT 1 FROM member m WHERE NOT EXISTS(SELECT 1 FROM tip t WHERE t.id=m.tip_id)"
     " OR NOT EXISTS(SELECT 1 FROM fukuro f WHERE f.id=m.fukuro_id)"
     " UNION ALL SELECT 1 FROM trash r WHERE NOT EXISTS(SELECT 1 FROM tip t WHERE t.id=r.tip_id)"
     " OR NOT EXISTS(SELECT 1 FROM fukuro f WHERE f.id=r.fukuro_id)",
     ServerUse::Prepared},
    {"UPDATE meta SET value=value+1 WHERE key=?1 RETURNING value-1",
     "UPDATE meta SET value=(value::bigint+1)::text WHERE key=$1 RETURNING value::bigint-1", ServerUse::Prepared},
    {"SELECT max(coalesce((SELECT max(id) FROM tip), 0) + 1, (SELECT value FROM meta WHERE key='next_tip'))",
     "SELECT CASE WHEN n IS NULL THEN NULL ELSE greatest(coalesce((SELECT max(id) FROM tip), 0) + 1, n) END"
     " FROM (SELECT (SELECT value::bigint FROM meta WHERE key='next_tip') AS n) AS floor",
     ServerUse::Prepared},
    {"SELECT EXISTS(SELECT 1 FROM fukuro WHERE id=?1),"
     " max(coalesce((SELECT max(id) FROM tip), 0) + 1, (SELECT value FROM meta WHERE key='next_tip'))",
     "SELECT EXISTS(SELECT 1 FROM fukuro WHERE id=$1), CASE WHEN n IS NULL THEN NULL"
     " ELSE greatest(coalesce((SELECT max(id) FROM tip), 0) + 1, n) END"
     " FROM (SELECT (SELECT value::bigint FROM meta WHERE key='next_tip') AS n) AS floor",
     ServerUse::Prepared},
    {"SELECT t.trashed, EXISTS(SELECT 1 FROM fukuro WHERE id=?2),"
     " EXISTS(SELECT 1 FROM member WHERE tip_id=?1 AND fukuro_id=?2), t.stamp, t.fields"
     " FROM (SELECT ?1 AS id) AS wanted LEFT JOIN tip t ON t.id=wanted.id",
     "SELECT t.trashed, EXISTS(SELECT 1 FROM fukuro WHERE id=$2),"
     " EXISTS(SELECT 1 FROM member WHERE tip_id=$1 AND fukuro_id=$2), t.stamp, t.fields"
     " FROM (SELECT $1::bigint AS id) AS wanted LEFT JOIN tip t ON t.id=wanted.id",
     ServerUse::Prepared},
    {"SELECT t.trashed, EXISTS(SELECT 1 FROM fukuro WHERE id=?2),"
     " EXISTS(SELECT 1 FROM member WHERE tip_id=?1 AND fukuro_id=?2), t.stamp, m.fukuro_id"
     " FROM (SELECT ?1 AS id) AS wanted LEFT JOIN tip t ON t.id=wanted.id"
     " LEFT JOIN member m ON m.tip_id=wanted.id ORDER BY m.fukuro_id",
     "SELECT t.trashed, EXISTS(SELECT 1 FROM fukuro WHERE id=$2),"
     " EXISTS(SELECT 1 FROM member WHERE tip_id=$1 AND fukuro_id=$2), t.stamp, m.fukuro_id"
     " FROM (SELECT $1::bigint AS id) AS wanted LEFT JOIN tip t ON t.id=wanted.id"
     " LEFT JOIN member m ON m.tip_id=wanted.id ORDER BY m.fukuro_id",
     ServerUse::Prepared},
    {"INSERT OR IGNORE INTO member(fukuro_id, tip_id, position)"
     " VALUES(?1, ?2, (SELECT coalesce(max(position), 0) + 1 FROM member WHERE fukuro_id=?1))",
     "INSERT INTO member(fukuro_id, tip_id, position)"
     " VALUES($1, $2, (SELECT coalesce(max(position), 0) + 1 FROM member WHERE fukuro_id=$1)) ON CONFLICT DO NOTHING",
     ServerUse::Prepared},
    {"INSERT OR REPLACE INTO trash(tip_id, fukuro_id, position)"
     " SELECT tip_id, fukuro_id, position FROM member WHERE tip_id=?1",
     "INSERT INTO trash(tip_id, fukuro_id, position) SELECT tip_id, fukuro_id, position FROM member"
     " WHERE tip_id=$1 ON CONFLICT(tip_id, fukuro_id) DO UPDATE SET position=excluded.position",
     ServerUse::Prepared},
    {"INSERT OR IGNORE INTO member(fukuro_id, tip_id, position)"
     " SELECT fukuro_id, tip_id, position FROM trash WHERE tip_id=?1",
     "INSERT INTO member(fukuro_id, tip_id, position) SELECT fukuro_id, tip_id, position FROM trash"
     " WHERE tip_id=$1 ON CONFLICT DO NOTHING",
     ServerUse::Prepared},
    {"INSERT INTO change_log(tip_id, change, topic, fukuros) VALUES(?1, ?2, ?3, ?4)",
     "INSERT INTO change_log(seq, tip_id, change, topic, fukuros)"
     " SELECT coalesce(max(seq), 0) + 1, $1::bigint, $2::bigint, $3::bigint, $4::bytea FROM change_log",
     ServerUse::Prepared},
    {"INSERT INTO change_log(seq, tip_id, change, topic, fukuros)"
     " SELECT max(?1, coalesce(max(seq), 0)) + 1, 0, ?2, 0, x'' FROM change_log",
     "INSERT INTO change_log(seq, tip_id, change, topic, fukuros)"
     " SELECT greatest($1::bigint, coalesce(max(seq), 0)) + 1, 0, $2::bigint, 0, '\\x'::bytea FROM change_log",
     ServerUse::Prepared},
    {"INSERT OR REPLACE INTO meta(key, value) VALUES(?1, ?2)",
     "INSERT INTO meta(key, value) VALUES($1, $2) ON CONFLICT(key) DO UPDATE SET value=excluded.value",
     ServerUse::Prepared},
    {"UPDATE catalog_meta SET value=max(value, ?1 + 1) WHERE key='next_database'",
     "UPDATE catalog_meta SET value=greatest(value::bigint, $1::bigint + 1)::text WHERE key='next_database'",
     ServerUse::Prepared},
    {"INSERT INTO catalog_change(database_id, change) VALUES(?1, ?2)",
     "INSERT INTO catalog_change(seq, database_id, change)"
     " SELECT coalesce(max(seq), 0) + 1, $1::bigint, $2::bigint FROM catalog_change RETURNING seq",
     ServerUse::InsertId},
    {"INSERT OR REPLACE INTO catalog_meta(key, value) VALUES('default_database', ?1)",
     "INSERT INTO catalog_meta(key, value) VALUES('default_database', $1)"
     " ON CONFLICT(key) DO UPDATE SET value=excluded.value",
     ServerUse::Prepared},
    {"SELECT m.value FROM catalog_meta m JOIN known_database d ON d.id = m.value"
     " WHERE m.key='default_database'",
     "SELECT d.id FROM catalog_meta m JOIN known_database d ON d.id::text = m.value"
     " WHERE m.key='default_database'",
     ServerUse::Prepared},
    {"INSERT OR IGNORE INTO application_id(id) VALUES(?1)",
     "INSERT INTO application_id(id) VALUES($1) ON CONFLICT DO NOTHING", ServerUse::Prepared},
    {"INSERT OR REPLACE INTO view_mode(mode, key, value) VALUES(?1, ?2, ?3)",
     "INSERT INTO view_mode(mode, key, value) VALUES($1, $2, $3)"
     " ON CONFLICT(mode, key) DO UPDATE SET value=excluded.value",
     ServerUse::Prepared},
    {"INSERT OR REPLACE INTO setting_value(selector, section, name, number, text)"
     " VALUES(?1, ?2, ?3, ?4, ?5)",
     "INSERT INTO setting_value(selector, section, name, number, text) VALUES($1, $2, $3, $4, $5)"
     " ON CONFLICT(selector, lower(section COLLATE \"C\"), lower(name COLLATE \"C\")) DO UPDATE SET"
     " section=excluded.section,"
     " name=excluded.name, number=excluded.number, text=excluded.text",
     ServerUse::Prepared},
    {"SELECT number, text FROM setting_value WHERE selector=?1 AND section=?2 AND name=?3",
     "SELECT number, text FROM setting_value WHERE selector=$1"
     " AND lower(section COLLATE \"C\")=lower($2 COLLATE \"C\") AND lower(name COLLATE \"C\")=lower($3 COLLATE \"C\")",
     ServerUse::Prepared},
};

const DialectEntry* Find(const char* sqlite) {
    static const std::unordered_map<std::string, const DialectEntry*> byText = [] {
        std::unordered_map<std::string, const DialectEntry*> map;
        for (const DialectEntry& entry : kDialect) map.emplace(entry.sqlite, &entry);
        return map;
    }();
    auto found = byText.find(sqlite);
    return found == byText.end() ? nullptr : found->second;
}

void ReplaceAll(std::string* text, const std::string& from, const std::string& to) {
    for (size_t at = text->find(from); at != std::string::npos; at = text->find(from, at + to.size())) {
        text->replace(at, from.size(), to);
    }
}

}  // namespace

std::string NumberPlaceholders(const std::string& sql, int* params) {
    std::string out;
    *params = 0;
    int bare = 0;
    char quote = 0;
    for (size_t i = 0; i < sql.size(); ++i) {
        const char c = sql[i];
        if (quote) {
            if (c == quote) quote = 0;
            out += c;
            continue;
        }
        if (c == '\'' || c == '"') {
            quote = c;
            out += c;
            continue;
        }
        if (c == '$') {
            size_t end = i + 1;
            while (end < sql.size() && isdigit(static_cast<unsigned char>(sql[end]))) ++end;
            if (end > i + 1 && end - i < 6) *params = std::max(*params, std::stoi(sql.substr(i + 1, end - i - 1)));
            out += c;
            continue;
        }
        if (c != '?') {
            out += c;
            continue;
        }
        size_t end = i + 1;
        while (end < sql.size() && isdigit(static_cast<unsigned char>(sql[end]))) ++end;
        const int number = end > i + 1 ? std::stoi(sql.substr(i + 1, end - i - 1)) : ++bare;
        if (number > *params) *params = number;
        out += '$' + std::to_string(number);
        i = end - 1;
    }
    return out;
}

std::string ServerLayoutScript() {
    const std::string schema = std::string("\"") + kServerCatalogSchema + '"';
    return "CREATE SCHEMA IF NOT EXISTS " + schema + "; SET LOCAL search_path TO " + schema + "; " +
           kServerCatalogTables + " CREATE TABLE IF NOT EXISTS store_version(version integer NOT NULL);" +
           " INSERT INTO store_version(version) SELECT " + std::to_string(kServerLayoutVersion) +
           " WHERE NOT EXISTS(SELECT 1 FROM store_version);";
}

ServerText TranslateForServer(const char* sqlite, const std::string& schema, int64_t lockSpace) {
    ServerText result;
    const DialectEntry* entry = Find(sqlite);
    result.use = entry ? entry->use : ServerUse::Prepared;
    result.text = NumberPlaceholders(entry ? entry->server : sqlite, &result.params);
    ReplaceAll(&result.text, "@schema", '"' + schema + '"');
    ReplaceAll(&result.text, "@writers", std::to_string(ServerLockKey(lockSpace, kWritersLockSlot)));
    ReplaceAll(&result.text, "@space", std::to_string(lockSpace));
    return result;
}

}  // namespace engine
}  // namespace varo
