// The byte rules of CP932 (Shift-JIS) text, with no conversion and no Qt:
// what every piece of code that steps over characters or cuts a text uses.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// True for a byte that starts a double-byte character: 0x81-0x9F and
// 0xE0-0xFC. The upper rows hold the user-defined characters and the IBM
// extensions (昱 FA 63, 﨑 FA B1, 髙 FB FC), which must not be split.
constexpr bool IsLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// The length of the longest prefix of text that is at most maxBytes long and
// does not end between a lead byte and its trail byte. A text that fits is
// kept whole, a lone lead byte at its end included.
std::size_t Cp932PrefixLength(std::string_view text, std::size_t maxBytes);

// text cut to Cp932PrefixLength(text, maxBytes) bytes.
std::string CutToBytes(std::string text, std::size_t maxBytes);

// The decimal number at the start of a text as the C library reads one:
// leading white space (space, TAB, LF, VT, FF, CR), an optional sign, then
// digits. Values beyond the 64-bit range saturate at its limits instead of
// overflowing. length is the number of bytes read, 0 when there is no digit
// (value is then 0).
struct LeadingNumber {
    std::int64_t value = 0;
    std::size_t length = 0;
};
LeadingNumber ReadLeadingNumber(std::string_view text);

// A 64-bit number clamped to the int range.
constexpr int SaturateToInt(std::int64_t value) {
    return value > INT32_MAX ? INT32_MAX : value < INT32_MIN ? INT32_MIN : static_cast<int>(value);
}

}  // namespace platform
