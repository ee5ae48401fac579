// Random compositions over generated catalogues: whatever the composer accepts must stand
// for exactly the bytes its length byte counts, with a checksum that balances, and must
// survive a list-file round trip unchanged.

#include "protocol/FrameText.h"
#include "transmit_list/EntryComposer.h"
#include "transmit_list/ListFile.h"
#include "transmit_list/tests/TestCatalogue.h"

#include <gtest/gtest.h>

#include <random>

namespace varnu {
namespace {

constexpr int kRuns = 5000;
constexpr std::uint8_t kValidCodes[] = {0,     1,       2,          3,           4,     5,          15,         Data,
                                        Slave, Address, DataOffset, SlaveOffset, Multi, AddressLow, AddressHigh};

class Generator {
public:
    explicit Generator(unsigned seed) : random_(seed) {}

    int upTo(int max) { return std::uniform_int_distribution<int>(0, max)(random_); }

    std::vector<std::uint8_t> codes() {
        std::vector<std::uint8_t> list(static_cast<std::size_t>(upTo(12)));
        for (auto& code : list)
            code = kValidCodes[upTo(std::size(kValidCodes) - 1)];
        return list;
    }

    // Hex digits of either case with the odd blank; now and then a length that overflows.
    std::string hexText(int maxLength) {
        static constexpr char kChars[] = "0123456789ABCDEFabcdef   ";
        std::string text(static_cast<std::size_t>(upTo(maxLength)), ' ');
        for (char& c : text)
            c = kChars[upTo(sizeof kChars - 2)];
        if (upTo(50) == 0)
            text += '!';
        return text;
    }

    std::string decimalText() { return std::string(upTo(2), ' ') + (upTo(1) ? "-" : "") + std::to_string(upTo(999)); }

    std::int32_t offset() { return upTo(3) == 0 ? upTo(600) - 300 : 0; }

private:
    std::mt19937 random_;
};

unsigned balance(const std::vector<std::uint8_t>& frame) {
    unsigned sum = 0;
    for (std::size_t i = 1; i < frame.size(); ++i)
        sum += frame[i];
    return sum % 256;
}

TEST(ComposerProperty, AcceptedTextsStandForExactlyTheirCountedBytes) {
    Generator generate(20261207);
    int accepted = 0;
    for (int run = 0; run < kRuns; ++run) {
        const int classIndex = generate.upTo(20);
        const int functionIndex = generate.upTo(20);
        Catalogue catalogue = testing::catalogueWith(classIndex, functionIndex, generate.codes());
        TargetForm& form = catalogue.forms[0];
        form.codes[1] = testing::withEnd(generate.codes());
        form.dataOffset = {generate.offset(), generate.offset()};
        form.slaveOffset = {generate.offset(), generate.offset()};

        SelectionState state = testing::selection(static_cast<Attribute>(generate.upTo(2)), classIndex, functionIndex);
        state.address1Text = generate.hexText(8);
        state.address2Text = generate.hexText(8);
        state.multiBytesText = generate.hexText(generate.upTo(4) == 0 ? 600 : 40);
        state.dataRadix = generate.upTo(1) ? DataRadix::Hex : DataRadix::Dec;
        state.dataText = state.dataRadix == DataRadix::Hex ? generate.hexText(4) : generate.decimalText();

        const ComposeResult result = composeFrameText(catalogue, state);
        if (!result.ok()) {
            EXPECT_EQ(result.text, "");
            continue;
        }
        ++accepted;
        const std::vector<std::uint8_t> frame = BuildFrame(result.text);
        ASSERT_GE(frame.size(), 2u) << result.text;
        ASSERT_EQ(frame.size(), frame[1]) << result.text;
        ASSERT_EQ(balance(frame), 0u) << result.text;

        std::string reread = result.text;
        ASSERT_TRUE(CheckFrameText(reread)) << result.text;
        ASSERT_EQ(reread, result.text);
    }
    // Most compositions are sound: the property must not hold only vacuously.
    EXPECT_GT(accepted, kRuns / 2);
}

} // namespace
} // namespace varnu
