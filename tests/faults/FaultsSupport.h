// Shared pieces of the fault, concurrency and security tests: a data folder
// of its own for every test, a second process running faults_helper, the
// kit over the engine core (whose storage faults a test can arm), and small
// file helpers.
//
// The helpers run on the test's thread only. Files are read and written
// with the standard library so that no kit or engine code is involved in
// preparing or inspecting what the code under test sees.
#pragma once

#include <gtest/gtest.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "EngineFactory.h"
#include "KitSteps.h"

namespace faults {

// Whole-file helpers; each reports failure as false.
bool ReadFile(const std::string& path, std::string* bytes);
bool WriteFile(const std::string& path, const std::string& bytes);
// Writes the database file back and drops its journal, as if closed cleanly.
bool PutBackDatabase(const std::string& path, const std::string& bytes);
// Every file and folder below `root` (not `root` itself).
std::vector<std::string> TreeBelow(const std::string& root);
// Init, Create and Open; false when any of them fails.
bool OpenNewDatabase(CVAROObj& kit, const char* name, long* db);

// Every test gets an empty data folder of its own, named after it, and the
// engine (and every helper process) finds it through VARO_DATA_DIR.
class FaultsTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::string m_folder;  // ends with '/'
};

// One line a helper printed: a word and up to two numbers (-1 if absent).
struct Report {
    std::string word;
    long first = -1;
    long second = -1;
};

// faults_helper started with `args`; its standard input and output are pipes
// of this process. Destroying it kills the process if it still runs.
class Helper {
public:
    explicit Helper(const std::vector<std::string>& args);
    ~Helper();
    Helper(const Helper&) = delete;
    Helper& operator=(const Helper&) = delete;

    bool Started() const { return m_pid > 0; }
    // The next line it printed; false at its end.
    bool Read(Report* report);
    bool Send(const std::string& text);
    void Kill();
    // Waits for its end; the wait status.
    int Wait();

private:
    pid_t m_pid = -1;
    int m_toHelper = -1;
    int m_fromHelper = -1;
    std::string m_pending;
};

// While it lives, every kit Init creates the engine from the core linked
// into this test program, in this process's address space, so that the
// storage faults the test arms reach its SQLite connections.
class CoreEngine : public varo::EngineFactory {
public:
    CoreEngine();
    ~CoreEngine() override;
    varo::Engine* Create(const varo::HostServices* host) override;
    void Destroy(varo::Engine* engine) override;
};

}  // namespace faults
