#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace varnu {

// The parity and stop-bit codes are the device-control block's, and the list positions of the
// Port Settings dialog: the enumerators' values are those codes.
enum class Parity : std::uint8_t { None = 0, Odd = 1, Even = 2, Mark = 3, Space = 4 };
enum class StopBits : std::uint8_t { One = 0, OneAndHalf = 1, Two = 2 };

// The data sizes a serial line can carry.
inline constexpr std::uint8_t kFewestDataBits = 5;
inline constexpr std::uint8_t kMostDataBits = 8;

// The line settings the Settings dialog edits and OpenPort applies.
struct PortSettings {
    std::string portName = "COM1";
    std::uint32_t baudRate = 9600;
    Parity parity = Parity::None;
    std::uint8_t dataBits = 8;
    StopBits stopBits = StopBits::One;

    bool operator==(const PortSettings&) const = default;
};

// A code with the name varnu-cli takes for it and the text the Port Settings dialog lists.
template <typename Code> struct LineCodeName {
    Code code;
    std::string_view name;
    std::string_view label;
};

// In code order, so that a row's position is its code and the dialog's list position. Space
// parity has no row: the user interface never offers it.
inline constexpr std::array kParityNames{
    LineCodeName<Parity>{Parity::None, "none", "None"}, LineCodeName<Parity>{Parity::Odd, "odd", "Odd"},
    LineCodeName<Parity>{Parity::Even, "even", "Even"}, LineCodeName<Parity>{Parity::Mark, "mark", "Mark"}};
inline constexpr std::array kStopBitsNames{LineCodeName<StopBits>{StopBits::One, "1", "1"},
                                           LineCodeName<StopBits>{StopBits::OneAndHalf, "1.5", "1.5"},
                                           LineCodeName<StopBits>{StopBits::Two, "2", "2"}};

template <typename Code, std::size_t N> constexpr bool inCodeOrder(const std::array<LineCodeName<Code>, N>& table) {
    for (std::size_t i = 0; i < N; ++i) {
        if (static_cast<std::size_t>(table[i].code) != i)
            return false;
    }
    return true;
}
static_assert(inCodeOrder(kParityNames) && inCodeOrder(kStopBitsNames));

// The code with this name, nothing when no row has it.
template <typename Code, std::size_t N>
std::optional<Code> codeNamed(const std::array<LineCodeName<Code>, N>& table, std::string_view name) {
    const auto it = std::find_if(table.begin(), table.end(), [name](const auto& row) { return row.name == name; });
    return it == table.end() ? std::nullopt : std::optional<Code>(it->code);
}

// Each line setting as messages name it: "38400 bit/s", "8 data bits", "parity none",
// "1 stop bit" ("1.5 stop bits"). A value that no setting has is named by its code ("the
// parity code 9"): settings are not range-checked before they reach a device.
std::string speedText(std::uint32_t baudRate);
std::string dataBitsText(std::uint8_t dataBits);
std::string parityText(Parity parity);
std::string stopBitsText(StopBits stopBits);

// "38400 bit/s, 8 data bits, parity none, 1 stop bit": the line settings without the port.
std::string describeLineSettings(const PortSettings& settings);

} // namespace varnu
