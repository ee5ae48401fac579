#include "catalogue/TextScan.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

namespace varnu {
namespace {

// "表" in CP932 is 0x95 0x5C: its trail byte is the backslash. "ソ" is 0x83 0x5C; "〓" 0x81 0xAC.
// 0x83 0x7C is a katakana whose trail byte is "|".
const std::string kTrailBackslash = "\x95\x5C";
const std::string kTrailBar = "\x83\x7C";

TEST(TextEncodingTest, ValidUtf8IsUtf8AndAnythingElseIsCp932) {
    struct Case {
        std::string bytes;
        TextEncoding expected;
    };
    const Case cases[] = {
        {"", TextEncoding::Utf8},
        {"[GROUP]\nSIZE=1\n", TextEncoding::Utf8},
        {"0=\xE7\x94\xBB\xE5\x83\x8F", TextEncoding::Utf8}, // 画像 in UTF-8
        {"0=" + kTrailBackslash, TextEncoding::Cp932},
        {"\xE7\x94", TextEncoding::Cp932},         // truncated sequence at the end
        {"\xC0\xAF", TextEncoding::Cp932},         // overlong "/"
        {"\xED\xA0\x80", TextEncoding::Cp932},     // UTF-16 surrogate
        {"\xF4\x90\x80\x80", TextEncoding::Cp932}, // above U+10FFFF
        {"\xFF", TextEncoding::Cp932},
    };
    for (const Case& c : cases)
        EXPECT_EQ(detectTextEncoding(c.bytes), c.expected) << testing::PrintToString(c.bytes);
}

TEST(TextScanTest, CutNeverSplitsACharacter) {
    EXPECT_EQ(cutToLength("A" + kTrailBar, 2, TextEncoding::Cp932), "A");
    EXPECT_EQ(cutToLength(kTrailBar + "A", 2, TextEncoding::Cp932), kTrailBar);
    EXPECT_EQ(cutToLength("A\xE7\x94\xBB", 3, TextEncoding::Utf8), "A");
    EXPECT_EQ(cutToLength("abc", 2, TextEncoding::Utf8), "ab");
}

TEST(TextScanTest, DecimalReadingStopsAtTheFirstNonDigitAndSaturates) {
    struct Case {
        std::string text;
        std::int64_t value;
    };
    constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
    constexpr auto kMin = std::numeric_limits<std::int64_t>::min();
    const Case cases[] = {
        {"", 0},
        {"12", 12},
        {"+7x", 7},
        {"-128", -128},
        {"-", 0},
        {"+", 0},
        {" 5", 0},
        {"4000000000", 4000000000},
        {"99999999999999999999", kMax},
        {"-99999999999999999999", kMin},
        {"-9223372036854775808", kMin},
        {"9223372036854775807", kMax},
    };
    for (const Case& c : cases)
        EXPECT_EQ(readDecimal(c.text), c.value) << c.text;
    EXPECT_EQ(readDecimal32("4000000000"), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(readDecimal32("-4000000000"), std::numeric_limits<std::int32_t>::min());
}

} // namespace
} // namespace varnu
