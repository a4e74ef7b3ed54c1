#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "Registry.h"
#include "VAROObj.h"

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

    void CopySelfTo(const std::string& path) {
        std::ifstream self("/proc/self/exe", std::ios::binary);
        std::ofstream copy(path, std::ios::binary);
        copy << self.rdbuf();
    }

    _VERSIONINF Read(long expectedCode) {
        CVAROObj kit;
        _VERSIONINF v = {9, 9, 9, 9, 9};
        EXPECT_EQ(kit.GetVAROVersionInfo(v), expectedCode);
        return v;
    }

    std::string m_dir;
};

void ExpectZeros(const _VERSIONINF& v) {
    EXPECT_EQ(v.dwKind, 27u);
    EXPECT_EQ(v.dwMajor + v.dwMinor + v.dwThird + v.dwFourth, 0u);
}

TEST_F(VersionFileTest, ReadsTheNoteOfTheFileUnderRootDir) {
    ExpectZeros(Read(VARO_ERR_NO_MEMORY));  // no value at all

    CopySelfTo(m_dir + "/VARO.ocx");
    SetRootDir(m_dir + "/");
    const _VERSIONINF v = Read(0);
    EXPECT_EQ(v.dwKind, 27u);
    EXPECT_EQ(v.dwMajor, 4u);
    EXPECT_EQ(v.dwMinor, 1u);
    EXPECT_EQ(v.dwThird, 2u);
    EXPECT_EQ(v.dwFourth, 3u);

    // Without its final separator the value names "<dir>VARO.ocx".
    SetRootDir(m_dir);
    ExpectZeros(Read(VARO_ERR_NO_MEMORY));

    // The whole path must fit 260 bytes with its terminator.
    SetRootDir(m_dir + "/" + std::string(260, 'd') + "/");
    ExpectZeros(Read(VARO_ERR_NO_MEMORY));
}

TEST_F(VersionFileTest, FilesWithoutAVersionNoteFail) {
    SetRootDir(m_dir + "/");
    std::ofstream(m_dir + "/VARO.ocx") << "not an ELF file";
    ExpectZeros(Read(VARO_ERR_NO_MEMORY));

    // A truncated copy of a real ELF file is read within its bytes.
    CopySelfTo(m_dir + "/full");
    std::ifstream full(m_dir + "/full", std::ios::binary);
    std::string head(2000, '\0');
    full.read(&head[0], 2000);
    std::ofstream(m_dir + "/VARO.ocx", std::ios::binary) << head;
    ExpectZeros(Read(VARO_ERR_NO_MEMORY));
}

}  // namespace
