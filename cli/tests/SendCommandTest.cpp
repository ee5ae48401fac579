// varnu-cli send in-process: its arguments and the failures that end it before anything is sent.

#include "cli/SendOptions.h"
#include "cli/tests/CliRun.h"
#include "files/testing/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace varnu::cli {
namespace {

using testing::run;

const std::string kList = std::string(VARNU_SOURCE_DIR) + "/cli/tests/data/two_entries.DAT";
const std::string kNoSuchPort = "/nonexistent/varnu-port";
const std::string kCatalogue = std::string(VARNU_SOURCE_DIR) + "/resources/varnu.ini";

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
                      UsageCase{"catalogue without log", {"--port", kNoSuchPort, "--catalogue", kCatalogue, kList}},
                      UsageCase{"network port without a port number", {"--port", "rfc2217://[::1]", kList}}),
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
    EXPECT_EQ(options.port, (PortSettings{"/dev/ttyUSB0", 38400, Parity::Mark, 7, StopBits::OneAndHalf}));
    EXPECT_EQ(options.logPath, "trace.txt");
    EXPECT_EQ(options.cataloguePath, "my.ini");
    EXPECT_EQ(options.listPath, "list.DAT");

    const std::vector<std::string> bare{"--port", "COM2", "list.DAT"};
    EXPECT_EQ(std::get<SendOptions>(parseSendOptions(bare)).port,
              (PortSettings{"COM2", 9600, Parity::None, 8, StopBits::One}));
}

// A folder of its own for each test, removed afterwards.
class SendFiles : public ::testing::Test {
protected:
    std::string file(const std::string& name, const std::string& content) const { return dir.file(name, content); }
    static std::string bytesOf(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }

    varnu::testing::TemporaryFolder dir{"varnu-send-test"};
};

TEST(SendCommand, AListFileThatCannotBeReadFailsBeforeThePortIsTried) {
    for (const std::string& list : {std::string("/nonexistent/list.DAT"), std::string(VARNU_SOURCE_DIR)}) {
        const auto result = run({"send", "--port", kNoSuchPort, list});
        EXPECT_EQ(result.status, kExitFailure) << list;
        EXPECT_TRUE(result.err.starts_with("Read Failure.\n")) << result.err;
        EXPECT_NE(result.err.find("\"" + list + "\""), std::string::npos) << result.err; // and below it, why
        EXPECT_EQ(result.out, "") << list;
    }
}

TEST(SendCommand, APortThatCannotBeOpenedSendsNothing) {
    const auto result = run({"send", "--port", kNoSuchPort, kList});
    EXPECT_EQ(result.status, kExitFailure);
    // The fixed first line, then why: the folder on the way is missing.
    EXPECT_TRUE(result.err.starts_with("varnu-cli send: " + kList +
                                       ": 2 lines read: 2 entries taken.\nNot able to Connect.\nThere is no port \"" +
                                       kNoSuchPort +
                                       "\" on this machine (the system says \"No such file or "
                                       "directory\")."))
        << result.err;
    EXPECT_EQ(result.out, "");
}

// An empty list, or one whose every line was skipped, is not a successful run.
TEST_F(SendFiles, NothingToSendFailsAndSaysHowManyLinesWereReadAndSkipped) {
    const struct {
        std::string content;
        const char* summary;
    } cases[] = {
        {"", "0 lines read: 0 entries taken."},
        {"\r\n\r\n", "2 lines read: 0 entries taken, 2 empty lines."},
        {"(1) ESC 07 01 00 08 01 EF\r\nESC 07 01 00 08 01 EF", "2 lines read: 0 entries taken, 2 lines skipped."},
    };
    for (const auto& c : cases) {
        const std::string list = file("list.DAT", c.content);
        const auto result = run({"send", "--port", kNoSuchPort, list});
        EXPECT_EQ(result.status, kExitFailure);
        EXPECT_NE(result.err.find(list + ": " + c.summary), std::string::npos) << result.err;
        EXPECT_NE(result.err.find("varnu-cli send: nothing to send"), std::string::npos) << result.err;
        EXPECT_EQ(result.err.find("Not able to Connect."), std::string::npos) << "the port was tried";
    }
}

TEST_F(SendFiles, ACatalogueThatCannotBeLoadedFailsBeforeTheLogOrThePortIsOpened) {
    const std::string log = (dir / "wire.log").string();
    const auto result = run({"send", "--port", kNoSuchPort, "--log", log, "--catalogue", kList, kList});
    EXPECT_EQ(result.status, kExitFailure);
    EXPECT_NE(result.err.find("Initialization file not found\nor format is incorrect.\nThe catalogue"),
              std::string::npos)
        << result.err;
    EXPECT_EQ(result.err.find("Not able to Connect."), std::string::npos) << result.err;
    EXPECT_FALSE(std::filesystem::exists(log));
}

// The log is emptied when it opens: it must be neither the list file nor the port, under any name.
TEST_F(SendFiles, RefusesALogThatIsTheListFileTheCatalogueOrThePort) {
    const std::string content = "ESC 07 01 00 08 01 EF\r\n";
    const std::string list = file("list.DAT", content);
    const std::string port = file("port", "stands for a device");
    const std::string catalogue = file("varnu.ini", bytesOf(kCatalogue));
    const struct {
        std::string log;
        const char* says;
    } cases[] = {
        {(dir / "." / "list.DAT").string(), "the log file is the list file"},
        {(dir / "." / "varnu.ini").string(), "the log file is the catalogue file"},
        {(dir / "." / "port").string(), "the log file is the port"},
    };
    for (const auto& c : cases) {
        const auto result = run({"send", "--port", port, "--catalogue", catalogue, "--log", c.log, list});
        EXPECT_EQ(result.status, kExitUsage);
        EXPECT_NE(result.err.find(c.says), std::string::npos) << result.err;
    }
    EXPECT_EQ(bytesOf(list), content);
    EXPECT_EQ(bytesOf(port), "stands for a device");
    EXPECT_EQ(bytesOf(catalogue), bytesOf(kCatalogue));
    // A bare port name opens the device of that name under /dev/.
    const auto bare = run({"send", "--port", "null", "--log", "/dev/null", list});
    EXPECT_EQ(bare.status, kExitUsage);
    EXPECT_NE(bare.err.find("the log file is the port"), std::string::npos) << bare.err;
}

// A run that cannot start leaves the log of an earlier run as it was, and makes none.
TEST_F(SendFiles, TheLogIsNotTouchedUntilThePortHasOpened) {
    const std::string earlier = file("earlier.log", "the trace of an earlier run\n");
    const std::string fresh = (dir / "fresh.log").string();
    for (const std::string& log : {earlier, fresh}) {
        const auto result = run({"send", "--port", kNoSuchPort, "--log", log, kList});
        EXPECT_EQ(result.status, kExitFailure);
        EXPECT_NE(result.err.find("Not able to Connect."), std::string::npos) << result.err;
    }
    EXPECT_EQ(bytesOf(earlier), "the trace of an earlier run\n");
    EXPECT_FALSE(std::filesystem::exists(fresh));
}

} // namespace
} // namespace varnu::cli
