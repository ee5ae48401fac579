#include "tools/simulator/LineTiming.h"

#include <array>

namespace varnu::sim {

namespace {
constexpr std::array kSpeedTable{9600, 19200, 38400};
constexpr long long kBitsPerByte = 10;
} // namespace

std::optional<int> baudForSpeedCode(int code) {
    if (code < 0 || code >= static_cast<int>(kSpeedTable.size()))
        return std::nullopt;
    return kSpeedTable[static_cast<std::size_t>(code)];
}

std::optional<int> speedCodeForBaud(int baud) {
    for (std::size_t i = 0; i < kSpeedTable.size(); ++i)
        if (kSpeedTable[i] == baud)
            return static_cast<int>(i);
    return std::nullopt;
}

SimTime byteTime(int baud) {
    const int safeBaud = baud > 0 ? baud : kDefaultBaud;
    return SimTime(kBitsPerByte * 1'000'000 / safeBaud);
}

} // namespace varnu::sim
