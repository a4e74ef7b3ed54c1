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
    void UseLoadedEngine(int round);
};

void SharedObjectTest::UseLoadedEngine(int round) {
    FakeHost& host = *m_host;
    void* library = dlopen(VARO_ENGINE_FILE, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(nullptr, library) << dlerror();
    auto create = reinterpret_cast<VaroEngineCreateFn>(dlsym(library, VARO_ENGINE_CREATE_SYMBOL));
    auto destroy = reinterpret_cast<VaroEngineDestroyFn>(dlsym(library, VARO_ENGINE_DESTROY_SYMBOL));
    ASSERT_NE(nullptr, create);
    ASSERT_NE(nullptr, destroy);
    EXPECT_EQ(nullptr, dlsym(library, "_ZN4varo13FindOperationEi"));
    EXPECT_EQ(nullptr, dlsym(library, "_ZN4varo6engine13CodeFromSqliteEi"));
    EXPECT_EQ(nullptr, create(nullptr));

    Engine* engine = create(host.Services());
    ASSERT_NE(nullptr, engine);
    EXPECT_EQ(2u, host.HookCount());  // the fixture's engine and this one
    int32_t db = 0;
    ASSERT_EQ(kEngineOk, Call(*engine, kOpCreate, {Text(round == 0 ? u"loaded" : u"loaded again"), I4Out(&db)}));
    const int32_t tip = PutToDo(db, 0x300C, "through dlopen", engine);
    EXPECT_EQ("through dlopen", TextOf(FindTag(GetFields(db, 0, tip, engine), "MEMO")));
    char16_t* name = nullptr;
    ASSERT_EQ(1, Call(*engine, kOpGetDBName, {I4(db), TextOut(&name)}));
    EXPECT_EQ(round == 0 ? u"loaded" : u"loaded again", Take(*engine, name));
    destroy(engine);
    EXPECT_EQ(1u, host.HookCount());
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
                for (int part = 0; part < 4; ++part) {
                    const uint8_t* p = file.data() + desc + 4 * part;
                    version[part] = p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
                }
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
    EXPECT_EQ(static_cast<uint32_t>(VARO_ENGINE_VERSION_MAJOR), version[0]);
    EXPECT_EQ(static_cast<uint32_t>(VARO_ENGINE_VERSION_MINOR), version[1]);
    EXPECT_EQ(static_cast<uint32_t>(VARO_ENGINE_VERSION_THIRD), version[2]);
    EXPECT_EQ(static_cast<uint32_t>(VARO_ENGINE_VERSION_FOURTH), version[3]);

    // Loaded, used and unloaded twice, as Init and End do: nothing of the
    // first copy may stay reachable once it is gone.
    for (int round = 0; round < 2; ++round) UseLoadedEngine(round);
}

}  // namespace
}  // namespace enginetest
