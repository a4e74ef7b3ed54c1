#include "EngineLocation.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>

namespace varo {
namespace {

std::string ResolvedPath(const char* path) {
    char resolved[PATH_MAX];
    return path && *path && realpath(path, resolved) ? std::string(resolved) : std::string();
}

std::string FolderOf(const std::string& file) {
    const size_t slash = file.rfind('/');
    return slash == std::string::npos ? std::string(".") : file.substr(0, slash);
}

bool IsInside(const std::string& file, const std::string& folder) {
    return !folder.empty() && file.size() > folder.size() && file.compare(0, folder.size(), folder) == 0 &&
           file[folder.size()] == '/';
}

}  // namespace

std::string EngineFileBesideKit(const std::string& kitFile) {
    const std::string beside = FolderOf(kitFile) + "/" VARO_ENGINE_BESIDE_KIT;
    if (access(beside.c_str(), F_OK) == 0) return beside;
    if (IsInside(kitFile, ResolvedPath(VARO_BUILD_TREE))) return VARO_ENGINE_BUILD_PATH;
    return beside;
}

std::string KitFile() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&KitFile), &info) != 0) {
        const std::string file = ResolvedPath(info.dli_fname);
        if (!file.empty()) return file;
    }
    // The main program's own name as dladdr gives it may be relative to a
    // folder since left; the kit is then linked into that program.
    return ResolvedPath("/proc/self/exe");
}

}  // namespace varo
