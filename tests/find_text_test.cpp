#include "platform/sjis_format.h"
#include "search/find_text.h"
#include "search/search_history.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string S(const char* utf8) { return platform::Sjis(utf8); }

SearchEntry Entry(std::string text, int wholeWord = 0, int matchCase = 0, int searchUp = 0) {
    return SearchEntry{std::move(text), wholeWord, matchCase, searchUp};
}

std::optional<size_t> Forward(const std::string& text, size_t start, const SearchEntry& e) {
    return ScanForward(text, start, e);
}

TEST(SearchHistoryTest, NewestFirstUniqueMovedToTopAndCutOnACharacter) {
    SearchHistory history;
    EXPECT_EQ(history.Current(), nullptr);
    CommitSearchEntry(history, "select", true, false, false);
    CommitSearchEntry(history, S("社員"), false, true, true);
    CommitSearchEntry(history, "Select", false, false, false);  // case makes another text
    EXPECT_EQ(history.TextsNewestFirst(), (std::vector<std::string>{"Select", S("社員"), "select"}));

    // Reusing a text moves it to the top, once, with the options given now.
    CommitSearchEntry(history, "select", false, true, true);
    EXPECT_EQ(history.TextsNewestFirst(), (std::vector<std::string>{"select", "Select", S("社員")}));
    EXPECT_EQ(history.Current()->matchCase, 1);

    // 255 bytes at most, never half a character: 254 letters and a kanji keep
    // 254 bytes, and the cut text is what later commits compare with.
    const std::string longText = std::string(254, 'a') + S("社") + "tail";
    CommitSearchEntry(history, longText, false, false, false);
    EXPECT_EQ(history.Current()->text, std::string(254, 'a'));
    CommitSearchEntry(history, std::string(254, 'a') + S("員"), false, false, false);
    EXPECT_EQ(history.Size(), 4u);
    // 﨑 (FA B1) is one character too.
    CommitSearchEntry(history, std::string(254, 'c') + "\xFA\xB1", false, false, false);
    EXPECT_EQ(history.Current()->text, std::string(254, 'c'));
}

TEST(FindTextTest, ForwardAndBackwardWrapAroundTheText) {
    const std::string text = "abc abc";
    const SearchEntry e = Entry("abc");
    // The first abc selected: F3 selects the second, again wraps to the first;
    // Shift+F3 from the second selects the first.
    EXPECT_EQ(FindMatch(text, 0, 3, e, false), 4u);
    EXPECT_EQ(FindMatch(text, 4, 7, e, false), 0u);
    EXPECT_EQ(FindMatch(text, 4, 7, e, true), 0u);
    // Shift+F3 from the first wraps to the last one; with only one match, it
    // is found again from itself both ways.
    EXPECT_EQ(FindMatch(text, 0, 3, e, true), 4u);
    EXPECT_EQ(FindMatch("abc", 0, 3, e, true), 0u);

    // A match that ends at the very end; one at the very start found by the wrap.
    EXPECT_EQ(Forward("xx abc", 0, e), 3u);
    EXPECT_EQ(Forward("abc xx", 2, e), 0u);
    EXPECT_EQ(ScanBackward("xx abc", 1, e), 3u);
    EXPECT_EQ(Forward("abc", 99, e), 0u);  // a caret after the text
    // Shift+F3 takes a match that ends right at the selection.
    EXPECT_EQ(FindMatch("aa", 1, 2, Entry("a"), true), 0u);
    // Overlapping occurrences: each start counts.
    EXPECT_EQ(Forward("aaa", 1, Entry("aa")), 1u);
    EXPECT_EQ(ScanBackward("aaa", 2, Entry("aa")), 1u);

    // Direction: "上へ" makes F3 search upwards and Shift+F3 downwards.
    const std::string three = "ab ab ab";
    const SearchEntry up = Entry("ab", 0, 0, 1);
    EXPECT_EQ(FindMatch(three, 3, 5, up, false), 0u);
    EXPECT_EQ(FindMatch(three, 3, 5, up, true), 6u);
    EXPECT_EQ(FindMatch(three, 0, 2, up, false), 6u);  // wraps to the end
}

