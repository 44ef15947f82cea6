#include "platform/sjis_format.h"
#include "search/find_text.h"
#include "search/replace_all.h"
#include "support/replace_reference.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

std::string S(const char* utf8) { return platform::Sjis(utf8); }

SearchEntry Entry(std::string text, int wholeWord = 0, int matchCase = 0) {
    return SearchEntry{std::move(text), wholeWord, matchCase, 0};
}

using namespace replace_reference;

Editor Fast(const Editor& ed, const SearchEntry& e, const std::string& r) {
    ReplaceAllOutcome o = ReplaceAll(ed.text, ed.selStart, ed.selEnd, e, r);
    Editor out = ed;
    if (o.replaced > 0) out.text = o.text;
    out.selStart = o.selStart;
    out.selEnd = o.selEnd;
    out.message = o.finished;
    return out;
}

Editor At(std::string text, size_t selStart, size_t selEnd) { return Editor{std::move(text), selStart, selEnd}; }

// --- the cases ------------------------------------------------------------------

TEST(ReplaceAllTest, ReplacesEveryOccurrenceOnceFromTheCaretRound) {
    // From the middle: those after the caret first, then those before it; the
    // search runs out and the caret stays after the last replacement made.
    const std::string text = "x = 1; y = 1; z = 1";
    Editor r = Fast(At(text, 8, 8), Entry("1"), "2");
    EXPECT_EQ(r.text, "x = 2; y = 2; z = 2");
    EXPECT_TRUE(r.message);
    EXPECT_EQ(r.selStart, 5u);  // after the 2 of x, replaced last

    // A longer replacement, the caret at the end: all three, not "22 22 1".
    r = Fast(At("1 1 1", 5, 5), Entry("1"), "22");
    EXPECT_EQ(r.text, "22 22 22");
    EXPECT_TRUE(r.message);
    EXPECT_EQ(r.selStart, 8u);

    // The replacement holds the search text: one lap, no message, the caret
    // back at its place, moved by the replacements before it.
    r = Fast(At("a", 0, 0), Entry("a"), "ab");
    EXPECT_EQ(r.text, "ab");
    EXPECT_FALSE(r.message);
    EXPECT_EQ(r.selStart, 0u);
    r = Fast(At("xa a", 2, 2), Entry("a"), "ab");
    EXPECT_EQ(r.text, "xab ab");
    EXPECT_EQ(r.selStart, 3u);
}

TEST(ReplaceAllTest, CaseRulesEmptyTextsAndNothingFound) {
    Editor r = Fast(At("select * from t where SELECTED", 0, 0), Entry("select"), "x");
    EXPECT_EQ(r.text, "x * from t where xED");
    r = Fast(At("select * from t where SELECTED", 0, 0), Entry("select", 1), "x");
    EXPECT_EQ(r.text, "x * from t where SELECTED");
    r = Fast(At("Zoo zoo", 0, 0), Entry("Z"), "x");
    EXPECT_EQ(r.text, "xoo xoo");
    r = Fast(At("Zoo zoo", 0, 0), Entry("z"), "x");
    EXPECT_EQ(r.text, "xoo xoo");
    // A selected SELECT is not the text under the case rule: not replaced.
    r = Fast(At("SELECT select", 0, 6), Entry("select", 0, 1), "x");
    EXPECT_EQ(r.text, "SELECT x");
    // An empty replacement deletes.
    r = Fast(At(S("社員名, 社員番号"), 0, 0), Entry(S("社員")), "");
    EXPECT_EQ(r.text, S("名, 番号"));
    EXPECT_EQ(r.selStart, 4u);
    // An empty selection holds the empty search text: the replacement goes in
    // once at the caret, then the search runs out.
    r = Fast(At("abc", 1, 1), Entry(""), "XY");
    EXPECT_EQ(r.text, "aXYbc");
    EXPECT_TRUE(r.message);
    EXPECT_EQ(r.selStart, 3u);
    // Nothing found: text and selection stay.
    ReplaceAllOutcome o = ReplaceAll("abc", 1, 2, Entry("z"), "y");
    EXPECT_EQ(o.replaced, 0u);
    EXPECT_EQ(o.selStart, 1u);
    // ア's trail byte is never replaced as a letter.
    r = Fast(At(S("アA"), 0, 0), Entry("a"), "b");
    EXPECT_EQ(r.text, S("アb"));
    // A replacement ending in a lone lead byte takes the next byte as its
    // trail: that "a" is no longer there to replace.
    r = Fast(At("aab", 0, 0), Entry("a"), "x\x83");
    EXPECT_EQ(r.text, "x\x83" "ab");
    EXPECT_EQ(r.text, OneAtATime(At("aab", 0, 0), Entry("a"), "x\x83").text);
}

