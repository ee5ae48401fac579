#include "protocol/TransmitSequence.h"

#include "protocol/FrameText.h"
#include "protocol/LinkControl.h"
#include "protocol/ReceiveListTexts.h"

#include <algorithm>

namespace varnu {

namespace {

constexpr std::uint8_t kAckByte[] = {kAck};
constexpr std::uint8_t kNakByte[] = {kNak};

// The number text starts every entry's lines: "(n) ", n counted from 1 by position.
std::string numberText(std::size_t position) {
    return "(" + std::to_string(position) + ") ";
}

bool isCompleteFrame(int readResult, const std::vector<std::uint8_t>& received) {
    return readResult > 0 && static_cast<std::size_t>(readResult) <= received.size() &&
           static_cast<std::size_t>(readResult) <= kMaxReceivedFrameBytes;
}

} // namespace

bool RunSummary::allAcknowledged() const {
    return !stopped && std::all_of(outcomes.begin(), outcomes.end(),
                                   [](EntryOutcome outcome) { return outcome == EntryOutcome::Acknowledged; });
}

// Hands the text of the link-control steps (speed change, relay) to the sink through
// append(), so that the run knows whether a line is under way when a stop comes.
class TransmitSequence::LineKeeper final : public TransmitSink {
public:
    explicit LineKeeper(TransmitSequence& sequence) : sequence_(sequence) {}
    void textAppended(std::string_view text) override { sequence_.append(text); }
    void portSpeedChanged(std::uint32_t baudRate) override { sequence_.sink_.portSpeedChanged(baudRate); }

private:
    TransmitSequence& sequence_;
};

TransmitSequence::TransmitSequence(Link& link, TransmitSink& sink) : link_(link), sink_(sink) {}

RunSummary TransmitSequence::run(std::span<const std::string> entries, std::stop_token stop) {
    return run(
        entries.size(),
        [entries](std::size_t index) -> std::optional<std::string> {
            if (index >= entries.size())
                return std::nullopt;
            return entries[index];
        },
        std::move(stop));
}

void TransmitSequence::append(std::string_view text) {
    if (!text.empty())
        lineOpen_ = !text.ends_with(kLineEnd);
    sink_.textAppended(text);
}

EntryOutcome TransmitSequence::stopHere() {
    if (lineOpen_)
        append(kLineEnd);
    append(kStoppedText);
    link_.purge();
    return EntryOutcome::Stopped;
}

RunSummary TransmitSequence::run(std::size_t count, const EntryReader& readEntry, std::stop_token stop) {
    stop_ = std::move(stop);
    lineOpen_ = false;
    RunSummary summary;
    for (std::size_t index = 0; index < count; ++index) {
        if (stop_.stop_requested()) {
            append(kStoppedText); // between two entries: no line is under way, nothing to discard
            summary.stopped = true;
            break;
        }
        const std::optional<std::string> text = readEntry(index);
        if (!text)
            break; // the list lost its later entries while the run waited
        sink_.entryStarted(index);
        const EntryOutcome outcome = transmitEntry(index + 1, *text);
        summary.outcomes.push_back(outcome);
        sink_.entryFinished(index, outcome);
        if (outcome == EntryOutcome::Stopped) {
            summary.stopped = true;
            break;
        }
    }
    sink_.runFinished(summary);
    return summary;
}

EntryOutcome TransmitSequence::transmitEntry(std::size_t position, std::string_view text) {
    const std::vector<std::uint8_t> frame = BuildFrame(text);
    const bool expectsData = frame.size() > 2 && frame[2] == kGetAttributeCode;
    const std::optional<std::uint8_t> speedCode = portSpeedCode(frame);

    const std::string number = numberText(position);
    append(number);

    // A text without a frame in it sends nothing: it is a failed transmission, not a silent
    // projector.
    if (frame.empty() || link_.writePort(frame) != frame.size()) {
        append(kTransmissionFailureText);
        return EntryOutcome::WriteFailed;
    }

    std::vector<std::uint8_t> received;
    const int reply = link_.readPort(received, ReadMode::Byte);
    const ReplyByte replyByte = classifyReply(reply, received);
    if (replyByte == ReplyByte::None && stop_.stop_requested())
        return stopHere();
    switch (replyByte) {
    case ReplyByte::None:
        append(kNoResponseText);
        return EntryOutcome::NoResponse;
    case ReplyByte::Nak:
        append(kNakText);
        return EntryOutcome::Refused;
    case ReplyByte::Other:
        append(kUnexpectedReplyText);
        link_.purge();
        return EntryOutcome::UnexpectedReply;
    case ReplyByte::Ack:
        break;
    }

    append(kAckText);
    LineKeeper lines(*this);
    const bool speedFailed = speedCode && ChangePortSpeed(*speedCode, link_, lines, stop_) == SpeedChange::ReopenFailed;
    const EntryOutcome dataOutcome = readDataFrames(number.size() + kAckIndent, expectsData);
    return speedFailed && dataOutcome != EntryOutcome::Stopped ? EntryOutcome::SpeedChangeFailed : dataOutcome;
}

EntryOutcome TransmitSequence::readDataFrames(std::size_t indent, bool expectsData) {
    std::size_t frameCount = 0; // broken frames included
    int badFramesInRow = 0;
    bool anyBroken = false;
    std::vector<std::uint8_t> received;
    for (;; ++frameCount) {
        if (stop_.stop_requested())
            return stopHere();
        const int result = link_.readPort(received, ReadMode::Frame);
        if (stop_.stop_requested() && !isCompleteFrame(result, received))
            return stopHere(); // the read was cut short: its result says nothing about the projector

        if (result == 0) {
            const bool missing = expectsData && frameCount == 0;
            append(missing ? kMissingDataText : kLineEnd);
            link_.purge();
            if (missing)
                return EntryOutcome::MissingData;
            return anyBroken ? EntryOutcome::ReceptionFailed : EntryOutcome::Acknowledged;
        }

        if (isCompleteFrame(result, received)) {
            const std::span<const std::uint8_t> frame(received.data(), static_cast<std::size_t>(result));
            const std::string hex = FormatHex(frame);
            if (frameCount != 0)
                append(std::string(indent, ' '));
            append(hex);
            append(kLineEnd);
            link_.writePort(kAckByte);
            LineKeeper lines(*this);
            RelayPortCommand(frame, link_, lines, stop_);
            badFramesInRow = 0;
            continue;
        }

        // A broken or oversized frame: drop what is left of it and ask again.
        link_.purge();
        link_.writePort(kNakByte);
        anyBroken = true;
        append(kReceptionFailureText);
        if (++badFramesInRow > 1)
            return EntryOutcome::ReceptionFailed;
    }
}

} // namespace varnu
