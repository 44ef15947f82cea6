// Plain byte loops written straight from the rules of the four text
// transforms. The library works through 64-byte blocks; the unit test and the
// fuzz target compare it with these to catch slips at the block edges.
#pragma once

#include "texttools/text_transforms.h"

#include <string>
#include <string_view>

namespace transform_reference {

inline bool IsBlank(char c) { return c == '\t' || c == '\n' || c == '\r' || c == ' '; }
inline bool IsLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

inline std::string ReferenceCollapse(std::string_view src) {
    std::string out;
    bool blank = false;
    for (char c : src) {
        if (IsBlank(c)) {
            if (!out.empty() && !blank) {
                out += ' ';
                blank = true;
            }
        } else {
            out += c;
            blank = false;
        }
    }
    return out;
}

inline std::string ReferenceCrLf(std::string_view src) {
    std::string out;
    for (size_t i = 0; i < src.size(); ++i) {
        if (src[i] == '\r') {
            out += "\r\n";
            if (i + 1 < src.size() && src[i + 1] == '\n') ++i;
        } else if (src[i] == '\n') {
            out += "\r\n";
        } else {
            out += src[i];
        }
    }
    return out;
}

inline std::string ReferenceCase(std::string s, int mode) {
    for (size_t i = 0; i < s.size();) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (IsLead(c)) {
            i += 2;
            continue;
        }
        if (mode == kCaseUpper && c >= 'a' && c <= 'z') s[i] = static_cast<char>(c - 32);
        if (mode == kCaseLower && c >= 'A' && c <= 'Z') s[i] = static_cast<char>(c + 32);
        ++i;
    }
    return s;
}

inline std::string ReferenceExtract(std::string_view src) {
    std::string out;
    bool inside = false;
    for (char c : src) {
        if (c == '"') {
            inside = !inside;
        } else if (inside || c == '\r' || c == '\n') {
            out += c;
        }
    }
    return out;
}

}  // namespace transform_reference
