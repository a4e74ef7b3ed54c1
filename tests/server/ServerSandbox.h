// A database of its own on the test server for each test, when the run
// names a server (VARO_SERVER): made empty when the sandbox is made, given
// to the engines of the test (and the processes it starts) through
// VARO_SERVER, and dropped, with any connection still open to it, when the
// sandbox goes. Without a server it does nothing, and the test runs on files.
#pragma once

#include <string>

namespace servertest {

class ServerSandbox {
public:
    ServerSandbox();
    ~ServerSandbox();
    ServerSandbox(const ServerSandbox&) = delete;
    ServerSandbox& operator=(const ServerSandbox&) = delete;

    bool Active() const { return !m_database.empty(); }
    // The connection string of the test's own database; empty without a server.
    const std::string& Server() const { return m_server; }
    // The run's server, as it was given.
    const std::string& Base() const { return m_base; }

private:
    std::string m_base;
    std::string m_database;
    std::string m_server;
};

// Runs one statement on the run's server; false when it fails.
bool RunOnServer(const std::string& conninfo, const std::string& sql);

}  // namespace servertest
