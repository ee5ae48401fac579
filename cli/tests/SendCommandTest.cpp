// varnu-cli send in-process: its arguments, the failures that end it before anything is sent,
// and the wire trace it writes around any link.

#include "cli/SendOptions.h"
#include "cli/WireLogLink.h"
#include "cli/tests/CliRun.h"
#include "protocol/TransmitSequence.h"
#include "serial/core/testing/ScriptedLink.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace varnu::cli {
namespace {

using testing::run;
using namespace varnu::testing;
using namespace std::chrono_literals;

const std::string kList = std::string(VARNU_SOURCE_DIR) + "/cli/tests/data/two_entries.DAT";
const std::string kNoSuchPort = "/nonexistent/varnu-port";

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
                      UsageCase{"stop bits 3", {"--port", kNoSuchPort, "--stop-bits", "3", kList}}),
    [](const auto& info) {
        std::string name = info.param.why;
        std::replace(name.begin(), name.end(), ' ', '_');
        return name;
    });

TEST(SendOptions, MapsEveryLineSettingToTheCodesThePortTakes) {
    const std::vector<std::string> args{"--parity", "mark",         "--stop-bits", "1.5",   "--data-bits",
                                        "7",        "--baud",       "38400",       "--log", "trace.txt",
                                        "--port",   "/dev/ttyUSB0", "list.DAT"};
    const auto parsed = parseSendOptions(args);
    ASSERT_TRUE(std::holds_alternative<SendOptions>(parsed)) << std::get<SendUsageError>(parsed).message;
    const SendOptions& options = std::get<SendOptions>(parsed);
    EXPECT_EQ(options.port, (PortSettings{"/dev/ttyUSB0", 38400, 3, 7, 1}));
    EXPECT_EQ(options.logPath, "trace.txt");
    EXPECT_EQ(options.listPath, "list.DAT");

    const std::vector<std::string> bare{"--port", "COM2", "list.DAT"};
    EXPECT_EQ(std::get<SendOptions>(parseSendOptions(bare)).port, (PortSettings{"COM2", 9600, 0, 8, 0}));
}

// A folder of its own for each test, removed afterwards.
class SendFiles : public ::testing::Test {
protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              ("varnu-send-test-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    std::string file(const std::string& name, const std::string& content) const {
        std::ofstream(dir / name, std::ios::binary) << content;
        return (dir / name).string();
    }
    static std::string bytesOf(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }

    std::filesystem::path dir;
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
    EXPECT_EQ(result.err, "varnu-cli send: " + kList + ": 2 lines read: 2 entries taken.\nNot able to Connect.\n");
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

// The log is emptied when it opens: it must be neither the list file nor the port, under any name.
TEST_F(SendFiles, RefusesALogThatIsTheListFileOrThePort) {
    const std::string content = "ESC 07 01 00 08 01 EF\r\n";
    const std::string list = file("list.DAT", content);
    const std::string port = file("port", "stands for a device");
    const struct {
        std::string log;
        const char* says;
    } cases[] = {
        {(dir / "." / "list.DAT").string(), "the log file is the list file"},
        {(dir / "." / "port").string(), "the log file is the port"},
    };
    for (const auto& c : cases) {
        const auto result = run({"send", "--port", port, "--log", c.log, list});
        EXPECT_EQ(result.status, kExitUsage);
        EXPECT_NE(result.err.find(c.says), std::string::npos) << result.err;
    }
    EXPECT_EQ(bytesOf(list), content);
    EXPECT_EQ(bytesOf(port), "stands for a device");
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

// The scripted line's own virtual time, so trace times are exact.
class ScriptTime final : public Clock {
public:
    explicit ScriptTime(const ScriptedLink& link) : link_(link) {}
    TimePoint now() const override { return TimePoint{} + link_.elapsed(); }
    bool sleepFor(std::chrono::milliseconds, std::stop_token) override { return true; }

private:
    const ScriptedLink& link_;
};

struct IgnoreText final : TransmitSink {
    void textAppended(std::string_view) override {}
};

TEST(WireLogLink, TracesEachTransferAndPassesItsResultOn) {
    // A Get with a broken frame, a speed change that cannot reopen, a frame cut short on the way out.
    ScriptedLink inner({sends("1B 06 02 00 08 F0"), getsByte(kAck), getsBrokenFrame(), purges(), sends("15"),
                        getsNothing(ReadMode::Frame), purges(), sends("1B 07 01 00 06 02 F0"), getsByte(kAck),
                        waits(500ms), failsToReopen(38400), getsNothing(ReadMode::Frame), purges(),
                        sendsPart("1B 07 01 00 08 01 EF", 3)});
    ScriptTime time(inner);
    std::ostringstream trace;
    WireLogLink logged(inner, time, trace);
    IgnoreText sink;
    const std::vector<std::string> entries{"(1) ESC 06 02 00 08 F0", "(2) ESC 07 01 00 06 02 F0",
                                           "(3) ESC 07 01 00 08 01 EF"};

    const RunSummary summary = TransmitSequence(logged, sink).run(entries);

    EXPECT_EQ(inner.log(), inner.expectedLog());
    EXPECT_EQ(summary.outcomes,
              (std::vector{EntryOutcome::ReceptionFailed, EntryOutcome::SpeedChangeFailed, EntryOutcome::WriteFailed}));
    EXPECT_EQ(trace.str(), "       0.000 out 1B 06 02 00 08 F0\n"
                           "       0.000 in  06\n"
                           "    1400.000 in  (broken frame)\n"
                           "    1400.000 --- purge\n"
                           "    1400.000 out 15\n"
                           "    2800.000 in  (nothing)\n"
                           "    2800.000 --- purge\n"
                           "    2800.000 out 1B 07 01 00 06 02 F0\n"
                           "    2800.000 in  06\n"
                           "    2800.000 --- wait 500 ms\n"
                           "    3300.000 --- reopen at 38400: failed\n"
                           "    4700.000 in  (nothing)\n"
                           "    4700.000 --- purge\n"
                           "    4700.000 out 1B 07 01 (3 of 7 bytes written)\n");
}

} // namespace
} // namespace varnu::cli
