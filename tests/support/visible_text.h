// What shows of a widget text: everything but the invisible selectors that
// name the form of a character with two codes.
#pragma once

#include <QString>

inline QString Visible(QString text) {
    text.removeIf([](QChar c) { return c.unicode() >= 0xFE00 && c.unicode() <= 0xFE0F; });
    return text;
}

inline QString U(const char* utf8) { return QString::fromUtf8(utf8); }
