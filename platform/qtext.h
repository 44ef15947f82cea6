// The widget edge of the code page: CP932 bytes <-> QString. Bytes that are
// not valid CP932 survive a round trip as private-use characters.
#pragma once

#include "platform/sjis_format.h"

#include <QString>

#include <string>
#include <string_view>

namespace platform {

QString Cp932ToQString(std::string_view cp932);
std::string QStringToCp932(const QString& text);

// The edit-control forms: a widget's LF is a line break, CR LF in CP932.
QString Cp932ToQStringLf(std::string_view cp932);       // CR LF, lone CR and lone LF become LF
std::string QStringToCp932CrLf(const QString& text);    // LF becomes CR LF

// Length in CP932 bytes of text[from, to), an LF counting 2 (CR LF).
size_t Cp932LengthCrLf(const QString& text, qsizetype from, qsizetype to);
// The character position whose CP932 offset (LF = 2 bytes) is the first one
// at or after byteOffset; the text's length when the offset lies beyond it.
qsizetype PositionForCp932Offset(const QString& text, size_t byteOffset);

}  // namespace platform
