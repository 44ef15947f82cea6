// The recovery journal's files beside the settings file: which journal is
// this instance's, the lock that marks its live owner, and the journals set
// aside after a refused or damaged restore.
//
// Each running instance holds a lock (flock) on a companion file of its own
// journal; the kernel drops it when the process ends, however it ends. So a
// journal whose lock can be taken belongs to nobody alive, and two instances
// in one folder take different journals.
#pragma once

#include <string>
#include <system_error>

class JournalSlot {
public:
    JournalSlot() = default;
    ~JournalSlot() { Release(false); }
    JournalSlot(const JournalSlot&) = delete;
    JournalSlot& operator=(const JournalSlot&) = delete;

    // Takes a journal in folder that no running instance holds: one that
    // is there (a lost session's) before one that is not, each in the order
    // ".vetch.journal", ".vetch.2.journal" and so on. False when no lock
    // could be taken (a folder that cannot be written); JournalPath is then
    // the first name, which nobody can write either.
    bool Take(const std::string& folder);
    bool Held() const { return lockFd_ >= 0; }
    const std::string& JournalPath() const { return journal_; }
    // Gives the journal up; with removeFiles the journal and its lock file go
    // first, while the lock is still held.
    void Release(bool removeFiles);

private:
    static constexpr int kHeld = -2;
    static int TryLock(const std::string& journal);

    std::string journal_;
    int lockFd_ = -1;
};

// The name of a set-aside journal: ".vetch.journal-YYYYMMDD-HHMMSS", the
// local time the journal was last written.
constexpr const char* kSetAsidePrefix = ".vetch.journal-";
constexpr int kSetAsideKept = 3;

// Renames the journal to its set-aside name (with "-2", "-3" … when that
// name is taken) and removes all but the newest kSetAsideKept set-aside
// journals of its folder. The new path, or "" with error set.
std::string SetJournalAside(const std::string& journalPath, std::error_code& error);

// The folder that holds the settings file at settingsPath.
std::string FolderOf(const std::string& settingsPath);

bool ReadWholeFile(const std::string& path, std::string& bytes);
