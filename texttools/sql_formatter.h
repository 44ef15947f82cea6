// The keyword line-break formatter behind "SQLの改行" (F8) and, before the
// wrapping, "SQLの改行と括り" (F9).
#pragma once

#include <string>
#include <string_view>

// Puts CR LF around the SQL keywords SELECT, FROM, WHERE, GROUP BY, ORDER BY,
// ALL, INSERT INTO, INSERT, INTO, UNION ALL, UNION, UPDATE, DELETE, VALUES and
// COMMIT, and after OR and AND, writing each recognised keyword in upper case;
// and puts CR LF after a comma once the current line has grown past
// lineBreakCount bytes. A keyword is recognised only between delimiters (TAB,
// LF, CR, space, "(" or ")", or the start of the text before it); the text's
// own line ends are ordinary bytes and start no new line count. Works on CP932
// bytes and knows no quoting: keywords inside literals are broken too.
std::string FormatSqlLineBreaks(std::string_view text, int lineBreakCount);

// The same into `out`, replacing its contents and reusing its storage, for
// callers that format again and again. `text` must not lie inside `out`.
void FormatSqlLineBreaks(std::string_view text, int lineBreakCount, std::string& out);
