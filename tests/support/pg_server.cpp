#include "pg_server.h"

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <unistd.h>

namespace vetch_test {
namespace {

constexpr const char* kBin = "/usr/lib/postgresql/15/bin";

// The server runs as "postgres" when the tests run as root (pg-start.sh does
// the same).
std::string AsServer() { return geteuid() == 0 ? "runuser -u postgres -- " : ""; }

std::string Quoted(const std::string& s) {
    std::string out = "'";
    for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

}  // namespace

PgServer::~PgServer() {
    if (envFolder_.empty()) return;
    Run("sh " + Quoted(std::string(VETCH_SOURCE_DIR) + "/scripts/pg-stop.sh") + " " + Quoted(envFolder_) +
        " >/dev/null 2>&1", nullptr);
    std::error_code ec;
    std::filesystem::remove_all(envFolder_, ec);
}

bool PgServer::Run(const std::string& command, std::string* output) {
    std::string out;
    FILE* p = popen(command.c_str(), "r");
    if (!p) return false;
    std::array<char, 4096> buf;
    size_t n;
    while ((n = fread(buf.data(), 1, buf.size(), p)) > 0) out.append(buf.data(), n);
    if (output) *output = out;
    return pclose(p) == 0;
}

bool PgServer::Start() {
    char pattern[] = "/tmp/vetch-faultpg-XXXXXX";
    if (!mkdtemp(pattern)) {
        error_ = "cannot create a folder for the server";
        return false;
    }
    envFolder_ = pattern;
    // Far from the shared server's port; pg-start.sh moves on to a free one.
    const std::string port = std::to_string(55400 + getpid() % 500);
    std::string out;
    const bool started = Run("PGPORT=" + port + " sh " + Quoted(std::string(VETCH_SOURCE_DIR) + "/scripts/pg-start.sh") +
                                 " " + Quoted(envFolder_) + " 2>&1",
                             &out);
    std::ifstream env(envFolder_ + "/pg.env");
    if (!started || !env) {
        error_ = "scripts/pg-start.sh failed: " + out;
        return false;
    }
    // Lines of the form export NAME='value'.
    std::string line;
    while (std::getline(env, line)) {
        const size_t eq = line.find('=');
        if (line.rfind("export ", 0) != 0 || eq == std::string::npos || line.size() < eq + 3) continue;
        const std::string name = line.substr(7, eq - 7);
        const std::string value = line.substr(eq + 2, line.size() - eq - 3);
        setenv(name.c_str(), value.c_str(), 1);
        if (name == "VETCH_PG_DIR") dataFolder_ = value;
        if (name == "VETCH_PG_PORT") port_ = value;
    }
    if (dataFolder_.empty() || port_.empty()) {
        error_ = "pg.env names no server";
        return false;
    }
    return true;
}

bool PgServer::StopImmediately() {
    return Run(AsServer() + kBin + "/pg_ctl -D " + Quoted(dataFolder_ + "/data") +
                   " -m immediate -w -t 30 stop >/dev/null 2>&1",
               nullptr);
}

bool PgServer::Restart() {
    // restart reuses the options of the last start (postmaster.opts), and
    // starts a server that is not running.
    return Run(AsServer() + kBin + "/pg_ctl -D " + Quoted(dataFolder_ + "/data") + " -l " +
                   Quoted(dataFolder_ + "/server.log") + " -w -t 30 restart >/dev/null 2>&1",
               nullptr);
}

std::string PgServer::Admin(const std::string& sql) {
    std::string out;
    if (!Run(AsServer() + "psql -X -q -At -h " + Quoted(dataFolder_) + " -p " + port_ + " -U postgres -d vetchdb -c " +
                 Quoted(sql) + " 2>/dev/null",
             &out))
        return "";
    while (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
}

bool PgServer::WaitFor(const std::string& sql, const std::string& expected, int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < end) {
        if (Admin(sql) == expected) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

std::string PgServer::SessionTitles() const {
    std::ifstream pidFile(dataFolder_ + "/data/postmaster.pid");
    std::string pid;
    std::getline(pidFile, pid);
    std::string out;
    if (!pid.empty()) Run("ps --ppid " + pid + " -o args=", &out);
    return out;
}

bool PgServer::WaitForTitle(const std::string& prefix, const std::string& suffix, int timeoutMs) const {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < end) {
        std::istringstream titles(SessionTitles());
        for (std::string line; std::getline(titles, line);) {
            if (line.rfind(prefix, 0) == 0 && line.size() >= suffix.size() &&
                line.compare(line.size() - suffix.size(), suffix.size(), suffix) == 0)
                return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

bool PgServer::LockCatalogue() {
    // In the background: the session holds the lock while it sleeps.
    if (!Run(AsServer() + "psql -X -q -h " + Quoted(dataFolder_) + " -p " + port_ +
                 " -U postgres -d vetchdb -c " +
                 Quoted("BEGIN; LOCK TABLE pg_catalog.pg_namespace IN ACCESS EXCLUSIVE MODE; SELECT pg_sleep(60)") +
                 " >/dev/null 2>&1 &",
             nullptr))
        return false;
    // The sleep runs once the lock is taken.
    return WaitForTitle("postgres: postgres vetchdb [local] SELECT", "SELECT", 10000);
}

bool PgServer::WaitForWaitingSession(const std::string& user, int timeoutMs) {
    return WaitForTitle("postgres: " + user + " ", " waiting", timeoutMs);
}

}  // namespace vetch_test
