#include "cli/tests/CliRun.h"

#include <gtest/gtest.h>

namespace varnu::cli {
namespace {

using testing::CliRun;
using testing::run;

// The fixtures beside this file (the test binary is declared one folder up).
const std::string kData = std::string(VARNU_SOURCE_DIR) + "/cli/tests/data";

TEST(ListCommand, PrintsTheEntriesOpeningTheFileGivesAndWhatBecameOfEachLine) {
    const CliRun two = run({"list", kData + "/two_entries.DAT"});
    EXPECT_EQ(two.out, "(1) ESC 07 01 00 08 00 F0\n(2) ESC 07 01 00 08 01 EF\n");
    EXPECT_EQ(two.err, "varnu-cli list: " + kData + "/two_entries.DAT: 2 lines read: 2 entries taken.\n");

    // Checksums corrected, rejected and empty lines skipped, the unended last line dropped:
    // stdout stays the list, stderr says which lines and why.
    const CliRun hand = run({"list", kData + "/hand_written.DAT"});
    EXPECT_EQ(hand.status, kExitOk);
    EXPECT_EQ(hand.out, "(1) ESC 07 01 00 08 00 F0\n(2) ESC 0A 02 01 02 05 02 0102 E7 kept\n");
    EXPECT_EQ(hand.err.substr(0, hand.err.find('\n')),
              "varnu-cli list: " + kData +
                  "/hand_written.DAT: 6 lines read: 2 entries taken, 3 lines skipped, 1 empty line.");
    for (const char* line :
         {"\n  Checksum corrected on lines 1 and 5.\n", "\n  Line 2 skipped: it is shorter",
          "\n  Line 4 skipped: it does not start with \"ESC\"", "\n  Line 6 skipped: it is the last line"})
        EXPECT_NE(hand.err.find(line), std::string::npos) << hand.err;

    EXPECT_EQ(run({"list", "a", "b"}).status, kExitUsage);
}

// The fixed message first, then which file and why; nothing on stdout.
TEST(ListCommand, AFileThatCannotBeReadIsExplainedBelowReadFailure) {
    const struct {
        std::string path;
        const char* explanation;
    } cases[] = {
        {kData + "/no_such_file.DAT", "There is no file \""},
        {kData, "is a folder, not a file."},
        {"/dev/zero", "is a device, not a file saved on disk"},
    };
    for (const auto& c : cases) {
        const CliRun result = run({"list", c.path});
        EXPECT_EQ(result.status, kExitFailure);
        EXPECT_EQ(result.out, "");
        EXPECT_TRUE(result.err.starts_with("Read Failure.\n")) << result.err;
        EXPECT_NE(result.err.find(c.explanation), std::string::npos) << result.err;
        EXPECT_NE(result.err.find("\"" + c.path + "\""), std::string::npos) << result.err;
    }
}

TEST(FrameCommand, PrintsTheBytesOfAnEntryText) {
    EXPECT_EQ(run({"frame", "(1) ESC 07 01 00 08 00 F0"}).out, "1B0701000800F0\n");
    EXPECT_EQ(run({"frame", "07 01 00 08 00 F0"}).status, kExitUsage);
    EXPECT_EQ(run({"frame"}).status, kExitUsage);
}

} // namespace
} // namespace varnu::cli
