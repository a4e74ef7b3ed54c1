#include "VaroRunner.h"

#include <fcntl.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include <gtest/gtest.h>

#include "CodePage.h"
#include "Text.h"

extern char** environ;

namespace {

std::vector<std::string> ChildEnvironment(const std::map<std::string, std::string>& overrides) {
    std::vector<std::string> env;
    for (char** entry = environ; *entry; ++entry) {
        const std::string text = *entry;
        if (overrides.count(text.substr(0, text.find('='))) == 0) env.push_back(text);
    }
    for (const auto& variable : overrides) {
        if (!variable.second.empty()) env.push_back(variable.first + "=" + variable.second);
    }
    return env;
}

// Reads a descriptor to its end; a pseudo-terminal's ends in an error once
// the child has gone.
std::string ReadAll(int fd) {
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;) text.append(buffer, static_cast<size_t>(n));
    close(fd);
    return text;
}

// A memory-backed folder when there is one: the engine syncs every change to
// disk, which on a busy disk makes seeding thousands of tips slow.
std::string SandboxBase() {
    const std::string memory = "/dev/shm";
    return access(memory.c_str(), W_OK | X_OK) == 0 ? memory : std::filesystem::temp_directory_path().string();
}

// The part of a line from a display column on (wide characters take two).
std::string FromColumn(const std::string& line, int column) {
    size_t at = 0;
    int width = 0;
    while (at < line.size() && width < column) {
        size_t next = at + 1;
        while (next < line.size() && (static_cast<unsigned char>(line[next]) & 0xC0) == 0x80) ++next;
        width += varo::tool::DisplayWidth(line.substr(at, next - at));
        at = next;
    }
    return line.substr(at);
}

// The NULL-terminated pointer array execve takes.
std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) pointers.push_back(&text[0]);
    pointers.push_back(nullptr);
    return pointers;
}

}  // namespace

VaroSandbox::VaroSandbox() {
    std::string pattern = SandboxBase() + "/varo-tool-test-XXXXXX";
    if (mkdtemp(&pattern[0])) m_root = pattern;
    m_data = m_root + "/data";
    std::filesystem::create_directory(m_root + "/run");
    std::filesystem::permissions(m_root + "/run", std::filesystem::perms::owner_all);
    // Every variable that could lead the child to the user's own files.
    m_variables = {{"VARO_DATA_DIR", m_data},           {"XDG_CONFIG_HOME", m_root + "/config"},
                   {"XDG_RUNTIME_DIR", m_root + "/run"}, {"XDG_DATA_HOME", m_root + "/share"},
                   {"HOME", m_root + "/home"},           {"TZ", "JST-9"}};
}

VaroSandbox::~VaroSandbox() {
    std::error_code ignored;
    if (!m_root.empty()) std::filesystem::remove_all(m_root, ignored);
}

void VaroSandbox::SetVariable(const std::string& name, const std::string& value) { m_variables[name] = value; }

VaroResult VaroSandbox::Run(const std::vector<std::string>& args, bool stderrOnTerminal) const {
    VaroResult result;
    // stdout goes to a file, so that only stderr needs reading while the
    // child runs.
    const std::string outFile = m_root + "/stdout";
    int errPair[2];
    const bool paired = stderrOnTerminal ? openpty(&errPair[0], &errPair[1], nullptr, nullptr, nullptr) == 0
                                         : pipe(errPair) == 0;
    if (!paired) return result;
    std::vector<std::string> argv{VARO_TOOL};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> argp = Pointers(argv);
    std::vector<std::string> env = ChildEnvironment(m_variables);
    std::vector<char*> envp = Pointers(env);
    const pid_t child = fork();
    if (child == 0) {
        const int out = open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int devNull = open("/dev/null", O_RDONLY);
        dup2(out, STDOUT_FILENO);
        dup2(errPair[1], STDERR_FILENO);
        dup2(devNull, STDIN_FILENO);
        for (int fd : {out, devNull, errPair[0], errPair[1]}) close(fd);
        execve(argp[0], argp.data(), envp.data());
        _exit(127);
    }
    close(errPair[1]);
    result.err = ReadAll(errPair[0]);
    int status = 0;
    if (child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    std::ifstream out(outFile, std::ios::binary);
    result.out.assign(std::istreambuf_iterator<char>(out), std::istreambuf_iterator<char>());
    return result;
}

VaroResult VaroSandbox::Expect(const std::vector<std::string>& args, int exitCode, const std::string& printed) const {
    const VaroResult result = Run(args);
    std::string command = "varo";
    for (const std::string& arg : args) command += " " + arg;
    EXPECT_EQ(result.exitCode, exitCode) << command << "\n" << result.err;
    EXPECT_TRUE(Contains(exitCode == 0 ? result.out : result.err, printed)) << command << ":\n" << result.out << result.err;
    // A command that fails prints nothing but its message.
    if (exitCode != 0) {
        EXPECT_EQ(result.out, "") << command;
    }
    return result;
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::string Utf8(const char* sjis) {
    std::string utf8;
    Cp932ToUtf8(sjis, &utf8);
    return utf8;
}

long AddedId(const VaroResult& result) {
    const size_t colon = result.out.find(':');
    const size_t space = result.out.rfind(' ', colon);
    if (colon == std::string::npos || space == std::string::npos) return 0;
    return std::atol(result.out.substr(space + 1, colon - space - 1).c_str());
}

std::map<std::string, std::vector<std::string>> ShownFields(const std::string& showOutput) {
    std::map<std::string, std::vector<std::string>> fields;
    const std::vector<std::string> lines = Lines(showOutput);
    size_t header = 0;
    while (header < lines.size() && lines[header].compare(0, 4, "SLOT") != 0) ++header;
    if (header == lines.size()) return fields;
    const int valueColumn = varo::tool::DisplayWidth(lines[header].substr(0, lines[header].find("VALUE")));
    std::string tag;
    for (size_t i = header + 1; i < lines.size(); ++i) {
        if (lines[i].size() > 10 && lines[i][4] == ' ' && lines[i][5] == ' ' && lines[i][6] != ' ') {
            tag = lines[i].substr(6, 4);
        }
        if (!tag.empty()) fields[tag].push_back(FromColumn(lines[i], valueColumn));
    }
    return fields;
}
