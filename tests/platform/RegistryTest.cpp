#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <string>
#include <tuple>

#include "Registry.h"
#include "RegistryFile.h"
#include "TempFolderEnv.h"

namespace {

const char kTrixpad[] = "Software\\Orvel\\TRIXPAD";
const std::string kCompanySjis = "\x8a\x94\x8e\xae\x89\xef\x8e\xd0"; /* 株式会社 */
const std::string kCompanyUtf8 = "\xe6\xa0\xaa\xe5\xbc\x8f\xe4\xbc\x9a\xe7\xa4\xbe";

LONG SetText(HKEY key, const char* name, const std::string& text) {
    return RegSetValueEx(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                         static_cast<DWORD>(text.size() + 1));
}

LONG SetNumber(HKEY key, const char* name, DWORD number) {
    const BYTE bytes[4] = {BYTE(number), BYTE(number >> 8), BYTE(number >> 16), BYTE(number >> 24)};
    return RegSetValueEx(key, name, 0, REG_DWORD, bytes, 4);
}

std::string Error(LONG status) { return "error " + std::to_string(status); }

// A text value, checking its type and terminator; "error N" when the query fails.
std::string TextOf(HKEY key, const char* name) {
    char buffer[512];
    DWORD size = sizeof buffer;
    DWORD type = 0;
    const LONG status = RegQueryValueEx(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    if (status != ERROR_SUCCESS) return Error(status);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_GE(size, 1u);
    EXPECT_EQ(buffer[size - 1], '\0');
    return std::string(buffer, size - 1);
}

// A number value; minus the error code when the query fails.
int64_t NumberOf(HKEY key, const char* name) {
    BYTE bytes[4];
    DWORD size = sizeof bytes;
    DWORD type = 0;
    const LONG status = RegQueryValueEx(key, name, nullptr, &type, bytes, &size);
    if (status != ERROR_SUCCESS) return -status;
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(size, 4u);
    return DWORD(bytes[0]) | DWORD(bytes[1]) << 8 | DWORD(bytes[2]) << 16 | DWORD(bytes[3]) << 24;
}

std::set<std::string> FolderEntries(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.insert(entry.path().filename());
    return names;
}

class RegistryTest : public ::testing::Test {
protected:
    std::string Folder() const { return m_config.Path() + "/varokit"; }
    std::string FilePath() const { return Folder() + "/registry"; }

    std::string ReadRegistryFile() const {
        std::ifstream in(FilePath(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    void WriteRegistryFile(const std::string& text) const {
        std::filesystem::create_directories(Folder());
        std::ofstream(FilePath(), std::ios::binary) << text;
    }

    HKEY Open(const char* path, DWORD access = KEY_READ) const {
        HKEY key = nullptr;
        EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, path, 0, access, &key), ERROR_SUCCESS) << path;
        return key;
    }
    HKEY CreateTrixpad() const {
        HKEY key = nullptr;
        EXPECT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, kTrixpad, &key), ERROR_SUCCESS);
        return key;
    }

    TempFolderEnv m_config{"XDG_CONFIG_HOME", "config"};
};

TEST_F(RegistryTest, ValuesRoundTripThroughTheExportForm) {
    HKEY key = CreateTrixpad();
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(SetText(key, "ROOTDIR", "C:\\VARO\\\"q\""), ERROR_SUCCESS);
    EXPECT_EQ(SetText(key, "Company", kCompanySjis), ERROR_SUCCESS);
    EXPECT_EQ(SetNumber(key, "Count", 0x1f), ERROR_SUCCESS);
    EXPECT_EQ(SetNumber(key, "Big", 0xFFFFFFFF), ERROR_SUCCESS);
    EXPECT_EQ(SetText(key, nullptr, "unnamed"), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(ReadRegistryFile(),
              "Windows Registry Editor Version 5.00\n"
              "\n"
              "[HKEY_CURRENT_USER\\Software\\Orvel\\TRIXPAD]\n"
              "\"ROOTDIR\"=\"C:\\\\VARO\\\\\\\"q\\\"\"\n"
              "\"Company\"=\"" + kCompanyUtf8 + "\"\n"
              "\"Count\"=dword:0000001f\n"
              "\"Big\"=dword:ffffffff\n"
              "@=\"unnamed\"\n"
              "\n");

    key = Open(kTrixpad);
    EXPECT_EQ(TextOf(key, "ROOTDIR"), "C:\\VARO\\\"q\"");
    EXPECT_EQ(TextOf(key, "Company"), kCompanySjis);
    EXPECT_EQ(TextOf(key, ""), "unnamed");
    EXPECT_EQ(NumberOf(key, "Count"), 0x1f);
    EXPECT_EQ(NumberOf(key, "Big"), 0xFFFFFFFF);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);

    // A text without its terminator, one cut at an inner zero, an empty one.
    key = CreateTrixpad();
    for (auto [name, data, size, text] : {std::tuple<const char*, const char*, DWORD, const char*>{
             "Bare", "abcdef", 3, "abc"}, {"Cut", "ab\0cd", 6, "ab"}, {"Empty", nullptr, 0, ""}}) {
        EXPECT_EQ(RegSetValueEx(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data), size), ERROR_SUCCESS);
        EXPECT_EQ(TextOf(key, name), text);
    }
    EXPECT_EQ(RegDeleteValue(key, "Count"), ERROR_SUCCESS);
    EXPECT_EQ(NumberOf(key, "Count"), -ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(ReadRegistryFile().find("Count"), std::string::npos);
    RegCloseKey(key);
}

TEST_F(RegistryTest, QueriesReportSizesAsTheOriginalPlatformDoes) {
    HKEY key = CreateTrixpad();
    ASSERT_EQ(SetText(key, "ROOTDIR", "/opt/trixpad/"), ERROR_SUCCESS);  // 13 bytes
    ASSERT_EQ(SetText(key, "Company", kCompanySjis), ERROR_SUCCESS);
    ASSERT_EQ(SetNumber(key, "Count", 0x01020304), ERROR_SUCCESS);

    DWORD type = 0;
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueEx(key, "ROOTDIR", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(size, 14u);
    EXPECT_EQ(RegQueryValueEx(key, "ROOTDIR", nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    // A buffer one byte short is left alone; an exact or larger one is filled.
    for (DWORD capacity : {13u, 14u, 260u}) {
        char buffer[260];
        std::memset(buffer, 'x', sizeof buffer);
        size = capacity;
        EXPECT_EQ(RegQueryValueEx(key, "ROOTDIR", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size),
                  capacity < 14 ? ERROR_MORE_DATA : ERROR_SUCCESS);
        EXPECT_EQ(size, 14u);
        EXPECT_EQ(std::string(buffer, 14), capacity < 14 ? std::string(14, 'x') : std::string("/opt/trixpad/\0", 14));
    }
    // The size counts the Shift-JIS bytes handed out, not the file's UTF-8.
    EXPECT_EQ(RegQueryValueEx(key, "Company", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, kCompanySjis.size() + 1);

    BYTE bytes[4] = {0, 0, 0, 0};
    size = 3;
    EXPECT_EQ(RegQueryValueEx(key, "Count", nullptr, &type, bytes, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(bytes[0], 0);
    EXPECT_EQ(NumberOf(key, "Count"), 0x01020304);
    RegCloseKey(key);
}

TEST_F(RegistryTest, MissingKeysValuesAndBadArgumentsGiveTheirCodes) {
    HKEY key = reinterpret_cast<HKEY>(1);
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, kTrixpad, 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key, nullptr);
    EXPECT_EQ(RegCloseKey(Open("")), ERROR_SUCCESS);

    HKEY writable = CreateTrixpad();
    ASSERT_EQ(SetText(writable, "ROOTDIR", "/opt/"), ERROR_SUCCESS);
    const std::string before = ReadRegistryFile();

    // A key exists while a key below it does; one below the deepest does not.
    key = Open("Software\\Orvel");
    HKEY child = nullptr;
    EXPECT_EQ(RegOpenKeyEx(key, "TRIXPAD\\", 0, KEY_READ, &child), ERROR_SUCCESS);
    EXPECT_EQ(RegOpenKeyEx(key, "TRIXPAD\\Deeper", 0, KEY_READ, &child), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\Orv", 0, KEY_READ, &child), ERROR_FILE_NOT_FOUND);
    RegCloseKey(key);

    key = Open(kTrixpad);
    EXPECT_EQ(TextOf(key, "Missing"), Error(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(RegDeleteValue(writable, "Missing"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(SetText(key, "ROOTDIR", "/elsewhere/"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteValue(key, "ROOTDIR"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegCreateKeyEx(key, "Sub", &child), ERROR_ACCESS_DENIED);

    DWORD reserved = 0;
    DWORD size = 4;
    BYTE data[4];
    EXPECT_EQ(RegQueryValueEx(key, "ROOTDIR", &reserved, nullptr, nullptr, &size), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegQueryValueEx(key, "ROOTDIR", nullptr, nullptr, data, nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, kTrixpad, 0, KEY_READ, nullptr), ERROR_INVALID_PARAMETER);
    for (const char* badPath : {"\\Software", "Software\\\\Orvel", "Soft\nware", "\\", "\x82"}) {
        EXPECT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, badPath, &child), ERROR_INVALID_PARAMETER) << badPath;
        EXPECT_EQ(child, nullptr);
    }
    EXPECT_EQ(SetText(writable, "ROOTDIR", "two\nlines"), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(SetText(writable, "ROOTDIR", "\x82"), ERROR_INVALID_PARAMETER);  // a lead byte alone
    EXPECT_EQ(SetText(writable, "bad\rname", "x"), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegSetValueEx(writable, "Bin", 0, 3 /* REG_BINARY */, data, 4), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegSetValueEx(writable, "Short", 0, REG_DWORD, data, 3), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegSetValueEx(writable, "Null", 0, REG_SZ, nullptr, 5), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(ReadRegistryFile(), before);

    // Closed handles are never reused.
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(TextOf(key, "ROOTDIR"), Error(ERROR_INVALID_HANDLE));
    EXPECT_EQ(RegOpenKeyEx(key, "Sub", 0, KEY_READ, &child), ERROR_INVALID_HANDLE);
    RegCloseKey(writable);
}

TEST_F(RegistryTest, KeyAndValueNamesIgnoreAsciiCaseButNotTrailBytes) {
    HKEY key = CreateTrixpad();
    ASSERT_EQ(SetText(key, "RootDir", "/first/"), ERROR_SUCCESS);
    RegCloseKey(key);
    key = Open("SOFTWARE\\orvel\\TriXpad", KEY_ALL_ACCESS);
    EXPECT_EQ(TextOf(key, "ROOTDIR"), "/first/");
    EXPECT_EQ(SetText(key, "rootdir", "/second/"), ERROR_SUCCESS);
    RegCloseKey(key);
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "software\\ORVEL\\trixpad", &key), ERROR_SUCCESS);
    RegCloseKey(key);
    const std::string file = ReadRegistryFile();
    EXPECT_NE(file.find("\"RootDir\"=\"/second/\"\n"), std::string::npos);  // first spelling kept
    EXPECT_EQ(file.find("rootdir"), std::string::npos);
    EXPECT_EQ(file.find('['), file.rfind('['));  // one key block

    // Two katakana differing in a trail byte that is an ASCII letter stay two names.
    const std::string sjisKey = std::string("Software\\") + "\x8a\x94"; /* 株 */
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, sjisKey.c_str(), &key), ERROR_SUCCESS);
    EXPECT_EQ(SetText(key, "\x83\x41" /* ア */, "a"), ERROR_SUCCESS);
    EXPECT_EQ(SetText(key, "\x83\x61" /* ヂ */, "b"), ERROR_SUCCESS);
    RegCloseKey(key);
    key = Open(sjisKey.c_str());
    EXPECT_EQ(TextOf(key, "\x83\x41" /* ア */), "a");
    EXPECT_EQ(TextOf(key, "\x83\x61" /* ヂ */), "b");
    RegCloseKey(key);
    EXPECT_NE(ReadRegistryFile().find("[HKEY_CURRENT_USER\\Software\\\xe6\xa0\xaa]\n"), std::string::npos);
}

TEST_F(RegistryTest, HandWrittenFileIsReadSafelyAndItsUnknownLinesKept) {
    WriteRegistryFile(
        "REGEDIT4\r\n"
        "; kept comment\r\n"
        "[HKEY_CURRENT_USER\\Software\\Orvel\\TRIXPAD]  \r\n"
        "\"ROOTDIR\"=\"/opt/trixpad/\"\t\r\n"
        "\"Hex\"=hex:01,02\r\n"
        "\"Broken\"=\"no end\r\n"
        "\"BadEscape\"=\"a\\nb\"\r\n"
        "\"TooLong\"=dword:123456789\r\n"
        "\"NotHex\"=dword:12g4\r\n"
        "\"Trailing\"=\"x\" junk\r\n"
        "\"Short\"=dword:1F\r\n"
        "\"Emoji\"=\"\xf0\x9f\x98\x80\"\r\n"
        "\"Latin1\"=\"\xff\xfe\"\r\n"
        "\"Dup\"=\"first\"\r\n"
        "\"DUP\"=\"second\"\r\n"
        "[HKEY_LOCAL_MACHINE\\Software\\Orvel\\TRIXPAD]\n"
        "\"Other\"=\"x\"\n"
        "[hkey_current_user\\software\\orvel\\trixpad]\n"
        "\"Merged\"=dword:00000002\n"
        "[]\n"
        "\"Name\n"
        "\"NoEquals\"\n"
        "\"Trail\\");
    HKEY key = Open(kTrixpad, KEY_ALL_ACCESS);
    EXPECT_EQ(TextOf(key, "ROOTDIR"), "/opt/trixpad/");
    for (const char* ignored : {"Hex", "Broken", "BadEscape", "TooLong", "NotHex", "Trailing", "Other"}) {
        EXPECT_EQ(RegQueryValueEx(key, ignored, nullptr, nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND)
            << ignored;
    }
    EXPECT_EQ(NumberOf(key, "Short"), 0x1f);
    EXPECT_EQ(NumberOf(key, "Merged"), 2);
    EXPECT_EQ(TextOf(key, "dup"), "second");
    EXPECT_EQ(TextOf(key, "Emoji"), Error(ERROR_INVALID_DATA));   // no Shift-JIS form
    EXPECT_EQ(TextOf(key, "Latin1"), Error(ERROR_INVALID_DATA));  // not UTF-8

    ASSERT_EQ(SetText(key, "New", "value"), ERROR_SUCCESS);
    RegCloseKey(key);
    const std::string file = ReadRegistryFile();
    for (const char* kept : {"REGEDIT4\n", "; kept comment\n", "\"Hex\"=hex:01,02\n", "\"Broken\"=\"no end\n",
                             "\"Trailing\"=\"x\" junk\n", "[HKEY_LOCAL_MACHINE\\Software\\Orvel\\TRIXPAD]\n",
                             "\"Other\"=\"x\"\n", "\"New\"=\"value\"\n", "\"Trail\\\n"}) {
        EXPECT_NE(file.find(kept), std::string::npos) << kept;
    }
    EXPECT_EQ(file.find('\r'), std::string::npos);
    EXPECT_EQ(file.find("first"), std::string::npos);
}

TEST(RegistryFileTest, AnyBytesParseAndRewritingIsStable) {
    const std::string pieces[] = {"[", "]", "\"", "\\", "=", "@", "dword:", "0f", "HKEY_CURRENT_USER", "\n",
                                  "\r", " ", "a", "\xe6\xa0\xaa", std::string(1, '\0'), "\xff"};
    std::mt19937 random(20240601);
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        const int count = static_cast<int>(random() % 40);
        for (int i = 0; i < count; ++i) text += pieces[random() % (sizeof pieces / sizeof pieces[0])];
        const std::string once = RegistryDocument::Parse(text).Format();
        ASSERT_EQ(once, RegistryDocument::Parse(once).Format()) << "input: " << text;
    }
    // Many values in one key parse in linear time (a quadratic walk would
    // take minutes here).
    std::string many = "[K]\n";
    for (int i = 0; i < 200000; ++i) many += "\"v" + std::to_string(i) + "\"=dword:1\n";
    const RegistryDocument document = RegistryDocument::Parse(many);
    ASSERT_NE(document.FindValue("k", "V199999"), nullptr);
    EXPECT_EQ(document.FindValue("k", "v199999")->number, 1u);
}

TEST_F(RegistryTest, WritesArePrivateAtomicAndSharedBetweenProcesses) {
    HKEY key = CreateTrixpad();
    ASSERT_EQ(SetText(key, "ROOTDIR", "/opt/"), ERROR_SUCCESS);
    const std::set<std::string> entries = {"registry", "registry.lock"};
    EXPECT_EQ(FolderEntries(Folder()), entries);
    EXPECT_EQ(PermissionsOf(Folder()), 0700u);
    ASSERT_EQ(chmod(FilePath().c_str(), 0644), 0);
    ASSERT_EQ(SetNumber(key, "Count", 2), ERROR_SUCCESS);
    EXPECT_EQ(PermissionsOf(FilePath()), 0600u);

    // Another writer's change is seen through a key opened before it.
    std::string file = ReadRegistryFile();
    file.replace(file.find("/opt/"), 5, "/srv/");
    WriteRegistryFile(file);
    EXPECT_EQ(TextOf(key, "ROOTDIR"), "/srv/");

    // Writers in two processes at once lose nothing of each other's.
    const int kPerWriter = 40;
    const auto name = [](int w, int i) { return "W" + std::to_string(w) + "_" + std::to_string(i); };
    pid_t writers[2];
    for (int w = 0; w < 2; ++w) {
        writers[w] = fork();
        ASSERT_GE(writers[w], 0);
        if (writers[w] == 0) {
            bool ok = true;
            for (int i = 0; i < kPerWriter; ++i) ok = SetNumber(key, name(w, i).c_str(), i) == ERROR_SUCCESS && ok;
            _exit(ok ? 0 : 1);
        }
    }
    for (pid_t writer : writers) {
        int status = 0;
        ASSERT_EQ(waitpid(writer, &status, 0), writer);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    for (int w = 0; w < 2; ++w) {
        for (int i = 0; i < kPerWriter; ++i) EXPECT_EQ(NumberOf(key, name(w, i).c_str()), i) << name(w, i);
    }
    EXPECT_EQ(FolderEntries(Folder()), entries);

    // A registry that cannot be read is refused, never overwritten.
    std::filesystem::remove(FilePath());
    std::filesystem::create_directory(FilePath());
    EXPECT_EQ(SetNumber(key, "Count", 3), ERROR_ACCESS_DENIED);
    EXPECT_EQ(TextOf(key, "ROOTDIR"), Error(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(std::filesystem::is_directory(FilePath()));
    EXPECT_EQ(FolderEntries(Folder()), entries);
    RegCloseKey(key);
}

}  // namespace
