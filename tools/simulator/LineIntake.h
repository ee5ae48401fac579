#pragma once
// Takes in the client's bytes no faster than the line carries them. A pseudo-terminal hands
// over whatever the client wrote at once, however much; a wire brings one byte per byte time,
// and a projector never sees more. What a client writes faster than that is lost (the server
// reads it and drops it), so that no backlog of the client's own bytes builds up in the
// terminal ahead of the next frame it sends.

#include "tools/simulator/LineTiming.h"

#include <cstddef>
#include <optional>

namespace varnu::sim {

class LineIntake {
public:
    // A line that has been idle lets this much in at once: a whole frame of the longest
    // length a length byte can announce, whichever way the client writes it.
    static constexpr std::size_t kIdleBurstBytes = 256;
    // While the client sends faster than the line, bytes are taken in batches of this size,
    // so that the simulator wakes every few byte times rather than for every byte.
    static constexpr std::size_t kBatchBytes = 32;

    // How many bytes the line has brought by `now` at `baud` that were not taken yet.
    std::size_t allowance(SimTime now, int baud) const;
    // `count` bytes (at most the allowance) were taken at `now`.
    void take(std::size_t count, SimTime now, int baud);

    // Whether a batch is due: an idle line always has one.
    bool ready(SimTime now, int baud) const { return allowance(now, baud) >= kBatchBytes; }
    // When the next batch is due.
    SimTime nextBatchAt(SimTime now, int baud) const;

private:
    // Where the line's clock stands: the bytes taken so far ended on the wire at this time,
    // or, on a line idle for a while, the start of the burst it lets in.
    SimTime start(SimTime now, int baud) const;

    std::optional<SimTime> taken_; // none: the line has been idle since the start
};

} // namespace varnu::sim
