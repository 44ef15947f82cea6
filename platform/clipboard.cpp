#include "platform/clipboard.h"

#include "platform/qtext.h"

#include <QClipboard>
#include <QGuiApplication>

namespace platform {

bool SetClipboardText(std::string_view cp932) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard) return false;
    clipboard->setText(ClipboardText(cp932), QClipboard::Clipboard);
    return true;
}

std::string GetClipboardText() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    return clipboard ? QStringToCp932(clipboard->text(QClipboard::Clipboard), Forms::Preferred) : std::string();
}

QString ClipboardText(std::string_view cp932) { return Cp932ToQString(cp932, Forms::Preferred); }

}  // namespace platform
