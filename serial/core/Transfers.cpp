#include "serial/core/Transfers.h"

#include "serial/core/LinkTimings.h"

#include <algorithm>
#include <array>

namespace varnu {

void WaitPumping(Clock& clock, std::chrono::milliseconds period, std::stop_token stop) {
    clock.sleepFor(period, stop);
}

std::size_t WritePort(SerialDevice& device, Clock& clock, std::span<const std::uint8_t> bytes, std::stop_token stop) {
    std::size_t total = 0;
    for (int attempt = 0; attempt < kMaxWriteAttempts && total < bytes.size(); ++attempt) {
        const std::span<const std::uint8_t> rest = bytes.subspan(total);
        const WriteAttempt result = device.writeAttempt(rest, kWaitAttemptMs);
        if (result.end == AttemptEnd::Completed) {
            total += std::min(result.written, rest.size());
        } else if (result.end == AttemptEnd::TimedOut) {
            WaitPumping(clock, kWriteRetryPauseMs, stop);
        }
    }
    return total;
}

namespace {

// The bytes of a frame read so far, at most one whole frame.
class FrameBuffer {
public:
    std::span<std::uint8_t> freeUpTo(int wanted) {
        return std::span(bytes_).subspan(held_, static_cast<std::size_t>(wanted) - held_);
    }
    void grow(std::size_t count) { held_ += count; }
    std::size_t held() const { return held_; }
    std::uint8_t at(std::size_t i) const { return bytes_[i]; }

    // Drops what comes before the first ESC (everything when there is none); the count dropped.
    std::size_t alignOnEsc() {
        const auto end = bytes_.begin() + static_cast<std::ptrdiff_t>(held_);
        const auto esc = std::find(bytes_.begin(), end, kEsc);
        const auto dropped = static_cast<std::size_t>(esc - bytes_.begin());
        std::copy(esc, end, bytes_.begin());
        held_ -= dropped;
        return dropped;
    }

    void copyTo(std::vector<std::uint8_t>& out) const {
        out.assign(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(held_));
    }

private:
    std::array<std::uint8_t, kMaxReceivedFrameBytes> bytes_{};
    std::size_t held_ = 0;
};

// Reads and drops the rest of a refused frame: `left` bytes, or until an attempt of one read
// interval brings nothing, within kMaxRefusedFrameDrainMs. Purging at once would leave the
// tail that is still on the wire to be read as new frames (a mouse/port frame inside a long
// frame's data would then be relayed).
void drainRefusedFrame(SerialDevice& device, Clock& clock, std::size_t left) {
    std::array<std::uint8_t, 256> scratch{};
    const Clock::TimePoint deadline = clock.now() + kMaxRefusedFrameDrainMs;
    while (left > 0) {
        const auto remaining = std::chrono::duration_cast<milliseconds>(deadline - clock.now());
        if (remaining <= milliseconds{0}) {
            return;
        }
        const std::size_t count = device.readAttempt(std::span(scratch).first(std::min(left, scratch.size())),
                                                     std::min(kReadIntervalMs, remaining));
        if (count == 0) {
            return;
        }
        left -= std::min(count, left);
    }
}

} // namespace

int ReadPort(SerialDevice& device, Clock& clock, std::vector<std::uint8_t>& received, ReadMode mode,
             std::stop_token stop) {
    const bool frameMode = mode == ReadMode::Frame;
    FrameBuffer buffer;
    int wanted = frameMode ? kFrameHeadBytes : 1;
    bool lengthKnown = false;
    bool refused = false;
    int emptyAttempts = 0;
    std::size_t junkDropped = 0;

    while (static_cast<int>(buffer.held()) < wanted && !stop.stop_requested()) {
        const std::size_t count = device.readAttempt(buffer.freeUpTo(wanted), kWaitAttemptMs);
        buffer.grow(count);

        // A frame starts with ESC: held bytes before the first ESC are junk, a lone one too.
        // Keeping a lone junk byte would report line noise as a broken frame whenever the
        // noise ends one byte after an attempt boundary.
        if (frameMode && buffer.held() > 0) {
            const std::size_t heldBefore = buffer.held();
            junkDropped += buffer.alignOnEsc();
            if (junkDropped > kMaxDroppedJunkBytes) {
                refused = true;
                break;
            }
            // No ESC at all: the attempt neither counts as empty nor resets the count.
            if (buffer.held() == 0 && heldBefore > 0) {
                continue;
            }
            if (!lengthKnown && buffer.held() >= 2) {
                lengthKnown = true;
                // The length byte counts the ESC and the checksum; the projector sends it signed.
                wanted = static_cast<std::int8_t>(buffer.at(1));
                if (wanted > kMaxReceivedFrameBytes || wanted < 0) {
                    // A negative length is most likely a long frame counted unsigned.
                    const std::size_t announced = buffer.at(1);
                    drainRefusedFrame(device, clock, announced > buffer.held() ? announced - buffer.held() : 0);
                    refused = true;
                    break;
                }
            }
        }

        emptyAttempts = count == 0 ? emptyAttempts + 1 : 0;
        if (emptyAttempts >= kMaxEmptyReadAttempts) {
            break;
        }
    }

    buffer.copyTo(received);
    if (refused) {
        return -1;
    }
    if (buffer.held() == 0) {
        return 0;
    }
    return static_cast<int>(buffer.held()) == wanted ? wanted : -1;
}

} // namespace varnu
