#include "platform/clipboard_writer.h"

int ClipboardWriter::CopyTextToClipboard(QWidget* owner, std::string_view cp932) {
    (void)owner;
    return platform::SetClipboardText(cp932) ? 0 : -1;
}

int ClipboardWriter::CopyTextToClipboard(QWidget* owner, platform::ClipboardTextBuilder text) {
    (void)owner;
    return platform::SetClipboardText(std::move(text)) ? 0 : -1;
}
