#include "transmit_list/ListFile.h"
#include "files/testing/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <cstdio>

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

TEST(ListFile, OpenByNameReplacesTheListAndCountsAsSavedEvenWhenTheFileCannotBeRead) {
    testing::TemporaryFolder dir{"varnu-open-test"};
    TransmitList list;
    list.addEntry("(1) ESC 06 02 00 00 F8");
    const OpenedListFile opened = openListFile(list, dir.file("list.DAT", kTwoEntryFile + "rubbish\r\n"));
    EXPECT_FALSE(opened.failure);
    EXPECT_EQ(list.entries(), (std::vector<std::string>{"(1) ESC 07 01 00 08 00 F0", "(2) ESC 07 01 00 08 01 EF"}));
    EXPECT_EQ(opened.report.skippedLines.size(), 1u);
    EXPECT_FALSE(list.modified());

    list.addEntry("(3) ESC 06 02 00 00 F8");
    const OpenedListFile missing = openListFile(list, (dir / "missing.DAT").string());
    ASSERT_TRUE(missing.failure);
    EXPECT_EQ(missing.failure->problem, FileProblem::Missing);
    EXPECT_TRUE(list.entries().empty());
    EXPECT_FALSE(list.modified());
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

// Line numbers as an editor shows them: CR LF, a lone CR and a lone LF each end one line.
TEST(ListFile, ReportsEveryLineByItsNumberWhateverTheBlocks) {
    const std::string content = "ESC 07 01 00 08 00 F0\r\n"   // 1: taken as it is
                                "ESC 07 01 00 08 00 00\r\n"   // 2: checksum corrected
                                "\r\n"                        // 3: empty
                                "ESC 06 02\n"                 // 4: too short
                                "(1) ESC 07 01 00 08 00 F0\r" // 5: number prefix
                                "ESC 07 01 00 08 00\n"        // 6: checksum missing
                                "\n"                          // 7: empty
                                "ESC  07 01 00 08 00 F0\r\n"  // 8: blank before the length
                                "ESC 06 02 00 00 00\r\n"      // 9: corrected
                                "ESC 06 02 00 00 F8";         // 10: no line end
    ListFileReport expected;
    expected.lines = 10;
    expected.entries = 3;
    expected.corrected = 2;
    expected.correctedLines = {2, 9};
    expected.skipped = 5;
    expected.skippedLines = {{4, LineProblem::TooShort},
                             {5, LineProblem::NoEsc},
                             {6, LineProblem::MissingBytes},
                             {8, LineProblem::SentDifferently},
                             {10, LineProblem::NoLineEnd}};
    for (std::size_t blockSize : {1u, 2u, 7u, 255u}) {
        ListFileReader reader;
        for (std::size_t at = 0; at < content.size(); at += blockSize)
            reader.feed(std::string_view(content).substr(at, blockSize));
        reader.finish();
        const ListFileReport& report = reader.report();
        EXPECT_EQ(report.lines, expected.lines) << "block " << blockSize;
        EXPECT_EQ(report.entries, expected.entries);
        EXPECT_EQ(report.corrected, expected.corrected);
        EXPECT_EQ(report.correctedLines, expected.correctedLines);
        EXPECT_EQ(report.skipped, expected.skipped);
        EXPECT_EQ(report.skippedLines, expected.skippedLines) << "block " << blockSize;
        EXPECT_EQ(report.emptyLines(), 2u);
        EXPECT_EQ(reader.entries(), readListFile(content)); // the report changes nothing taken
    }
    const std::vector<std::string> sentences = describeListFileReport(expected);
    ASSERT_EQ(sentences.size(), 7u);
    EXPECT_EQ(sentences[0], "10 lines read: 3 entries taken, 5 lines skipped, 2 empty lines.");
    EXPECT_EQ(sentences[1], "Checksum corrected on lines 2 and 9.");
    EXPECT_EQ(sentences[2].substr(0, 35), "Line 4 skipped: it is shorter than ");
    EXPECT_EQ(sentences[6].substr(0, 40), "Line 10 skipped: it is the last line and");
}

TEST(ListFile, AReportOfManyBadLinesNamesTheFirstAndCountsTheRest) {
    std::string content = "ESC 07 01 00 08 00 00\n";
    for (int i = 0; i < 1000; ++i)
        content += "rubbish\n";
    ListFileReader reader;
    reader.feed(content);
    reader.finish();
    EXPECT_EQ(reader.report().skipped, 1000u);
    EXPECT_EQ(reader.report().skippedLines.size(), kReportedLines);
    const std::vector<std::string> sentences = describeListFileReport(reader.report());
    EXPECT_EQ(sentences.front(), "1001 lines read: 1 entry taken, 1000 lines skipped.");
    EXPECT_EQ(sentences[1], "Checksum corrected on line 1.");
    EXPECT_EQ(sentences.back(), "And 980 more lines skipped.");
}

TEST(ListFile, LoadsAFileByNameWithoutItsByteOrderMark) {
    const testing::TemporaryFolder dir("varnu-list-test");
    const std::string path = dir.file("bom.DAT", "\xEF\xBB\xBF" + kTwoEntryFile);
    const LoadedListFile loaded = loadListFile(path);
    EXPECT_FALSE(loaded.failure);
    EXPECT_EQ(loaded.entries, readListFile(kTwoEntryFile)); // the first entry is not lost
    EXPECT_EQ(loaded.report.skipped, 0u);
    std::remove(path.c_str());

    const LoadedListFile missing = loadListFile(path);
    ASSERT_TRUE(missing.failure);
    EXPECT_EQ(missing.failure->problem, FileProblem::Missing);
    EXPECT_TRUE(missing.entries.empty());
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
