// One of the five editor buffers: its file and, while it is not shown, its text.
#pragma once

#include <optional>
#include <string>

struct EditorBuffer {
    std::string fileName;                  // full path, empty = no file
    std::optional<std::string> savedText;  // null while shown or never shown
};
