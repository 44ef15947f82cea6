#include "app/sql_file.h"

#include "texttools/text_transforms.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

std::string SqlFileText(std::string bytes) {
    // Text-mode reading stops at 0x1A; the text then ends at its first NUL.
    const void* eof = std::memchr(bytes.data(), 0x1A, bytes.size());
    if (eof) bytes.resize(static_cast<const char*>(eof) - bytes.data());
    const void* nul = std::memchr(bytes.data(), '\0', bytes.size());
    if (nul) bytes.resize(static_cast<const char*>(nul) - bytes.data());

    // CR LF -> LF in place: the text only shrinks.
    char* const s = bytes.data();
    const std::size_t n = bytes.size();
    std::size_t out = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const void* cr = std::memchr(s + i, '\r', n - i);
        const std::size_t next = cr ? static_cast<std::size_t>(static_cast<const char*>(cr) - s) : n;
        if (out != i) std::memmove(s + out, s + i, next - i);
        out += next - i;
        i = next;
        if (i == n) break;
        if (i + 1 < n && s[i + 1] == '\n') continue;  // the LF that follows is kept
        s[out++] = '\r';                                // a lone CR stays
    }
    bytes.resize(out);
    return ToCrLf(bytes);
}

SqlFileRead ReadSqlFile(const std::string& path) {
    SqlFileRead result;
    // Non-blocking, so that a named pipe cannot hang the window; it is
    // refused below like every other thing that is not a plain file.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        result.error = {errno, std::system_category()};
        return result;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        result.error = {errno, std::system_category()};
        ::close(fd);
        return result;
    }
    if (!S_ISREG(st.st_mode)) {
        result.error = std::make_error_code(S_ISDIR(st.st_mode) ? std::errc::is_a_directory
                                                                 : std::errc::operation_not_supported);
        ::close(fd);
        return result;
    }
    if (static_cast<std::uint64_t>(st.st_size) > kSqlFileMax) {
        result.tooLarge = true;
        ::close(fd);
        return result;
    }
    // The file may grow meanwhile: read to its end, and refuse once more
    // than the limit arrives.
    std::string bytes(static_cast<std::size_t>(st.st_size) + 1, '\0');
    std::size_t have = 0;
    for (;;) {
        if (have == bytes.size()) {
            if (bytes.size() > kSqlFileMax) {
                result.tooLarge = true;
                ::close(fd);
                return result;
            }
            bytes.resize(std::min<std::size_t>(bytes.size() * 2, kSqlFileMax + 1));
        }
        const ssize_t got = ::read(fd, bytes.data() + have, bytes.size() - have);
        if (got < 0) {
            if (errno == EINTR) continue;
            result.error = {errno, std::system_category()};
            ::close(fd);
            return result;
        }
        if (got == 0) break;
        have += static_cast<std::size_t>(got);
    }
    ::close(fd);
    bytes.resize(have);
    result.text = SqlFileText(std::move(bytes));
    return result;
}
