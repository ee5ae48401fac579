// Sends a 20-entry list with varnu-cli send to the projector simulator and compares the wall
// time with what the protocol itself must wait: the silences that end reads, the pause before
// a speed change, and the simulator's paced answers at the speed in force. Prints the figures;
// the targets are a wall time within 3% of that sum (5% through a device server) and CPU under
// 2% of the wall time. With --rfc2217 the tool reaches the simulator through ser2net's RFC 2217
// port instead of the pseudo-terminal.
//
// With --ports N each run sends the list once to one simulator and then to N simulators at once
// (one send with N ports and --receive-dir), each on its own pseudo-terminal, and compares the
// two wall times (target: the N-port run within 5% of the one-port run) and CPU times, and
// each port's Receive List with the one-port run's.
//
//     send_bench [RUNS] [--rfc2217 | --ports N]

#include "cli/ReceiveFolder.h"
#include "tools/simulator/testing/DeviceServerProcess.h"
#include "tools/simulator/testing/SimulatorProcess.h"

#include <sys/resource.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace std::chrono_literals;
using varnu::testing::ChildProcess;
using varnu::testing::DeviceServerProcess;
using varnu::testing::SimulatorProcess;

// The protocol's waits (the time-outs of the link and the speed-change pause).
constexpr double kSilentFrameReadMs = 1400; // two frame-read attempts of 100 + 6 x 100 ms
constexpr double kSilentByteReadMs = 400;   // two byte-read attempts of 100 + 1 x 100 ms
constexpr double kSpeedChangeWaitMs = 500;
// The simulator starts each answer this long after the frame it answers.
constexpr double kAnswerDelayMs = 2;
constexpr double kBitsPerByte = 10; // start, 8 data, stop

constexpr auto kRunPatience = 120s;

// One kind of entry: its frame text and what it costs on the line. Bytes are those the
// simulator sends (paced at the speed in force); the tool's own bytes cost nothing on a
// pseudo-terminal.
struct EntryKind {
    std::string_view text;
    double waitsMs;
    int bytesBefore;  // sent at the speed in force before the entry
    int bytesAfter;   // sent after a speed change, at the new speed
    int answers;      // each starts kAnswerDelayMs after what it answers
    unsigned newBaud; // 0: no speed change
};

constexpr EntryKind kSet{"ESC 07 01 00 08 01 EF", kSilentFrameReadMs, 1, 0, 1, 0};
constexpr EntryKind kGet{"ESC 06 02 00 08 F0", kSilentFrameReadMs, 1 + 7, 0, 1, 0};
constexpr EntryKind kRefused{"ESC 07 01 00 09 01 EE", 0, 1, 0, 1, 0};
constexpr EntryKind kSilent{"ESC 07 01 00 0A 01 ED", kSilentByteReadMs, 0, 0, 0, 0};
// ACK, then the relay of the enable frame and its ACK.
constexpr EntryKind kRelay{"ESC 06 02 00 0B ED", kSilentFrameReadMs, 1 + 7 + 1, 0, 2, 0};
// ACK at the old speed, then the speed query's ACK and data frame at the new one.
constexpr EntryKind kTo38400{"ESC 07 01 00 06 02 F0", kSpeedChangeWaitMs + kSilentFrameReadMs, 1, 1 + 7, 2, 38400};
constexpr EntryKind kTo9600{"ESC 07 01 00 06 00 F2", kSpeedChangeWaitMs + kSilentFrameReadMs, 1, 1 + 7, 2, 9600};

constexpr const char* kRules = "on 1B 07 01 00 09 -> nak\n"
                               "on 1B 07 01 00 0A -> silence\n"
                               "on 1B 06 02 00 0B -> ack, mouse enable\n";

constexpr std::array kList{kSet, kGet,     kRefused, kSilent, kGet, kSet, kTo38400, kGet, kSet, kRelay,
                           kSet, kRefused, kGet,     kTo9600, kSet, kGet, kSilent,  kSet, kGet, kSet};

struct Nominal {
    double waitsMs = 0;
    double lineMs = 0;
};

Nominal nominalTimes() {
    Nominal nominal;
    unsigned baud = 9600;
    const auto byteMs = [&baud] { return kBitsPerByte * 1000.0 / baud; };
    for (const EntryKind& entry : kList) {
        nominal.waitsMs += entry.waitsMs;
        nominal.lineMs += entry.answers * kAnswerDelayMs + entry.bytesBefore * byteMs();
        if (entry.newBaud != 0)
            baud = entry.newBaud;
        nominal.lineMs += entry.bytesAfter * byteMs();
    }
    return nominal;
}

