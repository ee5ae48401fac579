#pragma once

#include <cstdint>
#include <string>

namespace varnu {

// The line settings the Settings dialog edits and OpenPort applies. Codes are those of the
// original device-control block: parity 0 none, 1 odd, 2 even, 3 mark; stop bits 0 one,
// 1 one and a half, 2 two.
struct PortSettings {
    std::string portName = "COM1";
    std::uint32_t baudRate = 9600;
    std::uint8_t parity = 0;
    std::uint8_t dataBits = 8;
    std::uint8_t stopBits = 0;

    bool operator==(const PortSettings&) const = default;
};

} // namespace varnu
