// The per-user folders in which the registry and the message table live, and
// the few POSIX file steps those two stores share. Internal to platform/.
//
// The folders are found afresh at every call from the environment, so a
// process (or a test) that changes XDG_CONFIG_HOME or XDG_RUNTIME_DIR is
// followed at once. Relative values of those variables are ignored, as the
// XDG base directory rules ask. Nothing here keeps state; every function is
// safe from any thread. Failures are reported as false and leave the
// outputs unchanged.
#pragma once

#include <cstddef>
#include <string>

// $XDG_CONFIG_HOME, else $HOME/.config, else the password database's home
// folder plus /.config. False when no home folder can be found.
bool UserConfigHome(std::string* path);

// The folder for this user's short-lived shared files:
// $XDG_RUNTIME_DIR/varokit when that can be made and owned, else (unset or
// unusable) /tmp/varokit-<uid>. The fixed /tmp (rather
// than $TMPDIR, which may differ between processes of one user) keeps every
// process of the user on the same folder. The folder is created (mode 0700)
// when missing, and refused when it is a link, not a folder, or owned by
// another user, who could otherwise plant files in it.
bool UserRuntimeFolder(std::string* path);

// Creates `path` and its missing parents with mode 0700; true when `path`
// is a folder afterwards (existing folders keep their mode).
bool MakePrivateFolders(const std::string& path);

// Reads a whole regular file of at most `maxBytes` bytes.
enum class FileRead { kRead, kMissing, kFailed };
FileRead ReadWholeFile(const std::string& path, size_t maxBytes, std::string* content);

// Reads from offset 0 of `fd` up to its end or `maxBytes` bytes, whichever
// comes first; *whole tells whether the end was reached.
bool ReadFromStart(int fd, size_t maxBytes, std::string* content, bool* whole);

// Writes all of [data, data + size) at `offset`, retrying short writes.
bool WriteAt(int fd, const char* data, size_t size, size_t offset);

// Holds an exclusive flock on an open file until destroyed; the lock is
// advisory and shared by every process that takes it on the same file.
class ExclusiveFileLock {
public:
    explicit ExclusiveFileLock(int fd);
    ~ExclusiveFileLock();
    ExclusiveFileLock(const ExclusiveFileLock&) = delete;
    ExclusiveFileLock& operator=(const ExclusiveFileLock&) = delete;

    bool IsHeld() const { return m_held; }

private:
    int m_fd;
    bool m_held;
};

// Closes a descriptor when it goes out of scope.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor();
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int Get() const { return m_fd; }
    bool IsOpen() const { return m_fd >= 0; }
    // Closes now and reports whether the close itself succeeded.
    bool Close();

private:
    int m_fd;
};
