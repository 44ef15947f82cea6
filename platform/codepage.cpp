#include "platform/codepage.h"

#include <iconv.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>

namespace platform {
namespace detail {
namespace {

// Converts one CP932 sequence of 1 or 2 bytes to a single UTF-16 unit, or 0.
char16_t DecodeWithIconv(iconv_t cd, const unsigned char* bytes, size_t n) {
    char in[2];
    std::memcpy(in, bytes, n);
    char out[8];
    char* inp = in;
    char* outp = out;
    size_t inLeft = n;
    size_t outLeft = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &inp, &inLeft, &outp, &outLeft) == static_cast<size_t>(-1) || inLeft != 0) return 0;
    if (sizeof out - outLeft != 2) return 0;  // outside the BMP: never in CP932
    return static_cast<char16_t>(static_cast<unsigned char>(out[0]) |
                                 (static_cast<unsigned char>(out[1]) << 8));
}

// The code glibc prefers when several CP932 codes share one character.
unsigned short EncodeWithIconv(iconv_t cd, char16_t u) {
    char in[2] = {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
    char out[4];
    char* inp = in;
    char* outp = out;
    size_t inLeft = 2;
    size_t outLeft = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &inp, &inLeft, &outp, &outLeft) == static_cast<size_t>(-1)) return 0;
    size_t len = sizeof out - outLeft;
    if (len == 1) return static_cast<unsigned char>(out[0]);
    if (len == 2) {
        return static_cast<unsigned short>((static_cast<unsigned char>(out[0]) << 8) |
                                           static_cast<unsigned char>(out[1]));
    }
    return 0;
}

// Characters that CP932 itself has no code for but that the other common
// Japanese mapping (JIS X 0208 as Shift_JIS) puts on a code CP932 gives to a
// look-alike: Linux input methods type these.
struct ExtraCode {
    char16_t character;
    unsigned short code;
};
constexpr ExtraCode kOtherMappingCodes[] = {
    {0x301C, 0x8160},  // 〜 WAVE DASH: ～
    {0x2016, 0x8161},  // ‖ DOUBLE VERTICAL LINE: ∥
    {0x2212, 0x817C},  // − MINUS SIGN: －
    {0x00A2, 0x8191},  // ¢: ￠
    {0x00A3, 0x8192},  // £: ￡
    {0x00AC, 0x81CA},  // ¬: ￢
    {0x2014, 0x815C},  // — EM DASH: ―
};

std::unique_ptr<Cp932Tables> BuildTables() {
    auto t = std::make_unique<Cp932Tables>();  // zero-filled
    iconv_t dec = iconv_open("UTF-16LE", "CP932");
    iconv_t enc = iconv_open("CP932", "UTF-16LE");
    for (int b = 1; b < 0x80; ++b) t->single[b] = static_cast<char16_t>(b);
    for (int b = 0xA1; b <= 0xDF; ++b) t->single[b] = static_cast<char16_t>(0xFF61 + (b - 0xA1));
    if (dec != reinterpret_cast<iconv_t>(-1)) {
        for (int lead = 0x81; lead <= 0xFC; ++lead) {
            if (!IsLeadByte(static_cast<unsigned char>(lead))) continue;
            for (int trail = 0x40; trail <= 0xFC; ++trail) {
                if (trail == 0x7F) continue;
                unsigned char bytes[2] = {static_cast<unsigned char>(lead),
                                          static_cast<unsigned char>(trail)};
                t->pair[lead * 256 + trail] = DecodeWithIconv(dec, bytes, 2);
            }
        }
        iconv_close(dec);
    }
    for (int b = 1; b < 256; ++b) {
        if (t->single[b]) t->encode[t->single[b]] = static_cast<unsigned short>(b);
    }
    for (int code = 0; code < 256 * 256; ++code) {
        char16_t u = t->pair[code];
        if (!u || t->encode[u]) continue;
        unsigned short preferred = enc != reinterpret_cast<iconv_t>(-1) ? EncodeWithIconv(enc, u) : 0;
        t->encode[u] = preferred ? preferred : static_cast<unsigned short>(code);
    }
    if (enc != reinterpret_cast<iconv_t>(-1)) iconv_close(enc);
    for (const ExtraCode& extra : kOtherMappingCodes) {
        if (!t->encode[extra.character]) t->encode[extra.character] = extra.code;
    }
    // Every code decodes to its character. A code other than its character's
    // preferred one gets its form number, so the widget edge can mark it and
    // give the same code back. Codes are visited in order, so the forms of a
    // character are numbered by code.
    std::map<char16_t, Cp932Tables::OtherForms> others;
    for (int code = 0; code < 256 * 256; ++code) {
        char16_t u = t->pair[code];
        if (!u || t->encode[u] == code) continue;
        Cp932Tables::OtherForms& forms = others.try_emplace(u, Cp932Tables::OtherForms{u, {}}).first->second;
        unsigned k = 0;
        while (k < kMaxOtherForms && forms.codes[k]) ++k;
        if (k == kMaxOtherForms) continue;  // never so many in CP932; such a code would round-trip as preferred
        forms.codes[k] = static_cast<unsigned short>(code);
        t->form[code] = static_cast<unsigned char>(k + 1);
        t->leadHasForms[code >> 8] = true;
    }
    t->otherForms.reserve(others.size());
    for (const auto& entry : others) t->otherForms.push_back(entry.second);
    return t;
}

}  // namespace

