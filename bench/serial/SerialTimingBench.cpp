// Measures the silent-line reads and a stalled write of the real link against their nominal
// times: two 200 ms attempts for a reply byte, two 700 ms attempts for a frame, two
// (1000 ms + 1000 ms pause) attempts for a write nobody takes. The silent reads are measured
// again on network ports: raw TCP to a loopback listener that never speaks, and RFC 2217
// through ser2net in front of a silent pseudo-terminal (when ser2net is installed).

#include "serial/SerialLink.h"
#include "serial/testing/PtyPeer.h"
#include "tools/simulator/testing/DeviceServerProcess.h"
#include "tools/simulator/testing/LoopbackSocket.h"

#include <netinet/in.h>
#include <sys/socket.h>

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cmath>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

namespace {

using namespace varnu;

void measure(const char* what, double nominalMs, int runs, const std::function<void()>& call) {
    std::vector<double> wall;
    const std::clock_t cpuStart = std::clock();
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        call();
        wall.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    const double cpuMs = static_cast<double>(std::clock() - cpuStart) * 1000.0 / CLOCKS_PER_SEC;
    double mean = 0;
    for (double w : wall) {
        mean += w / runs;
    }
    double variance = 0;
    for (double w : wall) {
        variance += (w - mean) * (w - mean) / runs;
    }
    std::printf("%-24s nominal %7.1f ms  mean %8.2f ms  deviation %6.2f ms  CPU %6.2f ms over %d runs\n", what,
                nominalMs, mean, std::sqrt(variance), cpuMs, runs);
}

// The first three bytes of a frame of seven, then nothing.
const std::vector<std::uint8_t> kCutFrame{0x1B, 0x07, 0x02};

// The silent reads on a link that is open already; with `sendCut`, also a frame cut short: the
// first attempt ends one read interval (100 ms) after the third byte, two empty attempts of
// 100 + 4 x 100 ms follow.
void measureSilentReads(const char* where, SerialLink& link, const std::function<void()>& sendCut = {}) {
    std::vector<std::uint8_t> received;
    std::printf("%s\n", where);
    measure("silent reply byte", 400, 20, [&] { link.readPort(received, ReadMode::Byte); });
    measure("silent frame", 1400, 5, [&] { link.readPort(received, ReadMode::Frame); });
    if (sendCut)
        measure("frame cut after 3 bytes", 1100, 5, [&] {
            sendCut();
            link.readPort(received, ReadMode::Frame);
        });
}

void measureNetworkPorts() {
    const testing::LoopbackSocket listener(1); // takes connections and never says a word
    SerialLink tcp;
    tcp.setSettings(PortSettings{listener.name("tcp")});
    if (listener.port() != 0 && tcp.OpenPort()) {
        const int peer = ::accept(listener.fd(), nullptr, nullptr);
        measureSilentReads("raw TCP, loopback listener that never speaks", tcp,
                           [peer] { ::send(peer, kCutFrame.data(), kCutFrame.size(), MSG_NOSIGNAL); });
        ::close(peer);
    }
    tcp.ClosePort();

    if (!testing::DeviceServerProcess::available())
        return;
    testing::PtyPeer peer;
    char folder[] = "/tmp/varnu-timing-XXXXXX";
    if (!peer.ok() || ::mkdtemp(folder) == nullptr)
        return;
    {
        testing::DeviceServerProcess server;
        SerialLink rfc2217;
        if (server.start(peer.path(), testing::DeviceServerProcess::Accepter::Rfc2217, folder)) {
            rfc2217.setSettings(PortSettings{server.portName()});
            if (rfc2217.OpenPort())
                measureSilentReads("RFC 2217 through ser2net, silent pseudo-terminal behind it", rfc2217,
                                   [&peer] { peer.send(kCutFrame); });
        }
    }
    std::filesystem::remove_all(folder);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    testing::PtyPeer peer;
    if (!peer.ok()) {
        std::fprintf(stderr, "no pseudo-terminal\n");
        return 1;
    }
    SerialLink link;
    link.setSettings(PortSettings{peer.path()});
    if (!link.OpenPort()) {
        std::fprintf(stderr, "cannot open %s\n", peer.path().c_str());
        return 1;
    }
    measureSilentReads("serial port (pseudo-terminal)", link, [&peer] { peer.send(kCutFrame); });
    const std::vector<std::uint8_t> block(256 * 1024, 0x55);
    measure("write nobody takes", 4000, 2, [&] { link.writePort(block); });
    link.ClosePort();
    measureNetworkPorts();
    return 0;
}
