// The engine's one seam for storage faults: every connection the engine opens
// goes through the SQLite VFS "varo", a thin wrapper over the system's
// default VFS that passes every call through unchanged until a test arms a
// fault. Armed, the wrapper lets `writesBefore` more writes (or syncs) pass
// and then fails every following one the way the system would on a full
// disk (SQLITE_FULL) or a failing device (SQLITE_IOERR_WRITE,
// SQLITE_IOERR_FSYNC), until disarmed.
//
// The wrapper also keeps where each file's shared memory (SQLite's
// wal-index) is mapped, so that a connection can look at the wal-index
// header without a system call (Sqlite.h, CommitMark).
//
// The fault settings are process-wide and atomic; production code never arms
// them. Each loaded copy of the engine registers its own wrapper under a name
// of its own and unregisters it when it is unloaded, so that no SQLite
// connection of the process ever reaches code that was unloaded.
#pragma once

struct sqlite3_file;

namespace varo {
namespace engine {

enum class StorageFault { None, DiskFull, WriteFails, SyncFails };

// The name of the VFS to open connections with; registers it on first use.
const char* EngineVfsName();

// The first region of the shared memory of `file`, a file opened through
// the engine's VFS; null before SQLite maps it, after it unmaps it, or for a
// file of another VFS.
const volatile void* WalIndexOf(sqlite3_file* file);

void ArmStorageFault(StorageFault fault, int writesBefore);
void DisarmStorageFault();

}  // namespace engine
}  // namespace varo
