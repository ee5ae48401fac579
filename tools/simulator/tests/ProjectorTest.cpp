#include "tools/simulator/Projector.h"

#include <gtest/gtest.h>

namespace varnu::sim {
namespace {

using namespace std::chrono_literals;

Bytes hex(std::string_view text) {
    return parseHexBytes(text).value();
}

std::vector<Rule> rules(std::string_view text) {
    ParsedRules parsed = parseRules(text);
    EXPECT_FALSE(parsed.error) << parsed.error->message;
    return parsed.rules;
}

// Drives a projector the way the server does: input at a time, then advance at every wake-up.
class Line {
public:
    explicit Line(std::vector<Rule> rules = {}) : projector(std::move(rules)) {}

    // Sends `text` at the current time, then lets time run until nothing more is due, or
    // for `limit` at most; returns what the projector sent meanwhile.
    std::string send(std::string_view text, SimTime limit = 10s) {
        projector.receive(hex(text), now, baud);
        return runFor(limit);
    }

    std::string runFor(SimTime limit) {
        const SimTime end = now + limit;
        Bytes out;
        while (true) {
            ProjectorOutput step = projector.advance(now);
            out.insert(out.end(), step.bytes.begin(), step.bytes.end());
            hungUp = hungUp || step.hangUp;
            const auto wake = projector.nextWake();
            if (!wake || *wake > end)
                break;
            EXPECT_GT(*wake, now) << "a wake-up in the past makes the server spin";
            now = *wake;
        }
        now = end;
        return spacedHex(out);
    }

    Projector projector;
    SimTime now{};
    int baud = 9600;
    bool hungUp = false;
};

TEST(Projector, AnswersCommandsLikeAProjectorThatKeepsItsSettings) {
    Line line;
    // Nothing stored yet: a Get reads the value 0.
    EXPECT_EQ(line.send("1B 06 02 00 08 F0"), "06 1B 07 02 00 08 00 EF");
    EXPECT_EQ(line.send("06"), "");
    EXPECT_EQ(line.send("1B 07 01 00 08 01 EF"), "06");
    EXPECT_EQ(line.send("1B 06 02 00 08 F0"), "06 1B 07 02 00 08 01 EE");
    EXPECT_EQ(line.send("06"), "");
    // The items before the data byte say where it goes: address 34 and address 35 differ.
    EXPECT_EQ(line.send(spacedHex(makeFrame(hex("01 02 03 34 7F")))), "06");
    EXPECT_EQ(line.send(spacedHex(makeFrame(hex("02 02 03 34")))), "06 " + spacedHex(makeFrame(hex("02 02 03 34 7F"))));
    EXPECT_EQ(line.send("06"), "");
    EXPECT_EQ(line.send(spacedHex(makeFrame(hex("02 02 03 35")))), "06 " + spacedHex(makeFrame(hex("02 02 03 35 00"))));
    EXPECT_EQ(line.send("06"), "");
    // Reset brings the setting back to its default.
    EXPECT_EQ(line.send(spacedHex(makeFrame(hex("03 00 08")))), "06");
    EXPECT_EQ(line.send("1B 06 02 00 08 F0"), "06 1B 07 02 00 08 00 EF");
}

TEST(Projector, RefusesWhatIsNotAValidCommand) {
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"1B 07 01 00 08 01 EE", "wrong checksum"},
        {"1B 07 04 00 08 01 EC", "unknown attribute"},
        {"1B 03 FD", "too short to be a command"},
        {"1B 00", "length byte 0"},
    };
    for (const auto& [frame, why] : cases) {
        Line line;
        EXPECT_EQ(line.send(frame), "15") << why;
    }
}

TEST(Projector, IgnoresBytesBeforeAFrameAndWaitsForSlowPieces) {
    Line line;
    EXPECT_EQ(line.send("41 42 06 1B 07 01", 0s), "");
    line.runFor(150ms);
    EXPECT_EQ(line.send("00 08 01 EF"), "06");

    // A frame that pauses for longer than the gap is dropped unanswered.
    EXPECT_EQ(line.send("1B 07 01", FrameAssembler::kFrameGap + 50ms), "");
    EXPECT_EQ(line.send("00 08 01 EF"), "");
}

