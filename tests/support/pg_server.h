// A PostgreSQL server of one test program's own, for tests that stop it,
// start it again and end its sessions from the server side: the shared test
// server must not see such faults, other programs use it at the same time.
//
// Start() runs scripts/pg-start.sh into a scratch folder and points the
// VETCH_PG_* variables at the new server, so call it before anything sets up
// the ODBC environment (odbc_env.h); the data source "vetch-test-pg" then
// reaches this server.
#pragma once

#include <string>

namespace vetch_test {

class PgServer {
public:
    PgServer() = default;
    ~PgServer();  // stops the server and removes its data
    PgServer(const PgServer&) = delete;
    PgServer& operator=(const PgServer&) = delete;

    // False, with the reason in Error(), when the server could not start
    // (no PostgreSQL binaries, no free port).
    bool Start();
    const std::string& Error() const { return error_; }

    // pg_ctl stop -m immediate: every session dies at once, as in a crash.
    bool StopImmediately();
    // Starts the stopped server again with its earlier options; waits until
    // it takes connections.
    bool Restart();
    // Runs sql as the server's superuser in the database vetchdb; the rows
    // as psql -At prints them, or "" on failure.
    std::string Admin(const std::string& sql);
    // Runs Admin(sql) until it prints expected or timeoutMs has passed.
    bool WaitFor(const std::string& sql, const std::string& expected, int timeoutMs);

    // Keeps the schema catalogue (pg_namespace) locked from a session of its
    // own for a minute, or until the server stops: every catalogue question
    // then waits, and so does every new session. Returns once the lock is held.
    bool LockCatalogue();
    // Waits until a session of user is waiting for a lock. It looks at the
    // server's process titles, so it needs no session of its own.
    bool WaitForWaitingSession(const std::string& user, int timeoutMs);

private:
    // Runs a shell command; its standard output goes to *output. True when
    // it exits with 0.
    static bool Run(const std::string& command, std::string* output);
    // The titles of the server's processes, one a line; a session shows as
    // "postgres: <user> <database> <client> <command>[ waiting]".
    std::string SessionTitles() const;
    // Waits until some title starts with prefix and ends with suffix.
    bool WaitForTitle(const std::string& prefix, const std::string& suffix, int timeoutMs) const;

    std::string envFolder_;  // holds pg.env
    std::string dataFolder_;  // the server's VETCH_PG_DIR
    std::string port_;
    std::string error_;
};

}  // namespace vetch_test
