// printf-style formatting of the program's own texts into CP932: the format is
// a UTF-8 literal, converted once, and %s arguments are CP932 bytes.
#pragma once

#include <string>

namespace platform {

std::string SjisFormat(const char* utf8Format, ...) __attribute__((format(printf, 1, 2)));

// Cuts text to at most maxBytes without splitting a double-byte character.
std::string CutToBytes(std::string text, size_t maxBytes);

}  // namespace platform
