// The transmit run over the real timed transfers (DeviceLink) on a scripted device in virtual
// time: what reaches the line and when, where the protocol tests' scripted link cannot tell.

#include "protocol/TransmitSequence.h"

#include "protocol/tests/RecordingSink.h"
#include "serial/core/DeviceLink.h"
#include "serial/core/testing/FakeClock.h"
#include "serial/core/testing/FakeDevice.h"
#include "serial/core/testing/ScriptedLink.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace varnu::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;

// 9600 bit/s: a byte every 1.04 ms.
constexpr milliseconds kByteGap{1};

class TransmitOverDevice : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(link.OpenPort());
        device->clearLog();
    }

    FakeClock* clock = new FakeClock;
    FakeDevice* device = new FakeDevice(*clock);
    DeviceLink link{std::unique_ptr<SerialDevice>(device), std::unique_ptr<Clock>(clock)};
    RecordingSink sink;
};

// A 64-byte data frame (length byte 40) whose data holds the enable mouse/port frame four
// times. The run refuses it after its head; if it purged and answered NAK while the rest was
// still arriving, the rest would be read as four mouse/port frames and sent back to the
// projector, which never issued them.
TEST_F(TransmitOverDevice, RefusedLongFrameIsDrainedBeforeThePurgeAndTheNak) {
    Bytes longFrame = bytesFromHex("1B 40 02 01 0D 00 00 00 00 00 00 00 00 00 00");
    for (int i = 0; i < 4; ++i) {
        const Bytes mouse = bytesFromHex("1B 07 01 00 08 01 EF");
        longFrame.insert(longFrame.end(), mouse.begin(), mouse.end());
    }
    longFrame.resize(64, 0x00);

    // Entry 1 is written at 0 ms: its ACK at 5 ms, then the long frame at line speed from
    // 10 ms to 73 ms. The entry ends after the frame read that follows the NAK finds the line
    // silent (1400 ms), so entry 2 goes out at about 1473 ms and is acknowledged at 1600 ms.
    device->arrive(milliseconds{5}, {kAck});
    device->arriveSpaced(milliseconds{10}, longFrame, kByteGap);
    device->arrive(milliseconds{1600}, {kAck});

    TransmitSequence(link, sink).run(std::vector<std::string>{"(1) ESC 06 02 01 0D EA", "(2) ESC 07 01 00 08 01 EF"});

    EXPECT_EQ(sink.text, "(1) ACK Failure during data reception.\r\n\r\n(2) ACK \r\n");
    // The two commands and one NAK: nothing relayed.
    EXPECT_EQ(device->sent(), bytesFromHex("1B 06 02 01 0D EA 15 1B 07 01 00 08 01 EF"));
    // The purge came after the whole frame was read, and the NAK after the purge.
    const std::vector<std::string>& calls = device->log();
    const auto purge = std::find(calls.begin(), calls.end(), "purge");
    ASSERT_NE(purge, calls.end());
    ASSERT_NE(purge + 1, calls.end());
    EXPECT_EQ(*(purge + 1), "write 1");
    EXPECT_EQ(device->pendingBytes(), 0u);
}

} // namespace
} // namespace varnu::testing
