// varnu-cli send against the projector simulator on a pseudo-terminal: the binary as a user
// runs it, the whole Receive List text compared. Needs /dev/ptmx. Every acknowledged entry
// ends with 1.4 s of silence, so these lists stay short.

#include "cli/CliCommands.h"
#include "cli/ReceiveFolder.h"
#include "cli/tests/BrokenOutputRun.h"
#include "tools/simulator/testing/DeviceServerProcess.h"
#include "tools/simulator/testing/LoopbackSocket.h"
#include "tools/simulator/testing/SimulatorProcess.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <grp.h>
#include <optional>
#include <sstream>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace varnu::cli {
namespace {

using namespace std::chrono_literals;
using varnu::testing::ChildProcess;
using varnu::testing::DeviceServerProcess;
using varnu::testing::LoopbackSocket;
using varnu::testing::SimulatorProcess;

// Far above what the lists below take, short enough that a hang fails the test.
constexpr auto kRunPatience = 30s;
constexpr auto kEntryPatience = 10s;

const std::string kData = std::string(VARNU_SOURCE_DIR) + "/cli/tests/data";
const std::string kTwoSets = "ESC 07 01 00 08 01 EF\r\nESC 07 01 00 08 00 F0\r\n";

std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

#ifdef VARNU_SIMULATOR_BINARY
class SendEndToEnd : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(sim.start(VARNU_SIMULATOR_BINARY, rules())) << "simulator did not start"; }
    virtual std::string rules() const { return ""; }

    // Sends `list` to the simulator's link, or to `port` (a device server in front of it).
    bool startSend(const std::string& list, std::vector<std::string> extra = {}, const std::string& port = {}) {
        std::vector<std::string> argv{VARNU_CLI_PATH, "send", "--port", port.empty() ? sim.link.string() : port};
        argv.insert(argv.end(), extra.begin(), extra.end());
        argv.push_back(sim.file("list.DAT", list).string());
        return send.start(argv);
    }

    SimulatorProcess sim;
    ChildProcess send;
    DeviceServerProcess server; // started by the tests that go through ser2net
};

constexpr const char* kNoDeviceServer = " is missing (scripts/bootstrap installs it)";

class SendMixedList : public SendEndToEnd {
    std::string rules() const override { return fileText(kData + "/mixed.rules"); }

protected:
    // Set, Get, NAK, silence, the speed change to 38400 and two entries after it, one with
    // the mouse/port relay. Entry 6 is answered only because the line stayed at 38400 after
    // entry 5: the simulator garbles what arrives at the old speed.
    const std::string kReceiveList = "(1) ACK \r\n"
                                     "(2) ACK 1B0702000801EE\r\n\r\n"
                                     "(3) NAK\r\n"
                                     "(4) No response.\r\n"
                                     "(5) ACK send command to get port speed.\r\n"
                                     "ACK\r\n"
                                     "1B0702000602EF\r\n\r\n"
                                     "(6) ACK 1B0702000801EE\r\n\r\n"
                                     "(7) ACK 1B0701000801EF\r\n"
                                     "Send enable mouse/port command.\r\n"
                                     "ACK\r\n\r\n";
    std::string listReport() const {
        return "varnu-cli send: " + sim.path("list.DAT").string() + ": 7 lines read: 7 entries taken.\n";
    }
};

TEST_F(SendMixedList, PrintsTheWholeReceiveListAndFollowsTheSpeedChange) {
    const std::string list = fileText(kData + "/mixed.DAT");
    ASSERT_NE(list, "");
    ASSERT_TRUE(startSend(list));
    EXPECT_EQ(send.wait(kRunPatience), kExitEntriesFailed);
    EXPECT_EQ(send.errors, listReport());
    EXPECT_EQ(send.output, kReceiveList);
}

