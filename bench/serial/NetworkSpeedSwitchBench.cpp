// The port-speed switch over RFC 2217 through ser2net, done two ways: closing the connection
// and opening it again at the new speed (as a serial port is closed and reopened), or sending
// SET-BAUDRATE on the open connection. For each: how long the switch takes, how long the
// speed query after it waits for its answer, and how many queries are answered at the new
// speed (the simulator garbles what arrives at the old one).
//
//     network_speed_switch_bench [ROUNDS]

#include "serial/SerialLink.h"
#include "serial/core/PortFailureText.h"
#include "tools/simulator/testing/DeviceServerProcess.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>
#include <functional>

namespace {

using namespace varnu;
using Bytes = std::vector<std::uint8_t>;
using varnu::testing::DeviceServerProcess;
using varnu::testing::SimulatorProcess;

constexpr std::chrono::milliseconds kSpeedChangeWait{500};
const Bytes kTo38400{0x1B, 0x07, 0x01, 0x00, 0x06, 0x02, 0xF0};
const Bytes kTo9600{0x1B, 0x07, 0x01, 0x00, 0x06, 0x00, 0xF2};
const Bytes kSpeedQuery{0x1B, 0x06, 0x02, 0x00, 0x06, 0xF2};
constexpr int kReopenRetries = 10;
constexpr std::chrono::milliseconds kReopenPause{100};

struct Figures {
    double switchMs = 0;
    double answerMs = 0;
    int answered = 0;
    int switches = 0;
    int failed = 0;
};

// One switch as the transmit sequence makes it: the command and its ACK, the wait, the
// switch, then the query and its answer at the new speed.
void switchOnce(SerialLink& link, const Bytes& command, std::uint32_t baud,
                const std::function<bool(std::uint32_t)>& change, Figures& figures) {
    Bytes reply;
    link.writePort(command);
    if (link.readPort(reply, ReadMode::Byte) != 1 || reply[0] != kAck) {
        std::fprintf(stderr, "the speed command to %u was not acknowledged (%zu bytes)\n", baud, reply.size());
        return;
    }
    link.waitPumping(kSpeedChangeWait);
    QElapsedTimer timer;
    timer.start();
    const bool changed = change(baud);
    ++figures.switches;
    if (changed)
        figures.switchMs += static_cast<double>(timer.nsecsElapsed()) / 1e6;
    if (!changed) {
        // Counted, then the link is opened again (as Reconnect would) so that the rounds go on.
        ++figures.failed;
        std::fprintf(stderr, "the switch to %u failed: %s\n", baud,
                     (link.lostPort() ? explainPortFailure(*link.lostPort()) : std::string("?")).c_str());
        for (int retry = 0; retry < kReopenRetries && !link.OpenPort(); ++retry)
            link.waitPumping(kReopenPause);
    }
    timer.restart();
    link.writePort(kSpeedQuery);
    const int got = link.readPort(reply, ReadMode::Byte);
    figures.answerMs += static_cast<double>(timer.nsecsElapsed()) / 1e6;
    if (got == 1 && reply[0] == kAck) {
        ++figures.answered;
        link.readPort(reply, ReadMode::Frame);
        link.writePort(Bytes{kAck});
    }
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    if (!DeviceServerProcess::available()) {
        std::fprintf(stderr, "%s is missing (scripts/bootstrap installs it)\n", DeviceServerProcess::kProgram);
        return 1;
    }
    struct Way {
        const char* name;
        std::function<bool(SerialLink&, std::uint32_t)> change;
    };
    const Way ways[] = {
        {"close and reopen the connection",
         [](SerialLink& l, std::uint32_t b) {
             PortSettings settings = l.settings();
             settings.baudRate = b;
             l.ClosePort();
             l.setSettings(settings);
             return l.OpenPort();
         }},
        {"SET-BAUDRATE on the open connection", [](SerialLink& l, std::uint32_t b) { return l.reopenAt(b); }},
    };
    for (const Way& way : ways) {
        SimulatorProcess sim;
        DeviceServerProcess server;
        if (!sim.start(VARNU_SIMULATOR_BINARY) ||
            !server.start(sim.served(), DeviceServerProcess::Accepter::Rfc2217, sim.path(""))) {
            std::fprintf(stderr, "the simulator or ser2net did not start\n");
            return 1;
        }
        SerialLink link;
        link.setSettings(PortSettings{server.portName()});
        QElapsedTimer openTimer;
        openTimer.start();
        if (!link.OpenPort()) {
            std::fprintf(stderr, "cannot open %s\n", server.portName().c_str());
            return 1;
        }
        const double openMs = static_cast<double>(openTimer.nsecsElapsed()) / 1e6;
        Figures figures;
        const auto change = [&](std::uint32_t baud) { return way.change(link, baud); };
        for (int round = 0; round < rounds; ++round) {
            switchOnce(link, kTo38400, 38400, change, figures);
            switchOnce(link, kTo9600, 9600, change, figures);
        }
        std::printf("%-36s | open %6.1f ms | switch (when it works) %7.2f ms | query answered after %6.2f ms | %d of "
                    "%d switches "
                    "failed, %d queries answered\n",
                    way.name, openMs, figures.switchMs / std::max(1, figures.switches - figures.failed),
                    figures.answerMs / std::max(1, figures.answered), figures.failed, figures.switches,
                    figures.answered);
    }
    return 0;
}
