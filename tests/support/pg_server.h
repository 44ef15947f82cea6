// A PostgreSQL server of one test program's own, for tests that stop it or
// end its sessions (other programs share the usual test server). Start()
// points the VETCH_PG_* variables at it: call it before odbc_env.h connects.
#pragma once

#include <string>

namespace vetch_test {

class PgServer {
public:
    PgServer() = default;
    ~PgServer();  // stops the server and removes its data
    PgServer(const PgServer&) = delete;
    PgServer& operator=(const PgServer&) = delete;

    bool Start();  // false, with the reason in Error(), when it could not start
    const std::string& Error() const { return error_; }

    // pg_ctl stop -m immediate: every session dies at once, as in a crash.
    bool StopImmediately();
    bool Restart();  // with its earlier options, once it takes connections
    // Runs sql as the superuser; the rows as psql -At prints them, or "".
    std::string Admin(const std::string& sql);
    // Runs Admin(sql) until it prints expected or timeoutMs has passed.
    bool WaitFor(const std::string& sql, const std::string& expected, int timeoutMs);

    // Locks pg_namespace from a session of its own for a minute, so that every
    // catalogue question waits. Returns once the lock is held.
    bool LockCatalogue();
    // Waits until a session of user waits for a lock (seen in the process titles).
    bool WaitForWaitingSession(const std::string& user, int timeoutMs);

private:
    // Runs a shell command, its output to *output; true when it exits with 0.
    static bool Run(const std::string& command, std::string* output);
    // One line a process: "postgres: <user> <database> <client> <command>[ waiting]".
    std::string SessionTitles() const;
    // Waits until some title starts with prefix and ends with suffix.
    bool WaitForTitle(const std::string& prefix, const std::string& suffix, int timeoutMs) const;

    std::string envFolder_;  // holds pg.env
    std::string dataFolder_;  // the server's VETCH_PG_DIR
    std::string port_;
    std::string error_;
};

}  // namespace vetch_test