// The same conversation through ser2net, a real device server, in front of the simulator's
// pseudo-terminal: the speed change reaches the line by SET-BAUDRATE.
TEST_F(SendMixedList, GivesTheSameReceiveListThroughAnRfc2217DeviceServer) {
    if (!DeviceServerProcess::available())
        GTEST_SKIP() << DeviceServerProcess::kProgram << kNoDeviceServer;
    ASSERT_TRUE(server.start(sim.served(), DeviceServerProcess::Accepter::Rfc2217, sim.path("")));
    ASSERT_TRUE(startSend(fileText(kData + "/mixed.DAT"), {}, server.portName()));
    EXPECT_EQ(send.wait(kRunPatience), kExitEntriesFailed);
    EXPECT_EQ(send.errors, listReport());
    EXPECT_EQ(send.output, kReceiveList);
}

// Raw TCP carries the bytes but not the line settings: said once on stderr, and the run goes on.
TEST_F(SendEndToEnd, SaysOnceThatARawTcpPortCannotCarryTheLineSettings) {
    if (!DeviceServerProcess::available())
        GTEST_SKIP() << DeviceServerProcess::kProgram << kNoDeviceServer;
    ASSERT_TRUE(server.start(sim.served(), DeviceServerProcess::Accepter::RawTcp, sim.path("")));
    ASSERT_TRUE(startSend("ESC 07 01 00 08 01 EF\r\n", {}, server.portName()));
    EXPECT_EQ(send.wait(kRunPatience), kExitOk);
    EXPECT_EQ(send.output, "(1) ACK \r\n");
    EXPECT_NE(send.errors.find("varnu-cli send: " + server.portName() +
                               " carries bytes only: the line settings and the port-speed switch cannot reach"),
              std::string::npos)
        << send.errors;
}

TEST(SendToNetworkPort, NamesHostPortAndReasonWhenNothingListens) {
    const LoopbackSocket refusing; // bound, never listening: the port refuses
    ASSERT_NE(refusing.port(), 0);
    const std::string port = refusing.name("rfc2217");
    ChildProcess send;
    ASSERT_TRUE(send.start({VARNU_CLI_PATH, "send", "--port", port, kData + "/two_entries.DAT"}));
    EXPECT_EQ(send.wait(kRunPatience), kExitFailure);
    EXPECT_NE(send.errors.find("Not able to Connect.\nThe network port \"" + port +
                               "\" refused the connection: nothing accepts connections"),
              std::string::npos)
        << send.errors;
}

// The trace without its time column.
std::vector<std::string> traceLines(const std::string& trace, std::vector<double>& times) {
    std::vector<std::string> lines;
    std::istringstream in(trace);
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        double time = 0;
        fields >> time >> std::ws;
        times.push_back(time);
        std::string rest;
        std::getline(fields, rest);
        lines.push_back(rest);
    }
    return lines;
}

TEST_F(SendEndToEnd, AllAcknowledgedExitsZeroAndTracesEveryTransfer) {
    const std::string trace = sim.path("wire.log").string();
    ASSERT_TRUE(startSend("ESC 07 01 00 08 01 EF\r\n", {"--log", trace}));
    EXPECT_EQ(send.wait(kRunPatience), kExitOk);
    EXPECT_EQ(send.output, "(1) ACK \r\n");

    std::vector<double> times;
    EXPECT_EQ(traceLines(fileText(trace), times),
              (std::vector<std::string>{"out 1B 07 01 00 08 01 EF", "in  06", "in  (nothing)", "--- purge"}));
    ASSERT_EQ(times.size(), 4u);
    EXPECT_TRUE(std::is_sorted(times.begin(), times.end()));
    // The silence after the ACK is two frame-read attempts of 700 ms.
    EXPECT_GT(times[2] - times[1], 1300.0);
}