const Cp932Tables& Tables() {
    static const std::unique_ptr<Cp932Tables> tables = BuildTables();
    return *tables;
}

unsigned short OtherFormCode(char16_t u, unsigned k) {
    const auto& forms = Tables().otherForms;
    auto it = std::lower_bound(forms.begin(), forms.end(), u,
                               [](const Cp932Tables::OtherForms& f, char16_t c) { return f.character < c; });
    if (it == forms.end() || it->character != u || k >= kMaxOtherForms) return 0;
    return it->codes[k];
}

}  // namespace detail

namespace {

void AppendUtf8(char16_t u, std::string& out) {
    char bytes[3];
    out.append(bytes, detail::PutUtf8(u, bytes));
}

void AppendCp932Code(unsigned short code, std::string& out) {
    if (code < 0x100) {
        out.push_back(static_cast<char>(code));
    } else {
        out.push_back(static_cast<char>(code >> 8));
        out.push_back(static_cast<char>(code & 0xFF));
    }
}

}  // namespace

std::string Cp932ToUtf8(std::string_view cp932) {
    const auto& t = detail::Tables();
    std::string out;
    out.reserve(cp932.size() + cp932.size() / 2);
    const auto* p = reinterpret_cast<const unsigned char*>(cp932.data());
    size_t n = cp932.size();
    for (size_t i = 0; i < n;) {
        unsigned char c = p[i];
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
            ++i;
            continue;
        }
        if (i + 1 < n) {
            char16_t u = t.pair[c * 256 + p[i + 1]];
            if (u) {
                AppendUtf8(u, out);
                i += 2;
                continue;
            }
        }
        char16_t u = t.single[c];
        if (u) {
            AppendUtf8(u, out);
        } else {
            out.push_back('?');
        }
        ++i;
    }
    return out;
}

void AppendUtf8AsCp932(std::string_view utf8, std::string& out) {
    const auto& t = detail::Tables();
    const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
    size_t n = utf8.size();
    size_t i = 0;
    while (i < n) {
        unsigned char c = p[i];
        if (c < 0x80) {
            size_t start = i;
            while (i < n && p[i] < 0x80) ++i;
            out.append(utf8.data() + start, i - start);
            continue;
        }
        char32_t u = 0;
        size_t len = 0;
        if (c >= 0xC2 && c <= 0xDF) {
            u = c & 0x1F;
            len = 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            u = c & 0x0F;
            len = 3;
        } else if (c >= 0xF0 && c <= 0xF4) {
            u = c & 0x07;
            len = 4;
        }
        bool ok = len != 0 && i + len <= n;
        for (size_t k = 1; ok && k < len; ++k) {
            if ((p[i + k] & 0xC0) != 0x80) ok = false;
            else u = (u << 6) | (p[i + k] & 0x3F);
        }
        // A character in more bytes than it needs (an overlong form: E0 80
        // AF for '/') is malformed, as are surrogates and code points past
        // U+10FFFF; none may pass for the character it imitates.
        if (ok && ((len == 3 && u < 0x800) || (len == 4 && (u < 0x10000 || u > 0x10FFFF)) ||
                   (u >= 0xD800 && u <= 0xDFFF))) {
            ok = false;
        }
        if (!ok) {
            out.push_back('?');
            ++i;
            continue;
        }
        i += len;
        unsigned short code = u < 0x10000 ? t.encode[u] : 0;
        if (code) AppendCp932Code(code, out);
        else out.push_back('?');
    }
}

std::string Utf8ToCp932(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    AppendUtf8AsCp932(utf8, out);
    return out;
}

}  // namespace platform
