// VARO.ocx as the kit loads it: only the two entry points are visible, an
// engine made through them works, and the file carries its version note.
#include <dlfcn.h>
#include <elf.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "EngineTestSupport.h"
#include "EngineVersion.h"

namespace enginetest {
namespace {

using namespace varo;

class SharedObjectTest : public EngineTest {
protected:
    void UseLoadedEngine(const char16_t* name);
};

void SharedObjectTest::UseLoadedEngine(const char16_t* name) {
    void* library = dlopen(VARO_ENGINE_FILE, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(nullptr, library) << dlerror();
    auto create = reinterpret_cast<VaroEngineCreateFn>(dlsym(library, VARO_ENGINE_CREATE_SYMBOL));
    auto destroy = reinterpret_cast<VaroEngineDestroyFn>(dlsym(library, VARO_ENGINE_DESTROY_SYMBOL));
    ASSERT_NE(nullptr, create);
    ASSERT_NE(nullptr, destroy);
    EXPECT_EQ(nullptr, dlsym(library, "_ZN4varo13FindOperationEi"));
    EXPECT_EQ(nullptr, dlsym(library, "_ZN4varo6engine13CodeFromSqliteEi"));
    EXPECT_EQ(nullptr, create(nullptr));

    Engine* engine = create(m_host->Services());
    ASSERT_NE(nullptr, engine);
    EXPECT_EQ(2u, m_host->HookCount());  // the fixture's engine and this one
    const int32_t db = CreateDatabase(name, engine);
    EXPECT_EQ("through dlopen", Memo(db, 0, PutToDo(db, kToDo, "through dlopen", engine), engine));
    char16_t* text = nullptr;
    ASSERT_EQ(1, Call(*engine, kOpGetDBName, {I4(db), TextOut(&text)}));
    EXPECT_EQ(name, Take(*engine, text));
    destroy(engine);
    EXPECT_EQ(1u, m_host->HookCount());
    dlclose(library);
}

// The descriptor of the VARO note of type 1, found through the section
// headers; every read checked against the file's size.
bool ReadVersionNote(const std::vector<uint8_t>& file, uint32_t version[4]) {
    if (file.size() < sizeof(Elf64_Ehdr) || memcmp(file.data(), ELFMAG, SELFMAG) != 0) return false;
    Elf64_Ehdr header;
    memcpy(&header, file.data(), sizeof header);
    for (uint16_t i = 0; i < header.e_shnum; ++i) {
        const uint64_t at = header.e_shoff + static_cast<uint64_t>(i) * sizeof(Elf64_Shdr);
        if (at + sizeof(Elf64_Shdr) > file.size()) return false;
        Elf64_Shdr section;
        memcpy(&section, file.data() + at, sizeof section);
        if (section.sh_type != SHT_NOTE || section.sh_offset + section.sh_size > file.size()) continue;
        uint64_t note = section.sh_offset;
        const uint64_t end = section.sh_offset + section.sh_size;
        while (note + sizeof(Elf64_Nhdr) <= end) {
            Elf64_Nhdr n;
            memcpy(&n, file.data() + note, sizeof n);
            const uint64_t name = note + sizeof n;
            const uint64_t desc = name + ((n.n_namesz + 3) & ~3u);
            if (desc + n.n_descsz > end) break;
            if (n.n_namesz == 5 && memcmp(file.data() + name, "VARO", 5) == 0 && n.n_type == 1 && n.n_descsz == 16) {
                for (int part = 0; part < 4; ++part) version[part] = WordAt(file.data() + desc + 4 * part);
                return true;
            }
            note = desc + ((n.n_descsz + 3) & ~3u);
        }
    }
    return false;
}

TEST_F(SharedObjectTest, ExportsOnlyItsEntryPointsAndCarriesItsVersion) {
    std::ifstream in(VARO_ENGINE_FILE, std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    uint32_t version[4] = {};
    ASSERT_TRUE(ReadVersionNote(bytes, version));
    const std::vector<uint32_t> expected{VARO_ENGINE_VERSION_MAJOR, VARO_ENGINE_VERSION_MINOR, VARO_ENGINE_VERSION_THIRD,
                                         VARO_ENGINE_VERSION_FOURTH};
    EXPECT_EQ(expected, std::vector<uint32_t>(version, version + 4));

    // Loaded, used and unloaded twice, as Init and End do: nothing of the
    // first copy may stay reachable once it is gone.
    for (const char16_t* name : {u"loaded", u"loaded again"}) UseLoadedEngine(name);
}

}  // namespace
}  // namespace enginetest
