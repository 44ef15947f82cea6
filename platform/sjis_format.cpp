#include "platform/sjis_format.h"

#include "platform/codepage.h"

#include <cstdarg>
#include <cstdio>

namespace platform {

std::string Sjis(std::string_view utf8Literal) { return Utf8ToCp932(utf8Literal); }

std::string SjisFormat(const char* utf8Format, ...) {
    // '%' and the conversion letters are ASCII, so the format survives the
    // conversion to CP932 unchanged.
    std::string format = Sjis(utf8Format);
    va_list args;
    va_start(args, utf8Format);
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(nullptr, 0, format.c_str(), copy);
    va_end(copy);
    std::string out;
    if (n > 0) {
        out.resize(static_cast<size_t>(n) + 1);
        std::vsnprintf(out.data(), out.size(), format.c_str(), args);
        out.resize(static_cast<size_t>(n));
    }
    va_end(args);
    return out;
}

}  // namespace platform
