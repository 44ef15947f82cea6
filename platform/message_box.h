// Message boxes titled with the program's display name, with the framework's
// flags: 48 (exclamation, OK), 49 (exclamation, OK and Cancel) and 52
// (exclamation, Yes and No).
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

class QWidget;

namespace platform {

constexpr int MB_OK = 0x00;
constexpr int MB_OKCANCEL = 0x01;
constexpr int MB_YESNO = 0x04;
constexpr int MB_ICONEXCLAMATION = 0x30;

// The answers of a Yes/No box (IDOK and IDCANCEL are in cdialog.h).
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// What a message box showed, for tests.
struct ShownMessage {
    std::string text;   // CP932
    std::string title;  // CP932
    int flags;
};

// Shows the box and returns IDOK (1) or IDCANCEL (2), or for MB_YESNO
// IDYES or IDNO.
int MessageBox(QWidget* parent, std::string_view textCp932, int flags);

// Test seam: the responder answers instead of a person; every box is recorded.
void SetMessageBoxResponder(std::function<int(const ShownMessage&)> responder);
std::vector<ShownMessage>& ShownMessages();

// The program file's name without folder and extension ("vetch"), CP932.
std::string AppDisplayName();
void SetAppDisplayName(std::string cp932);
// The display name of the program started as programPath (argv[0], a
// file-system path): its file name without folder and extension, in CP932.
std::string ProgramDisplayName(std::string_view programPath);

}  // namespace platform
