#pragma once
// Composing a command from the selection and the parameter fields into the frame text of a
// Transmit List entry: "ESC LL AA CC FF items KK".

#include "catalogue/Catalogue.h"
#include "protocol/FrameText.h"
#include "transmit_list/SelectionState.h"

#include <string>

namespace varnu {

// The length byte counts the whole frame, ESC and checksum included, and a group's count
// byte its items: both are single bytes.
inline constexpr int kMaxFrameBytes = 255;
inline constexpr int kMaxGroupBytes = 255;
// Class and function numbers travel as one byte each.
inline constexpr int kMaxCommandNumber = 255;
// The Data field holds one byte, written signed or not: -128 to 255 in decimal, 00 to FF in hex.
inline constexpr std::int64_t kMinDataValue = -128;
inline constexpr std::int64_t kMaxDataValue = 255;
// A three-byte address item.
inline constexpr std::int64_t kMaxAddressValue = 0xFFFFFF;

// Either the composed text or the reason the composition is refused (text then empty).
struct ComposeResult {
    std::string text;
    std::string error;
    bool ok() const { return error.empty(); }
};

// The frame text, from "ESC" to the checksum. Refused, with a message naming the field or
// limit, when no layout resolves, a hex field holds a character other than a hex digit or a
// blank, a three-byte address falls outside 000000 to FFFFFF, the Data value does not fit one
// byte (kMinDataValue to kMaxDataValue; the catalogue's range is only a hint), the layout holds a literal
// other than 0 to 5 and 15, a class or function number exceeds 255, or the frame or a group
// would exceed 255 bytes.
ComposeResult composeFrameText(const Catalogue& catalogue, const SelectionState& state);

// The entry text: "(n) " and the frame text.
ComposeResult composeEntry(const Catalogue& catalogue, const SelectionState& state, int entryNumber);

// The Data text read as a decimal number: leading blanks, an optional sign, then digits up
// to the first other character; no digits give 0. Wraps at 32 bits (only the low byte is used).
std::int32_t readDecimalData(std::string_view text);
// The same without wrapping: the value saturates at the 64-bit limits, so that a long number
// is never taken for a small one.
std::int64_t readExactDecimalData(std::string_view text);

} // namespace varnu
