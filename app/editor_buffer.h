// One of the five editor buffers: its file and, while it is not shown, its text.
#pragma once

#include <QTextDocument>

#include <memory>
#include <string>

struct EditorBuffer {
    std::string fileName;  // full path, empty = no file
    // The buffer's text while it is not shown, kept as the editor's own text
    // storage so that switching buffers hands storage over instead of copying
    // megabytes; null while the buffer is shown or before it was first shown.
    std::unique_ptr<QTextDocument> savedText;
};
