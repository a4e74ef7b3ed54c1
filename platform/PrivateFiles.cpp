#include "PrivateFiles.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <vector>

namespace {

// The value of an environment variable when it is an absolute path.
bool AbsoluteFromEnvironment(const char* name, std::string* path) {
    const char* value = std::getenv(name);
    if (!value || value[0] != '/') return false;
    *path = value;
    return true;
}

bool HomeFolder(std::string* path) {
    if (AbsoluteFromEnvironment("HOME", path)) return true;
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
    passwd entry;
    passwd* found = nullptr;
    if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found) return false;
    if (!found->pw_dir || found->pw_dir[0] != '/') return false;
    *path = found->pw_dir;
    return true;
}

bool IsFolder(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Creates `path` (mode 0700) unless present, then accepts it only as a real
// folder of this user, taking away any access of others.
bool OwnPrivateFolder(const std::string& path) {
    if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return false;
    struct stat info;
    if (lstat(path.c_str(), &info) != 0) return false;
    if (!S_ISDIR(info.st_mode) || info.st_uid != geteuid()) return false;
    if ((info.st_mode & 077) != 0 && chmod(path.c_str(), 0700) != 0) return false;
    return true;
}

}  // namespace

bool UserConfigHome(std::string* path) {
    if (AbsoluteFromEnvironment("XDG_CONFIG_HOME", path)) return true;
    std::string home;
    if (!HomeFolder(&home)) return false;
    *path = home + "/.config";
    return true;
}

bool UserRuntimeFolder(std::string* path) {
    std::string runtime;
    if (AbsoluteFromEnvironment("XDG_RUNTIME_DIR", &runtime) && MakePrivateFolders(runtime) &&
        OwnPrivateFolder(runtime + "/varokit")) {
        *path = runtime + "/varokit";
        return true;
    }
    // Unset or unusable (not a folder, not ours, not writable): the
    // temporary folder, as if it were unset.
    const std::string folder = "/tmp/varokit-" + std::to_string(geteuid());
    if (!OwnPrivateFolder(folder)) return false;
    *path = folder;
    return true;
}

bool MakePrivateFolders(const std::string& path) {
    if (path.empty()) return false;
    if (IsFolder(path)) return true;
    // Each prefix ending just before a '/' is a parent to make first.
    for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
        const std::string parent = path.substr(0, slash);
        if (mkdir(parent.c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
    if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return false;
    return IsFolder(path);
}

FileRead ReadWholeFile(const std::string& path, size_t maxBytes, std::string* content) {
    FileDescriptor fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.IsOpen()) return errno == ENOENT ? FileRead::kMissing : FileRead::kFailed;
    struct stat info;
    if (fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode)) return FileRead::kFailed;
    std::string bytes;
    bool whole = false;
    if (!ReadFromStart(fd.Get(), maxBytes, &bytes, &whole) || !whole) return FileRead::kFailed;
    content->swap(bytes);
    return FileRead::kRead;
}

bool ReadFromStart(int fd, size_t maxBytes, std::string* content, bool* whole) {
    std::string bytes;
    char chunk[65536];
    // One byte past the limit tells a file of exactly maxBytes from a longer one.
    while (bytes.size() <= maxBytes) {
        const size_t want = std::min(sizeof chunk, maxBytes + 1 - bytes.size());
        ssize_t got = pread(fd, chunk, want, static_cast<off_t>(bytes.size()));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return false;
        if (got == 0) {
            *whole = true;
            content->swap(bytes);
            return true;
        }
        bytes.append(chunk, static_cast<size_t>(got));
    }
    bytes.resize(maxBytes);
    *whole = false;
    content->swap(bytes);
    return true;
}

bool WriteAt(int fd, const char* data, size_t size, size_t offset) {
    while (size > 0) {
        ssize_t wrote = pwrite(fd, data, size, static_cast<off_t>(offset));
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote <= 0) return false;
        data += wrote;
        size -= static_cast<size_t>(wrote);
        offset += static_cast<size_t>(wrote);
    }
    return true;
}

ExclusiveFileLock::ExclusiveFileLock(int fd) : m_fd(fd), m_held(false) {
    if (fd < 0) return;
    int result;
    do {
        result = flock(fd, LOCK_EX);
    } while (result != 0 && errno == EINTR);
    m_held = result == 0;
}

ExclusiveFileLock::~ExclusiveFileLock() {
    if (m_held) flock(m_fd, LOCK_UN);
}

FileDescriptor::~FileDescriptor() { Close(); }

bool FileDescriptor::Close() {
    if (m_fd < 0) return true;
    const int fd = m_fd;
    m_fd = -1;
    return close(fd) == 0;
}
