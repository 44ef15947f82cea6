#include "platform/cp932.h"
#include "platform/sjis_format.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

using platform::Cp932PrefixLength;
using platform::CutToBytes;
using platform::ReadLeadingNumber;

namespace {

TEST(Cp932, LeadBytesIncludeTheUserDefinedAndIbmRows) {
    for (int b = 0; b < 256; ++b) {
        EXPECT_EQ(platform::IsLeadByte(static_cast<unsigned char>(b)), (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) << b;
    }
}

TEST(Cp932, CutsNeverSplitACharacter) {
    // 126 letters and 﨑 (FA B1): a 127-byte cut keeps the letters only.
    const std::string name = std::string(126, 'a') + platform::Sjis("﨑");
    ASSERT_EQ(name.size(), 128u);
    EXPECT_EQ(CutToBytes(name, 127), std::string(126, 'a'));
    EXPECT_EQ(CutToBytes(name, 128), name);

    // 髙 is FB FC, 昱 FA 63, ｶ a single byte.
    const std::string mixed = platform::Sjis("ｶ髙昱x");
    ASSERT_EQ(mixed, "\xB6\xFB\xFC\xFA\x63x");
    const size_t expected[] = {0, 1, 1, 3, 3, 5, 6};
    for (size_t max = 0; max <= mixed.size(); ++max) EXPECT_EQ(Cp932PrefixLength(mixed, max), expected[max]) << max;
    // A text that fits stays whole, a lone lead byte at its end included.
    EXPECT_EQ(CutToBytes("ab\xFC", 3), "ab\xFC");
}

TEST(Cp932, LeadingNumbersSaturateInsteadOfOverflowing) {
    const auto read = [](std::string_view s) {
        const platform::LeadingNumber n = ReadLeadingNumber(s);
        return std::to_string(n.value) + "/" + std::to_string(n.length);
    };
    EXPECT_EQ(read(" \t\r\n\v\f-17x"), "-17/9");
    EXPECT_EQ(read("- 1"), "0/0");
    EXPECT_EQ(read("9223372036854775808"), "9223372036854775807/19");
    EXPECT_EQ(read("-99999999999999999999999"), "-9223372036854775808/24");

    EXPECT_EQ(platform::SaturateToInt(3000000000LL), INT_MAX);
    EXPECT_EQ(platform::SaturateToInt(-3000000000LL), INT_MIN);
}

TEST(Cp932, ProgramTextsNeedNoQt) {
    EXPECT_EQ(platform::SjisFormat("%d件 更新しました", 3), platform::Sjis("3件 更新しました"));
    EXPECT_EQ(platform::SjisFormat("[%s]", "\x87\x90"), "[\x87\x90]");  // %s arguments are CP932 already
}

}  // namespace
