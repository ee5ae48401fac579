#pragma once
// What every frame that leaves the tool must be: ESC, a length byte equal to the frame's size,
// and bytes from the length on that sum to 0 modulo 256.

#include "FuzzCheck.h"

#include <cstdint>
#include <numeric>
#include <vector>

namespace varnu::fuzz {

inline void checkSoundFrame(const std::vector<std::uint8_t>& frame) {
    FUZZ_CHECK(frame.size() >= 2);
    FUZZ_CHECK(frame[0] == 0x1B);
    FUZZ_CHECK(frame[1] == frame.size());
    const unsigned sum = std::accumulate(frame.begin() + 1, frame.end(), 0u);
    FUZZ_CHECK(sum % 256 == 0);
}

} // namespace varnu::fuzz
