#pragma once
// Pure text rules of the parameter fields: the Data range hint, the byte range of a Multi
// bytes line and the byte marks under that field (the radix conversions are in
// transmit_list/DataRadixText.h).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "transmit_list/SelectionState.h"

namespace varnu {

// The hint appended to the Data prompt, in full-width parentheses; empty when min equals max.
// Hex shows the low byte of the minimum and the whole maximum.
std::string dataRangeHint(std::int32_t dataMin, std::int32_t dataMax, DataRadix radix);

// "0xFF-0xFF": the numbers of the first and last byte of a display line that starts at
// character `lineStart` and holds `lineLength` characters (two hex digits per byte, an odd
// last digit counting as a byte). Empty for an empty line: it holds no byte.
std::string multiRangeText(int lineStart, int lineLength);

// The columns of the byte marks under a field spanning [left, right): one every `step` pixels
// from the left edge while not beyond `right`.
std::vector<int> byteMarkColumns(int left, int right, int step);

} // namespace varnu
