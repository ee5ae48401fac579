#include "transmit_list/DataRadixText.h"

#include <gtest/gtest.h>

namespace varnu {
namespace {

TEST(DataRadixText, ConvertsTheLowByteBothWays) {
    struct Row {
        const char* text;
        const char* readAsHexToDec;
        const char* readAsDecToHex;
    };
    const Row rows[] = {
        {"FF", "-1", "00"},   {"200", "0", "C8"},   {"300", "0", "2C"},   {"", "0", "00"},    {"7F", "127", "07"},
        {"80", "-128", "50"}, {"-128", "40", "80"}, {" +12", "18", "0C"}, {"1G", "16", "01"}, // a foreign digit counts
                                                                                              // as 0
    };
    for (const Row& row : rows) {
        EXPECT_EQ(decimalDataText(row.text), row.readAsHexToDec) << row.text;
        EXPECT_EQ(hexDataText(row.text), row.readAsDecToHex) << row.text;
    }
}

TEST(DataRadixText, DefaultsKeepTheirValueInEitherRadix) {
    EXPECT_EQ(dataTextInRadix("10", DataRadix::Hex), "0A");
    EXPECT_EQ(dataTextInRadix("-3", DataRadix::Hex), "FD");
    EXPECT_EQ(dataTextInRadix("-3", DataRadix::Dec), "-3");
    for (int value = -128; value <= 255; ++value) {
        const std::string hex = dataTextInRadix(std::to_string(value), DataRadix::Hex);
        EXPECT_EQ(decimalDataText(hex), std::to_string(static_cast<std::int8_t>(value & 0xFF))) << value;
    }
}

} // namespace
} // namespace varnu
