// The File menu's open, save and save-as: an SQL file into the shown buffer
// and the shown buffer back to its file.
#include "app/main_dlg.h"
#include "app/sql_file.h"
#include "platform/atomic_file.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/qtext.h"
#include "platform/sjis_format.h"

#include <filesystem>
#include <system_error>

namespace {

// The dialogs start in the folder "sql" beside the current one, when there
// is one; otherwise in the current folder. The current folder itself is
// never changed.
platform::FileDialogRequest SqlFileDialog(platform::FileDialogKind kind) {
    platform::FileDialogRequest request;
    request.kind = kind;
    std::error_code ec;
    const std::filesystem::path here = std::filesystem::current_path(ec);
    if (!ec) {
        const std::filesystem::path sql = (here / ".." / "sql").lexically_normal();
        if (std::filesystem::is_directory(sql, ec)) request.folder = sql.string();
    }
    request.fileName = "*.sql";
    request.filter = "SQL Files (*.sql)|*.sql||";
    request.defaultSuffix = "sql";
    return request;
}

}  // namespace

void CMainDlg::OnFileOpen() {
    const std::optional<std::string> path =
        platform::ShowFileDialog(this, SqlFileDialog(platform::FileDialogKind::Open));
    if (!path) return;
    const std::string shown = platform::FileNameToCp932(*path);
    SqlFileRead file = ReadSqlFile(*path);
    if (file.tooLarge) {
        platform::MessageBox(this, platform::SjisFormat("ﾌｧｲﾙが大きすぎるため開けません(256MBまで)。\n%s", shown.c_str()),
                             platform::MB_ICONEXCLAMATION | platform::MB_OK);
        return;
    }
    if (file.error) {
        platform::MessageBox(this,
                             platform::SjisFormat("ﾌｧｲﾙを開けませんでした。\n%s\n%s", shown.c_str(),
                                                  file.error.message().c_str()),
                             platform::MB_ICONEXCLAMATION | platform::MB_OK);
        return;
    }
    curEdit->SetText(file.text);
    buffers[curBuffer].fileName = *path;
    UpdateBufferCaption(curBuffer);
}

void CMainDlg::OnFileSave() {
    if (buffers[curBuffer].fileName.empty()) {
        OnFileSaveAs();
        return;
    }
    WriteEditorToFile(buffers[curBuffer].fileName);
}

void CMainDlg::OnFileSaveAs() {
    const std::optional<std::string> path =
        platform::ShowFileDialog(this, SqlFileDialog(platform::FileDialogKind::Save));
    if (!path) return;
    // A buffer takes the new name only once its text is in that file.
    if (!WriteEditorToFile(*path)) return;
    buffers[curBuffer].fileName = *path;
    UpdateBufferCaption(curBuffer);
}

bool CMainDlg::WriteEditorToFile(const std::string& path) {
    // The editor's bytes as they are: CR LF line ends, no terminator, no
    // byte-order mark. A write-protected file is refused, not replaced.
    const std::error_code error = platform::WriteFileAtomically(path, curEdit->GetText(), platform::kOrdinaryFileMode);
    if (!error) return true;
    platform::MessageBox(this,
                         platform::SjisFormat("ﾌｧｲﾙを保存できませんでした。\n%s\n%s",
                                              platform::FileNameToCp932(path).c_str(), error.message().c_str()),
                         platform::MB_ICONEXCLAMATION | platform::MB_OK);
    return false;
}
