// The texts of a batch run's log, CP932: each statement's outcome line and
// the clipboard text of the selected lines.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace results {

// The outcome line of one statement, from Execute's answer and, for a
// failure (a negative answer), the driver's diagnostic message:
//   failure                  the message as it is (empty when there was none)
//   n rows changed (n > 0)   "n件 更新しました"
//   result columns           "複数の結果が返されます（本機能では結果を表示できません）"
//   anything else            "成功しました"
std::string BatchOutcomeLine(int executeResult, int columnCount, std::string_view diagnostic);

// Every selected line, in log order, each followed by CR LF; empty when no
// line is selected. selected has one flag per line.
std::string LogCopyText(const std::vector<std::string>& lines, const std::vector<bool>& selected);

}  // namespace results
