#pragma once
// The Data field's text in either radix. The catalogue writes defaults in decimal; in Hex mode
// the field shows the same byte in hex, and switching the radix converts what the field holds.

#include "transmit_list/SelectionState.h"

#include <string>
#include <string_view>

namespace varnu {

// Hex to Dec: the hex reading's low byte as a signed number ("FF" gives "-1").
std::string decimalDataText(std::string_view hexText);
// Dec to Hex: the decimal reading's low byte as two hex digits ("200" gives "C8").
std::string hexDataText(std::string_view decimalText);
// A decimal text (as the defaults are written) in the given radix.
std::string dataTextInRadix(std::string_view decimalText, DataRadix radix);

} // namespace varnu