// An output that fails stops the run once the entry in progress is over, and is named.
TEST_F(SendEndToEnd, AStandardOutputThatFailsStopsTheRunAfterItsEntry) {
    const std::string trace = sim.path("wire.log").string();
    const std::string list = sim.file("list.DAT", kTwoSets).string();
    const auto result = testing::runWithBrokenOutput({"send", "--port", sim.link.string(), "--log", trace, list},
                                                     testing::BrokenOutput::ClosedPipe, kRunPatience);
    EXPECT_EQ(result.status, kExitFailure) << "-1: ended by a signal";
    EXPECT_NE(result.err.find("varnu-cli send: cannot write to standard output: Broken pipe\n"), std::string::npos)
        << result.err;
    std::vector<double> times;
    EXPECT_EQ(traceLines(fileText(trace), times),
              (std::vector<std::string>{"out 1B 07 01 00 08 01 EF", "in  06", "in  (nothing)", "--- purge"}));
}

TEST_F(SendEndToEnd, ALogThatCannotBeWrittenStopsTheRunAfterItsEntry) {
    ASSERT_TRUE(startSend(kTwoSets, {"--log", "/dev/full"}));
    EXPECT_EQ(send.wait(kRunPatience), kExitFailure);
    EXPECT_EQ(send.output, "(1) ACK \r\nStopped.\r\n"); // the Receive List written so far stays
    EXPECT_NE(send.errors.find("varnu-cli send: cannot write to the log file /dev/full: No space left on device\n"),
              std::string::npos)
        << send.errors;
}

TEST_F(SendEndToEnd, ALogThatCannotBeCreatedIsReportedOnceThePortHasOpened) {
    ASSERT_TRUE(startSend(kTwoSets, {"--log", sim.path("list.DAT").parent_path().string()})); // a folder
    EXPECT_EQ(send.wait(kRunPatience), kExitFailure);
    EXPECT_EQ(send.output, "");
    EXPECT_NE(send.errors.find("varnu-cli send: cannot write the log file"), std::string::npos) << send.errors;
    EXPECT_EQ(send.errors.find("Not able to Connect."), std::string::npos) << send.errors;
}

TEST_F(SendEndToEnd, TheCatalogueAddsTheDecodeOfEveryFrameToTheTrace) {
    const std::string trace = sim.path("wire.log").string();
    ASSERT_TRUE(startSend("ESC 06 02 00 02 F6\r\n",
                          {"--log", trace, "--catalogue", std::string(VARNU_SOURCE_DIR) + "/resources/varnu.ini"}));
    EXPECT_EQ(send.wait(kRunPatience), kExitOk);
    EXPECT_EQ(send.output, "(1) ACK 1B07020002"
                           "00F5\r\n\r\n");

    std::vector<double> times;
    EXPECT_EQ(
        traceLines(fileText(trace), times),
        (std::vector<std::string>{"out 1B 06 02 00 02 F6", "dec Get, class 00 System, function 02 Status, target Main",
                                  "in  06", "in  1B 07 02 00 02 00 F5",
                                  "dec Data frame (Get), class 00 System, function 02 Status, target Main: reply "
                                  "00 (0)",
                                  "out 06", "in  (nothing)", "--- purge"}));
    // A decode keeps the time of its frame.
    ASSERT_EQ(times.size(), 8u);
    EXPECT_EQ(times[1], times[0]);
    EXPECT_EQ(times[4], times[3]);
}

class SendPastALongFrame : public SendEndToEnd {
    std::string rules() const override {
        return fileText(std::string(VARNU_SOURCE_DIR) + "/serial/tests/data/faults/phantom.rules");
    }
};

// The 64-byte frame is refused and drained whole: no mouse/port frame read out of its data is
// relayed, and the next entry gets its own answer.
TEST_F(SendPastALongFrame, RefusesItOnceAndRelaysNothing) {
    ASSERT_TRUE(startSend("ESC 06 02 01 0D EA\r\nESC 07 01 00 08 01 EF\r\n"));
    EXPECT_EQ(send.wait(kRunPatience), kExitEntriesFailed);
    EXPECT_EQ(send.output, "(1) ACK Failure during data reception.\r\n\r\n(2) ACK \r\n");
}

