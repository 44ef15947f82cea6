// A real X server for end-to-end tests: Xvfb on a display number it picks
// itself (so runs side by side never meet), no window manager, the program
// started on it, and xdotool and xclip to act and read as a person would.
// Every wait polls with a deadline; nothing sleeps for a fixed long time.
#pragma once

#include <chrono>
#include <set>
#include <string>
#include <vector>

#include <sys/types.h>

namespace vetch_test {

class XSession {
public:
    XSession() = default;
    ~XSession();  // ends the program and the server
    XSession(const XSession&) = delete;
    XSession& operator=(const XSession&) = delete;

    // Starts Xvfb. False, with the reason in Error(), when a tool is missing
    // or the server does not come up.
    bool Start();
    const std::string& Error() const { return error_; }
    const std::string& Display() const { return display_; }

    // Starts program in folder with the given extra environment; stops a
    // program started earlier first.
    bool Launch(const std::string& program, const std::string& folder, const std::vector<std::string>& env);
    // Ends the program (it gets SIGTERM, then SIGKILL).
    void StopProgram();
    // Ends the program at once, as kill -9 does: nothing of it runs on.
    void KillProgram();
    bool ProgramRunning();

    // Visible windows whose title matches the regular expression.
    std::set<std::string> Windows(const std::string& titleRegex);
    // Waits until a visible window matching titleRegex exists that is not in
    // known; "" after the timeout.
    std::string WaitForNewWindow(const std::string& titleRegex, const std::set<std::string>& known = {},
                                 std::chrono::milliseconds timeout = std::chrono::seconds(15));
    // Waits until no visible window matches titleRegex.
    bool WaitUntilGone(const std::string& titleRegex, std::chrono::milliseconds timeout = std::chrono::seconds(15));
    std::string Title(const std::string& window);
    // The window's width in pixels (with no window manager, its client width).
    int Width(const std::string& window);

    // Keyboard focus to the window (raised first: with no window manager a
    // later window stays on top), then keys in xdotool's names ("F5",
    // "ctrl+a"), or text typed character by character.
    bool Keys(const std::string& window, const std::string& keys);
    bool Type(const std::string& window, const std::string& utf8Text);
    // Keys to whatever has the keyboard now (an open drop-down list, which
    // holds the keyboard and must not lose it to a focus change).
    bool KeysToFocused(const std::string& keys);
    // A left click at x, y relative to the window's top-left corner.
    bool Click(const std::string& window, int x, int y);

    // The clipboard's text as UTF-8, "" when nothing is on it.
    std::string Clipboard();
    // Puts a marker text on the clipboard, so that a later copy shows as a change.
    void MarkClipboard();
    // Waits until the clipboard holds something other than the marker.
    std::string WaitForClipboard(std::chrono::milliseconds timeout = std::chrono::seconds(10));

    // Saves a picture of the whole screen (for looking at a failure).
    void Screenshot(const std::string& path);

    // Runs a shell command with DISPLAY set to this server; true when it exits 0.
    bool Run(const std::string& command, std::string* output = nullptr);

private:
    pid_t xvfb_ = -1;
    pid_t program_ = -1;
    std::string display_;
    std::string error_;
};

}  // namespace vetch_test
