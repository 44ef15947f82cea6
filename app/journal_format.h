// The recovery journal's file format: the five editor buffers as they stood,
// each text as its CP932 bytes, with the file names, the shown buffer and its
// caret. A journal is read whole or not at all: a magic, a version, the
// payload's length and a checksum guard it, so a torn or damaged file is
// refused instead of half-restored.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

constexpr int kJournalBuffers = 5;
constexpr uint32_t kJournalVersion = 1;

struct JournalBuffer {
    std::string text;      // CP932, CR LF line ends
    std::string fileName;  // file-system path, empty = no file
};

struct JournalState {
    std::array<JournalBuffer, kJournalBuffers> buffers;
    int current = 0;     // the shown buffer, 0-4
    uint64_t caret = 0;  // CP932 byte offset in the shown buffer's text
};

enum class JournalReadResult { Ok, Damaged, NewerVersion };

// The journal's bytes. Built piece by piece into one string; the checksum is
// the one JournalChecksum gives over everything after the header.
std::string EncodeJournal(const JournalState& state);
// Fills state only when the whole journal is sound.
JournalReadResult DecodeJournal(std::string_view bytes, JournalState& state);

// A 64-bit checksum, fast enough for megabytes on every write. Any change of
// one aligned 8-byte word (so any single flipped byte) changes it.
uint64_t JournalChecksum(std::string_view bytes);

// True when there is nothing to restore: every text and file name empty.
bool JournalIsEmpty(const JournalState& state);
