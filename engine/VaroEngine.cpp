#include "VaroEngine.h"

#include <algorithm>

#include "EngineArgs.h"
#include "EngineCodes.h"
#include "EngineOperations.h"
#include "Files.h"
#include "TextCodec.h"

namespace varo {
namespace engine {
namespace {

struct Dispatch {
    int op;
    VaroEngine::Handler handler;
};

void RunPoll(void* context) { static_cast<VaroEngine*>(context)->Poll(); }

int32_t Refusal(const OperationInfo& info) {
    return info.result == ResultKind::Code ? kEngineBadArgument : 0;
}

// Out texts and out addresses start null, so that no failure hands out a
// stale pointer.
void ClearOutputs(const OperationInfo& info, const EngineArg* args) {
    for (int i = 0; i < info.argCount; ++i) {
        if (args[i].kind == ArgKind::TextOut && args[i].textOut) *args[i].textOut = nullptr;
        if (args[i].kind == ArgKind::AddressOut && args[i].addressOut) *args[i].addressOut = nullptr;
    }
}

}  // namespace

// The operation table of EngineOperations.h, operation by operation; null
// for a number outside it.
VaroEngine::Handler VaroEngine::HandlerFor(int op) {
    static const Dispatch kDispatch[] = {
        {kOpOpen, &VaroEngine::Open},
        {kOpLockOpen, &VaroEngine::LockOpen},
        {kOpCreate, &VaroEngine::Create},
        {kOpClose, &VaroEngine::Close},
        {kOpDelete, &VaroEngine::Delete},
        {kOpDBCheck, &VaroEngine::DBCheck},
        {kOpDBBackup, &VaroEngine::DBBackup},
        {kOpDBRestore, &VaroEngine::DBRestore},
        {kOpDeleteFiles, &VaroEngine::DeleteFiles},
        {kOpCheckAPID, &VaroEngine::CheckAPID},
        {kOpDeleteAPID, &VaroEngine::DeleteAPID},
        {kOpCreateAPID, &VaroEngine::CreateAPID},
        {kOpGarbageAPID, &VaroEngine::GarbageAPID},
        {kOpCheckBKFlg, &VaroEngine::CheckBKFlg},
        {kOpCheckRestore, &VaroEngine::CheckRestore},
        {kOpGetBackupDate, &VaroEngine::GetBackupDate},
        {kOpDBLock, &VaroEngine::DBLock},
        {kOpDBUnLock, &VaroEngine::DBUnLock},
        {kOpSetPasswd, &VaroEngine::SetPasswd},
        {kOpGetPasswd, &VaroEngine::GetPasswd},
        {kOpSetAccount, &VaroEngine::SetAccount},
        {kOpSetSecretPasswd, &VaroEngine::SetSecretPasswd},
        {kOpGetSecretPasswd, &VaroEngine::GetSecretPasswd},
        {kOpGetDllVersionInfo, &VaroEngine::GetDllVersionInfo},
        {kOpGetDBVersionInfo, &VaroEngine::GetDBVersionInfo},
        {kOpGetAllFukuroID, &VaroEngine::GetAllFukuroID},
        {kOpIsSyncFukuro, &VaroEngine::IsSyncFukuro},
        {kOpCancelAllSync, &VaroEngine::CancelAllSync},
        {kOpFukuroOpen, &VaroEngine::FukuroOpen},
        {kOpFukuroLockOpen, &VaroEngine::FukuroLockOpen},
        {kOpFukuroCreate, &VaroEngine::FukuroCreate},
        {kOpFukuroClose, &VaroEngine::FukuroClose},
        {kOpFukuroDelete, &VaroEngine::FukuroDelete},
        {kOpSetFukuroName, &VaroEngine::SetFukuroName},
        {kOpGetFukuroName, &VaroEngine::GetFukuroName},
        {kOpFukuroSort, &VaroEngine::FukuroSort},
        {kOpGetFukuroSortCnd, &VaroEngine::GetFukuroSortCnd},
        {kOpGetFukuroSize, &VaroEngine::GetFukuroSize},
        {kOpGetTipList, &VaroEngine::GetTipList},
        {kOpPutTipToFukuro, &VaroEngine::PutTipToFukuro},
        {kOpRemoveTipFromFukuro, &VaroEngine::RemoveTipFromFukuro},
        {kOpFukuroSeek, &VaroEngine::FukuroSeek},
        {kOpPutKFl, &VaroEngine::PutKFl},
        {kOpTipSearch, &VaroEngine::TipSearch},
        {kOpReadTip, &VaroEngine::ReadTip},
        {kOpReleaseTip, &VaroEngine::ReleaseTip},
        {kOpGetTip, &VaroEngine::GetTip},
        {kOpPutTip, &VaroEngine::PutTip},
        {kOpRemoveTip, &VaroEngine::RemoveTip},
        {kOpUndoTip, &VaroEngine::UndoTip},
        {kOpDupTip, &VaroEngine::DupTip},
        {kOpModifyTip, &VaroEngine::ModifyTip},
        {kOpIsReadOnly, &VaroEngine::IsReadOnly},
        {kOpGetAllDBID, &VaroEngine::GetAllDBID},
        {kOpSetDBName, &VaroEngine::SetDBName},
        {kOpGetDBName, &VaroEngine::GetDBName},
        {kOpSetDefaultDBID, &VaroEngine::SetDefaultDBID},
        {kOpGetDefaultDBID, &VaroEngine::GetDefaultDBID},
        {kOpSetDBColor, &VaroEngine::SetDBColor},
        {kOpGetDBColor, &VaroEngine::GetDBColor},
        {kOpGetDBLocation, &VaroEngine::GetDBLocation},
        {kOpSetDBID, &VaroEngine::SetDBID},
        {kOpEstFileWriteLong, &VaroEngine::EstFileWriteLong},
        {kOpEstFileReadLong, &VaroEngine::EstFileReadLong},
        {kOpEstFileWriteStr, &VaroEngine::EstFileWriteStr},
        {kOpEstFileReadStr, &VaroEngine::EstFileReadStr},
        {kOpInit, &VaroEngine::Init},
        {kOpSetAdviseData, &VaroEngine::SetAdviseData},
        {kOpDelAdviseData, &VaroEngine::DelAdviseData},
        {kOpSetAdviseCategory, &VaroEngine::SetAdviseCategory},
        {kOpDelAdviseCategory, &VaroEngine::DelAdviseCategory},
        {kOpSetAdviseFree, &VaroEngine::SetAdviseFree},
        {kOpDelAdviseFree, &VaroEngine::DelAdviseFree},
        {kOpBeginAdviseData, &VaroEngine::BeginAdviseData},
        {kOpFreeAdviseData, &VaroEngine::FreeAdviseData},
        {kOpSet1DayView, &VaroEngine::Set1DayView},
        {kOpSet1DayMode, &VaroEngine::Set1DayMode},
        {kOpSetPBMode, &VaroEngine::SetPBMode},
        {kOpGet1DayView, &VaroEngine::Get1DayView},
        {kOpGet1DayMode, &VaroEngine::Get1DayMode},
        {kOpGetPBMode, &VaroEngine::GetPBMode},
    };
    static_assert(sizeof kDispatch / sizeof kDispatch[0] == kLastOperation, "one handler per operation");
    if (op < kFirstOperation || op > kLastOperation) return nullptr;
    const Dispatch& entry = kDispatch[op - kFirstOperation];
    return entry.op == op ? entry.handler : nullptr;
}

VaroEngine::VaroEngine(const HostServices* host)
    : m_host(host), m_dataFolder(ResolveDataFolder(host)), m_server(ResolveServer()), m_notifier(host) {
    m_notifier.SetServer(m_server);
    m_pumpHook = m_host->addPumpHook(&RunPoll, this);
}

VaroEngine::~VaroEngine() {
    m_host->removePumpHook(m_pumpHook);
    for (char16_t* text : m_texts) delete[] text;
}

int32_t VaroEngine::Invoke(int op, const EngineArg* args, int count) {
    const OperationInfo* info = FindOperation(op);
    if (!info) return kEngineBadArgument;
    if (!ArgumentsMatch(*info, args, count)) return Refusal(*info);
    const Handler handler = HandlerFor(op);
    if (!handler) return Refusal(*info);
    ClearOutputs(*info, args);
    return (this->*handler)(args);
}

void VaroEngine::FreeText(char16_t* text) {
    if (m_texts.erase(text)) delete[] text;
}

char16_t* VaroEngine::NewText(const std::u16string& text) {
    char16_t* copy = new char16_t[text.size() + 1];
    std::copy(text.begin(), text.end(), copy);
    copy[text.size()] = 0;
    m_texts.insert(copy);
    return copy;
}

int32_t VaroEngine::TextOut(const EngineArg& arg, const std::string& utf8) {
    std::u16string text;
    if (!arg.textOut) return kEngineBadArgument;
    if (!Utf8ToUtf16(utf8, &text)) return kEngineCorrupt;
    *arg.textOut = NewText(text);
    return kEngineOk;
}

int32_t VaroEngine::EnsureCatalog() {
    if (m_catalog.IsOpen()) return kEngineOk;
    // Stored paths are absolute and canonical, so that a file registered
    // again by SetDBID is recognised.
    if (!MakeFolders(m_dataFolder)) return kEngineStorageError;
    const std::string canonical = CanonicalPath(m_dataFolder);
    if (canonical.empty()) return kEngineStorageError;
    m_dataFolder = canonical == "/" ? canonical : canonical + "/";
    const int32_t code = m_catalog.OpenIn(m_server, m_dataFolder);
    if (code == kEngineOk) m_notifier.FollowCatalog(m_dataFolder);
    return code;
}

int32_t VaroEngine::OpenInto(int32_t db, std::unique_ptr<OpenDatabase>* out) {
    int32_t code = EnsureCatalog();
    if (code != kEngineOk) return code;
    KnownDatabase known;
    code = m_catalog.Find(db, &known);
    if (code != kEngineOk) return code;
    if (!DatabaseFile::IsPresentIn(m_server, known.path)) return kEngineNoSuchDatabase;
    std::unique_ptr<OpenDatabase> database(new OpenDatabase);
    database->id = db;
    database->path = known.path;
    database->writable = DatabaseFile::IsWritableIn(m_server, known.path);
    // A database given over to DeleteFiles or DBRestore cannot be opened.
    if (!OpenLocks(database->locks, db, known.path)) {
        if (OnServer()) return kEngineServerUnreachable;
        database->writable = false;
    } else if (!database->locks.TakePresence()) {
        return kEngineInUse;
    }
    code = database->file.OpenIn(m_server, db, known.path, !database->writable);
    // Batches read ahead then stay valid without asking the server each time.
    if (code == kEngineOk && OnServer()) code = CodeFromSqlite(database->file.Sql().Server()->Listen());
    if (code != kEngineOk) return code;
    *out = std::move(database);
    return kEngineOk;
}

std::string VaroEngine::NewDatabasePath(int32_t id) const {
    if (OnServer()) return DatabaseFolderName(id);
    return m_dataFolder + DatabaseFolderName(id) + "/" + DatabaseFileName(id);
}

std::string VaroEngine::LocalPathOf(const KnownDatabase& known) const {
    if (!OnServer()) return known.path;
    return m_dataFolder + DatabaseFolderName(known.id) + "/" + DatabaseFileName(known.id);
}

std::string VaroEngine::DocumentsOf(const KnownDatabase& known) const {
    return DocumentsPathOf(LocalPathOf(known));
}

bool VaroEngine::OpenLocks(LockFile& locks, int32_t db, const std::string& path) const {
    return OnServer() ? locks.OpenOnServer(m_server, db) : locks.Open(LockPathOf(path));
}

int32_t VaroEngine::OpenDatabaseById(int32_t db, OpenDatabase** out) {
    auto found = m_open.find(db);
    if (found == m_open.end()) {
        std::unique_ptr<OpenDatabase> database;
        const int32_t code = OpenInto(db, &database);
        if (code != kEngineOk) return code;
        m_notifier.Follow(db, database->path);
        found = m_open.emplace(db, std::move(database)).first;
    }
    *out = found->second.get();
    return kEngineOk;
}

int32_t VaroEngine::Opened(int32_t db, OpenDatabase** out) {
    auto found = m_open.find(db);
    if (found != m_open.end()) {
        *out = found->second.get();
        return kEngineOk;
    }
    if (EnsureCatalog() != kEngineOk) return kEngineNotOpen;
    KnownDatabase known;
    return m_catalog.Find(db, &known) == kEngineNoSuchDatabase ? kEngineNoSuchDatabase : kEngineNotOpen;
}

int32_t VaroEngine::Borrow(int32_t db, OpenDatabase** out, std::unique_ptr<OpenDatabase>* temporary) {
    auto found = m_open.find(db);
    if (found != m_open.end()) {
        *out = found->second.get();
        return kEngineOk;
    }
    const int32_t code = OpenInto(db, temporary);
    if (code == kEngineOk) *out = temporary->get();
    return code;
}

void VaroEngine::CloseDatabase(int32_t db) {
    m_open.erase(db);
    if (m_notifier.WatchedDatabases().count(db) == 0) m_notifier.Unfollow(db);
}

bool VaroEngine::IsOpenedExplicitly(int32_t db) const {
    auto found = m_open.find(db);
    return found != m_open.end() && found->second->openedExplicitly;
}

// The implicit opening's own descriptor turns its presence into exclusive
// use, which only other descriptors' presence can refuse; a refusal leaves
// the opening as it was.
int32_t VaroEngine::TakeExclusiveUse(int32_t db, const std::string& path, ExclusiveUse* use) {
    auto found = m_open.find(db);
    if (found == m_open.end()) {
        return OpenLocks(use->locks, db, path) && use->locks.TakeExclusiveUse() ? kEngineOk : kEngineInUse;
    }
    OpenDatabase& opening = *found->second;
    if (opening.openedExplicitly || !opening.locks.TakeExclusiveUse()) return kEngineInUse;
    use->implicitOpening = std::move(found->second);
    use->implicitOpening->file.Close();
    CloseDatabase(db);
    return kEngineOk;
}

int32_t VaroEngine::OpenedFukuro(OpenDatabase& database, int32_t fukuro, OpenFukuro** out) {
    auto found = database.fukuros.find(fukuro);
    if (found == database.fukuros.end()) return kEngineFukuroNotOpen;
    const int32_t code = database.file.FukuroExists(fukuro);
    if (code != kEngineOk) return code;
    *out = &found->second;
    return kEngineOk;
}

// The common case, no other instance holding any lock on the database,
// takes one probe and no reading.
int32_t VaroEngine::CheckWritable(OpenDatabase& database, const std::vector<int32_t>& fukuros,
                                  const std::vector<int32_t>& tips) {
    if (!database.writable) return kEngineReadOnly;
    if (!database.locks.OtherHoldsAny()) return kEngineOk;
    if (database.locks.OtherHoldsDatabase()) return kEngineReadOnly;
    for (int32_t fukuro : fukuros) {
        if (fukuro != 0 && database.locks.OtherHoldsFukuro(fukuro)) return kEngineReadOnly;
    }
    ReadTransaction snapshot(database.file.Sql());
    for (int32_t tip : tips) {
        std::vector<int32_t> holders;
        const int32_t code = database.file.FukurosOf(tip, &holders);
        if (code != kEngineOk) return code;
        for (int32_t fukuro : holders) {
            if (database.locks.OtherHoldsFukuro(fukuro)) return kEngineReadOnly;
        }
    }
    return kEngineOk;
}

bool VaroEngine::IsReadOnlyAt(OpenDatabase& database, int32_t fukuro, int32_t tip) {
    const std::vector<int32_t> tips = tip != 0 ? std::vector<int32_t>{tip} : std::vector<int32_t>();
    return CheckWritable(database, {fukuro}, tips) != kEngineOk;
}

// The tip is loaded into storage the instance keeps for the next load, and
// handed out as a copy of its own.
int32_t VaroEngine::HandOut(OpenDatabase& database, int32_t tip, void** buffer) {
    std::string stamp;
    const int32_t code = database.file.LoadTip(tip, &m_loaded, &stamp);
    if (code != kEngineOk) return code;
    HandOutLoaded(database, tip, stamp, buffer);
    return kEngineOk;
}

void VaroEngine::HandOutLoaded(OpenDatabase& database, int32_t tip, const std::string& stamp, void** buffer) {
    m_seen = SeenStamp{database.id, tip, stamp};
    // Two calls rather than one conditional, which would copy m_loaded field by field.
    if (m_readOnly && UsesCompactLayout(m_loaded)) {
        *buffer = m_tips.Add(database.id, CompactLayout(m_loaded));
    } else {
        *buffer = m_tips.Add(database.id, m_loaded);
    }
}

void VaroEngine::OpenFukuroAt(OpenDatabase& database, int32_t fukuro) {
    database.fukuros[fukuro] = OpenFukuro();
    m_readOnly = IsReadOnlyAt(database, fukuro, 0);
}

void VaroEngine::FollowWatchedDatabases() {
    if (EnsureCatalog() != kEngineOk) return;
    for (int32_t db : m_notifier.WatchedDatabases()) {
        KnownDatabase known;
        if (!m_notifier.Follows(db) && m_catalog.Find(db, &known) == kEngineOk) m_notifier.Follow(db, known.path);
    }
}

}  // namespace engine
}  // namespace varo
