#include "VaroRunner.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "CodePage.h"
#include "Text.h"

extern char** environ;

namespace {

// Variables a child must not inherit: they would lead it to the user's files.
const char* const kScrubbed[] = {"VARO_DATA_DIR", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR", "XDG_DATA_HOME", "HOME"};

std::vector<std::string> ChildEnvironment(const std::map<std::string, std::string>& overrides) {
    std::vector<std::string> env;
    for (char** entry = environ; *entry; ++entry) {
        const std::string text = *entry;
        const std::string name = text.substr(0, text.find('='));
        if (overrides.count(name) == 0) env.push_back(text);
    }
    for (const auto& variable : overrides) {
        if (!variable.second.empty()) env.push_back(variable.first + "=" + variable.second);
    }
    return env;
}

// Reads both descriptors until both reach their end.
void Drain(int outFd, int errFd, std::string* out, std::string* err) {
    pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
    std::string* sinks[2] = {out, err};
    int open = 2;
    char buffer[4096];
    while (open > 0) {
        if (poll(fds, 2, -1) < 0) return;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                sinks[i]->append(buffer, static_cast<size_t>(n));
            } else {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
}

// A memory-backed folder when there is one: the engine syncs every change to
// disk, which on a busy disk makes seeding thousands of tips slow.
std::string SandboxBase() {
    const char kMemoryFolder[] = "/dev/shm";
    if (access(kMemoryFolder, W_OK | X_OK) == 0) return kMemoryFolder;
    return std::filesystem::temp_directory_path().string();
}

}  // namespace

VaroSandbox::VaroSandbox() {
    std::string pattern = SandboxBase() + "/varo-tool-test-XXXXXX";
    if (mkdtemp(&pattern[0])) m_root = pattern;
    m_data = m_root + "/data";
    std::filesystem::create_directory(m_root + "/run");
    std::filesystem::permissions(m_root + "/run", std::filesystem::perms::owner_all);
    for (const char* name : kScrubbed) m_variables[name] = "";
    m_variables["VARO_DATA_DIR"] = m_data;
    m_variables["XDG_CONFIG_HOME"] = m_root + "/config";
    m_variables["XDG_RUNTIME_DIR"] = m_root + "/run";
    m_variables["XDG_DATA_HOME"] = m_root + "/share";
    m_variables["HOME"] = m_root + "/home";
    m_variables["TZ"] = "JST-9";
}

VaroSandbox::~VaroSandbox() {
    std::error_code ignored;
    if (!m_root.empty()) std::filesystem::remove_all(m_root, ignored);
}

void VaroSandbox::SetVariable(const std::string& name, const std::string& value) { m_variables[name] = value; }

VaroResult VaroSandbox::Run(const std::vector<std::string>& args, bool stderrOnTerminal) const {
    VaroResult result;
    int outPipe[2];
    int errPair[2];
    if (pipe(outPipe) != 0) return result;
    const bool paired = stderrOnTerminal ? openpty(&errPair[0], &errPair[1], nullptr, nullptr, nullptr) == 0
                                         : pipe(errPair) == 0;
    if (!paired) return result;
    std::vector<std::string> argv{VARO_TOOL};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> argp;
    for (std::string& arg : argv) argp.push_back(&arg[0]);
    argp.push_back(nullptr);
    std::vector<std::string> env = ChildEnvironment(m_variables);
    std::vector<char*> envp;
    for (std::string& entry : env) envp.push_back(&entry[0]);
    envp.push_back(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        dup2(outPipe[1], STDOUT_FILENO);
        dup2(errPair[1], STDERR_FILENO);
        const int devNull = open("/dev/null", O_RDONLY);
        dup2(devNull, STDIN_FILENO);
        for (int fd : {outPipe[0], outPipe[1], errPair[0], errPair[1], devNull}) close(fd);
        execve(argp[0], argp.data(), envp.data());
        _exit(127);
    }
    close(outPipe[1]);
    close(errPair[1]);
    Drain(outPipe[0], errPair[0], &result.out, &result.err);
    int status = 0;
    if (child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    return result;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) break;
        start = end + 1;
    }
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

namespace {

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

}  // namespace

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
