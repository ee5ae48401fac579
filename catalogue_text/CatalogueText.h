#pragma once
// Catalogue names as text. The core keeps them as the catalogue file's bytes, UTF-8 or CP932
// (Catalogue::encoding); the window shows them and varnu-cli prints them as UTF-8, and both
// decode them here.

#include <QString>
#include <string>
#include <string_view>

#include "catalogue/Catalogue.h"

namespace varnu {

// UTF-8 bytes as they are; CP932 decoded as Shift_JIS (byte for byte as Latin-1 where this Qt
// has no such codec).
QString catalogueText(std::string_view bytes, TextEncoding encoding);

// The same as UTF-8, for output: a UTF-8 file's bytes come out unchanged.
std::string catalogueUtf8(std::string_view bytes, TextEncoding encoding);

} // namespace varnu
