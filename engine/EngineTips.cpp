// Operations on tips: reading through an open fukuro or by id, storing with
// a renewed LMTM, the trash, copies and control tips, and the read-only
// state of what was last read.
#include <algorithm>
#include <ctime>

#include "EngineArgs.h"
#include "EngineCodes.h"
#include "Stamps.h"
#include "TextCodec.h"
#include "VaroEngine.h"

namespace varo {
namespace engine {
namespace {

const int kReadCurrent = 0;
const int kReadNext = 1;
const int kReadPrevious = 2;
const int kStepBatch = 64;
// A walk's first batch is small, for a walk that stops soon; each batch
// that follows one read to its end is twice as large, up to the largest,
// so that a long walk, on a server above all, asks seldom.
const size_t kFirstReadAhead = 64;
const size_t kLargestReadAhead = 1024;

// Field types whose data is text that TipSearch looks into.
bool IsSearchedType(uint32_t type) { return type >= 1 && type <= 4; }

// What a store found: of a tip stored over, its stored stamp and the
// fukuros holding it, which the change log names; for a new tip, its id.
struct StoreTarget {
    std::string stamp;
    std::vector<int32_t> holders;
    int64_t newId = 0;
};

// Stores a checked tip inside the caller's transaction: a new one (id 0) at
// the end of the fukuro, an existing one, found as `target`, in place,
// refused when `expected` is given and the stored stamp is no longer that.
// Its LMTM is renewed inside the transaction, so that writers in other
// processes always move it forward.
int32_t StoreTip(DatabaseFile& file, int32_t fukuro, int32_t id, const StoreTarget& target,
                 const std::string* expected, StoredTip* tip, int32_t* stored) {
    int32_t code = kEngineOk;
    if (expected && target.stamp != *expected) code = kEngineChanged;
    RenewStamp(tip, NextStamp(target.stamp, time(nullptr)));
    int32_t newId = id;
    if (code == kEngineOk && id == 0) {
        code = file.InsertTipAs(target.newId, *tip);
        newId = static_cast<int32_t>(target.newId);
        if (code == kEngineOk) code = file.AddMember(fukuro, newId);
    } else if (code == kEngineOk) {
        code = file.ReplaceTip(id, *tip);
    }
    const ChangeKind kind = id == 0 ? ChangeKind::TipAdded : ChangeKind::TipChanged;
    const std::vector<int32_t> holders = id == 0 ? std::vector<int32_t>{fukuro} : target.holders;
    if (code == kEngineOk) code = file.Log(kind, newId, holders, TopicOf(*tip));
    if (code == kEngineOk) *stored = newId;
    return code;
}

// The tip must be live and, with a fukuro, lie in it.
int32_t PlaceVerdict(int32_t fukuro, TipState state, bool fukuroExists, bool member) {
    if (state != TipState::Live) return kEngineNoSuchTip;
    if (fukuro != 0 && !fukuroExists) return kEngineNoSuchFukuro;
    if (fukuro != 0 && !member) return kEngineNoSuchTip;
    return kEngineOk;
}

int32_t CheckTipIn(DatabaseFile& file, int32_t fukuro, int32_t tip) {
    if (tip <= 0) return kEngineNoSuchTip;
    TipState state = TipState::Missing;
    bool fukuroExists = false;
    bool member = false;
    const int32_t code = file.TipPlace(tip, fukuro, &state, &fukuroExists, &member);
    return code != kEngineOk ? code : PlaceVerdict(fukuro, state, fukuroExists, member);
}

// CheckTipIn with what a store over the tip needs read in the same statement.
int32_t CheckStoreTarget(DatabaseFile& file, int32_t fukuro, int32_t tip, StoreTarget* target) {
    if (tip <= 0) return kEngineNoSuchTip;
    TipState state = TipState::Missing;
    bool fukuroExists = false;
    bool member = false;
    const int32_t code =
        file.PlaceForStore(tip, fukuro, &state, &fukuroExists, &member, &target->stamp, &target->holders);
    return code != kEngineOk ? code : PlaceVerdict(fukuro, state, fukuroExists, member);
}

// CheckTipIn with the tip's record read in the same statement.
int32_t CheckTipInWithRecord(DatabaseFile& file, int32_t fukuro, int32_t tip, OrderedRecord* record) {
    if (tip <= 0) return kEngineNoSuchTip;
    TipState state = TipState::Missing;
    bool fukuroExists = false;
    bool member = false;
    const int32_t code = file.PlaceWithRecord(tip, fukuro, &state, &fukuroExists, &member, record);
    return code != kEngineOk ? code : PlaceVerdict(fukuro, state, fukuroExists, member);
}

}  // namespace

bool VaroEngine::MatchesSearch(OpenDatabase& database, const OpenFukuro& state, int32_t tip) {
    if (state.search.empty()) return true;
    StoredTip stored;
    if (database.file.LoadTip(tip, &stored) != kEngineOk) return false;
    for (const StoredField& field : stored.fields) {
        if (IsSearchedType(field.type) &&
            ContainsCp932(field.data.data(), field.data.size(), state.search, state.foldCase)) {
            return true;
        }
    }
    return false;
}

// Without a search the first tip stepped to is the one, so one key is asked
// for; a search asks for batches to look through.
int32_t VaroEngine::NextMatching(OpenDatabase& database, int32_t fukuro, OpenFukuro& state, bool forward,
                                 int32_t* tip) {
    const int batch = state.search.empty() ? 1 : kStepBatch;
    OrderKey from = state.cursor.key;
    bool inclusive = forward && !state.cursor.onTip;
    for (;;) {
        std::vector<OrderKey>& keys = m_stepped;
        const int32_t code = database.file.Step(fukuro, from, forward, inclusive, batch, &keys);
        if (code != kEngineOk) return code;
        for (const OrderKey& key : keys) {
            if (MatchesSearch(database, state, static_cast<int32_t>(key.tip))) {
                state.cursor.onTip = true;
                state.cursor.key = key;
                *tip = static_cast<int32_t>(key.tip);
                return kEngineOk;
            }
        }
        if (keys.size() < static_cast<size_t>(batch)) break;
        from = keys.back();
        inclusive = false;
    }
    state.cursor.onTip = false;
    state.cursor.key = forward ? OrderKey{INT64_MAX, INT64_MAX} : OrderKey{INT64_MIN, INT64_MIN};
    return kEngineOk;
}

int32_t VaroEngine::MoveCursor(OpenDatabase& database, int32_t fukuro, OpenFukuro& state, int option,
                               int32_t* tip) {
    *tip = 0;
    if (option != kReadCurrent) return NextMatching(database, fukuro, state, option == kReadNext, tip);
    if (!state.cursor.onTip) return kEngineOk;
    const int32_t current = static_cast<int32_t>(state.cursor.key.tip);
    bool member = false;
    const int32_t code = database.file.IsMember(fukuro, current, &member);
    if (code == kEngineOk && member && MatchesSearch(database, state, current)) *tip = current;
    return code;
}

int32_t VaroEngine::ReadAt(OpenDatabase& database, int32_t fukuro, int option, int32_t* tip, void** buffer) {
    ReadTransaction snapshot(database.file.Sql());
    OpenFukuro* state = nullptr;
    int32_t code = OpenedFukuro(database, fukuro, &state);
    if (code == kEngineOk) code = MoveCursor(database, fukuro, *state, option, tip);
    if (code != kEngineOk || *tip == 0) return code;
    return HandOut(database, *tip, buffer);
}

// A format 1 file read as it is keeps no records to read ahead.
bool VaroEngine::WalksAhead(const OpenDatabase& database, int32_t fukuro, int option) const {
    if (option == kReadCurrent || !database.file.KeepsRecords()) return false;
    const auto found = database.fukuros.find(fukuro);
    return found != database.fukuros.end() && found->second.search.empty();
}

// While nothing was committed to the file since the batch was read, the
// next tip comes out of it for one look at the change mark; otherwise a new
// batch is read from the cursor, as ReadAt would step from it.
int32_t VaroEngine::ReadAhead(OpenDatabase& database, int32_t fukuro, bool forward, int32_t* tip, void** buffer) {
    OpenFukuro& state = database.fukuros.find(fukuro)->second;
    ReadAheadBatch& batch = state.ahead;
    ChangeMark now;
    int32_t code = database.file.ReadChangeMark(&now);
    if (code != kEngineOk) return code;
    if (!batch.Continues(state.cursor, forward, now)) {
        code = FillBatch(database, fukuro, state, forward);
        if (code != kEngineOk) return code;
    }
    if (batch.next == batch.count) {
        state.cursor.onTip = false;
        state.cursor.key = forward ? OrderKey{INT64_MAX, INT64_MAX} : OrderKey{INT64_MIN, INT64_MIN};
        return kEngineOk;
    }
    const OrderedRecord& record = batch.records[batch.next++];
    state.cursor.onTip = true;
    state.cursor.key = record.key;
    *tip = static_cast<int32_t>(record.key.tip);
    code = DatabaseFile::TipFromRecord(record, &m_loaded);
    if (code != kEngineOk) return code;
    HandOutLoaded(database, *tip, record.stamp, buffer);
    return kEngineOk;
}

// The mark is read before the batch's snapshot is taken: a commit landing
// in between leaves the mark older than the rows, which costs one more
// batch, never a stale tip.
int32_t VaroEngine::FillBatch(OpenDatabase& database, int32_t fukuro, OpenFukuro& state, bool forward) {
    ReadAheadBatch& batch = state.ahead;
    const bool walkGoesOn = batch.count > 0 && batch.next == batch.count && batch.count == batch.asked &&
                            batch.forward == forward;
    batch.asked = walkGoesOn ? std::min(2 * batch.asked, kLargestReadAhead) : kFirstReadAhead;
    batch.count = 0;
    batch.next = 0;
    ChangeMark mark;
    int32_t code = database.file.ReadChangeMark(&mark);
    ReadTransaction snapshot(database.file.Sql());
    OpenFukuro* open = nullptr;
    if (code == kEngineOk) code = OpenedFukuro(database, fukuro, &open);
    const bool inclusive = forward && !state.cursor.onTip;
    if (code == kEngineOk) {
        code = database.file.StepRecords(fukuro, state.cursor.key, forward, inclusive, static_cast<int>(batch.asked),
                                         &batch.records, &batch.count);
    }
    if (code != kEngineOk) {
        batch.count = 0;
        return code;
    }
    batch.forward = forward;
    batch.mark = mark;
    return kEngineOk;
}

int32_t VaroEngine::ReadTip(const EngineArg* a) {
    const int32_t fukuro = a[1].i4;
    const int option = a[2].i4;
    int32_t* tipOut = a[3].i4Out;
    void** bufferOut = a[4].addressOut;
    if (!tipOut || !bufferOut || option < kReadCurrent || option > kReadPrevious) return kEngineBadArgument;
    *tipOut = 0;
    OpenDatabase* database = nullptr;
    int32_t code = Opened(a[0].i4, &database);
    if (code != kEngineOk) return code;
    int32_t tip = 0;
    void* buffer = nullptr;
    code = WalksAhead(*database, fukuro, option) ? ReadAhead(*database, fukuro, option == kReadNext, &tip, &buffer)
                                                 : ReadAt(*database, fukuro, option, &tip, &buffer);
    if (code != kEngineOk || tip == 0) return code;
    *tipOut = tip;
    *bufferOut = buffer;
    return kEngineOk;
}

int32_t VaroEngine::ReleaseTip(const EngineArg* a) { return m_tips.Release(a[0].i4, a[1].address); }

int32_t VaroEngine::GetTip(const EngineArg* a) {
    if (!a[3].addressOut) return kEngineBadArgument;
    OpenDatabase* database = nullptr;
    int32_t code = Opened(a[0].i4, &database);
    if (code != kEngineOk) return code;
    const LockFile::ProbeSentAhead probe = database->locks.ProbeAhead();
    if (database->file.KeepsRecords()) return GetRecordedTip(*database, a[1].i4, a[2].i4, a[3].addressOut);
    ReadTransaction snapshot(database->file.Sql());
    code = CheckTipIn(database->file, a[1].i4, a[2].i4);
    if (code != kEngineOk) return code;
    m_readOnly = IsReadOnlyAt(*database, a[1].i4, a[2].i4);
    return HandOut(*database, a[2].i4, a[3].addressOut);
}

// One statement reads one snapshot: no transaction is needed around it.
int32_t VaroEngine::GetRecordedTip(OpenDatabase& database, int32_t fukuro, int32_t tip, void** buffer) {
    int32_t code = CheckTipInWithRecord(database.file, fukuro, tip, &m_fetched);
    if (code != kEngineOk) return code;
    m_readOnly = IsReadOnlyAt(database, fukuro, tip);
    code = DatabaseFile::TipFromRecord(m_fetched, &m_loaded);
    if (code != kEngineOk) return code;
    HandOutLoaded(database, tip, m_fetched.stamp, buffer);
    return kEngineOk;
}

// On a writable database the checks run inside the store's transaction, so
// that nothing can change between them and the write; the buffer is copied
// before the database is locked, and its verdict comes after the checks'.
int32_t VaroEngine::PutTip(const EngineArg* a) {
    const int32_t fukuro = a[1].i4;
    int32_t* idInOut = a[2].i4Out;
    if (!idInOut || *idInOut < 0 || (*idInOut == 0 && fukuro == 0)) return kEngineBadArgument;
    const int32_t id = *idInOut;
    OpenDatabase* database = nullptr;
    int32_t code = Opened(a[0].i4, &database);
    if (code != kEngineOk) return code;
    const int32_t buffer = ReadTipBuffer(a[3].address, &m_incoming);
    const LockFile::ProbeSentAhead probe = database->locks.ProbeAhead();
    DatabaseFile& file = database->file;
    Transaction txn(file.Sql());
    if (database->writable) code = CodeFromSqlite(txn.Begin());
    StoreTarget target;
    if (code == kEngineOk) {
        code = id == 0 ? file.FukuroAndNextTipId(fukuro, &target.newId) : CheckStoreTarget(file, fukuro, id, &target);
    }
    if (code == kEngineOk) {
        code = CheckWritable(*database, {fukuro}, id == 0 ? std::vector<int32_t>() : std::vector<int32_t>{id});
    }
    if (code == kEngineOk) code = buffer;
    const bool seen = id != 0 && m_seen.db == a[0].i4 && m_seen.tip == id;
    int32_t stored = 0;
    if (code == kEngineOk) {
        code = StoreTip(file, fukuro, id, target, seen ? &m_seen.stamp : nullptr, &m_incoming, &stored);
    }
    code = CommitIfOk(txn, code);
    if (code != kEngineOk) return code;
    *idInOut = stored;
    m_seen = SeenStamp{a[0].i4, stored, StampOf(m_incoming)};
    WriteBackStamp(a[3].address, m_seen.stamp);
    return kEngineOk;
}

int32_t VaroEngine::RemoveTip(const EngineArg* a) {
    const int32_t fukuro = a[1].i4;
    std::vector<int32_t> tips;
    if (!IdListArg(a[2], &tips)) return kEngineBadArgument;
    OpenDatabase* database = nullptr;
    int32_t code = Opened(a[0].i4, &database);
    for (size_t i = 0; code == kEngineOk && i < tips.size(); ++i) code = CheckTipIn(database->file, fukuro, tips[i]);
    if (code == kEngineOk) code = CheckWritable(*database, {fukuro}, tips);
    if (code != kEngineOk) return code;
    DatabaseFile& file = database->file;
    Transaction txn(file.Sql());
    code = CodeFromSqlite(txn.Begin());
    for (size_t i = 0; code == kEngineOk && i < tips.size(); ++i) {
        std::vector<int32_t> holders;
        StoredTip stored;
        code = file.FukurosOf(tips[i], &holders);
        if (code == kEngineOk) code = file.LoadTip(tips[i], &stored);
        if (code == kEngineOk) code = file.Trash(tips[i]);
        if (code == kEngineOk) code = file.Log(ChangeKind::TipRemoved, tips[i], holders, TopicOf(stored));
    }
    return CommitIfOk(txn, code);
}

int32_t VaroEngine::UndoTip(const EngineArg* a) {
    std::vector<int32_t> tips;
    if (!IdListArg(a[1], &tips)) return kEngineBadArgument;
    OpenDatabase* database = nullptr;
    int32_t code = Opened(a[0].i4, &database);
    std::vector<int32_t> targets;
    for (size_t i = 0; code == kEngineOk && i < tips.size(); ++i) {
        TipState state;
        code = database->file.StateOf(tips[i], &state);
        if (code == kEngineOk && state != TipState::Trashed) code = kEngineNoSuchTip;
        std::vector<int32_t> holders;
        if (code == kEngineOk) code = database->file.TrashedFukurosOf(tips[i], &holders);
        targets.insert(targets.end(), holders.begin(), holders.end());
    }
    if (code == kEngineOk) code = CheckWritable(*database, targets, {});
    if (code != kEngineOk) return code;
    DatabaseFile& file = database->file;
    Transaction txn(file.Sql());
    code = CodeFromSqlite(txn.Begin());
    for (size_t i = 0; code == kEngineOk && i < tips.size(); ++i) {
        std::vector<int32_t> holders;
        StoredTip stored;
        code = file.TrashedFukurosOf(tips[i], &holders);
        if (code == kEngineOk) code = file.LoadTip(tips[i], &stored);
        if (code == kEngineOk) code = file.Restore(tips[i]);
        if (code == kEngineOk) code = file.Log(ChangeKind::TipRestored, tips[i], holders, TopicOf(stored));
    }
    return CommitIfOk(txn, code);
}

// DupTip(db, fukuro, new id, tip): a copy of the tip with a new id and LMTM,
// at the end of the fukuro's order, or with fukuro 0 at the end of every
// fukuro the tip lies in.
int32_t VaroEngine::DupTip(const EngineArg* a) {
    const int32_t fukuro = a[1].i4;
    const int32_t source = a[3].i4;
    if (!a[2].i4Out) return kEngineBadArgument;
    OpenDatabase* database = nullptr;
    int32_t code = Opened(a[0].i4, &database);
    if (code == kEngineOk) code = CheckTipIn(database->file, fukuro, source);
    std::vector<int32_t> targets{fukuro};
    if (code == kEngineOk && fukuro == 0) code = database->file.FukurosOf(source, &targets);
    if (code == kEngineOk) code = CheckWritable(*database, targets, {});
    if (code != kEngineOk) return code;
    DatabaseFile& file = database->file;
    Transaction txn(file.Sql());
    code = CodeFromSqlite(txn.Begin());
    StoredTip tip;
    if (code == kEngineOk) code = file.LoadTip(source, &tip);
    RenewStamp(&tip, NextStamp(std::string(), time(nullptr)));
    int32_t copy = 0;
    if (code == kEngineOk) code = file.InsertTip(tip, &copy);
    for (size_t i = 0; code == kEngineOk && i < targets.size(); ++i) code = file.AddMember(targets[i], copy);
    if (code == kEngineOk) code = file.Log(ChangeKind::TipAdded, copy, targets, TopicOf(tip));
    code = CommitIfOk(txn, code);
    if (code == kEngineOk) *a[2].i4Out = copy;
    return code;
}

// Control tips are rewritten in place: same id, same place in every order.
int32_t VaroEngine::ModifyTip(const EngineArg* a) {
    const int32_t fukuro = a[1].i4;
    const int32_t id = a[2].i4;
    OpenDatabase* database = nullptr;
    int32_t code = Opened(a[0].i4, &database);
    if (code == kEngineOk) code = CheckTipIn(database->file, fukuro, id);
    if (code == kEngineOk) code = CheckWritable(*database, {fukuro}, {id});
    StoredTip tip;
    if (code == kEngineOk) code = ReadTipBuffer(a[3].address, &tip);
    if (code == kEngineOk && !IsControlTip(tip)) code = kEngineBadTipBuffer;
    StoredTip old;
    if (code == kEngineOk) code = database->file.LoadTip(id, &old);
    if (code == kEngineOk && !IsControlTip(old)) code = kEngineBadArgument;
    if (code != kEngineOk) return code;
    DatabaseFile& file = database->file;
    Transaction txn(file.Sql());
    code = CodeFromSqlite(txn.Begin());
    std::vector<int32_t> holders;
    if (code == kEngineOk) code = file.ReplaceTip(id, tip);
    if (code == kEngineOk) code = file.FukurosOf(id, &holders);
    if (code == kEngineOk) code = file.Log(ChangeKind::TipChanged, id, holders, PreferenceTopic::None);
    return CommitIfOk(txn, code);
}

int32_t VaroEngine::IsReadOnly(const EngineArg*) { return m_readOnly ? 1 : 0; }

}  // namespace engine
}  // namespace varo
