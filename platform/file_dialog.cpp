#include "platform/file_dialog.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>

namespace platform {
namespace {

std::function<std::optional<std::string>(const FileDialogRequest&)>& Responder() {
    static std::function<std::optional<std::string>(const FileDialogRequest&)> responder;
    return responder;
}

// A name with a wildcard is a filter, never a file name, as in the dialogs
// of the desktop the program's file handling follows: accepting one lists
// the files that match it and keeps the dialog open.
class FilteringFileDialog : public QFileDialog {
public:
    using QFileDialog::QFileDialog;

    void accept() override {
        const QStringList chosen = selectedFiles();
        const QString name = chosen.isEmpty() ? QString() : QFileInfo(chosen.front()).fileName();
        if (!name.contains(QLatin1Char('*')) && !name.contains(QLatin1Char('?'))) {
            QFileDialog::accept();
            return;
        }
        QStringList filters = nameFilters();
        if (!filters.contains(name)) filters << name;
        setNameFilters(filters);
        selectNameFilter(name);
    }
};

}  // namespace

void SetFileDialogResponder(std::function<std::optional<std::string>(const FileDialogRequest&)> responder) {
    Responder() = std::move(responder);
}

std::vector<FileDialogRequest>& ShownFileDialogs() {
    static std::vector<FileDialogRequest> shown;
    return shown;
}

std::vector<std::string> NameFiltersOf(std::string_view filter) {
    std::vector<std::string> parts;
    while (!filter.empty()) {
        const std::size_t bar = filter.find('|');
        parts.emplace_back(filter.substr(0, bar));
        if (bar == std::string_view::npos) break;
        filter.remove_prefix(bar + 1);
    }
    std::vector<std::string> out;
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        const std::string& description = parts[i];
        std::string patterns = parts[i + 1];
        if (description.empty() && patterns.empty()) break;  // the closing "||"
        for (char& c : patterns) {
            if (c == ';') c = ' ';
        }
        const std::string tail = "(" + patterns + ")";
        const bool named = description.size() >= tail.size() &&
                           description.compare(description.size() - tail.size(), tail.size(), tail) == 0;
        out.push_back(named ? description : description + " " + tail);
    }
    return out;
}

std::optional<std::string> ShowFileDialog(QWidget* parent, const FileDialogRequest& request) {
    if (Responder()) {
        ShownFileDialogs().push_back(request);
        return Responder()(request);
    }
    const bool open = request.kind == FileDialogKind::Open;
    FilteringFileDialog dialog(parent, QString::fromUtf8(open ? "開く" : "名前を付けて保存"));
    dialog.setAcceptMode(open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    QStringList filters;
    for (const std::string& f : NameFiltersOf(request.filter)) filters << QString::fromUtf8(f);
    if (!filters.isEmpty()) dialog.setNameFilters(filters);
    if (!request.defaultSuffix.empty()) dialog.setDefaultSuffix(QString::fromUtf8(request.defaultSuffix));
    dialog.setDirectory(request.folder.empty() ? QDir::currentPath() : QFile::decodeName(request.folder.c_str()));
    if (!request.fileName.empty()) dialog.selectFile(QFile::decodeName(request.fileName.c_str()));
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty()) return std::nullopt;
    return QFile::encodeName(chosen.front()).toStdString();
}

}  // namespace platform
