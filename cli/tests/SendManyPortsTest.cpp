// varnu-cli send to several ports, in-process: the arguments it refuses, the file names it
// makes from ports, and which run's exit status wins.

#include "cli/ManyPortsSend.h"
#include "cli/ReceiveFolder.h"
#include "cli/tests/CliRun.h"
#include "files/testing/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace varnu::cli {
namespace {

const std::string kList = std::string(VARNU_SOURCE_DIR) + "/cli/tests/data/two_entries.DAT";
const std::string kCatalogue = std::string(VARNU_SOURCE_DIR) + "/resources/varnu.ini";

class SendManyPortsUsage : public ::testing::Test {
protected:
    std::string path(const std::string& name) const { return (dir / name).string(); }

    varnu::testing::TemporaryFolder dir{"varnu-many"};
};

// Each is refused with status 2 before anything is read, made or opened.
TEST_F(SendManyPortsUsage, RefusesWhatWouldLoseOrMixUpAReceiveList) {
    std::ofstream(path("device")) << "stands for a device";
    std::filesystem::create_symlink(path("device"), path("link"));
    std::ofstream(path("ttyUSB7.txt")) << "ESC 07 01 00 08 01 EF\r\n"; // a list where a Receive List would go
    const std::string out = path("out");
    struct Case {
        std::vector<std::string> args;
        std::string says;
    };
    std::vector<Case> cases{
        {{"--port", "/dev/ttyUSB0", "--port", "/dev/ttyUSB1", kList}, "several ports need --receive-dir DIR"},
        {{"--port", "/dev/ttyUSB0", "--receive-dir", out, "--log", path("x.log"), kList}, "--log names one file"},
        {{"--port", "/dev/ttyUSB0", "--trace", kList}, "--trace writes each port's wire trace into the --receive-dir"},
        {{"--port", "/dev/ttyUSB0", "--receive-dir", out, "--catalogue", kCatalogue, kList},
         "--catalogue decodes the frames of the --trace traces"},
        {{"--port", "/dev/ttyUSB0", "--receive-dir=", kList}, "the receive folder is a folder path"},
        {{"--port", "/dev/ttyUSB0", "--port", "/dev/ttyUSB0", "--receive-dir", out, kList},
         "the ports /dev/ttyUSB0 and /dev/ttyUSB0 are the same device (/dev/ttyUSB0)"},
        {{"--port", path("link"), "--port", path("device"), "--receive-dir", out, kList},
         "the ports " + path("link") + " and " + path("device") + " are the same device (" + path("device") + ")"},
        {{"--port", "COM1", "--port", "/dev/ttyS0", "--receive-dir", out, kList}, "are the same device (/dev/ttyS0)"},
        {{"--port", "tcp://[::1]:4001", "--port", "rfc2217://[::1]:4001", "--receive-dir", out, kList},
         "are the same device (network ::1 port 4001)"},
        {{"--port", path("a:b"), "--port", path("a_b"), "--receive-dir", out, kList}, "would both write " + out + "/"},
        {{"--port", "/dev/ttyUSB7", "--receive-dir", dir.path().string(), path("ttyUSB7.txt")},
         path("ttyUSB7.txt") + ", where the run of /dev/ttyUSB7 writes, is the list file"},
    };
    std::vector<std::string> tooMany;
    for (std::size_t i = 0; i <= kMostPorts; ++i)
        tooMany.insert(tooMany.end(), {"--port", "/dev/ttyUSB" + std::to_string(i)});
    tooMany.insert(tooMany.end(), {"--receive-dir", out, kList});
    cases.push_back({tooMany, "at most 64 ports at once"});
    for (const auto& c : cases) {
        std::vector<std::string> args{"send"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const auto result = testing::run(args);
        EXPECT_EQ(result.status, kExitUsage) << c.says;
        EXPECT_EQ(result.out, "") << c.says;
        EXPECT_NE(result.err.find(c.says), std::string::npos) << result.err;
        EXPECT_TRUE(result.err.starts_with("varnu-cli send: ")) << result.err;
        EXPECT_FALSE(std::filesystem::exists(out)) << c.says;
    }
    EXPECT_EQ(std::filesystem::file_size(path("ttyUSB7.txt")), 23u);
}

TEST_F(SendManyPortsUsage, AFolderThatCannotBeMadeFailsBeforeAnyPortIsTried) {
    std::ofstream(path("taken")) << "a file where the folder would be";
    const auto result = testing::run({"send", "--port", "/dev/ttyUSB-varnu-none", "--port", "/dev/ttyUSB-varnu-other",
                                      "--receive-dir", path("taken"), kList});
    EXPECT_EQ(result.status, kExitFailure);
    EXPECT_EQ(result.out, "");
    EXPECT_NE(result.err.find("varnu-cli send: cannot make the folder " + path("taken") + ": "), std::string::npos)
        << result.err;
    EXPECT_EQ(result.err.find("Not able to Connect."), std::string::npos) << result.err;
}

TEST(SendManyPortsOptions, KeepsEveryPortInTheOrderGiven) {
    const std::vector<std::string> args{"--port", "/dev/ttyUSB0", "--port",  "tcp://10.0.0.7:4001",
                                        "--baud", "19200",        "--trace", "--receive-dir",
                                        "out",    "--catalogue",  "my.ini",  "list.DAT"};
    const auto parsed = parseSendOptions(args);
    ASSERT_TRUE(std::holds_alternative<SendOptions>(parsed)) << std::get<SendUsageError>(parsed).message;
    const SendOptions& options = std::get<SendOptions>(parsed);
    EXPECT_EQ(options.portNames, (std::vector<std::string>{"/dev/ttyUSB0", "tcp://10.0.0.7:4001"}));
    EXPECT_EQ(options.port, (PortSettings{"/dev/ttyUSB0", 19200, Parity::None, 8, StopBits::One}));
    EXPECT_EQ(options.receiveDir, "out");
    EXPECT_TRUE(options.traceEach);
}

TEST(ReceiveFolder, MakesASafeFileNameFromEachKindOfPort) {
    const struct {
        std::string port;
        std::string stem;
    } cases[] = {
        {"/dev/ttyUSB0", "ttyUSB0"},
        {"COM1", "_COM1"}, // Windows' device names, whatever the case and extension
        {"nul", "_nul"},
        {"/dev/lpt9.x", "_lpt9.x"},
        {"COM10", "COM10"},
        {"CONSOLE", "CONSOLE"},
        {"/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10K-if00-port0",
         "serial_by-id_usb-FTDI_FT232R_USB_UART_A10K-if00-port0"},
        {"tcp://10.0.0.7:4001", "tcp_10.0.0.7_4001"},
        {"rfc2217://[::1]:2217", "rfc2217____1__2217"},
        {"../etc/passwd", "_._etc_passwd"},
        {"/home/me/my port \xC3\xA9", "home_me_my_port___"},
        {"/dev/" + std::string(200, 'x'), std::string(kMaxStemBytes, 'x')},
    };
    for (const auto& c : cases)
        EXPECT_EQ(fileStemForPort(c.port), c.stem) << c.port;
}

// A signal outweighs a failure, a failure a failed entry, a failed entry success.
TEST(ManyPortsStatus, TheWorstRunDecides) {
    const struct {
        int a, b, worse;
    } cases[] = {{0, 0, 0}, {0, 3, 3}, {3, 0, 3}, {3, 1, 1}, {1, 3, 1}, {1, 130, 130}, {143, 1, 143}, {0, 129, 129}};
    for (const auto& c : cases)
        EXPECT_EQ(worseStatus(c.a, c.b), c.worse) << c.a << " " << c.b;
}

} // namespace
} // namespace varnu::cli
