// CVAROObj::IsFileExist: whether the file a memo or file-link tip names lies
// in the documents folder of its database or in a folder below it.
#include <sys/stat.h>

#include <string>

#include "CodePage.h"
#include "EngineHost.h"
#include "EngineOperations.h"
#include "VAROObj.h"

namespace {

const long kDocumentsFolder = 2;

bool IsSeparator(unsigned char c) { return c == '/' || c == '\\'; }

// The stored name as a path inside the documents folder, '/' between its
// components; false for a name that would reach outside it or name the
// folder itself. Stored names may use either separator, and a separator
// byte that is the trail byte of a two-byte character is part of that
// character. Refused: a leading separator or drive ("C:"), a ".."
// component, a NUL, and a name with no component but "." ones.
bool PathInsideFolder(const CString& name, std::string* relative) {
    const std::string& bytes = name.Bytes();
    if (bytes.empty() || IsSeparator(static_cast<unsigned char>(bytes[0]))) return false;
    if (bytes.size() >= 2 && bytes[1] == ':') return false;
    std::string component;
    bool namesSomething = false;
    for (size_t i = 0; i <= bytes.size(); ++i) {
        const unsigned char c = i < bytes.size() ? static_cast<unsigned char>(bytes[i]) : '/';
        if (c == '\0') return false;
        if (IsDBCSLeadByte(c) && i + 1 < bytes.size()) {
            component += bytes.substr(i++, 2);
            continue;
        }
        if (!IsSeparator(c)) {
            component += static_cast<char>(c);
            continue;
        }
        if (component == "..") return false;
        if (!component.empty() && component != ".") {
            if (namesSomething) *relative += '/';
            *relative += component;
            namesSomething = true;
        }
        component.clear();
    }
    return namesSomething;
}

}  // namespace

int CVAROObj::IsFileExist(long db) {
    CString name;
    std::string relative;
    if (GetFilename(name) != 1 || !PathInsideFolder(name, &relative)) return 0;
    CString folder;
    if (m_engine->Call(varo::kOpGetDBLocation, {ArgI4(db), ArgI4(kDocumentsFolder), ArgTextOut(&folder)}) != 1) {
        return 0;
    }
    std::string path;
    if (!Cp932ToUtf8(folder.Bytes() + "/" + relative, &path)) return 0;
    struct stat status;
    return ::stat(path.c_str(), &status) == 0 ? 1 : 0;
}
