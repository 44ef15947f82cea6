#include "app/clipboard_writer.h"

#include "platform/clipboard.h"

int ClipboardWriter::CopyTextToClipboard(QWidget* owner, std::string_view cp932) {
    (void)owner;
    return platform::SetClipboardText(cp932) ? 0 : -1;
}
