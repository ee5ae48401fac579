// Random compositions over generated layouts: whatever the composer accepts stands for
// exactly the bytes its length byte counts, balances its checksum, reads back unchanged
// from a list file, and decodes as a frame of the layout it was composed from.

#include "protocol/FrameDecode.h"
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
    int upTo(int max) { return std::uniform_int_distribution<int>(0, max)(random_); }

    std::vector<std::uint8_t> codes() {
        std::vector<std::uint8_t> list(static_cast<std::size_t>(upTo(12)));
        for (auto& code : list)
            code = kValidCodes[upTo(std::size(kValidCodes) - 1)];
        return list;
    }

    // Hex digits of either case with blanks between; now and then a character to refuse.
    std::string hexText(int maxLength) {
        static constexpr char kChars[] = "0123456789ABCDEFabcdef \t";
        std::string text(static_cast<std::size_t>(upTo(maxLength)), ' ');
        for (char& c : text)
            c = kChars[upTo(sizeof kChars - 2)];
        return upTo(50) == 0 ? text + "!" : text;
    }

    std::int32_t offset() { return upTo(3) == 0 ? upTo(600) - 300 : 0; }

private:
    std::mt19937 random_{20261207};
};

TEST(ComposerProperty, AcceptedTextsStandForExactlyTheirCountedBytes) {
    Generator generate;
    int accepted = 0;
    for (int run = 0; run < kRuns; ++run) {
        SelectionState state =
            testing::selection(static_cast<Attribute>(generate.upTo(2)), generate.upTo(20), generate.upTo(20));
        Catalogue catalogue = testing::catalogueWith(state.classIndex, state.functionIndex, generate.codes());
        TargetForm& form = catalogue.forms[0];
        form.codes[1] = testing::withEnd(generate.codes());
        form.dataOffset = {generate.offset(), generate.offset()};
        form.slaveOffset = {generate.offset(), generate.offset()};
        state.address1Text = generate.hexText(8);
        state.address2Text = generate.hexText(8);
        state.multiBytesText = generate.hexText(generate.upTo(4) == 0 ? 600 : 40);
        state.dataRadix = generate.upTo(1) ? DataRadix::Hex : DataRadix::Dec;
        state.dataText =
            state.dataRadix == DataRadix::Hex ? generate.hexText(4) : std::to_string(generate.upTo(999) - 500);

        const ComposeResult result = composeFrameText(catalogue, state);
        if (!result.ok())
            continue;
        ++accepted;
        const std::vector<std::uint8_t> frame = BuildFrame(result.text);
        ASSERT_EQ(frame.size(), frame.at(1)) << result.text;
        unsigned sum = 0;
        for (std::size_t i = 1; i < frame.size(); ++i)
            sum += frame[i];
        ASSERT_EQ(sum % 256, 0u) << result.text;
        std::string reread = result.text;
        ASSERT_TRUE(CheckFrameText(reread)) << result.text;
        ASSERT_EQ(reread, result.text);
        const FrameDecode decode = decodeFrame(frame, catalogue, FrameOrigin::Sent);
        ASSERT_TRUE(decode.faults.empty() && decode.fits.size() == 1) << result.text << "\n"
                                                                      << formatFrameDecode(decode);
    }
    EXPECT_GT(accepted, kRuns / 2); // the property must not hold only vacuously
}

} // namespace
} // namespace varnu
