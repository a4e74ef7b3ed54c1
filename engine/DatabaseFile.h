// One database file: its fukuros, tips, fukuro membership and order, trash,
// change log and per-database values, on SQLite.
//
// Schema (format 3; PRAGMA application_id 0x5641524F marks the file):
//   meta(key, value)         format, version_major, version_minor, name,
//                            next_tip (a floor for new tip ids, which also
//                            go above every tip present), next_fukuro
//                            (ids never reused),
//                            sync_mark, password, account, secret_password
//   fukuro(id, name, kind, fixed, sort_condition)
//                            fixed fukuros 0x3000-0x3016 come with the file;
//                            new ones are numbered from 0x4000
//   tip(id, stamp, trashed, fields)
//                            stamp: the last LMTM given; fields: the tip's
//                            fields exactly as given, as one record
//                            (FieldRecord.h)
//   member(fukuro_id, tip_id, position)
//                            keyed by tip, then fukuro; order within a
//                            fukuro: position, then tip id (index
//                            member_order)
//   trash(tip_id, fukuro_id, position)
//                            where a removed tip lay, for UndoTip
//   change_log(seq, tip_id, change, topic, fukuros)
//                            every committed change; fukuros: the 32-bit
//                            little-endian ids of the fukuros it concerns
//
// Files of format 1, which kept one row per field in a table `field`, and
// of format 2, whose member rows were keyed by fukuro with an index by tip,
// are converted when opened for writing and read as they are when opened
// read-only.
//
// Reads need no transaction. Every writing member expects the caller to hold
// the operation's transaction (Transaction on Sql()) and leaves the rollback
// of a failed operation to it. A file opened for writing puts those
// transactions in the line of its writers (WriterQueue.h), kept in the
// queue file beside it. Results are engine codes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Sqlite.h"
#include "TipBuffer.h"
#include "WriterQueue.h"

namespace varo {
namespace engine {

const int32_t kFirstFixedFukuro = 0x3000;
const int32_t kLastFixedFukuro = 0x3016;
const int32_t kFirstNewFukuro = 0x4000;
// PRAGMA application_id of every database file and backup copy: "VARO".
const int64_t kDatabaseApplicationId = 0x5641524F;
// The script that makes a new database's tables.
extern const char kDatabaseSchema[];

enum class ChangeKind : int32_t {
    TipAdded = 1,
    TipChanged = 2,
    TipRemoved = 3,
    TipRestored = 4,
    TipPutInFukuro = 5,
    TipTakenFromFukuro = 6,
    FukuroCreated = 7,
    FukuroDeleted = 8,
    FukuroRenamed = 9,
    FukuroSorted = 10,
    DatabaseRestored = 11,
};

struct ChangeRecord {
    int64_t seq = 0;
    int32_t tip = 0;
    ChangeKind kind = ChangeKind::TipChanged;
    PreferenceTopic topic = PreferenceTopic::None;
    std::vector<int32_t> fukuros;
};

// A place in a fukuro's order.
struct OrderKey {
    int64_t position;
    int64_t tip;
};

enum class TipState { Missing, Live, Trashed };

// A tip read with its place in a fukuro: its stamp and stored record.
struct OrderedRecord {
    OrderKey key;
    bool present = false;  // false when the member row names no tip
    bool hasRecord = false;
    std::string stamp;
    std::vector<uint8_t> record;
};

// Moves whenever anything may have been committed to the file: the shared
// commit mark (or, without one, SQLite's data version) for other
// connections, the count of changed rows for this one.
struct ChangeMark {
    bool hasCommitMark = false;
    CommitMark commits;
    int64_t dataVersion = -1;
    int64_t ownChanges = -1;
    bool operator==(const ChangeMark& other) const {
        return hasCommitMark == other.hasCommitMark && dataVersion == other.dataVersion &&
               ownChanges == other.ownChanges && (!hasCommitMark || commits == other.commits);
    }
};

class DatabaseFile {
public:
    // Makes a new file at `path` (which must not exist) with the schema, the
    // fixed fukuros and `name`; nothing is left behind on failure.
    static int32_t Create(const std::string& path, const std::string& name);
    // Whether `path` is a database file of this engine; its recorded name.
    static int32_t Identify(const std::string& path, std::string* name);
    // Create, Open and removal of database `id` on the server `server`, in
    // the schema named like its folder (ServerStore.h); made in one
    // transaction, and removed with its backup.
    static int32_t CreateOnServer(const std::string& server, int32_t id, const std::string& name);
    static int32_t DropOnServer(const std::string& server, int32_t id);

