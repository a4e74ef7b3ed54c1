// CVAROObj::IsFileExist: whether the file a memo or file-link tip names lies
// in the documents folder of its database.
#include <sys/stat.h>

#include <string>

#include "CodePage.h"
#include "EngineHost.h"
#include "EngineOperations.h"
#include "VAROObj.h"

namespace {

const long kDocumentsFolder = 2;

// A file name that would reach outside the documents folder: one holding a
// path separator (as a character, not as the trail byte of a two-byte
// character), or naming the folder itself or its parent.
bool LeavesFolder(const CString& name) {
    if (name == "." || name == "..") return true;
    const std::string& bytes = name.Bytes();
    for (size_t i = 0; i < bytes.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (IsDBCSLeadByte(c)) {
            ++i;
            continue;
        }
        if (c == '/' || c == '\\' || c == '\0') return true;
    }
    return false;
}

}  // namespace

int CVAROObj::IsFileExist(long db) {
    CString name;
    if (GetFilename(name) != 1 || LeavesFolder(name)) return 0;
    CString folder;
    if (m_engine->Call(varo::kOpGetDBLocation, {ArgI4(db), ArgI4(kDocumentsFolder), ArgTextOut(&folder)}) != 1) {
        return 0;
    }
    std::string path;
    if (!Cp932ToUtf8((folder + "/" + name).Bytes(), &path)) return 0;
    struct stat status;
    return ::stat(path.c_str(), &status) == 0 ? 1 : 0;
}
