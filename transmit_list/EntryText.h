#pragma once
// The two halves of an entry text: the number prefix "(n) " and the frame text from "ESC" on.

#include <string>
#include <string_view>

namespace varnu {

std::string entryNumberPrefix(int number);

// The text from the first "ESC" on; the whole text when it holds no "ESC".
std::string_view frameTextOf(std::string_view entryText);

} // namespace varnu
