#include "Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace varo {
namespace engine {
namespace {

const uint32_t kRootDirLimit = 4096;

std::string WithSlash(std::string path) {
    if (!path.empty() && path.back() != '/') path.push_back('/');
    return path;
}

std::string Environment(const char* name) {
    const char* value = getenv(name);
    return value ? std::string(value) : std::string();
}

std::string HostRootFolder(const HostServices* host) {
    if (!host || !host->queryRootDir) return std::string();
    std::vector<char> buffer(kRootDirLimit, '\0');
    const uint32_t length = host->queryRootDir(buffer.data(), kRootDirLimit);
    if (length == 0 || length >= kRootDirLimit) return std::string();
    return std::string(buffer.data(), length);
}

std::string StripSuffix(const std::string& path, const char* suffix) {
    const std::string s(suffix);
    if (path.size() >= s.size() && path.compare(path.size() - s.size(), s.size(), s) == 0) {
        return path.substr(0, path.size() - s.size());
    }
    return path;
}

}  // namespace

std::string ResolveDataFolder(const HostServices* host) {
    const std::string explicitFolder = Environment("VARO_DATA_DIR");
    if (!explicitFolder.empty()) return WithSlash(explicitFolder);
    const std::string root = HostRootFolder(host);
    if (!root.empty()) return WithSlash(root) + "data/";
    const std::string xdg = Environment("XDG_DATA_HOME");
    if (!xdg.empty() && xdg[0] == '/') return WithSlash(xdg) + "varokit/";
    const std::string home = Environment("HOME");
    if (!home.empty()) return WithSlash(home) + ".local/share/varokit/";
    return std::string();
}

std::string ResolveServer() {
    const char* server = getenv("VARO_SERVER");
    return server ? server : "";
}

std::string DatabaseFolderName(int32_t id) {
    char name[16];
    snprintf(name, sizeof name, "vdb%08x", static_cast<uint32_t>(id));
    return name;
}

std::string DatabaseFileName(int32_t id) { return DatabaseFolderName(id) + ".sqlite"; }

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseNameOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string LockPathOf(const std::string& databasePath) {
    return StripSuffix(databasePath, ".sqlite") + ".lock";
}

std::string WritersPathOf(const std::string& databasePath) {
    return StripSuffix(databasePath, ".sqlite") + ".writers";
}

std::string BackupPathOf(const std::string& databasePath) {
    return StripSuffix(databasePath, ".sqlite") + ".bak";
}

std::string DocumentsPathOf(const std::string& databasePath) {
    return FolderOf(databasePath) + "/documents";
}

bool MakeFolders(const std::string& path) {
    if (path.empty()) return false;
    struct stat st;
    if (stat(path.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
    const std::string trimmed = (path.size() > 1 && path.back() == '/') ? path.substr(0, path.size() - 1) : path;
    const std::string parent = FolderOf(trimmed);
    if (parent != trimmed && parent != "." && !MakeFolders(parent)) return false;
    if (mkdir(trimmed.c_str(), 0700) != 0 && errno != EEXIST) return false;
    return stat(trimmed.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool CreatePrivateFile(const std::string& path) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return false;
    const bool ok = fchmod(fd, 0600) == 0;
    close(fd);
    return ok;
}

bool IsRegularFile(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsWritableFile(const std::string& path) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0 || !(st.st_mode & S_IWUSR)) return false;
    return access(path.c_str(), W_OK) == 0 && access(FolderOf(path).c_str(), W_OK) == 0;
}

std::string CanonicalPath(const std::string& path) {
    char resolved[PATH_MAX];
    return realpath(path.c_str(), resolved) ? std::string(resolved) : std::string();
}

bool RemoveFile(const std::string& path) { return unlink(path.c_str()) == 0 || errno == ENOENT; }

bool RemoveEmptyFolder(const std::string& path) { return rmdir(path.c_str()) == 0; }

bool SyncPath(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = fsync(fd) == 0;
    close(fd);
    return ok;
}

}  // namespace engine
}  // namespace varo
