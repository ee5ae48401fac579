#pragma once
// Byte-level helpers of the simulated projector: checksums, data frames and hex text.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace varnu::sim {

using Bytes = std::vector<std::uint8_t>;

// A frame is ESC, a length byte counting the whole frame, the attribute, class and function
// bytes, the items and a checksum; the bytes from the length on sum to 0 modulo 256.
inline constexpr std::size_t kMinCommandSize = 6;
inline constexpr std::size_t kMaxFrameSize = 255;
inline constexpr std::uint8_t kAttributeSet = 0x01;
inline constexpr std::uint8_t kAttributeGet = 0x02;
inline constexpr std::uint8_t kAttributeReset = 0x03;

// The byte that makes `bytes` (length byte first, checksum left out) sum to 0 modulo 256.
std::uint8_t checksumFor(std::span<const std::uint8_t> bytes);

// True when the frame's bytes from the length on sum to 0 modulo 256.
bool hasValidChecksum(std::span<const std::uint8_t> frame);

// ESC, the length, the body (attribute, class, function, items), the checksum.
// The body must leave room for those three bytes within kMaxFrameSize.
Bytes makeFrame(std::span<const std::uint8_t> body);

// Strict hex bytes: pairs of hex digits, blanks allowed between pairs; nothing else.
std::optional<Bytes> parseHexBytes(std::string_view text);

// Two upper-case digits per byte, separated by single spaces ("1B 07 01").
std::string spacedHex(std::span<const std::uint8_t> bytes);

} // namespace varnu::sim
