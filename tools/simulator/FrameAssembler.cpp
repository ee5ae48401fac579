#include "tools/simulator/FrameAssembler.h"

#include "serial/core/Link.h"

#include <algorithm>

namespace varnu::sim {

std::size_t FrameAssembler::wantedSize() const {
    // Until the length byte is in, a frame needs at least ESC and length. A length byte
    // below 2 cannot describe a frame; the two bytes held then make a broken frame.
    if (partial_.size() < 2)
        return 2;
    return std::max<std::size_t>(partial_[1], 2);
}

void FrameAssembler::feed(std::span<const std::uint8_t> bytes, SimTime now, std::vector<Arrival>& out) {
    expire(now);
    for (std::uint8_t b : bytes) {
        if (partial_.empty() && b != kEsc) {
            out.push_back({Arrival::Kind::Byte, {b}});
            continue;
        }
        partial_.push_back(b);
        if (partial_.size() >= wantedSize()) {
            out.push_back({Arrival::Kind::Frame, std::move(partial_)});
            partial_.clear();
        }
    }
    lastByte_ = now;
}

bool FrameAssembler::expire(SimTime now) {
    if (partial_.empty() || now - lastByte_ <= kFrameGap)
        return false;
    partial_.clear();
    return true;
}

std::optional<SimTime> FrameAssembler::expiry() const {
    if (partial_.empty())
        return std::nullopt;
    return lastByte_ + kFrameGap + SimTime(1);
}

} // namespace varnu::sim
