#include "RootDir.h"

#include "EngineInterface.h"
#include "Registry.h"

namespace varo {
namespace {

const char kSuiteKey[] = "Software\\Orvel\\TRIXPAD";
const char kRootDirValue[] = "ROOTDIR";

}  // namespace

bool ReadRootDir(CString* out) {
    HKEY key = nullptr;
    if (RegOpenKeyEx(HKEY_CURRENT_USER, kSuiteKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    BYTE buffer[kMaxPathBytes] = {};
    DWORD size = sizeof buffer;
    DWORD type = 0;
    const LONG status = RegQueryValueEx(key, kRootDirValue, nullptr, &type, buffer, &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || type != REG_SZ || size == 0) return false;
    // The stored text carries its terminator; a value without one is cut at
    // the buffer's end, so look for it within what was read.
    size_t length = 0;
    while (length < size && buffer[length] != 0) ++length;
    if (length == size) return false;
    *out = CString(reinterpret_cast<const char*>(buffer), static_cast<int>(length));
    return true;
}

bool EngineFileFromRootDir(CString* out) {
    CString path;
    if (!ReadRootDir(&path)) return false;
    path += VARO_ENGINE_FILE_NAME;
    if (static_cast<size_t>(path.GetLength()) + 1 > kMaxPathBytes) return false;
    *out = path;
    return true;
}

}  // namespace varo
