#include "RootDir.h"

#include <stdlib.h>

#include <string>

#include "CodePage.h"
#include "EngineInterface.h"
#include "Registry.h"

namespace varo {
namespace {

const char kServerVariable[] = "VARO_SERVER";

// Reads the text value `name` of the suite's key, of at most kMaxPathBytes
// with its terminator.
RootDirRead ReadSuiteText(const char* name, CString* out) {
    HKEY key = nullptr;
    const LONG opened = RegOpenKeyEx(HKEY_CURRENT_USER, kSuiteKey, 0, KEY_READ, &key);
    if (opened == ERROR_FILE_NOT_FOUND) return RootDirRead::kMissing;
    if (opened != ERROR_SUCCESS) return RootDirRead::kUnreadable;
    BYTE buffer[kMaxPathBytes] = {};
    DWORD size = sizeof buffer;
    DWORD type = 0;
    const LONG status = RegQueryValueEx(key, name, nullptr, &type, buffer, &size);
    RegCloseKey(key);
    if (status == ERROR_FILE_NOT_FOUND) return RootDirRead::kMissing;
    if (status != ERROR_SUCCESS || type != REG_SZ || size == 0) return RootDirRead::kUnreadable;
    // The stored text carries its terminator; a value without one is cut at
    // the buffer's end, so look for it within what was read.
    size_t length = 0;
    while (length < size && buffer[length] != 0) ++length;
    if (length == size || length == 0) return RootDirRead::kUnreadable;
    *out = CString(reinterpret_cast<const char*>(buffer), static_cast<int>(length));
    return RootDirRead::kRead;
}

}  // namespace

RootDirRead ReadRootDir(CString* out) { return ReadSuiteText(kRootDirValue, out); }

void AdoptServerSetting() {
    if (getenv(kServerVariable)) return;
    CString server;
    std::string utf8;
    if (ReadSuiteText(kServerValue, &server) == RootDirRead::kRead && Cp932ToUtf8(server.Bytes(), &utf8)) {
        setenv(kServerVariable, utf8.c_str(), 0);
    }
}

RootDirRead EngineFileFromRootDir(CString* out) {
    CString path;
    const RootDirRead read = ReadRootDir(&path);
    if (read != RootDirRead::kRead) return read;
    path += VARO_ENGINE_FILE_NAME;
    if (static_cast<size_t>(path.GetLength()) + 1 > kMaxPathBytes) return RootDirRead::kUnreadable;
    *out = path;
    return RootDirRead::kRead;
}

}  // namespace varo
