#include "results/script_split.h"

namespace results {

std::size_t SplitScript(std::string_view script, const std::function<bool(std::string_view)>& onStatement) {
    // One buffer for the whole run, reused for every statement.
    std::string statement;
    statement.reserve(script.size());
    std::size_t quotes = 0;
    bool started = false;
    std::size_t delivered = 0;
    for (char c : script) {
        if (c == '\'') ++quotes;
        if (c == ';' && quotes % 2 == 0) {
            ++delivered;
            if (!onStatement(statement)) return delivered;
            statement.clear();
            started = false;
            continue;
        }
        if (!started && c == ' ') continue;
        statement.push_back(c);
        started = true;
    }
    if (!statement.empty()) {
        ++delivered;
        onStatement(statement);
    }
    return delivered;
}

std::vector<std::string> SplitScript(std::string_view script) {
    std::vector<std::string> statements;
    SplitScript(script, [&](std::string_view statement) {
        statements.emplace_back(statement);
        return true;
    });
    return statements;
}

}  // namespace results
