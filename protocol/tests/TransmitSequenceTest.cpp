#include "protocol/TransmitSequence.h"
#include "protocol/LinkControl.h"

#include "protocol/tests/RecordingSink.h"
#include "serial/core/testing/ScriptedLink.h"

#include <gtest/gtest.h>

namespace varnu::testing {
namespace {

using Script = std::vector<ScriptStep>;
using Entries = std::vector<std::string>;

constexpr std::string_view kSetEntry = "(1) ESC 07 01 00 08 00 F0";
constexpr std::string_view kSetFrame = "1B0701000800F0";
constexpr std::string_view kGetEntry = "(1) ESC 07 02 01 02 05 EF";
constexpr std::string_view kGetFrame = "1B0702010205EF";
constexpr std::string_view kDataFrame1 = "1B0701010233BA";
constexpr std::string_view kDataFrame2 = "1B080101024400A7";

struct RunResult {
    RecordingSink sink;
    RunSummary summary;
};

RunResult transmit(ScriptedLink& link, const Entries& entries, std::stop_token stop = {}) {
    RunResult result;
    TransmitSequence sequence(link, result.sink);
    result.summary = sequence.run(entries, stop);
    return result;
}

// The Receive List text of one run, after checking the line saw exactly the scripted conversation.
std::string receiveText(const Script& script, const Entries& entries) {
    ScriptedLink link(script);
    const RunResult result = transmit(link, entries);
    EXPECT_EQ(link.log(), link.expectedLog());
    return result.sink.text;
}

// Entries before the last one that the projector refuses, so the last sits at a chosen position.
Script refusedEntries(std::size_t count) {
    Script script;
    for (std::size_t i = 0; i < count; ++i) {
        script.push_back(sends(kSetFrame));
        script.push_back(getsByte(kNak));
    }
    return script;
}

Script concat(Script first, const Script& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

struct ReplyCase {
    std::string name;
    Script script;
    std::string text;
    EntryOutcome outcome;
};

void PrintTo(const ReplyCase& reply, std::ostream* out) {
    *out << reply.name;
}

class ReplyToSet : public ::testing::TestWithParam<ReplyCase> {};

TEST_P(ReplyToSet, WritesItsLineAndTouchesTheLineAsScripted) {
    const ReplyCase& reply = GetParam();
    ScriptedLink link(reply.script);
    const RunResult result = transmit(link, {std::string(kSetEntry)});
    EXPECT_EQ(link.log(), link.expectedLog());
    EXPECT_EQ(result.sink.text, reply.text);
    EXPECT_EQ(result.summary.outcomes, std::vector{reply.outcome});
}

INSTANTIATE_TEST_SUITE_P(
    EveryReplyByte, ReplyToSet,
    ::testing::Values(ReplyCase{"AckWithoutData",
                                {sends(kSetFrame), getsByte(kAck), getsNothing(ReadMode::Frame), purges()},
                                "(1) ACK \r\n",
                                EntryOutcome::Acknowledged},
                      ReplyCase{"Nak", {sends(kSetFrame), getsByte(kNak)}, "(1) NAK\r\n", EntryOutcome::Refused},
                      ReplyCase{"UnexpectedByte",
                                {sends(kSetFrame), getsByte(0x00), purges()},
                                "(1) ???\r\n",
                                EntryOutcome::UnexpectedReply},
                      ReplyCase{"Silence",
                                {sends(kSetFrame), getsNothing(ReadMode::Byte)},
                                "(1) No response.\r\n",
                                EntryOutcome::NoResponse},
                      ReplyCase{"FrameWrittenInPart",
                                {sendsPart(kSetFrame, 4)},
                                "(1) Failure during data Transmission.\r\n",
                                EntryOutcome::WriteFailed}),
    [](const auto& info) { return info.param.name; });

TEST(TransmitSequence, AnswersEveryDataFrameAndIndentsTheLaterOnes) {
    const Script script =
        concat(refusedEntries(2), {sends(kGetFrame), getsByte(kAck), getsFrame(kDataFrame1), sends("06"),
                                   getsFrame(kDataFrame2), sends("06"), getsNothing(ReadMode::Frame), purges()});
    const std::string text =
        receiveText(script, {std::string(kSetEntry), std::string(kSetEntry), std::string(kGetEntry)});
    EXPECT_EQ(text, "(1) NAK\r\n(2) NAK\r\n(3) ACK 1B0701010233BA\r\n        1B080101024400A7\r\n\r\n");
}

TEST(TransmitSequence, IndentGrowsWithTheWidthOfTheEntryNumber) {
    for (const auto& [position, spaces] : {std::pair{1, 8}, {10, 9}, {12, 9}}) {
        SCOPED_TRACE(position);
        const Script script = concat(refusedEntries(position - 1),
                                     {sends(kGetFrame), getsByte(kAck), getsFrame(kDataFrame1), sends("06"),
                                      getsFrame(kDataFrame2), sends("06"), getsNothing(ReadMode::Frame), purges()});
        Entries entries(position, std::string(kSetEntry));
        entries.back() = kGetEntry;
        const std::string number = "(" + std::to_string(position) + ") ";
        const std::string text = receiveText(script, entries);
        EXPECT_TRUE(
            text.ends_with(number + "ACK 1B0701010233BA\r\n" + std::string(spaces, ' ') + "1B080101024400A7\r\n\r\n"))
            << text;
    }
}

TEST(TransmitSequence, GetAcknowledgedWithoutDataIsAFailure) {
    ScriptedLink link({sends(kGetFrame), getsByte(kAck), getsNothing(ReadMode::Frame), purges()});
    const RunResult result = transmit(link, {std::string(kGetEntry)});
    EXPECT_EQ(link.log(), link.expectedLog());
    EXPECT_EQ(result.sink.text, "(1) ACK Failure receiving data from projector.\r\n");
    EXPECT_EQ(result.summary.outcomes, std::vector{EntryOutcome::MissingData});
}

TEST(TransmitSequence, BrokenFramesAreRefusedAndTwoInARowEndTheEntry) {
    const Script ack{sends(kGetFrame), getsByte(kAck)};
    const Script nak{purges(), sends("15")};
    const Script silence{getsNothing(ReadMode::Frame), purges()};
    const std::string failure = "Failure during data reception.\r\n";

    // One broken frame then silence: the data count includes it, so no missing-data line.
    EXPECT_EQ(receiveText(concat(concat(concat(ack, {getsBrokenFrame()}), nak), silence), {std::string(kGetEntry)}),
              "(1) ACK " + failure + "\r\n");

    // Two in a row: the exchange ends without its closing line end or purge.
    Script twice = concat(concat(concat(ack, {getsBrokenFrame()}), nak), {getsBrokenFrame()});
    EXPECT_EQ(receiveText(concat(twice, nak), {std::string(kGetEntry)}), "(1) ACK " + failure + failure);

    // A complete frame between two broken ones resets the count; it is indented as a later frame.
    Script between = concat(concat(ack, {getsBrokenFrame()}), nak);
    between = concat(between, {getsFrame(kDataFrame1), sends("06"), getsBrokenFrame()});
    between = concat(concat(between, nak), silence);
    EXPECT_EQ(receiveText(between, {std::string(kGetEntry)}),
              "(1) ACK " + failure + "        1B0701010233BA\r\n" + failure + "\r\n");
}

TEST(TransmitSequence, OversizedFramesAreRefusedLikeBrokenOnes) {
    // A 50-byte frame that a link let through still must not reach the 49-byte hex line.
    const std::string oversized = "1B32" + std::string(96, '0');
    const Script script{sends(kGetFrame), getsByte(kAck), getsFrame(oversized),
                        purges(),         sends("15"),    getsNothing(ReadMode::Frame),
                        purges()};
    ScriptedLink link(script);
    const RunResult result = transmit(link, {std::string(kGetEntry)});
    EXPECT_EQ(link.log(), link.expectedLog());
    EXPECT_EQ(result.sink.text, "(1) ACK Failure during data reception.\r\n\r\n");
    EXPECT_EQ(result.summary.outcomes, std::vector{EntryOutcome::ReceptionFailed});

    // The largest frame that fits is shown whole.
    const std::string largest = "1B31" + std::string(94, 'A');
    EXPECT_EQ(receiveText({sends(kGetFrame), getsByte(kAck), getsFrame(largest), sends("06"),
                           getsNothing(ReadMode::Frame), purges()},
                          {std::string(kGetEntry)}),
              "(1) ACK " + largest + "\r\n\r\n");
}

TEST(TransmitSequence, EmptyListSendsAndWritesNothing) {
    ScriptedLink link({});
    const RunResult result = transmit(link, {});
    EXPECT_TRUE(link.log().empty());
    EXPECT_EQ(result.sink.text, "");
    EXPECT_EQ(result.sink.runsFinished, 1);
    EXPECT_TRUE(result.summary.allAcknowledged());
}

TEST(TransmitSequence, ClosedPortFailsEveryEntryAndTheRunGoesOn) {
    ScriptedLink link({sendFails(kSetFrame), sendFails(kGetFrame), sendFails(kSetFrame)});
    const RunResult result = transmit(link, {std::string(kSetEntry), std::string(kGetEntry), std::string(kSetEntry)});
    EXPECT_EQ(link.log(), link.expectedLog());
    EXPECT_EQ(result.sink.text, "(1) Failure during data Transmission.\r\n"
                                "(2) Failure during data Transmission.\r\n"
                                "(3) Failure during data Transmission.\r\n");
    EXPECT_EQ(result.sink.started, (std::vector<std::size_t>{0, 1, 2}));
    EXPECT_FALSE(result.summary.allAcknowledged());
}

TEST(TransmitSequence, EntriesAreNumberedByPositionAndTextsWithoutAFrameSendNothing) {
    const std::string text =
        receiveText({sends(kSetFrame), getsByte(kNak)}, {"(7) ESC 07 01 00 08 00 F0", "(8) garbage"});
    EXPECT_EQ(text, "(1) NAK\r\n(2) Failure during data Transmission.\r\n");
}

TEST(TransmitSequence, VirtualTimeFollowsTheReadTimeOuts) {
    ScriptedLink silent({sends(kSetFrame), getsNothing(ReadMode::Byte)});
    transmit(silent, {std::string(kSetEntry)});
    EXPECT_EQ(silent.elapsed(), std::chrono::milliseconds(400));

    // Every acknowledged entry ends only after a frame read that gets nothing.
    Script acked;
    for (int i = 0; i < 3; ++i)
        acked = concat(acked, {sends(kSetFrame), getsByte(kAck), getsNothing(ReadMode::Frame), purges()});
    ScriptedLink link(acked);
    const RunResult result = transmit(link, Entries(3, std::string(kSetEntry)));
    EXPECT_EQ(link.log(), link.expectedLog());
    EXPECT_EQ(link.elapsed(), std::chrono::milliseconds(3 * 1400));
    EXPECT_TRUE(result.summary.allAcknowledged());
}

// Asks the run to stop once a given piece of text has appeared.
class StoppingSink : public RecordingSink {
public:
    StoppingSink(std::stop_source& source, std::string trigger) : source_(source), trigger_(std::move(trigger)) {}
    void textAppended(std::string_view piece) override {
        RecordingSink::textAppended(piece);
        if (piece == trigger_)
            source_.request_stop();
    }

private:
    std::stop_source& source_;
    std::string trigger_;
};

// A stop ends the line under way and says so on a line of its own; a read it cut short is
// neither answered nor reported, and the line is purged.
TEST(TransmitSequence, StopsBeforeItsNextTransferAndSaysSo) {
    const struct {
        const char* why;
        std::string trigger; // the text after which the stop comes
        std::vector<ScriptStep> script;
        std::string text;
        std::string entry = std::string(kGetEntry);
    } cases[] = {
        {"between two frames of an entry",
         "1B0701010233BA",
         {sends(kGetFrame), getsByte(kAck), getsFrame(kDataFrame1), sends("06"), purges()},
         "(1) ACK 1B0701010233BA\r\nStopped.\r\n"},
        {"right after the ACK", "ACK ", {sends(kGetFrame), getsByte(kAck), purges()}, "(1) ACK \r\nStopped.\r\n"},
        {"during the wait for the reply byte",
         "(1) ",
         {sends(kGetFrame), getsNothing(ReadMode::Byte), purges()},
         "(1) \r\nStopped.\r\n"},
        {"during the wait for the answer to the speed query",
         "send command to get port speed.\r\n",
         {sends("1B0701000602F0"), getsByte(kAck), waits(kSpeedChangeWait), reopens(38400), sends("1B06020006F2"),
          getsNothing(ReadMode::Byte), purges()},
         "(1) ACK send command to get port speed.\r\nStopped.\r\n",
         "ESC 07 01 00 06 02 F0"},
        {"during the wait for the answer to a relayed mouse/port frame",
         "Send enable mouse/port command.\r\n",
         {sends(kGetFrame), getsByte(kAck), getsFrame("1B0701000801EF"), sends("06"), sends("1B0701000801EF"),
          getsNothing(ReadMode::Byte), purges()},
         "(1) ACK 1B0701000801EF\r\nSend enable mouse/port command.\r\nStopped.\r\n"},
    };
    for (const auto& c : cases) {
        std::stop_source source;
        StoppingSink sink(source, c.trigger);
        ScriptedLink link(c.script);
        TransmitSequence sequence(link, sink);
        const RunSummary summary = sequence.run(Entries{c.entry, std::string(kSetEntry)}, source.get_token());
        EXPECT_EQ(link.log(), link.expectedLog()) << c.why;
        EXPECT_EQ(sink.text, c.text) << c.why;
        EXPECT_TRUE(summary.stopped) << c.why;
        EXPECT_EQ(summary.outcomes, std::vector{EntryOutcome::Stopped}) << c.why;
        EXPECT_EQ(sink.runsFinished, 1) << c.why;
    }

    // Stopped before it starts: nothing goes out.
    ScriptedLink idle({});
    std::stop_source stopped;
    stopped.request_stop();
    const RunResult result = transmit(idle, {std::string(kSetEntry)}, stopped.get_token());
    EXPECT_TRUE(result.summary.stopped);
    EXPECT_EQ(idle.log(), idle.expectedLog());
    EXPECT_EQ(result.sink.text, "Stopped.\r\n");
}

TEST(TransmitSequence, ReadsEachEntryByPositionWhenItsTurnComes) {
    // The list shrinks during the first exchange: the run ends where the list now ends.
    Entries list{std::string(kSetEntry), std::string(kSetEntry), std::string(kSetEntry)};
    ScriptedLink link({sends(kSetFrame), getsByte(kNak)});
    RecordingSink sink;
    TransmitSequence sequence(link, sink);
    std::vector<std::size_t> reads;
    const RunSummary summary = sequence.run(list.size(), [&](std::size_t index) -> std::optional<std::string> {
        reads.push_back(index);
        if (index >= list.size())
            return std::nullopt;
        std::string text = list[index];
        list.resize(1);
        return text;
    });
    EXPECT_EQ(link.log(), link.expectedLog());
    EXPECT_EQ(reads, (std::vector<std::size_t>{0, 1}));
    EXPECT_EQ(summary.outcomes.size(), 1u);
}

} // namespace
} // namespace varnu::testing
