#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <fstream>
#include <string>

#include "EngineLocation.h"

using namespace varo;

namespace {

// A prefix outside the build tree holding a kit library file at lib/, and
// optionally the engine where an install puts it.
class InstalledPrefix {
public:
    explicit InstalledPrefix(bool withEngine) {
        char pattern[] = "/tmp/varokit-prefix-XXXXXX";
        if (!mkdtemp(pattern)) return;
        m_root = pattern;
        Make(m_root + "/lib/libvarokit.so.1");
        if (withEngine) Make(EngineFile());
    }
    ~InstalledPrefix() {
        if (!m_root.empty()) std::system(("rm -rf '" + m_root + "'").c_str());
    }
    InstalledPrefix(const InstalledPrefix&) = delete;
    InstalledPrefix& operator=(const InstalledPrefix&) = delete;

    std::string KitLibrary() const { return m_root + "/lib/libvarokit.so.1"; }
    std::string EngineFile() const { return m_root + "/lib/" VARO_ENGINE_BESIDE_KIT; }

private:
    static void Make(const std::string& file) {
        std::system(("mkdir -p '" + file.substr(0, file.rfind('/')) + "'").c_str());
        std::ofstream(file) << "x";
    }
    std::string m_root;
};

// Without its own engine an installed kit names that missing file, so Init
// fails, rather than quietly loading the engine of some build.
TEST(EngineLocationTest, AnInstalledKitNamesOnlyTheEngineBesideItThereOrNot) {
    for (bool withEngine : {true, false}) {
        InstalledPrefix prefix(withEngine);
        EXPECT_EQ(EngineFileBesideKit(prefix.KitLibrary()), prefix.EngineFile()) << withEngine;
    }
}

TEST(EngineLocationTest, AKitInItsBuildTreeLoadsTheBuildsEngine) {
    char self[PATH_MAX];
    ASSERT_NE(realpath("/proc/self/exe", self), nullptr);
    EXPECT_EQ(KitFile(), self);  // this program holds the static kit
    EXPECT_EQ(EngineFileBesideKit(KitFile()), VARO_ENGINE_BUILD_PATH);
}

}  // namespace
