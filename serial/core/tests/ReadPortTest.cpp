#include "serial/core/LinkTimings.h"
#include "serial/core/PortControl.h"
#include "serial/core/Transfers.h"
#include "serial/core/testing/FakeClock.h"
#include "serial/core/testing/FakeDevice.h"

#include <gtest/gtest.h>

namespace varnu {
namespace {

using std::chrono::milliseconds;
using Bytes = std::vector<std::uint8_t>;

// Attempts of the silent line: 100 + 100 x requested, never above the 1000 ms wait.
constexpr milliseconds kSilentByteAttempt{200};
constexpr milliseconds kSilentFrameAttempt{700};

class ReadPortTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(OpenPort(device, PortSettings{}));
        device.clearLog();
    }
    int read(ReadMode mode) { return ReadPort(device, clock, received, mode); }
    std::size_t attempts() const { return device.log().size(); }

    FakeClock clock;
    FakeDevice device{clock};
    Bytes received{0xEE};
};

TEST_F(ReadPortTest, SilentLineInByteModeGivesNothingAfterTwoAttempts) {
    EXPECT_EQ(read(ReadMode::Byte), 0);
    EXPECT_EQ(device.log(), (std::vector<std::string>{"read 1", "read 1"}));
    EXPECT_EQ(clock.elapsed(), 2 * kSilentByteAttempt);
    EXPECT_TRUE(received.empty());
}

TEST_F(ReadPortTest, ReplyByteIsTaken) {
    device.arrive(milliseconds{150}, {0x06, 0x15});
    EXPECT_EQ(read(ReadMode::Byte), 1);
    EXPECT_EQ(received, Bytes{0x06});
    EXPECT_EQ(device.pendingBytes(), 1u);
    EXPECT_EQ(clock.elapsed(), milliseconds{150});
}

TEST_F(ReadPortTest, ReplyAfterOneSilentAttemptIsStillTaken) {
    device.arrive(kSilentByteAttempt + milliseconds{50}, {0x06});
    EXPECT_EQ(read(ReadMode::Byte), 1);
    EXPECT_EQ(attempts(), 2u);
}

TEST_F(ReadPortTest, SilentLineInFrameModeCostsTwoLongAttempts) {
    EXPECT_EQ(read(ReadMode::Frame), 0);
    EXPECT_EQ(device.log(), (std::vector<std::string>{"read 6", "read 6"}));
    EXPECT_EQ(clock.elapsed(), 2 * kSilentFrameAttempt);
}

// A stopped run takes nothing more from the line: what comes stays for the purge.
TEST_F(ReadPortTest, StopRequestedStartsNoFurtherAttempt) {
    device.arrive(milliseconds{0}, {0x1B, 0x07, 0x01});
    std::stop_source stop;
    stop.request_stop();
    for (const ReadMode mode : {ReadMode::Byte, ReadMode::Frame}) {
        EXPECT_EQ(ReadPort(device, clock, received, mode, stop.get_token()), 0);
        EXPECT_TRUE(device.log().empty());
        EXPECT_EQ(device.pendingBytes(), 3u);
    }
}

TEST_F(ReadPortTest, ClosedPortGivesNothingAtOnce) {
    ClosePort(device);
    device.arrive(milliseconds{0}, {0x1B, 0x06, 0, 0, 0, 0xFA});
    EXPECT_EQ(read(ReadMode::Frame), 0);
    EXPECT_EQ(read(ReadMode::Byte), 0);
    EXPECT_EQ(clock.elapsed(), milliseconds{0});
}

struct FrameCase {
    const char* name;
    Bytes line; // arrives at once when the read starts
    int expectedResult;
    Bytes expectedReceived;
    std::size_t expectedAttempts;
};

void PrintTo(const FrameCase& c, std::ostream* os) {
    *os << c.name;
}

class FrameReads : public ReadPortTest, public ::testing::WithParamInterface<FrameCase> {};

TEST_P(FrameReads, TakeWhatTheRulesAllow) {
    const FrameCase& c = GetParam();
    device.arrive(milliseconds{0}, c.line);
    EXPECT_EQ(read(ReadMode::Frame), c.expectedResult);
    EXPECT_EQ(received, c.expectedReceived);
    EXPECT_EQ(attempts(), c.expectedAttempts);
}

