#include "serial/core/PortSettings.h"

namespace varnu {

std::string speedText(std::uint32_t baudRate) {
    return std::to_string(baudRate) + " bit/s";
}

std::string dataBitsText(std::uint8_t dataBits) {
    return std::to_string(dataBits) + " data bits";
}

std::string parityText(Parity parity) {
    // Space parity has no row in the names the user picks from, but a line can still be set to it.
    if (parity == Parity::Space)
        return "parity space";
    const auto code = static_cast<std::size_t>(parity);
    if (code >= kParityNames.size())
        return "the parity code " + std::to_string(code);
    return "parity " + std::string(kParityNames[code].name);
}

std::string stopBitsText(StopBits stopBits) {
    const auto code = static_cast<std::size_t>(stopBits);
    if (code >= kStopBitsNames.size())
        return "the stop-bit code " + std::to_string(code);
    return std::string(kStopBitsNames[code].name) + (stopBits == StopBits::One ? " stop bit" : " stop bits");
}

std::string describeLineSettings(const PortSettings& settings) {
    return speedText(settings.baudRate) + ", " + dataBitsText(settings.dataBits) + ", " + parityText(settings.parity) +
           ", " + stopBitsText(settings.stopBits);
}

} // namespace varnu
