// The widget edge of the code page: CP932 bytes <-> QString. Bytes that are
// not valid CP932 survive a round trip as private-use characters.
#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace platform {

QString Cp932ToQString(std::string_view cp932);
std::string QStringToCp932(const QString& text);

// The program's own UTF-8 literals (captions, messages) as CP932.
inline std::string Sjis(std::string_view utf8Literal) {
    return QStringToCp932(QString::fromUtf8(utf8Literal.data(), static_cast<qsizetype>(utf8Literal.size())));
}

}  // namespace platform
