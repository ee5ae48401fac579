#include "catalogue/TextScan.h"

#include <algorithm>
#include <limits>

namespace varnu {

namespace {

bool isCp932LeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

bool isContinuationByte(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// Bytes after the first that a UTF-8 sequence needs, or -1 for a byte that cannot start one.
int utf8TrailCount(unsigned char byte) {
    if (byte < 0x80)
        return 0;
    if (byte >= 0xC2 && byte <= 0xDF)
        return 1;
    if (byte >= 0xE0 && byte <= 0xEF)
        return 2;
    if (byte >= 0xF0 && byte <= 0xF4)
        return 3;
    return -1;
}

} // namespace

bool isValidUtf8(std::string_view bytes) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        const int trail = utf8TrailCount(lead);
        if (trail < 0 || bytes.size() - i <= static_cast<std::size_t>(trail))
            return false;
        for (int k = 1; k <= trail; ++k) {
            if (!isContinuationByte(static_cast<unsigned char>(bytes[i + static_cast<std::size_t>(k)])))
                return false;
        }
        // Overlong three- and four-byte forms, UTF-16 surrogates and values above U+10FFFF.
        const auto second = static_cast<unsigned char>(bytes[i + (trail > 0 ? 1 : 0)]);
        if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) || (lead == 0xF0 && second < 0x90) ||
            (lead == 0xF4 && second > 0x8F))
            return false;
        i += static_cast<std::size_t>(trail) + 1;
    }
    return true;
}

TextEncoding detectTextEncoding(std::string_view bytes) {
    return isValidUtf8(bytes) ? TextEncoding::Utf8 : TextEncoding::Cp932;
}

std::size_t characterLength(std::string_view text, std::size_t pos, TextEncoding encoding) {
    if (encoding == TextEncoding::Cp932 && pos + 1 < text.size() &&
        isCp932LeadByte(static_cast<unsigned char>(text[pos])))
        return 2;
    return 1;
}

std::size_t findSeparator(std::string_view text, std::string_view separators, std::size_t from, TextEncoding encoding) {
    for (std::size_t i = from; i < text.size(); i += characterLength(text, i, encoding)) {
        if (separators.find(text[i]) != std::string_view::npos)
            return i;
    }
    return std::string_view::npos;
}

std::size_t skipBlanks(std::string_view text, std::size_t from) {
    while (from < text.size() && (text[from] == ' ' || text[from] == '\t'))
        ++from;
    return std::min(from, text.size());
}

std::string_view cutToLength(std::string_view text, std::size_t maxBytes, TextEncoding encoding) {
    if (text.size() <= maxBytes)
        return text;
    std::size_t end = 0;
    if (encoding == TextEncoding::Cp932) {
        while (end < maxBytes) {
            const std::size_t next = end + characterLength(text, end, encoding);
            if (next > maxBytes)
                break;
            end = next;
        }
    } else {
        end = maxBytes;
        while (end > 0 && isContinuationByte(static_cast<unsigned char>(text[end])))
            --end;
    }
    return text.substr(0, end);
}

std::string foldCase(std::string_view text, TextEncoding encoding) {
    std::string folded(text);
    for (std::size_t i = 0; i < folded.size(); i += characterLength(text, i, encoding)) {
        if (folded[i] >= 'A' && folded[i] <= 'Z')
            folded[i] = static_cast<char>(folded[i] - 'A' + 'a');
    }
    return folded;
}

std::int64_t readDecimal(std::string_view text) {
    std::size_t i = 0;
    const bool negative = !text.empty() && text[0] == '-';
    if (!text.empty() && (text[0] == '-' || text[0] == '+'))
        i = 1;
    // Accumulate as a negative number so that the lowest value is reachable.
    constexpr std::int64_t kLowest = std::numeric_limits<std::int64_t>::min();
    std::int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        const int digit = text[i] - '0';
        if (value < (kLowest + digit) / 10) {
            value = kLowest;
            continue;
        }
        value = value * 10 - digit;
    }
    if (negative)
        return value;
    return value == kLowest ? std::numeric_limits<std::int64_t>::max() : -value;
}

std::int32_t readDecimal32(std::string_view text) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        readDecimal(text), std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

} // namespace varnu
