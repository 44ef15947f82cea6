#include "platform/cp932.h"

namespace platform {

std::size_t Cp932PrefixLength(std::string_view text, std::size_t maxBytes) {
    if (text.size() <= maxBytes) return text.size();
    std::size_t i = 0;
    while (i < maxBytes) {
        const std::size_t step = IsLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
        if (i + step > maxBytes) break;
        i += step;
    }
    return i;
}

std::string CutToBytes(std::string text, std::size_t maxBytes) {
    text.resize(Cp932PrefixLength(text, maxBytes));
    return text;
}

LeadingNumber ReadLeadingNumber(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || (s[i] >= '\t' && s[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    const std::size_t firstDigit = i;
    // Accumulated towards the sign, so that INT64_MIN is reachable.
    std::int64_t value = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        const int digit = s[i] - '0';
        if (negative) {
            value = value < (INT64_MIN + digit) / 10 ? INT64_MIN : value * 10 - digit;
        } else {
            value = value > (INT64_MAX - digit) / 10 ? INT64_MAX : value * 10 + digit;
        }
    }
    if (i == firstDigit) return {};
    return {value, i};
}

}  // namespace platform
