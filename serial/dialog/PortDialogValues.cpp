#include "serial/dialog/PortDialogValues.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <limits>
#include <string_view>

namespace varnu {
namespace {

// A field's number as the C library's atoi reads it: leading white space, one sign, digits up
// to the first other character; no digits give 0, and a value beyond 32 bits stops at the
// nearer limit.
std::int32_t readNumberText(std::string_view text) {
    const auto blank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    text.remove_prefix(static_cast<std::size_t>(std::find_if_not(text.begin(), text.end(), blank) - text.begin()));
    const bool negative = text.starts_with('-');
    if (negative || text.starts_with('+'))
        text.remove_prefix(1);
    std::uint64_t magnitude = 0; // an unsigned reading takes no second sign
    const std::errc error = std::from_chars(text.data(), text.data() + text.size(), magnitude).ec;
    if (error == std::errc::invalid_argument)
        return 0;
    constexpr std::uint64_t kLargest = std::numeric_limits<std::int32_t>::max();
    const bool beyond = error == std::errc::result_out_of_range || magnitude > kLargest + (negative ? 1 : 0);
    if (negative)
        return beyond ? std::numeric_limits<std::int32_t>::min()
                      : static_cast<std::int32_t>(-static_cast<std::int64_t>(magnitude));
    return beyond ? std::numeric_limits<std::int32_t>::max() : static_cast<std::int32_t>(magnitude);
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
