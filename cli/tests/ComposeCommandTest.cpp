#include "cli/tests/CliRun.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace varnu::cli {
namespace {

const std::string kSample = std::string(VARNU_SOURCE_DIR) + "/catalogue/tests/data/worked_example.ini";

using testing::CliRun;
using testing::run;

CliRun compose(std::vector<std::string> options, const std::string& catalogue = kSample) {
    options.insert(options.begin(), {"compose", "--catalogue", catalogue});
    return run(options);
}

TEST(ComposeCommand, ComposesFromTheCatalogueWithTheDefaultFields) {
    struct Case {
        std::vector<std::string> options;
        const char* frameText;
    };
    const Case cases[] = {
        // Unit writes 3, S, A, D: the slave after the literal 3 is one byte, Data defaults to 0.
        {{"--class", "Image", "--function", "Level"}, "ESC 0C 01 00 00 03 1F 000000 00 D1"},
        {{"--class", "0", "--function", "0", "--target", "Unit"}, "ESC 0C 01 00 00 03 1F 000000 00 D1"},
        // Panel writes S, A(100), L, H, M: an empty Multi item keeps its space.
        {{"--class", "Image", "--function", "Level", "--target", "1"}, "ESC 0E 01 00 00 000000 000100 00 01  EF"},
        // Status reads 3, S, A, 5, D: the group holds the Data default 1.
        {{"--class", "System", "--function", "Status", "--attribute", "get"},
         "ESC 0E 02 01 00 03 1F 000000 05 01 01 C6"},
        {{"--class", "1", "--function", "Status", "--attribute", "reset"}, "ESC 0E 03 01 00 03 1F 000000 05 01 01 C5"},
    };
    for (const Case& c : cases) {
        const CliRun result = compose(c.options);
        EXPECT_EQ(result.status, kExitOk) << result.err;
        EXPECT_EQ(result.out, std::string(c.frameText) + "\n");
        EXPECT_EQ(result.err, "");
    }
}

TEST(ComposeCommand, GivenFieldsReplaceTheDefaults) {
    const std::vector<std::string> panel{"--class", "Image", "--function", "Level", "--target", "Panel"};
    auto with = [&](std::vector<std::string> more) {
        more.insert(more.begin(), panel.begin(), panel.end());
        return compose(more).out;
    };
    EXPECT_EQ(with({"--address1", "12345", "--address2", "ABCD", "--multi", "0102 03"}),
              "ESC 11 01 00 00 012345 00ABCD CD AB 010203 8F\n");
    const std::vector<std::string> unit{"--class", "Image", "--function", "Level", "--data"};
    auto data = [&](std::vector<std::string> more) {
        more.insert(more.begin(), unit.begin(), unit.end());
        return compose(more).out;
    };
    EXPECT_EQ(data({"-1"}), data({"FF", "--radix", "hex"}));
    EXPECT_EQ(data({"255", "--radix", "dec"}), data({"ff", "--radix", "hex"}));
}

TEST(ComposeCommand, RefusedCompositionsPrintNothing) {
    const CliRun tooLong =
        compose({"--class", "Image", "--function", "Level", "--target", "Panel", "--address2", "1000000"});
    EXPECT_EQ(tooLong.status, kExitUsage);
    EXPECT_EQ(tooLong.out, "");
    EXPECT_NE(tooLong.err.find("Address 2"), std::string::npos) << tooLong.err;

    const CliRun notHex = compose({"--class", "Image", "--function", "Level", "--data", "1G", "--radix", "hex"});
    EXPECT_EQ(notHex.status, kExitUsage);
    EXPECT_EQ(notHex.out, "");

    // A literal the composer cannot send, from a catalogue written for this test.
    const auto path = std::filesystem::temp_directory_path() / "varnu_compose_literal.ini";
    std::ofstream(path) << "[GROUP]\nSIZE=1\n0=C\n[C]\nSIZE=1\n0=F,0,0,0,T\n[T]\nWRITE=7,D\nREAD=D\n";
    const CliRun literal = compose({"--class", "C", "--function", "F"}, path.string());
    EXPECT_EQ(literal.status, kExitUsage);
    EXPECT_NE(literal.err.find("code 7"), std::string::npos) << literal.err;
    EXPECT_EQ(compose({"--class", "C", "--function", "F", "--attribute", "get"}, path.string()).out,
              "ESC 07 02 00 00 00 F7\n");
    std::filesystem::remove(path);
}

TEST(ComposeCommand, ACatalogueThatDoesNotLoadFailsWithItsText) {
    const CliRun result = compose({"--class", "0", "--function", "0"}, "/nonexistent/varnu.ini");
    EXPECT_EQ(result.status, kExitFailure);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "Initialization file not found\nor format is incorrect.\n");
}

TEST(ComposeCommand, UsageErrors) {
    const std::vector<std::vector<std::string>> cases = {
        {"--class", "Image"},                                         // no function
        {"--class", "Image", "--function", "Level", "--colour", "x"}, // unknown option
        {"--class", "Image", "--function"},                           // option without value
        {"--class", "Image", "--class", "System", "--function", "0"}, // repeated option
        {"--class", "Image", "--function", "Level", "--attribute", "Set"},
        {"--class", "Image", "--function", "Level", "--radix", "oct"},
        {"--class", "image", "--function", "Level"}, // names match exactly
        {"--class", "2", "--function", "0"},
        {"--class", "Image", "--function", "Status"}, // a function of another class
        {"--class", "Image", "--function", "Level", "--target", "2"},
        {"--class", "Image", "--function", "Level", "--target", "-1"},
    };
    for (const auto& options : cases) {
        const CliRun result = compose(options);
        EXPECT_EQ(result.status, kExitUsage) << options[options.size() - 2];
        EXPECT_EQ(result.out, "");
        EXPECT_NE(result.err.find("usage: varnu-cli compose"), std::string::npos);
    }
}

TEST(ComposeCommand, ItsFrameTextGivesTheBytesItCounts) {
    const CliRun composed = compose({"--class", "System", "--function", "Status", "--attribute", "get"});
    std::string text = composed.out;
    text.pop_back();
    const CliRun frame = run({"frame", text});
    EXPECT_EQ(frame.out, "1B0E0201000"
                         "31F00000005010"
                         "1C6\n");
}

} // namespace
} // namespace varnu::cli
