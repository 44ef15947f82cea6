#include "platform/qtext.h"

#include "platform/codepage.h"

#include <QFile>

#include <cstdint>
#include <cstring>

namespace platform {

namespace {

// One pass over the bytes; with kLineBreaks, CR LF and a lone CR become LF;
// with kMarkForms, a character from one of its other codes gets its selector.
template <bool kLineBreaks, bool kMarkForms>
QString Decode(std::string_view cp932) {
    const auto& t = detail::Tables();
    QString out;
    out.resize(static_cast<qsizetype>(cp932.size()));
    char16_t* dst = reinterpret_cast<char16_t*>(out.data());
    qsizetype w = 0;
    const auto* p = reinterpret_cast<const unsigned char*>(cp932.data());
    size_t n = cp932.size();
    for (size_t i = 0; i < n;) {
        unsigned char c = p[i];
        if (c < 0x80) {
            if (kLineBreaks && c == '\r') {
                dst[w++] = '\n';
                i += (i + 1 < n && p[i + 1] == '\n') ? 2 : 1;
                continue;
            }
            dst[w++] = c;
            ++i;
            continue;
        }
        if (i + 1 < n) {
            const unsigned code = c * 256u + p[i + 1];
            char16_t u = t.pair[code];
            if (u) {
                dst[w++] = u;
                // Two bytes, at most two characters: the output has room.
                if (kMarkForms && t.leadHasForms[c] && t.form[code]) {
                    dst[w++] = static_cast<char16_t>(detail::kFormMarkerBase + t.form[code] - 1);
                }
                i += 2;
                continue;
            }
        }
        char16_t u = t.single[c];
        dst[w++] = u ? u : static_cast<char16_t>(detail::kEscapeBase + c);
        ++i;
    }
    out.truncate(w);
    return out;
}

}  // namespace

std::size_t Cp932ToClipboardUtf8(std::string_view cp932, char* out) {
    const auto& t = detail::Tables();
    const auto* p = reinterpret_cast<const unsigned char*>(cp932.data());
    const size_t n = cp932.size();
    char* w = out;
    for (size_t i = 0; i < n;) {
        // Most cells are ASCII: eight bytes at a time while they are.
        std::uint64_t block;
        if (i + 8 <= n && (std::memcpy(&block, p + i, 8), (block & 0x8080808080808080u) == 0)) {
            std::memcpy(w, &block, 8);
            w += 8;
            i += 8;
            continue;
        }
        const unsigned char c = p[i];
        if (c < 0x80) {
            *w++ = static_cast<char>(c);
            ++i;
            continue;
        }
        char16_t u = i + 1 < n ? t.pair[c * 256u + p[i + 1]] : char16_t{0};
        if (u) {
            i += 2;
        } else {
            u = t.single[c];
            if (!u) u = static_cast<char16_t>(detail::kEscapeBase + c);
            ++i;
        }
        w = detail::PutUtf8(u, w);
    }
    return static_cast<std::size_t>(w - out);
}

QString Cp932ToQString(std::string_view cp932, Forms forms) {
    return forms == Forms::Keep ? Decode<false, true>(cp932) : Decode<false, false>(cp932);
}

QString Cp932ToQStringLf(std::string_view cp932, Forms forms) {
    return forms == Forms::Keep ? Decode<true, true>(cp932) : Decode<true, false>(cp932);
}

namespace {

// With kKeepForms, a character followed by the selector of one of its other
// codes takes that code; a selector anywhere else (left alone by an edit, or
// from outside) is dropped.
template <bool kCrLf, bool kKeepForms>
std::string Encode(const QString& text) {
    const auto& t = detail::Tables();
    std::string out;
    out.reserve(static_cast<size_t>(text.size()) * 2);
    const char16_t* s = reinterpret_cast<const char16_t*>(text.constData());
    qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        char16_t u = s[i];
        if (u < 0x80) {
            if (kCrLf && u == '\n') out.push_back('\r');
            out.push_back(static_cast<char>(u));
            continue;
        }
        if (u >= detail::kEscapeBase + 0x80 && u <= detail::kEscapeBase + 0xFF) {
            out.push_back(static_cast<char>(u - detail::kEscapeBase));
            continue;
        }
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < n && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
            ++i;  // a character outside the BMP has no CP932 form
            out.push_back('?');
            continue;
        }
        if (detail::IsFormMarker(u)) continue;
        unsigned short code = t.encode[u];
        if (i + 1 < n && detail::IsFormMarker(s[i + 1])) {
            if (kKeepForms && code) {
                const unsigned short other = detail::OtherFormCode(u, s[i + 1] - detail::kFormMarkerBase);
                if (other) code = other;
            }
            ++i;
        }
        if (!code) {
            out.push_back('?');
        } else if (code < 0x100) {
            out.push_back(static_cast<char>(code));
        } else {
            out.push_back(static_cast<char>(code >> 8));
            out.push_back(static_cast<char>(code & 0xFF));
        }
    }
    return out;
}

}  // namespace

std::string QStringToCp932(const QString& text, Forms forms) {
    return forms == Forms::Keep ? Encode<false, true>(text) : Encode<false, false>(text);
}

std::string QStringToCp932CrLf(const QString& text, Forms forms) {
    return forms == Forms::Keep ? Encode<true, true>(text) : Encode<true, false>(text);
}

QString AsCp932Shows(const QString& typed) {
    return Cp932ToQStringLf(QStringToCp932(typed, Forms::Preferred), Forms::Preferred);
}

namespace {

size_t CharLength(const char16_t* s, qsizetype i, qsizetype n, qsizetype* advance) {
    char16_t u = s[i];
    *advance = 1;
    if (u < 0x80) return u == '\n' ? 2 : 1;
    if (u >= detail::kEscapeBase + 0x80 && u <= detail::kEscapeBase + 0xFF) return 1;
    if (detail::IsFormMarker(u)) return 0;
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < n && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
        *advance = 2;
        return 1;
    }
    unsigned short code = detail::Tables().encode[u];
    return code >= 0x100 ? 2 : 1;
}

}  // namespace

size_t Cp932LengthCrLf(const QString& text, qsizetype from, qsizetype to) {
    const char16_t* s = reinterpret_cast<const char16_t*>(text.constData());
    qsizetype n = text.size();
    if (to > n) to = n;
    size_t bytes = 0;
    for (qsizetype i = std::max<qsizetype>(from, 0); i < to;) {
        qsizetype advance;
        bytes += CharLength(s, i, n, &advance);
        i += advance;
    }
    return bytes;
}

qsizetype PositionForCp932Offset(const QString& text, size_t byteOffset) {
    const char16_t* s = reinterpret_cast<const char16_t*>(text.constData());
    qsizetype n = text.size();
    size_t bytes = 0;
    qsizetype i = 0;
    while (i < n && bytes < byteOffset) {
        qsizetype advance;
        bytes += CharLength(s, i, n, &advance);
        i += advance;
    }
    return i;
}

qsizetype PastFormMarker(const QString& text, qsizetype position) {
    while (position > 0 && position < text.size() && detail::IsFormMarker(text[position].unicode())) ++position;
    return position;
}

std::string FileNameToCp932(std::string_view path) {
    return QStringToCp932(QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size()))));
}

}  // namespace platform
