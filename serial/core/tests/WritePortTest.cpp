#include "serial/core/LinkTimings.h"
#include "serial/core/PortControl.h"
#include "serial/core/Transfers.h"
#include "serial/core/testing/FakeClock.h"
#include "serial/core/testing/FakeDevice.h"

#include <gtest/gtest.h>

namespace varnu {
namespace {

using std::chrono::milliseconds;
using Script = FakeDevice::WriteScript;

const std::vector<std::uint8_t> kFrame{0x1B, 0x07, 0x01, 0x00, 0x08, 0x00, 0xF0};

class WritePortTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(OpenPort(device, PortSettings{}));
        device.clearLog();
    }
    FakeClock clock;
    FakeDevice device{clock};
};

TEST_F(WritePortTest, NothingToWriteTouchesNoDevice) {
    EXPECT_EQ(WritePort(device, clock, {}), 0u);
    EXPECT_TRUE(device.log().empty());
}

struct WriteCase {
    const char* name;
    std::vector<Script> scripts;
    std::size_t expectedTotal;
    std::vector<std::string> expectedLog;
    std::vector<std::uint8_t> expectedOnLine;
    milliseconds expectedTime;
};

void PrintTo(const WriteCase& c, std::ostream* os) {
    *os << c.name;
}

class WritePortRules : public WritePortTest, public ::testing::WithParamInterface<WriteCase> {};

TEST_P(WritePortRules, CountsAttemptsAndTime) {
    const WriteCase& c = GetParam();
    for (const Script& s : c.scripts) {
        device.scriptWrite(s);
    }
    EXPECT_EQ(WritePort(device, clock, kFrame), c.expectedTotal);
    EXPECT_EQ(device.log(), c.expectedLog);
    EXPECT_EQ(device.sent(), c.expectedOnLine);
    EXPECT_EQ(clock.elapsed(), c.expectedTime);
}

const std::vector<std::uint8_t> kHead{0x1B, 0x07, 0x01};
const std::vector<std::uint8_t> kTail{0x00, 0x08, 0x00, 0xF0};
std::vector<std::uint8_t> concat(std::vector<std::uint8_t> a, const std::vector<std::uint8_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WritePortRules,
    ::testing::Values(WriteCase{"WholeBlockInOneAttempt", {}, 7, {"write 7"}, kFrame, milliseconds{0}},
                      WriteCase{"PartialFirstAttemptSendsTheRestOnce",
                                {Script{3, AttemptEnd::Completed, milliseconds{5}}},
                                7,
                                {"write 7", "write 4"},
                                kFrame,
                                milliseconds{5}},
                      WriteCase{"NeverAThirdAttempt",
                                {Script{3, AttemptEnd::Completed, {}}, Script{2, AttemptEnd::Completed, {}}},
                                5,
                                {"write 7", "write 4"},
                                concat(kHead, {0x00, 0x08}),
                                milliseconds{0}},
                      // A stalled attempt counts nothing even if part of it went out, and costs the wait
                      // plus the pause before the second attempt sends the whole block again.
                      WriteCase{"StalledAttemptCountsNothingAndPauses",
                                {Script{3, AttemptEnd::TimedOut, {}}},
                                7,
                                {"write 7", "write 7"},
                                concat(kHead, kFrame),
                                kWaitAttemptMs + kWriteRetryPauseMs},
                      WriteCase{"TwoStalledAttemptsGiveNothing",
                                {Script{0, AttemptEnd::TimedOut, {}}, Script{0, AttemptEnd::TimedOut, {}}},
                                0,
                                {"write 7", "write 7"},
                                {},
                                2 * (kWaitAttemptMs + kWriteRetryPauseMs)},
                      WriteCase{"RefusedAttemptCountsNothingWithoutPause",
                                {Script{7, AttemptEnd::Failed, {}}},
                                7,
                                {"write 7", "write 7"},
                                kFrame,
                                milliseconds{0}},
                      WriteCase{"DeviceClaimingMoreThanAskedIsCapped",
                                {Script{SIZE_MAX, AttemptEnd::Completed, {}}},
                                7,
                                {"write 7"},
                                kFrame,
                                milliseconds{0}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WritePortTest, ClosedPortGivesNothingAtOnce) {
    ClosePort(device);
    EXPECT_EQ(WritePort(device, clock, kFrame), 0u);
    EXPECT_EQ(clock.elapsed(), milliseconds{0});
    EXPECT_TRUE(device.sent().empty());
}

TEST_F(WritePortTest, StopRequestCutsThePauseShort) {
    device.scriptWrite({0, AttemptEnd::TimedOut, {}});
    device.scriptWrite({0, AttemptEnd::TimedOut, {}});
    std::stop_source stop;
    stop.request_stop();
    EXPECT_EQ(WritePort(device, clock, kFrame, stop.get_token()), 0u);
    EXPECT_EQ(clock.elapsed(), 2 * kWaitAttemptMs);
    EXPECT_EQ(clock.sleeps(), (std::vector<milliseconds>{kWriteRetryPauseMs, kWriteRetryPauseMs}));
}

} // namespace
} // namespace varnu
