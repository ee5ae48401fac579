// Runs the real varnu-projector-sim and talks to it through its link, as the tool does.

#include "tools/simulator/testing/SimulatorProcess.h"
#include "tools/simulator/FrameBytes.h"
#include "tools/simulator/LineIntake.h"
#include "tools/simulator/SimOptions.h"
#include "varnu/Version.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <netinet/in.h>
#include <poll.h>
#include <sstream>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace varnu::sim {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

constexpr int kStartTimeoutMs = 5000;
constexpr int kAnswerTimeoutMs = 1000;
constexpr int kSilenceMs = 300;

Bytes hex(std::string_view text) {
    return parseHexBytes(text).value();
}

// Reads from `fd` until `wanted` bytes came, a line ended (with `toLineEnd`) or `timeoutMs` passed.
std::string readFor(int fd, std::size_t wanted, int timeoutMs, bool toLineEnd = false) {
    std::string text;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (text.size() < wanted) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd pfd{fd, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&pfd, 1, static_cast<int>(left.count())) <= 0 || !(pfd.revents & POLLIN))
            break;
        char buffer[256];
        const std::size_t chunk = toLineEnd ? 1 : std::min(sizeof buffer, wanted - text.size());
        const ssize_t count = ::read(fd, buffer, chunk);
        if (count <= 0)
            break;
        text.append(buffer, static_cast<std::size_t>(count));
        if (toLineEnd && text.back() == '\n')
            break;
    }
    return text;
}

// The real simulator on a link in a fresh temporary folder, removed afterwards.
class Simulator {
public:
    Simulator() {
        char dir[] = "/tmp/varnu-sim-XXXXXX";
        dir_ = ::mkdtemp(dir);
        link = dir_ / "projector";
    }
    ~Simulator() {
        process_.stop(SIGKILL);
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }

    fs::path file(const std::string& name, const std::string& text) const {
        std::ofstream(dir_ / name) << text;
        return dir_ / name;
    }

    // Starts the simulator with `--link` and the extra arguments, and reads its device path.
    void start(std::vector<std::string> extra = {}) {
        std::vector<std::string> args{VARNU_SIMULATOR_BINARY, "--link", link.string()};
        args.insert(args.end(), extra.begin(), extra.end());
        ASSERT_TRUE(process_.start(args));
        ASSERT_TRUE(process_.readOutputUntil("\n", kStartTimeout)) << "no device path printed";
        devicePath = process_.output.substr(0, process_.output.find('\n'));
    }

    // Runs the simulator with exactly these arguments until it ends; its exit status.
    int runToEnd(const std::vector<std::string>& arguments) {
        std::vector<std::string> args{VARNU_SIMULATOR_BINARY};
        args.insert(args.end(), arguments.begin(), arguments.end());
        if (!process_.start(args))
            return -1;
        const int status = process_.wait(kStartTimeout);
        output = process_.output;
        errors = process_.errors;
        return status;
    }

    // Sends `signal` and waits for the exit; the exit status, or -1.
    int stop(int signal) { return process_.stop(signal); }

    fs::path link;
    std::string devicePath;
    std::string output;
    std::string errors;

private:
    static constexpr std::chrono::milliseconds kStartTimeout{kStartTimeoutMs};

    fs::path dir_;
    varnu::testing::ChildProcess process_;
};

// The tool's side of the line: the link opened in raw mode at a chosen speed.
class Client {
public:
    explicit Client(const fs::path& path) : fd_(::open(path.c_str(), O_RDWR | O_NOCTTY)) { setSpeed(B9600); }
    ~Client() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    bool isOpen() const { return fd_ >= 0; }

    void setSpeed(speed_t speed) {
        termios settings{};
        ::tcgetattr(fd_, &settings);
        ::cfmakeraw(&settings);
        ::cfsetspeed(&settings, speed);
        ::tcsetattr(fd_, TCSANOW, &settings);
    }