TEST(Projector, FollowsThePortSpeedCommandAndLosesFramesSentAtAnotherSpeed) {
    Line line;
    EXPECT_EQ(line.send("1B 07 01 00 06 02 F0"), "06");
    EXPECT_EQ(line.projector.expectedBaud(), 38400);
    // The client has not switched yet: its frame arrives garbled and gets no answer.
    EXPECT_EQ(line.send("1B 07 01 00 08 01 EF"), "");
    line.baud = 38400;
    EXPECT_EQ(line.send("1B 06 02 00 06 F2"), "06 1B 07 02 00 06 02 EF");
    EXPECT_EQ(line.send("06"), "");
    EXPECT_EQ(line.send("1B 07 01 00 08 01 EF"), "06");

    // An unknown speed code is acknowledged and changes nothing.
    EXPECT_EQ(line.send("1B 07 01 00 06 05 ED"), "06");
    EXPECT_EQ(line.projector.expectedBaud(), 38400);
    // A client at a speed outside the table never matches.
    line.baud = 115200;
    EXPECT_EQ(line.send("1B 07 01 00 08 01 EF"), "");
}

TEST(Projector, PacesItsOutputAtTheWireTimeOfTheLineSpeed) {
    for (int baud : {9600, 38400}) {
        Line line;
        if (baud != 9600) {
            line.send("1B 07 01 00 06 02 F0");
            line.baud = baud;
        }
        line.projector.receive(hex("1B 06 02 00 08 F0"), line.now, baud);
        // ACK plus a 7-byte frame: 8 bytes of 10 bits each after the answer delay.
        const SimTime perByte = byteTime(baud);
        const SimTime lastByte = Projector::kAnswerDelay + 8 * perByte;
        std::size_t sent = 0;
        sent += line.projector.advance(line.now).bytes.size();
        sent += line.projector.advance(line.now + lastByte - perByte).bytes.size();
        EXPECT_EQ(sent, 7u) << baud;
        EXPECT_EQ(line.projector.advance(line.now + lastByte).bytes.size(), 1u) << baud;
    }
    EXPECT_EQ(byteTime(9600), 1041us);
}

TEST(Projector, WaitsForTheClientsReplyAfterEachDataFrame) {
    Line line(rules("on 1B 06 02 01 -> ack, frame 02 01 00 10, frame 02 01 00 20"));
    const std::string first = "06 " + spacedHex(makeFrame(hex("02 01 00 10")));
    const std::string second = spacedHex(makeFrame(hex("02 01 00 20")));
    EXPECT_EQ(line.send(spacedHex(makeFrame(hex("02 01 00"))), 500ms), first);
    EXPECT_EQ(line.send("06"), second);
    // A NAK also lets the projector go on; a reply that came before the frame does not count.
    EXPECT_EQ(line.send("06"), "");
    EXPECT_EQ(line.send(spacedHex(makeFrame(hex("02 01 00"))), 500ms), first);
    EXPECT_EQ(line.send("15", 1ms), "");
    EXPECT_EQ(line.runFor(100ms), second);
    // Without any reply the next frame follows after the wait.
    line.send("06");
    line.send(spacedHex(makeFrame(hex("02 01 00"))), 100ms);
    EXPECT_EQ(line.runFor(Projector::kReplyWait - 200ms), "");
    EXPECT_EQ(line.runFor(200ms), second);
    // A new command in place of the reply (a client that stopped halfway): the rest of the
    // exchange is dropped and the command answered at once.
    line.send("06");
    line.send(spacedHex(makeFrame(hex("02 01 00"))), 100ms);
    EXPECT_EQ(line.send("1B 07 01 00 08 01 EF", 100ms), "06");
}

TEST(Projector, AnswersCommandsThatArriveWhileBusyInTheirTurn) {
    Line line(rules("on 1B 06 02 01 -> ack, delay 100, bytes 41"));
    line.projector.receive(hex(spacedHex(makeFrame(hex("02 01 00"))) + " 1B 07 01 00 08 01 EF"), line.now, 9600);
    EXPECT_EQ(line.runFor(1s), "06 41 06");
}

