// The system clipboard as plain text, CP932 inside, Unicode outside.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Replaces the clipboard's content; false when there is no clipboard.
bool SetClipboardText(std::string_view cp932);
std::string GetClipboardText();

}  // namespace platform
