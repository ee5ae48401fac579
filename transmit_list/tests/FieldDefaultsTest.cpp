#include "transmit_list/FieldDefaults.h"

#include "transmit_list/tests/TestCatalogue.h"

#include <gtest/gtest.h>

namespace varnu {
namespace {

TEST(FormatEvenHex, PadsToAnEvenNumberOfDigits) {
    const std::pair<std::uint32_t, const char*> cases[] = {
        {0, "00"}, {0x1F, "1F"}, {0x100, "0100"}, {0x12345, "012345"}, {0xFFFFFFFF, "FFFFFFFF"}, {0xABCDEF, "ABCDEF"},
    };
    for (const auto& [value, text] : cases)
        EXPECT_EQ(formatEvenHex(value), text) << value;
}

// The 'Level' function of the sample catalogue: target 'Unit' writes Slave, Address, Data
// and reads Slave, Address; a second target 'Panel' reads and writes Multi.
Catalogue levelCatalogue() {
    Catalogue catalogue;
    TargetForm unit;
    unit.name = "Unit";
    unit.codes = {testing::withEnd({Slave, Address, Data}), testing::withEnd({3, Slave, AddressLow})};
    unit.fixedSlave = {0x1F, 0x100};
    unit.fixedAddress = {0, 0x12345};
    TargetForm panel;
    panel.name = "Panel";
    panel.codes = {testing::withEnd({Multi}), testing::withEnd({Multi})};
    catalogue.forms = {unit, panel};
    CommandFunction level{"Level", -128, 127, -3, {"Unit", "Panel"}};
    catalogue.groups.push_back({"Picture", {level}});
    return catalogue;
}

TEST(FillFieldDefaults, TakesTheFixedValuesOfTheAttributesPass) {
    const Catalogue catalogue = levelCatalogue();
    SelectionState state;
    state.dataText = "99";
    state.multiBytesText = "0102";
    state.dataRadix = DataRadix::Hex; // the default is decimal whatever the radix
    ASSERT_TRUE(fillFieldDefaults(catalogue, state));
    EXPECT_EQ(state.address1Text, "1F");
    EXPECT_EQ(state.address2Text, "00");
    EXPECT_EQ(state.dataText, "-3");
    EXPECT_EQ(state.multiBytesText, "");

    for (Attribute attribute : {Attribute::Get, Attribute::Reset}) {
        state.attribute = attribute;
        fillFieldDefaults(catalogue, state);
        EXPECT_EQ(state.address1Text, "0100");
        EXPECT_EQ(state.address2Text, "012345");
    }
}

TEST(FillFieldDefaults, ANegativeTargetIndexMeansTheFirstTarget) {
    Catalogue catalogue = levelCatalogue();
    catalogue.forms[1].fixedSlave = {0xAB, 0xAB};
    SelectionState state;
    state.targetIndex = -1;
    fillFieldDefaults(catalogue, state);
    EXPECT_EQ(state.address1Text, "1F");
    state.targetIndex = 1;
    fillFieldDefaults(catalogue, state);
    EXPECT_EQ(state.address1Text, "AB");
}

TEST(FillFieldDefaults, WithoutALayoutTheAddressesAreEmptied) {
    Catalogue catalogue = levelCatalogue();
    SelectionState state;
    state.address1Text = "12";
    state.targetIndex = 5;
    EXPECT_FALSE(fillFieldDefaults(catalogue, state));
    EXPECT_EQ(state.address1Text, "");
    EXPECT_EQ(state.dataText, "-3");
}

TEST(FieldFlags, FollowTheCodesUpToEnd) {
    struct Case {
        std::vector<std::uint8_t> codes;
        FieldFlags flags; // data, multi, address 1, address 2
    };
    const Case cases[] = {
        {{End}, {}},
        {{Slave, Address, Data, End}, {true, false, true, true}},
        {{DataOffset, SlaveOffset, End}, {true, false, true, false}},
        {{5, Multi, AddressHigh, End}, {false, true, false, true}},
        {{0, 1, 2, 3, 4, 5, 15, End}, {}},
        {{AddressLow, End, Data, Multi}, {false, false, false, true}}, // nothing after End counts
    };
    for (const Case& c : cases)
        EXPECT_EQ(fieldFlagsForCodes(c.codes), c.flags);

    const Catalogue catalogue = levelCatalogue();
    const auto& targets = catalogue.groups[0].functions[0].targets;
    EXPECT_EQ(fieldFlagsForTarget(catalogue, targets, 0, Attribute::Set), (FieldFlags{true, false, true, true}));
    EXPECT_EQ(fieldFlagsForTarget(catalogue, targets, 0, Attribute::Reset), (FieldFlags{false, false, true, true}));
    EXPECT_EQ(fieldFlagsForTarget(catalogue, targets, 1, Attribute::Get), (FieldFlags{false, true, false, false}));
    EXPECT_FALSE(fieldFlagsForTarget(catalogue, targets, -1, Attribute::Set));
}

} // namespace
} // namespace varnu
