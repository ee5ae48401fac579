#include "protocol/LinkControl.h"
#include "protocol/TransmitSequence.h"

#include "protocol/tests/RecordingSink.h"
#include "serial/core/testing/ScriptedLink.h"

#include <gtest/gtest.h>

namespace varnu::testing {
namespace {

using Script = std::vector<ScriptStep>;

constexpr std::string_view kDisableFrame = "1B0701000800F0";
constexpr std::string_view kEnableFrame = "1B0701000801EF";
constexpr std::string_view kGetEntry = "(1) ESC 07 02 01 02 05 EF";
constexpr std::string_view kGetFrame = "1B0702010205EF";

struct Outcome {
    std::string text;
    RecordingSink sink;
};

// Runs one entry over the script and checks the line saw exactly the scripted conversation.
Outcome transmitOne(std::string_view entry, const Script& script) {
    ScriptedLink link(script);
    Outcome outcome;
    TransmitSequence(link, outcome.sink).run(std::vector{std::string(entry)});
    EXPECT_EQ(link.log(), link.expectedLog());
    outcome.text = outcome.sink.text;
    return outcome;
}

TEST(PortSpeedCommand, IsKnownByItsFirstFiveBytesAndNeedsItsSpeedByte) {
    EXPECT_EQ(portSpeedCode(bytesFromHex("1B 07 01 00 06 02 F0")), std::optional<std::uint8_t>(2));
    EXPECT_EQ(portSpeedCode(bytesFromHex("1B 07 01 00 06 05 00")), std::optional<std::uint8_t>(5));
    EXPECT_EQ(portSpeedCode(bytesFromHex("1B 06 02 00 06 F2")), std::nullopt); // the Get asks, it changes nothing
    EXPECT_EQ(portSpeedCode(bytesFromHex("1B 07 01 00 06")), std::nullopt);
    EXPECT_EQ(portSpeedCode(bytesFromHex("1B 07 01 01 06 02 EF")), std::nullopt);
}

TEST(ChangePortSpeed, ReopensAtTheNamedSpeedAndQueriesIt) {
    for (const auto& [entry, frame, baud] : {std::tuple{"ESC 07 01 00 06 00 F2", "1B0701000600F2", 9600u},
                                             {"ESC 07 01 00 06 01 F1", "1B0701000601F1", 19200u},
                                             {"ESC 07 01 00 06 02 F0", "1B0701000602F0", 38400u}}) {
        SCOPED_TRACE(baud);
        const Outcome outcome =
            transmitOne(entry, {sends(frame), getsByte(kAck), waits(kSpeedChangeWait), reopens(baud),
                                sends("1B06020006F2"), getsByte(kAck), getsNothing(ReadMode::Frame), purges()});
        EXPECT_EQ(outcome.text, "(1) ACK send command to get port speed.\r\nACK\r\n\r\n");
        EXPECT_EQ(outcome.sink.speeds, std::vector{baud});
        EXPECT_EQ(outcome.sink.outcomes, std::vector{EntryOutcome::Acknowledged});
    }
}

TEST(ChangePortSpeed, ShowsTheAnswerToTheSpeedQuery) {
    for (const auto& [answer, text] : {std::pair{getsNothing(ReadMode::Byte), "No response.\r\n"},
                                       {getsByte(kNak), "NAK\r\n"},
                                       {getsByte(0x41), "???\r\n"}}) {
        SCOPED_TRACE(text);
        Script script{sends("1B0701000602F0"), getsByte(kAck),        waits(kSpeedChangeWait),
                      reopens(38400),          sends("1B06020006F2"), answer};
        if (answer.result > 0 && answer.bytes[0] == 0x41)
            script.push_back(purges());
        script.push_back(getsNothing(ReadMode::Frame));
        script.push_back(purges());
        EXPECT_EQ(transmitOne("ESC 07 01 00 06 02 F0", script).text,
                  std::string("(1) ACK send command to get port speed.\r\n") + text + "\r\n");
    }
}

TEST(ChangePortSpeed, UnknownCodeWaitsAndChangesNothing) {
    ScriptedLink link(
        {sends("1B0701000605ED"), getsByte(kAck), waits(kSpeedChangeWait), getsNothing(ReadMode::Frame), purges()});
    RecordingSink sink;
    TransmitSequence(link, sink).run(std::vector<std::string>{"ESC 07 01 00 06 05 ED"});
    EXPECT_EQ(link.log(), link.expectedLog());
    EXPECT_EQ(sink.text, "(1) ACK \r\n");
    EXPECT_TRUE(sink.speeds.empty());
    EXPECT_EQ(link.elapsed(), std::chrono::milliseconds(500 + 1400));
}

TEST(ChangePortSpeed, OnlyAnAcknowledgedSetCommandChangesTheSpeed) {
    EXPECT_TRUE(transmitOne("ESC 07 01 00 06 02 F0", {sends("1B0701000602F0"), getsByte(kNak)}).sink.speeds.empty());
    EXPECT_TRUE(transmitOne("ESC 07 01 00 06 02 F0", {sends("1B0701000602F0"), getsNothing(ReadMode::Byte)})
                    .sink.speeds.empty());
    // A Get for class 0, function 6 only asks; its answer frame is shown like any other.
    const Outcome get =
        transmitOne("ESC 06 02 00 06 F2", {sends("1B06020006F2"), getsByte(kAck), getsFrame("1B0701000602F0"),
                                           sends("06"), getsNothing(ReadMode::Frame), purges()});
    EXPECT_EQ(get.text, "(1) ACK 1B0701000602F0\r\n\r\n");
    EXPECT_TRUE(get.sink.speeds.empty());
}

TEST(ChangePortSpeed, FailedReopenKeepsTheNewSpeedAndLaterEntriesFail) {
    ScriptedLink link({sends("1B0701000602F0"), getsByte(kAck), waits(kSpeedChangeWait), failsToReopen(38400),
                       getsNothing(ReadMode::Frame).costing(std::chrono::milliseconds(0)), purges(),
                       sendFails("1B0701000800F0")});
    RecordingSink sink;
    const RunSummary summary =
        TransmitSequence(link, sink).run(std::vector<std::string>{"ESC 07 01 00 06 02 F0", "ESC 07 01 00 08 00 F0"});
    EXPECT_EQ(link.log(), link.expectedLog());
    EXPECT_EQ(sink.text, "(1) ACK Failure changing port speed.\r\n\r\n(2) Failure during data Transmission.\r\n");
    EXPECT_EQ(sink.speeds, std::vector{38400u});
    EXPECT_EQ(summary.outcomes, (std::vector{EntryOutcome::SpeedChangeFailed, EntryOutcome::WriteFailed}));
}

struct RelayCase {
    std::string_view frame;
    std::string_view announcement;
};

TEST(RelayPortCommand, SendsMousePortFramesBackAsReceived) {
    // The checksum is not compared: a disable frame with a wrong one goes back unchanged.
    for (const auto& [frame, announcement] : {RelayCase{kDisableFrame, "Send disable mouse/port command.\r\n"},
                                              {kEnableFrame, "Send enable mouse/port command.\r\n"},
                                              {"1B070100080077", "Send disable mouse/port command.\r\n"}}) {
        for (const auto& [answer, answerText] : {std::pair{getsByte(kAck), "ACK\r\n"},
                                                 {getsByte(kNak), "NAK\r\n"},
                                                 {getsNothing(ReadMode::Byte), "Noresponse.\r\n"},
                                                 {getsByte(0xFF), "???\r\n"}}) {
            SCOPED_TRACE(std::string(frame) + " " + answerText);
            Script script{sends(kGetFrame), getsByte(kAck), getsFrame(frame), sends("06"), sends(frame), answer};
            if (answer.result > 0 && answer.bytes[0] == 0xFF)
                script.push_back(purges());
            script.push_back(getsNothing(ReadMode::Frame));
            script.push_back(purges());
            EXPECT_EQ(transmitOne(kGetEntry, script).text,
                      "(1) ACK " + std::string(frame) + "\r\n" + std::string(announcement) + answerText + "\r\n");
        }
    }
}

TEST(RelayPortCommand, LeavesOtherFramesAlone) {
    EXPECT_EQ(transmitOne(kGetEntry, {sends(kGetFrame), getsByte(kAck), getsFrame("1B0701000802EE"), sends("06"),
                                      getsFrame("1B0701000901EE"), sends("06"), getsNothing(ReadMode::Frame), purges()})
                  .text,
              "(1) ACK 1B0701000802EE\r\n        1B0701000901EE\r\n\r\n");
}

} // namespace
} // namespace varnu::testing
