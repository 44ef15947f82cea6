// Memory figures of this process for the window benchmarks: the resident
// size now and its peak since the last reset, read from /proc, with freed
// heap handed back first so that a stage's growth is its own and not what
// the one before it left in the allocator's free lists.
#pragma once

#include <malloc.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

namespace bench {

// VmRSS or VmHWM of /proc/self/status, in megabytes.
inline double StatusMegabytes(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::size_t length = std::strlen(field);
    while (std::getline(status, line)) {
        if (line.compare(0, length, field) == 0 && line.size() > length && line[length] == ':') {
            return std::stod(line.substr(length + 1)) / 1024.0;  // kilobytes
        }
    }
    return -1;
}

// Returns freed heap to the system and starts a new peak at the present
// size; returns that size in megabytes.
inline double StartPeak() {
    malloc_trim(0);
    if (FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", f);
        std::fclose(f);
    }
    return StatusMegabytes("VmRSS");
}

// The peak resident size since StartPeak, in megabytes.
inline double PeakSinceStart() { return StatusMegabytes("VmHWM"); }

}  // namespace bench
