#pragma once
// The simulated projector as a pure state machine: bytes come in with the time and the
// client's line speed, paced output comes out when it is due. No I/O happens here.

#include "tools/simulator/DefaultAnswer.h"
#include "tools/simulator/FrameAssembler.h"
#include "tools/simulator/LineTiming.h"
#include "tools/simulator/LossTally.h"
#include "tools/simulator/Rules.h"

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace varnu::sim {

// What happened, for the log; it happened after the first `afterBytes` bytes of the output.
struct ProjectorNote {
    std::size_t afterBytes = 0;
    std::string text;
};

struct ProjectorOutput {
    Bytes bytes;                      // to be written to the line now
    bool hangUp = false;              // after the bytes: drop the line
    std::vector<ProjectorNote> notes; // in order
};

class Projector {
public:
    // A projector needs a moment before it answers.
    static constexpr SimTime kAnswerDelay = std::chrono::milliseconds(2);
    // How long it waits for the client's ACK or NAK after a data frame, and for a relayed frame.
    static constexpr SimTime kReplyWait = std::chrono::milliseconds(2000);
    // Like a projector's receive buffer, it holds the frame it is answering and one more;
    // frames beyond that are lost, so garbage never queues answers that go on for minutes.
    static constexpr std::size_t kMaxHeldFrames = 2;
    // Only the first ACK or NAK after a data frame counts; later ones are not kept.
    static constexpr std::size_t kMaxHeldReplies = 1;

    explicit Projector(std::vector<Rule> rules = {});

    // Bytes from the client. When the client's line speed is not the one the projector
    // expects, the bytes are garbled on the way and are lost.
    void receive(std::span<const std::uint8_t> bytes, SimTime now, int clientBaud);

    // Runs everything due at `now`. Stops right after a hang-up so that the line can be
    // dropped before anything later goes out.
    ProjectorOutput advance(SimTime now);

    // The next time advance() has something to do, if any.
    std::optional<SimTime> nextWake() const;

    int expectedBaud() const;

    // The note not yet told of a run of lost input that has not ended, for the end of the log.
    std::optional<std::string> takePendingNote() { return losses_.end(); }

private:
    struct Step {
        enum class Kind { Send, Pause, AwaitReply, AwaitRelay, HangUp, SetSpeed };
        Kind kind{};
        Bytes bytes{};              // Send: the bytes; AwaitRelay: the frame that should come back
        bool opensExchange = false; // Send of a data frame: earlier replies no longer count
        SimTime duration{};         // Pause
        int speedCode = 0;          // SetSpeed
        std::optional<std::uint8_t> relayAnswer{};
        std::size_t sent = 0;
    };
    // Abandoned: the client moved on to a new command, so the rest of this exchange is dropped.
    enum class StepResult { Done, Waiting, Replaced, Abandoned };

    void answer(const Bytes& frame);
    void appendSteps(const Action& action, const Bytes& frame);
    void appendDataFrame(Bytes frame);
    // Waiting until kReplyWait has passed since the step began, then Done with the note.
    StepResult waitForClient(SimTime now, const char* giveUpNote);
    StepResult runStep(Step& step, SimTime now, ProjectorOutput& out);
    void note(std::string text) { notes_.push_back({emitted_, std::move(text)}); }
    void noteIfAny(std::optional<std::string> text) {
        if (text)
            note(std::move(*text));
    }
    void lose(const std::string& reason, std::size_t count, const char* unit, SimTime now) {
        noteIfAny(losses_.add(reason, count, unit, now));
    }
    // Frames received and not yet answered, plus the one being answered.
    std::size_t heldFrames() const { return inbox_.size() + (steps_.empty() ? 0 : 1); }

    std::vector<Rule> rules_;
    std::vector<bool> fired_;
    FrameAssembler assembler_;
    LossTally losses_;
    ProjectorMemory memory_;
    std::deque<Bytes> inbox_;          // complete frames not yet answered
    std::deque<std::uint8_t> replies_; // the client's ACK and NAK bytes
    std::deque<Step> steps_;
    SimTime readyAt_{}; // when the front step may go on
    int speedCode_ = 0;
    std::vector<ProjectorNote> notes_;
    std::size_t emitted_ = 0; // bytes output so far by the running advance()
};

} // namespace varnu::sim
