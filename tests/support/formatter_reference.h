#pragma once

#include <string>
#include <string_view>
#include <utility>

namespace formatter_reference {

// The formatter read as one byte at a time with a column counter, for
// comparing against the library's bulk-copying pass.
inline std::string ReferenceFormat(std::string_view s, int count) {
    static const std::pair<std::string, bool> table[] = {
        {"SELECT", true}, {"FROM", true},        {"WHERE", true},  {"GROUP BY", true},
        {"OR", false},    {"ORDER BY", true},    {"ALL", true},    {"AND", false},
        {"INSERT INTO", true}, {"INSERT", true}, {"INTO", true},   {"UNION ALL", true},
        {"UNION", true},  {"UPDATE", true},      {"DELETE", true}, {"VALUES", true},
        {"COMMIT", true}};
    const auto delimiter = [](char c) { return std::string_view("\t\n\r ()").find(c) != std::string_view::npos; };
    const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
    std::string out;
    long long col = 0;
    size_t i = 0;
    while (i < s.size()) {
        if (s[i] == ',') {
            out += ',';
            ++i;
            if (++col > count) {
                out += "\r\n";
                col = 0;
            }
            continue;
        }
        bool matched = false;
        for (const auto& [kw, before] : table) {
            if (upper(s[i]) != kw[0] || (i > 0 && !delimiter(s[i - 1])) || s.size() - i < kw.size() + 1 ||
                !delimiter(s[i + kw.size()])) {
                continue;
            }
            size_t j = 0;
            while (j < kw.size() && upper(s[i + j]) == kw[j]) ++j;
            if (j < kw.size()) continue;
            out.append(before ? "\r\n" : "").append(kw).append("\r\n");
            i += kw.size();
            col = 0;
            matched = true;
            break;
        }
        if (!matched) {
            out += s[i++];
            ++col;
        }
    }
    return out;
}

}  // namespace formatter_reference
