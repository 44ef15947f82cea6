#include "platform/sjis_format.h"

#include "platform/codepage.h"
#include "platform/qtext.h"

#include <cstdarg>
#include <cstdio>

namespace platform {

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

std::string CutToBytes(std::string text, size_t maxBytes) {
    if (text.size() <= maxBytes) return text;
    size_t i = 0;
    while (i < maxBytes) {
        size_t step = IsLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
        if (i + step > maxBytes) break;
        i += step;
    }
    text.resize(i);
    return text;
}

}  // namespace platform
