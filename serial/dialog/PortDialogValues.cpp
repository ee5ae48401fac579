#include "serial/dialog/PortDialogValues.h"

#include <cctype>
#include <string_view>

#include "catalogue/TextScan.h"

namespace varnu {
namespace {

// Leading white space, one sign, digits up to the first other character; no digits give 0.
std::int32_t readNumberText(std::string_view text) {
    std::size_t start = 0;
    while (start < text.size() && std::isspace(static_cast<unsigned char>(text[start])))
        ++start;
    return readDecimal32(text.substr(start));
}

template <typename T> bool assignIfDifferent(T& field, T value) {
    if (field == value)
        return false;
    field = value;
    return true;
}

} // namespace

PortDialogValues dialogValuesFrom(const PortSettings& settings) {
    return {settings.portName, std::to_string(settings.baudRate), std::to_string(settings.dataBits),
            static_cast<int>(settings.parity), static_cast<int>(settings.stopBits)};
}

bool applyDialogValues(const PortDialogValues& values, PortSettings& settings) {
    bool changed = assignIfDifferent(settings.portName, values.portText);
    changed |= assignIfDifferent(settings.baudRate, static_cast<std::uint32_t>(readNumberText(values.baudText)));
    changed |= assignIfDifferent(settings.parity, static_cast<Parity>(values.parityIndex));
    changed |= assignIfDifferent(settings.dataBits, static_cast<std::uint8_t>(readNumberText(values.dataBitsText)));
    changed |= assignIfDifferent(settings.stopBits, static_cast<StopBits>(values.stopBitIndex));
    return changed;
}

} // namespace varnu
