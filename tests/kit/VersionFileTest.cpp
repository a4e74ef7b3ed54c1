#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "KitTestSupport.h"
#include "Registry.h"

namespace {

// This test program carries a version note of its own, so that a copy of
// it can stand for the engine file.
struct VersionNote {
    uint32_t nameSize, descSize, type;
    char name[8];
    uint32_t version[4];
};
__attribute__((section(".note.varo.version"), used, aligned(4)))
const VersionNote kTestNote = {5, 16, 1, "VARO", {4, 1, 2, 3}};

const std::vector<DWORD> kNoVersion = {27, 0, 0, 0, 0};

class VersionFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/varo-version-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_dir = pattern;
        setenv("XDG_CONFIG_HOME", (m_dir + "/config").c_str(), 1);
    }
    void TearDown() override { (void)system(("rm -rf '" + m_dir + "'").c_str()); }

    void SetRootDir(const std::string& value) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "Software\\Orvel\\TRIXPAD", &key), ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueEx(key, "ROOTDIR", 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                static_cast<DWORD>(value.size() + 1)),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }

    // This program's first `bytes` bytes (all of them when 0) as the engine file.
    void WriteEngineFile(std::streamsize bytes = 0) {
        std::ifstream self("/proc/self/exe", std::ios::binary);
        std::string content((std::istreambuf_iterator<char>(self)), std::istreambuf_iterator<char>());
        std::ofstream(m_dir + "/VARO.ocx", std::ios::binary) << content.substr(0, bytes ? bytes : content.size());
    }

    std::vector<DWORD> Read(long expectedCode) {
        CVAROObj kit;
        _VERSIONINF v = {9, 9, 9, 9, 9};
        EXPECT_EQ(kit.GetVAROVersionInfo(v), expectedCode);
        return VersionParts(v);
    }

    std::string m_dir;
};

TEST_F(VersionFileTest, ReadsTheNoteOfTheFileUnderRootDir) {
    EXPECT_EQ(Read(VARO_ERR_NO_MEMORY), kNoVersion);  // no value at all
    WriteEngineFile();
    SetRootDir(m_dir + "/");
    EXPECT_EQ(Read(0), (std::vector<DWORD>{27, 4, 1, 2, 3}));
    // Without its final separator the value names "<dir>VARO.ocx".
    SetRootDir(m_dir);
    EXPECT_EQ(Read(VARO_ERR_NO_MEMORY), kNoVersion);
    // The whole path must fit 260 bytes with its terminator.
    SetRootDir(m_dir + "/" + std::string(260, 'd') + "/");
    EXPECT_EQ(Read(VARO_ERR_NO_MEMORY), kNoVersion);
}

// A suite folder that is named but cannot be read whole loads no engine at
// all, rather than quietly the build's own; with none named, the build's.
TEST_F(VersionFileTest, InitLoadsNoOtherEngineThanTheNamedOne) {
    for (const std::string& unusable : {m_dir + "/" + std::string(260, 'd') + "/", m_dir + "/" + std::string(230, 'd') + "/"}) {
        SetRootDir(unusable);
        CVAROObj kit;
        EXPECT_EQ(kit.Init(nullptr), 0) << unusable.size();
    }
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\Orvel\\TRIXPAD", 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    ASSERT_EQ(RegDeleteValue(key, "ROOTDIR"), ERROR_SUCCESS);
    RegCloseKey(key);
    CVAROObj kit;
    EXPECT_EQ(kit.Init(nullptr), 1);
    EXPECT_EQ(kit.End(), 1);
}

TEST_F(VersionFileTest, FilesWithoutAVersionNoteFail) {
    SetRootDir(m_dir + "/");
    std::ofstream(m_dir + "/VARO.ocx") << "not an ELF file";
    EXPECT_EQ(Read(VARO_ERR_NO_MEMORY), kNoVersion);
    WriteEngineFile(2000);  // a truncated ELF file is read within its bytes
    EXPECT_EQ(Read(VARO_ERR_NO_MEMORY), kNoVersion);
}

}  // namespace
