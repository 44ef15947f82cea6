#include "platform/codepage.h"
#include "platform/qtext.h"
#include "support/visible_text.h"

#include <gtest/gtest.h>

#include <QStringDecoder>
#include <QStringEncoder>

using platform::AsCp932Shows;
using platform::Cp932ToQString;
using platform::Cp932ToUtf8;
using platform::Forms;
using platform::QStringToCp932;
using platform::Utf8ToCp932;

namespace {

std::string Bytes(int lead, int trail) { return {static_cast<char>(lead), static_cast<char>(trail)}; }

// The expected characters come from ICU's Windows-31J table (through Qt), the
// conversions from glibc's CP932 table: two tables made apart.
TEST(Codepage, EveryValidCodeShowsAsItsCharacterAndKeepsItsBytes) {
    QStringDecoder icuDecode("windows-31j", QStringConverter::Flag::Stateless);
    QStringEncoder icuEncode("windows-31j", QStringConverter::Flag::Stateless);
    ASSERT_TRUE(icuDecode.isValid());
    int valid = 0;
    int otherForms = 0;
    std::string everyCode;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (lead == 0xA0) lead = 0xE0;  // the single-byte range between the two lead ranges
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            const std::string code = Bytes(lead, trail);
            const QString expected = icuDecode.decode(QByteArray(code.data(), 2));
            if (expected.size() != 1 || expected[0] == QChar(0x1A) || expected[0] == QChar(0xFFFD)) continue;
            ++valid;
            everyCode += code;
            SCOPED_TRACE(testing::Message() << std::hex << lead << " " << trail);
            const QString shown = Cp932ToQString(code);
            EXPECT_EQ(Visible(shown), expected);
            EXPECT_EQ(Cp932ToUtf8(code), expected.toStdString());
            EXPECT_EQ(QStringToCp932(shown), code);
            // Typed or pasted, the character takes the code page's preferred code.
            const QByteArray preferred = icuEncode.encode(expected);
            EXPECT_EQ(QStringToCp932(shown, Forms::Preferred), preferred.toStdString());
            EXPECT_EQ(Utf8ToCp932(expected.toStdString()), preferred.toStdString());
            // Only a code other than the preferred one carries a selector.
            const bool isPreferred = preferred.toStdString() == code;
            EXPECT_EQ(shown.size(), isPreferred ? 1 : 2);
            otherForms += !isPreferred;
        }
    }
    EXPECT_EQ(valid, 9604);  // JIS X 0208, NEC row 13, both IBM extension sets, the user-defined area
    EXPECT_EQ(otherForms, 398);
    EXPECT_EQ(QStringToCp932(Cp932ToQString(everyCode)), everyCode);
    EXPECT_EQ(platform::QStringToCp932CrLf(platform::Cp932ToQStringLf(everyCode)), everyCode);
    EXPECT_EQ(Utf8ToCp932(Cp932ToUtf8(everyCode)).size(), everyCode.size());

    EXPECT_EQ(Cp932ToUtf8("\x93\xFA\xB6\x5C"), "日ｶ\\");
}

TEST(Codepage, EverySingleByteKanaShowsAsItsHalfWidthCharacterAndComesBack) {
    QStringDecoder icuDecode("windows-31j", QStringConverter::Flag::Stateless);
    for (int b = 0xA1; b <= 0xDF; ++b) {
        SCOPED_TRACE(b);
        const std::string code(1, static_cast<char>(b));
        const QString expected = icuDecode.decode(QByteArray(code.data(), 1));
        ASSERT_EQ(expected.size(), 1);
        EXPECT_EQ(Cp932ToQString(code), expected);
        EXPECT_EQ(Cp932ToUtf8(code), expected.toStdString());
        EXPECT_EQ(QStringToCp932(expected), code);
        EXPECT_EQ(Utf8ToCp932(expected.toStdString()), code);
    }
}

TEST(Codepage, SharedCharactersShowWithoutSwallowingWhatFollows) {
    // ≒ in NEC row 13 (87 90) and ￢ among the IBM extensions (FA 54).
    EXPECT_EQ(Visible(Cp932ToQString("\x87\x90" "A")), U("≒A"));
    EXPECT_EQ(Cp932ToUtf8("\x87\x90" "A\xFA\x54x"), "≒A￢x");
    // ∵ has three codes: preferred 81 E6, NEC 87 9A, IBM FA 5B.
    const std::string because = "\x81\xE6\x87\x9A\xFA\x5B";
    EXPECT_EQ(Visible(Cp932ToQString(because)), U("∵∵∵"));
    EXPECT_EQ(QStringToCp932(Cp932ToQString(because)), because);
    EXPECT_EQ(QStringToCp932(Cp932ToQString(because), Forms::Preferred), "\x81\xE6\x81\xE6\x81\xE6");

    // A selector that no longer follows its character is dropped, and one
    // that names no form of the character before it gives the preferred code.
    const QString shown = Cp932ToQString("\x87\x90");
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(QStringToCp932(shown.mid(1) + U("≒")), "\x81\xE0");
    EXPECT_EQ(QStringToCp932(U("≒") + QChar(0xFE0F)), "\x81\xE0");
    EXPECT_EQ(QStringToCp932(QString(shown[0]) + U("x") + shown[1]), "\x81\xE0x");
    // Byte lengths agree with the bytes, the selector counting nothing.
    const QString text = Cp932ToQString("\x87\x90" "A\xFA\x54");
    EXPECT_EQ(platform::Cp932LengthCrLf(text, 0, text.size()), 5u);
    EXPECT_EQ(platform::PastFormMarker(text, platform::PositionForCp932Offset(text, 2)), 2);
}

