// The one place where text changes code page. Inside the program every text is
// CP932 (Shift-JIS) bytes; these functions are the edges to UTF-8 (ODBC) and,
// in qtext.h, to Unicode widgets.
#pragma once

#include "platform/cp932.h"

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// CP932 -> UTF-8 for text sent to a data source. Bytes that are not valid
// CP932 become '?'.
std::string Cp932ToUtf8(std::string_view cp932);

// UTF-8 -> CP932 for names, values and diagnostics read from a data source.
// Every character takes its preferred code; the characters that only the
// other common Japanese mapping gives a code (〜 U+301C, ‖ U+2016, − U+2212,
// ¢, £, ¬ U+00AC, — U+2014) take that code. A character without a CP932
// form, or a malformed UTF-8 sequence, becomes '?'.
std::string Utf8ToCp932(std::string_view utf8);

// Appends the CP932 form of utf8 to out (the allocation-free form of
// Utf8ToCp932 for the fetch loop).
void AppendUtf8AsCp932(std::string_view utf8, std::string& out);

namespace detail {
// Characters with several CP932 codes (NEC row 13, the NEC-selected IBM
// extensions, the IBM extensions) have one preferred code, the one text
// typed or pasted gets, and up to this many others.
constexpr unsigned kMaxOtherForms = 4;

// Decoding and encoding tables, built once from glibc iconv. A zero entry
// means "no character" (the byte or byte pair is not valid CP932) or "no
// code" (the character has no CP932 form).
struct Cp932Tables {
    char16_t single[256];
    char16_t pair[256 * 256];  // indexed by lead * 256 + trail: every valid code
    // 0 for a preferred code; k + 1 for a character's k-th other code.
    unsigned char form[256 * 256];
    bool leadHasForms[256];        // a lead byte of some code whose form is not 0
    unsigned short encode[65536];  // Unicode BMP -> preferred CP932 code
    // The other codes of each character that has some, ordered by character.
    struct OtherForms {
        char16_t character;
        unsigned short codes[kMaxOtherForms];
    };
    std::vector<OtherForms> otherForms;
};
const Cp932Tables& Tables();

// The code of character u in its other form k (0-based), or 0 when u has none.
unsigned short OtherFormCode(char16_t u, unsigned k);

// Bytes that are not valid CP932 travel through widgets as these private-use
// characters, U+F700 + byte, and come back as the same byte.
constexpr char16_t kEscapeBase = 0xF700;

// In a widget, a character decoded from one of its other codes is followed
// by the variation selector U+FE00 + k that names the form. Selectors are
// default-ignorable: they neither show nor stop the caret.
constexpr char16_t kFormMarkerBase = 0xFE00;
constexpr bool IsFormMarker(char16_t u) { return u >= kFormMarkerBase && u <= kFormMarkerBase + 15; }

// Writes the UTF-8 form of a BMP character at out; returns the end.
inline char* PutUtf8(char16_t u, char* out) {
    if (u < 0x80) {
        *out++ = static_cast<char>(u);
    } else if (u < 0x800) {
        *out++ = static_cast<char>(0xC0 | (u >> 6));
        *out++ = static_cast<char>(0x80 | (u & 0x3F));
    } else {
        *out++ = static_cast<char>(0xE0 | (u >> 12));
        *out++ = static_cast<char>(0x80 | ((u >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (u & 0x3F));
    }
    return out;
}

}  // namespace detail

}  // namespace platform
