// The real link on the projector simulator's pseudo-terminal: the timed transfers against a
// far end that paces its bytes like a wire, and a far end that hangs up. Needs /dev/ptmx.
// Timings are checked with loose bounds (shared machines).

#include "serial/SerialLink.h"
#include "serial/testing/QtCoreEnvironment.h"
#include "tools/simulator/testing/SimulatorProcess.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <ctime>

namespace varnu {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;
using testing::SimulatorProcess;

[[maybe_unused]] ::testing::Environment* const kQtCore =
    ::testing::AddGlobalTestEnvironment(new testing::QtCoreEnvironment);

const Bytes kSet{0x1B, 0x07, 0x01, 0x00, 0x08, 0x01, 0xEF};
const Bytes kAckByte{kAck};
const Bytes kNakByte{kNak};

double cpuMs() {
    return static_cast<double>(std::clock()) * 1000.0 / CLOCKS_PER_SEC;
}

#ifdef VARNU_SIMULATOR_BINARY
constexpr const char* kRules = "on 1B 07 01 00 0A -> silence\n"
                               "on 1B 06 02 01 09 -> ack, junk 3, frame 02 01 09 01\n"
                               "on 1B 06 02 01 04 -> ack, cut 4 02 01 04 33\n"
                               "on 1B 06 02 01 0C -> ack, delay 300, hangup\n";

class SimulatorLink : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sim.start(VARNU_SIMULATOR_BINARY, kRules)) << "simulator did not start";
        link.setSettings(PortSettings{sim.link.string()});
        ASSERT_TRUE(link.OpenPort());
    }

    // Sends a frame and returns the one-byte reply (empty when none came).
    Bytes command(const Bytes& frame) {
        EXPECT_EQ(link.writePort(frame), frame.size());
        Bytes reply;
        link.readPort(reply, ReadMode::Byte);
        return reply;
    }

    SimulatorProcess sim;
    SerialLink link;
};

TEST_F(SimulatorLink, OpensWithTheDefaultsAndGetsTheAck) {
    EXPECT_EQ(link.settings().baudRate, 9600u);
    EXPECT_EQ(command(kSet), kAckByte);
}

TEST_F(SimulatorLink, ASilentProjectorCostsTwoByteAttempts) {
    QElapsedTimer wall;
    wall.start();
    EXPECT_EQ(command({0x1B, 0x07, 0x01, 0x00, 0x0A, 0x01, 0xED}), Bytes{});
    EXPECT_GT(wall.elapsed(), 350);
    EXPECT_LT(wall.elapsed(), 900);
}

TEST_F(SimulatorLink, SkipsJunkBeforeAFrame) {
    ASSERT_EQ(command({0x1B, 0x06, 0x02, 0x01, 0x09, 0xEE}), kAckByte);
    Bytes frame;
    EXPECT_EQ(link.readPort(frame, ReadMode::Frame), 7);
    EXPECT_EQ(frame, (Bytes{0x1B, 0x07, 0x02, 0x01, 0x09, 0x01, 0xEC}));
    link.writePort(kAckByte);
}

TEST_F(SimulatorLink, AFrameCutShortIsBroken) {
    ASSERT_EQ(command({0x1B, 0x06, 0x02, 0x01, 0x04, 0xF3}), kAckByte);
    Bytes frame;
    EXPECT_EQ(link.readPort(frame, ReadMode::Frame), -1);
    EXPECT_EQ(frame, (Bytes{0x1B, 0x07, 0x02, 0x01}));
    link.writePort(kNakByte);
}

TEST_F(SimulatorLink, ReopensAtTheSpeedTheProjectorSwitchedTo) {
    ASSERT_EQ(command({0x1B, 0x07, 0x01, 0x00, 0x06, 0x02, 0xF0}), kAckByte);
    ASSERT_TRUE(link.reopenAt(38400));
    EXPECT_EQ(link.settings().baudRate, 38400u);
    // The simulator garbles anything sent at the old speed: this answer proves the new one.
    EXPECT_EQ(command({0x1B, 0x06, 0x02, 0x00, 0x06, 0xF2}), kAckByte);
    Bytes frame;
    EXPECT_EQ(link.readPort(frame, ReadMode::Frame), 7);
    EXPECT_EQ(frame, (Bytes{0x1B, 0x07, 0x02, 0x00, 0x06, 0x02, 0xEF}));
}

TEST_F(SimulatorLink, AHangUpDuringAReadEndsItWithoutSpinningAndTheLinkOpensAgain) {
    ASSERT_EQ(command({0x1B, 0x06, 0x02, 0x01, 0x0C, 0xEB}), kAckByte);
    QElapsedTimer wall;
    wall.start();
    const double cpuStart = cpuMs();
    Bytes frame;
    EXPECT_EQ(link.readPort(frame, ReadMode::Frame), 0);
    // No longer than a silent frame read (1.4 s), and asleep meanwhile.
    EXPECT_LT(wall.elapsed(), 2000);
    EXPECT_LT(cpuMs() - cpuStart, 100.0);
    // A dead line refuses writes at once rather than waiting out its attempts.
    wall.restart();
    EXPECT_EQ(link.writePort(kSet), 0u);
    EXPECT_LT(wall.elapsed(), 500);

    // The simulator put a new line behind the same path, as a projector switched on again.
    link.ClosePort();
    ASSERT_TRUE(link.OpenPort());
    EXPECT_EQ(command(kSet), kAckByte);
}
#endif

} // namespace
} // namespace varnu