const Bytes kShortFrame{0x1B, 0x06, 0x02, 0x01, 0x02, 0xF5};
const Bytes kDataFrame{0x1B, 0x08, 0x02, 0x01, 0x02, 0x10, 0x20, 0xC3};

Bytes then(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes firstBytes(const Bytes& bytes, std::size_t count) {
    return Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(count));
}

Bytes frameOfLength(int length) {
    Bytes frame(static_cast<std::size_t>(length), 0x00);
    frame[0] = kEsc;
    frame[1] = static_cast<std::uint8_t>(length);
    return frame;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FrameReads,
    ::testing::Values(
        FrameCase{"SixByteFrameInOneAttempt", kShortFrame, 6, kShortFrame, 1},
        FrameCase{"DataFrameAskedForInTwoSteps", kDataFrame, 8, kDataFrame, 2},
        FrameCase{"JunkBeforeTheEscIsDropped", then({0xAA, 0xBB}, kDataFrame), 8, kDataFrame, 2},
        // Five junk bytes leave only the ESC after the first attempt; the length comes next.
        FrameCase{"EscAsTheSixthByte", then({1, 2, 3, 4, 5}, kShortFrame), 6, kShortFrame, 2},
        FrameCase{
            "LengthBelowWhatIsHeld", {0x1B, 0x03, 0x01, 0x02, 0x03, 0x04}, -1, {0x1B, 0x03, 0x01, 0x02, 0x03, 0x04}, 1},
        FrameCase{"LengthZero", {0x1B, 0x00}, -1, {0x1B, 0x00}, 1},
        FrameCase{"FrameCutShort", {0x1B, 0x08, 0x01, 0x02, 0x03, 0x04}, -1, {0x1B, 0x08, 0x01, 0x02, 0x03, 0x04}, 3},
        FrameCase{"LoneEscThenSilence", {0x1B}, -1, {0x1B}, 3},
        FrameCase{"JunkOnlyIsDroppedAndEndsAsNothing", {0x01, 0x02, 0x03, 0x04, 0x05, 0x06}, 0, {}, 3},
        // The seventh junk byte comes alone in the second attempt: junk still, not a broken frame.
        FrameCase{"JunkOneByteLongerThanAnAttemptEndsAsNothing", {1, 2, 3, 4, 5, 6, 7}, 0, {}, 4},
        FrameCase{"LoneJunkByteEndsAsNothing", {0x41}, 0, {}, 3},
        FrameCase{"LongestFrameTaken", frameOfLength(kMaxReceivedFrameBytes), kMaxReceivedFrameBytes,
                  frameOfLength(kMaxReceivedFrameBytes), 2}),
    [](const auto& info) { return std::string(info.param.name); });

// 9600 bit/s: a byte every 1.04 ms.
constexpr milliseconds kByteGap{1};

// A 64-byte frame whose data holds the enable mouse/port frame four times: read as frames, its
// tail would make the run relay a command the projector never sent.
Bytes frameHidingMouseFrames() {
    Bytes frame = frameOfLength(64);
    const Bytes mouse{0x1B, 0x07, 0x01, 0x00, 0x08, 0x01, 0xEF};
    for (std::size_t at = 15; at < 15 + 4 * mouse.size(); at += mouse.size()) {
        std::copy(mouse.begin(), mouse.end(), frame.begin() + static_cast<std::ptrdiff_t>(at));
    }
    return frame;
}

struct RefusedCase {
    const char* name;
    Bytes line;             // arrives one byte every kByteGap from the read's start
    std::size_t leftOnLine; // bytes not drained: what the purge after the refusal meets
    milliseconds timeTaken; // virtual time of the whole read
};

void PrintTo(const RefusedCase& c, std::ostream* os) {
    *os << c.name;
}

class RefusedFrames : public ReadPortTest, public ::testing::WithParamInterface<RefusedCase> {};

