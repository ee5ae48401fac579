#pragma once
// One attempt at a time on the serial device, and the device-control steps of opening and
// closing it. The attempt rules (how many, how long, what counts) live in Transfers.h; a
// device only moves bytes once and says how it went.

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "serial/core/PortFailure.h"
#include "serial/core/PortSettings.h"

namespace varnu {

// The device time-outs in force until the next change (milliseconds).
struct CommTimeouts {
    std::chrono::milliseconds readInterval{0};
    std::chrono::milliseconds readTotalPerByte{0};
    std::chrono::milliseconds readTotalConstant{0};
    std::chrono::milliseconds writeTotalPerByte{0};
    std::chrono::milliseconds writeTotalConstant{0};

    bool operator==(const CommTimeouts&) const = default;
};

// The longest one attempt may last: the device's total time-out for `requested` bytes, never
// above `waitLimit`. A total of zero means the device sets none.
inline std::chrono::milliseconds readAttemptLimit(const CommTimeouts& t, std::size_t requested,
                                                  std::chrono::milliseconds waitLimit) {
    const auto total = t.readTotalConstant + t.readTotalPerByte * static_cast<long>(requested);
    return total.count() > 0 ? std::min(total, waitLimit) : waitLimit;
}
inline std::chrono::milliseconds writeAttemptLimit(const CommTimeouts& t, std::size_t requested,
                                                   std::chrono::milliseconds waitLimit) {
    const auto total = t.writeTotalConstant + t.writeTotalPerByte * static_cast<long>(requested);
    return total.count() > 0 ? std::min(total, waitLimit) : waitLimit;
}

enum class DtrControl : std::uint8_t { Disable, Enable, Handshake };
enum class RtsControl : std::uint8_t { Disable, Enable, Handshake, Toggle };

// The line state as the driver reports it.
struct LineState {
    std::uint32_t baudRate = 0;
    std::uint8_t dataBits = 8;
    Parity parity = Parity::None;
    StopBits stopBits = StopBits::One;
    std::uint8_t xonChar = 0;
    std::uint8_t xoffChar = 0;
    std::uint16_t xonLimit = 0;
    std::uint16_t xoffLimit = 0;
    DtrControl dtrControl = DtrControl::Disable;
    RtsControl rtsControl = RtsControl::Disable;
    bool binary = false;
    bool parityCheck = false;

    bool operator==(const LineState&) const = default;
};

enum class AttemptEnd {
    Completed, // the device finished the request; `written` says how much went out
    TimedOut,  // the request was accepted but did not finish in time
    Failed     // refused at once (port closed or gone)
};

struct WriteAttempt {
    std::size_t written = 0;
    AttemptEnd end = AttemptEnd::Failed;
};

class SerialDevice {
public:
    virtual ~SerialDevice() = default;

    virtual bool open(const std::string& portName) = 0;
    virtual bool isOpen() const = 0;
    virtual void close() = 0;
    virtual bool setQueueSizes(std::size_t inputBytes, std::size_t outputBytes) = 0;
    virtual bool setTimeouts(const CommTimeouts& timeouts) = 0;
    virtual std::optional<LineState> lineState() = 0;
    // Writes every field back; false when the driver refuses any of them.
    virtual bool setLineState(const LineState& state) = 0;
    virtual bool setDtr(bool raised) = 0;
    // Discards both queues and whatever is left of an unfinished transfer.
    virtual bool purge() = 0;
    // Changes the line speed of the open port in place, both queues purged as a reopen would.
    // False when the device cannot (the default) or the change did not take: the link then
    // closes the port and opens it again at the new speed.
    virtual bool changeSpeed(std::uint32_t /*baudRate*/) { return false; }

    // Writes `bytes`, waiting at most `waitLimit` (or the write time-out, if shorter).
    virtual WriteAttempt writeAttempt(std::span<const std::uint8_t> bytes, std::chrono::milliseconds waitLimit) = 0;
    // Reads up to into.size() bytes under the read time-outs, waiting at most `waitLimit` in
    // all; the count taken, 0 when the port is closed or gone.
    virtual std::size_t readAttempt(std::span<std::uint8_t> into, std::chrono::milliseconds waitLimit) = 0;

    // The last failure since open() was called: why the open failed (the device itself, or a
    // line state the driver refused), or, once the open port's device has gone away, Lost.
    // Nothing while all is well. A device that cannot tell says nothing.
    virtual std::optional<PortFailure> failure() const { return std::nullopt; }
};

} // namespace varnu