// Texts built from pieces chosen to meet the rules: letters in both cases,
// digits and '_' (word characters), kana whose trail bytes read as letters
// (ア 83 41, ヂ 83 61), kanji whose trail byte is a lead-range byte (亜 88 9F)
// or a backslash (表 95 5C), 﨑 (FA B1), a half-width kana and line breaks.
TEST(ReplaceAllTest, AgreesWithOneReplaceAtATimeOnRandomTexts) {
    const std::vector<std::string> pieces = {"a", "-", "A", "b", " ", "_", "1", "\r\n", S("ア"), S("ヂ"),
                                             S("亜"), S("表"), "\xFA\xB1", S("ｱ"), "B"};
    std::mt19937 rng(11);
    const auto pick = [&](size_t lo, size_t hi) { return std::uniform_int_distribution<size_t>(lo, hi)(rng); };
    // Each round draws from the first few pieces or from all of them, so that
    // matches come close together as often as Japanese text lies around them.
    size_t kinds = 0;
    const auto piecesOf = [&](size_t count, std::vector<size_t>* starts) {
        std::string t;
        for (size_t i = 0; i < count; ++i) {
            if (starts) starts->push_back(t.size());
            t += pieces[pick(0, kinds - 1)];
        }
        if (starts) starts->push_back(t.size());
        return t;
    };
    int lapEnds = 0, runOuts = 0;
    for (int round = 0; round < 30000; ++round) {
        kinds = pick(0, 1) ? pick(2, 5) : pieces.size();
        std::vector<size_t> starts;
        const std::string text = piecesOf(pick(0, 24), &starts);
        SearchEntry e = Entry(piecesOf(pick(1, 3), nullptr), pick(0, 1), pick(0, 1));
        std::string r = piecesOf(pick(0, 3), nullptr);
        if (pick(0, 4) == 0) r = pick(0, 1) ? e.text + r : r + e.text;  // brings the search text back
        size_t a = starts[pick(0, starts.size() - 1)], b = starts[pick(0, starts.size() - 1)];
        if (a > b) std::swap(a, b);
        if (pick(0, 3) == 0) {  // a selected occurrence, a whole word or not
            std::vector<size_t> all;
            for (size_t i = 0; i + 1 < starts.size(); ++i) {
                if (SameAt(text, starts[i], e)) all.push_back(starts[i]);
            }
            if (!all.empty()) {
                a = all[pick(0, all.size() - 1)];
                b = a + e.text.size();
            }
        }
        const Editor start = At(text, a, b);
        const Editor want = OneAtATime(start, e, r);
        const Editor got = Fast(start, e, r);
        ASSERT_TRUE(got.text == want.text && got.selStart == want.selStart && got.selEnd == want.selEnd &&
                    got.message == want.message)
            << "text \"" << text << "\" sel " << a << "-" << b << " search \"" << e.text << "\" ww " << e.wholeWord
            << " mc " << e.matchCase << " repl \"" << r << "\": got \"" << got.text << "\" " << got.selStart << "-"
            << got.selEnd << (got.message ? " message" : "") << ", want \"" << want.text << "\" " << want.selStart
            << "-" << want.selEnd << (want.message ? " message" : "");
        (want.message ? runOuts : lapEnds)++;
    }
    // Both ways of ending were met many times.
    EXPECT_GT(lapEnds, 1000);
    EXPECT_GT(runOuts, 1000);
}

}  // namespace
