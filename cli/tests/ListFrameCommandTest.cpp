#include "cli/tests/CliRun.h"

#include <gtest/gtest.h>

namespace varnu::cli {
namespace {

using testing::CliRun;
using testing::run;

// The fixtures beside this file (the test binary is declared one folder up).
const std::string kData = std::string(VARNU_SOURCE_DIR) + "/cli/tests/data";

TEST(ListCommand, PrintsTheEntriesOpeningTheFileGives) {
    EXPECT_EQ(run({"list", kData + "/two_entries.DAT"}).out, "(1) ESC 07 01 00 08 00 F0\n(2) ESC 07 01 00 08 01 EF\n");
    // Checksums corrected, rejected and empty lines skipped, the unended last line dropped.
    EXPECT_EQ(run({"list", kData + "/hand_written.DAT"}).out,
              "(1) ESC 07 01 00 08 00 F0\n(2) ESC 0A 02 01 02 05 02 0102 E7 kept\n");

    for (const std::string& unreadable : {kData + "/no_such_file.DAT", kData}) {
        const CliRun result = run({"list", unreadable});
        EXPECT_EQ(result.status, kExitFailure);
        EXPECT_EQ(result.err, "Read Failure.\n");
    }
    EXPECT_EQ(run({"list", "a", "b"}).status, kExitUsage);
}

TEST(FrameCommand, PrintsTheBytesOfAnEntryText) {
    EXPECT_EQ(run({"frame", "(1) ESC 07 01 00 08 00 F0"}).out, "1B0701000800F0\n");
    EXPECT_EQ(run({"frame", "07 01 00 08 00 F0"}).status, kExitUsage);
    EXPECT_EQ(run({"frame"}).status, kExitUsage);
}

} // namespace
} // namespace varnu::cli
