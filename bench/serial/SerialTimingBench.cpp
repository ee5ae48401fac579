// Measures the silent-line reads and a stalled write of the real link against their nominal
// times: two 200 ms attempts for a reply byte, two 700 ms attempts for a frame, two
// (1000 ms + 1000 ms pause) attempts for a write nobody takes.

#include "serial/SerialLink.h"
#include "serial/testing/PtyPeer.h"

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
    std::vector<std::uint8_t> received;
    measure("silent reply byte", 400, 20, [&] { link.readPort(received, ReadMode::Byte); });
    measure("silent frame", 1400, 5, [&] { link.readPort(received, ReadMode::Frame); });
    const std::vector<std::uint8_t> block(256 * 1024, 0x55);
    measure("write nobody takes", 4000, 2, [&] { link.writePort(block); });
    return 0;
}
