#include "tools/simulator/Projector.h"

#include "serial/core/Link.h"

#include <algorithm>

namespace varnu::sim {

namespace {

// Junk is plain capital letters: never ESC, ACK or NAK.
Bytes junkBytes(int count) {
    Bytes bytes;
    for (int i = 0; i < count; ++i)
        bytes.push_back(static_cast<std::uint8_t>('A' + i % 26));
    return bytes;
}

// A Get answer of `length` bytes, zeros after the header: long enough for a length byte of 80 or more.
Bytes longFrame(int length) {
    Bytes body(static_cast<std::size_t>(length) - 3, 0x00);
    body[0] = kAttributeGet;
    return makeFrame(body);
}

Bytes mouseFrame(bool enable) {
    return makeFrame(Bytes{kAttributeSet, 0x00, 0x08, static_cast<std::uint8_t>(enable ? 1 : 0)});
}

// A relayed mouse/port frame is recognised by its first six bytes, as the client does.
constexpr std::size_t kRelayMatchSize = 6;

bool startsWith(const Bytes& bytes, std::span<const std::uint8_t> prefix) {
    return bytes.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), bytes.begin());
}

} // namespace

Projector::Projector(std::vector<Rule> rules) : rules_(std::move(rules)), fired_(rules_.size(), false) {}

int Projector::expectedBaud() const {
    return baudForSpeedCode(speedCode_).value_or(kDefaultBaud);
}

void Projector::receive(std::span<const std::uint8_t> bytes, SimTime now, int clientBaud) {
    if (clientBaud != expectedBaud()) {
        assembler_.reset();
        lose("garbled: line at " + std::to_string(clientBaud) + ", projector at " + std::to_string(expectedBaud()),
             bytes.size(), "byte(s)", now);
        return;
    }
    std::vector<Arrival> arrivals;
    assembler_.feed(bytes, now, arrivals);
    for (Arrival& arrival : arrivals) {
        const bool reply =
            arrival.kind == Arrival::Kind::Byte && (arrival.bytes[0] == kAck || arrival.bytes[0] == kNak);
        if (arrival.kind == Arrival::Kind::Byte && !reply) {
            lose("stray bytes outside a frame", 1, "byte(s)", now);
        } else if (arrival.kind == Arrival::Kind::Frame && heldFrames() >= kMaxHeldFrames) {
            lose("busy answering", 1, "frame(s)", now);
        } else {
            noteIfAny(losses_.end());
            if (!reply)
                inbox_.push_back(std::move(arrival.bytes));
            else if (replies_.size() < kMaxHeldReplies)
                replies_.push_back(arrival.bytes[0]);
        }
    }
}

void Projector::answer(const Bytes& frame) {
    for (std::size_t i = 0; i < rules_.size(); ++i) {
        const Rule& rule = rules_[i];
        if ((rule.once && fired_[i]) || !startsWith(frame, rule.prefix))
            continue;
        fired_[i] = true;
        note("rule of line " + std::to_string(rule.line) + " answers " + spacedHex(frame));
        for (const Action& action : rule.actions)
            appendSteps(action, frame);
        return;
    }
    for (const Action& action : defaultAnswer(frame, memory_, speedCode_))
        appendSteps(action, frame);
}

void Projector::appendDataFrame(Bytes frame) {
    steps_.push_back({.kind = Step::Kind::Send, .bytes = std::move(frame), .opensExchange = true});
    steps_.push_back({.kind = Step::Kind::AwaitReply});
}

void Projector::appendSteps(const Action& action, const Bytes& frame) {
    using K = Action::Kind;
    auto send = [this](Bytes bytes) { steps_.push_back({.kind = Step::Kind::Send, .bytes = std::move(bytes)}); };
    switch (action.kind) {
    case K::Ack:
        send({kAck});
        break;
    case K::Nak:
        send({kNak});
        break;
    case K::Bytes:
        send(action.bytes);
        break;
    case K::Junk:
        send(junkBytes(action.count));
        break;
    case K::Frame:
        appendDataFrame(makeFrame(action.bytes));
        break;
    case K::RawFrame:
        appendDataFrame(action.bytes);
        break;
    case K::CutFrame: {
        Bytes cut = makeFrame(action.bytes);
        cut.resize(static_cast<std::size_t>(action.count));
        appendDataFrame(std::move(cut));
        break;
    }
    case K::LongFrame:
        appendDataFrame(longFrame(action.count));
        break;
    case K::Silence:
        break;
    case K::Delay:
        steps_.push_back({.kind = Step::Kind::Pause, .duration = std::chrono::milliseconds(action.count)});
        break;
    case K::HangUp:
        steps_.push_back({.kind = Step::Kind::HangUp});
        break;
    case K::Speed:
        steps_.push_back({.kind = Step::Kind::SetSpeed, .speedCode = action.count});
        break;
    case K::Mouse: {
        Bytes mouse = mouseFrame(action.enable);
        appendDataFrame(mouse);
        steps_.push_back(
            {.kind = Step::Kind::AwaitRelay, .bytes = std::move(mouse), .relayAnswer = action.relayAnswer});
        break;
    }
    case K::Default:
        for (const Action& inner : defaultAnswer(frame, memory_, speedCode_))
            appendSteps(inner, frame);
        break;
    }
}

