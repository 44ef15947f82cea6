// What the fuzz targets share: a failed property aborts with a message, so
// libFuzzer keeps the input as a crash; a scratch folder for targets that
// go through files.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include <stdlib.h>
#include <unistd.h>

#define FUZZ_CHECK(cond)                                                                  \
    do {                                                                                  \
        if (!(cond)) {                                                                    \
            std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #cond); \
            std::abort();                                                                 \
        }                                                                                 \
    } while (0)

namespace fuzz {

// A folder of this process's own under $TMPDIR, or in memory under /dev/shm,
// removed at exit (a crash leaves it; scripts/fuzz.sh removes its TMPDIR).
inline const std::string& ScratchDir() {
    // Never destroyed: the clean-up at exit still needs the name.
    static const std::string* dir = [] {
        const char* base = std::getenv("TMPDIR");
        auto* name = new std::string(std::string(base && *base ? base : "/dev/shm") + "/vetch-fuzz.XXXXXX");
        if (!mkdtemp(name->data())) {
            std::perror("mkdtemp");
            std::abort();
        }
        std::atexit([] { std::error_code ec; std::filesystem::remove_all(ScratchDir(), ec); });
        return name;
    }();
    return *dir;
}

// Printable form of bytes for a failure message.
inline std::string Escaped(std::string_view s) {
    std::string out;
    char buf[8];
    for (unsigned char c : s) {
        if (c >= 0x20 && c < 0x7f && c != '\\') {
            out += static_cast<char>(c);
        } else {
            std::snprintf(buf, sizeof buf, "\\x%02x", c);
            out += buf;
        }
    }
    return out;
}

}  // namespace fuzz
