#include "tools/simulator/FrameBytes.h"

#include "serial/core/Link.h"

#include <algorithm>
#include <cctype>

namespace varnu::sim {

std::uint8_t checksumFor(std::span<const std::uint8_t> bytes) {
    unsigned sum = 0;
    for (std::uint8_t b : bytes)
        sum += b;
    return static_cast<std::uint8_t>(0x100 - (sum & 0xFF));
}

bool hasValidChecksum(std::span<const std::uint8_t> frame) {
    if (frame.size() < 2)
        return false;
    unsigned sum = 0;
    for (std::uint8_t b : frame.subspan(1))
        sum += b;
    return (sum & 0xFF) == 0;
}

Bytes makeFrame(std::span<const std::uint8_t> body) {
    // Sized once and filled: GCC 12 at -O2 misreads an insert after a two-byte start as out of bounds.
    Bytes frame(body.size() + 3);
    frame[0] = kEsc;
    frame[1] = static_cast<std::uint8_t>(frame.size());
    std::copy(body.begin(), body.end(), frame.begin() + 2);
    frame.back() = checksumFor(std::span(frame).subspan(1, frame.size() - 2));
    return frame;
}

std::optional<Bytes> parseHexBytes(std::string_view text) {
    auto digit = [](char c) -> int {
        if (c >= '0' && c <= '9')
            return c - '0';
        const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (lower >= 'a' && lower <= 'f')
            return lower - 'a' + 10;
        return -1;
    };
    Bytes bytes;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == ' ' || text[i] == '\t') {
            ++i;
            continue;
        }
        // A byte is always two digits side by side: "1B" but not "1 B".
        if (i + 1 >= text.size() || digit(text[i]) < 0 || digit(text[i + 1]) < 0)
            return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>(digit(text[i]) * 16 + digit(text[i + 1])));
        i += 2;
    }
    return bytes;
}

std::string spacedHex(std::span<const std::uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (std::uint8_t b : bytes) {
        if (!text.empty())
            text += ' ';
        text += kDigits[b >> 4];
        text += kDigits[b & 0x0F];
    }
    return text;
}

} // namespace varnu::sim
