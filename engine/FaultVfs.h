// The engine's one seam for storage faults: every connection the engine opens
// goes through the SQLite VFS "varo", a thin wrapper over the system's
// default VFS that passes every call through unchanged until a test arms a
// fault. Armed, the wrapper lets `writesBefore` more writes (or syncs) pass
// and then fails every following one the way the system would on a full
// disk (SQLITE_FULL) or a failing device (SQLITE_IOERR_WRITE,
// SQLITE_IOERR_FSYNC), until disarmed.
//
// The fault settings are process-wide and atomic; production code never arms
// them. Each loaded copy of the engine registers its own wrapper under a name
// of its own and unregisters it when it is unloaded, so that no SQLite
// connection of the process ever reaches code that was unloaded.
#pragma once

namespace varo {
namespace engine {

enum class StorageFault { None, DiskFull, WriteFails, SyncFails };

// The name of the VFS to open connections with; registers it on first use.
const char* EngineVfsName();

void ArmStorageFault(StorageFault fault, int writesBefore);
void DisarmStorageFault();

}  // namespace engine
}  // namespace varo
