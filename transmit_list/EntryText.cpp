#include "transmit_list/EntryText.h"

namespace varnu {

std::string entryNumberPrefix(int number) {
    return "(" + std::to_string(number) + ") ";
}

std::string_view frameTextOf(std::string_view entryText) {
    const std::size_t esc = entryText.find("ESC");
    return esc == std::string_view::npos ? entryText : entryText.substr(esc);
}

} // namespace varnu
