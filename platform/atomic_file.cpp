#include "platform/atomic_file.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

std::error_code LastError() { return {errno, std::system_category()}; }

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// Follows symbolic links until path names something that is not one (or
// nothing yet: a dangling link's target is created, as opening it would).
std::error_code FollowLinks(std::string& path) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0) return errno == ENOENT ? std::error_code() : LastError();
        if (!S_ISLNK(st.st_mode)) return {};
        std::string target(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 256) + 1, '\0');
        for (;;) {
            const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
            if (n < 0) return LastError();
            if (static_cast<std::size_t>(n) < target.size()) {
                target.resize(static_cast<std::size_t>(n));
                break;
            }
            target.resize(target.size() * 2);
        }
        path = target.front() == '/' ? target : FolderOf(path) + "/" + target;
    }
    return std::make_error_code(std::errc::too_many_symbolic_link_levels);
}

// Creates a new file with an unused name in folder, as mkstemp does, but with
// the given mode so that the umask applies as it does to any new file.
int CreateTemporary(const std::string& folder, unsigned mode, std::string& name) {
    static thread_local std::mt19937_64 random(
        std::random_device{}() ^ static_cast<unsigned long long>(::getpid()) ^
        static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count()));
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = folder + "/.vetch-save-";
        for (int i = 0; i < 8; ++i) name += kLetters[random() % (sizeof kLetters - 1)];
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, static_cast<mode_t>(mode));
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

bool WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// Makes the rename itself durable; a failure here no longer endangers the
// file, so it is not reported.
void SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Gives the new file the old one's owner, group and mode. Only root may hand
// a file to another owner, and a user only to a group of their own: false
// when the old file's cannot be kept.
bool TakeOver(int fd, const struct stat& old) {
    struct stat now {};
    if (::fstat(fd, &now) != 0) return false;
    if ((now.st_uid != old.st_uid || now.st_gid != old.st_gid) && ::fchown(fd, old.st_uid, old.st_gid) != 0) {
        return false;
    }
    // After fchown, which clears the set-id bits.
    return ::fchmod(fd, old.st_mode & 07777) == 0;
}

std::error_code WriteInPlace(const std::string& target, std::string_view data) {
    const int fd = ::open(target.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return LastError();
    std::error_code error;
    if (!WriteAll(fd, data) || ::fsync(fd) != 0) error = LastError();
    if (::close(fd) != 0 && !error) error = LastError();
    return error;
}

}  // namespace

std::error_code WriteFileAtomically(const std::string& path, std::string_view data, unsigned newFileMode) {
    if (path.empty()) return std::make_error_code(std::errc::no_such_file_or_directory);
    std::string target = path;
    if (std::error_code ec = FollowLinks(target)) return ec;

    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (!exists && errno != ENOENT) return LastError();
    // Renaming over a folder fails anyway; over a device or a pipe it would
    // put a plain file in its place.
    if (exists && S_ISDIR(existing.st_mode)) return std::make_error_code(std::errc::is_a_directory);
    if (exists && !S_ISREG(existing.st_mode)) return std::make_error_code(std::errc::operation_not_supported);

    const std::string folder = FolderOf(target);
    if (exists) {
        // A write-protected file stays protected: a rename would go round
        // the protection. The effective ids decide, as for open().
        if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) return LastError();
        // A rename would cut a second hard link off the new text, and needs
        // a folder that takes new files.
        if (existing.st_nlink != 1 || ::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0) {
            return WriteInPlace(target, data);
        }
    }
    std::string temp;
    const int fd = CreateTemporary(folder, exists ? 0600 : newFileMode, temp);
    if (fd < 0) return LastError();
    if (exists && !TakeOver(fd, existing)) {
        // Replaced, the file would change hands.
        ::close(fd);
        ::unlink(temp.c_str());
        return WriteInPlace(target, data);
    }

    bool ok = WriteAll(fd, data) && ::fsync(fd) == 0;
    std::error_code error = ok ? std::error_code() : LastError();
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = LastError();
    }
    if (ok && std::rename(temp.c_str(), target.c_str()) != 0) {
        ok = false;
        error = LastError();
    }
    if (!ok) {
        ::unlink(temp.c_str());
        return error;
    }
    SyncFolder(folder);
    return {};
}

}  // namespace platform
