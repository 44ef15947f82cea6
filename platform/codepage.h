// The one place where text changes code page. Inside the program every text is
// CP932 (Shift-JIS) bytes; these functions are the edges to UTF-8 (ODBC) and,
// in qtext.h, to Unicode widgets.
#pragma once

#include "platform/cp932.h"

#include <string>
#include <string_view>

namespace platform {

// CP932 -> UTF-8 for text sent to a data source. Bytes that are not valid
// CP932 become '?'.
std::string Cp932ToUtf8(std::string_view cp932);

// UTF-8 -> CP932 for names, values and diagnostics read from a data source.
// A character without a CP932 form, or a malformed UTF-8 sequence, becomes '?'.
std::string Utf8ToCp932(std::string_view utf8);

// Appends the CP932 form of utf8 to out (the allocation-free form of
// Utf8ToCp932 for the fetch loop).
void AppendUtf8AsCp932(std::string_view utf8, std::string& out);

namespace detail {
// Decoding tables, built once from glibc iconv. A zero entry means "no
// character": the byte (or byte pair) is not valid CP932.
struct Cp932Tables {
    char16_t single[256];
    char16_t pair[256 * 256];      // indexed by lead * 256 + trail; preferred codes only
    char16_t anyPair[256 * 256];   // every code, duplicates included
    unsigned short encode[65536];  // Unicode BMP -> CP932 code (0 = none)
};
const Cp932Tables& Tables();

// Bytes that are not valid CP932 travel through widgets as these private-use
// characters, U+F700 + byte, and come back as the same byte.
constexpr char16_t kEscapeBase = 0xF700;
}  // namespace detail

}  // namespace platform
