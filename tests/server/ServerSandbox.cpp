#include "ServerSandbox.h"

#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <unistd.h>

#include <cstdlib>

namespace servertest {

bool RunOnServer(const std::string& conninfo, const std::string& sql) {
    PGconn* conn = PQconnectdb(conninfo.c_str());
    bool ok = PQstatus(conn) == CONNECTION_OK;
    if (ok) {
        PGresult* result = PQexec(conn, sql.c_str());
        ok = PQresultStatus(result) == PGRES_COMMAND_OK || PQresultStatus(result) == PGRES_TUPLES_OK;
        PQclear(result);
    }
    PQfinish(conn);
    return ok;
}

ServerSandbox::ServerSandbox() {
    const char* base = getenv("VARO_SERVER");
    if (!base || !*base) return;
    m_base = base;
    static int counter = 0;
    const std::string name = "t" + std::to_string(getpid()) + "_" + std::to_string(++counter);
    RunOnServer(m_base, "DROP DATABASE IF EXISTS " + name + " WITH (FORCE)");
    if (!RunOnServer(m_base, "CREATE DATABASE " + name)) {
        ADD_FAILURE() << "cannot make a database on the test server";
        return;
    }
    m_database = name;
    m_server = m_base + " dbname=" + name;
    setenv("VARO_SERVER", m_server.c_str(), 1);
}

ServerSandbox::~ServerSandbox() {
    if (!Active()) return;
    setenv("VARO_SERVER", m_base.c_str(), 1);
    RunOnServer(m_base, "DROP DATABASE IF EXISTS " + m_database + " WITH (FORCE)");
}

}  // namespace servertest
