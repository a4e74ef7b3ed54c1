// Operations on the list of known databases: ids, names, colours, the
// default database, locations, and registering an existing file.
#include "DatabaseFile.h"
#include "EngineArgs.h"
#include "EngineCodes.h"
#include "Files.h"
#include "VaroEngine.h"

namespace varo {
namespace engine {
namespace {

const int32_t kLocationFile = 1;
const int32_t kLocationDocuments = 2;

int32_t AsBool(int32_t code) { return code == kEngineOk ? 1 : 0; }

}  // namespace

// Like GetTipList: no buffer gives the count, a buffer takes at most the
// count handed in.
int32_t VaroEngine::GetAllDBID(const EngineArg* a) {
    int32_t* ids = static_cast<int32_t*>(a[0].buffer);
    int32_t* count = a[1].i4Out;
    if (!count || (ids && *count < 0) || EnsureCatalog() != kEngineOk) return 0;
    std::vector<int32_t> known;
    if (m_catalog.List(&known) != kEngineOk) return 0;
    if (!ids) {
        *count = static_cast<int32_t>(known.size());
        return 1;
    }
    const size_t written = std::min(known.size(), static_cast<size_t>(*count));
    std::copy(known.begin(), known.begin() + static_cast<long>(written), ids);
    if (written < static_cast<size_t>(*count)) ids[written] = 0;
    *count = static_cast<int32_t>(written);
    return 1;
}

int32_t VaroEngine::SetDBName(const EngineArg* a) {
    std::string name;
    if (!TextArg(a[1], kMaxNameUnits, &name) || EnsureCatalog() != kEngineOk) return 0;
    return AsBool(m_catalog.SetName(a[0].i4, name));
}

int32_t VaroEngine::GetDBName(const EngineArg* a) {
    KnownDatabase known;
    if (EnsureCatalog() != kEngineOk || m_catalog.Find(a[0].i4, &known) != kEngineOk) return 0;
    return AsBool(TextOut(a[1], known.name));
}

int32_t VaroEngine::SetDefaultDBID(const EngineArg* a) {
    return EnsureCatalog() == kEngineOk ? AsBool(m_catalog.SetDefault(a[0].i4)) : 0;
}

int32_t VaroEngine::GetDefaultDBID(const EngineArg* a) {
    if (!a[0].i4Out) return 0;
    int32_t id = 0;
    const int32_t code = EnsureCatalog() == kEngineOk ? m_catalog.GetDefault(&id) : kEngineStorageError;
    *a[0].i4Out = code == kEngineOk ? id : 0;
    return AsBool(code);
}

int32_t VaroEngine::SetDBColor(const EngineArg* a) {
    if (EnsureCatalog() != kEngineOk) return 0;
    return AsBool(m_catalog.SetColour(a[0].i4, static_cast<uint32_t>(a[1].i4)));
}

int32_t VaroEngine::GetDBColor(const EngineArg* a) {
    KnownDatabase known;
    if (!a[1].i4Out || EnsureCatalog() != kEngineOk || m_catalog.Find(a[0].i4, &known) != kEngineOk) return 0;
    *a[1].i4Out = static_cast<int32_t>(known.colour);
    return 1;
}

// Selector 1: the database file's full path (its last 18 characters are the
// file name); 2: the folder of the documents its tips name, without a final
// separator. A database on a server answers with the file name in its
// folder of this machine, so that the folder callers derive from it is the
// one that holds its documents.
int32_t VaroEngine::GetDBLocation(const EngineArg* a) {
    KnownDatabase known;
    if (EnsureCatalog() != kEngineOk || m_catalog.Find(a[0].i4, &known) != kEngineOk) return 0;
    if (a[1].i4 == kLocationFile) return AsBool(TextOut(a[2], LocalPathOf(known)));
    if (a[1].i4 == kLocationDocuments) return AsBool(TextOut(a[2], DocumentsOf(known)));
    return 0;
}

// Registers a database file of this engine by its path; a file already
// listed keeps its id. Only the engine's own 18-character file names are
// taken, so that every listed location ends in one.
int32_t VaroEngine::SetDBID(const EngineArg* a) {
    std::string given;
    if (OnServer() || !a[1].i4Out || !TextArg(a[0], kMaxPathUnits, &given) || EnsureCatalog() != kEngineOk) return 0;
    const std::string path = CanonicalPath(given);
    std::string name;
    if (path.empty() || BaseNameOf(path).size() != static_cast<size_t>(kDatabaseFileNameLength) ||
        DatabaseFile::Identify(path, &name) != kEngineOk) {
        return 0;
    }
    int32_t id = 0;
    if (m_catalog.FindByPath(path, &id) == kEngineOk) {
        *a[1].i4Out = id;
        return 1;
    }
    KnownDatabase known;
    if (m_catalog.AllocateDatabaseId(&known.id) != kEngineOk) return 0;
    known.name = name;
    known.path = path;
    if (m_catalog.Register(known) != kEngineOk) return 0;
    *a[1].i4Out = known.id;
    return 1;
}

}  // namespace engine
}  // namespace varo
