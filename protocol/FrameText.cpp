#include "protocol/FrameText.h"

#include "catalogue/ParseHexText.h"
#include "serial/core/Link.h"

namespace varnu {

namespace {

// The next space-separated token at or after `pos`; `pos` moves past it and its space.
std::string_view nextToken(std::string_view text, std::size_t& pos) {
    std::size_t end = text.find(' ', pos);
    if (end == std::string_view::npos)
        end = text.size();
    std::string_view token = text.substr(pos, end - pos);
    pos = end < text.size() ? end + 1 : end;
    return token;
}

std::uint8_t hexByte(std::string_view pair) { return static_cast<std::uint8_t>(parseHexText(pair)); }

} // namespace

std::vector<std::uint8_t> BuildFrame(std::string_view entryText) {
    const std::size_t esc = entryText.find("ESC");
    if (esc == std::string_view::npos)
        return {};
    std::vector<std::uint8_t> frame{kEsc};

    // The length token runs from the first space after "ESC" to the next space.
    std::size_t pos = entryText.find(' ', esc);
    pos = pos == std::string_view::npos ? entryText.size() : pos + 1;
    const std::uint8_t length = hexByte(nextToken(entryText, pos));
    frame.push_back(length);

    const int needed = length - 2;
    std::size_t taken = 0;
    while (static_cast<int>(taken) < needed && pos < entryText.size()) {
        const std::string_view token = nextToken(entryText, pos);
        // A long token is taken whole, so the frame can come out longer than its length byte.
        for (std::size_t i = 0; i + 1 < token.size(); i += 2) {
            frame.push_back(hexByte(token.substr(i, 2)));
            ++taken;
        }
    }
    return frame;
}

std::string FormatHex(std::span<const std::uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (std::uint8_t byte : bytes) {
        text.push_back(kDigits[byte >> 4]);
        text.push_back(kDigits[byte & 0x0F]);
    }
    return text;
}

} // namespace varnu