    // Database `id` on `server` when one is given, else the file at `path`:
    // made (Create or CreateOnServer); removed with everything kept beside
    // it, its backup included (the file's companions, lock and queue files;
    // on a server DropOnServer), kEngineStorageError when something stays;
    // whether it is there and may be written (always, on a server).
    static int32_t CreateIn(const std::string& server, int32_t id, const std::string& path, const std::string& name);
    static int32_t RemoveIn(const std::string& server, int32_t id, const std::string& path);
    static bool IsPresentIn(const std::string& server, const std::string& path);
    static bool IsWritableIn(const std::string& server, const std::string& path);

    int32_t Open(const std::string& path, bool readOnly);
    int32_t OpenOnServer(const std::string& server, int32_t id, bool readOnly);
    // OpenOnServer when `server` is given, else Open of `path`.
    int32_t OpenIn(const std::string& server, int32_t id, const std::string& path, bool readOnly);
    // Ends the connection and leaves the line of writers.
    void Close();
    Connection& Sql() { return m_sql; }

    // Fukuros.
    int32_t FukuroExists(int32_t fukuro);
    int32_t IsFixedFukuro(int32_t fukuro, bool* fixed);
    int32_t FukuroName(int32_t fukuro, std::string* name);
    int32_t FukuroSize(int32_t fukuro, int32_t* size);
    int32_t FukuroTips(int32_t fukuro, std::vector<int32_t>* tips);
    int32_t AllFukuros(std::vector<int32_t>* fukuros);
    int32_t SortCondition(int32_t fukuro, std::vector<uint8_t>* condition);
    int32_t NewFukuro(const std::string& name, int32_t kind, int32_t* fukuro);
    int32_t DeleteFukuro(int32_t fukuro);
    int32_t RenameFukuro(int32_t fukuro, const std::string& name);
    // Records the condition and renumbers the fukuro's order as `tips` gives.
    int32_t Reorder(int32_t fukuro, const std::vector<int32_t>& tips, const std::vector<uint8_t>& condition);

    // Walking a fukuro's order: up to `limit` keys after (or, backwards,
    // before) `from`, `from` itself included when `inclusive`.
    int32_t Step(int32_t fukuro, OrderKey from, bool forward, bool inclusive, int limit,
                 std::vector<OrderKey>* keys);
    // Step with each tip's stamp and record, in one statement; only for a
    // file that keeps records (KeepsRecords). `records` keeps its storage;
    // *count tells how many of them were read.
    int32_t StepRecords(int32_t fukuro, OrderKey from, bool forward, bool inclusive, int limit,
                        std::vector<OrderedRecord>* records, size_t* count);
    bool KeepsRecords() const;
    // Outside a transaction the mark is that of the latest commit.
    int32_t ReadChangeMark(ChangeMark* mark);
    // The number of tips ordered before `key`, and the key at an index.
    int32_t CountBefore(int32_t fukuro, OrderKey key, int32_t* count);
    int32_t KeyAt(int32_t fukuro, int32_t index, OrderKey* key);

