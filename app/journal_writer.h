// The recovery journal's worker thread. The window thread hands it the
// buffers' texts as it took them (QString copies share their storage, so
// taking them costs no conversion); the worker turns them into CP932, builds
// the journal, skips it when it is what the file already holds, and writes
// it through the atomic writer. Handing over only swaps the latest state into
// one waiting place under a lock the worker never holds while it works, so
// the window thread never waits for the disk or for a conversion.
#pragma once

#include "app/journal_format.h"

#include <QString>

#include <array>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>

struct JournalSnapshot {
    struct Buffer {
        // Changes whenever the text changes, so that an unchanged text is not
        // converted again.
        uint64_t version = 0;
        QString text;  // the document's plain text: LF line breaks, form markers kept
        std::string fileName;
    };
    std::array<Buffer, kJournalBuffers> buffers;
    int current = 0;
    qsizetype caretPosition = 0;  // character position in the shown buffer's text
};

class JournalWriter {
public:
    using WriteFunction = std::function<std::error_code(const std::string& path, std::string_view bytes)>;
    using FailureFunction = std::function<void(std::error_code)>;

    // onFailure runs on the worker thread after each failed write. write
    // defaults to the atomic writer with an owner-only new file.
    JournalWriter(std::string path, FailureFunction onFailure, WriteFunction write = {});
    ~JournalWriter();  // Stop()
    JournalWriter(const JournalWriter&) = delete;
    JournalWriter& operator=(const JournalWriter&) = delete;

    // Replaces any state still waiting; returns at once.
    void Post(JournalSnapshot snapshot);
    // Waits until everything posted so far is written or skipped.
    void WaitIdle();
    // Drops what still waits, waits for a write in progress and ends the
    // thread. Nothing is written afterwards.
    void Stop();

    // How many journals were written (tests, benchmarks).
    int Written() const;

private:
    void Run();
    std::string Build(const JournalSnapshot& snapshot);

    const std::string path_;
    const FailureFunction onFailure_;
    const WriteFunction write_;

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::optional<JournalSnapshot> pending_;
    bool busy_ = false;
    bool stopping_ = false;
    int written_ = 0;

    // The worker's own: the CP932 form of each buffer's last seen version
    // and the checksum of the journal the file holds.
    struct Converted {
        uint64_t version = UINT64_MAX;
        std::string text;
    };
    std::array<Converted, kJournalBuffers> converted_;
    std::optional<uint64_t> lastWritten_;

    std::thread thread_;
};
