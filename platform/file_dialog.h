// The file open and save dialogs, with a seam beside the message box's: in
// production the real dialog asks the user; a test installs a responder that
// answers instead and sees every request.
//
// Paths here are file-system paths (the bytes the system calls take), not
// CP932 text: convert them for display only.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QWidget;

namespace platform {

enum class FileDialogKind { Open, Save };

struct FileDialogRequest {
    FileDialogKind kind = FileDialogKind::Open;
    std::string folder;         // where the dialog starts; empty = the current folder
    std::string fileName;       // proposed name, e.g. "*.sql"
    std::string filter;         // the framework's form: "SQL Files (*.sql)|*.sql||"
    std::string defaultSuffix;  // added to a typed name without one, e.g. "sql"
};

// Shows the dialog modally over parent and returns the chosen file's full
// path, or nothing when the user cancelled. The open dialog accepts only an
// existing file; the save dialog asks before an existing file is replaced.
std::optional<std::string> ShowFileDialog(QWidget* parent, const FileDialogRequest& request);

// Test seam: the responder answers instead of a person (nothing = cancel);
// every request is recorded in ShownFileDialogs while one is installed.
void SetFileDialogResponder(std::function<std::optional<std::string>(const FileDialogRequest&)> responder);
std::vector<FileDialogRequest>& ShownFileDialogs();

// The framework's filter text ("desc|pattern|desc|pattern||") as Qt's name
// filters ("desc (pattern)"), one per pair; ';' between patterns becomes a
// space. A description that already ends in its patterns is kept as it is.
std::vector<std::string> NameFiltersOf(std::string_view filter);

}  // namespace platform
