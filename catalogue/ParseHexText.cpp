#include "catalogue/ParseHexText.h"

namespace varnu {

namespace {
std::uint32_t hexDigitValue(char c) {
    if (c >= '0' && c <= '9')
        return static_cast<std::uint32_t>(c - '0');
    if (c >= 'a' && c <= 'f')
        return static_cast<std::uint32_t>(c - 'a' + 10);
    if (c >= 'A' && c <= 'F')
        return static_cast<std::uint32_t>(c - 'A' + 10);
    return 0;
}
} // namespace

std::uint32_t parseHexText(std::string_view text) {
    std::uint32_t value = 0;
    std::uint32_t place = 1;
    for (auto it = text.rbegin(); it != text.rend(); ++it) {
        value += hexDigitValue(*it) * place;
        place *= 16;
    }
    return value;
}

} // namespace varnu
