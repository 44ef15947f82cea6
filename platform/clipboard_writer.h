// ClipboardWriter: puts a text on the system clipboard for the result windows.
#pragma once

#include "platform/clipboard.h"

#include <string_view>

class QWidget;

class ClipboardWriter {
public:
    virtual ~ClipboardWriter() = default;
    // 0 on success, -1 when there is no clipboard to open.
    int CopyTextToClipboard(QWidget* owner, std::string_view cp932);
    // A text built for the clipboard, the large copies of the result lists.
    int CopyTextToClipboard(QWidget* owner, platform::ClipboardTextBuilder text);
};