TEST(Codepage, TheOtherJapaneseMappingsCharactersGetTheirCodes) {
    const char* utf8 = "〜‖−¢£¬—";
    const std::string cp932 = "\x81\x60\x81\x61\x81\x7C\x81\x91\x81\x92\x81\xCA\x81\x5C";
    EXPECT_EQ(Utf8ToCp932(utf8), cp932);
    EXPECT_EQ(QStringToCp932(U(utf8)), cp932);
    // The characters the program shows for these codes are CP932's own.
    EXPECT_EQ(Cp932ToQString(cp932), U("～∥－￠￡￢―"));
    EXPECT_EQ(AsCp932Shows(U("update 商品 set 備考 = '10:00〜18:00 −5%'")), U("update 商品 set 備考 = '10:00～18:00 －5%'"));
}

TEST(Codepage, CharactersWithoutCp932FormBecomeQuestionMarks) {
    EXPECT_EQ(Utf8ToCp932("a\xF0\x9F\x98\x80" "b"), "a?b");             // emoji
    EXPECT_EQ(Cp932ToUtf8("a\x80" "b"), "a?b");
    // What typing or pasting them shows, at once: é, Hangul, an emoji; CR LF
    // is one line break and selectors from outside are dropped.
    EXPECT_EQ(AsCp932Shows(U("café 한 😀\r\nx\ry≒") + QChar(0xFE00)), U("caf? ? ?\nx\ny≒"));
}

TEST(Codepage, InvalidBytesSurviveTheWidgetEdge) {
    // Stray bytes, a lead byte with a bad trail byte, a lead byte at the end,
    // user-defined area characters and a UTF-8 text read as CP932.
    const std::string samples[] = {
        std::string("\x81\x20" "a", 3),
        std::string("abc\x81", 4),
        std::string("\xFA\x7F\xFC\xFC\xFC", 5),
        std::string("日本語のテキスト"),
    };
    for (const auto& s : samples) {
        EXPECT_EQ(QStringToCp932(Cp932ToQString(s)), s);
    }
    std::string all;
    for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
    EXPECT_EQ(QStringToCp932(Cp932ToQString(all)), all);
}

// The clipboard's UTF-8 is written straight from CP932; it must be what the
// Unicode text of the same bytes encodes to: every code, valid or not, every
// form, and a lead byte cut off at the end of a piece.
TEST(Codepage, ClipboardUtf8IsTheUnicodeTextsUtf8) {
    for (int lead = 0x80; lead < 0x100; ++lead) {
        std::string text;
        for (int trail = 0; trail < 0x100; ++trail) {
            text += Bytes(lead, trail);
            if (trail % 16 == 0) text += trail % 32 ? "a\r\n" : "ASCII runs of any length\r\n";
        }
        text.push_back(static_cast<char>(lead));
        std::string utf8(text.size() * 3, '\0');
        utf8.resize(platform::Cp932ToClipboardUtf8(text, utf8.data()));
        ASSERT_EQ(utf8, Cp932ToQString(text, Forms::Preferred).toStdString()) << lead;
    }
}

TEST(Codepage, OverlongUtf8NeverPassesForTheCharacterItImitates) {
    // 'A' and '/' in two bytes, '/' in three and four, a surrogate: every
    // byte of such a malformed sequence arrives as "?".
    EXPECT_EQ(Utf8ToCp932("a\xC1\x81z"), "a??z");
    EXPECT_EQ(Utf8ToCp932("a\xC0\xAFz"), "a??z");
    EXPECT_EQ(Utf8ToCp932("a\xE0\x80\xAFz"), "a???z");
    EXPECT_EQ(Utf8ToCp932("a\xED\xA0\x80z"), "a???z");
}

TEST(Codepage, IbmExtensionKanjiHaveTheirCodes) {
    // 纊 (U+7E8A) is FA 5C, also reachable as the NEC-selected ED 40; the
    // conversion to CP932 takes FA 5C, and a 5C trail byte is no backslash.
    EXPECT_EQ(Cp932ToUtf8("\xFA\x5C"), "纊");
    EXPECT_EQ(Utf8ToCp932("纊"), "\xFA\x5C");
    EXPECT_EQ(Cp932ToUtf8("\xFA\x5C\x5C"), "纊\\");
}

}  // namespace
