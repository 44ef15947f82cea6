// What the main window keeps for its recovery journal: the journal it holds,
// the worker that writes it, the delay timer and the texts last taken.
#pragma once

#include "app/journal_files.h"
#include "app/journal_writer.h"

#include <QTimer>

#include <array>
#include <memory>

struct JournalSession {
    // The journal goes with the session only after an exit the user
    // confirmed (or had nothing to confirm); a window closed any other way
    // leaves its last journal for the next start.
    ~JournalSession() {
        writer.reset();
        slot.Release(exitConfirmed);
    }

    JournalSlot slot;
    std::unique_ptr<JournalWriter> writer;
    // Started by the first change after a write, not restarted by later
    // ones: while typing goes on the journal is written every interval.
    QTimer delay;
    // Each buffer's text as last taken, and whether it changed since.
    std::array<JournalSnapshot::Buffer, kJournalBuffers> taken;
    std::array<bool, kJournalBuffers> dirty{};
    bool exitConfirmed = false;
    bool failureReported = false;
};