    // Tips.
    int32_t StateOf(int32_t tip, TipState* state);
    // StateOf, FukuroExists and IsMember at once, in one statement.
    int32_t TipPlace(int32_t tip, int32_t fukuro, TipState* state, bool* fukuroExists, bool* member);
    // TipPlace with the tip's stamp and record, in one statement; only for a
    // file that keeps records.
    int32_t PlaceWithRecord(int32_t tip, int32_t fukuro, TipState* state, bool* fukuroExists, bool* member,
                            OrderedRecord* record);
    // TipPlace with the tip's stored stamp and the fukuros holding it, in
    // one statement: what a store over the tip checks and logs.
    int32_t PlaceForStore(int32_t tip, int32_t fukuro, TipState* state, bool* fukuroExists, bool* member,
                          std::string* stamp, std::vector<int32_t>* holders);
    int32_t IsMember(int32_t fukuro, int32_t tip, bool* member);
    int32_t FukurosOf(int32_t tip, std::vector<int32_t>* fukuros);
    int32_t TrashedFukurosOf(int32_t tip, std::vector<int32_t>* fukuros);
    // kEngineCorrupt when the stored fields do not form a tip; *out is left
    // empty on any failure. The storage *out already has is reused.
    // With `stamp`, the tip's stored stamp too, read with it.
    int32_t LoadTip(int32_t tip, StoredTip* out, std::string* stamp = nullptr);
    // LoadTip from a record StepRecords read.
    static int32_t TipFromRecord(const OrderedRecord& record, StoredTip* out);
    int32_t StoredStamp(int32_t tip, std::string* stamp);
    // The id the next new tip takes, never one given before.
    int32_t NextTipId(int64_t* id);
    int32_t InsertTip(const StoredTip& tip, int32_t* id);
    // FukuroExists and NextTipId at once, in one statement: what storing a
    // new tip in the fukuro checks and needs. Then InsertTipAs stores it.
    int32_t FukuroAndNextTipId(int32_t fukuro, int64_t* id);
    int32_t InsertTipAs(int64_t id, const StoredTip& tip);
    // kEngineBadTipBuffer when a field cannot be stored (FieldRecord.h).
    int32_t ReplaceTip(int32_t id, const StoredTip& tip);
    // Appends the tip to the fukuro's order; nothing when it lies there already.
    int32_t AddMember(int32_t fukuro, int32_t tip);
    int32_t RemoveMember(int32_t fukuro, int32_t tip);
    // Moves a live tip to the trash with its memberships, and back.
    int32_t Trash(int32_t tip);
    int32_t Restore(int32_t tip);

    // Change log.
    int32_t Log(ChangeKind kind, int32_t tip, const std::vector<int32_t>& fukuros, PreferenceTopic topic);
    int64_t LatestChange();
    // Logs a DatabaseRestored entry numbered above both `atLeast` and every
    // entry present, so that followers who saw up to `atLeast` see it.
    int32_t LogRestored(int64_t atLeast);
    int32_t ChangesAfter(int64_t seq, int limit, std::vector<ChangeRecord>* changes);

    // Values of the meta table.
    int32_t MetaText(const char* key, std::string* value);
    int32_t MetaNumber(const char* key, int64_t* value);
    int32_t SetMetaText(const char* key, const std::string& value);
    int32_t SetMetaNumber(const char* key, int64_t value);

    // SQLite's integrity and foreign key checks, and every tip's record
    // decoding; kEngineCorrupt on any finding.
    int32_t Check();

private:
    int32_t ReadFormat(int64_t* format);
    int32_t Upgrade();
    int32_t CheckFieldRecords();
    int32_t NextId(const char* key, int64_t limit, int32_t* id);

    WriterQueue m_writers;  // declared first: it outlives the connection's transactions
    Connection m_sql;
    int64_t m_format = 0;
    std::vector<uint8_t> m_record;  // the encoding buffer, kept from one store to the next
    int64_t m_logged = 0;           // change log entries this connection wrote
};

}  // namespace engine
}  // namespace varo
