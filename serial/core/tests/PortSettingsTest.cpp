// The line settings as messages name them, values that no setting has among them.

#include "serial/core/PortSettings.h"

#include <gtest/gtest.h>

namespace varnu {
namespace {

TEST(PortSettingsText, NamesEachSettingAndACodeThatHasNone) {
    const struct {
        PortSettings settings;
        const char* text;
    } cases[] = {
        {PortSettings{}, "9600 bit/s, 8 data bits, parity none, 1 stop bit"},
        {{"COM2", 38400, Parity::Mark, 7, StopBits::Two}, "38400 bit/s, 7 data bits, parity mark, 2 stop bits"},
        {{"COM2", 19200, Parity::Odd, 5, StopBits::OneAndHalf}, "19200 bit/s, 5 data bits, parity odd, 1.5 stop bits"},
        {{"COM2", 9600, Parity::Space, 8, StopBits::One}, "9600 bit/s, 8 data bits, parity space, 1 stop bit"},
        {{"COM2", 0, Parity(7), 9, StopBits(3)}, "0 bit/s, 9 data bits, the parity code 7, the stop-bit code 3"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(describeLineSettings(c.settings), c.text);
}

} // namespace
} // namespace varnu
