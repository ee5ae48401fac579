// The wire trace around a scripted line: one line per transfer at the line's own virtual
// time, the results passed on unchanged, and with a catalogue a decode after each whole frame.

#include "protocol/WireTraceLink.h"
#include "protocol/TransmitSequence.h"
#include "serial/core/testing/ScriptedLink.h"

#include <gtest/gtest.h>

namespace varnu::testing {
namespace {

using namespace std::chrono_literals;

// The scripted line's own virtual time, so trace times are exact.
class ScriptTime final : public Clock {
public:
    explicit ScriptTime(const ScriptedLink& link) : link_(link) {}
    TimePoint now() const override { return TimePoint{} + link_.elapsed(); }
    bool sleepFor(std::chrono::milliseconds, std::stop_token) override { return true; }

private:
    const ScriptedLink& link_;
};

struct IgnoreText final : TransmitSink {
    void textAppended(std::string_view) override {}
};

struct TraceText final : WireTraceSink {
    void traceLine(std::string_view line) override {
        text += line;
        text += '\n';
    }
    std::string text;
};

TEST(WireTraceLink, TracesEachTransferAndPassesItsResultOn) {
    // A Get with a broken frame, a speed change that cannot reopen, a frame cut short on the way out.
    ScriptedLink inner({sends("1B 06 02 00 08 F0"), getsByte(kAck), getsBrokenFrame(), purges(), sends("15"),
                        getsNothing(ReadMode::Frame), purges(), sends("1B 07 01 00 06 02 F0"), getsByte(kAck),
                        waits(500ms), failsToReopen(38400), getsNothing(ReadMode::Frame), purges(),
                        sendsPart("1B 07 01 00 08 01 EF", 3)});
    ScriptTime time(inner);
    TraceText trace;
    WireTraceLink logged(inner, time, trace);
    IgnoreText sink;
    const std::vector<std::string> entries{"(1) ESC 06 02 00 08 F0", "(2) ESC 07 01 00 06 02 F0",
                                           "(3) ESC 07 01 00 08 01 EF"};

    const RunSummary summary = TransmitSequence(logged, sink).run(entries);

    EXPECT_EQ(inner.log(), inner.expectedLog());
    EXPECT_EQ(summary.outcomes,
              (std::vector{EntryOutcome::ReceptionFailed, EntryOutcome::SpeedChangeFailed, EntryOutcome::WriteFailed}));
    EXPECT_EQ(trace.text, "       0.000 out 1B 06 02 00 08 F0\n"
                          "       0.000 in  06\n"
                          "    1400.000 in  (broken frame)\n"
                          "    1400.000 --- purge\n"
                          "    1400.000 out 15\n"
                          "    2800.000 in  (nothing)\n"
                          "    2800.000 --- purge\n"
                          "    2800.000 out 1B 07 01 00 06 02 F0\n"
                          "    2800.000 in  06\n"
                          "    2800.000 --- wait 500 ms\n"
                          "    3300.000 --- reopen at 38400: failed\n"
                          "    4700.000 in  (nothing)\n"
                          "    4700.000 --- purge\n"
                          "    4700.000 out 1B 07 01 (3 of 7 bytes written)\n");
}

TEST(WireTraceLink, FollowsEveryWholeFrameWithItsDecode) {
    Catalogue catalogue;
    catalogue.forms.push_back(TargetForm{.name = "Port", .codes = {std::vector<std::uint8_t>{Data, End}, {End}}});
    CommandFunction mouse;
    mouse.name = "Mouse";
    mouse.targets = {"Port"};
    catalogue.groups.push_back({"System", std::vector<CommandFunction>(9, mouse)});

    // The projector's mouse/port frame is acknowledged (one byte, no decode), relayed as a
    // whole frame and answered; the half-written frame of the next entry gets no decode.
    ScriptedLink inner({sends("1B 06 02 00 08 F0"), getsByte(kAck), getsFrame("1B 07 01 00 08 01 EF"), sends("06"),
                        sends("1B 07 01 00 08 01 EF"), getsByte(kAck), getsNothing(ReadMode::Frame), purges(),
                        sendsPart("1B 06 02 00 08 F0", 2)});
    ScriptTime time(inner);
    TraceText trace;
    WireTraceLink logged(inner, time, trace, &catalogue);
    IgnoreText sink;
    TransmitSequence(logged, sink).run(std::vector<std::string>{"ESC 06 02 00 08 F0", "ESC 06 02 00 08 F0"});

    EXPECT_EQ(inner.log(), inner.expectedLog());
    EXPECT_EQ(trace.text,
              "       0.000 out 1B 06 02 00 08 F0\n"
              "       0.000 dec Get, class 00 System, function 08 Mouse, target Port\n"
              "       0.000 in  06\n"
              "       0.000 in  1B 07 01 00 08 01 EF\n"
              "       0.000 dec Data frame (Set), class 00 System, function 08 Mouse, target Port: Data 01 (1); enable "
              "mouse/port command\n"
              "       0.000 out 06\n"
              "       0.000 out 1B 07 01 00 08 01 EF\n"
              "       0.000 dec Set, class 00 System, function 08 Mouse, target Port: Data 01 (1); enable mouse/port "
              "command\n"
              "       0.000 in  06\n"
              "    1400.000 in  (nothing)\n"
              "    1400.000 --- purge\n"
              "    1400.000 out 1B 06 (2 of 6 bytes written)\n");
}

} // namespace
} // namespace varnu::testing
