#include "transmit_list/FieldDefaults.h"

#include "transmit_list/tests/TestCatalogue.h"

#include <gtest/gtest.h>

namespace varnu {
namespace {

TEST(FormatEvenHex, PadsToAnEvenNumberOfDigits) {
    EXPECT_EQ(formatEvenHex(0), "00");
    EXPECT_EQ(formatEvenHex(0x1F), "1F");
    EXPECT_EQ(formatEvenHex(0x100), "0100");
    EXPECT_EQ(formatEvenHex(0x12345), "012345");
    EXPECT_EQ(formatEvenHex(0xFFFFFFFF), "FFFFFFFF");
}

// 'Level' with target 'Unit' (writes Slave, Address, Data; reads 3, Slave, AddressLow) and
// target 'Panel' (Multi both ways).
Catalogue levelCatalogue() {
    Catalogue catalogue;
    catalogue.forms = {{.name = "Unit",
                        .codes = {testing::withEnd({Slave, Address, Data}), testing::withEnd({3, Slave, AddressLow})},
                        .fixedSlave = {0x1F, 0x100},
                        .fixedAddress = {0, 0x12345}},
                       {.name = "Panel", .codes = {testing::withEnd({Multi}), testing::withEnd({Multi})}}};
    catalogue.groups.push_back({"Picture", {{"Level", -128, 127, -3, {"Unit", "Panel"}}}});
    return catalogue;
}

TEST(FillFieldDefaults, ReplacesTheFieldsFromTheAttributesPass) {
    const Catalogue catalogue = levelCatalogue();
    SelectionState state{.targetIndex = -1, .dataText = "99", .multiBytesText = "0102", .dataRadix = DataRadix::Hex};
    ASSERT_TRUE(fillFieldDefaults(catalogue, state));
    EXPECT_EQ(state.address1Text + "|" + state.address2Text + "|" + state.dataText + "|" + state.multiBytesText,
              "1F|00|FD|");
    state.attribute = Attribute::Reset;
    fillFieldDefaults(catalogue, state);
    EXPECT_EQ(state.address1Text + "|" + state.address2Text, "0100|012345");
    state.targetIndex = 1;
    fillFieldDefaults(catalogue, state);
    EXPECT_EQ(state.address1Text + "|" + state.address2Text, "00|00");
    state.targetIndex = 2; // no such target
    EXPECT_FALSE(fillFieldDefaults(catalogue, state));
    EXPECT_EQ(state.address1Text + "|" + state.dataText, "|FD");
    state.dataRadix = DataRadix::Dec;
    fillFieldDefaults(catalogue, state);
    EXPECT_EQ(state.dataText, "-3");
}

TEST(FieldFlags, FollowTheCodesUpToEnd) {
    EXPECT_EQ(fieldFlagsForCodes({End}), FieldFlags{});
    EXPECT_EQ(fieldFlagsForCodes({DataOffset, SlaveOffset, End}), (FieldFlags{true, false, true, false}));
    EXPECT_EQ(fieldFlagsForCodes({5, Multi, AddressHigh, End}), (FieldFlags{false, true, false, true}));
    EXPECT_EQ(fieldFlagsForCodes({0, 1, 2, 3, 4, 15, End}), FieldFlags{});
    EXPECT_EQ(fieldFlagsForCodes({AddressLow, End, Data, Multi}), (FieldFlags{false, false, false, true}));

    const Catalogue catalogue = levelCatalogue();
    const auto& targets = catalogue.groups[0].functions[0].targets;
    EXPECT_EQ(fieldFlagsForTarget(catalogue, targets, 0, Attribute::Set), (FieldFlags{true, false, true, true}));
    EXPECT_EQ(fieldFlagsForTarget(catalogue, targets, 0, Attribute::Get), (FieldFlags{false, false, true, true}));
    EXPECT_EQ(fieldFlagsForTarget(catalogue, targets, 1, Attribute::Set), (FieldFlags{false, true, false, false}));
    EXPECT_FALSE(fieldFlagsForTarget(catalogue, targets, -1, Attribute::Set));
}

} // namespace
} // namespace varnu
