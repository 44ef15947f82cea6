// The recovery journal's format and its files.
#include "app/journal_files.h"
#include "app/journal_format.h"
#include "support/cp932_codes.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sys/stat.h>
#include <utime.h>

namespace {

JournalState SmallState() {
    JournalState state;
    state.buffers[0] = {"select 1\r\n", "/tmp/a.sql"};
    state.buffers[2] = {"\x87\x90\xFA\x54", ""};
    state.current = 2;
    state.caret = 2;
    return state;
}

void ExpectSame(const JournalState& a, const JournalState& b) {
    for (int i = 0; i < kJournalBuffers; ++i) {
        EXPECT_EQ(a.buffers[i].text, b.buffers[i].text) << "buffer " << i;
        EXPECT_EQ(a.buffers[i].fileName, b.buffers[i].fileName) << "buffer " << i;
    }
    EXPECT_EQ(a.current, b.current);
    EXPECT_EQ(a.caret, b.caret);
}

TEST(JournalFormat, EveryCodeDuplicateFormAndInvalidByteReadsBackAsWritten) {
    JournalState state;
    const std::string every = EveryDoubleByteCode();
    EXPECT_EQ(every.size(), 2u * 9604);
    state.buffers[0].text = every;
    // ≒ three ways (preferred, NEC row 13, IBM), 髙 (FB FC), 〜 (81 60),
    // then bytes that are no CP932: a lone lead byte, 0x80, 0xA0, 0xFD-0xFF.
    state.buffers[1].text = "\x81\xE0\x87\x90\xFA\x5B\xFB\xFC\x81\x60\r\n\x81" "A\x80\xA0\xFD\xFE\xFF\x81";
    state.buffers[3].fileName = "/home/u/\xE7\xA4\xBE.sql";  // a UTF-8 path as the system has it
    state.buffers[4].text = std::string("a\0b", 3);
    state.current = 1;
    state.caret = state.buffers[1].text.size();
    JournalState read;
    ASSERT_EQ(DecodeJournal(EncodeJournal(state), read), JournalReadResult::Ok);
    ExpectSame(read, state);
    EXPECT_FALSE(JournalIsEmpty(read));
    EXPECT_TRUE(JournalIsEmpty(JournalState{}));
}

TEST(JournalFormat, ATruncatedFlippedNewerOrInconsistentJournalIsRefusedWhole) {
    const std::string bytes = EncodeJournal(SmallState());
    const JournalState untouched = [] {
        JournalState s;
        s.buffers[4].text = "left as it was";
        return s;
    }();
    for (size_t n = 0; n < bytes.size(); ++n) {
        JournalState read = untouched;
        EXPECT_EQ(DecodeJournal(bytes.substr(0, n), read), JournalReadResult::Damaged) << n << " bytes";
        ExpectSame(read, untouched);
    }
    for (size_t i = 0; i < bytes.size(); ++i) {
        std::string flipped = bytes;
        flipped[i] = static_cast<char>(flipped[i] ^ 0x10);
        JournalState read = untouched;
        const JournalReadResult result = DecodeJournal(flipped, read);
        // The version field's flip makes a newer version: refused as such.
        EXPECT_NE(result, JournalReadResult::Ok) << "byte " << i;
        ExpectSame(read, untouched);
    }
    JournalState read;
    EXPECT_EQ(DecodeJournal(bytes + "x", read), JournalReadResult::Damaged);

    std::string newer = bytes;
    newer[8] = static_cast<char>(kJournalVersion + 1);
    EXPECT_EQ(DecodeJournal(newer, read), JournalReadResult::NewerVersion);

    // Sound bytes with a caret beyond the text or no such buffer.
    JournalState wrong = SmallState();
    wrong.caret = 5;
    EXPECT_EQ(DecodeJournal(EncodeJournal(wrong), read), JournalReadResult::Damaged);
    wrong = SmallState();
    wrong.current = 5;
    EXPECT_EQ(DecodeJournal(EncodeJournal(wrong), read), JournalReadResult::Damaged);
}

TEST(JournalFiles, EachInstanceHoldsItsOwnJournalUntilItLeaves) {
    TempDir dir;
    const std::string folder = dir.Path().string();
    auto first = std::make_unique<JournalSlot>();
    ASSERT_TRUE(first->Take(folder));
    EXPECT_EQ(first->JournalPath(), folder + "/.vetch.journal");
    JournalSlot second;
    ASSERT_TRUE(second.Take(folder));
    EXPECT_EQ(second.JournalPath(), folder + "/.vetch.2.journal");
    WriteFileBytes(first->JournalPath(), "first");

    // Left without a clean exit (as a killed process leaves it): the
    // journal stays and the next instance takes it up.
    first.reset();
    JournalSlot third;
    ASSERT_TRUE(third.Take(folder));
    EXPECT_EQ(third.JournalPath(), folder + "/.vetch.journal");
    EXPECT_EQ(ReadFileBytes(third.JournalPath()), "first");
    // A clean exit takes the journal and its lock file along.
    third.Release(true);
    EXPECT_FALSE(std::filesystem::exists(folder + "/.vetch.journal"));
    EXPECT_FALSE(std::filesystem::exists(folder + "/.vetch.journal.lock"));
    // The second instance lost too: its journal is taken up before a free name.
    WriteFileBytes(second.JournalPath(), "second");
    second.Release(false);
    JournalSlot fourth;
    ASSERT_TRUE(fourth.Take(folder));
    EXPECT_EQ(fourth.JournalPath(), folder + "/.vetch.2.journal");

    // A folder nobody may write: no journal can be held there.
    if (::geteuid() != 0) {
        const std::string locked = dir.File("locked");
        std::filesystem::create_directory(locked);
        ::chmod(locked.c_str(), 0500);
        JournalSlot none;
        EXPECT_FALSE(none.Take(locked));
        ::chmod(locked.c_str(), 0700);
    }
}

TEST(JournalFiles, SetAsideJournalsAreNamedByTheirDateAndOnlyTheLastThreeKept) {
    TempDir dir;
    const std::string journal = dir.File(".vetch.journal");
    std::vector<std::string> asides;
    // Written on 1, 2, 3 and 4 March (local time), and a second one on 4 March.
    for (int day = 1; day <= 5; ++day) {
        WriteFileBytes(journal, "journal " + std::to_string(day));
        std::tm when{};
        when.tm_year = 2026 - 1900;
        when.tm_mon = 2;
        when.tm_mday = std::min(day, 4);
        when.tm_hour = 9;
        when.tm_isdst = -1;
        const utimbuf times{std::mktime(&when), std::mktime(&when)};
        ASSERT_EQ(::utime(journal.c_str(), &times), 0);
        std::error_code error;
        asides.push_back(SetJournalAside(journal, error));
        ASSERT_FALSE(error);
    }
    EXPECT_EQ(asides[0], dir.File(".vetch.journal-20260301-090000"));
    EXPECT_EQ(asides[4], dir.File(".vetch.journal-20260304-090000-2"));
    EXPECT_FALSE(std::filesystem::exists(journal));
    std::set<std::string> kept;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) kept.insert(entry.path().string());
    EXPECT_EQ(kept, (std::set<std::string>{asides[2], asides[3], asides[4]}));
    EXPECT_EQ(ReadFileBytes(asides[4]), "journal 5");

    std::error_code error;
    EXPECT_EQ(SetJournalAside(journal, error), "");
    EXPECT_TRUE(error);
}

}  // namespace
