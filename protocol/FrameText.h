#pragma once
// Turning an entry text back into the bytes it stands for, and bytes into hex text.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace varnu {

// The frame bytes of an entry text: 1B, the length token's byte LL, then the following
// tokens until at least LL - 2 bytes are taken (a two-character token is one byte; a longer
// token gives one byte per pair from its left, taken whole). The checksum is not computed
// here: the text's last byte is sent as it stands. A text without "ESC" gives no bytes.
std::vector<std::uint8_t> BuildFrame(std::string_view entryText);

// Two upper-case hex digits per byte, no separators: 1B 06 02 00 06 F2 gives "1B06020006F2".
std::string FormatHex(std::span<const std::uint8_t> bytes);

} // namespace varnu
