// Operations on whole databases: opening and closing, creating and deleting,
// checking, backing up and restoring, locks, passwords and versions.
#include <cstring>
#include <ctime>

#include "Backup.h"
#include "EngineArgs.h"
#include "EngineCodes.h"
#include "EngineVersion.h"
#include "Files.h"
#include "TextCodec.h"
#include "VaroEngine.h"

namespace varo {
namespace engine {
namespace {

const size_t kVersionBlockSize = 148;
const size_t kPasswordBlockSize = 96;
const size_t kPasswordFieldSize = 32;
const size_t kMaxSecretBytes = 1024;

void FillVersionBlock(uint8_t* block, uint32_t major, uint32_t minor, uint32_t third, uint32_t fourth) {
    memset(block, 0, kVersionBlockSize);
    PutWord(block, kVersionBlockSize);
    PutWord(block + 4, major);
    PutWord(block + 8, minor);
    PutWord(block + 12, third);
    PutWord(block + 16, fourth);
}

// Copies a text into a 32-byte field of the password block as Shift-JIS with
// its terminator; false when it does not fit.
bool PutPasswordField(uint8_t* field, const std::string& utf8) {
    std::string text;
    if (!Utf8ToCp932(utf8, &text) || text.size() >= kPasswordFieldSize) return false;
    memcpy(field, text.data(), text.size());
    return true;
}

}  // namespace

int32_t VaroEngine::Open(const EngineArg* a) {
    if (!a[1].i2Out) return kEngineBadArgument;
    OpenDatabase* database = nullptr;
    const int32_t code = OpenDatabaseById(a[0].i4, &database);
    if (code != kEngineOk) return code;
    database->openedExplicitly = true;
    *a[1].i2Out = database->writable ? 0 : 1;
    return kEngineOk;
}

int32_t VaroEngine::LockOpen(const EngineArg* a) {
    const int32_t db = a[0].i4;
    if (!a[1].i2Out) return kEngineBadArgument;
    const bool wasOpen = m_open.count(db) != 0;
    OpenDatabase* database = nullptr;
    int32_t code = OpenDatabaseById(db, &database);
    if (code != kEngineOk) return code;
    if (!database->writable) {
        code = kEngineReadOnly;
    } else if (!database->locks.TryLockDatabase()) {
        code = kEngineLocked;
    }
    if (code != kEngineOk) {
        if (!wasOpen) CloseDatabase(db);
        return code;
    }
    database->openedExplicitly = true;
    *a[1].i2Out = 0;
    return kEngineOk;
}

int32_t VaroEngine::Create(const EngineArg* a) {
    std::string name;
    if (!TextArg(a[0], kMaxNameUnits, &name) || !a[1].i4Out) return kEngineBadArgument;
    int32_t code = EnsureCatalog();
    int32_t id = 0;
    if (code == kEngineOk) code = m_catalog.AllocateDatabaseId(&id);
    if (code != kEngineOk) return code;
    const std::string folder = m_dataFolder + DatabaseFolderName(id);
    KnownDatabase known;
    known.id = id;
    known.name = name;
    known.path = NewDatabasePath(id);
    if (!MakeFolders(folder) || !MakeFolders(DocumentsOf(known))) return kEngineStorageError;
    code = DatabaseFile::CreateIn(m_server, id, known.path, name);
    if (code != kEngineOk) {
        RemoveEmptyFolder(DocumentsOf(known));
        RemoveEmptyFolder(folder);
        return code;
    }
    code = m_catalog.Register(known);
    OpenDatabase* database = nullptr;
    if (code == kEngineOk) code = OpenDatabaseById(id, &database);
    if (code != kEngineOk) {
        m_catalog.Remove(id);
        DatabaseFile::RemoveIn(m_server, id, known.path);
        RemoveEmptyFolder(DocumentsOf(known));
        RemoveEmptyFolder(folder);
        return code;
    }
    *a[1].i4Out = id;
    return kEngineOk;
}

int32_t VaroEngine::Close(const EngineArg* a) {
    OpenDatabase* database = nullptr;
    const int32_t code = Opened(a[0].i4, &database);
    if (code == kEngineOk) CloseDatabase(a[0].i4);
    return code;
}

int32_t VaroEngine::Delete(const EngineArg* a) {
    int32_t code = EnsureCatalog();
    if (code == kEngineOk) code = m_catalog.Remove(a[0].i4);
    if (code == kEngineOk && m_open.count(a[0].i4)) CloseDatabase(a[0].i4);
    return code;
}

int32_t VaroEngine::DBCheck(const EngineArg* a) {
    OpenDatabase* database = nullptr;
    std::unique_ptr<OpenDatabase> temporary;
    const int32_t code = Borrow(a[0].i4, &database, &temporary);
    return code != kEngineOk ? code : database->file.Check();
}

int32_t VaroEngine::DBBackup(const EngineArg* a) {
    OpenDatabase* database = nullptr;
    std::unique_ptr<OpenDatabase> temporary;
    const int32_t code = Borrow(a[0].i4, &database, &temporary);
    return code != kEngineOk ? code : WriteBackup(database->file.Sql(), database->path, time(nullptr));
}

int32_t VaroEngine::DBRestore(const EngineArg* a) {
    const int32_t db = a[0].i4;
    int32_t code = EnsureCatalog();
    KnownDatabase known;
    if (code == kEngineOk) code = m_catalog.Find(db, &known);
    if (code != kEngineOk) return code;
    std::string date;
    code = ExamineBackup(m_catalog.Sql(), known.path, true, &date);
    if (code != kEngineOk) return code;
    if (IsOpenedExplicitly(db)) return kEngineInUse;
    if (!DatabaseFile::IsWritableIn(m_server, known.path)) return kEngineReadOnly;
    ExclusiveUse exclusive;
    code = TakeExclusiveUse(db, known.path, &exclusive);
    if (code != kEngineOk) return code;
    DatabaseFile target;
    code = target.OpenIn(m_server, db, known.path, false);
    return code != kEngineOk ? code : RestoreBackup(target, known.path);
}

int32_t VaroEngine::DeleteFiles(const EngineArg* a) {
    const int32_t db = a[0].i4;
    int32_t code = EnsureCatalog();
    KnownDatabase known;
    if (code == kEngineOk) code = m_catalog.Find(db, &known);
    if (code != kEngineOk) return code;
    if (IsOpenedExplicitly(db)) return kEngineInUse;
    if (!DatabaseFile::IsPresentIn(m_server, known.path)) return kEngineNoSuchDatabase;
    ExclusiveUse exclusive;
    code = TakeExclusiveUse(db, known.path, &exclusive);
    if (code != kEngineOk) return code;
    m_notifier.Unfollow(db);
    code = DatabaseFile::RemoveIn(m_server, db, known.path);
    // Documents the user keeps there stay: only empty folders go.
    RemoveEmptyFolder(DocumentsOf(known));
    RemoveEmptyFolder(FolderOf(LocalPathOf(known)));
    return code;
}

int32_t VaroEngine::CheckBKFlg(const EngineArg* a) {
    int32_t code = EnsureCatalog();
    KnownDatabase known;
    if (code == kEngineOk) code = m_catalog.Find(a[0].i4, &known);
    std::string date;
    return code != kEngineOk ? code : ExamineBackup(m_catalog.Sql(), known.path, false, &date);
}

int32_t VaroEngine::CheckRestore(const EngineArg* a) {
    int32_t code = EnsureCatalog();
    KnownDatabase known;
    if (code == kEngineOk) code = m_catalog.Find(a[0].i4, &known);
    std::string date;
    return code != kEngineOk ? code : ExamineBackup(m_catalog.Sql(), known.path, true, &date);
}

int32_t VaroEngine::GetBackupDate(const EngineArg* a) {
    KnownDatabase known;
    if (EnsureCatalog() != kEngineOk || m_catalog.Find(a[0].i4, &known) != kEngineOk) return 0;
    std::string date;
    if (ExamineBackup(m_catalog.Sql(), known.path, false, &date) != kEngineOk) return 0;
    return TextOut(a[1], date) == kEngineOk ? 1 : 0;
}

int32_t VaroEngine::DBLock(const EngineArg* a) {
    OpenDatabase* database = nullptr;
    if (Opened(a[0].i4, &database) != kEngineOk || !database->writable) return 0;
    return database->locks.TryLockDatabase() ? 1 : 0;
}

int32_t VaroEngine::DBUnLock(const EngineArg* a) {
    OpenDatabase* database = nullptr;
    if (Opened(a[0].i4, &database) != kEngineOk || !database->locks.HoldsDatabase()) return 0;
    database->locks.UnlockDatabase();
    return 1;
}

int32_t VaroEngine::SetSecret(const EngineArg* a, const char* key, size_t maxBytes) {
    std::string value;
    if (!TextArg(a[1], kMaxNameUnits, &value)) return kEngineBadArgument;
    if (maxBytes == kPasswordFieldSize) {
        uint8_t field[kPasswordFieldSize] = {};
        if (!PutPasswordField(field, value)) return kEngineBadArgument;
    } else if (value.size() > maxBytes) {
        return kEngineBadArgument;
    }
    OpenDatabase* database = nullptr;
    std::unique_ptr<OpenDatabase> temporary;
    int32_t code = Borrow(a[0].i4, &database, &temporary);
    if (code == kEngineOk) code = CheckWritable(*database, {}, {});
    if (code != kEngineOk) return code;
    Transaction txn(database->file.Sql());
    code = CodeFromSqlite(txn.Begin());
    if (code == kEngineOk) code = database->file.SetMetaText(key, value);
    return CommitIfOk(txn, code);
}

int32_t VaroEngine::SetPasswd(const EngineArg* a) { return SetSecret(a, "password", kPasswordFieldSize); }

int32_t VaroEngine::SetAccount(const EngineArg* a) { return SetSecret(a, "account", kPasswordFieldSize); }

int32_t VaroEngine::SetSecretPasswd(const EngineArg* a) {
    return SetSecret(a, "secret_password", kMaxSecretBytes);
}

// The block holds the password at offset 0 and the account at 32, each as
// Shift-JIS with its terminator; the third field stays empty.
int32_t VaroEngine::GetPasswd(const EngineArg* a) {
    uint8_t* block = static_cast<uint8_t*>(a[1].buffer);
    if (!block) return kEngineBadArgument;
    OpenDatabase* database = nullptr;
    std::unique_ptr<OpenDatabase> temporary;
    int32_t code = Borrow(a[0].i4, &database, &temporary);
    if (code != kEngineOk) return code;
    uint8_t filled[kPasswordBlockSize] = {};
    const char* const keys[] = {"password", "account"};
    for (size_t i = 0; i < sizeof keys / sizeof keys[0]; ++i) {
        std::string value;
        code = database->file.MetaText(keys[i], &value);
        if (code == kEngineNotFound) continue;
        if (code != kEngineOk) return code;
        if (!PutPasswordField(filled + i * kPasswordFieldSize, value)) return kEngineCorrupt;
    }
    memcpy(block, filled, kPasswordBlockSize);
    return kEngineOk;
}

int32_t VaroEngine::GetSecretPasswd(const EngineArg* a) {
    OpenDatabase* database = nullptr;
    std::unique_ptr<OpenDatabase> temporary;
    int32_t code = Borrow(a[0].i4, &database, &temporary);
    std::string value;
    if (code == kEngineOk) code = database->file.MetaText("secret_password", &value);
    return code != kEngineOk ? code : TextOut(a[1], value);
}

int32_t VaroEngine::GetDllVersionInfo(const EngineArg* a) {
    uint8_t* block = static_cast<uint8_t*>(a[0].buffer);
    if (!block) return kEngineBadArgument;
    FillVersionBlock(block, VARO_ENGINE_VERSION_MAJOR, VARO_ENGINE_VERSION_MINOR, VARO_ENGINE_VERSION_THIRD,
                     VARO_ENGINE_VERSION_FOURTH);
    return kEngineOk;
}

int32_t VaroEngine::GetDBVersionInfo(const EngineArg* a) {
    uint8_t* block = static_cast<uint8_t*>(a[1].buffer);
    if (!block) return kEngineBadArgument;
    OpenDatabase* database = nullptr;
    std::unique_ptr<OpenDatabase> temporary;
    int32_t code = Borrow(a[0].i4, &database, &temporary);
    int64_t major = 0;
    int64_t minor = 0;
    if (code == kEngineOk) code = database->file.MetaNumber("version_major", &major);
    if (code == kEngineOk) code = database->file.MetaNumber("version_minor", &minor);
    if (code == kEngineNotFound) code = kEngineCorrupt;
    if (code != kEngineOk) return code;
    FillVersionBlock(block, static_cast<uint32_t>(major), static_cast<uint32_t>(minor), 0, 0);
    return kEngineOk;
}

}  // namespace engine
}  // namespace varo
