// String-literal wrapping behind "SQLの括り" (F7) and "SQLの改行と括り" (F9):
// SQL text becomes source lines that build the same text in a string variable.
#pragma once

#include <string>
#include <string_view>

// The LANGUAGE setting: 0 is the "VC++" form, every other value the "VB" form.
inline constexpr int kWrapLanguageVcpp = 0;
inline constexpr int kWrapLanguageVb = 1;

// The text that opens every generated line, up to and including the opening
// double quote: `name += "` for "VC++", `name = name & "` for "VB". The name is
// used as it is, even when empty or not a valid identifier.
std::string BuildCodePrefix(int language, std::string_view paramName);

// One generated line per line of text (CR LF, a lone CR, a lone LF and LF LF each
// end a line), each being codePrefix, the line's bytes, a space, the closing
// quote and, for "VC++", a semicolon. The space is left out when the byte before
// the line end is a space, or when the line end is the text's first byte. Lines
// end with CR LF and the result starts with an empty line. Nothing is escaped.
std::string WrapSqlAsCode(std::string_view text, int language, std::string_view codePrefix);
