#pragma once
// The lines the transmit sequence writes into the Receive List, exactly as the projector
// engineers know them (including the missing space of the relay's "Noresponse.").

#include <string_view>

namespace varnu {

// Per entry.
inline constexpr std::string_view kTransmissionFailureText = "Failure during data Transmission.\r\n";
inline constexpr std::string_view kNoResponseText = "No response.\r\n";
inline constexpr std::string_view kAckText = "ACK "; // the entry's data frames follow on the same line
inline constexpr std::string_view kNakText = "NAK\r\n";
inline constexpr std::string_view kUnexpectedReplyText = "???\r\n";
inline constexpr std::string_view kReceptionFailureText = "Failure during data reception.\r\n";
inline constexpr std::string_view kMissingDataText = "Failure receiving data from projector.\r\n";
inline constexpr std::string_view kLineEnd = "\r\n";
// The run was stopped (Escape, Port > Stop, a signal to varnu-cli): on a line of its own.
inline constexpr std::string_view kStoppedText = "Stopped.\r\n";

// Link control.
inline constexpr std::string_view kSpeedChangeFailureText = "Failure changing port speed.\r\n";
inline constexpr std::string_view kSpeedQueryText = "send command to get port speed.\r\n";
inline constexpr std::string_view kAckLineText = "ACK\r\n";
inline constexpr std::string_view kRelayNoResponseText = "Noresponse.\r\n";
inline constexpr std::string_view kDisableRelayText = "Send disable mouse/port command.\r\n";
inline constexpr std::string_view kEnableRelayText = "Send enable mouse/port command.\r\n";

} // namespace varnu
