#include "serial/core/PortControl.h"
#include "serial/core/DeviceLink.h"
#include "serial/core/LinkTimings.h"
#include "serial/core/testing/FakeClock.h"
#include "serial/core/testing/FakeDevice.h"

#include <gtest/gtest.h>

#include <thread>

namespace varnu {
namespace {

using std::chrono::milliseconds;
using Log = std::vector<std::string>;
using Step = FakeDevice::Step;

const Log kOpenSteps{"open COM1", "queues 4096 4096", "timeouts 100 100 100 0 5000", "get state", "set state", "dtr on",
                     "purge"};

class PortControlTest : public ::testing::Test {
protected:
    FakeClock clock;
    FakeDevice device{clock};
};

TEST_F(PortControlTest, OpenRunsEveryStepInOrder) {
    EXPECT_TRUE(OpenPort(device, PortSettings{}));
    EXPECT_EQ(device.log(), kOpenSteps);
    EXPECT_TRUE(device.isOpen());
    EXPECT_TRUE(device.dtrRaised());
    EXPECT_EQ(device.timeouts(), portTimeouts());
}

TEST_F(PortControlTest, OpenWritesTheSettingsIntoTheDriverState) {
    LineState driver;
    driver.baudRate = 115200;
    driver.xonLimit = 2048;
    driver.dtrControl = DtrControl::Enable;
    device.setDriverState(driver);
    PortSettings settings;
    settings.baudRate = 19200;
    settings.parity = Parity::Mark;
    settings.dataBits = 7;
    settings.stopBits = StopBits::Two;

    ASSERT_TRUE(OpenPort(device, settings));
    const LineState& s = device.state();
    EXPECT_EQ(s.baudRate, 19200u);
    EXPECT_EQ(s.parity, Parity::Mark);
    EXPECT_EQ(s.dataBits, 7);
    EXPECT_EQ(s.stopBits, StopBits::Two);
    EXPECT_EQ(s.xonChar, 0x11);
    EXPECT_EQ(s.xoffChar, 0x13);
    EXPECT_EQ(s.xonLimit, 100);
    EXPECT_EQ(s.xoffLimit, 100);
    EXPECT_EQ(s.dtrControl, DtrControl::Handshake);
    EXPECT_EQ(s.rtsControl, RtsControl::Enable);
    EXPECT_TRUE(s.binary);
    EXPECT_TRUE(s.parityCheck);
}

struct RefusalCase {
    const char* name;
    Step refused;
    bool opens;
    Log expectedLog;
};

void PrintTo(const RefusalCase& c, std::ostream* os) {
    *os << c.name;
}

class OpenRefusals : public PortControlTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(OpenRefusals, DecideWhetherThePortOpens) {
    const RefusalCase& c = GetParam();
    device.refuse(c.refused);
    EXPECT_EQ(OpenPort(device, PortSettings{}), c.opens);
    EXPECT_EQ(device.isOpen(), c.opens);
    EXPECT_EQ(device.log(), c.expectedLog);
}

INSTANTIATE_TEST_SUITE_P(Cases, OpenRefusals,
                         ::testing::Values(RefusalCase{"DeviceMissing", Step::Open, false, {"open COM1"}},
                                           RefusalCase{"LineStateRefused",
                                                       Step::WriteLineState,
                                                       false,
                                                       {"open COM1", "queues 4096 4096", "timeouts 100 100 100 0 5000",
                                                        "get state", "set state", "close"}},
                                           RefusalCase{"LineStateUnreadable",
                                                       Step::ReadLineState,
                                                       false,
                                                       {"open COM1", "queues 4096 4096", "timeouts 100 100 100 0 5000",
                                                        "get state", "close"}},
                                           RefusalCase{"DtrRefusedIsIgnored", Step::Dtr, true, kOpenSteps},
                                           RefusalCase{"PurgeRefusedIsIgnored", Step::Purge, true, kOpenSteps},
                                           RefusalCase{"QueueSizesRefusedIsIgnored", Step::QueueSizes, true,
                                                       kOpenSteps}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PortControlTest, CloseDropsDtrThenCloses) {
    ASSERT_TRUE(OpenPort(device, PortSettings{}));
    device.clearLog();
    ClosePort(device);
    EXPECT_EQ(device.log(), (Log{"dtr off", "close"}));
    EXPECT_FALSE(device.dtrRaised());
}

TEST_F(PortControlTest, ClosingAClosedPortTouchesNothing) {
    ClosePort(device);
    EXPECT_TRUE(device.log().empty());
}

TEST_F(PortControlTest, OpenPurgesWhatWaitedOnTheLine) {
    device.arrive(milliseconds{0}, {0x06, 0x06});
    ASSERT_TRUE(OpenPort(device, PortSettings{}));
    EXPECT_EQ(device.pendingBytes(), 0u);
}

class DeviceLinkTest : public ::testing::Test {
protected:
    DeviceLinkTest() { makeLink(); }
    void makeLink() {
        auto ownedClock = std::make_unique<FakeClock>();
        clock = ownedClock.get();
        auto ownedDevice = std::make_unique<FakeDevice>(*clock);
        device = ownedDevice.get();
        link = std::make_unique<DeviceLink>(std::move(ownedDevice), std::move(ownedClock));
    }
    FakeClock* clock;
    FakeDevice* device;
    std::unique_ptr<DeviceLink> link;
};

TEST_F(DeviceLinkTest, ReopenAtANewSpeedKeepsTheSpeed) {
    ASSERT_TRUE(link->OpenPort());
    device->clearLog();
    EXPECT_TRUE(link->reopenAt(38400));
    Log expected{"dtr off", "close"};
    expected.insert(expected.end(), kOpenSteps.begin(), kOpenSteps.end());
    EXPECT_EQ(device->log(), expected);
    EXPECT_EQ(device->state().baudRate, 38400u);
    EXPECT_EQ(link->settings().baudRate, 38400u);
}

TEST_F(DeviceLinkTest, FailedReopenLeavesThePortClosedWithTheNewSpeed) {
    ASSERT_TRUE(link->OpenPort());
    device->refuse(Step::WriteLineState);
    EXPECT_FALSE(link->reopenAt(38400));
    EXPECT_FALSE(link->isOpen());
    EXPECT_EQ(link->settings().baudRate, 38400u);
    device->allow(Step::WriteLineState);
    EXPECT_TRUE(link->OpenPort());
}

// A device that changes its speed in place keeps the port open; when it cannot, or the change
// does not take, the port is closed and opened again at the new speed, and a failed reopen
// leaves its reason as an open does.
TEST_F(DeviceLinkTest, ASpeedChangeInPlaceKeepsThePortOrFallsBackToAReopen) {
    Log reopen{"dtr off", "close"};
    reopen.insert(reopen.end(), kOpenSteps.begin(), kOpenSteps.end());
    Log refusedThenReopen{"speed 38400"};
    refusedThenReopen.insert(refusedThenReopen.end(), reopen.begin(), reopen.end());
    const struct {
        const char* name;
        bool inPlace;
        std::vector<Step> refused;
        bool reopened;
        Log log;
    } cases[] = {
        {"not in place", false, {}, true, reopen},
        {"in place", true, {}, true, {"speed 38400"}},
        {"in place, refused", true, {Step::ChangeSpeed}, true, refusedThenReopen},
        {"in place, refused, reopen refused",
         true,
         {Step::ChangeSpeed, Step::WriteLineState},
         false,
         {"speed 38400", "dtr off", "close", "open COM1", "queues 4096 4096", "timeouts 100 100 100 0 5000",
          "get state", "set state", "close"}},
    };
    for (const auto& c : cases) {
        makeLink();
        device->setChangesSpeedInPlace(c.inPlace);
        ASSERT_TRUE(link->OpenPort()) << c.name;
        device->clearLog();
        for (const Step step : c.refused)
            device->refuse(step);
        EXPECT_EQ(link->reopenAt(38400), c.reopened) << c.name;
        EXPECT_EQ(device->log(), c.log) << c.name;
        EXPECT_EQ(link->isOpen(), c.reopened) << c.name;
        EXPECT_EQ(link->settings().baudRate, 38400u) << c.name;
        EXPECT_EQ(device->state().baudRate, c.reopened ? 38400u : 9600u) << c.name;
        EXPECT_EQ(link->openFailure().has_value(), !c.reopened) << c.name;
    }
}

// The reason of a failed open stays on the link for the front end to explain, until an open
// works; a device that gives none still leaves a reason naming the port.
TEST_F(DeviceLinkTest, AFailedOpenKeepsItsReasonUntilAnOpenWorks) {
    PortSettings settings;
    settings.portName = "/dev/ttyUSB7";
    link->setSettings(settings);
    device->refuse(Step::Open);
    EXPECT_FALSE(link->OpenPort());
    ASSERT_TRUE(link->openFailure());
    EXPECT_EQ(link->openFailure()->problem, PortProblem::Other);
    EXPECT_EQ(link->openFailure()->portName, "/dev/ttyUSB7");

    device->setFailure(portFailure(PortProblem::InUse, "/dev/ttyUSB7"));
    EXPECT_FALSE(link->OpenPort());
    EXPECT_EQ(link->openFailure()->problem, PortProblem::InUse);

    device->setFailure(std::nullopt);
    device->allow(Step::Open);
    EXPECT_TRUE(link->OpenPort());
    EXPECT_FALSE(link->openFailure());
}

// Lost is a state of the open port: it says nothing once the port is closed, and a failure of
// another kind is no loss.
TEST_F(DeviceLinkTest, APortIsLostOnlyWhileOpenAndItsDeviceSaysSo) {
    ASSERT_TRUE(link->OpenPort());
    EXPECT_FALSE(link->lostPort());
    device->setFailure(portFailure(PortProblem::SettingRefused, "COM1"));
    EXPECT_FALSE(link->lostPort());
    device->setFailure(portFailure(PortProblem::Lost, "COM1", "/dev/ttyS0"));
    ASSERT_TRUE(link->lostPort());
    EXPECT_EQ(link->lostPort()->devicePath, "/dev/ttyS0");
    link->ClosePort();
    EXPECT_FALSE(link->lostPort());
}

TEST_F(DeviceLinkTest, ClosedLinkMovesNothingAndPurgesNothing) {
    const std::vector<std::uint8_t> frame{0x1B, 0x06, 0, 0, 0, 0xFA};
    std::vector<std::uint8_t> received;
    EXPECT_EQ(link->writePort(frame), 0u);
    EXPECT_EQ(link->readPort(received, ReadMode::Frame), 0);
    link->purge();
    EXPECT_EQ(device->log(), (Log{"write 6", "write 6", "read 6", "read 6"}));
    EXPECT_EQ(clock->elapsed(), milliseconds{0});
}

TEST_F(DeviceLinkTest, StopRequestEndsAWaitAtOnce) {
    std::stop_source stop;
    link->setStopToken(stop.get_token());
    link->waitPumping(milliseconds{500});
    EXPECT_EQ(clock->elapsed(), milliseconds{500});
    stop.request_stop();
    link->waitPumping(milliseconds{500});
    EXPECT_EQ(clock->elapsed(), milliseconds{500});
}

TEST(SteadyClockTest, StopFromAnotherThreadWakesTheSleeper) {
    SteadyClock clock;
    std::stop_source stop;
    const auto start = clock.now();
    std::jthread stopper([&] {
        std::this_thread::sleep_for(milliseconds{30});
        stop.request_stop();
    });
    EXPECT_FALSE(clock.sleepFor(std::chrono::seconds{20}, stop.get_token()));
    EXPECT_LT(clock.now() - start, std::chrono::seconds{5});
}

} // namespace
} // namespace varnu
