#pragma once

#include <cstdint>
#include <string_view>

namespace varnu {

// The one reader of hexadecimal text. Walks from the last character to the first; any
// character that is not a hex digit counts as the digit 0 in its place ('1G' is 0x10,
// '12 3' is 0x1203). Arithmetic wraps at 32 bits; an empty text gives 0.
std::uint32_t parseHexText(std::string_view text);

} // namespace varnu
