#include "platform/message_box.h"

#include "platform/cdialog.h"
#include "platform/qtext.h"

#include <QAbstractButton>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>

namespace platform {
namespace {

std::function<int(const ShownMessage&)>& Responder() {
    static std::function<int(const ShownMessage&)> responder;
    return responder;
}

std::string& DisplayName() {
    static std::string name = "vetch";
    return name;
}

}  // namespace

void SetMessageBoxResponder(std::function<int(const ShownMessage&)> responder) {
    Responder() = std::move(responder);
}

std::vector<ShownMessage>& ShownMessages() {
    static std::vector<ShownMessage> shown;
    return shown;
}

std::string AppDisplayName() { return DisplayName(); }
void SetAppDisplayName(std::string cp932) { DisplayName() = std::move(cp932); }

std::string ProgramDisplayName(std::string_view programPath) {
    const QString path = QFile::decodeName(QByteArray(programPath.data(), static_cast<qsizetype>(programPath.size())));
    return QStringToCp932(QFileInfo(path).completeBaseName());
}

int MessageBox(QWidget* parent, std::string_view textCp932, int flags) {
    ShownMessage shown{std::string(textCp932), AppDisplayName(), flags};
    if (Responder()) {
        ShownMessages().push_back(shown);
        return Responder()(shown);
    }
    QMessageBox box(parent);
    box.setWindowTitle(Cp932ToQString(shown.title));
    box.setText(Cp932ToQString(textCp932));
    if ((flags & 0xF0) == MB_ICONEXCLAMATION) box.setIcon(QMessageBox::Warning);
    if ((flags & 0x0F) == MB_OKCANCEL) {
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Ok);
        box.button(QMessageBox::Cancel)->setText(QString::fromUtf8("ｷｬﾝｾﾙ"));
    } else if ((flags & 0x0F) == MB_YESNO) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        box.button(QMessageBox::Yes)->setText(QString::fromUtf8("はい(&Y)"));
        box.button(QMessageBox::No)->setText(QString::fromUtf8("いいえ(&N)"));
        return box.exec() == QMessageBox::Yes ? IDYES : IDNO;
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    return box.exec() == QMessageBox::Ok ? IDOK : IDCANCEL;
}

}  // namespace platform
