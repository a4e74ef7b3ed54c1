#include "FaultsSupport.h"

#include <fcntl.h>
#include <signal.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "VaroEngine.h"

namespace faults {

bool ReadFile(const std::string& path, std::string* bytes) {
    std::ifstream in(path, std::ios::binary);
    bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return in.good() || in.eof();
}

bool WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    return out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())).flush().good();
}

bool PutBackDatabase(const std::string& path, const std::string& bytes) {
    unlink((path + "-wal").c_str());
    unlink((path + "-shm").c_str());
    return WriteFile(path, bytes);
}

std::vector<std::string> TreeBelow(const std::string& root) {
    namespace fs = std::filesystem;
    std::vector<std::string> tree;
    std::error_code error;
    for (fs::recursive_directory_iterator it(root, error), end; !error && it != end; it.increment(error)) {
        tree.push_back(it->path().string());
    }
    return tree;
}

bool OpenNewDatabase(CVAROObj& kit, const char* name, long* db) {
    return kit.Init(nullptr) == 1 && kit.Create(name, db) == 0 && kit.Open(*db) == 0;
}

void FaultsTest::SetUp() {
    // The folder given at the start stays the root of every test's folder.
    static const std::string root = [] {
        const char* given = getenv("VARO_DATA_DIR");
        return std::string(given && *given ? given : "/tmp/varo-faults-tests");
    }();
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    m_folder = root + "/" + info->test_suite_name() + "." + info->name() + "/";
    std::error_code ignored;
    std::filesystem::remove_all(m_folder, ignored);
    setenv("VARO_DATA_DIR", m_folder.c_str(), 1);
}

void FaultsTest::TearDown() {
    std::error_code ignored;
    if (!HasFailure()) std::filesystem::remove_all(m_folder, ignored);
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

bool Helper::Read(Report* report) {
    size_t end;
    while ((end = m_pending.find('\n')) == std::string::npos) {
        char chunk[4096];
        const ssize_t got = m_fromHelper < 0 ? 0 : read(m_fromHelper, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        m_pending.append(chunk, static_cast<size_t>(got));
    }
    *report = Report();
    std::istringstream(m_pending.substr(0, end)) >> report->word >> report->first >> report->second;
    m_pending.erase(0, end + 1);
    return true;
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
