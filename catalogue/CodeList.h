#pragma once
// The code lists of a target section ("WRITE" and "READ").

#include "catalogue/Catalogue.h"

#include <string_view>

namespace varnu {

// Cuts `value` into tokens (blanks and tabs passed over first; a token ends at " ,;:|"), stores
// one code per token into form.codes[pass] and then End. Letter tokens (A, H, L, S, D, M, with
// "(hex)" fixed values and "+n"/"-n" offsets) give field codes and record their fixed value or
// offset in the slot of `pass`; any other token is the low byte of the decimal number it
// starts with (0 when it starts with none). An empty value gives End alone.
void parseCodeList(std::string_view value, TextEncoding encoding, FormPass pass, TargetForm& form);

} // namespace varnu
