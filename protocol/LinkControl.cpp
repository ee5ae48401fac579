#include "protocol/LinkControl.h"

#include "protocol/FrameText.h"
#include "protocol/ReceiveListTexts.h"

#include <algorithm>

namespace varnu {

namespace {

constexpr std::array<std::uint8_t, 5> kSpeedCommandStart{kEsc, 0x07, 0x01, 0x00, 0x06};
constexpr std::size_t kSpeedQueryKnownBytes = 5;

struct RelayedFrame {
    std::array<std::uint8_t, 6> start; // the bytes that single the frame out
    MousePortCommand command;
    std::string_view announcement;
};
constexpr std::array kRelayedFrames{
    RelayedFrame{{kEsc, 0x07, 0x01, 0x00, 0x08, 0x00}, MousePortCommand::Disable, kDisableRelayText},
    RelayedFrame{{kEsc, 0x07, 0x01, 0x00, 0x08, 0x01}, MousePortCommand::Enable, kEnableRelayText},
};

bool startsWith(std::span<const std::uint8_t> frame, std::span<const std::uint8_t> start) {
    return frame.size() >= start.size() && std::equal(start.begin(), start.end(), frame.begin());
}

// The mouse/port frame that `frame` is, known by its first six bytes (checksum not compared).
const RelayedFrame* relayedFrameOf(std::span<const std::uint8_t> frame) {
    const auto known = std::find_if(kRelayedFrames.begin(), kRelayedFrames.end(),
                                    [frame](const RelayedFrame& relayed) { return startsWith(frame, relayed.start); });
    return known == kRelayedFrames.end() ? nullptr : &*known;
}

// Reads the one-byte answer to a link-control frame and shows it; silence has its own text.
// A read that a stop cut short says nothing about the projector and is not shown.
void showOneByteAnswer(Link& link, TransmitSink& sink, std::string_view silenceText, const std::stop_token& stop) {
    std::vector<std::uint8_t> received;
    const int answer = link.readPort(received, ReadMode::Byte);
    switch (classifyReply(answer, received)) {
    case ReplyByte::None:
        if (!stop.stop_requested())
            sink.textAppended(silenceText);
        break;
    case ReplyByte::Ack:
        sink.textAppended(kAckLineText);
        break;
    case ReplyByte::Nak:
        sink.textAppended(kNakText);
        break;
    case ReplyByte::Other:
        sink.textAppended(kUnexpectedReplyText);
        link.purge();
        break;
    }
}

} // namespace

std::optional<std::uint32_t> baudRateForSpeedCode(std::uint8_t code) {
    for (const SpeedCode& entry : kSpeedTable) {
        if (entry.code == code)
            return entry.baudRate;
    }
    return std::nullopt;
}

std::optional<std::uint8_t> portSpeedCode(std::span<const std::uint8_t> frame) {
    // Without a sixth byte there is no speed to follow.
    if (frame.size() <= kSpeedCommandStart.size() || !startsWith(frame, kSpeedCommandStart))
        return std::nullopt;
    return frame[kSpeedCommandStart.size()];
}

bool isSpeedQuery(std::span<const std::uint8_t> frame) {
    return startsWith(frame, std::span(kSpeedQuery).first(kSpeedQueryKnownBytes));
}

std::optional<MousePortCommand> mousePortCommand(std::span<const std::uint8_t> frame) {
    if (const RelayedFrame* relayed = relayedFrameOf(frame))
        return relayed->command;
    return std::nullopt;
}

ReplyByte classifyReply(int readResult, std::span<const std::uint8_t> received) {
    if (readResult <= 0 || received.empty())
        return ReplyByte::None;
    if (received[0] == kAck)
        return ReplyByte::Ack;
    if (received[0] == kNak)
        return ReplyByte::Nak;
    return ReplyByte::Other;
}

SpeedChange ChangePortSpeed(std::uint8_t speedCode, Link& link, TransmitSink& sink, std::stop_token stop) {
    link.waitPumping(kSpeedChangeWait);
    const std::optional<std::uint32_t> baudRate = baudRateForSpeedCode(speedCode);
    if (!baudRate)
        return SpeedChange::Unchanged;

    // The new speed holds even when the port does not reopen: Reconnect then uses it.
    sink.portSpeedChanged(*baudRate);
    if (!link.reopenAt(*baudRate)) {
        sink.textAppended(kSpeedChangeFailureText);
        return SpeedChange::ReopenFailed;
    }
    sink.textAppended(kSpeedQueryText);
    link.writePort(kSpeedQuery);
    showOneByteAnswer(link, sink, kNoResponseText, stop);
    return SpeedChange::Changed;
}

void RelayPortCommand(std::span<const std::uint8_t> frame, Link& link, TransmitSink& sink, std::stop_token stop) {
    const RelayedFrame* relayed = relayedFrameOf(frame);
    if (!relayed)
        return;
    sink.textAppended(relayed->announcement);
    link.writePort(frame);
    showOneByteAnswer(link, sink, kRelayNoResponseText, stop);
}

} // namespace varnu
