#include "transmit_list/ListFile.h"

#include <gtest/gtest.h>

namespace varnu {
namespace {

const std::string kTwoEntryFile = "ESC 07 01 00 08 00 F0\r\nESC 07 01 00 08 01 EF\r\n";

TEST(ListFile, SavesFrameTextsEndedByCrLf) {
    TransmitList list;
    list.addEntry("(1) ESC 07 01 00 08 00 F0");
    list.addEntry("(2) ESC 07 01 00 08 01 EF");
    const std::string content = writeListFile(list);
    EXPECT_EQ(content.size(), 46u);
    EXPECT_EQ(content, kTwoEntryFile);
    EXPECT_EQ(writeListFile(TransmitList{}), "");
}

TEST(ListFile, OpenGivesNumberedEntriesWithoutSelection) {
    TransmitList list;
    list.addEntry("(1) ESC 06 02 00 00 F8");
    openList(list, kTwoEntryFile);
    EXPECT_EQ(list.entries(), (std::vector<std::string>{"(1) ESC 07 01 00 08 00 F0", "(2) ESC 07 01 00 08 01 EF"}));
    EXPECT_EQ(list.selection(), std::nullopt);
}

TEST(ListFile, OpenThenSaveKeepsOnlyAcceptedLinesWithCorrectedChecksums) {
    TransmitList list;
    openList(list, "ESC 07 01 00 08 00 00\nrubbish line here\r\nESC 0A 02 01 02 05 02 0102 00 tail\r");
    EXPECT_EQ(writeListFile(list), "ESC 07 01 00 08 00 F0\r\nESC 0A 02 01 02 05 02 0102 E7 tail\r\n");
}

TEST(ListFile, EveryCrAndLfEndsALine) {
    const std::string line = "ESC 07 01 00 08 00 F0";
    for (const std::string ending : {"\r\n", "\n", "\r", "\n\r", "\r\n\r\n"}) {
        const auto entries = readListFile(line + ending + line + ending);
        EXPECT_EQ(entries, (std::vector<std::string>{"(1) " + line, "(2) " + line})) << ending.size();
    }
}

TEST(ListFile, ALastLineWithoutItsEndIsNotTaken) {
    EXPECT_EQ(readListFile("ESC 07 01 00 08 00 F0\r\nESC 07 01 00 08 01 EF").size(), 1u);
}

TEST(ListFile, LinesSplitAcrossBlocksAreReadWhole) {
    const std::string content = kTwoEntryFile + std::string(300, ' ') + "ESC 06 02 00 00 00\r\n";
    const std::vector<std::string> whole = readListFile(content);
    ASSERT_EQ(whole.size(), 2u); // the padded line does not start with ESC
    for (std::size_t blockSize : {1u, 2u, 7u, 255u}) {
        for (std::size_t split = 0; split <= content.size(); ++split) {
            ListFileReader reader;
            const std::string_view view(content);
            reader.feed(view.substr(0, split));
            for (std::size_t at = split; at < content.size(); at += blockSize)
                reader.feed(view.substr(at, blockSize));
            ASSERT_EQ(reader.entries(), whole) << "block " << blockSize << " split " << split;
        }
    }
}

TEST(CheckFrameText, RewritesTheChecksumOfAcceptedLines) {
    const std::pair<const char*, const char*> accepted[] = {
        {"ESC 07 01 00 08 00 00", "ESC 07 01 00 08 00 F0"},
        {"ESC 09 01 02 03 012345 00", "ESC 09 01 02 03 012345 88"}, // six digits read as three pairs
        {"ESC  07  01 00 08 00 xx!", "ESC  07  01 00 08 00 F0!"},   // spaces before pairs, text after
        {"ESC 02 03 04 05 06 07", "ESC 02 FE 04 05 06 07"},         // L <= 2: the checksum follows L
        {"ESC 06 02 00 00 F8", "ESC 06 02 00 00 F8"},
    };
    for (const auto& [line, corrected] : accepted) {
        std::string text = line;
        EXPECT_TRUE(CheckFrameText(text)) << line;
        EXPECT_EQ(text, corrected);
    }
}

TEST(CheckFrameText, RejectsLinesThatCannotBeFrames) {
    const char* rejected[] = {
        "ESC 07 01 00 08 00",        // checksum missing
        "(1) ESC 07 01 00 08 00 F0", // number prefix
        " ESC 07 01 00 08 00 F0",    // leading space
        "esc 07 01 00 08 00 F0",     // lower case
        "ESC 06 02 00",              // shorter than 13
        "ESC 07 01 00 08 00 F",      // a checksum of one character
        "ESC            ",           // nothing but spaces after ESC
        "ESC           1",           // a length of one character
    };
    for (const char* line : rejected) {
        std::string text = line;
        EXPECT_FALSE(CheckFrameText(text)) << line;
        EXPECT_EQ(text, line);
    }
}

} // namespace
} // namespace varnu
