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
    EXPECT_EQ(options.port, (PortSettings{"/dev/ttyUSB0", 38400, Parity::Mark, 7, StopBits::OneAndHalf}));
    EXPECT_EQ(options.logPath, "trace.txt");
    EXPECT_EQ(options.listPath, "list.DAT");

    const std::vector<std::string> bare{"--port", "COM2", "list.DAT"};
    EXPECT_EQ(std::get<SendOptions>(parseSendOptions(bare)).port,
              (PortSettings{"COM2", 9600, Parity::None, 8, StopBits::One}));
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

TEST(SendCommand, RefusesALogThatWouldOverwriteTheListFile) {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "varnu-send-log-test";
    std::filesystem::create_directories(dir);
    const std::string list = (dir / "list.DAT").string();
    const std::string content = "ESC 07 01 00 08 01 EF\r\n";
    std::ofstream(list, std::ios::binary) << content;
    // The same file under another name.
    const std::string sameList = (dir / "." / "list.DAT").string();

    const auto result = run({"send", "--port", kNoSuchPort, "--log", sameList, list});
    EXPECT_EQ(result.status, kExitUsage);
    EXPECT_EQ(readFileBytes(list), content);
    std::filesystem::remove_all(dir);
}

TEST(SendCommand, ALogThatCannotBeWrittenIsReportedBeforeThePortIsOpened) {
    const auto result = run({"send", "--port", kNoSuchPort, "--log", VARNU_SOURCE_DIR, kList});
    EXPECT_EQ(result.status, kExitFailure);
    EXPECT_NE(result.err.find("cannot write the log file"), std::string::npos) << result.err;
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
