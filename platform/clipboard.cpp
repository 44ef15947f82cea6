#include "platform/clipboard.h"

#include "platform/qtext.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <algorithm>

namespace platform {

void ClipboardTextBuilder::Reserve(std::size_t cp932Bytes) {
    // Most text is ASCII, a byte each; Japanese takes about half as much
    // again. Growing past this costs no copy: a block this large is moved by
    // remapping its pages.
    const auto estimate = static_cast<qsizetype>(cp932Bytes + cp932Bytes / 4);
    if (estimate > utf8_.size()) utf8_.resize(estimate);
}

void ClipboardTextBuilder::Append(std::string_view cp932) {
    const auto most = static_cast<qsizetype>(cp932.size()) * 3;
    if (utf8_.size() - size_ < most) utf8_.resize(std::max(size_ + most, utf8_.size() + utf8_.size() / 2));
    size_ += static_cast<qsizetype>(Cp932ToClipboardUtf8(cp932, utf8_.data() + size_));
}

bool SetClipboardText(ClipboardTextBuilder text) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard) return false;
    text.utf8_.truncate(text.size_);
    auto* data = new QMimeData;
    // Plain text as bytes is UTF-8, and served as it is.
    data->setData(QStringLiteral("text/plain"), text.utf8_);
    clipboard->setMimeData(data, QClipboard::Clipboard);
    return true;
}

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
