#include "cli/tests/CliRun.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace varnu::cli {
namespace {

// The fixtures beside this file (the test binary is declared one folder up).
const std::string kData = std::string(VARNU_SOURCE_DIR) + "/cli/tests/data";

using testing::CliRun;
using testing::run;

TEST(ListCommand, PrintsTheEntriesOpeningTheFileGives) {
    const CliRun saved = run({"list", kData + "/two_entries.DAT"});
    EXPECT_EQ(saved.status, kExitOk);
    EXPECT_EQ(saved.out, "(1) ESC 07 01 00 08 00 F0\n(2) ESC 07 01 00 08 01 EF\n");

    // Checksums corrected, rejected and empty lines skipped, the unended last line dropped.
    const CliRun hand = run({"list", kData + "/hand_written.DAT"});
    EXPECT_EQ(hand.status, kExitOk);
    EXPECT_EQ(hand.out, "(1) ESC 07 01 00 08 00 F0\n(2) ESC 0A 02 01 02 05 02 0102 E7 kept\n");
}

TEST(ListCommand, AFileThatCannotBeReadIsAReadFailure) {
    const CliRun missing = run({"list", kData + "/no_such_file.DAT"});
    EXPECT_EQ(missing.status, kExitFailure);
    EXPECT_EQ(missing.out, "");
    EXPECT_EQ(missing.err, "Read Failure.\n");
    EXPECT_EQ(run({"list", kData}).err, "Read Failure.\n"); // a folder
    EXPECT_EQ(run({"list"}).status, kExitUsage);
    EXPECT_EQ(run({"list", "a", "b"}).status, kExitUsage);
}

TEST(FrameCommand, PrintsTheBytesOfAnEntryText) {
    EXPECT_EQ(run({"frame", "(1) ESC 07 01 00 08 00 F0"}).out, "1B0701000800F0\n");
    EXPECT_EQ(run({"frame", "ESC 09 01 02 03 012345 88"}).out, "1B09010203012345"
                                                               "88\n");
    const CliRun noEsc = run({"frame", "07 01 00 08 00 F0"});
    EXPECT_EQ(noEsc.status, kExitUsage);
    EXPECT_EQ(noEsc.out, "");
    EXPECT_EQ(run({"frame"}).status, kExitUsage);
}

} // namespace
} // namespace varnu::cli
