#pragma once
// Cuts the incoming byte stream into frames: ESC, a length byte counting the whole frame,
// then the rest. Bytes outside a frame (the client's ACK and NAK among them) come out one
// by one; a frame that stops arriving for longer than the gap is dropped.

#include "tools/simulator/FrameBytes.h"
#include "tools/simulator/LineTiming.h"

#include <optional>
#include <span>
#include <vector>

namespace varnu::sim {

struct Arrival {
    enum class Kind { Frame, Byte };
    Kind kind;
    Bytes bytes; // the whole frame, or the single stray byte
};

class FrameAssembler {
public:
    static constexpr SimTime kFrameGap = std::chrono::milliseconds(200);

    // Appends every frame completed and every stray byte to `out`, in arrival order.
    void feed(std::span<const std::uint8_t> bytes, SimTime now, std::vector<Arrival>& out);

    // Drops a partial frame whose last byte came more than kFrameGap before `now`;
    // true when one was dropped.
    bool expire(SimTime now);

    // When a partial frame will be dropped if nothing more arrives.
    std::optional<SimTime> expiry() const;

    void reset() { partial_.clear(); }

private:
    std::size_t wantedSize() const;

    Bytes partial_;
    SimTime lastByte_{};
};

} // namespace varnu::sim
