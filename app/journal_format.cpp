#include "app/journal_format.h"

#include <cstring>

namespace {

// "VETCHJNL", then version u32, payload length u64, checksum u64, all little
// endian; the payload follows. Payload: current u8, caret u64, then per
// buffer: file name length u32 and bytes, text length u64 and bytes.
constexpr char kMagic[8] = {'V', 'E', 'T', 'C', 'H', 'J', 'N', 'L'};
constexpr size_t kHeaderSize = 8 + 4 + 8 + 8;

void PutU32(std::string& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

void PutU64(std::string& out, uint64_t v) {
    for (int i = 0; i < 8; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

uint64_t GetLe(std::string_view bytes, size_t at, int width) {
    uint64_t v = 0;
    for (int i = 0; i < width; ++i) v |= uint64_t{static_cast<unsigned char>(bytes[at + i])} << (8 * i);
    return v;
}

// Reads the payload front to back; any read past its end fails it.
class Reader {
public:
    explicit Reader(std::string_view bytes) : bytes_(bytes) {}
    bool Number(uint64_t& v, int width) {
        if (bytes_.size() - at_ < static_cast<size_t>(width)) return false;
        v = GetLe(bytes_, at_, width);
        at_ += static_cast<size_t>(width);
        return true;
    }
    bool Bytes(std::string& out, uint64_t n) {
        if (bytes_.size() - at_ < n) return false;
        out.assign(bytes_.substr(at_, static_cast<size_t>(n)));
        at_ += static_cast<size_t>(n);
        return true;
    }
    bool AtEnd() const { return at_ == bytes_.size(); }

private:
    std::string_view bytes_;
    size_t at_ = 0;
};

}  // namespace

uint64_t JournalChecksum(std::string_view bytes) {
    // FNV-1a over 8-byte words: each step (xor, then multiply by an odd
    // number) is a bijection of the state, so a changed word always changes
    // the result; the length goes in last for the tail.
    constexpr uint64_t kPrime = 0x100000001B3ull;
    uint64_t h = 0xCBF29CE484222325ull;
    size_t i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        uint64_t word;
        std::memcpy(&word, bytes.data() + i, 8);
        h = (h ^ word) * kPrime;
    }
    for (; i < bytes.size(); ++i) h = (h ^ static_cast<unsigned char>(bytes[i])) * kPrime;
    h = (h ^ bytes.size()) * kPrime;
    return h ^ (h >> 29);
}

std::string EncodeJournal(const JournalState& state) {
    size_t size = kHeaderSize + 1 + 8;
    for (const JournalBuffer& b : state.buffers) size += 4 + b.fileName.size() + 8 + b.text.size();
    std::string out;
    out.reserve(size);
    out.append(kMagic, sizeof kMagic);
    PutU32(out, kJournalVersion);
    PutU64(out, size - kHeaderSize);
    PutU64(out, 0);  // the checksum, filled in below
    out.push_back(static_cast<char>(state.current));
    PutU64(out, state.caret);
    for (const JournalBuffer& b : state.buffers) {
        PutU32(out, static_cast<uint32_t>(b.fileName.size()));
        out += b.fileName;
        PutU64(out, b.text.size());
        out += b.text;
    }
    const uint64_t sum = JournalChecksum(std::string_view(out).substr(kHeaderSize));
    for (int i = 0; i < 8; ++i) out[20 + i] = static_cast<char>((sum >> (8 * i)) & 0xFF);
    return out;
}

JournalReadResult DecodeJournal(std::string_view bytes, JournalState& state) {
    if (bytes.size() < kHeaderSize || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0) {
        return JournalReadResult::Damaged;
    }
    const uint64_t version = GetLe(bytes, 8, 4);
    if (version > kJournalVersion) return JournalReadResult::NewerVersion;
    if (version != kJournalVersion) return JournalReadResult::Damaged;
    const std::string_view payload = bytes.substr(kHeaderSize);
    if (GetLe(bytes, 12, 8) != payload.size() || GetLe(bytes, 20, 8) != JournalChecksum(payload)) {
        return JournalReadResult::Damaged;
    }
    JournalState read;
    Reader in(payload);
    uint64_t current = 0;
    if (!in.Number(current, 1) || current >= kJournalBuffers || !in.Number(read.caret, 8)) {
        return JournalReadResult::Damaged;
    }
    read.current = static_cast<int>(current);
    for (JournalBuffer& b : read.buffers) {
        uint64_t n = 0;
        if (!in.Number(n, 4) || !in.Bytes(b.fileName, n) || !in.Number(n, 8) || !in.Bytes(b.text, n)) {
            return JournalReadResult::Damaged;
        }
    }
    if (!in.AtEnd() || read.caret > read.buffers[read.current].text.size()) return JournalReadResult::Damaged;
    state = std::move(read);
    return JournalReadResult::Ok;
}

bool JournalIsEmpty(const JournalState& state) {
    for (const JournalBuffer& b : state.buffers) {
        if (!b.text.empty() || !b.fileName.empty()) return false;
    }
    return true;
}
