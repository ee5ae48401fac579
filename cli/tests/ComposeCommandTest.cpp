#include "cli/tests/CliRun.h"
#include "files/testing/TemporaryFolder.h"

#include <gtest/gtest.h>

namespace varnu::cli {
namespace {

using testing::CliRun;
using testing::run;

const std::string kSample = std::string(VARNU_SOURCE_DIR) + "/catalogue/tests/data/worked_example.ini";

CliRun compose(std::vector<std::string> options, const std::string& catalogue = kSample) {
    options.insert(options.begin(), {"compose", "--catalogue", catalogue});
    return run(options);
}

TEST(ComposeCommand, ComposesWithTheFieldsChoosingTheTargetGives) {
    const std::pair<std::vector<std::string>, const char*> cases[] = {
        // Unit writes 3, S, A, D: the slave after the literal 3 is one byte, Data defaults to 0.
        {{"--class", "Image", "--function", "Level"}, "ESC 0C 01 00 00 03 1F 000000 00 D1"},
        {{"--class", "0", "--function", "0", "--target", "Unit"}, "ESC 0C 01 00 00 03 1F 000000 00 D1"},
        // Panel writes S, A(100), L, H, M: an empty Multi item keeps its space.
        {{"--class", "Image", "--function", "Level", "--target", "1"}, "ESC 0E 01 00 00 000000 000100 00 01  EF"},
        // Status reads 3, S, A, 5, D: the group holds the Data default 1.
        {{"--class", "System", "--function", "Status", "--attribute", "reset"},
         "ESC 0E 03 01 00 03 1F 000000 05 01 01 C5"},
        {{"--class", "Image", "--function", "Level", "--target", "Panel", "--address1", "12345", "--address2", "ABCD",
          "--multi", "0102 03"},
         "ESC 11 01 00 00 012345 00ABCD CD AB 010203 8F"},
        {{"--class", "Image", "--function", "Level", "--data", "ff", "--radix", "hex"},
         "ESC 0C 01 00 00 03 1F 000000 FF D2"},
    };
    for (const auto& [options, frameText] : cases) {
        const CliRun result = compose(options);
        EXPECT_EQ(result.status, kExitOk) << result.err;
        EXPECT_EQ(result.out, std::string(frameText) + "\n");
    }
}

TEST(ComposeCommand, DataDefaultMeansTheSameByteInEitherRadix) {
    const varnu::testing::TemporaryFolder dir("varnu-compose-test");
    const std::string path =
        dir.file("default.ini", "[GROUP]\nSIZE=1\n0=C\n[C]\nSIZE=1\n0=F,0,255,10,T\n[T]\nWRITE=D\nREAD=D\n");
    const CliRun decimal = compose({"--class", "C", "--function", "F"}, path);
    const CliRun hex = compose({"--class", "C", "--function", "F", "--radix", "hex"}, path);
    EXPECT_EQ(decimal.out, "ESC 07 01 00 00 0A EE\n") << decimal.err;
    EXPECT_EQ(hex.out, decimal.out) << hex.err;
}

TEST(ComposeCommand, RefusedCompositionsPrintNothing) {
    const CliRun tooLong = compose({"--class", "0", "--function", "0", "--target", "1", "--address2", "1000000"});
    EXPECT_EQ(tooLong.status, kExitUsage);
    EXPECT_EQ(tooLong.out, "");
    EXPECT_NE(tooLong.err.find("Address 2"), std::string::npos) << tooLong.err;

    const varnu::testing::TemporaryFolder dir("varnu-compose-test");
    const std::string path =
        dir.file("literal.ini", "[GROUP]\nSIZE=1\n0=C\n[C]\nSIZE=1\n0=F,0,0,0,T\n[T]\nWRITE=7,D\nREAD=D\n");
    const CliRun literal = compose({"--class", "C", "--function", "F"}, path);
    EXPECT_EQ(literal.status, kExitUsage);
    EXPECT_NE(literal.err.find("code 7"), std::string::npos) << literal.err;
}

TEST(ComposeCommand, FailuresAndUsageErrors) {
    const CliRun missing = compose({"--class", "0", "--function", "0"}, "/nonexistent/varnu.ini");
    EXPECT_EQ(missing.status, kExitFailure);
    EXPECT_EQ(missing.err, "Initialization file not found\nor format is incorrect.\n"
                           "There is no file \"/nonexistent/varnu.ini\". Check the name and the folder, or choose "
                           "another catalogue.\n");

    // --data holds one byte: beyond it the value is refused with the field's name, not cut.
    for (const auto& [data, radix] :
         {std::pair{"256", "dec"}, std::pair{"-129", "dec"}, std::pair{"1FF", "hex"}, std::pair{"1G", "hex"}}) {
        const CliRun refused = compose({"--class", "Image", "--function", "Level", "--data", data, "--radix", radix});
        EXPECT_EQ(refused.status, kExitUsage) << data;
        EXPECT_EQ(refused.out, "");
        EXPECT_NE(refused.err.find("varnu-cli compose: Data "), std::string::npos) << refused.err;
    }
    // Outside the catalogue's range (-128 to 127 here) but inside one byte: taken, for testing edges.
    EXPECT_EQ(compose({"--class", "Image", "--function", "Level", "--data", "255"}).status, kExitOk);

    const std::vector<std::vector<std::string>> usageErrors = {
        {"--class", "Image"},
        {"--class", "Image", "--function", "Level", "--colour", "x"},
        {"--class", "Image", "--function"},
        {"--class", "Image", "--class", "System", "--function", "0"},
        {"--class", "Image", "--function", "Level", "--attribute", "Set"},
        {"--class", "Image", "--function", "Level", "--radix", "oct"},
        {"--class", "image", "--function", "Level"}, // names match exactly
        {"--class", "2", "--function", "0"},
        {"--class", "Image", "--function", "Status"}, // a function of another class
        {"--class", "Image", "--function", "Level", "--target", "-1"},
    };
    for (const auto& options : usageErrors) {
        const CliRun result = compose(options);
        EXPECT_EQ(result.status, kExitUsage) << options.back();
        EXPECT_EQ(result.out, "");
    }
}

} // namespace
} // namespace varnu::cli
