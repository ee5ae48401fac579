#include "transmit_list/ListFile.h"

#include <gtest/gtest.h>

namespace varnu {
namespace {

const std::string kTwoEntryFile = "ESC 07 01 00 08 00 F0\r\nESC 07 01 00 08 01 EF\r\n";

TEST(ListFile, SaveThenOpenGivesTheSameNumberedEntries) {
    TransmitList list;
    list.addEntry("(1) ESC 07 01 00 08 00 F0");
    list.addEntry("(2) ESC 07 01 00 08 01 EF");
    const std::string content = writeListFile(list);
    EXPECT_EQ(content.size(), 46u);
    EXPECT_EQ(content, kTwoEntryFile);

    TransmitList opened;
    opened.addEntry("(1) ESC 06 02 00 00 F8");
    openList(opened, content);
    EXPECT_EQ(opened.entries(), list.entries());
    EXPECT_EQ(opened.selection(), std::nullopt);
}

TEST(ListFile, OpenThenSaveKeepsOnlyAcceptedLinesWithCorrectedChecksums) {
    TransmitList list;
    openList(list, "ESC 07 01 00 08 00 00\nrubbish\r\n\r\nESC 0A 02 01 02 05 02 0102 00 tail\rESC 06 02 00 00 F8");
    EXPECT_EQ(writeListFile(list), "ESC 07 01 00 08 00 F0\r\nESC 0A 02 01 02 05 02 0102 E7 tail\r\n");
}

TEST(ListFile, LinesSplitAcrossBlocksAreReadWhole) {
    const std::string content = kTwoEntryFile + "\n\r\rESC 06 02 00 00 00\n";
    const std::vector<std::string> whole = readListFile(content);
    ASSERT_EQ(whole.size(), 3u);
    for (std::size_t blockSize : {1u, 7u, 255u}) {
        for (std::size_t split = 0; split <= content.size(); ++split) {
            ListFileReader reader;
            reader.feed(std::string_view(content).substr(0, split));
            for (std::size_t at = split; at < content.size(); at += blockSize)
                reader.feed(std::string_view(content).substr(at, blockSize));
            ASSERT_EQ(reader.entries(), whole) << "block " << blockSize << " split " << split;
        }
    }
}

// Open takes only lines that Transmit sends as the bytes that were checked: the check alone
// passes lines that the frame builder reads with another length byte or checksum.
TEST(ListFile, OpenSkipsLinesThatWouldBeSentOtherwiseThanChecked) {
    const std::pair<const char*, const char*> lines[] = {
        {"ESC 07  01 00   08 00 00 tail", "(1) ESC 07  01 00   08 00 F0 tail"}, // spaces after the length: kept
        {"ESC 07 01 00 0800 00", "(1) ESC 07 01 00 0800 F0"},                   // a token of two pairs: kept
        {"ESC  07 01 00 08 00 F0", nullptr},                                    // empty length token
        {"ESCX07 01 00 08 00 F0", nullptr},                                     // length token "01"
        {"ESC 0701 00 08 00 F0 11", nullptr},                                   // length token "0701"
        {"ESC 07 01 00 08 00F0AB", nullptr},                                    // last token past the checksum
        {"ESC 07 010 08 00 F0 22", nullptr},                                    // odd token: a pair holds a blank
        {"ESC 02 03 04 05 06 07", nullptr},                                     // no room for the checksum
    };
    for (const auto& [line, entry] : lines) {
        const std::vector<std::string> entries = readListFile(std::string(line) + "\r\n");
        if (entry)
            EXPECT_EQ(entries, std::vector<std::string>{entry}) << line;
        else
            EXPECT_TRUE(entries.empty()) << line;
    }
}

TEST(CheckFrameText, RewritesTheChecksumOfAcceptedLines) {
    const std::pair<const char*, const char*> accepted[] = {
        {"ESC 07 01 00 08 00 00", "ESC 07 01 00 08 00 F0"},
        {"ESC 09 01 02 03 012345 00", "ESC 09 01 02 03 012345 88"}, // six digits read as three pairs
        {"ESC  07  01 00 08 00 xx!", "ESC  07  01 00 08 00 F0!"},   // spaces before pairs, text after
        {"ESC 02 03 04 05 06 07", "ESC 02 FE 04 05 06 07"},         // L <= 2: the checksum follows L
    };
    for (const auto& [line, corrected] : accepted) {
        std::string text = line;
        EXPECT_TRUE(CheckFrameText(text)) << line;
        EXPECT_EQ(text, corrected);
    }
    for (const char* line :
         {"ESC 07 01 00 08 00", "(1) ESC 07 01 00 08 00 F0", " ESC 07 01 00 08 00 F0", "esc 07 01 00 08 00 F0",
          "ESC 06 02 00", "ESC 07 01 00 08 00 F", "ESC            ", "ESC           1"}) {
        std::string text = line;
        EXPECT_FALSE(CheckFrameText(text)) << line;
        EXPECT_EQ(text, line);
    }
}

} // namespace
} // namespace varnu
