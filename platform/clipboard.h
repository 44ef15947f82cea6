// The system clipboard as plain text, CP932 inside, Unicode outside.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// A text for the clipboard built from CP932 pieces straight into the form
// the clipboard keeps and serves (UTF-8), so that a copy of a million rows
// exists once and never as a whole in CP932 or UTF-16 beside it.
class ClipboardTextBuilder {
public:
    // The CP932 length of the whole text, known before the first piece.
    void Reserve(std::size_t cp932Bytes);
    void Append(std::string_view cp932);
    bool Empty() const { return size_ == 0; }

private:
    friend bool SetClipboardText(ClipboardTextBuilder text);
    QByteArray utf8_;
    qsizetype size_ = 0;  // of utf8_, which is allocated ahead
};

// Replaces the clipboard's content; false when there is no clipboard.
bool SetClipboardText(std::string_view cp932);
bool SetClipboardText(ClipboardTextBuilder text);
// The clipboard's text in CP932: every character in its preferred code.
std::string GetClipboardText();

// The Unicode text the clipboard gets for cp932: no form selectors, which
// mean nothing outside this program.
QString ClipboardText(std::string_view cp932);

}  // namespace platform