TEST(FindTextTest, CaseFoldsAsciiLettersOnly) {
    EXPECT_EQ(Forward("x Select", 0, Entry("sELECT")), 2u);
    EXPECT_EQ(Forward("x SELECT", 0, Entry("select", 0, 1)), std::nullopt);
    // Full-width letters are not folded.
    EXPECT_EQ(Forward(S("ＳＥＬＥＣＴ"), 0, Entry(S("ｓｅｌｅｃｔ"))), std::nullopt);
    // Only letters fold: '@' (40) and '`' (60) differ by the same bit, as do
    // '[' and '{' beside Z and z, which fold.
    EXPECT_EQ(Forward("@", 0, Entry("`")), std::nullopt);
    EXPECT_EQ(Forward("{", 0, Entry("[")), std::nullopt);
    EXPECT_EQ(Forward("x zZ", 0, Entry("Zz")), 2u);
    EXPECT_EQ(ScanBackward("Zz x", 3, Entry("zZ")), 0u);

    // ア is 83 41 and ヂ is 83 61: their trail bytes read as 'A' and 'a', but
    // a double-byte character compares exactly and never matches a letter.
    const std::string a = S("ア"), dji = S("ヂ");
    EXPECT_EQ(Forward(a, 0, Entry("a")), std::nullopt);
    EXPECT_EQ(ScanBackward(a + a, 3, Entry("A")), std::nullopt);
    EXPECT_EQ(Forward(dji, 0, Entry(a)), std::nullopt);
    EXPECT_EQ(Forward("x" + a + "A", 0, Entry("A")), 3u);
    // 表 (95 5C) ends in a backslash byte, 亜 (88 9F) in a lead-range byte.
    EXPECT_EQ(Forward(S("表示"), 0, Entry("\\")), std::nullopt);
    const std::string kanji = S("亜亜亜");
    EXPECT_EQ(Forward(kanji, 1, Entry("\x9F\x88")), std::nullopt);
    EXPECT_EQ(ScanBackward(kanji, 3, Entry(S("亜"))), 2u);

    // A Japanese search text.
    const std::string sql = S("select 社員名 from 社員");
    EXPECT_EQ(Forward(sql, 8, Entry(S("社員"))), sql.size() - 4);
    EXPECT_EQ(ScanBackward(sql, static_cast<std::ptrdiff_t>(sql.size()) - 5, Entry(S("社員"))), 7u);
}

TEST(FindTextTest, WholeWordTakesLettersDigitsAndUnderscoreAsWordCharacters) {
    const SearchEntry e = Entry("ab", 1);
    EXPECT_EQ(Forward("(ab)", 0, e), 1u);
    EXPECT_EQ(Forward("ab1 1ab _ab", 0, e), std::nullopt);
    EXPECT_EQ(Forward("xab ab", 0, e), 4u);
    EXPECT_EQ(ScanBackward("ab abx", 5, e), 0u);
    // A Japanese character next to the word is not a word character, even
    // when its trail byte reads as a letter (ア = 83 41).
    EXPECT_EQ(Forward(S("ア") + "ab", 0, e), 2u);
    EXPECT_EQ(Forward("ab" + S("ア"), 0, e), 0u);
    EXPECT_EQ(Forward(S("アア") + "A", 1, Entry("A", 1)), 4u);
    // A run of lead-range bytes before the word: 亜 is 88 9F.
    EXPECT_EQ(Forward(S("亜亜") + "ab", 0, e), 4u);
    EXPECT_EQ(Forward(S("亜") + "\x88" + "ab", 0, e), std::nullopt);  // 88 61 would be one character
    // A search text that starts with a Japanese character ignores the option.
    EXPECT_EQ(Forward(S("x社員名"), 0, Entry(S("社員"), 1)), 1u);
    // It still applies to a text that starts with a symbol or a digit.
    EXPECT_EQ(Forward("a-b -b", 0, Entry("-b", 1)), 4u);
}

TEST(FindTextTest, EmptyTextIsNeverFoundAndMessagesKeepTheTextLiterally) {
    EXPECT_EQ(Forward("abc", 0, Entry("")), std::nullopt);
    EXPECT_EQ(ScanBackward("abc", 2, Entry("")), std::nullopt);

    EXPECT_EQ(NotFoundMessage("100%s%d%n", false), S("文字列'100%s%d%n'が見つかりません。"));
    EXPECT_EQ(NotFoundMessage(S("社員%"), true), S("'社員%'の検索が終了しました。"));

    // The selection test of Replace: same bytes under the case rule.
    EXPECT_TRUE(SelectionMatches("x SELECT", 2, 8, Entry("select")));
    EXPECT_FALSE(SelectionMatches("x SELECT", 2, 8, Entry("select", 0, 1)));
    EXPECT_TRUE(SelectionMatches("abc", 1, 1, Entry("")));
    EXPECT_FALSE(SelectionMatches("abc", 2, 5, Entry("abc")));
    // A search text ending in a lone lead byte never takes half a character.
    EXPECT_EQ(Forward("\x83\x41", 0, Entry("\x83")), std::nullopt);
    EXPECT_EQ(Forward("a\x83", 0, Entry("\x83")), 1u);
}

}  // namespace
