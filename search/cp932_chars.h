// The two CP932 character rules find and replace step by: which bytes start a
// double-byte character, and where a text may be cut without splitting one.
#pragma once

#include <cstddef>
#include <string_view>

namespace search_chars {

// Lead bytes of double-byte characters: 0x81-0x9F and 0xE0-0xFC (the IBM
// extensions and user-defined characters included).
inline bool IsLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// The longest head of text of at most maxBytes that ends on a character
// boundary.
inline std::string_view CutAtCharBoundary(std::string_view text, size_t maxBytes) {
    if (text.size() <= maxBytes) return text;
    size_t i = 0;
    while (i < maxBytes) {
        size_t step = IsLead(static_cast<unsigned char>(text[i])) ? 2 : 1;
        if (i + step > maxBytes) break;
        i += step;
    }
    return text.substr(0, i);
}

}  // namespace search_chars
