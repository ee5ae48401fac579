#pragma once
// The projector line as the transmit sequence sees it. The real port, the scripted fake of
// the protocol tests and the simulator all stand behind this interface.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace varnu {

inline constexpr std::uint8_t kEsc = 0x1B;
inline constexpr std::uint8_t kAck = 0x06;
inline constexpr std::uint8_t kNak = 0x15;

enum class ReadMode { Byte, Frame };

class Link {
public:
    virtual ~Link() = default;

    // WritePort: the number of bytes written (0 to bytes.size()); 0 at once when the port is closed.
    virtual std::size_t writePort(std::span<const std::uint8_t> bytes) = 0;

    // ReadPort. `received` is replaced by what was taken. Byte mode: 0 or 1. Frame mode: 0 when
    // nothing came, the size of a complete frame (starting with ESC), or -1 for a broken frame.
    virtual int readPort(std::vector<std::uint8_t>& received, ReadMode mode) = 0;

    // Discards both queues; ignored when the port is closed.
    virtual void purge() = 0;

    // WaitPumping: lets the period pass without holding up anything else.
    virtual void waitPumping(std::chrono::milliseconds period) = 0;

    // ClosePort, then OpenPort with the new line speed, which stays for the rest of the run.
    // False leaves the port closed.
    virtual bool reopenAt(std::uint32_t baudRate) = 0;
};

} // namespace varnu