// A frame too long for the receive buffer is refused after its head; the rest of it is read
// and dropped before -1 comes back, so that the purge and NAK that follow meet a quiet line.
TEST_P(RefusedFrames, AreDrainedBeforeTheReadEnds) {
    const RefusedCase& c = GetParam();
    device.arriveSpaced(milliseconds{0}, c.line, kByteGap);
    EXPECT_EQ(read(ReadMode::Frame), -1);
    EXPECT_EQ(received, firstBytes(c.line, kFrameHeadBytes));
    EXPECT_EQ(device.pendingBytes(), c.leftOnLine);
    EXPECT_EQ(clock.elapsed(), c.timeTaken);
}

const Bytes kLongFrame64 = frameHidingMouseFrames();

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusedFrames,
    ::testing::Values(
        // Drained up to the count its length byte announces, not a byte further.
        RefusedCase{"OneByteAboveTheBuffer", frameOfLength(kMaxReceivedFrameBytes + 1), 0, milliseconds{49}},
        RefusedCase{"SixtyFourBytesHidingMouseFrames", kLongFrame64, 0, milliseconds{63}},
        RefusedCase{"NextFrameRightBehindStaysOnTheLine", then(kLongFrame64, kShortFrame), kShortFrame.size(),
                    milliseconds{63}},
        // 0x80 and above read negative; the drain takes the length byte unsigned.
        RefusedCase{"LengthByte80DrainsItsUnsignedCount", frameOfLength(0x80), 0, milliseconds{127}},
        RefusedCase{"LengthByteFFDrainsItsUnsignedCount", frameOfLength(0xFF), 0, milliseconds{254}},
        // A tail shorter than announced ends the drain at the first attempt of one read interval
        // that brings nothing: the head at 5 ms, an attempt to 105 ms with the tail, an empty one.
        RefusedCase{"TailEndsEarly", firstBytes(frameOfLength(0x80), 20), 0, milliseconds{5} + 2 * kReadIntervalMs}),
    [](const auto& info) { return std::string(info.param.name); });

// A sender slower than any offered speed cannot hold the read longer than the drain bound.
TEST_F(ReadPortTest, DrainOfARefusedFrameIsBoundedInTime) {
    device.arriveSpaced(milliseconds{0}, frameOfLength(0xFF), milliseconds{20});
    EXPECT_EQ(read(ReadMode::Frame), -1);
    EXPECT_GT(device.pendingBytes(), 0u);
    EXPECT_LE(clock.elapsed(), milliseconds{5 * 20} + kMaxRefusedFrameDrainMs);
}

// The empty-attempt count survives an attempt that brought only junk: empty, junk, empty
// ends the read. Counting junk as empty would stop after two reads, resetting on it after four.
TEST_F(ReadPortTest, JunkAttemptNeitherCountsNorResetsTheEmptyCount) {
    device.arrive(kSilentFrameAttempt + milliseconds{100}, {0x01, 0x02, 0x03, 0x04, 0x05, 0x06});
    EXPECT_EQ(read(ReadMode::Frame), 0);
    EXPECT_EQ(attempts(), 3u);
}

TEST_F(ReadPortTest, FrameAfterJunkArrivingLaterIsTaken) {
    device.arrive(milliseconds{10}, {0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36});
    device.arrive(milliseconds{900}, kShortFrame);
    EXPECT_EQ(read(ReadMode::Frame), 6);
    EXPECT_EQ(received, kShortFrame);
}

TEST_F(ReadPortTest, GapAfterTheHeadIsBridgedByTheNextAttempt) {
    device.arrive(milliseconds{0}, Bytes(kDataFrame.begin(), kDataFrame.begin() + 6));
    device.arrive(milliseconds{400}, Bytes(kDataFrame.begin() + 6, kDataFrame.end()));
    EXPECT_EQ(read(ReadMode::Frame), 8);
    EXPECT_EQ(received, kDataFrame);
}

// A line that never stops sending junk must not hold the read for ever.
TEST_F(ReadPortTest, EndlessJunkEndsTheRead) {
    device.arriveSpaced(milliseconds{0}, Bytes(20000, 0x55), milliseconds{1});
    EXPECT_EQ(read(ReadMode::Frame), -1);
    EXPECT_LE(clock.elapsed(), milliseconds{kMaxDroppedJunkBytes + 100});
}

} // namespace
} // namespace varnu