// Another program floods the line with two seconds of random bytes and closes it; the next
// client finds no answers to that noise still coming and gets its own ACK.
TEST_F(SendEndToEnd, AfterLineNoiseTheNextClientGetsItsOwnAnswer) {
    {
        const int fd = ::open(sim.link.c_str(), O_RDWR | O_NOCTTY);
        ASSERT_GE(fd, 0);
        varnu::testing::sendNoise(fd, 2s, false);
        ::close(fd);
    }
    // Longer than the simulator's frame gap: a frame begun inside the noise has been dropped.
    std::this_thread::sleep_for(300ms);
    ASSERT_TRUE(startSend("ESC 07 01 00 08 01 EF\r\n"));
    EXPECT_EQ(send.wait(kRunPatience), kExitOk);
    EXPECT_EQ(send.output, "(1) ACK \r\n");
}

class SendToVanishingProjector : public SendEndToEnd {
    // Entry 2 finds the projector slow enough to be killed while the tool waits for it.
    std::string rules() const override { return "on 1B 07 01 00 09 -> delay 5000, ack\n"; }
};

// The remaining entries fail one by one as before, and the exit status and stderr say that
// the port was lost, and at which entry.
TEST_F(SendToVanishingProjector, ReportsEveryRemainingEntryAndEndsSayingThePortWasLost) {
    ASSERT_TRUE(startSend("ESC 07 01 00 08 01 EF\r\nESC 07 01 00 09 01 EE\r\nESC 07 01 00 08 00 F0\r\n"
                          "ESC 07 01 00 08 01 EF\r\n"));
    ASSERT_TRUE(send.readOutputUntil("(2) ", kEntryPatience)) << send.output;
    // "(2) " comes just before the frame goes out: the projector dies once it has the frame.
    const auto deadline = std::chrono::steady_clock::now() + kEntryPatience;
    while (fileText(sim.path("sim.log").string()).find("09 01 EE") == std::string::npos &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(5ms);
    sim.kill();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(send.wait(kRunPatience), kExitFailure);
    // No retries against a dead line: each remaining transfer gives up at once.
    EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
    EXPECT_EQ(send.output, "(1) ACK \r\n"
                           "(2) No response.\r\n"
                           "(3) Failure during data Transmission.\r\n"
                           "(4) Failure during data Transmission.\r\n");
    EXPECT_NE(send.errors.find("varnu-cli send: the port was lost during entry 2 of 4.\nThe port \"" +
                               sim.link.string() + "\" (/dev/pts/"),
              std::string::npos)
        << send.errors;
    EXPECT_NE(send.errors.find("went away while it was open"), std::string::npos) << send.errors;
}

// --- The port: why it does not open, one owner at a time, signals, other users. ---

constexpr const char* kSetpriv = "/usr/bin/setpriv";
const std::string kSetThenGetThenSet = "ESC 07 01 00 08 01 EF\r\nESC 06 02 00 08 F0\r\nESC 07 01 00 08 00 F0\r\n";

// The device behind the simulator's link ("/dev/pts/3").
std::string deviceOf(const std::filesystem::path& link) {
    return std::filesystem::read_symlink(link).string();
}

// QSerialPort's lock file for a path: "/var/lock/LCK..pts_3" for "/dev/pts/3".
std::string qtLockFileOf(const std::string& path) {
    std::string name = path.starts_with("/dev/") ? path.substr(std::string("/dev/").size()) : path;
    std::replace(name.begin(), name.end(), '/', '_');
    return "/var/lock/LCK.." + name;
}

// The command run as the unprivileged user "nobody", or nothing where this test cannot switch
// user (it needs root and setpriv).
std::optional<std::vector<std::string>> asNobody(std::vector<std::string> argv) {
    if (::geteuid() != 0 || ::access(kSetpriv, X_OK) != 0)
        return std::nullopt;
    argv.insert(argv.begin(), {kSetpriv, "--reuid=nobody", "--regid=nogroup", "--clear-groups"});
    return argv;
}

struct OpenFailureCase {
    const char* name;
    std::string port; // in the simulator's folder, or absolute
    std::string says; // the explanation below "Not able to Connect.", PORT standing for the port
};

void PrintTo(const OpenFailureCase& c, std::ostream* os) {
    *os << c.name;
}

class SendOpenFailure : public SendEndToEnd, public ::testing::WithParamInterface<OpenFailureCase> {};

TEST_P(SendOpenFailure, SaysWhyBelowTheFixedMessageAndSendsNothing) {
    const OpenFailureCase& c = GetParam();
    const std::string port = c.port.starts_with("/") ? c.port : sim.file(c.port, "not a port").string();
    std::vector<std::string> argv{VARNU_CLI_PATH, "send", "--port", port, sim.file("list.DAT", kTwoSets).string()};
    ASSERT_TRUE(send.start(argv));
    EXPECT_EQ(send.wait(kRunPatience), kExitFailure);
    EXPECT_EQ(send.output, "");
    std::string says = c.says;
    if (const std::size_t at = says.find("PORT"); at != std::string::npos)
        says.replace(at, 4, port);
    EXPECT_NE(send.errors.find("Not able to Connect.\n" + says), std::string::npos) << send.errors;
}

INSTANTIATE_TEST_SUITE_P(
    Ports, SendOpenFailure,
    ::testing::Values(OpenFailureCase{"MissingDevice", "/dev/ttyUSB-varnu-none",
                                      "There is no port \"/dev/ttyUSB-varnu-none\" on this machine (the system says "
                                      "\"No such file or directory\")."},
                      OpenFailureCase{"RegularFile", "port.txt", "\"PORT\" is a regular file, not a serial port."},
                      OpenFailureCase{"NullDevice", "/dev/null",
                                      "\"/dev/null\" is a device of another kind, not a serial port."}),
    [](const auto& info) { return std::string(info.param.name); });

// Two runs on one device through two names, a symbolic link and the device it points to, as
// root: the second is refused at once and names the first; the first is not disturbed.
TEST_F(SendEndToEnd, ASecondSenderThroughAnotherNameIsRefusedAndNamesTheHolder) {
    ASSERT_TRUE(startSend(kTwoSets));
    ASSERT_TRUE(send.readOutputUntil("(1) ", kEntryPatience)) << send.output;
    const std::string device = deviceOf(sim.link);
    ChildProcess second;
    ASSERT_TRUE(second.start({VARNU_CLI_PATH, "send", "--port", device, sim.path("list.DAT").string()}));
    EXPECT_EQ(second.wait(kRunPatience), kExitFailure);
    EXPECT_EQ(second.output, "");
    EXPECT_NE(second.errors.find("Not able to Connect.\nThe port \"" + device +
                                 "\" is in use by another program: varnu-cli (pid " + std::to_string(send.pid()) + ")"),
              std::string::npos)
        << second.errors;
    EXPECT_EQ(send.wait(kRunPatience), kExitOk);
    EXPECT_EQ(send.output, "(1) ACK \r\n(2) ACK \r\n");
}

struct StopSignalCase {
    const char* name;
    int signal;
    int status;
};

void PrintTo(const StopSignalCase& c, std::ostream* os) {
    *os << c.name;
}

class SendStoppedBySignal : public SendEndToEnd, public ::testing::WithParamInterface<StopSignalCase> {};

// The signal comes while the Get's data frames are read: the run stops within the attempt under
// way, the Receive List so far ends its line and says "Stopped.", the port and its lock file
// are released, and the next run opens the port at once.
TEST_P(SendStoppedBySignal, EndsTheRunReleasesThePortAndExitsWith128PlusTheSignal) {
    const StopSignalCase& c = GetParam();
    ASSERT_TRUE(startSend(kSetThenGetThenSet));
    ASSERT_TRUE(send.readOutputUntil("(2) ACK 1B0702000801EE\r\n", kEntryPatience)) << send.output;
    const std::string device = deviceOf(sim.link);
    ASSERT_EQ(::kill(send.pid(), c.signal), 0);
    EXPECT_EQ(send.wait(kRunPatience), c.status) << "-1: ended by the signal itself";
    EXPECT_EQ(send.output, "(1) ACK \r\n(2) ACK 1B0702000801EE\r\nStopped.\r\n");
    EXPECT_TRUE(
        send.errors.ends_with("varnu-cli send: interrupted by " + std::string(c.name) + " after entry 1 of 3.\n"))
        << send.errors;
    EXPECT_FALSE(std::filesystem::exists(qtLockFileOf(device))) << "the lock file was left behind";

    ChildProcess next;
    ASSERT_TRUE(next.start({VARNU_CLI_PATH, "send", "--port", device, sim.file("one.DAT", kTwoSets).string()}));
    EXPECT_EQ(next.wait(kRunPatience), kExitOk) << next.errors;
    EXPECT_EQ(next.output, "(1) ACK \r\n(2) ACK \r\n");
}

INSTANTIATE_TEST_SUITE_P(Signals, SendStoppedBySignal,
                         ::testing::Values(StopSignalCase{"SIGINT", SIGINT, 130},
                                           StopSignalCase{"SIGTERM", SIGTERM, 143},
                                           StopSignalCase{"SIGHUP", SIGHUP, 129}),
                         [](const auto& info) { return std::string(info.param.name); });

// As an unprivileged user: a port without permission is explained with its group and the
// remedy, and a stale lock file that root left behind (a run killed outright) does not bar
// the port.
class SendAsAnotherUser : public SendEndToEnd {
protected:
    void SetUp() override {
        SendEndToEnd::SetUp();
        if (!asNobody({}))
            GTEST_SKIP() << "switching to the user nobody needs root and " << kSetpriv;
        // The user reaches the link, the list and the device.
        std::filesystem::permissions(sim.link.parent_path(),
                                     std::filesystem::perms::owner_all | std::filesystem::perms::group_read |
                                         std::filesystem::perms::group_exec | std::filesystem::perms::others_read |
                                         std::filesystem::perms::others_exec);
        device = deviceOf(sim.link);
    }
    void TearDown() override {
        for (const std::string& lock : plantedLocks)
            std::filesystem::remove(lock);
    }

    ChildProcess& startAsNobody(const std::string& list) {
        const auto argv = asNobody({VARNU_CLI_PATH, "send", "--port", sim.link.string(), sim.file("list.DAT", list)});
        EXPECT_TRUE(argv && send.start(*argv));
        return send;
    }

    std::string device;
    std::vector<std::string> plantedLocks; // left behind by a killed run
};

TEST_F(SendAsAnotherUser, APortWithoutPermissionNamesItsGroupAndTheRemedy) {
    const group* dialout = ::getgrnam("dialout");
    if (dialout == nullptr)
        GTEST_SKIP() << "this machine has no group dialout";
    ASSERT_EQ(::chown(device.c_str(), 0, dialout->gr_gid), 0);
    ASSERT_EQ(::chmod(device.c_str(), 0660), 0);
    startAsNobody(kTwoSets);
    EXPECT_EQ(send.wait(kRunPatience), kExitFailure);
    EXPECT_EQ(send.output, "");
    EXPECT_NE(send.errors.find("Not able to Connect.\nYou may not open the port \"" + sim.link.string() + "\" (" +
                               device +
                               "): permission to read and write it is denied. It belongs to the group \"dialout\" "
                               "(crw-rw----), and you (user \"nobody\") are not in that group. Add yourself to it "
                               "with: sudo usermod -aG dialout $USER, then log out and log in again"),
              std::string::npos)
        << send.errors;
}

// A root run killed outright leaves its lock file behind, which the user may not remove.
TEST_F(SendAsAnotherUser, TheLockFileOfAKilledRootRunDoesNotBarThePort) {
    ASSERT_EQ(::chmod(device.c_str(), 0666), 0);
    ChildProcess rootRun;
    ASSERT_TRUE(rootRun.start({VARNU_CLI_PATH, "send", "--port", sim.link.string(), sim.file("root.DAT", kTwoSets)}));
    ASSERT_TRUE(rootRun.readOutputUntil("(1) ", kEntryPatience)) << rootRun.output;
    rootRun.stop(SIGKILL);
    // A real port's last close ends its exclusive mode; the simulator keeps its side of the line
    // open, so the test ends it as that close would.
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(::ioctl(fd, TIOCNXCL), 0);
    ::close(fd);
    // Its lock file, under whichever name it took: the test removes it afterwards.
    for (const std::string& lock : {qtLockFileOf(device), qtLockFileOf(sim.link.string())}) {
        if (std::filesystem::exists(lock))
            plantedLocks.push_back(lock);
    }
    ASSERT_FALSE(plantedLocks.empty()) << "the killed run left no lock file";

    startAsNobody(kTwoSets);
    EXPECT_EQ(send.wait(kRunPatience), kExitOk) << send.errors;
    EXPECT_EQ(send.output, "(1) ACK \r\n(2) ACK \r\n");
}

// --- Several ports at once (--receive-dir). ---

// Where a run with --receive-dir `dir` writes the Receive List of `port`.
std::string receiveListOf(const std::filesystem::path& dir, const std::string& port) {
    return (dir / (fileStemForPort(port) + std::string(kReceiveListExtension))).string();
}

std::vector<std::string> sendToPorts(const std::vector<std::string>& ports, std::vector<std::string> rest) {
    std::vector<std::string> argv{VARNU_CLI_PATH, "send"};
    for (const std::string& port : ports)
        argv.insert(argv.end(), {"--port", port});
    argv.insert(argv.end(), rest.begin(), rest.end());
    return argv;
}

// Waits until the file holds `wanted`.
bool fileReaches(const std::string& path, const std::string& wanted) {
    const auto deadline = std::chrono::steady_clock::now() + kEntryPatience;
    while (fileText(path).find(wanted) == std::string::npos) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

// Two projectors on pseudo-terminals, one on a TCP port and a port that does not exist: each
// Receive List file is what that port gives alone, each port gets its line as its run ends
// (the missing one at once), and the worst run decides the exit status: 1 over the others' 3.
TEST_F(SendMixedList, ManyPortsAtOnceGiveEachPortTheReceiveListItGivesAlone) {
    SimulatorProcess second;
    SimulatorProcess third;
    const std::string mixedRules = fileText(kData + "/mixed.rules");
    ASSERT_TRUE(second.start(VARNU_SIMULATOR_BINARY, mixedRules));
    ASSERT_TRUE(third.startListening(VARNU_SIMULATOR_BINARY, mixedRules));
    const std::string missing = "/dev/ttyUSB-varnu-none";
    const std::vector<std::string> ports{sim.link.string(), second.link.string(), third.served(), missing};
    const std::filesystem::path dir = sim.path("received");
    ASSERT_TRUE(send.start(sendToPorts(
        ports, {"--receive-dir", dir.string(), sim.file("list.DAT", fileText(kData + "/mixed.DAT")).string()})));
    EXPECT_EQ(send.wait(kRunPatience), kExitFailure);

    for (const std::string& port : ports) {
        const std::string file = receiveListOf(dir, port);
        EXPECT_EQ(fileText(file), port == missing ? "" : kReceiveList) << port;
        const std::string counts = port == missing ? "7 entries, 0 acknowledged, 7 failed, exit 1"
                                                   : "7 entries, 5 acknowledged, 2 failed, exit 3";
        EXPECT_NE(send.output.find(port + ": " + counts + "; Receive List in " + file + "\n"), std::string::npos)
            << send.output;
    }
    EXPECT_TRUE(send.output.starts_with(missing + ": ")) << send.output;
    EXPECT_TRUE(send.output.ends_with("total: 4 ports, 28 entries, 15 acknowledged, 13 failed, exit 1\n"))
        << send.output;
    EXPECT_TRUE(send.errors.starts_with(listReport())) << send.errors;
    EXPECT_NE(send.errors.find("varnu-cli send: " + missing + ": Not able to Connect.\nThere is no port"),
              std::string::npos)
        << send.errors;
}

// A signal stops every run: each Receive List ends with "Stopped.", and each port's line, the
// total and the exit status say 128 + the signal.
TEST_F(SendEndToEnd, ASignalStopsEveryPortsRunAndEndsAfterTheSummaries) {
    SimulatorProcess second;
    ASSERT_TRUE(second.start(VARNU_SIMULATOR_BINARY));
    const std::vector<std::string> ports{sim.link.string(), second.link.string()};
    const std::filesystem::path dir = sim.path("received");
    ASSERT_TRUE(send.start(
        sendToPorts(ports, {"--receive-dir", dir.string(), sim.file("list.DAT", kSetThenGetThenSet).string()})));
    for (const std::string& port : ports)
        ASSERT_TRUE(fileReaches(receiveListOf(dir, port), "(2) ACK 1B0702000801EE\r\n")) << port;
    ASSERT_EQ(::kill(send.pid(), SIGTERM), 0);
    EXPECT_EQ(send.wait(kRunPatience), 143);
    for (const std::string& port : ports) {
        const std::string file = receiveListOf(dir, port);
        EXPECT_EQ(fileText(file), "(1) ACK \r\n(2) ACK 1B0702000801EE\r\nStopped.\r\n");
        EXPECT_NE(send.output.find(port + ": 3 entries, 1 acknowledged, 2 failed, exit 143; Receive List in " + file),
                  std::string::npos)
            << send.output;
        EXPECT_NE(send.errors.find("varnu-cli send: " + port + ": interrupted by SIGTERM after entry 1 of 3.\n"),
                  std::string::npos)
            << send.errors;
    }
    EXPECT_TRUE(send.output.ends_with("total: 2 ports, 6 entries, 2 acknowledged, 4 failed, exit 143\n"))
        << send.output;
}

// A Receive List file that cannot be written stops that port's run alone and is named; the
// other run goes on, its wire trace beside its Receive List.
TEST_F(SendEndToEnd, AReceiveListThatCannotBeWrittenStopsThatPortAlone) {
    SimulatorProcess second;
    ASSERT_TRUE(second.start(VARNU_SIMULATOR_BINARY));
    const std::filesystem::path dir = sim.path("received");
    std::filesystem::create_directories(dir);
    const std::string full = receiveListOf(dir, sim.link.string());
    std::filesystem::create_symlink("/dev/full", full);
    ASSERT_TRUE(
        send.start(sendToPorts({sim.link.string(), second.link.string()},
                               {"--receive-dir", dir.string(), "--trace", sim.file("list.DAT", kTwoSets).string()})));
    EXPECT_EQ(send.wait(kRunPatience), kExitFailure);
    EXPECT_NE(send.errors.find("varnu-cli send: " + sim.link.string() + ": cannot write to the Receive List file " +
                               full + ": No space left on device\n"),
              std::string::npos)
        << send.errors;
    EXPECT_NE(send.output.find(sim.link.string() + ": 2 entries, 1 acknowledged, 1 failed, exit 1; "),
              std::string::npos)
        << send.output;

    const std::string other = receiveListOf(dir, second.link.string());
    EXPECT_EQ(fileText(other), "(1) ACK \r\n(2) ACK \r\n");
    EXPECT_NE(send.output.find(second.link.string() + ": 2 entries, 2 acknowledged, 0 failed, exit 0; "),
              std::string::npos)
        << send.output;
    std::vector<double> times;
    EXPECT_EQ(traceLines(fileText((dir / (fileStemForPort(second.link.string()) + ".log")).string()), times),
              (std::vector<std::string>{"out 1B 07 01 00 08 01 EF", "in  06", "in  (nothing)", "--- purge",
                                        "out 1B 07 01 00 08 00 F0", "in  06", "in  (nothing)", "--- purge"}));
    EXPECT_TRUE(send.output.ends_with("total: 2 ports, 4 entries, 3 acknowledged, 1 failed, exit 1\n")) << send.output;
}

#endif

} // namespace
} // namespace varnu::cli
