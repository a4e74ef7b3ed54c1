// The engine's places on disk and the file system calls it makes.
//
// The data folder holds the catalog and one folder per database:
//   <data>/catalog.sqlite
//   <data>/vdb0000002a/vdb0000002a.sqlite     the database (18-character name)
//   <data>/vdb0000002a/vdb0000002a.lock       its lock file (see Locks.h)
//   <data>/vdb0000002a/vdb0000002a.writers    the line of its writers (see WriterQueue.h)
//   <data>/vdb0000002a/vdb0000002a.bak        its backup copy
//   <data>/vdb0000002a/documents/             files that memo and file-link tips name
// Folders are made 0700 and files 0600 whatever the umask. Paths are UTF-8
// byte strings built only from the data folder and database ids; names
// given by callers never reach a path.
#pragma once

#include <cstdint>
#include <string>

#include "EngineInterface.h"

namespace varo {
namespace engine {

// $VARO_DATA_DIR, else the host's ROOTDIR + "data/", else
// $XDG_DATA_HOME/varokit/, else ~/.local/share/varokit/; always ending in
// '/'. Empty when none can be found.
std::string ResolveDataFolder(const HostServices* host);

// $VARO_SERVER: a libpq connection string naming the server that keeps the
// catalog and the databases; empty for the data folder's files.
std::string ResolveServer();

// The names that belong to database `id`.
std::string DatabaseFolderName(int32_t id);  // "vdb0000002a"
std::string DatabaseFileName(int32_t id);    // "vdb0000002a.sqlite", 18 characters

const int kDatabaseFileNameLength = 18;

// Paths derived from a database file's full path.
std::string FolderOf(const std::string& path);  // without the final '/'
std::string BaseNameOf(const std::string& path);
std::string LockPathOf(const std::string& databasePath);
std::string WritersPathOf(const std::string& databasePath);
std::string BackupPathOf(const std::string& databasePath);
std::string DocumentsPathOf(const std::string& databasePath);

// Makes the folder and its missing parents with mode 0700; true when it
// exists as a folder afterwards.
bool MakeFolders(const std::string& path);

// Creates a new empty file with mode 0600; false when it exists already or
// cannot be made.
bool CreatePrivateFile(const std::string& path);

bool IsRegularFile(const std::string& path);

// True when this process may write the file and the folder it lies in; a
// file without its owner's write bit counts as read-only even for a user
// whom the system would let write.
bool IsWritableFile(const std::string& path);

// The canonical absolute path, or empty when it does not resolve.
std::string CanonicalPath(const std::string& path);

// Removes a file; true when it is gone afterwards.
bool RemoveFile(const std::string& path);
// Removes an empty folder; false (leaving it) when it holds anything.
bool RemoveEmptyFolder(const std::string& path);

// Flushes a file or folder to disk.
bool SyncPath(const std::string& path);

}  // namespace engine
}  // namespace varo
