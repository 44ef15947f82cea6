#include "x_session.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <QList>
#include <QString>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace vetch_test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr const char* kMarker = "vetch-e2e-clipboard-marker";
// Keys of the media and special keys the tests never press, given to the
// characters typed that the keyboard does not have.
constexpr int kFirstSpareKey = 200;
constexpr size_t kSpareKeys = 50;

std::string Quoted(const std::string& s) {
    std::string out = "'";
    for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

bool HasCommand(const char* name) {
    return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

// Waits up to timeout for the child to end; true when it has.
bool Reap(pid_t pid, std::chrono::milliseconds timeout) {
    const auto end = Clock::now() + timeout;
    do {
        int status;
        pid_t r = waitpid(pid, &status, WNOHANG);
        if (r == pid || (r < 0 && errno == ECHILD)) return true;
        std::this_thread::sleep_for(20ms);
    } while (Clock::now() < end);
    return false;
}

void End(pid_t& pid, int signal = SIGTERM) {
    if (pid <= 0) return;
    kill(pid, signal);
    if (!Reap(pid, 5s)) {
        kill(pid, SIGKILL);
        Reap(pid, 5s);
    }
    pid = -1;
}

}  // namespace

XSession::~XSession() {
    StopProgram();
    End(xvfb_);
}

bool XSession::Start() {
    for (const char* tool : {"Xvfb", "xdotool", "xclip", "xmodmap"}) {
        if (!HasCommand(tool)) {
            error_ = std::string(tool) + " is not installed (scripts/install-deps.sh installs it)";
            return false;
        }
    }
    // Xvfb writes the display number it chose to the pipe.
    int fds[2];
    if (pipe(fds) != 0) {
        error_ = "pipe failed";
        return false;
    }
    const std::string fd = std::to_string(fds[1]);
    // -noreset: the server would otherwise start over whenever its last
    // client leaves, between one test's program and the next one's.
    std::vector<const char*> argv{"Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x800x24",
                                  "-nolisten", "tcp", "-noreset", nullptr};
    xvfb_ = fork();
    if (xvfb_ == 0) {
        close(fds[0]);
        int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        execvp("Xvfb", const_cast<char* const*>(argv.data()));
        _exit(127);
    }
    close(fds[1]);
    std::string number;
    pollfd p{fds[0], POLLIN, 0};
    const auto end = Clock::now() + 20s;
    while (Clock::now() < end && number.find('\n') == std::string::npos) {
        if (poll(&p, 1, 100) > 0) {
            char buf[16];
            ssize_t n = read(fds[0], buf, sizeof buf);
            if (n <= 0) break;
            number.append(buf, static_cast<size_t>(n));
        }
    }
    close(fds[0]);
    if (number.empty() || number.find('\n') == std::string::npos) {
        error_ = "Xvfb did not start";
        End(xvfb_);
        return false;
    }
    display_ = std::string(":").append(number, 0, number.find('\n'));
    return true;
}

bool XSession::Launch(const std::string& program, const std::string& folder, const std::vector<std::string>& env) {
    StopProgram();
    std::vector<std::string> vars;
    for (char** e = environ; *e; ++e) {
        std::string v = *e;
        if (v.rfind("DISPLAY=", 0) == 0 || v.rfind("QT_QPA_PLATFORM=", 0) == 0) continue;
        vars.push_back(v);
    }
    vars.push_back("DISPLAY=" + display_);
    vars.push_back("QT_QPA_PLATFORM=xcb");
    for (const auto& v : env) vars.push_back(v);
    std::vector<char*> envp;
    for (auto& v : vars) envp.push_back(v.data());
    envp.push_back(nullptr);
    std::string path = program;
    char* argv[] = {path.data(), nullptr};
    const std::string log = folder + "/program.log";

    program_ = fork();
    if (program_ == 0) {
        if (chdir(folder.c_str()) != 0) _exit(127);
        int out = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(out, 1);
        dup2(out, 2);
        execve(path.c_str(), argv, envp.data());
        _exit(127);
    }
    return program_ > 0;
}

void XSession::StopProgram() { End(program_); }
void XSession::KillProgram() { End(program_, SIGKILL); }

bool XSession::ProgramRunning() {
    if (program_ <= 0) return false;
    int status;
    if (waitpid(program_, &status, WNOHANG) == program_) {
        program_ = -1;
        return false;
    }
    return true;
}

bool XSession::Run(const std::string& command, std::string* output) {
    // Every tool call is bounded: a wedged one must not hang the suite.
    const std::string full = "DISPLAY=" + display_ + " timeout 20 sh -c " + Quoted(command) + " 2>/dev/null";
    FILE* p = popen(full.c_str(), "r");
    if (!p) return false;
    std::string out;
    std::array<char, 4096> buf;
    size_t n;
    while ((n = fread(buf.data(), 1, buf.size(), p)) > 0) out.append(buf.data(), n);
    if (output) *output = out;
    return pclose(p) == 0;
}

std::set<std::string> XSession::Windows(const std::string& titleRegex) {
    std::string out;
    Run("xdotool search --onlyvisible --name " + Quoted(titleRegex), &out);
    std::set<std::string> ids;
    std::istringstream lines(out);
    for (std::string id; std::getline(lines, id);) {
        if (!id.empty()) ids.insert(id);
    }
    return ids;
}

std::string XSession::WaitForNewWindow(const std::string& titleRegex, const std::set<std::string>& known,
                                       std::chrono::milliseconds timeout) {
    const auto end = Clock::now() + timeout;
    do {
        for (const auto& id : Windows(titleRegex)) {
            if (!known.count(id)) return id;
        }
        std::this_thread::sleep_for(50ms);
    } while (Clock::now() < end && ProgramRunning());
    return "";
}

bool XSession::WaitUntilGone(const std::string& titleRegex, std::chrono::milliseconds timeout) {
    const auto end = Clock::now() + timeout;
    do {
        if (Windows(titleRegex).empty()) return true;
        std::this_thread::sleep_for(50ms);
    } while (Clock::now() < end);
    return false;
}

std::string XSession::Title(const std::string& window) {
    std::string out;
    Run("xdotool getwindowname " + window, &out);
    while (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
}

int XSession::Width(const std::string& window) {
    std::string out;
    Run("xdotool getwindowgeometry --shell " + window, &out);
    const size_t at = out.find("WIDTH=");
    return at == std::string::npos ? 0 : std::atoi(out.c_str() + at + 6);
}

bool XSession::Keys(const std::string& window, const std::string& keys) {
    return Run("xdotool windowraise " + window + " windowfocus --sync " + window + " key --delay 40 " + keys);
}

bool XSession::KeysToFocused(const std::string& keys) { return Run("xdotool key --delay 40 " + keys); }

bool XSession::Type(const std::string& window, const std::string& utf8Text) {
    // A character that is not on the keyboard is given a key of its own
    // first. xdotool would map one for a moment while it types, but the
    // program reads the keyboard map when it handles the key, by which time
    // xdotool may have moved on: characters get lost or doubled.
    const QList<uint> chars = QString::fromUtf8(utf8Text.data(), static_cast<qsizetype>(utf8Text.size())).toUcs4();
    std::set<uint> foreign;
    for (uint c : chars) {
        if (c >= 0x80) foreign.insert(c);
    }
    if (foreign.size() > kSpareKeys) return false;
    std::string remap;
    int key = kFirstSpareKey;
    for (uint c : foreign) {
        char sym[16];
        std::snprintf(sym, sizeof sym, "U%04X", c);
        remap += " -e 'keycode " + std::to_string(key++) + " = " + sym + " " + sym + "'";
    }
    if (!remap.empty() && !Run("xmodmap" + remap)) return false;

    if (!Run("xdotool windowraise " + window + " windowfocus --sync " + window)) return false;
    // A line break is the Return key (xdotool would type a Linefeed key).
    size_t start = 0;
    for (;;) {
        const size_t lf = utf8Text.find('\n', start);
        const std::string line = utf8Text.substr(start, lf == std::string::npos ? std::string::npos : lf - start);
        if (!line.empty() && !Run("xdotool type --delay 20 -- " + Quoted(line))) return false;
        if (lf == std::string::npos) return true;
        if (!Run("xdotool key Return")) return false;
        start = lf + 1;
    }
}

// No --sync on the move: it waits for the pointer to move, forever when it
// already stands there; the server takes the move and the click in order.
bool XSession::Click(const std::string& window, int x, int y) {
    return Run("xdotool windowraise " + window + " mousemove --window " + window + " " + std::to_string(x) +
               " " + std::to_string(y) + " click 1");
}

std::string XSession::Clipboard() {
    std::string out;
    if (!Run("xclip -o -selection clipboard", &out)) return "";
    return out;
}

void XSession::MarkClipboard() {
    // xclip stays in the background to serve the text until someone else
    // takes the clipboard; its output must not hold the pipe open.
    Run("printf %s " + std::string(kMarker) + " | xclip -i -selection clipboard >/dev/null 2>&1");
    const auto end = Clock::now() + 5s;
    while (Clipboard() != kMarker && Clock::now() < end) std::this_thread::sleep_for(20ms);
}

std::string XSession::WaitForClipboard(std::chrono::milliseconds timeout) {
    const auto end = Clock::now() + timeout;
    do {
        std::string text = Clipboard();
        if (!text.empty() && text != kMarker) return text;
        std::this_thread::sleep_for(50ms);
    } while (Clock::now() < end);
    return "";
}

void XSession::Screenshot(const std::string& path) { Run("import -window root " + Quoted(path)); }

}  // namespace vetch_test
