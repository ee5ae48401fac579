#include "catalogue/ProfileFile.h"

#include <gtest/gtest.h>

#include <string>

namespace varnu {
namespace {

TEST(ProfileFileTest, FollowsTheWindowsProfileRules) {
    const ProfileFile file("; a comment line\r\n"
                           "[Group]\r\n"
                           "Size = 3 \r\n"
                           "  ; indented comment=1\r\n"
                           "Name=  Level,-1;2:3/4  \r\n"
                           "quoted=\" a b \"\r\n"
                           "single='x'\r\n"
                           "half=\"x\r\n"
                           "Name=second occurrence\r\n"
                           "no equals sign\r\n"
                           "[ other ]\n"
                           "k=\tv\t\n"
                           "[GROUP]\n"
                           "Size=99\n");
    struct Case {
        const char* section;
        const char* key;
        std::string expected;
    };
    const Case cases[] = {
        {"GROUP", "SIZE", "3"},              // case-insensitive; the repeated section is unreachable
        {"group", "name", "Level,-1;2:3/4"}, // ";" inside a value belongs to it
        {"Group", "quoted", " a b "},        // matching quotes go, the blanks inside stay
        {"Group", "single", "x"},
        {"Group", "half", "\"x"},
        {"Group", "; indented comment", "(none)"},
        {"Group", "no equals sign", "(none)"},
        {"other", "k", "v"},
        {"missing", "k", "(none)"},
        {"other", "missing", "(none)"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(file.getString(c.section, c.key, "(none)"), c.expected) << c.section << "/" << c.key;
    EXPECT_EQ(file.getInt("group", "size"), 3);
}

TEST(ProfileFileTest, IntegerLookupReadsALeadingDecimalAndGivesZeroWhenMissing) {
    const ProfileFile file("[S]\na=12abc\nb=abc\nc=-5\nd=4000000000\ne=\n");
    EXPECT_EQ(file.getInt("S", "a"), 12);
    EXPECT_EQ(file.getInt("S", "b"), 0);
    EXPECT_EQ(file.getInt("S", "c"), -5);
    EXPECT_EQ(file.getInt("S", "d"), 4000000000);
    EXPECT_EQ(file.getInt("S", "e"), 0);
    EXPECT_EQ(file.getInt("S", "zz"), 0);
    EXPECT_EQ(file.getInt("T", "a"), 0);
}

TEST(ProfileFileTest, ValuesAreCutTo259BytesAndDefaultsToo) {
    const std::string longValue(1'000'000, 'x');
    const ProfileFile file("[S]\nk=" + longValue + "\n");
    EXPECT_EQ(file.getString("S", "k", ""), std::string(ProfileFile::kMaxValueLength, 'x'));
    EXPECT_EQ(file.getString("S", "absent", longValue).size(), ProfileFile::kMaxValueLength);
}

TEST(ProfileFileTest, Cp932NamesMatchByTheirBytesAndTrailBytesAreNotSeparators) {
    // Section "表]" (0x95 0x5C then "]"): the first "]" is the real one. Key 0x83 0x41 differs
    // from 0x83 0x61 only in a trail byte that looks like a letter.
    const ProfileFile file("[\x95\x5C]\n\x83\x41=upper\n\x83\x61=lower\n[\x83\x5D]\nk=1\n");
    EXPECT_EQ(file.encoding(), TextEncoding::Cp932);
    EXPECT_EQ(file.getString("\x95\x5C", "\x83\x41", ""), "upper");
    EXPECT_EQ(file.getString("\x95\x5C", "\x83\x61", ""), "lower");
    EXPECT_EQ(file.getString("\x83\x5D", "k", ""), "1");
}

TEST(ProfileFileTest, ByteOrderMarkAndOddBytesDoNotBreakReading) {
    EXPECT_EQ(ProfileFile("\xEF\xBB\xBF[S]\nk=v\n").getString("S", "k", ""), "v");
    std::string binary;
    for (int i = 0; i < 4096; ++i)
        binary.push_back(static_cast<char>((i * 7919) & 0xFF));
    const ProfileFile noise(binary + "\n[S]\nk=v"); // no final newline
    EXPECT_EQ(noise.getString("S", "k", ""), "v");
}

} // namespace
} // namespace varnu
