#include "FaultsSupport.h"

#include <fcntl.h>
#include <ftw.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "VaroEngine.h"

namespace faults {
namespace {

std::string SandboxRoot() {
    static const std::string root = [] {
        const char* given = getenv("VARO_DATA_DIR");
        return std::string(given && *given ? given : "/tmp/varo-faults-tests");
    }();
    return root;
}

int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) { return remove(path); }

std::vector<std::string>* g_tree = nullptr;

int CollectEntry(const char* path, const struct stat*, int, struct FTW* where) {
    if (where->level > 0) g_tree->push_back(path);
    return 0;
}

}  // namespace

bool ReadFile(const std::string& path, std::string* bytes) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    bytes->clear();
    char chunk[65536];
    ssize_t got;
    while ((got = read(fd, chunk, sizeof chunk)) > 0) bytes->append(chunk, static_cast<size_t>(got));
    close(fd);
    return got == 0;
}

bool WriteFile(const std::string& path, const std::string& bytes) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t put = write(fd, bytes.data() + done, bytes.size() - done);
        if (put <= 0) break;
        done += static_cast<size_t>(put);
    }
    return close(fd) == 0 && done == bytes.size();
}

std::vector<std::string> TreeBelow(const std::string& root) {
    std::vector<std::string> tree;
    g_tree = &tree;
    nftw(root.c_str(), CollectEntry, 16, FTW_PHYS);
    g_tree = nullptr;
    return tree;
}

void RemoveTree(const std::string& root) { nftw(root.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS); }

void FaultsTest::SetUp() {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    m_folder = SandboxRoot() + "/" + info->test_suite_name() + "." + info->name() + "/";
    RemoveTree(m_folder);
    setenv("VARO_DATA_DIR", m_folder.c_str(), 1);
}

void FaultsTest::TearDown() {
    if (!HasFailure()) RemoveTree(m_folder);
}

Helper::Helper(const std::vector<std::string>& args) {
    int toHelper[2];
    int fromHelper[2];
    if (pipe2(toHelper, O_CLOEXEC) != 0) return;
    if (pipe2(fromHelper, O_CLOEXEC) != 0) {
        close(toHelper[0]);
        close(toHelper[1]);
        return;
    }
    std::vector<std::string> words{VARO_FAULTS_HELPER};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(&word[0]);
    argv.push_back(nullptr);
    m_pid = fork();
    if (m_pid == 0) {
        dup2(toHelper[0], STDIN_FILENO);
        dup2(fromHelper[1], STDOUT_FILENO);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(toHelper[0]);
    close(fromHelper[1]);
    m_toHelper = toHelper[1];
    m_fromHelper = fromHelper[0];
}

Helper::~Helper() {
    Kill();
    Wait();
    if (m_toHelper >= 0) close(m_toHelper);
    if (m_fromHelper >= 0) close(m_fromHelper);
}

bool Helper::ReadLine(std::string* line) {
    for (;;) {
        const size_t end = m_pending.find('\n');
        if (end != std::string::npos) {
            *line = m_pending.substr(0, end);
            m_pending.erase(0, end + 1);
            return true;
        }
        char chunk[4096];
        const ssize_t got = m_fromHelper < 0 ? 0 : read(m_fromHelper, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        m_pending.append(chunk, static_cast<size_t>(got));
    }
}

bool Helper::Send(const std::string& text) {
    return m_toHelper >= 0 && write(m_toHelper, text.data(), text.size()) == static_cast<ssize_t>(text.size());
}

void Helper::Kill() {
    if (m_pid > 0) kill(m_pid, SIGKILL);
}

int Helper::Wait() {
    int status = 0;
    if (m_pid <= 0) return status;
    while (waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
    }
    m_pid = -1;
    return status;
}

CoreEngine::CoreEngine() { varo::SetEngineFactory(this); }

CoreEngine::~CoreEngine() { varo::SetEngineFactory(nullptr); }

varo::Engine* CoreEngine::Create(const varo::HostServices* host) { return new varo::engine::VaroEngine(host); }

void CoreEngine::Destroy(varo::Engine* engine) { delete engine; }

}  // namespace faults
