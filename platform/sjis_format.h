// The program's own texts in CP932: its UTF-8 literals converted, and
// printf-style formatting whose %s arguments are CP932 bytes. No Qt, so pure
// logic uses these too instead of spelling CP932 bytes out.
#pragma once

#include "platform/cp932.h"

#include <string>
#include <string_view>

namespace platform {

// A UTF-8 literal (a caption, a message) as CP932.
std::string Sjis(std::string_view utf8Literal);

std::string SjisFormat(const char* utf8Format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace platform
