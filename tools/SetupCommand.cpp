// varo setup: records where the suite is installed (the registry value
// ROOTDIR), so that every application's kit loads the engine found there and
// keeps its data under it; or the database server every application's
// engine keeps its databases on (the value SERVER).
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

#include "Commands.h"
#include "Registry.h"
#include "Results.h"
#include "SuiteSettings.h"
#include "Text.h"

namespace varo {
namespace tool {
namespace {

const char kEngineFileName[] = "VARO.ocx";

// The folder as an absolute path ending in its separator; false when it
// does not exist.
bool AbsoluteFolder(const std::string& folder, std::string* out) {
    char resolved[PATH_MAX];
    if (!realpath(folder.c_str(), resolved)) return false;
    *out = resolved;
    if (out->empty() || out->back() != '/') *out += '/';
    return true;
}

bool FileExists(const std::string& path) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file) std::fclose(file);
    return file != nullptr;
}

// Writes the text value `name` of the suite's key; an empty text removes it.
LONG WriteSuiteText(const char* name, const CString& text) {
    HKEY key = nullptr;
    LONG status = RegCreateKeyEx(HKEY_CURRENT_USER, kSuiteKey, &key);
    if (status != ERROR_SUCCESS) return status;
    const std::string& bytes = text.Bytes();
    if (bytes.empty()) {
        status = RegDeleteValue(key, name);
        if (status == ERROR_FILE_NOT_FOUND) status = ERROR_SUCCESS;
    } else {
        status = RegSetValueEx(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(bytes.c_str()),
                               static_cast<DWORD>(bytes.size() + 1));
    }
    RegCloseKey(key);
    return status;
}

// The engine installed with this varo (its place relative to the program's
// folder is fixed at install), else the engine of the build it came from.
std::string DefaultEngineFolder() {
    char program[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", program, sizeof program - 1);
    if (length > 0) {
        std::string folder(program, static_cast<size_t>(length));
        folder = folder.substr(0, folder.rfind('/') + 1) + VARO_ENGINE_FROM_TOOL;
        if (FileExists(folder + "/" + kEngineFileName)) return folder;
    }
    return VARO_ENGINE_FOLDER;
}

// The server's connection string is never printed: it may hold a password.
int SetupServer(const std::string& server) {
    CString text;
    if (!FromUtf8(server, &text)) return ReportFailure("the server's connection string is not UTF-8 text");
    if (static_cast<size_t>(text.GetLength()) + 1 > kMaxPathBytes) {
        return ReportFailure("the server's connection string is too long (at most " +
                             std::to_string(kMaxPathBytes - 1) + " bytes)");
    }
    const LONG status = WriteSuiteText(kServerValue, text);
    if (status != ERROR_SUCCESS) {
        return ReportFailure("cannot write SERVER to the registry (error " + std::to_string(status) + ")");
    }
    if (server.empty()) {
        std::printf("removed SERVER under HKEY_CURRENT_USER\\%s: databases are kept in files\n", kSuiteKey);
    } else {
        std::printf("wrote SERVER under HKEY_CURRENT_USER\\%s: databases are kept on that server\n", kSuiteKey);
    }
    if (std::getenv("VARO_SERVER")) std::printf("VARO_SERVER is set in this environment and comes first\n");
    return kExitOk;
}

// FOLDER defaults to the folder of the engine installed or built with varo.
int SetupRootDir(const Invocation& call) {
    const std::string given = call.args.empty() ? DefaultEngineFolder() : call.args[0];
    std::string folder;
    if (!AbsoluteFolder(given, &folder)) return ReportFailure("no such folder: " + given);
    if (!FileExists(folder + kEngineFileName)) {
        return ReportFailure(std::string("no engine ") + kEngineFileName + " in " + folder);
    }
    CString sjis;
    if (!FromUtf8(folder, &sjis)) return ReportFailure("the folder's name has no Shift-JIS form: " + folder);
    if (static_cast<size_t>(sjis.GetLength()) + sizeof kEngineFileName > kMaxPathBytes) {
        return ReportFailure("the folder's path is too long for the suite (at most " +
                             std::to_string(kMaxPathBytes - sizeof kEngineFileName) + " bytes): " + folder);
    }
    const LONG status = WriteSuiteText(kRootDirValue, sjis);
    if (status != ERROR_SUCCESS) {
        return ReportFailure("cannot write ROOTDIR to the registry (error " + std::to_string(status) + ")");
    }
    std::printf("wrote ROOTDIR=\"%s\" under HKEY_CURRENT_USER\\%s\n", folder.c_str(), kSuiteKey);
    std::printf("engine: %s%s\n", folder.c_str(), kEngineFileName);
    const char* dataDir = std::getenv("VARO_DATA_DIR");
    if (dataDir && *dataDir) {
        std::printf("data folder: %s (VARO_DATA_DIR, which comes first)\n", dataDir);
    } else {
        std::printf("data folder: %sdata/\n", folder.c_str());
    }
    return kExitOk;
}

}  // namespace

int RunSetup(const Invocation& call) {
    const std::string* server = call.Value("server");
    if (!server) return SetupRootDir(call);
    const int code = SetupServer(*server);
    return code == kExitOk && !call.args.empty() ? SetupRootDir(call) : code;
}

}  // namespace tool
}  // namespace varo
