#include "platform/qtext.h"

#include "platform/codepage.h"

namespace platform {

namespace {

// One pass over the bytes; with kLineBreaks, CR LF and a lone CR become LF.
template <bool kLineBreaks>
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
            char16_t u = t.pair[c * 256 + p[i + 1]];
            if (u) {
                dst[w++] = u;
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

QString Cp932ToQString(std::string_view cp932) { return Decode<false>(cp932); }
QString Cp932ToQStringLf(std::string_view cp932) { return Decode<true>(cp932); }

namespace {

template <bool kCrLf>
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
        unsigned short code = t.encode[u];
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

std::string QStringToCp932(const QString& text) { return Encode<false>(text); }
std::string QStringToCp932CrLf(const QString& text) { return Encode<true>(text); }

namespace {

size_t CharLength(const char16_t* s, qsizetype i, qsizetype n, qsizetype* advance) {
    char16_t u = s[i];
    *advance = 1;
    if (u < 0x80) return u == '\n' ? 2 : 1;
    if (u >= detail::kEscapeBase + 0x80 && u <= detail::kEscapeBase + 0xFF) return 1;
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

}  // namespace platform
