#include "app/journal_writer.h"

#include "platform/atomic_file.h"
#include "platform/qtext.h"

#include <algorithm>

JournalWriter::JournalWriter(std::string path, FailureFunction onFailure, WriteFunction write)
    : path_(std::move(path)), onFailure_(std::move(onFailure)), write_(std::move(write)) {
    thread_ = std::thread([this] { Run(); });
}

JournalWriter::~JournalWriter() { Stop(); }

void JournalWriter::Post(JournalSnapshot snapshot) {
    {
        std::lock_guard lock(mutex_);
        if (stopping_) return;
        pending_ = std::move(snapshot);
    }
    wake_.notify_one();
}

void JournalWriter::WaitIdle() {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return (!pending_ && !busy_) || stopping_; });
}

void JournalWriter::Stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        pending_.reset();
    }
    wake_.notify_one();
    if (thread_.joinable()) thread_.join();
    idle_.notify_all();
}

int JournalWriter::Written() const {
    std::lock_guard lock(mutex_);
    return written_;
}

void JournalWriter::Run() {
    for (;;) {
        JournalSnapshot snapshot;
        {
            std::unique_lock lock(mutex_);
            busy_ = false;
            idle_.notify_all();
            wake_.wait(lock, [this] { return pending_ || stopping_; });
            if (stopping_) return;
            snapshot = std::move(*pending_);
            pending_.reset();
            busy_ = true;
        }
        const std::string bytes = Build(snapshot);
        const uint64_t sum = JournalChecksum(bytes);
        // The same state again (an edit undone, a switch there and back):
        // the file already holds it.
        if (lastWritten_ == sum) continue;
        const std::error_code error =
            write_ ? write_(path_, bytes) : platform::WriteFileAtomically(path_, bytes, platform::kOwnerOnlyMode);
        if (error) {
            if (onFailure_) onFailure_(error);
            continue;
        }
        lastWritten_ = sum;
        std::lock_guard lock(mutex_);
        ++written_;
    }
}

std::string JournalWriter::Build(const JournalSnapshot& snapshot) {
    JournalState state;
    for (int i = 0; i < kJournalBuffers; ++i) {
        const JournalSnapshot::Buffer& from = snapshot.buffers[i];
        Converted& cached = converted_[i];
        if (cached.version != from.version) {
            cached.text = platform::QStringToCp932CrLf(from.text);
            cached.version = from.version;
        }
        // Lent to the state for the encoding, not copied.
        state.buffers[i].text = std::move(cached.text);
        state.buffers[i].fileName = from.fileName;
    }
    state.current = snapshot.current;
    const QString& shown = snapshot.buffers[snapshot.current].text;
    state.caret = platform::Cp932LengthCrLf(shown, 0, std::min(snapshot.caretPosition, shown.size()));
    std::string bytes = EncodeJournal(state);
    for (int i = 0; i < kJournalBuffers; ++i) converted_[i].text = std::move(state.buffers[i].text);
    return bytes;
}
