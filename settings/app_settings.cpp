#include "settings/app_settings.h"

#include "platform/cp932.h"
#include "settings/ini_file.h"

#include <filesystem>
#include <string_view>
#include <utility>

namespace {

constexpr std::size_t kTextBuffer = AppSettings::kTextMax + 1;
constexpr std::size_t kWinSizeBuffer = 255;
constexpr const char* kWinSizeKeys[5] = {"WINSIZE1", "WINSIZE2", "WINSIZE3", "WINSIZE4", "WINSIZE5"};

std::string DefaultPath() {
    std::error_code ec;
    const std::filesystem::path cwd = std::filesystem::current_path(ec);
    return ec ? std::string("vetch.ini") : (cwd / "vetch.ini").string();
}

// "%d,%d" as sscanf reads it: a number that does not scan leaves its half,
// and everything after it, unchanged. Numbers beyond the int range saturate.
void ScanWinSize(std::string_view text, WinSize& size) {
    const platform::LeadingNumber width = platform::ReadLeadingNumber(text);
    if (width.length == 0) return;
    size.width = platform::SaturateToInt(width.value);
    if (width.length >= text.size() || text[width.length] != ',') return;
    const platform::LeadingNumber height = platform::ReadLeadingNumber(text.substr(width.length + 1));
    if (height.length != 0) size.height = platform::SaturateToInt(height.value);
}

}  // namespace

AppSettings::AppSettings() : AppSettings(DefaultPath()) {}

AppSettings::AppSettings(std::string path) : path_(std::move(path)) { LoadSettings(); }

AppSettings::~AppSettings() { SaveSettings(); }

void AppSettings::LoadSettings() {
    IniFile ini;
    ini.Load(path_);  // an unreadable file reads as empty: defaults

    hostString = ini.GetString("SQL", "HOSTSTRING", "", kTextBuffer);
    userName = ini.GetString("SQL", "USERNAME", "", kTextBuffer);
    password = ini.GetString("SQL", "PASSWORD", "", kTextBuffer);
    timeout = ini.GetInt("SQL", "TIMEOUT", 15);
    resultMax = ini.GetInt("SQL", "RESULTMAX", 100);

    paramName = ini.GetString("STRING", "PARMNAME", "", kTextBuffer);
    lineBreakCount = ini.GetInt("STRING", "RETURN", 100);
    language = ini.GetInt("STRING", "LANGUAGE", 0);

    for (std::size_t n = 0; n < winSize.size(); ++n) {
        winSize[n] = WinSize{};
        ScanWinSize(ini.GetString("SYSTEM", kWinSizeKeys[n], "", kWinSizeBuffer), winSize[n]);
    }
    fontSize = ini.GetInt("SYSTEM", "FONTSIZE", 10);
}

void AppSettings::SaveSettings() {
    IniFile ini;
    if (!ini.Load(path_)) return;

    ini.SetString("SQL", "HOSTSTRING", hostString);
    ini.SetString("SQL", "USERNAME", userName);
    ini.SetString("SQL", "PASSWORD", password);
    ini.SetString("SQL", "TIMEOUT", std::to_string(timeout));
    ini.SetString("SQL", "RESULTMAX", std::to_string(resultMax));

    ini.SetString("STRING", "PARMNAME", paramName);
    ini.SetString("STRING", "RETURN", std::to_string(lineBreakCount));
    ini.SetString("STRING", "LANGUAGE", std::to_string(language));

    for (std::size_t n = 0; n < winSize.size(); ++n) {
        ini.SetString("SYSTEM", kWinSizeKeys[n],
                      std::to_string(winSize[n].width) + "," + std::to_string(winSize[n].height));
    }
    ini.SetString("SYSTEM", "FONTSIZE", std::to_string(fontSize));

    ini.Save(path_);
}
