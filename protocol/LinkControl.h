#pragma once
// The two frames that change the link itself: the port-speed command the user sends, after
// which the program follows the projector to the new speed, and the mouse/port frames the
// projector sends, which the program hands back to it.

#include "protocol/TransmitSink.h"
#include "serial/core/Link.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <stop_token>
#include <string_view>

namespace varnu {

// The projector needs time to switch before the program follows it.
inline constexpr std::chrono::milliseconds kSpeedChangeWait{500};

struct SpeedCode {
    std::uint8_t code;
    std::uint32_t baudRate;
};
inline constexpr std::array kSpeedTable{SpeedCode{0, 9600}, SpeedCode{1, 19200}, SpeedCode{2, 38400}};

// Get, class 0, function 6: asks the projector for its speed.
inline constexpr std::array<std::uint8_t, 6> kSpeedQuery{0x1B, 0x06, 0x02, 0x00, 0x06, 0xF2};

// The baud rate of a speed code; nothing for a code outside the table.
std::optional<std::uint32_t> baudRateForSpeedCode(std::uint8_t code);

// The speed code of a port-speed command (1B 07 01 00 06 s ...); nothing for any other frame.
std::optional<std::uint8_t> portSpeedCode(std::span<const std::uint8_t> frame);

// The speed query, known by its first five bytes (1B 06 02 00 06).
bool isSpeedQuery(std::span<const std::uint8_t> frame);

// A mouse/port frame (1B 07 01 00 08, then 00 disable or 01 enable), known by its first six
// bytes; its checksum is not compared.
enum class MousePortCommand { Disable, Enable };
std::optional<MousePortCommand> mousePortCommand(std::span<const std::uint8_t> frame);

enum class SpeedChange { Unchanged, Changed, ReopenFailed };

// After the ACK of a port-speed command: wait, reopen at the new speed and query it.
// A stop that cuts the speed query's answer short leaves it unreported.
SpeedChange ChangePortSpeed(std::uint8_t speedCode, Link& link, TransmitSink& sink, std::stop_token stop = {});

// After a received data frame was acknowledged: a mouse/port frame (recognised by its first
// six bytes, checksum not compared) is announced and sent back as received; others are left.
// A stop that cuts the projector's answer short leaves it unreported.
void RelayPortCommand(std::span<const std::uint8_t> frame, Link& link, TransmitSink& sink, std::stop_token stop = {});

// The projector's one-byte answer to a command, as the Receive List shows it.
enum class ReplyByte { None, Ack, Nak, Other };
ReplyByte classifyReply(int readResult, std::span<const std::uint8_t> received);

} // namespace varnu
