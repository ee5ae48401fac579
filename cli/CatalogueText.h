#pragma once
// Catalogue names for output: the core keeps them as the file's bytes; the command line
// prints UTF-8.

#include "catalogue/Catalogue.h"

#include <string>
#include <string_view>

namespace varnu::cli {

// A UTF-8 file's bytes stay as they are; a CP932 file's are decoded.
std::string toUtf8(std::string_view bytes, TextEncoding encoding);

} // namespace varnu::cli
