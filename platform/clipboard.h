// The system clipboard as plain text, CP932 inside, Unicode outside.
#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace platform {

// Replaces the clipboard's content; false when there is no clipboard.
bool SetClipboardText(std::string_view cp932);
// The clipboard's text in CP932: every character in its preferred code.
std::string GetClipboardText();

// The Unicode text the clipboard gets for cp932: no form selectors, which
// mean nothing outside this program.
QString ClipboardText(std::string_view cp932);

}  // namespace platform