TEST(Projector, HoldsOneFrameBehindTheOneItIsAnsweringAndLosesTheRest) {
    Line line(rules("on 1B 06 02 01 -> ack, delay 100, bytes 41"));
    const std::string busy = spacedHex(makeFrame(hex("02 01 00")));
    line.projector.receive(hex(busy + " 1B 07 01 00 08 01 EF 1B 07 01 00 08 00 F0"), line.now, 9600);
    EXPECT_EQ(line.runFor(1s), "06 41 06");
}

// Line noise at line speed for two seconds, then a quiet gap and a good Set. A projector
// answers garbage no faster than it can: once the noise stops, what it still owes the line is
// a few bytes, and the good frame gets its ACK at once.
TEST(Projector, KeepsNoBacklogOfAnswersToLineNoise) {
    struct Case {
        const char* name;
        Bytes noise;
    };
    Bytes random(2000);
    std::uint32_t state = 12345;
    for (std::uint8_t& byte : random) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<std::uint8_t>(state >> 16);
    }
    Bytes shortFrames; // "1B 00" over and over: the most answers per byte received
    while (shortFrames.size() < random.size()) {
        shortFrames.push_back(0x1B);
        shortFrames.push_back(0x00);
    }
    constexpr std::size_t kChunk = 16;
    constexpr std::size_t kMostOwedBytes = 16;
    for (const Case& c : {Case{"random bytes", random}, Case{"short frames", shortFrames}}) {
        Line line;
        std::size_t answered = 0;
        for (std::size_t at = 0; at < c.noise.size(); at += kChunk) {
            const std::size_t size = std::min(kChunk, c.noise.size() - at);
            line.projector.receive(std::span(c.noise).subspan(at, size), line.now, line.baud);
            answered += hex(line.runFor(static_cast<long>(size) * byteTime(line.baud))).size();
        }
        EXPECT_GT(answered, 0u) << c.name;
        const std::string owed = line.runFor(FrameAssembler::kFrameGap + 50ms);
        EXPECT_LE(hex(owed).size(), kMostOwedBytes) << c.name << ": " << owed;
        EXPECT_EQ(line.send("1B 07 01 00 08 01 EF", 100ms), "06") << c.name;
    }
}

TEST(Projector, TellsEachRunOfLostInputOnce) {
    Line line;
    auto notesUntil = [&](SimTime end) {
        std::vector<std::string> texts;
        for (; line.now <= end; line.now += 10ms)
            for (const ProjectorNote& n : line.projector.advance(line.now).notes)
                texts.push_back(n.text);
        return texts;
    };
    // Junk in three pieces, then a frame: one note when the frame ends the run.
    line.projector.receive(hex("41 42 43"), line.now, 9600);
    line.projector.receive(hex("44"), line.now + 10ms, 9600);
    line.projector.receive(hex("45 46 1B 07 01 00 08 01 EF"), line.now + 20ms, 9600);
    EXPECT_EQ(notesUntil(line.now + 30ms), (std::vector<std::string>{"stray bytes outside a frame: 6 byte(s) lost"}));
    // Junk followed by silence is told once the line has been quiet for the gap; so is
    // input at the wrong speed.
    line.projector.receive(hex("41 42"), line.now, 9600);
    EXPECT_EQ(notesUntil(line.now + LossTally::kQuietGap + 20ms),
              (std::vector<std::string>{"stray bytes outside a frame: 2 byte(s) lost"}));
    line.projector.receive(hex("1B 07 01"), line.now, 19200);
    line.projector.receive(hex("00 08 01 EF"), line.now + 5ms, 19200);
    EXPECT_EQ(line.projector.takePendingNote(), "garbled: line at 19200, projector at 9600: 7 byte(s) lost");
}

TEST(Projector, RulesComeFirstAndOnceRulesStepAside) {
    Line line(rules("on 1B 06 02 00 08 once -> nak\n"
                    "on 1B 07 01 00 08 01 EE -> ack\n"
                    "on 1B 06 02 00 08 -> silence\n"));
    EXPECT_EQ(line.send("1B 06 02 00 08 F0"), "15");
    EXPECT_EQ(line.send("1B 06 02 00 08 F0"), "");
    // A rule can accept what the default answer refuses (here a wrong checksum).
    EXPECT_EQ(line.send("1B 07 01 00 08 01 EE"), "06");
    EXPECT_EQ(line.send("1B 07 01 00 08 01 EF"), "06");
}

