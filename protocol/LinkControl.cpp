#include "protocol/LinkControl.h"

#include "protocol/ReceiveListTexts.h"

#include <algorithm>

namespace varnu {

namespace {

constexpr std::array<std::uint8_t, 5> kSpeedCommandStart{kEsc, 0x07, 0x01, 0x00, 0x06};

struct RelayedFrame {
    std::string_view hexStart; // the first six bytes, as hex text
    std::string_view announcement;
};
constexpr std::array kRelayedFrames{
    RelayedFrame{"1B0701000800", kDisableRelayText},
    RelayedFrame{"1B0701000801", kEnableRelayText},
};

// Reads the one-byte answer to a link-control frame and shows it; silence has its own text.
void showOneByteAnswer(Link& link, TransmitSink& sink, std::string_view silenceText) {
    std::vector<std::uint8_t> received;
    const int answer = link.readPort(received, ReadMode::Byte);
    switch (classifyReply(answer, received)) {
    case ReplyByte::None:
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
    if (frame.size() <= kSpeedCommandStart.size() ||
        !std::equal(kSpeedCommandStart.begin(), kSpeedCommandStart.end(), frame.begin()))
        return std::nullopt;
    return frame[kSpeedCommandStart.size()];
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

SpeedChange ChangePortSpeed(std::uint8_t speedCode, Link& link, TransmitSink& sink) {
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
    showOneByteAnswer(link, sink, kNoResponseText);
    return SpeedChange::Changed;
}

void RelayPortCommand(std::string_view hex, std::span<const std::uint8_t> frame, Link& link, TransmitSink& sink) {
    const auto relayed = std::find_if(kRelayedFrames.begin(), kRelayedFrames.end(),
                                      [hex](const RelayedFrame& known) { return hex.starts_with(known.hexStart); });
    if (relayed == kRelayedFrames.end())
        return;
    sink.textAppended(relayed->announcement);
    link.writePort(frame);
    showOneByteAnswer(link, sink, kRelayNoResponseText);
}

} // namespace varnu
