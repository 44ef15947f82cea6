// Byte-string transforms the editor commands and result windows apply to SQL
// text. Text is CP932 (Shift-JIS) bytes without NUL; nothing here knows SQL
// syntax, quoting or comments, and none of the functions keeps state.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Turns every run of TAB, LF, CR and space into one space and drops white space
// at the start; white space at the end becomes one trailing space. dst must hold
// at least strlen(src) + 1 bytes and must not overlap src. Writes the collapsed
// text and its NUL and returns the length written; allocates nothing.
size_t CollapseWhitespace(const char* src, char* dst);
std::string CollapseWhitespace(std::string_view src);

// Makes every line end CR LF: a lone LF, a lone CR and CR LF each become CR LF,
// so LF CR is two line ends and CR CR LF is two as well.
std::string ToCrLf(std::string_view src);

// Converts ASCII letters in place, stepping over double-byte characters (lead
// bytes 0x81-0x9F and 0xE0-0xFC take the byte after them along unchanged).
// mode 1: upper case, mode 2: lower case, any other mode: nothing.
// The std::string form converts exactly the string's bytes.
inline constexpr int kCaseUpper = 1;
inline constexpr int kCaseLower = 2;
void ConvertCase(char* text, int mode);
void ConvertCase(std::string& text, int mode);

// Takes the SQL back out of source code that builds it from double-quoted
// literals: keeps what stands between quote pairs, plus every CR and LF outside
// them. No escapes: a backslash is an ordinary byte and every quote toggles.
std::string ExtractSqlFromCode(std::string_view src);
