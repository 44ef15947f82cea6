#include "app/journal_files.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kMaxSlots = 64;

std::string SlotName(int slot) {
    return slot == 0 ? ".vetch.journal" : ".vetch." + std::to_string(slot + 1) + ".journal";
}

bool Exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

}  // namespace

std::string FolderOf(const std::string& settingsPath) {
    const std::string folder = std::filesystem::path(settingsPath).parent_path().string();
    return folder.empty() ? "." : folder;
}

// The lock of journal: its descriptor, kHeld when a running instance holds
// it, or -1 when the lock file cannot be made.
int JournalSlot::TryLock(const std::string& journal) {
    const std::string lock = journal + ".lock";
    // A lock file removed by an owner that just left may be the one opened
    // here: the lock counts only on the file the name still gives.
    for (int attempt = 0; attempt < 10; ++attempt) {
        const int fd = ::open(lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0) return -1;
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const bool held = errno == EWOULDBLOCK;
            ::close(fd);
            return held ? kHeld : -1;
        }
        struct stat locked {}, named {};
        if (::fstat(fd, &locked) == 0 && ::stat(lock.c_str(), &named) == 0 && locked.st_ino == named.st_ino &&
            locked.st_dev == named.st_dev) {
            return fd;
        }
        ::close(fd);
    }
    return kHeld;
}

bool JournalSlot::Take(const std::string& folder) {
    Release(false);
    journal_ = folder + "/" + SlotName(0);
    // A journal nobody holds first (a lost session's, to be offered), then
    // the first free name.
    for (bool lost : {true, false}) {
        for (int slot = 0; slot < kMaxSlots; ++slot) {
            const std::string journal = folder + "/" + SlotName(slot);
            if (lost && !Exists(journal)) continue;
            const int fd = TryLock(journal);
            if (fd == kHeld) continue;
            if (fd < 0) return false;
            journal_ = journal;
            lockFd_ = fd;
            return true;
        }
    }
    return false;
}

void JournalSlot::Release(bool removeFiles) {
    if (lockFd_ < 0) return;
    if (removeFiles) {
        ::unlink(journal_.c_str());
        ::unlink((journal_ + ".lock").c_str());
    }
    ::close(lockFd_);
    lockFd_ = -1;
}

std::string SetJournalAside(const std::string& journalPath, std::error_code& error) {
    const std::string folder = std::filesystem::path(journalPath).parent_path().string();
    struct stat st {};
    std::time_t written = ::stat(journalPath.c_str(), &st) == 0 ? st.st_mtime : std::time(nullptr);
    std::tm local {};
    ::localtime_r(&written, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    const std::string base = folder + "/" + kSetAsidePrefix + stamp;
    std::string aside = base;
    for (int n = 2; Exists(aside); ++n) aside = base + "-" + std::to_string(n);
    if (std::rename(journalPath.c_str(), aside.c_str()) != 0) {
        error = {errno, std::system_category()};
        return "";
    }
    error.clear();
    // Names sort by their time; a "-2" sorts after the plain name of the same second.
    std::vector<std::string> asides;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(kSetAsidePrefix, 0) == 0) asides.push_back(entry.path().string());
    }
    std::sort(asides.begin(), asides.end());
    for (size_t i = 0; i + kSetAsideKept < asides.size(); ++i) ::unlink(asides[i].c_str());
    return aside;
}

bool ReadWholeFile(const std::string& path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream s;
    s << in.rdbuf();
    bytes = s.str();
    return !in.bad();
}
