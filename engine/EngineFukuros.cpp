// Operations on fukuros: listing, creating, naming, sorting, opening with
// read positions and searches, and moving tips in and out.
#include <cstring>

#include "EngineArgs.h"
#include "EngineCodes.h"
#include "SortCondition.h"
#include "TextCodec.h"
#include "VaroEngine.h"

namespace varo {
namespace engine {
namespace {

const int32_t kSearchFoldCase = 1;
const int kSeekFromStart = 0;
const int kSeekFromCurrent = 1;
const int kSeekFromEnd = 2;

// The fukuro's tips in their present order, each with its values of the keys.
int32_t LoadSortItems(DatabaseFile& file, int32_t fukuro, const std::vector<SortKey>& keys,
                      std::vector<SortItem>* items) {
    std::vector<int32_t> tips;
    int32_t code = file.FukuroTips(fukuro, &tips);
    for (size_t i = 0; code == kEngineOk && i < tips.size(); ++i) {
        StoredTip tip;
        code = file.LoadTip(tips[i], &tip);
        SortItem item{tips[i], {}};
        for (const SortKey& key : keys) {
            const StoredField* field = FindField(tip, key.tag.c_str());
            item.values.push_back(field ? field->data : std::vector<uint8_t>());
        }
        items->push_back(std::move(item));
    }
    return code;
}

}  // namespace

int32_t VaroEngine::GetAllFukuroID(const EngineArg* a) {
    if (!a[1].addressOut) return kEngineBadArgument;
    OpenDatabase* database = nullptr;
    int32_t code = Opened(a[0].i4, &database);
    std::vector<int32_t> fukuros;
    if (code == kEngineOk) code = database->file.AllFukuros(&fukuros);
    if (code != kEngineOk) return code;
    m_fukuroList = fukuros;
    m_fukuroList.push_back(0);
    *a[1].addressOut = m_fukuroList.data();
    return kEngineOk;
}

// A database is "in sync" while its change log has nothing after the mark
// that CancelAllSync sets.
int32_t VaroEngine::IsSyncFukuro(const EngineArg* a) {
    OpenDatabase* database = nullptr;
    int64_t mark = 0;
    if (Opened(a[0].i4, &database) != kEngineOk || database->file.MetaNumber("sync_mark", &mark) != kEngineOk) {
        return 0;
    }
    return database->file.LatestChange() > mark ? 1 : 0;
}

int32_t VaroEngine::CancelAllSync(const EngineArg* a) {
    OpenDatabase* database = nullptr;
    if (Opened(a[0].i4, &database) != kEngineOk || CheckWritable(*database, {}, {}) != kEngineOk) return 0;
    Transaction txn(database->file.Sql());
    int32_t code = CodeFromSqlite(txn.Begin());
    if (code == kEngineOk) code = database->file.SetMetaNumber("sync_mark", database->file.LatestChange());
    return CommitIfOk(txn, code) == kEngineOk ? 1 : 0;
}

int32_t VaroEngine::FukuroOpen(const EngineArg* a) {
    const int32_t fukuro = a[1].i4;
    OpenDatabase* database = nullptr;
    int32_t code = Opened(a[0].i4, &database);
    if (code == kEngineOk) code = database->file.FukuroExists(fukuro);
    if (code != kEngineOk) return code;
    OpenFukuroAt(*database, fukuro);
    return kEngineOk;
}

int32_t VaroEngine::FukuroLockOpen(const EngineArg* a) {
    const int32_t fukuro = a[1].i4;
    OpenDatabase* database = nullptr;
    int32_t code = Opened(a[0].i4, &database);
    if (code == kEngineOk) code = database->file.FukuroExists(fukuro);
    if (code != kEngineOk) return code;
    if (!database->writable) return kEngineReadOnly;
    if (!database->locks.TryLockFukuro(fukuro)) return kEngineLocked;
    OpenFukuroAt(*database, fukuro);
    return kEngineOk;
}

int32_t VaroEngine::CreateFukuroNamed(const EngineArg& db, const EngineArg& out, const EngineArg& nameArg,
                                      int32_t kind) {
    std::string name;
    if (!out.i4Out || !TextArg(nameArg, kMaxNameUnits, &name)) return kEngineBadArgument;
    OpenDatabase* database = nullptr;
    int32_t code = Opened(db.i4, &database);
    if (code == kEngineOk) code = CheckWritable(*database, {}, {});
    if (code != kEngineOk) return code;
    Transaction txn(database->file.Sql());
    int32_t fukuro = 0;
    code = CodeFromSqlite(txn.Begin());
    if (code == kEngineOk) code = database->file.NewFukuro(name, kind, &fukuro);
    if (code == kEngineOk) code = database->file.Log(ChangeKind::FukuroCreated, 0, {fukuro}, PreferenceTopic::None);
    code = CommitIfOk(txn, code);
    if (code == kEngineOk) *out.i4Out = fukuro;
    return code;
}

int32_t VaroEngine::FukuroCreate(const EngineArg* a) { return CreateFukuroNamed(a[0], a[1], a[2], a[3].i4); }

int32_t VaroEngine::PutKFl(const EngineArg* a) { return CreateFukuroNamed(a[0], a[1], a[2], 0); }

int32_t VaroEngine::FukuroClose(const EngineArg* a) {
    const int32_t fukuro = a[1].i4;
    OpenDatabase* database = nullptr;
    const int32_t code = Opened(a[0].i4, &database);
    if (code != kEngineOk) return code;
    if (database->fukuros.erase(fukuro) == 0) return kEngineFukuroNotOpen;
    database->locks.UnlockFukuro(fukuro);
    return kEngineOk;
}

int32_t VaroEngine::FukuroDelete(const EngineArg* a) {
    const int32_t fukuro = a[1].i4;
    OpenDatabase* database = nullptr;
    bool fixed = false;
    int32_t code = Opened(a[0].i4, &database);
    if (code == kEngineOk) code = database->file.IsFixedFukuro(fukuro, &fixed);
    if (code == kEngineOk && fixed) code = kEngineFixedFukuro;
    if (code == kEngineOk) code = CheckWritable(*database, {fukuro}, {});
    if (code != kEngineOk) return code;
    Transaction txn(database->file.Sql());
    code = CodeFromSqlite(txn.Begin());
    if (code == kEngineOk) code = database->file.Log(ChangeKind::FukuroDeleted, 0, {fukuro}, PreferenceTopic::None);
    if (code == kEngineOk) code = database->file.DeleteFukuro(fukuro);
    code = CommitIfOk(txn, code);
    if (code == kEngineOk) {
        database->fukuros.erase(fukuro);
        database->locks.UnlockFukuro(fukuro);
    }
    return code;
}

int32_t VaroEngine::SetFukuroName(const EngineArg* a) {
    const int32_t fukuro = a[1].i4;
    std::string name;
    if (!TextArg(a[2], kMaxNameUnits, &name)) return kEngineBadArgument;
    OpenDatabase* database = nullptr;
    int32_t code = Opened(a[0].i4, &database);
    if (code == kEngineOk) code = database->file.FukuroExists(fukuro);
    if (code == kEngineOk) code = CheckWritable(*database, {fukuro}, {});
    if (code != kEngineOk) return code;
    Transaction txn(database->file.Sql());
    code = CodeFromSqlite(txn.Begin());
    if (code == kEngineOk) code = database->file.RenameFukuro(fukuro, name);
    if (code == kEngineOk) code = database->file.Log(ChangeKind::FukuroRenamed, 0, {fukuro}, PreferenceTopic::None);
    return CommitIfOk(txn, code);
}

int32_t VaroEngine::GetFukuroName(const EngineArg* a) {
    OpenDatabase* database = nullptr;
    std::string name;
    int32_t code = Opened(a[0].i4, &database);
    if (code == kEngineOk) code = database->file.FukuroName(a[1].i4, &name);
    return code != kEngineOk ? code : TextOut(a[2], name);
}

int32_t VaroEngine::FukuroSort(const EngineArg* a) {
    const int32_t fukuro = a[1].i4;
    const uint8_t* bytes = static_cast<const uint8_t*>(a[2].buffer);
    std::vector<SortKey> keys;
    if (!bytes || !ParseSortCondition(bytes, &keys)) return kEngineBadArgument;
    const std::vector<uint8_t> condition(bytes, bytes + kSortConditionSize);
    OpenDatabase* database = nullptr;
    int32_t code = Opened(a[0].i4, &database);
    if (code == kEngineOk) code = database->file.FukuroExists(fukuro);
    if (code == kEngineOk) code = CheckWritable(*database, {fukuro}, {});
    if (code != kEngineOk) return code;
    Transaction txn(database->file.Sql());
    code = CodeFromSqlite(txn.Begin());
    std::vector<SortItem> items;
    if (code == kEngineOk) code = LoadSortItems(database->file, fukuro, keys, &items);
    SortItems(keys, &items);
    std::vector<int32_t> tips;
    for (const SortItem& item : items) tips.push_back(item.tip);
    if (code == kEngineOk) code = database->file.Reorder(fukuro, tips, condition);
    if (code == kEngineOk) code = database->file.Log(ChangeKind::FukuroSorted, 0, {fukuro}, PreferenceTopic::None);
    return CommitIfOk(txn, code);
}

int32_t VaroEngine::GetFukuroSortCnd(const EngineArg* a) {
    uint8_t* out = static_cast<uint8_t*>(a[2].buffer);
    if (!out) return kEngineBadArgument;
    OpenDatabase* database = nullptr;
    std::vector<uint8_t> condition;
    int32_t code = Opened(a[0].i4, &database);
    if (code == kEngineOk) code = database->file.SortCondition(a[1].i4, &condition);
    if (code != kEngineOk) return code;
    if (condition.empty()) condition.assign(kSortConditionSize, 0);
    if (condition.size() != kSortConditionSize) return kEngineCorrupt;
    memcpy(out, condition.data(), kSortConditionSize);
    return kEngineOk;
}

int32_t VaroEngine::GetFukuroSize(const EngineArg* a) {
    if (!a[2].i4Out) return kEngineBadArgument;
    OpenDatabase* database = nullptr;
    int32_t size = 0;
    int32_t code = Opened(a[0].i4, &database);
    if (code == kEngineOk) code = database->file.FukuroSize(a[1].i4, &size);
    if (code == kEngineOk) *a[2].i4Out = size;
    return code;
}

// With no buffer the count comes back; with one, the count handed in is its
// capacity: at most that many ids are written, then a terminator if room is
// left, and the count becomes the number written.
int32_t VaroEngine::GetTipList(const EngineArg* a) {
    int32_t* count = a[3].i4Out;
    int32_t* ids = static_cast<int32_t*>(a[2].buffer);
    if (!count || (ids && *count < 0)) return kEngineBadArgument;
    OpenDatabase* database = nullptr;
    std::vector<int32_t> tips;
    int32_t code = Opened(a[0].i4, &database);
    if (code == kEngineOk) code = database->file.FukuroTips(a[1].i4, &tips);
    if (code != kEngineOk) return code;
    if (!ids) {
        *count = static_cast<int32_t>(tips.size());
        return kEngineOk;
    }
    const size_t written = std::min(tips.size(), static_cast<size_t>(*count));
    std::copy(tips.begin(), tips.begin() + static_cast<long>(written), ids);
    if (written < static_cast<size_t>(*count)) ids[written] = 0;
    *count = static_cast<int32_t>(written);
    return kEngineOk;
}

int32_t VaroEngine::PutTipToFukuro(const EngineArg* a) {
    const int32_t fukuro = a[1].i4;
    std::vector<int32_t> tips;
    if (!IdListArg(a[2], &tips)) return kEngineBadArgument;
    OpenDatabase* database = nullptr;
    int32_t code = Opened(a[0].i4, &database);
    if (code == kEngineOk) code = database->file.FukuroExists(fukuro);
    for (size_t i = 0; code == kEngineOk && i < tips.size(); ++i) {
        TipState state;
        code = database->file.StateOf(tips[i], &state);
        if (code == kEngineOk && state != TipState::Live) code = kEngineNoSuchTip;
    }
    if (code == kEngineOk) code = CheckWritable(*database, {fukuro}, {});
    if (code != kEngineOk) return code;
    Transaction txn(database->file.Sql());
    code = CodeFromSqlite(txn.Begin());
    for (size_t i = 0; code == kEngineOk && i < tips.size(); ++i) {
        bool member = false;
        code = database->file.IsMember(fukuro, tips[i], &member);
        if (code != kEngineOk || member) continue;
        code = database->file.AddMember(fukuro, tips[i]);
        if (code == kEngineOk) {
            code = database->file.Log(ChangeKind::TipPutInFukuro, tips[i], {fukuro}, PreferenceTopic::None);
        }
    }
    return CommitIfOk(txn, code);
}

int32_t VaroEngine::RemoveTipFromFukuro(const EngineArg* a) {
    const int32_t fukuro = a[1].i4;
    std::vector<int32_t> tips;
    if (!IdListArg(a[2], &tips)) return kEngineBadArgument;
    OpenDatabase* database = nullptr;
    int32_t code = Opened(a[0].i4, &database);
    if (code == kEngineOk) code = database->file.FukuroExists(fukuro);
    for (size_t i = 0; code == kEngineOk && i < tips.size(); ++i) {
        bool member = false;
        code = database->file.IsMember(fukuro, tips[i], &member);
        if (code == kEngineOk && !member) code = kEngineNoSuchTip;
    }
    if (code == kEngineOk) code = CheckWritable(*database, {fukuro}, {});
    if (code != kEngineOk) return code;
    Transaction txn(database->file.Sql());
    code = CodeFromSqlite(txn.Begin());
    for (size_t i = 0; code == kEngineOk && i < tips.size(); ++i) {
        code = database->file.RemoveMember(fukuro, tips[i]);
        if (code == kEngineOk) {
            code = database->file.Log(ChangeKind::TipTakenFromFukuro, tips[i], {fukuro}, PreferenceTopic::None);
        }
    }
    return CommitIfOk(txn, code);
}

int32_t VaroEngine::NextIndex(DatabaseFile& file, int32_t fukuro, const Cursor& cursor, int32_t* index) {
    int32_t code = file.CountBefore(fukuro, cursor.key, index);
    bool onMember = false;
    if (code == kEngineOk && cursor.onTip) code = file.IsMember(fukuro, static_cast<int32_t>(cursor.key.tip), &onMember);
    if (onMember) ++*index;
    return code;
}

// FukuroSeek(db, fukuro, offset, origin, position): the origin is 0 (the
// first tip), 1 (the tip the next ReadTip 1 would read) or 2 (the end); the
// position, clamped to 0 ... size, becomes the index of the tip that the next
// ReadTip 1 reads, and is written back.
int32_t VaroEngine::FukuroSeek(const EngineArg* a) {
    const int32_t fukuro = a[1].i4;
    const int origin = a[3].i4;
    if (!a[4].i4Out || origin < kSeekFromStart || origin > kSeekFromEnd) return kEngineBadArgument;
    OpenDatabase* database = nullptr;
    OpenFukuro* state = nullptr;
    int32_t code = Opened(a[0].i4, &database);
    if (code == kEngineOk) code = OpenedFukuro(*database, fukuro, &state);
    int32_t size = 0;
    if (code == kEngineOk) code = database->file.FukuroSize(fukuro, &size);
    int32_t base = 0;
    if (code == kEngineOk && origin == kSeekFromCurrent) code = NextIndex(database->file, fukuro, state->cursor, &base);
    if (origin == kSeekFromEnd) base = size;
    if (code != kEngineOk) return code;
    const int64_t wanted = static_cast<int64_t>(base) + a[2].i4;
    const int32_t index = static_cast<int32_t>(std::max<int64_t>(0, std::min<int64_t>(wanted, size)));
    Cursor cursor;
    cursor.key = OrderKey{INT64_MAX, INT64_MAX};
    if (index < size) code = database->file.KeyAt(fukuro, index, &cursor.key);
    if (code != kEngineOk) return code;
    state->cursor = cursor;
    *a[4].i4Out = index;
    return kEngineOk;
}

// TipSearch(db, fukuro, text, flags): later reads of the open fukuro see only
// tips with a text field containing the text (flag 1: ASCII letters match
// either case); an empty text ends the search. The read position goes back
// before the first tip.
int32_t VaroEngine::TipSearch(const EngineArg* a) {
    const int32_t flags = a[3].i4;
    std::string utf8;
    std::string needle;
    if ((flags & ~kSearchFoldCase) != 0 || !TextArg(a[2], kMaxValueUnits, &utf8) || !Utf8ToCp932(utf8, &needle)) {
        return kEngineBadArgument;
    }
    OpenDatabase* database = nullptr;
    OpenFukuro* state = nullptr;
    int32_t code = Opened(a[0].i4, &database);
    if (code == kEngineOk) code = OpenedFukuro(*database, a[1].i4, &state);
    if (code != kEngineOk) return code;
    state->search = needle;
    state->foldCase = (flags & kSearchFoldCase) != 0;
    state->cursor = Cursor();
    return kEngineOk;
}

}  // namespace engine
}  // namespace varo
