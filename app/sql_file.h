// SQL files: reading one into the editor's text form and the limits that
// apply. Paths are file-system paths (the bytes the system calls take); the
// text is CP932 bytes, never converted. Writing goes through
// platform/atomic_file.h.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <system_error>

// The largest SQL file opened; a larger one is refused, never half read.
inline constexpr std::uint64_t kSqlFileMax = 256u << 20;

// The text an SQL file's bytes open as. The file is read as text: a CR LF
// pair becomes one LF, a lone CR stays, and the text ends at the first 0x1A
// or NUL byte. Then every line end, LF or CR alike, becomes CR LF, so A CR CR
// LF B opens as A CR LF B. Every other byte is kept as it is.
std::string SqlFileText(std::string fileBytes);

struct SqlFileRead {
    std::string text;         // SqlFileText of the file, when it was read
    std::error_code error;    // the system's reason when it could not be read
    bool tooLarge = false;    // larger than kSqlFileMax: not read at all
};

// Reads the file at path whole and returns its text as SqlFileText gives it.
SqlFileRead ReadSqlFile(const std::string& path);
