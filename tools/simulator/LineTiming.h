#pragma once
// Time on the simulated line: the clock unit, the speed codes and the wire time of a byte.

#include <chrono>
#include <optional>

namespace varnu::sim {

// Time since the simulator started. Microseconds, since a byte at 38400 lasts about 0.26 ms.
using SimTime = std::chrono::microseconds;

inline constexpr int kDefaultBaud = 9600;

// The speed codes of the port-speed command: 0 = 9600, 1 = 19200, 2 = 38400.
std::optional<int> baudForSpeedCode(int code);
std::optional<int> speedCodeForBaud(int baud);

// One byte on an 8N1 line is 10 bits: a start bit, 8 data bits and a stop bit.
SimTime byteTime(int baud);

} // namespace varnu::sim
