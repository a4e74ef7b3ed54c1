#include "FaultVfs.h"

#include <sqlite3.h>

#include <atomic>
#include <cstdio>
#include <mutex>

namespace varo {
namespace engine {
namespace {

char g_name[40];
bool g_registered = false;

std::atomic<int> g_fault{static_cast<int>(StorageFault::None)};
std::atomic<int> g_passing{0};

sqlite3_vfs g_vfs;
sqlite3_io_methods g_methods;

// A file of the wrapper: the real file's state follows this header.
struct FaultFile {
    sqlite3_file base;
    sqlite3_file* real;
    void volatile* walIndex;  // the first region of its shared memory, once mapped
};

sqlite3_file* Real(sqlite3_file* file) { return reinterpret_cast<FaultFile*>(file)->real; }

StorageFault Armed() { return static_cast<StorageFault>(g_fault.load()); }

// True when the armed fault hits this write (or this sync); counts down the
// ones let through before it.
bool Hits(bool isSync) {
    const StorageFault armed = Armed();
    if (armed == StorageFault::None || (armed == StorageFault::SyncFails) != isSync) return false;
    return g_passing.fetch_sub(1) <= 0;
}

int Close(sqlite3_file* file) {
    sqlite3_file* real = Real(file);
    const int rc = real->pMethods ? real->pMethods->xClose(real) : SQLITE_OK;
    file->pMethods = nullptr;
    return rc;
}

int Read(sqlite3_file* f, void* out, int amount, sqlite3_int64 offset) {
    return Real(f)->pMethods->xRead(Real(f), out, amount, offset);
}

int Write(sqlite3_file* f, const void* data, int amount, sqlite3_int64 offset) {
    if (Hits(false)) return Armed() == StorageFault::DiskFull ? SQLITE_FULL : SQLITE_IOERR_WRITE;
    return Real(f)->pMethods->xWrite(Real(f), data, amount, offset);
}

int Truncate(sqlite3_file* f, sqlite3_int64 size) { return Real(f)->pMethods->xTruncate(Real(f), size); }

int Sync(sqlite3_file* f, int flags) {
    if (Hits(true)) return SQLITE_IOERR_FSYNC;
    return Real(f)->pMethods->xSync(Real(f), flags);
}

int FileSize(sqlite3_file* f, sqlite3_int64* size) { return Real(f)->pMethods->xFileSize(Real(f), size); }
int Lock(sqlite3_file* f, int level) { return Real(f)->pMethods->xLock(Real(f), level); }
int Unlock(sqlite3_file* f, int level) { return Real(f)->pMethods->xUnlock(Real(f), level); }
int CheckReservedLock(sqlite3_file* f, int* out) { return Real(f)->pMethods->xCheckReservedLock(Real(f), out); }
int FileControl(sqlite3_file* f, int op, void* arg) { return Real(f)->pMethods->xFileControl(Real(f), op, arg); }
int SectorSize(sqlite3_file* f) { return Real(f)->pMethods->xSectorSize(Real(f)); }
int DeviceCharacteristics(sqlite3_file* f) { return Real(f)->pMethods->xDeviceCharacteristics(Real(f)); }

int ShmMap(sqlite3_file* f, int region, int size, int extend, void volatile** out) {
    const int rc = Real(f)->pMethods->xShmMap(Real(f), region, size, extend, out);
    if (rc == SQLITE_OK && region == 0) reinterpret_cast<FaultFile*>(f)->walIndex = *out;
    return rc;
}
int ShmLock(sqlite3_file* f, int offset, int n, int flags) { return Real(f)->pMethods->xShmLock(Real(f), offset, n, flags); }
void ShmBarrier(sqlite3_file* f) { Real(f)->pMethods->xShmBarrier(Real(f)); }
int ShmUnmap(sqlite3_file* f, int remove) {
    reinterpret_cast<FaultFile*>(f)->walIndex = nullptr;
    return Real(f)->pMethods->xShmUnmap(Real(f), remove);
}
int Fetch(sqlite3_file* f, sqlite3_int64 offset, int amount, void** out) {
    return Real(f)->pMethods->xFetch(Real(f), offset, amount, out);
}
int Unfetch(sqlite3_file* f, sqlite3_int64 offset, void* page) { return Real(f)->pMethods->xUnfetch(Real(f), offset, page); }

int Open(sqlite3_vfs* vfs, const char* name, sqlite3_file* file, int flags, int* outFlags) {
    sqlite3_vfs* real = static_cast<sqlite3_vfs*>(vfs->pAppData);
    FaultFile* wrapper = reinterpret_cast<FaultFile*>(file);
    wrapper->real = reinterpret_cast<sqlite3_file*>(wrapper + 1);
    wrapper->real->pMethods = nullptr;
    wrapper->walIndex = nullptr;
    const int rc = real->xOpen(real, name, wrapper->real, flags, outFlags);
    // SQLite calls xClose even after a failed open when pMethods is set.
    file->pMethods = wrapper->real->pMethods ? &g_methods : nullptr;
    return rc;
}

void Register() {
    sqlite3_vfs* real = sqlite3_vfs_find(nullptr);
    g_vfs = *real;
    snprintf(g_name, sizeof g_name, "varo-%p", static_cast<void*>(&g_vfs));
    g_vfs.zName = g_name;
    g_vfs.pAppData = real;
    g_vfs.szOsFile = static_cast<int>(sizeof(FaultFile)) + real->szOsFile;
    g_vfs.xOpen = &Open;
    g_vfs.pNext = nullptr;
    g_methods = sqlite3_io_methods{3,         &Close,     &Read,        &Write,       &Truncate,
                                   &Sync,     &FileSize,  &Lock,        &Unlock,      &CheckReservedLock,
                                   &FileControl, &SectorSize, &DeviceCharacteristics, &ShmMap, &ShmLock,
                                   &ShmBarrier, &ShmUnmap, &Fetch,      &Unfetch};
    g_registered = sqlite3_vfs_register(&g_vfs, 0) == SQLITE_OK;
}

// Runs when this copy of the engine is unloaded (or the process ends).
struct Unregistration {
    ~Unregistration() {
        if (g_registered) sqlite3_vfs_unregister(&g_vfs);
    }
} g_unregistration;

}  // namespace

const char* EngineVfsName() {
    static std::once_flag once;
    std::call_once(once, &Register);
    return g_registered ? g_name : nullptr;
}

const volatile void* WalIndexOf(sqlite3_file* file) {
    if (!file || file->pMethods != &g_methods) return nullptr;
    return reinterpret_cast<FaultFile*>(file)->walIndex;
}

void ArmStorageFault(StorageFault fault, int writesBefore) {
    g_passing.store(writesBefore);
    g_fault.store(static_cast<int>(fault));
}

void DisarmStorageFault() { g_fault.store(static_cast<int>(StorageFault::None)); }

}  // namespace engine
}  // namespace varo
