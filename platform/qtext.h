// The widget edge of the code page: CP932 bytes <-> QString.
//
// Text shown in a widget comes back as the same bytes when nobody edits it:
// bytes that are not valid CP932 travel as private-use characters, and a
// character decoded from a code other than its preferred one (NEC row 13,
// the NEC-selected IBM extensions, the IBM extensions) is followed by an
// invisible variation selector that names the code (Forms::Keep). Text that
// leaves the program or enters it from outside, the clipboard, typing and
// pasting, carries no selectors and every character takes its preferred
// code (Forms::Preferred).
#pragma once

#include "platform/sjis_format.h"

#include <QString>

#include <string>
#include <string_view>

namespace platform {

enum class Forms { Keep, Preferred };

QString Cp932ToQString(std::string_view cp932, Forms forms = Forms::Keep);
std::string QStringToCp932(const QString& text, Forms forms = Forms::Keep);

// cp932 as UTF-8, each character in its preferred code (no form selectors,
// as Forms::Preferred decodes it): the clipboard's own form, written straight
// into out without a QString between. Writes at most 3 bytes for each byte
// of cp932 and returns how many it wrote.
std::size_t Cp932ToClipboardUtf8(std::string_view cp932, char* out);

// The edit-control forms: a widget's LF is a line break, CR LF in CP932.
QString Cp932ToQStringLf(std::string_view cp932, Forms forms = Forms::Keep);  // CR LF, lone CR, lone LF -> LF
std::string QStringToCp932CrLf(const QString& text, Forms forms = Forms::Keep);  // LF -> CR LF

// What text typed or pasted into an editor becomes: each character as its
// CP932 code shows it, "?" where it has none (an emoji, é, Hangul), so the
// editor never shows anything but what will run or be saved. Variation
// selectors from outside are dropped; CR LF and lone CR become LF.
QString AsCp932Shows(const QString& typed);

// Length in CP932 bytes of text[from, to), an LF counting 2 (CR LF) and a
// form selector 0.
size_t Cp932LengthCrLf(const QString& text, qsizetype from, qsizetype to);
// The character position whose CP932 offset (LF = 2 bytes) is the first one
// at or after byteOffset; the text's length when the offset lies beyond it.
qsizetype PositionForCp932Offset(const QString& text, size_t byteOffset);
// position moved past a form selector that stands there, so that a caret or
// a selection edge never separates a character from its selector.
qsizetype PastFormMarker(const QString& text, qsizetype position);

// A file-system path (the bytes the system calls take, UTF-8 here) as CP932
// text for titles, menus and messages. Only what is shown is converted; the
// path itself is used as it is.
std::string FileNameToCp932(std::string_view path);

}  // namespace platform
