// The wrapping of SQL into string-building code read line by line, for
// comparing with the library's block copying.
#pragma once

#include "texttools/sql_wrap.h"

#include <string>
#include <string_view>

namespace wrap_reference {

inline std::string ReferenceWrap(std::string_view text, int language, std::string_view prefix) {
    std::string out = "\r\n";
    out += prefix;
    auto close = [&](size_t lineEnd) {
        if (lineEnd != 0 && text[lineEnd - 1] != ' ') out += ' ';
        out += '"';
        if (language == kWrapLanguageVcpp) out += ';';
    };
    size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c != '\r' && c != '\n') {
            out += c;
            ++i;
            continue;
        }
        close(i);
        out += "\r\n";
        out += prefix;
        ++i;
        if (i < text.size() && text[i] == '\n') ++i;
    }
    close(text.size());
    out += "\r\n";
    return out;
}

}  // namespace wrap_reference
