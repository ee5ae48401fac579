#pragma once
// The timed transfers over a device: how many attempts, how long each may take, and what
// counts as received. Counts, not errors, come back.

#include "serial/core/Clock.h"
#include "serial/core/Link.h"
#include "serial/core/SerialDevice.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <stop_token>
#include <vector>

namespace varnu {

// Lets `period` pass; a stop request ends it at once.
void WaitPumping(Clock& clock, std::chrono::milliseconds period, std::stop_token stop = {});

// At most two attempts; the second only for what the first did not get through. An attempt
// that runs out of time counts nothing and is followed by a pause of kWriteRetryPauseMs.
// Returns the bytes written (0 to bytes.size()).
std::size_t WritePort(SerialDevice& device, Clock& clock, std::span<const std::uint8_t> bytes,
                      std::stop_token stop = {});

// Byte mode: 0 or 1. Frame mode: 0 when nothing came, the length of a whole frame (which
// `received` then holds from its ESC on), or -1 when bytes came but no whole frame of the
// announced length could be taken. A length byte above kMaxReceivedFrameBytes (or 0x80 and
// above, negative) refuses the frame: the rest of it is read and dropped (as many bytes as
// the length byte announces, read unsigned, or until the line is quiet for kReadIntervalMs,
// within kMaxRefusedFrameDrainMs) and -1 comes back, so that the caller's purge and NAK
// follow the whole frame. `received` is replaced by the bytes held at the end (for a refused
// frame, its first bytes).
// A stop request ends the read after the attempt under way: what is held then decides the
// result as at any other end (a read cut short mid-frame gives -1).
int ReadPort(SerialDevice& device, Clock& clock, std::vector<std::uint8_t>& received, ReadMode mode,
             std::stop_token stop = {});

} // namespace varnu