TEST(Projector, ProducesBrokenAndOddFramesOnRequest) {
    Line line(rules("on 1B 06 02 00 01 -> ack, cut 4 02 00 01 05, cut 2 02 00 01 05\n"
                    "on 1B 06 02 00 02 -> ack, long 80\n"
                    "on 1B 06 02 00 03 -> junk 3, bytes 00, rawframe 1B 07 02 00 03 01 00\n"
                    "on 1B 06 02 00 04 -> delay 50, default\n"));
    EXPECT_EQ(line.send(spacedHex(makeFrame(hex("02 00 01"))), 500ms), "06 1B 07 02 00");
    EXPECT_EQ(line.send("15"), "1B 07");

    const std::string longFrame = line.send(spacedHex(makeFrame(hex("02 00 02"))), 500ms);
    const Bytes longBytes = hex(longFrame);
    ASSERT_EQ(longBytes.size(), 1u + 0x80);
    EXPECT_EQ(longBytes[2], 0x80);
    EXPECT_TRUE(hasValidChecksum(std::span(longBytes).subspan(1)));

    EXPECT_EQ(line.send("15", 0s), "");
    EXPECT_EQ(line.send(spacedHex(makeFrame(hex("02 00 03"))), 500ms), "41 42 43 00 1B 07 02 00 03 01 00");
    line.send("06");
    EXPECT_EQ(line.send(spacedHex(makeFrame(hex("02 00 04"))), 30ms), "");
    EXPECT_EQ(line.runFor(100ms), "06 " + spacedHex(makeFrame(hex("02 00 04 00"))));
}

TEST(Projector, SendsAMouseFrameAndAnswersItsRelay) {
    struct Case {
        std::string_view rule;
        std::string_view answer;
    };
    const Case cases[] = {{"mouse enable", "06"}, {"mouse disable nak", "15"}, {"mouse enable silence", ""}};
    for (const Case& c : cases) {
        Line line(rules("on 1B 06 02 00 09 -> ack, " + std::string(c.rule)));
        const Bytes mouse =
            makeFrame(hex(c.rule.find("enable") != std::string_view::npos ? "01 00 08 01" : "01 00 08 00"));
        EXPECT_EQ(line.send(spacedHex(makeFrame(hex("02 00 09"))), 500ms), "06 " + spacedHex(mouse)) << c.rule;
        EXPECT_EQ(line.send("06", 300ms), "") << c.rule;
        EXPECT_EQ(line.send(spacedHex(mouse)), c.answer) << c.rule;
        // The relayed frame was consumed: it is not answered again as a command.
        EXPECT_EQ(line.runFor(5s), "") << c.rule;
    }
}

TEST(Projector, TreatsAnotherFrameInPlaceOfTheRelayAsACommand) {
    Line line(rules("on 1B 06 02 00 09 -> ack, mouse enable nak"));
    line.send(spacedHex(makeFrame(hex("02 00 09"))), 500ms);
    line.send("06", 300ms);
    EXPECT_EQ(line.send("1B 07 01 00 08 00 F0"), "06");
}

TEST(Projector, StopsAtAHangUpAndForgetsWhatWasHalfReceived) {
    Line line(rules("on 1B 06 02 00 0A -> ack, hangup, bytes 41"));
    line.projector.receive(hex(spacedHex(makeFrame(hex("02 00 0A"))) + " 1B 07 01"), line.now, 9600);
    EXPECT_TRUE(line.projector.advance(line.now).bytes.empty());
    ProjectorOutput out = line.projector.advance(line.now + 50ms);
    EXPECT_EQ(spacedHex(out.bytes), "06");
    EXPECT_TRUE(out.hangUp);
    // The rest of the frame begun before the hang-up is only stray bytes now.
    line.projector.receive(hex("00 08 01 EF"), line.now + 50ms, 9600);
    EXPECT_EQ(spacedHex(line.projector.advance(line.now + 100ms).bytes), "41");
}

} // namespace
} // namespace varnu::sim
