#include "shell/DataFieldText.h"

#include <algorithm>
#include <cstdio>

namespace varnu {
namespace {

// The full-width parentheses U+FF08 and U+FF09 around the range hint.
constexpr std::string_view kHintOpen = "\xEF\xBC\x88";
constexpr std::string_view kHintClose = "\xEF\xBC\x89";

template <typename... Args> std::string format(const char* pattern, Args... args) {
    char buffer[64];
    const int length = std::snprintf(buffer, sizeof buffer, pattern, args...);
    return std::string(buffer, static_cast<std::size_t>(std::clamp(length, 0, int(sizeof buffer) - 1)));
}

} // namespace

std::string dataRangeHint(std::int32_t dataMin, std::int32_t dataMax, DataRadix radix) {
    if (dataMin == dataMax)
        return {};
    const std::string range =
        radix == DataRadix::Hex
            ? format("%X - %X in hexadecimal", static_cast<unsigned>(dataMin) & 0xFF, static_cast<unsigned>(dataMax))
            : format("%d - %d in decimal", dataMin, dataMax);
    return std::string(kHintOpen) + range + std::string(kHintClose);
}

std::string multiRangeText(int lineStart, int lineLength) {
    if (lineLength <= 0)
        return {};
    const int first = lineStart / 2;
    const int last = first + (lineLength + 1) / 2 - 1;
    return format("0x%02X-0x%02X", static_cast<unsigned>(first), static_cast<unsigned>(last));
}

std::vector<int> byteMarkColumns(int left, int right, int step) {
    step = std::max(step, 1); // a font too narrow to give a step still must not loop forever
    std::vector<int> columns;
    for (int x = left; x <= right; x += step)
        columns.push_back(x);
    return columns;
}

} // namespace varnu
