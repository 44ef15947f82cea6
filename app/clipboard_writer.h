// ClipboardWriter: puts a text on the system clipboard for the result windows.
#pragma once

#include <string_view>

class QWidget;

class ClipboardWriter {
public:
    virtual ~ClipboardWriter() = default;
    // 0 on success, -1 when there is no clipboard to open.
    int CopyTextToClipboard(QWidget* owner, std::string_view cp932);
};
