#pragma once
// Turning an entry text back into the bytes it stands for, and bytes into hex text.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace varnu {

// ESC, LL, AA, CC, FF and KK around the item bytes.
inline constexpr int kFrameOverheadBytes = 6;
// Where the header bytes stand in a frame; the items follow the function number.
inline constexpr std::size_t kLengthPosition = 1;
inline constexpr std::size_t kAttributePosition = 2;
inline constexpr std::size_t kClassPosition = 3;
inline constexpr std::size_t kFunctionPosition = 4;
inline constexpr std::size_t kFirstItemPosition = 5;

// The frame bytes of an entry text: 1B, the length token's byte LL, then the following
// tokens until at least LL - 2 bytes are taken (a two-character token is one byte; a longer
// token gives one byte per pair from its left, taken whole). The checksum is not computed
// here: the text's last byte is sent as it stands. A text without "ESC" gives no bytes.
std::vector<std::uint8_t> BuildFrame(std::string_view entryText);

// The checksum that follows `bytes` (the length byte to the last item): the byte that makes the
// sum of them and itself 0 modulo 256. The ESC is not counted.
std::uint8_t checksumFor(std::span<const std::uint8_t> bytes);

// The bytes a frame text stands for: an entry text ("(3) ESC 0C 01 ..." or "ESC 0C ...": the
// bytes BuildFrame makes of it, as Transmit sends them) or hex bytes ("1B0C01..." or
// "1B 0C 01 ...", blanks between whole bytes only). Nothing when the text is neither: a token
// that is not an even run of hex digits, or text before "ESC" other than the number prefix.
std::optional<std::vector<std::uint8_t>> frameOfText(std::string_view text);

// The data frame a Receive List line shows ("(2) ACK 1B0701000801EF", or the hex alone on a
// line of its own or after the indent): its last blank-separated token when that is whole hex
// bytes starting with ESC. Nothing for the other lines ("NAK", "No response.", "ACK").
std::optional<std::vector<std::uint8_t>> frameInReceiveLine(std::string_view line);

// Two upper-case hex digits per byte, no separators: 1B 06 02 00 06 F2 gives "1B06020006F2".
std::string FormatHex(std::span<const std::uint8_t> bytes);
// The same with one space between bytes: "1B 06 02 00 06 F2".
std::string formatSpacedHex(std::span<const std::uint8_t> bytes);

} // namespace varnu
