#include "results/batch_log.h"

#include "platform/sjis_format.h"

#include <algorithm>

namespace results {

std::string BatchOutcomeLine(int executeResult, int columnCount, std::string_view diagnostic) {
    static const std::string kResultSet = platform::Sjis("複数の結果が返されます（本機能では結果を表示できません）");
    static const std::string kSucceeded = platform::Sjis("成功しました");
    if (executeResult < 0) return std::string(diagnostic);
    if (executeResult > 0) return platform::SjisFormat("%d件 更新しました", executeResult);
    return columnCount >= 1 ? kResultSet : kSucceeded;
}

std::string LogCopyText(const std::vector<std::string>& lines, const std::vector<bool>& selected) {
    const std::size_t count = std::min(lines.size(), selected.size());
    std::size_t size = 0;
    for (std::size_t i = 0; i < count; ++i) {
        if (selected[i]) size += lines[i].size() + 2;
    }
    std::string text;
    text.reserve(size);
    for (std::size_t i = 0; i < count; ++i) {
        if (!selected[i]) continue;
        text += lines[i];
        text += "\r\n";
    }
    return text;
}

}  // namespace results