    // Sends the frame and returns the answer of `answerSize` bytes (less if it does not come).
    std::string exchange(std::string_view frame, std::size_t answerSize, int timeoutMs = kAnswerTimeoutMs) {
        const Bytes bytes = hex(frame);
        EXPECT_EQ(::write(fd_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
        const std::string answer = readFor(fd_, answerSize, timeoutMs);
        return spacedHex(Bytes(answer.begin(), answer.end()));
    }

    int fd() const { return fd_; }

private:
    int fd_;
};

// The log's lines of one kind (" in ", " out", " ---") and the bytes they carry.
struct LogTally {
    std::size_t lines = 0;
    std::size_t bytes = 0;
};

LogTally tallyLog(const fs::path& log, std::string_view kind) {
    std::ifstream in(log);
    LogTally tally;
    for (std::string line; std::getline(in, line);) {
        const auto at = line.find(kind);
        if (at == std::string::npos || at > 16)
            continue;
        ++tally.lines;
        tally.bytes += (line.size() - at - kind.size() + 1) / 3;
    }
    return tally;
}

TEST(SimulatorProcess, AnswersSetGetAndBadChecksumsOverItsLink) {
    Simulator sim;
    ASSERT_NO_FATAL_FAILURE(sim.start());
    EXPECT_EQ(fs::read_symlink(sim.link).string(), sim.devicePath);
    Client client(sim.link);
    ASSERT_TRUE(client.isOpen());

    EXPECT_EQ(client.exchange("1B 07 01 00 08 01 EF", 1), "06");
    EXPECT_EQ(client.exchange("1B 06 02 00 08 F0", 8), "06 1B 07 02 00 08 01 EE");
    EXPECT_EQ(client.exchange("06", 1, kSilenceMs), "");
    EXPECT_EQ(client.exchange("1B 07 01 00 08 01 EE", 1), "15");
    EXPECT_EQ(sim.stop(SIGTERM), 0);
}

TEST(SimulatorProcess, FollowsASpeedChangeAndIgnoresFramesAtTheOldSpeed) {
    Simulator sim;
    ASSERT_NO_FATAL_FAILURE(sim.start());
    Client client(sim.link);
    EXPECT_EQ(client.exchange("1B 07 01 00 06 02 F0", 1), "06");
    EXPECT_EQ(client.exchange("1B 07 01 00 08 01 EF", 1, kSilenceMs), "");
    client.setSpeed(B38400);
    EXPECT_EQ(client.exchange("1B 07 01 00 08 01 EF", 1), "06");
    EXPECT_EQ(client.exchange("1B 06 02 00 06 F2", 8), "06 1B 07 02 00 06 02 EF");
}

// A client of the simulator's raw TCP port.
class TcpClient {
public:
    explicit TcpClient(int port) : fd_(::socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    ~TcpClient() { ::close(fd_); }
    bool connected() const { return connected_; }
    void send(const Bytes& bytes) {
        EXPECT_EQ(::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL), static_cast<ssize_t>(bytes.size()));
    }
    std::string exchange(std::string_view frame, std::size_t answerSize, int timeoutMs = kAnswerTimeoutMs) {
        send(hex(frame));
        const std::string answer = readFor(fd_, answerSize, timeoutMs);
        return spacedHex(Bytes(answer.begin(), answer.end()));
    }
    // Whether the server closed the connection within `timeoutMs`.
    bool closedByServer(int timeoutMs) const {
        pollfd pfd{fd_, POLLIN, 0};
        char byte = 0;
        return ::poll(&pfd, 1, timeoutMs) == 1 && ::recv(fd_, &byte, 1, 0) == 0;
    }

private:
    int fd_;
    bool connected_ = false;
};

// --listen: the projector on a raw TCP port, one client at a time. A line without a speed of
// its own runs at the speed the projector expects, so a speed change loses nothing.
TEST(SimulatorProcess, ListensOnATcpPortForOneClientAtATime) {
    varnu::testing::SimulatorProcess sim;
    ASSERT_TRUE(sim.startListening(VARNU_SIMULATOR_BINARY));
    const std::string served = sim.served();
    ASSERT_EQ(served.rfind("tcp://127.0.0.1:", 0), 0u) << served;
    const int port = std::stoi(served.substr(served.rfind(':') + 1));
    ASSERT_GT(port, 0);
    {
        TcpClient first(port);
        ASSERT_TRUE(first.connected());
        EXPECT_EQ(first.exchange("1B 07 01 00 08 01 EF", 1), "06");
        TcpClient second(port);
        EXPECT_TRUE(second.closedByServer(kAnswerTimeoutMs));
        EXPECT_EQ(first.exchange("1B 07 01 00 06 02 F0", 1), "06");
        EXPECT_EQ(first.exchange("1B 06 02 00 06 F2", 8), "06 1B 07 02 00 06 02 EF");
        first.exchange("06", 0); // the projector waits for the answer to its frame
    }
    TcpClient next(port); // the first one left: room for the next, and the projector kept its state
    ASSERT_TRUE(next.connected());
    EXPECT_EQ(next.exchange("1B 06 02 00 08 F0", 8), "06 1B 07 02 00 08 01 EE");
}

int portOf(const std::string& served) {
    return std::stoi(served.substr(served.rfind(':') + 1));
}

// A client that leaves while the line's speed still holds back bytes it sent has left all the
// same: the next client is served, not refused as a second one.
TEST(SimulatorProcess, AClientLeavingWithBytesUnreadMakesRoomForTheNext) {
    varnu::testing::SimulatorProcess sim;
    ASSERT_TRUE(sim.startListening(VARNU_SIMULATOR_BINARY));
    const int port = portOf(sim.served());
    {
        TcpClient first(port);
        ASSERT_TRUE(first.connected());
        // A Set padded with stray bytes to the idle line's whole burst: the line then takes
        // nothing more for the time those bytes take on the wire (about 0.3 s).
        Bytes burst = hex("1B 07 01 00 08 01 EF");
        burst.resize(LineIntake::kIdleBurstBytes, 0);
        EXPECT_EQ(first.exchange(spacedHex(burst), 1), "06");
        first.send(Bytes(LineIntake::kBatchBytes * 4, 0)); // still unread when the client leaves
    }
    TcpClient second(port);
    ASSERT_TRUE(second.connected());
    EXPECT_EQ(second.exchange("1B 07 01 00 08 01 EF", 1), "06");
}

// The user and system time the process has used.
std::chrono::milliseconds cpuTime(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::istringstream fields(stat.substr(stat.rfind(')') + 2)); // the name may hold spaces
    std::string field;
    for (int skipped = 0; skipped < 11; ++skipped) // state .. cmajflt
        fields >> field;
    long userTicks = 0;
    long systemTicks = 0;
    fields >> userTicks >> systemTicks;
    return std::chrono::milliseconds((userTicks + systemTicks) * 1000 / ::sysconf(_SC_CLK_TCK));
}

// Out of descriptors, the simulator cannot take a waiting client: it says so once and waits
// rather than polling its listener without pause, and serves the client once it can.
TEST(SimulatorProcess, AClientThatCannotBeTakenIsToldOnceWithoutSpinning) {
    constexpr auto kWatch = 500ms;
    constexpr auto kMostBusy = 100ms; // a loop that spins uses most of kWatch
    constexpr int kRetryPatienceMs = 2500;
    varnu::testing::SimulatorProcess sim;
    ASSERT_TRUE(sim.startListening(VARNU_SIMULATOR_BINARY));
    const pid_t pid = sim.pid();
    // Its lowest free descriptor becomes its limit: accept() fails with EMFILE.
    rlim_t lowestFree = 0;
    while (fs::exists("/proc/" + std::to_string(pid) + "/fd/" + std::to_string(lowestFree)))
        ++lowestFree;
    rlimit before{};
    ASSERT_EQ(::prlimit(pid, RLIMIT_NOFILE, nullptr, &before), 0);
    const rlimit exhausted{lowestFree, before.rlim_max};
    ASSERT_EQ(::prlimit(pid, RLIMIT_NOFILE, &exhausted, nullptr), 0);

    const std::chrono::milliseconds idle = cpuTime(pid);
    TcpClient client(portOf(sim.served())); // the system completes the connection; it waits
    ASSERT_TRUE(client.connected());
    std::this_thread::sleep_for(kWatch);
    EXPECT_LT(cpuTime(pid) - idle, kMostBusy);

    ASSERT_EQ(::prlimit(pid, RLIMIT_NOFILE, &before, nullptr), 0);
    EXPECT_EQ(client.exchange("1B 07 01 00 08 01 EF", 1, kRetryPatienceMs), "06");
    std::ifstream in(sim.path("sim.log"));
    const std::string log((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string failure = "cannot take a client: Too many open files";
    EXPECT_NE(log.find(failure), std::string::npos) << log;
    EXPECT_EQ(log.find(failure), log.rfind(failure)) << log;
}

// Two seconds of line noise, then the tool's purge and a good Set. The simulator takes the
// noise no faster than the line carries it, answers it no faster than a projector could, and
// keeps no backlog: the Set gets its ACK within a second of the noise stopping, and no stale
// answer follows. Its log tells the junk once per run.
TEST(SimulatorProcess, LineNoiseLeavesNoBacklogAndTheNextFrameIsAnsweredAtOnce) {
    constexpr auto kNoise = 2s;
    // Longer than the simulator's frame gap: a frame begun inside the noise has been dropped.
    constexpr int kQuietGapMs = 250;
    constexpr std::size_t kMostOwedBytes = 16;
    constexpr std::size_t kBytesPerSecond = 9600 / 10;
    for (const bool paced : {true, false}) {
        const char* name = paced ? "at line speed" : "as fast as the terminal takes";
        Simulator sim;
        const fs::path log = sim.file("noise.log", "");
        ASSERT_NO_FATAL_FAILURE(sim.start({"--log", log.string()}));
        Client client(sim.link);
        const auto took = varnu::testing::sendNoise(client.fd(), kNoise, paced);
        ::tcflush(client.fd(), TCIOFLUSH);
        const auto stopped = std::chrono::steady_clock::now();

        EXPECT_LE(readFor(client.fd(), 4096, kQuietGapMs).size(), kMostOwedBytes) << name;
        EXPECT_EQ(client.exchange("1B 07 01 00 08 01 EF", 1), "06") << name;
        EXPECT_LT(std::chrono::steady_clock::now() - stopped, 1s) << name;
        EXPECT_EQ(readFor(client.fd(), 1, kSilenceMs), "") << name;
        EXPECT_EQ(sim.stop(SIGTERM), 0);

        const double seconds = std::chrono::duration<double>(took).count() + 0.3;
        EXPECT_LE(tallyLog(log, " in ").bytes,
                  static_cast<std::size_t>(seconds * kBytesPerSecond) + LineIntake::kIdleBurstBytes)
            << name;
        EXPECT_LE(tallyLog(log, " ---").lines, 100u) << name;
    }
}

TEST(SimulatorProcess, RemovesItsLinkWhenStoppedBySignal) {
    for (int signal : {SIGTERM, SIGINT}) {
        Simulator sim;
        ASSERT_NO_FATAL_FAILURE(sim.start());
        ASSERT_TRUE(fs::is_symlink(sim.link));
        ASSERT_TRUE(fs::exists(sim.link.string() + ".lock"));
        EXPECT_EQ(sim.stop(signal), 0) << signal;
        EXPECT_FALSE(fs::exists(fs::symlink_status(sim.link))) << signal;
        EXPECT_FALSE(fs::exists(sim.link.string() + ".lock")) << signal;
    }
}

TEST(SimulatorProcess, PlaysItsRulesAndLogsTheTraffic) {
    Simulator sim;
    const fs::path rules = sim.file("rules.txt", "# the lamp query is refused once\n"
                                                 "on 1B 06 02 00 08 once -> nak\n"
                                                 "on 1B 06 02 00 07 -> ack, hangup\n");
    const fs::path log = sim.file("traffic.log", "");
    ASSERT_NO_FATAL_FAILURE(sim.start({"--rules", rules.string(), "--log", log.string()}));
    const std::string firstDevice = sim.devicePath;
    {
        Client client(sim.link);
        EXPECT_EQ(client.exchange("1B 06 02 00 08 F0", 1), "15");
        EXPECT_EQ(client.exchange("1B 06 02 00 08 F0", 8), "06 1B 07 02 00 08 00 EF");
        EXPECT_EQ(client.exchange("06", 1, 50), "");

        // The hang-up drops the line under the client...
        EXPECT_EQ(client.exchange("1B 06 02 00 07 F1", 1), "06");
        pollfd pfd{client.fd(), POLLIN, 0};
        ASSERT_EQ(::poll(&pfd, 1, kAnswerTimeoutMs), 1);
        EXPECT_TRUE(pfd.revents & POLLHUP);
    }
    // ...and the link leads to a fresh line.
    EXPECT_NE(fs::read_symlink(sim.link).string(), firstDevice);
    Client again(sim.link);
    ASSERT_TRUE(again.isOpen());
    EXPECT_EQ(again.exchange("1B 07 01 00 08 01 EF", 1), "06");
    EXPECT_EQ(sim.stop(SIGTERM), 0);

    std::ifstream in(log);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find(" in  1B 06 02 00 08 F0\n"), std::string::npos) << text;
    EXPECT_NE(text.find(" out 15\n"), std::string::npos) << text;
    EXPECT_NE(text.find("hang-up"), std::string::npos) << text;
}

TEST(SimulatorProcess, RefusesBadArgumentsAndRulesWithExitStatusTwo) {
    Simulator sim;
    const std::string link = sim.link.string();
    const fs::path badRules = sim.file("bad.txt", "on * -> ack\n\non * -> wave\n");
    const std::string goodRules = "on * -> ack\n";
    const fs::path rules = sim.file("rules.txt", goodRules);
    const std::string rulesAgain = (sim.link.parent_path() / "." / "rules.txt").string();
    struct Case {
        std::vector<std::string> args;
        std::string message;
    };
    const std::vector<Case> cases = {
        {{}, "one of --link PATH and --listen HOST:PORT is required"},
        {{"--link"}, "missing value after '--link'"},
        {{"--link", link, "--speed", "1"}, "unknown option '--speed'"},
        {{"--link", link, "--rules", (sim.link.parent_path() / "missing.txt").string()}, "cannot read the rules file"},
        {{"--link", link, "--rules", badRules.string()}, "bad.txt:3: unknown action 'wave'"},
        {{"--link", link, "--rules", sim.link.parent_path().string()}, "is a folder, not a file"},
        {{"--link", link, "--rules", "/dev/zero"}, "is a device"},
        // The log would overwrite the rules, or stand where the link goes.
        {{"--link", link, "--rules", rules.string(), "--log", rulesAgain}, "--log names the rules file"},
        {{"--link", link, "--log", link}, "--log names the link"},
        {{"--link", link, "--rules", link}, "--rules names the link"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(sim.runToEnd(c.args), 2) << c.message;
        EXPECT_NE(sim.errors.find(c.message), std::string::npos) << sim.errors;
        EXPECT_FALSE(fs::exists(fs::symlink_status(sim.link))) << c.message;
    }
    std::ifstream in(rules);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), goodRules);
}

// A second simulator on a link that a running one serves is refused and touches nothing; once
// that one is gone (killed, its link left behind), a new simulator takes the link over.
TEST(SimulatorProcess, RefusesALinkThatARunningSimulatorServesAndTakesOverAStaleOne) {
    Simulator first;
    ASSERT_NO_FATAL_FAILURE(first.start());
    Simulator second;
    EXPECT_EQ(second.runToEnd({"--link", first.link.string()}), 1);
    EXPECT_NE(second.errors.find(first.link.string() + " is served by a running simulator (pid "), std::string::npos)
        << second.errors;
    EXPECT_EQ(fs::read_symlink(first.link).string(), first.devicePath);
    EXPECT_EQ(Client(first.link).exchange("1B 07 01 00 08 01 EF", 1), "06");

    first.stop(SIGKILL);
    ASSERT_TRUE(fs::is_symlink(first.link));
    {
        varnu::testing::ChildProcess third;
        ASSERT_TRUE(third.start({VARNU_SIMULATOR_BINARY, "--link", first.link.string()}));
        ASSERT_TRUE(third.readOutputUntil("\n", std::chrono::milliseconds(kStartTimeoutMs)));
        EXPECT_EQ(fs::read_symlink(first.link).string() + "\n", third.output);
        EXPECT_EQ(Client(first.link).exchange("1B 07 01 00 08 01 EF", 1), "06");
        EXPECT_EQ(third.stop(SIGTERM), 0);
    }
    EXPECT_FALSE(fs::exists(fs::symlink_status(first.link)));
}

TEST(SimulatorProcess, AnswersHelpAndVersionOnStandardOutput) {
    Simulator sim;
    EXPECT_EQ(sim.runToEnd({"--help"}), 0);
    EXPECT_EQ(sim.output.rfind(kUsage, 0), 0u) << sim.output;
    EXPECT_EQ(sim.runToEnd({"--version"}), 0);
    EXPECT_EQ(sim.output, "varnu-projector-sim " + std::string(varnu::kVersion) + "\n");
    EXPECT_EQ(sim.errors, "");
}

TEST(SimulatorProcess, LeavesAFileInThePlaceOfItsLinkAlone) {
    Simulator sim;
    sim.file("projector", "not a link");
    EXPECT_EQ(sim.runToEnd({"--link", sim.link.string()}), 1);
    EXPECT_NE(sim.errors.find("not a symbolic link"), std::string::npos) << sim.errors;
    EXPECT_TRUE(fs::is_regular_file(sim.link));
}

} // namespace
} // namespace varnu::sim
