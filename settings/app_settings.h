// The program's settings record and its file vetch.ini: every persistent
// setting, loaded once when the record is made and written back, every key,
// when it is destroyed. Between the two the fields change in memory only.
#pragma once

#include <array>
#include <cstddef>
#include <string>

// Outer size in pixels of one window kind; 0,0 means "no size stored".
struct WinSize {
    int width = 0;
    int height = 0;
};

class AppSettings {
public:
    // Longest text a text field holds, in bytes; longer values are cut when
    // loaded, and the dialogs that edit the fields limit their input to it.
    static constexpr std::size_t kTextMax = 127;

    // Index into winSize of each window kind.
    enum WinKind { kMainWindow = 0, kQueryResult = 1, kTextResult = 2, kDbInfo = 3, kBatchRun = 4 };

    // Uses vetch.ini in the current directory at construction, so the file
    // loaded is the file saved even if the directory changes meanwhile.
    AppSettings();
    explicit AppSettings(std::string path);
    AppSettings(const AppSettings&) = delete;
    AppSettings& operator=(const AppSettings&) = delete;
    virtual ~AppSettings();  // runs SaveSettings

    // Sets every field from the file; missing keys give the defaults.
    void LoadSettings();

    // Writes all fourteen keys, keeping every other line of an existing file.
    // A failure is not reported (the run's changes are lost), but the
    // previous file is never damaged; an existing file that cannot be read is
    // left alone rather than replaced without its other lines.
    void SaveSettings();

    const std::string& Path() const { return path_; }

    std::string hostString;  // ODBC data source name
    std::string userName;
    std::string password;    // kept in plain text
    int timeout = 15;        // seconds
    int resultMax = 100;     // most rows a result list shows
    std::array<WinSize, 5> winSize{};  // WINSIZE1..5, indexed by WinKind
    int fontSize = 10;       // points
    int lineBreakCount = 100;
    std::string paramName;   // variable name of the code-string wrapping
    int language = 0;        // 0 = VC++, 1 = VB

private:
    std::string path_;
};
