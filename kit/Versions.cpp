// CVAROObj: version information of the engine, its file, the databases and
// the kit itself.
#include "ElfVersionNote.h"
#include "CodePage.h"
#include "EngineHost.h"
#include "EngineOperations.h"
#include "RootDir.h"
#include "VAROObj.h"

using namespace varo;

namespace {

const size_t kVersionBlockBytes = 148;

enum VersionKind : DWORD {
    kEngineFileVersion = 27,
    kKitVersion = 28,
    kEngineVersion = 31,
    kDatabaseVersion = 32,
};

const DWORD kKitMajor = 3, kKitMinor = 0, kKitThird = 0, kKitFourth = 39;

_VERSIONINF MakeVersion(DWORD kind, DWORD major, DWORD minor, DWORD third, DWORD fourth) {
    _VERSIONINF v;
    v.dwKind = kind;
    v.dwMajor = major;
    v.dwMinor = minor;
    v.dwThird = third;
    v.dwFourth = fourth;
    return v;
}

DWORD WordAt(const unsigned char* block, int index) {
    const unsigned char* p = block + 4 * index;
    return DWORD{p[0]} | DWORD{p[1]} << 8 | DWORD{p[2]} << 16 | DWORD{p[3]} << 24;
}

// Runs a version query into a fresh zero-filled block; on success `v` takes
// the block's major and minor (words 1 and 2) under `kind`.
template <class Query>
long QueryVersionBlock(DWORD kind, _VERSIONINF& v, Query query) {
    HGLOBAL block = GlobalAlloc(GHND, kVersionBlockBytes);
    if (!block) return VARO_ERR_NO_MEMORY;
    unsigned char* bytes = static_cast<unsigned char*>(GlobalLock(block));
    const long code = query(bytes);
    if (code == 0) v = MakeVersion(kind, WordAt(bytes, 1), WordAt(bytes, 2), 0, 0);
    GlobalUnlock(block);
    GlobalFree(block);
    return code == 0 ? 0 : VARO_ERR_VERSION;
}

}  // namespace

long CVAROObj::GetDllVersionInfo(_VERSIONINF& v) {
    return QueryVersionBlock(kEngineVersion, v, [this](unsigned char* block) -> long {
        return m_engine->Call(kOpGetDllVersionInfo, {ArgBuffer(block)});
    });
}

long CVAROObj::GetDBVersionInfo(_VERSIONINF& v, long db) {
    return QueryVersionBlock(kDatabaseVersion, v, [this, db](unsigned char* block) -> long {
        return m_engine->Call(kOpGetDBVersionInfo, {ArgI4(db), ArgBuffer(block)});
    });
}

long CVAROObj::GetVAROVersionInfo(_VERSIONINF& v) {
    v = MakeVersion(kEngineFileVersion, 0, 0, 0, 0);
    CString engineFile;
    std::string path;
    FileVersion version;
    if (EngineFileFromRootDir(&engineFile) != RootDirRead::kRead || !Cp932ToUtf8(engineFile.Bytes(), &path) ||
        !ReadElfVersionNote(path, &version)) {
        return VARO_ERR_NO_MEMORY;
    }
    v = MakeVersion(kEngineFileVersion, version.part[0], version.part[1], version.part[2], version.part[3]);
    return 0;
}

long CVAROObj::GetVAROKITVersionInfo(_VERSIONINF& v) {
    v = MakeVersion(kKitVersion, kKitMajor, kKitMinor, kKitThird, kKitFourth);
    return 0;
}
