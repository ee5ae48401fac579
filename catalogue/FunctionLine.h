#pragma once
// The function line of a class section: "name,min,max,default,target target ...".

#include "catalogue/Catalogue.h"

#include <string_view>

namespace varnu {

// Name up to the first ",;:/"; then up to three numbers, each starting at the next sign or
// digit and ending before the next " ,;:/"; then the target names, separated by " ,;:|".
// Target names are read only after a third number that has a terminator.
CommandFunction parseFunctionLine(std::string_view line, TextEncoding encoding);

} // namespace varnu