double cpuMsOf(const rusage& usage) {
    const auto ms = [](const timeval& t) { return static_cast<double>(t.tv_sec) * 1e3 + t.tv_usec / 1e3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

double childrenCpuMs() {
    rusage usage{};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    return cpuMsOf(usage);
}

std::string listText() {
    std::string list;
    for (const EntryKind& entry : kList)
        list += std::string(entry.text) + "\r\n";
    return list;
}

bool runOnce(const Nominal& nominal, bool throughDeviceServer) {
    SimulatorProcess sim;
    if (!sim.start(VARNU_SIMULATOR_BINARY, kRules)) {
        std::fprintf(stderr, "the simulator did not start (is /dev/ptmx there?)\n");
        return false;
    }
    DeviceServerProcess server;
    std::string port = sim.link.string();
    if (throughDeviceServer) {
        if (!server.start(sim.served(), DeviceServerProcess::Accepter::Rfc2217, sim.path(""))) {
            std::fprintf(stderr, "ser2net did not start (scripts/bootstrap installs it)\n");
            return false;
        }
        port = server.portName();
    }
    const std::string list = listText();

    ChildProcess send;
    const double cpuBefore = childrenCpuMs();
    const auto start = std::chrono::steady_clock::now();
    if (!send.start({VARNU_CLI_PATH, "send", "--port", port, sim.file("bench.DAT", list).string()}))
        return false;
    const int status = send.wait(kRunPatience);
    const std::chrono::duration<double, std::milli> wall = std::chrono::steady_clock::now() - start;
    // Only the tool has been waited for so far: the simulator's CPU is not in this figure.
    const double cpu = childrenCpuMs() - cpuBefore;

    const double expected = nominal.waitsMs + nominal.lineMs;
    std::printf("wall %8.1f ms | protocol waits %8.1f ms + line time %5.1f ms = %8.1f ms | wall / that %.4f "
                "(%+.2f%%) | CPU %6.1f ms = %.3f%% of wall | exit %d, %zu bytes out\n",
                wall.count(), nominal.waitsMs, nominal.lineMs, expected, wall.count() / expected,
                (wall.count() / expected - 1) * 100, cpu, cpu / wall.count() * 100, status, send.output.size());
    return status >= 0;
}

struct Timed {
    int status = -1;
    double wallMs = 0;
    double cpuMs = 0; // the tool's alone: the simulators are still running
    std::string output;
};

Timed timedSend(const std::vector<std::string>& argv) {
    ChildProcess send;
    Timed timed;
    const double cpuBefore = childrenCpuMs();
    const auto start = std::chrono::steady_clock::now();
    if (!send.start(argv))
        return timed;
    timed.status = send.wait(kRunPatience);
    timed.wallMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    timed.cpuMs = childrenCpuMs() - cpuBefore;
    timed.output = send.output;
    return timed;
}

std::string fileText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The list to one simulator, then to `ports` simulators at once.
bool runManyPorts(std::size_t ports) {
    std::vector<std::unique_ptr<SimulatorProcess>> sims;
    for (std::size_t i = 0; i < ports; ++i) {
        sims.push_back(std::make_unique<SimulatorProcess>());
        if (!sims.back()->start(VARNU_SIMULATOR_BINARY, kRules)) {
            std::fprintf(stderr, "simulator %zu did not start (is /dev/ptmx there?)\n", i + 1);
            return false;
        }
    }
    const SimulatorProcess& first = *sims.front();
    const std::string list = first.file("bench.DAT", listText()).string();
    const Timed one = timedSend({VARNU_CLI_PATH, "send", "--port", first.link.string(), list});

    const std::filesystem::path folder = first.path("received");
    std::vector<std::string> argv{VARNU_CLI_PATH, "send"};
    for (const auto& sim : sims)
        argv.insert(argv.end(), {"--port", sim->link.string()});
    argv.insert(argv.end(), {"--receive-dir", folder.string(), list});
    const Timed many = timedSend(argv);

    std::size_t same = 0;
    for (const auto& sim : sims) {
        const std::filesystem::path file = folder / (varnu::cli::fileStemForPort(sim->link.string()) + ".txt");
        same += fileText(file) == one.output ? 1 : 0;
    }
    std::printf("1 port: wall %8.1f ms, CPU %6.1f ms, exit %d | %zu ports: wall %8.1f ms = %.4f x one port (%+.2f%%), "
                "CPU %6.1f ms = %.1f x one port, exit %d | Receive Lists as the one port's: %zu of %zu\n",
                one.wallMs, one.cpuMs, one.status, ports, many.wallMs, many.wallMs / one.wallMs,
                (many.wallMs / one.wallMs - 1) * 100, many.cpuMs, many.cpuMs / one.cpuMs, many.status, same, ports);
    return one.status >= 0 && many.status >= 0;
}

} // namespace

int main(int argc, char** argv) {
    int runs = 1;
    bool throughDeviceServer = false;
    std::size_t ports = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::string_view(argv[i]) == "--rfc2217")
            throughDeviceServer = true;
        else if (std::string_view(argv[i]) == "--ports" && i + 1 < argc)
            ports = static_cast<std::size_t>(std::max(1, std::atoi(argv[++i])));
        else
            runs = std::max(1, std::atoi(argv[i]));
    }
    const Nominal nominal = nominalTimes();
    std::printf("%zu entries, %d run(s), %s\n", kList.size(), runs,
                ports != 0            ? "one port, then that many at once"
                : throughDeviceServer ? "through ser2net (RFC 2217)"
                                      : "on the pseudo-terminal");
    for (int run = 0; run < runs; ++run) {
        if (ports != 0 ? !runManyPorts(ports) : !runOnce(nominal, throughDeviceServer))
            return 1;
    }
    return 0;
}
