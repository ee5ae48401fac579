#pragma once
// Catalogue names as the window shows them. The core keeps them as the catalogue file's bytes,
// UTF-8 or CP932 (Catalogue::encoding); every text that carries them (the combos, the frame
// decodes of the tool tips and of the wire trace) is decoded here.

#include <QString>
#include <string_view>

#include "catalogue/Catalogue.h"

namespace varnu {

QString catalogueText(std::string_view bytes, TextEncoding encoding);

} // namespace varnu
