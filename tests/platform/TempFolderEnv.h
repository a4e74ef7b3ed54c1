// A fresh temporary folder named by an environment variable for the life of
// one test, so that the per-user stores never touch the user's own files.
// The variable names a folder inside the temporary one that does not exist
// yet, as on a first run; the variable is restored and everything removed
// afterwards.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

class TempFolderEnv {
public:
    TempFolderEnv(const char* variable, const char* leaf) : m_variable(variable) {
        if (const char* old = std::getenv(variable)) m_oldValue = old;
        std::string pattern = std::filesystem::temp_directory_path().string() + "/varokit-test-XXXXXX";
        if (mkdtemp(&pattern[0])) m_root = pattern;
        EXPECT_FALSE(m_root.empty());
        m_path = m_root + "/" + leaf;
        setenv(variable, m_path.c_str(), 1);
    }
    ~TempFolderEnv() {
        if (m_oldValue) setenv(m_variable.c_str(), m_oldValue->c_str(), 1);
        else unsetenv(m_variable.c_str());
        std::error_code ignored;
        if (!m_root.empty()) std::filesystem::remove_all(m_root, ignored);
    }
    TempFolderEnv(const TempFolderEnv&) = delete;
    TempFolderEnv& operator=(const TempFolderEnv&) = delete;

    const std::string& Path() const { return m_path; }

private:
    std::string m_variable;
    std::optional<std::string> m_oldValue;
    std::string m_root;
    std::string m_path;
};

// The permission bits of a file or folder; ~0u when it cannot be examined.
inline unsigned PermissionsOf(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 ? info.st_mode & 0777 : ~0u;
}
