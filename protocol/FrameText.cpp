#include "protocol/FrameText.h"

#include "catalogue/ParseHexText.h"
#include "serial/core/Link.h"

#include <algorithm>
#include <numeric>

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

std::uint8_t hexByte(std::string_view pair) {
    return static_cast<std::uint8_t>(parseHexText(pair));
}

constexpr char kHexDigits[] = "0123456789ABCDEF";

bool isHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// Whole bytes only: an even run of hex digits (an empty token is a doubled blank).
bool isHexBytesToken(std::string_view token) {
    return token.size() % 2 == 0 && std::all_of(token.begin(), token.end(), isHexDigit);
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// "(n) " with n in decimal digits, the only text an entry holds before its "ESC".
bool isNumberPrefix(std::string_view text) {
    return text.empty() || (text.size() >= 4 && text.front() == '(' && text.ends_with(") ") &&
                            std::all_of(text.begin() + 1, text.end() - 2, [](char c) { return c >= '0' && c <= '9'; }));
}

// Tokens split at every single blank (so "A  B" holds an empty token), each whole hex bytes.
bool allHexBytesTokens(std::string_view text, char separator) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find(separator, pos);
        if (end == std::string_view::npos)
            end = text.size();
        if (!isHexBytesToken(text.substr(pos, end - pos)))
            return false;
        pos = end + 1;
    }
    return true;
}

} // namespace

std::uint8_t checksumFor(std::span<const std::uint8_t> bytes) {
    return static_cast<std::uint8_t>(0u - std::accumulate(bytes.begin(), bytes.end(), 0u));
}

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

std::optional<std::vector<std::uint8_t>> frameOfText(std::string_view text) {
    text = trimmed(text);
    if (const std::size_t esc = text.find("ESC"); esc != std::string_view::npos) {
        const std::string_view afterEsc = text.substr(esc + 3);
        if (!isNumberPrefix(text.substr(0, esc)) || (!afterEsc.empty() && afterEsc.front() != ' ') ||
            !allHexBytesTokens(afterEsc.substr(std::min<std::size_t>(1, afterEsc.size())), ' '))
            return std::nullopt;
        return BuildFrame(text);
    }
    std::string digits;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const auto blank = std::find_if(text.begin() + static_cast<std::ptrdiff_t>(pos), text.end(), isBlank);
        const std::size_t end = static_cast<std::size_t>(blank - text.begin());
        const std::string_view token = text.substr(pos, end - pos);
        if (!isHexBytesToken(token))
            return std::nullopt;
        digits += token;
        pos = end + 1;
    }
    if (digits.empty())
        return std::nullopt;
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < digits.size(); i += 2)
        bytes.push_back(hexByte(std::string_view(digits).substr(i, 2)));
    return bytes;
}

std::optional<std::vector<std::uint8_t>> frameInReceiveLine(std::string_view line) {
    line = trimmed(line);
    const auto blank = std::find_if(line.rbegin(), line.rend(), isBlank);
    const std::string_view token = line.substr(static_cast<std::size_t>(line.rend() - blank));
    if (!isHexBytesToken(token))
        return std::nullopt;
    std::optional<std::vector<std::uint8_t>> frame = frameOfText(token);
    if (!frame || frame->front() != kEsc)
        return std::nullopt;
    return frame;
}

std::string FormatHex(std::span<const std::uint8_t> bytes) {
    std::string text;
    text.reserve(bytes.size() * 2);
    for (std::uint8_t byte : bytes) {
        text.push_back(kHexDigits[byte >> 4]);
        text.push_back(kHexDigits[byte & 0x0F]);
    }
    return text;
}

std::string formatSpacedHex(std::span<const std::uint8_t> bytes) {
    std::string text;
    text.reserve(bytes.size() * 3);
    for (std::uint8_t byte : bytes) {
        if (!text.empty())
            text.push_back(' ');
        text.push_back(kHexDigits[byte >> 4]);
        text.push_back(kHexDigits[byte & 0x0F]);
    }
    return text;
}

} // namespace varnu
