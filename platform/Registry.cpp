#include "Registry.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "CodePage.h"
#include "PrivateFiles.h"
#include "RegistryFile.h"

// Only the address of the one standing for HKEY_CURRENT_USER is used: open
// keys are numbered handles into the table below, never dereferenced.
struct RegistryKey {};

namespace {
RegistryKey g_currentUserKey;
}  // namespace

// The address of a static object: constant-initialised, so usable from
// other files' static constructors.
const HKEY HKEY_CURRENT_USER = &g_currentUserKey;

namespace {

const char kRootPath[] = "HKEY_CURRENT_USER";
// Far above any real registry; a larger file is refused rather than read.
const size_t kMaxFileBytes = 16u << 20;

struct OpenKey {
    std::string path;  // in the file's form: HKEY_CURRENT_USER\Software\...
    DWORD access = 0;
};

// The keys open in this process. Handle numbers only grow, so a closed
// handle never comes back to life as another key.
class OpenKeyTable {
public:
    HKEY Add(const OpenKey& key) {
        std::lock_guard<std::mutex> hold(m_mutex);
        uintptr_t number = m_next++;
        if (number == reinterpret_cast<uintptr_t>(HKEY_CURRENT_USER)) number = m_next++;
        m_keys[number] = key;
        return reinterpret_cast<HKEY>(number);
    }

    bool Find(HKEY handle, OpenKey* key) {
        if (handle == HKEY_CURRENT_USER) {
            key->path = kRootPath;
            key->access = KEY_ALL_ACCESS;
            return true;
        }
        std::lock_guard<std::mutex> hold(m_mutex);
        auto it = m_keys.find(reinterpret_cast<uintptr_t>(handle));
        if (it == m_keys.end()) return false;
        *key = it->second;
        return true;
    }