Projector::StepResult Projector::waitForClient(SimTime now, const char* giveUpNote) {
    if (now < readyAt_ + kReplyWait)
        return StepResult::Waiting;
    note(giveUpNote);
    readyAt_ += kReplyWait;
    return StepResult::Done;
}

Projector::StepResult Projector::runStep(Step& step, SimTime now, ProjectorOutput& out) {
    using Kind = Step::Kind;
    switch (step.kind) {
    case Kind::Send: {
        // Each byte leaves when its wire time at the current speed has passed.
        const SimTime perByte = byteTime(expectedBaud());
        while (step.sent < step.bytes.size() && readyAt_ + perByte <= now) {
            if (step.sent == 0 && step.opensExchange)
                replies_.clear();
            out.bytes.push_back(step.bytes[step.sent++]);
            ++emitted_;
            readyAt_ += perByte;
        }
        return step.sent == step.bytes.size() ? StepResult::Done : StepResult::Waiting;
    }
    case Kind::Pause:
        if (now < readyAt_ + step.duration)
            return StepResult::Waiting;
        readyAt_ += step.duration;
        return StepResult::Done;
    case Kind::AwaitReply:
        if (!replies_.empty()) {
            note(std::string("client answered ") + (replies_.front() == kAck ? "ACK" : "NAK"));
            replies_.pop_front();
            readyAt_ = std::max(readyAt_, now);
            return StepResult::Done;
        }
        // A command instead of the answer: the client has given up on this exchange (a run
        // stopped halfway), and a projector serves the new command rather than keep it waiting.
        if (!inbox_.empty()) {
            note("a new command came instead of ACK or NAK: the rest of this exchange is dropped");
            readyAt_ = std::max(readyAt_, now);
            return StepResult::Abandoned;
        }
        return waitForClient(now, "no ACK or NAK from the client");
    case Kind::AwaitRelay:
        if (!inbox_.empty()) {
            readyAt_ = std::max(readyAt_, now);
            if (!startsWith(inbox_.front(), std::span(step.bytes).first(kRelayMatchSize))) {
                note("expected the relayed mouse/port frame, got " + spacedHex(inbox_.front()));
                return StepResult::Done;
            }
            note("relayed frame " + spacedHex(inbox_.front()));
            inbox_.pop_front();
            if (!step.relayAnswer)
                return StepResult::Done;
            step = Step{.kind = Kind::Send, .bytes = {*step.relayAnswer}};
            return StepResult::Replaced;
        }
        return waitForClient(now, "the mouse/port frame was not relayed");
    case Kind::HangUp:
        out.hangUp = true;
        inbox_.clear();
        replies_.clear();
        assembler_.reset();
        readyAt_ = std::max(readyAt_, now);
        return StepResult::Done;
    case Kind::SetSpeed:
        speedCode_ = step.speedCode;
        note("line speed now " + std::to_string(expectedBaud()));
        return StepResult::Done;
    }
    return StepResult::Done;
}

ProjectorOutput Projector::advance(SimTime now) {
    ProjectorOutput out;
    noteIfAny(losses_.expire(now));
    if (assembler_.expire(now))
        note("a frame stopped arriving and was dropped");
    while (!out.hangUp) {
        if (steps_.empty()) {
            if (inbox_.empty())
                break;
            readyAt_ = std::max(readyAt_, now) + kAnswerDelay;
            const Bytes frame = std::move(inbox_.front());
            inbox_.pop_front();
            answer(frame);
            continue;
        }
        const StepResult result = runStep(steps_.front(), now, out);
        if (result == StepResult::Waiting)
            break;
        if (result == StepResult::Done)
            steps_.pop_front();
        else if (result == StepResult::Abandoned)
            steps_.clear();
    }
    out.notes = std::move(notes_);
    notes_.clear();
    emitted_ = 0;
    return out;
}

std::optional<SimTime> Projector::nextWake() const {
    std::optional<SimTime> wake = assembler_.expiry();
    auto consider = [&wake](SimTime t) { wake = wake ? std::min(*wake, t) : t; };
    if (const auto lossesEnd = losses_.expiry())
        consider(*lossesEnd);
    if (steps_.empty()) {
        if (!inbox_.empty())
            consider(readyAt_);
        return wake;
    }
    const Step& step = steps_.front();
    switch (step.kind) {
    case Step::Kind::Send:
        consider(readyAt_ + byteTime(expectedBaud()));
        break;
    case Step::Kind::Pause:
        consider(readyAt_ + step.duration);
        break;
    case Step::Kind::AwaitReply:
        consider(replies_.empty() && inbox_.empty() ? readyAt_ + kReplyWait : readyAt_);
        break;
    case Step::Kind::AwaitRelay:
        consider(inbox_.empty() ? readyAt_ + kReplyWait : readyAt_);
        break;
    case Step::Kind::HangUp:
    case Step::Kind::SetSpeed:
        consider(readyAt_);
        break;
    }
    return wake;
}

} // namespace varnu::sim
