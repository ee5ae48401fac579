// The transmit run on the real serial link against the projector simulator misbehaving on
// purpose: a hang-up, line noise, frames cut short, too long for the receive buffer or with a
// length byte of 0x80 and more, odd reply bytes, a very slow projector. Every run must end with the Receive List text
// the transmit rules give, and the port must work again after a reconnect. Needs /dev/ptmx.

#include "protocol/TransmitSequence.h"
#include "serial/SerialLink.h"
#include "serial/testing/QtCoreEnvironment.h"
#include "tools/simulator/testing/SimulatorProcess.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <sstream>
#include <thread>

namespace varnu {
namespace {

using testing::SimulatorProcess;
using namespace std::chrono_literals;

[[maybe_unused]] ::testing::Environment* const kQtCore =
    ::testing::AddGlobalTestEnvironment(new testing::QtCoreEnvironment);

class ReceiveList : public TransmitSink {
public:
    void textAppended(std::string_view text) override { this->text += text; }
    std::string text;
};

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

// A Set the simulator acknowledges by default: the exchange that proves the port works.
const std::string kGoodEntry = "(1) ESC 07 01 00 08 01 EF";
const std::string kGoodReceiveText = "(1) ACK \r\n";
// The indent of a second data frame in entry 1: "(1) " and "ACK ".
const std::string kIndent1(8, ' ');
const std::string kReceptionFailure = "Failure during data reception.\r\n";

struct FaultCase {
    const char* name;
    const char* rulesFile; // in tests/data/faults
    std::vector<std::string> entries;
    std::string expectedText;
    bool floodFirst = false; // two seconds of random bytes on the line before the run
};

constexpr auto kFlood = 2s;
// Longer than the simulator's frame gap, so a frame begun inside the noise has been dropped.
constexpr auto kQuietAfterNoise = 300ms;

// Writes random bytes as fast as the line takes them, then purges and leaves the line quiet
// for a moment, as a user would press Clear before Transmit.
void flood(SerialLink& link) {
    std::mt19937 random(testing::kNoiseSeed);
    constexpr std::size_t kChunk = 4096;
    for (const auto start = std::chrono::steady_clock::now(); std::chrono::steady_clock::now() < start + kFlood;)
        link.writePort(testing::noiseBytes(kChunk, random));
    link.purge();
    std::this_thread::sleep_for(kQuietAfterNoise);
    link.purge();
}

// Sets the port and opens it.
bool openOn(SerialLink& link, const std::string& port) {
    link.setSettings(PortSettings{port});
    return link.OpenPort();
}

// The Receive List of the exchange that proves the port works.
std::string goodExchange(Link& link) {
    ReceiveList receiveList;
    TransmitSequence(link, receiveList).run(std::vector<std::string>{kGoodEntry});
    return receiveList.text;
}

void PrintTo(const FaultCase& c, std::ostream* os) {
    *os << c.name;
}

class FaultInjection : public ::testing::TestWithParam<FaultCase> {};

#ifdef VARNU_SIMULATOR_BINARY
TEST_P(FaultInjection, EndsWithTheRuleTextAndTheLinkWorksAfterAReconnect) {
    const FaultCase& c = GetParam();
    SimulatorProcess sim;
    ASSERT_TRUE(sim.start(VARNU_SIMULATOR_BINARY, readFile(std::string(VARNU_TEST_DATA) + "/faults/" + c.rulesFile)))
        << "simulator did not start";
    SerialLink link;
    ASSERT_TRUE(openOn(link, sim.link.string()));
    if (c.floodFirst)
        flood(link);

    ReceiveList receiveList;
    TransmitSequence run(link, receiveList);
    const RunSummary summary = run.run(c.entries);
    EXPECT_EQ(receiveList.text, c.expectedText);
    EXPECT_EQ(summary.outcomes.size(), c.entries.size());

    link.ClosePort();
    ASSERT_TRUE(link.OpenPort());
    EXPECT_EQ(goodExchange(link), kGoodReceiveText);
}

// A stop request in the middle of a Get's data frames (what a signal to varnu-cli send turns
// into) ends the run within the attempt under way; the closed port opens again at once.
TEST(PortOwner, AStopInTheMiddleOfARunEndsItAndFreesThePort) {
    SimulatorProcess sim;
    ASSERT_TRUE(sim.start(VARNU_SIMULATOR_BINARY)) << "simulator did not start";
    SerialLink link;
    ASSERT_TRUE(openOn(link, sim.link.string()));
    std::stop_source stop;
    link.setStopToken(stop.get_token());

    class StopAfterFirstFrame : public ReceiveList {
    public:
        explicit StopAfterFirstFrame(std::stop_source& stop) : stop_(stop) {}
        void textAppended(std::string_view text) override {
            ReceiveList::textAppended(text);
            if (text == "1B0702000801EE")
                stop_.request_stop(); // the next frame read is under way when this lands
        }

    private:
        std::stop_source& stop_;
    } receiveList(stop);
    const RunSummary summary =
        TransmitSequence(link, receiveList)
            .run(std::vector<std::string>{kGoodEntry, "(2) ESC 06 02 00 08 F0", kGoodEntry}, stop.get_token());
    EXPECT_TRUE(summary.stopped);
    EXPECT_EQ(receiveList.text, kGoodReceiveText + "(2) ACK 1B0702000801EE\r\nStopped.\r\n");
    link.ClosePort();

    SerialLink next;
    EXPECT_TRUE(openOn(next, sim.link.string()));
}
#endif

INSTANTIATE_TEST_SUITE_P(
    Faults, FaultInjection,
    ::testing::Values(
        // The line drops after the second entry's ACK: that entry ends as a Set without data,
        // the third cannot be written.
        FaultCase{"HangUpInTheMiddleOfARun",
                  "hangup.rules",
                  {kGoodEntry, "(2) ESC 07 01 01 0C 00 EB", "(3) ESC 07 01 00 08 00 F0"},
                  "(1) ACK \r\n(2) ACK \r\n(3) Failure during data Transmission.\r\n"},
        // Junk before and between the frames is skipped up to the next ESC.
        FaultCase{"JunkBetweenFrames",
                  "junk.rules",
                  {"(1) ESC 06 02 01 09 EE"},
                  "(1) ACK 1B0702010901EC\r\n" + kIndent1 + "1B0702010902EB\r\n\r\n"},
        // Cut, good, cut, cut: the good frame resets the count, the second cut in a row ends the entry.
        FaultCase{"FramesCutShort",
                  "cut_short.rules",
                  {"(1) ESC 06 02 01 04 F3"},
                  "(1) ACK " + kReceptionFailure + kIndent1 + "1B0702010433BF\r\n" + kReceptionFailure +
                      kReceptionFailure},
        // Refused after its head; the rest of the frame is drained before the purge and the NAK.
        FaultCase{"LengthByteOf0x80AndAbove",
                  "long_length.rules",
                  {"(1) ESC 06 02 01 07 F0", "(2) ESC 06 02 01 08 EF"},
                  "(1) ACK " + kReceptionFailure + "\r\n(2) ACK " + kReceptionFailure + "\r\n"},
        // Whatever follows the odd byte is purged; the next entry goes on normally.
        FaultCase{"ReplyNeitherAckNorNak",
                  "odd_reply.rules",
                  {"(1) ESC 07 01 00 0A 00 EE", "(2) ESC 07 01 00 0B 00 ED", "(3) ESC 07 01 00 0C 00 EC", kGoodEntry},
                  "(1) ???\r\n(2) ???\r\n(3) ???\r\n(4) ACK \r\n"},
        // 150 ms between bytes is within the 100 ms interval plus the next attempt: the frame is whole.
        FaultCase{"BytesOneHundredFiftyMillisecondsApart",
                  "slow.rules",
                  {"(1) ESC 06 02 01 0A ED"},
                  "(1) ACK 1B0702010A01EB\r\n\r\n"},
        // A 64-byte frame hiding four mouse/port frames is refused and drained whole: one NAK,
        // nothing relayed, and the next entry is answered normally.
        FaultCase{"RefusedLongFrameLeavesNoPhantomFrames",
                  "phantom.rules",
                  {"(1) ESC 06 02 01 0D EA", "(2) ESC 07 01 00 08 01 EF"},
                  "(1) ACK " + kReceptionFailure + "\r\n(2) ACK \r\n"},
        // After two seconds of noise the simulator owes nothing: the Set gets its own ACK.
        FaultCase{"LineNoiseLeavesNoBacklog", "noise.rules", {kGoodEntry}, kGoodReceiveText, true}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace varnu
