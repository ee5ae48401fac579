#include "transmit_list/DataRadixText.h"

#include "catalogue/ParseHexText.h"
#include "transmit_list/EntryComposer.h"

#include <cstdint>
#include <cstdio>

namespace varnu {

std::string decimalDataText(std::string_view hexText) {
    const auto low = static_cast<std::int8_t>(parseHexText(hexText) & 0xFF);
    return std::to_string(low);
}

std::string hexDataText(std::string_view decimalText) {
    const auto low = static_cast<unsigned>(readDecimalData(decimalText)) & 0xFF;
    char digits[3];
    std::snprintf(digits, sizeof digits, "%02X", low);
    return digits;
}

std::string dataTextInRadix(std::string_view decimalText, DataRadix radix) {
    return radix == DataRadix::Hex ? hexDataText(decimalText) : std::string(decimalText);
}

} // namespace varnu
