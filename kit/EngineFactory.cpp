#include "EngineFactory.h"

#include <dlfcn.h>

#include <map>
#include <string>

#include "CodePage.h"
#include "EngineLocation.h"
#include "RootDir.h"
#include "Window.h"
#include "WindowMessages.h"

namespace varo {
namespace {

// Loads engine files and keeps each loaded for the life of the process, so
// that no engine code is unloaded while an instance or a notice may still be
// in use.
class LibraryEngineFactory : public EngineFactory {
public:
    Engine* Create(const HostServices* host) override {
        const Library* library = Load(EnginePath());
        if (!library) return nullptr;
        Engine* engine = library->create(host);
        if (engine) m_owners[engine] = library;
        return engine;
    }

    void Destroy(Engine* engine) override {
        const auto found = m_owners.find(engine);
        if (found == m_owners.end()) return;
        found->second->destroy(engine);
        m_owners.erase(found);
    }

private:
    struct Library {
        VaroEngineCreateFn create;
        VaroEngineDestroyFn destroy;
    };

    // ROOTDIR + VARO.ocx when ROOTDIR is set, the engine beside the kit when
    // it is not; empty (no engine) when it is set but cannot be used.
    static std::string EnginePath() {
        CString fromRegistry;
        std::string path;
        switch (EngineFileFromRootDir(&fromRegistry)) {
        case RootDirRead::kMissing:
            return EngineFileBesideKit(KitFile());
        case RootDirRead::kRead:
            return Cp932ToUtf8(fromRegistry.Bytes(), &path) ? path : std::string();
        case RootDirRead::kUnreadable:
            break;
        }
        return std::string();
    }

    const Library* Load(const std::string& path) {
        if (path.empty()) return nullptr;
        const auto found = m_libraries.find(path);
        if (found != m_libraries.end()) return &found->second;
        void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle) return nullptr;
        Library library;
        library.create = reinterpret_cast<VaroEngineCreateFn>(dlsym(handle, VARO_ENGINE_CREATE_SYMBOL));
        library.destroy = reinterpret_cast<VaroEngineDestroyFn>(dlsym(handle, VARO_ENGINE_DESTROY_SYMBOL));
        if (!library.create || !library.destroy) {
            dlclose(handle);
            return nullptr;
        }
        return &m_libraries.emplace(path, library).first->second;
    }

    std::map<std::string, Library> m_libraries;
    std::map<Engine*, const Library*> m_owners;  // which library made each engine
};

LibraryEngineFactory& DefaultFactory() {
    static LibraryEngineFactory factory;
    return factory;
}

EngineFactory* g_factory = nullptr;

int PostToWindow(void* window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    return PostMessage(static_cast<HWND>(window), message, wParam, lParam);
}

uint32_t RegisterMessage(const char* name) { return RegisterWindowMessage(name); }

uint32_t QueryRootDir(char* out, uint32_t size) {
    CString rootDir;
    std::string utf8;
    if (!out || ReadRootDir(&rootDir) != RootDirRead::kRead || !Cp932ToUtf8(rootDir.Bytes(), &utf8)) return 0;
    if (utf8.size() + 1 > size) return 0;
    utf8.copy(out, utf8.size());
    out[utf8.size()] = '\0';
    return static_cast<uint32_t>(utf8.size());
}

const HostServices kHostServices = {PostToWindow, RegisterMessage, AddPumpHook, RemovePumpHook,
                                    QueryRootDir};

}  // namespace

void SetEngineFactory(EngineFactory* factory) { g_factory = factory; }

EngineFactory& CurrentEngineFactory() { return g_factory ? *g_factory : DefaultFactory(); }

const HostServices* KitHostServices() { return &kHostServices; }

}  // namespace varo
