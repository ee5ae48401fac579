// varnu-cli send in-process: its arguments and the failures that end it before anything is sent.

#include "cli/SendOptions.h"
#include "cli/tests/CliRun.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace varnu::cli {
namespace {

using testing::run;

const std::string kList = std::string(VARNU_SOURCE_DIR) + "/cli/tests/data/two_entries.DAT";
const std::string kNoSuchPort = "/nonexistent/varnu-port";
const std::string kCatalogue = std::string(VARNU_SOURCE_DIR) + "/resources/varnu.ini";

// A new folder of its own under the temporary directory: other test runs share the machine.
std::filesystem::path uniqueTempDir() {
    std::random_device random;
    const auto dir = std::filesystem::temp_directory_path() / ("varnu-send-test-" + std::to_string(random()));
    std::filesystem::create_directories(dir);
    return dir;
}

struct UsageCase {
    const char* why;
    std::vector<std::string> args;
    friend void PrintTo(const UsageCase& usage, std::ostream* os) { *os << usage.why; }
};

class SendUsage : public ::testing::TestWithParam<UsageCase> {};

TEST_P(SendUsage, IsRefusedWithTheUsageBeforeAnythingIsOpened) {
    std::vector<std::string> args{"send"};
    args.insert(args.end(), GetParam().args.begin(), GetParam().args.end());
    const auto result = run(args);
    EXPECT_EQ(result.status, kExitUsage);
    EXPECT_EQ(result.out, "");
    EXPECT_NE(result.err.find("usage: varnu-cli send --port DEV"), std::string::npos) << result.err;
}

INSTANTIATE_TEST_SUITE_P(
    BadArguments, SendUsage,
    ::testing::Values(UsageCase{"nothing", {}}, UsageCase{"no port", {kList}},
                      UsageCase{"no list file", {"--port", kNoSuchPort}},
                      UsageCase{"two list files", {"--port", kNoSuchPort, kList, kList}},
                      UsageCase{"option without value", {kList, "--port"}},
                      UsageCase{"unknown option", {"--port", kNoSuchPort, "--speed", "9600", kList}},
                      UsageCase{"baud not a number", {"--port", kNoSuchPort, "--baud", "abc", kList}},
                      UsageCase{"baud with junk", {"--port", kNoSuchPort, "--baud", "9600x", kList}},
                      UsageCase{"baud zero", {"--port", kNoSuchPort, "--baud", "0", kList}},
                      UsageCase{"baud beyond 32 bits", {"--port", kNoSuchPort, "--baud", "4294967297", kList}},
                      UsageCase{"parity unknown", {"--port", kNoSuchPort, "--parity", "x", kList}},
                      UsageCase{"data bits 9", {"--port", kNoSuchPort, "--data-bits", "9", kList}},
                      UsageCase{"stop bits 3", {"--port", kNoSuchPort, "--stop-bits", "3", kList}},
                      UsageCase{"catalogue without log", {"--port", kNoSuchPort, "--catalogue", kCatalogue, kList}}),
    [](const auto& info) {
        std::string name = info.param.why;
        std::replace(name.begin(), name.end(), ' ', '_');
        return name;
    });

TEST(SendOptions, MapsEveryLineSettingToTheCodesThePortTakes) {
    const std::vector<std::string> args{"--parity",    "mark",   "--stop-bits", "1.5",          "--data-bits",
                                        "7",           "--baud", "38400",       "--log",        "trace.txt",
                                        "--catalogue", "my.ini", "--port",      "/dev/ttyUSB0", "list.DAT"};
    const auto parsed = parseSendOptions(args);
    ASSERT_TRUE(std::holds_alternative<SendOptions>(parsed)) << std::get<SendUsageError>(parsed).message;
    const SendOptions& options = std::get<SendOptions>(parsed);
    EXPECT_EQ(options.port, (PortSettings{"/dev/ttyUSB0", 38400, 3, 7, 1}));
    EXPECT_EQ(options.logPath, "trace.txt");
    EXPECT_EQ(options.cataloguePath, "my.ini");
    EXPECT_EQ(options.listPath, "list.DAT");

    const std::vector<std::string> bare{"--port", "COM2", "list.DAT"};
    EXPECT_EQ(std::get<SendOptions>(parseSendOptions(bare)).port, (PortSettings{"COM2", 9600, 0, 8, 0}));
}

TEST(SendCommand, AListFileThatCannotBeReadFailsBeforeThePortIsTried) {
    for (const std::string& list : {std::string("/nonexistent/list.DAT"), std::string(VARNU_SOURCE_DIR)}) {
        const auto result = run({"send", "--port", kNoSuchPort, list});
        EXPECT_EQ(result.status, kExitFailure) << list;
        EXPECT_EQ(result.err, "Read Failure.\n") << list;
        EXPECT_EQ(result.out, "") << list;
    }
}

TEST(SendCommand, APortThatCannotBeOpenedSendsNothing) {
    const auto result = run({"send", "--port", kNoSuchPort, kList});
    EXPECT_EQ(result.status, kExitFailure);
    EXPECT_EQ(result.err, "Not able to Connect.\n");
    EXPECT_EQ(result.out, "");
}

TEST(SendCommand, RefusesALogThatWouldOverwriteTheListOrTheCatalogue) {
    const std::filesystem::path dir = uniqueTempDir();
    const std::string list = (dir / "list.DAT").string();
    const std::string content = "ESC 07 01 00 08 01 EF\r\n";
    std::ofstream(list, std::ios::binary) << content;
    const std::string catalogue = (dir / "varnu.ini").string();
    std::filesystem::copy_file(kCatalogue, catalogue, std::filesystem::copy_options::overwrite_existing);
    const auto catalogueContent = readFileBytes(catalogue);

    // Each the same file under another name.
    const auto onList = run({"send", "--port", kNoSuchPort, "--log", (dir / "." / "list.DAT").string(), list});
    EXPECT_EQ(onList.status, kExitUsage);
    EXPECT_NE(onList.err.find("the log file is the list file"), std::string::npos) << onList.err;
    const auto onCatalogue = run(
        {"send", "--port", kNoSuchPort, "--catalogue", catalogue, "--log", (dir / "." / "varnu.ini").string(), list});
    EXPECT_EQ(onCatalogue.status, kExitUsage);
    EXPECT_NE(onCatalogue.err.find("the log file is the catalogue file"), std::string::npos) << onCatalogue.err;

    EXPECT_EQ(readFileBytes(list), content);
    EXPECT_EQ(readFileBytes(catalogue), catalogueContent);
    std::filesystem::remove_all(dir);
}

TEST(SendCommand, ACatalogueThatCannotBeLoadedFailsBeforeTheLogOrThePortIsOpened) {
    const std::filesystem::path dir = uniqueTempDir();
    const std::filesystem::path log = dir / "wire.log";
    const auto result = run({"send", "--port", kNoSuchPort, "--log", log.string(), "--catalogue", kList, kList});
    EXPECT_EQ(result.status, kExitFailure);
    EXPECT_EQ(result.err, "Initialization file not found\nor format is incorrect.\n");
    EXPECT_FALSE(std::filesystem::exists(log));
    std::filesystem::remove_all(dir);
}

TEST(SendCommand, ALogThatCannotBeWrittenIsReportedBeforeThePortIsOpened) {
    const auto result = run({"send", "--port", kNoSuchPort, "--log", VARNU_SOURCE_DIR, kList});
    EXPECT_EQ(result.status, kExitFailure);
    EXPECT_NE(result.err.find("cannot write the log file"), std::string::npos) << result.err;
}

} // namespace
} // namespace varnu::cli
