#include "EngineFixture.h"

#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <vector>

#include "VaroEngine.h"

namespace fuzz {
namespace {

int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) { return remove(path); }

void RemoveTree(const std::string& path) { nftw(path.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS); }

std::string MakeDataFolder() {
    const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    std::string pattern = std::string(base) + "/varo-fuzz-XXXXXX";
    if (!mkdtemp(&pattern[0])) {
        std::perror("mkdtemp");
        std::abort();
    }
    const std::string folder = pattern + "/";
    setenv("VARO_DATA_DIR", folder.c_str(), 1);
    return folder;
}

// Never destroyed, so that engines held in statics can still remove their
// hooks while the process exits.
std::map<int, std::pair<void (*)(void*), void*>>& Hooks() {
    static auto* hooks = new std::map<int, std::pair<void (*)(void*), void*>>;
    return *hooks;
}

int PostMessage(void* window, uint32_t, uintptr_t, intptr_t) { return window ? 1 : 0; }

uint32_t RegisterMessage(const char* name) {
    static std::map<std::string, uint32_t> numbers;
    return numbers.emplace(name, 0xC000 + static_cast<uint32_t>(numbers.size())).first->second;
}

int AddPumpHook(void (*hook)(void*), void* context) {
    static int next = 1;
    Hooks()[next] = std::make_pair(hook, context);
    return next++;
}

void RemovePumpHook(int id) { Hooks().erase(id); }

uint32_t QueryRootDir(char*, uint32_t) { return 0; }

const varo::HostServices kHost = {PostMessage, RegisterMessage, AddPumpHook, RemovePumpHook, QueryRootDir};

}  // namespace

const std::string& DataFolder() {
    static const std::string folder = MakeDataFolder();
    // Registered once the folder's name is made, so that it runs before the
    // name is destroyed.
    static const bool removedAtExit = (std::atexit([] { RemoveTree(DataFolder()); }), true);
    (void)removedAtExit;
    return folder;
}

void EmptyDataFolder() {
    RemoveTree(DataFolder());
    mkdir(DataFolder().c_str(), 0700);
}

std::unique_ptr<varo::Engine> NewEngine() {
    DataFolder();
    return std::unique_ptr<varo::Engine>(new varo::engine::VaroEngine(&kHost));
}

void Pump() {
    const auto hooks = Hooks();
    for (const auto& hook : hooks) hook.second.first(hook.second.second);
}

int32_t Call(varo::Engine& engine, int op, std::initializer_list<varo::EngineArg> args) {
    return engine.Invoke(op, args.begin(), static_cast<int>(args.size()));
}

int32_t CallForText(varo::Engine& engine, int op, std::initializer_list<varo::EngineArg> before) {
    char16_t* text = nullptr;
    std::vector<varo::EngineArg> args(before);
    args.push_back(TextOut(&text));
    const int32_t code = engine.Invoke(op, args.data(), static_cast<int>(args.size()));
    if (text) engine.FreeText(text);
    return code;
}

}  // namespace fuzz