    bool Remove(HKEY handle) {
        std::lock_guard<std::mutex> hold(m_mutex);
        return m_keys.erase(reinterpret_cast<uintptr_t>(handle)) == 1;
    }

private:
    std::mutex m_mutex;
    uintptr_t m_next = 1;
    std::unordered_map<uintptr_t, OpenKey> m_keys;
};

// Never destroyed, so that keys may still be closed from static destructors.
OpenKeyTable& OpenKeys() {
    static OpenKeyTable* table = new OpenKeyTable;
    return *table;
}

struct RegistryPaths {
    std::string folder;
    std::string file;
    std::string lock;
};

bool FindRegistryPaths(RegistryPaths* paths) {
    std::string config;
    if (!UserConfigHome(&config)) return false;
    paths->folder = config + "/varokit";
    paths->file = paths->folder + "/registry";
    paths->lock = paths->folder + "/registry.lock";
    return true;
}

LONG LoadDocument(const std::string& file, RegistryDocument* document) {
    std::string text;
    switch (ReadWholeFile(file, kMaxFileBytes, &text)) {
    case FileRead::kRead:
        *document = RegistryDocument::Parse(text);
        return ERROR_SUCCESS;
    case FileRead::kMissing:
        *document = RegistryDocument();
        return ERROR_SUCCESS;
    case FileRead::kFailed:
        break;
    }
    return ERROR_ACCESS_DENIED;
}

LONG ReadRegistry(RegistryDocument* document) {
    RegistryPaths paths;
    if (!FindRegistryPaths(&paths)) return ERROR_ACCESS_DENIED;
    return LoadDocument(paths.file, document);
}

// Makes sure the folder's entry for a renamed file reaches the disk.
void SyncFolder(const std::string& folder) {
    FileDescriptor fd(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.IsOpen()) fsync(fd.Get());
}

// Writes `text` to a temporary file in the folder and renames it over the
// registry file; on failure the old file stays and the temporary is removed.
bool ReplaceFile(const RegistryPaths& paths, const std::string& text) {
    const std::string pattern = paths.folder + "/.registry.XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    FileDescriptor fd(mkostemp(name.data(), O_CLOEXEC));
    if (!fd.IsOpen()) return false;
    bool written = fchmod(fd.Get(), 0600) == 0 && WriteAt(fd.Get(), text.data(), text.size(), 0) &&
                   fsync(fd.Get()) == 0;
    written = fd.Close() && written;
    if (!written || rename(name.data(), paths.file.c_str()) != 0) {
        unlink(name.data());
        return false;
    }
    SyncFolder(paths.folder);
    return true;
}

// Runs `edit` on the file's current content while holding the writers' lock
// and saves the result when `edit` succeeded and reported a change.
typedef std::function<LONG(RegistryDocument*, bool* changed)> RegistryEdit;

LONG EditRegistry(const RegistryEdit& edit) {
    RegistryPaths paths;
    if (!FindRegistryPaths(&paths) || !MakePrivateFolders(paths.folder)) return ERROR_ACCESS_DENIED;
    FileDescriptor lockFile(open(paths.lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    ExclusiveFileLock lock(lockFile.Get());
    if (!lock.IsHeld()) return ERROR_ACCESS_DENIED;

    RegistryDocument document;
    LONG result = LoadDocument(paths.file, &document);
    if (result != ERROR_SUCCESS) return result;
    bool changed = false;
    result = edit(&document, &changed);
    if (result != ERROR_SUCCESS || !changed) return result;
    return ReplaceFile(paths, document.Format()) ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

bool HasControlCharacter(const std::string& text) {
    for (unsigned char c : text) {
        if (c < 0x20 || c == 0x7F) return true;
    }
    return false;
}

// The file form of the key `subKey` below `parentPath`. A trailing
// separator names the same key; empty parts are refused.
LONG ChildPath(const std::string& parentPath, LPCSTR subKey, std::string* path) {
    if (!subKey || !*subKey) {
        *path = parentPath;
        return ERROR_SUCCESS;
    }
    std::string relative;
    if (!Cp932ToUtf8(subKey, &relative) || HasControlCharacter(relative)) return ERROR_INVALID_PARAMETER;
    if (relative.back() == '\\') relative.pop_back();
    size_t start = 0;
    for (;;) {
        const size_t end = relative.find('\\', start);
        if (end == start || start == relative.size()) return ERROR_INVALID_PARAMETER;
        if (end == std::string::npos) break;
        start = end + 1;
    }
    *path = parentPath + "\\" + relative;
    return ERROR_SUCCESS;
}

LONG ValueName(LPCSTR name, std::string* utf8) {
    if (!name || !*name) {
        utf8->clear();
        return ERROR_SUCCESS;
    }
    if (!Cp932ToUtf8(name, utf8) || !IsStorableRegistryText(*utf8)) return ERROR_INVALID_PARAMETER;
    return ERROR_SUCCESS;
}

void PutLittleEndian(DWORD number, std::string* bytes) {
    for (int shift = 0; shift < 32; shift += 8) bytes->push_back(static_cast<char>((number >> shift) & 0xFF));
}

DWORD GetLittleEndian(const BYTE* bytes) {
    return static_cast<DWORD>(bytes[0]) | static_cast<DWORD>(bytes[1]) << 8 | static_cast<DWORD>(bytes[2]) << 16 |
           static_cast<DWORD>(bytes[3]) << 24;
}

// The bytes a query hands out for a stored value.
LONG ValueData(const RegistryValue& value, std::string* bytes) {
    if (value.type == REG_DWORD) {
        PutLittleEndian(value.number, bytes);
        return ERROR_SUCCESS;
    }
    if (!Utf8ToCp932(value.text, bytes)) return ERROR_INVALID_DATA;
    bytes->push_back('\0');
    return ERROR_SUCCESS;
}

// The value a caller's bytes describe, in the file's form.
LONG DecodeData(DWORD type, const BYTE* data, DWORD size, RegistryValue* value) {
    if (!data && size != 0) return ERROR_INVALID_PARAMETER;
    value->type = type;
    if (type == REG_DWORD) {
        if (size != 4) return ERROR_INVALID_PARAMETER;
        value->number = GetLittleEndian(data);
        return ERROR_SUCCESS;
    }
    if (type != REG_SZ) return ERROR_INVALID_PARAMETER;
    const char* text = reinterpret_cast<const char*>(data);
    const size_t length = size == 0 ? 0 : strnlen(text, size);
    if (!Cp932ToUtf8(std::string(text ? text : "", length), &value->text)) return ERROR_INVALID_PARAMETER;
    return IsStorableRegistryText(value->text) ? ERROR_SUCCESS : ERROR_INVALID_PARAMETER;
}

// Hands `bytes` to a query's caller with the original platform's rules.
LONG CopyOut(const std::string& bytes, BYTE* data, DWORD* dataSize) {
    const DWORD needed = static_cast<DWORD>(bytes.size());
    if (!data) {
        if (dataSize) *dataSize = needed;
        return ERROR_SUCCESS;
    }
    const DWORD room = *dataSize;
    *dataSize = needed;
    if (room < needed) return ERROR_MORE_DATA;
    std::memcpy(data, bytes.data(), bytes.size());
    return ERROR_SUCCESS;
}

// The path of the key `subKey` below the open key `parent`, checking that
// `parent` has the access `needed`.
LONG ResolveChild(HKEY parent, LPCSTR subKey, DWORD needed, std::string* path) {
    OpenKey parentKey;
    if (!OpenKeys().Find(parent, &parentKey)) return ERROR_INVALID_HANDLE;
    if ((parentKey.access & needed) != needed) return ERROR_ACCESS_DENIED;
    return ChildPath(parentKey.path, subKey, path);
}

// The open key `handle`, checking that it has the access `needed`.
LONG ResolveKey(HKEY handle, DWORD needed, OpenKey* key) {
    if (!OpenKeys().Find(handle, key)) return ERROR_INVALID_HANDLE;
    return (key->access & needed) == needed ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

bool KeyExists(const RegistryDocument& document, const std::string& path) {
    return path == kRootPath || document.HasKey(path);
}

}  // namespace

LONG RegOpenKeyEx(HKEY parent, LPCSTR subKey, DWORD /*options*/, DWORD samDesired, HKEY* result) {
    if (!result) return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    OpenKey key;
    key.access = samDesired;
    LONG status = ResolveChild(parent, subKey, 0, &key.path);
    if (status != ERROR_SUCCESS) return status;
    RegistryDocument document;
    status = ReadRegistry(&document);
    if (status != ERROR_SUCCESS) return status;
    if (!KeyExists(document, key.path)) return ERROR_FILE_NOT_FOUND;
    *result = OpenKeys().Add(key);
    return ERROR_SUCCESS;
}

LONG RegCreateKeyEx(HKEY parent, LPCSTR subKey, HKEY* result) {
    if (!result) return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    OpenKey key;
    key.access = KEY_ALL_ACCESS;
    LONG status = ResolveChild(parent, subKey, KEY_CREATE_SUB_KEY, &key.path);
    if (status != ERROR_SUCCESS) return status;
    status = EditRegistry([&key](RegistryDocument* document, bool* changed) {
        *changed = !KeyExists(*document, key.path) && document->AddKey(key.path);
        return ERROR_SUCCESS;
    });
    if (status != ERROR_SUCCESS) return status;
    *result = OpenKeys().Add(key);
    return ERROR_SUCCESS;
}

LONG RegQueryValueEx(HKEY handle, LPCSTR name, DWORD* reserved, DWORD* type, BYTE* data, DWORD* dataSize) {
    OpenKey key;
    LONG status = ResolveKey(handle, KEY_QUERY_VALUE, &key);
    if (status != ERROR_SUCCESS) return status;
    std::string valueName;
    if (reserved || (data && !dataSize) || ValueName(name, &valueName) != ERROR_SUCCESS) {
        return ERROR_INVALID_PARAMETER;
    }
    RegistryDocument document;
    status = ReadRegistry(&document);
    if (status != ERROR_SUCCESS) return status;
    const RegistryValue* value = document.FindValue(key.path, valueName);
    if (!value) return ERROR_FILE_NOT_FOUND;
    std::string bytes;
    status = ValueData(*value, &bytes);
    if (status != ERROR_SUCCESS) return status;
    if (type) *type = value->type;
    return CopyOut(bytes, data, dataSize);
}

LONG RegSetValueEx(HKEY handle, LPCSTR name, DWORD /*reserved*/, DWORD type, const BYTE* data, DWORD size) {
    OpenKey key;
    LONG status = ResolveKey(handle, KEY_SET_VALUE, &key);
    if (status != ERROR_SUCCESS) return status;
    RegistryValue value;
    status = ValueName(name, &value.name);
    if (status == ERROR_SUCCESS) status = DecodeData(type, data, size, &value);
    if (status != ERROR_SUCCESS) return status;
    return EditRegistry([&key, &value](RegistryDocument* document, bool* changed) {
        document->SetValue(key.path, value);
        *changed = true;
        return ERROR_SUCCESS;
    });
}

LONG RegDeleteValue(HKEY handle, LPCSTR name) {
    OpenKey key;
    LONG status = ResolveKey(handle, KEY_SET_VALUE, &key);
    if (status != ERROR_SUCCESS) return status;
    std::string valueName;
    status = ValueName(name, &valueName);
    if (status != ERROR_SUCCESS) return status;
    return EditRegistry([&key, &valueName](RegistryDocument* document, bool* changed) {
        *changed = document->DeleteValue(key.path, valueName);
        return *changed ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    });
}

LONG RegCloseKey(HKEY handle) {
    if (handle == HKEY_CURRENT_USER) return ERROR_SUCCESS;
    return OpenKeys().Remove(handle) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}
