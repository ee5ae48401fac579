// varnu-cli decode in-process: every way of writing a frame gives the same line, a bad FRAME
// is reported without losing the others, and the arguments are checked.

#include "cli/tests/CliRun.h"
#include "files/testing/TemporaryFolder.h"

#include <gtest/gtest.h>

namespace varnu::cli {
namespace {

using testing::run;

const std::string kWorkedExample = std::string(VARNU_SOURCE_DIR) + "/catalogue/tests/data/worked_example.ini";
constexpr const char* kLevelLine = "Set, class 00 Image, function 00 Level, target Unit: literal 03, Slave 1F (31), "
                                   "Address 000100 (256), Data 80 (-128)\n";

TEST(DecodeCommand, ReadsEntryTextsAndHexBytesAlike) {
    const auto result = run({"decode", "--catalogue", kWorkedExample, "(3) ESC 0C 01 00 00 03 1F 00 01 00 80 50",
                             "ESC 0C 01 00 00 03 1F 00 01 00 80 50",
                             "1B0C010000031F00010080"
                             "50",
                             "1B 0C 01 00 00 03 1F 00 01 00 80 50"});
    EXPECT_EQ(result.status, kExitOk) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out, std::string(kLevelLine) + kLevelLine + kLevelLine + kLevelLine);
}

TEST(DecodeCommand, ABadFrameIsReportedAndTheOthersAreStillDecoded) {
    const auto result = run({"decode", "--catalogue", kWorkedExample, "ESC 0C 01 zz",
                             "1B0C010000031F00010080"
                             "50",
                             "1B 0"});
    EXPECT_EQ(result.status, kExitFailure);
    EXPECT_EQ(result.out, kLevelLine);
    EXPECT_EQ(result.err, "varnu-cli decode: 'ESC 0C 01 zz' is neither an entry text nor hex bytes\n"
                          "varnu-cli decode: '1B 0' is neither an entry text nor hex bytes\n");
}

TEST(DecodeCommand, ReceivedFramesAreDataFramesFromTheProjector) {
    const auto result = run({"decode", "--received", "--catalogue", kWorkedExample,
                             "1B0C010000031F00010080"
                             "50"});
    EXPECT_EQ(result.status, kExitOk) << result.err;
    EXPECT_EQ(result.out, "Data frame (Set), class 00 Image, function 00 Level, target Unit: literal 03, Slave 1F "
                          "(31), Address 000100 (256), Data 80 (-128)\n");
}

TEST(DecodeCommand, ACatalogueThatCannotBeLoadedDecodesNothing) {
    const auto result = run({"decode", "--catalogue", "/nonexistent/varnu.ini", "1B0701000800F0"});
    EXPECT_EQ(result.status, kExitFailure);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "Initialization file not found\nor format is incorrect.\n"
                          "There is no file \"/nonexistent/varnu.ini\". Check the name and the folder, or choose "
                          "another catalogue.\n");
}

TEST(DecodeCommand, RefusesArgumentsItDoesNotTake) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"decode"},
          {"decode", "--catalogue", kWorkedExample},
          {"decode", "1B0701000800F0"},
          {"decode", "1B0701000800F0", "--catalogue"},
          {"decode", "--catalogue", kWorkedExample, "--sent", "1B0701000800F0"}}) {
        const auto result = run(args);
        EXPECT_EQ(result.status, kExitUsage) << args.size();
        EXPECT_EQ(result.out, "");
        EXPECT_NE(result.err.find("usage: varnu-cli decode --catalogue FILE"), std::string::npos) << result.err;
    }
}

TEST(DecodeCommand, Cp932NamesComeOutAsUtf8) {
    // Class "表示" in CP932 (0x95 0x5C 0x8E 0xA6).
    const varnu::testing::TemporaryFolder dir("varnu-decode-test");
    const std::string path = dir.file("cp932.ini", "[GROUP]\nSIZE=1\n0=\x95\x5C\x8E\xA6\n[\x95\x5C\x8E\xA6]\nSIZE=1\n"
                                                   "0=Power,0,1,1,Main\n[Main]\nWRITE=D\n");
    const auto result = run({"decode", "--catalogue", path, "1B 07 01 00 00 01 F7"});
    EXPECT_EQ(result.status, kExitOk) << result.err;
    EXPECT_EQ(result.out, "Set, class 00 \xE8\xA1\xA8\xE7\xA4\xBA, function 00 Power, target Main: Data 01 (1)\n");
}

} // namespace
} // namespace varnu::cli
