#include "transmit_list/EntryComposer.h"

#include "protocol/FrameText.h"
#include "transmit_list/tests/TestCatalogue.h"

#include <gtest/gtest.h>

namespace varnu {
namespace {

using testing::catalogueWith;
using testing::selection;

struct Example {
    const char* what;
    Attribute attribute;
    int classIndex;
    int functionIndex;
    std::vector<std::uint8_t> codes;
    SelectionState fields; // only the texts and radix are taken from here
    const char* frameText;
};

SelectionState fields(std::string address1, std::string address2, std::string data, std::string multi,
                      DataRadix radix = DataRadix::Hex) {
    SelectionState state;
    state.address1Text = std::move(address1);
    state.address2Text = std::move(address2);
    state.dataText = std::move(data);
    state.multiBytesText = std::move(multi);
    state.dataRadix = radix;
    return state;
}

ComposeResult compose(const Example& example) {
    SelectionState state = example.fields;
    state.attribute = example.attribute;
    state.classIndex = example.classIndex;
    state.functionIndex = example.functionIndex;
    return composeFrameText(catalogueWith(example.classIndex, example.functionIndex, example.codes), state);
}

TEST(EntryComposer, RendersEachItemAsTheFrameTextFormatSays) {
    const Example examples[] = {
        {"data 00", Attribute::Set, 0, 8, {Data}, fields("", "", "00", ""), "ESC 07 01 00 08 00 F0"},
        {"data 01", Attribute::Set, 0, 8, {Data}, fields("", "", "01", ""), "ESC 07 01 00 08 01 EF"},
        {"no items", Attribute::Get, 0, 0, {}, fields("", "", "", ""), "ESC 06 02 00 00 F8"},
        {"group of multi",
         Attribute::Get,
         1,
         2,
         {5, Multi},
         fields("", "", "", "0102"),
         "ESC 0A 02 01 02 05 02 0102 E7"},
        {"slave after 3 is one byte",
         Attribute::Set,
         2,
         3,
         {3, Slave},
         fields("1234", "", "", ""),
         "ESC 08 01 02 03 03 34 BB"},
        {"slave is three bytes",
         Attribute::Set,
         2,
         3,
         {Slave},
         fields("12345", "", "", ""),
         "ESC 09 01 02 03 012345 88"},
        {"odd multi is padded", Attribute::Set, 0, 0, {Multi}, fields("", "", "", "ABC"), "ESC 08 01 00 00 ABC0 8C"},
        {"empty multi keeps its space",
         Attribute::Set,
         0,
         0,
         {Multi, 1},
         fields("", "", "", ""),
         "ESC 07 01 00 00  01 F7"},
        {"address low and high",
         Attribute::Set,
         0,
         0,
         {AddressLow, AddressHigh},
         fields("", "1234", "", ""),
         "ESC 08 01 00 00 34 12 B1"},
        {"negative decimal data",
         Attribute::Set,
         0,
         0,
         {Data},
         fields("", "", "-1", "", DataRadix::Dec),
         "ESC 07 01 00 00 FF F9"},
        {"decimal reading stops at the first other character",
         Attribute::Set,
         0,
         0,
         {Data},
         fields("", "", "  +12x5", "", DataRadix::Dec),
         "ESC 07 01 00 00 0C EC"},
        {"blanks dropped from hex fields",
         Attribute::Reset,
         0,
         0,
         {Slave, Multi},
         fields(" 12 34 ", "", "", "01 02\t03"),
         "ESC 0C 03 00 00 001234 010203 A5"},
        {"literal bytes",
         Attribute::Set,
         0,
         0,
         {0, 1, 2, 3, 4, 15},
         fields("", "", "", ""),
         "ESC 0C 01 00 00 00 01 02 03 04 0F DA"},
    };
    for (const Example& example : examples) {
        const ComposeResult result = compose(example);
        EXPECT_EQ(result.error, "") << example.what;
        EXPECT_EQ(result.text, example.frameText) << example.what;
        // The bytes the text stands for: LL of them, summing to 0 from the length on.
        const std::vector<std::uint8_t> frame = BuildFrame(result.text);
        ASSERT_GE(frame.size(), 2u) << example.what;
        EXPECT_EQ(frame.size(), frame[1]) << example.what;
        unsigned sum = 0;
        for (std::size_t i = 1; i < frame.size(); ++i)
            sum += frame[i];
        EXPECT_EQ(sum % 256, 0u) << example.what;
    }
}

TEST(EntryComposer, UsesTheOffsetsOfTheAttributesPass) {
    Catalogue catalogue = catalogueWith(0, 0, {DataOffset, SlaveOffset});
    TargetForm& form = catalogue.forms[0];
    form.dataOffset = {-2, 5};
    form.slaveOffset = {0x10, -1};
    SelectionState state = selection(Attribute::Set, 0, 0);
    state.dataText = "01";
    state.address1Text = "20";
    EXPECT_EQ(composeFrameText(catalogue, state).text, "ESC 0A 01 00 00 FF 000030 C6");
    state.attribute = Attribute::Get; // the read pass: +5 and -1
    EXPECT_EQ(composeFrameText(catalogue, state).text, "ESC 0A 02 00 00 06 00001F CF");
}

TEST(EntryComposer, NumbersTheEntry) {
    SelectionState state = selection(Attribute::Set, 0, 8);
    state.dataText = "00";
    EXPECT_EQ(composeEntry(catalogueWith(0, 8, {Data}), state, 10).text, "(10) ESC 07 01 00 08 00 F0");
}

struct Refusal {
    const char* what;
    std::vector<std::uint8_t> codes;
    SelectionState fields;
    const char* errorMentions;
};

TEST(EntryComposer, RefusesWhatTheFrameCannotCarry) {
    const std::string multi250(500, 'A');
    const Refusal refusals[] = {
        {"frame over 255 bytes", {Multi}, fields("", "", "", multi250), "255"},
        {"group over 255 bytes", {5, Multi, Multi}, fields("", "", "", std::string(256, 'B')), "group"},
        {"slave over three bytes", {Slave}, fields("1000000", "", "", ""), "Address 1"},
        {"long address that would wrap", {Address}, fields("", "100000000", "", ""), "Address 2"},
        {"non-hex in address 1", {Slave}, fields("12G4", "", "", ""), "Address 1"},
        {"non-hex in multi", {Multi}, fields("", "", "", "01,02"), "Multi bytes data"},
        {"non-hex in data (hex radix)", {Data}, fields("", "", "0x", ""), "Data"},
        {"literal 7", {7}, fields("", "", "", ""), "7"},
        {"literal 16", {Data, 16}, fields("", "", "1", ""), "16"},
    };
    for (const Refusal& refusal : refusals) {
        SelectionState state = refusal.fields;
        const ComposeResult result = composeFrameText(catalogueWith(0, 0, refusal.codes), state);
        EXPECT_FALSE(result.ok()) << refusal.what;
        EXPECT_EQ(result.text, "") << refusal.what;
        EXPECT_NE(result.error.find(refusal.errorMentions), std::string::npos) << refusal.what << ": " << result.error;
    }
}

TEST(EntryComposer, TheLargestFrameStillFitsItsLengthByte) {
    // 249 item bytes make a frame of exactly 255 bytes.
    SelectionState state = selection(Attribute::Set, 0, 0);
    state.multiBytesText = std::string(498, '1');
    const ComposeResult result = composeFrameText(catalogueWith(0, 0, {Multi}), state);
    ASSERT_TRUE(result.ok()) << result.error;
    EXPECT_EQ(result.text.substr(0, 7), "ESC FF ");
    EXPECT_EQ(BuildFrame(result.text).size(), 255u);
}

TEST(EntryComposer, SlaveOffsetMustStayWithinThreeBytes) {
    Catalogue catalogue = catalogueWith(0, 0, {SlaveOffset});
    catalogue.forms[0].slaveOffset = {-1, -1};
    SelectionState state = selection(Attribute::Set, 0, 0);
    state.address1Text = "00";
    EXPECT_NE(composeFrameText(catalogue, state).error.find("offset -1"), std::string::npos);
    state.address1Text = "01";
    EXPECT_EQ(composeFrameText(catalogue, state).text, "ESC 09 01 00 00 000000 F6");
}

TEST(EntryComposer, FieldsTheLayoutDoesNotUseAreNotChecked) {
    SelectionState state = selection(Attribute::Set, 0, 0);
    state.address1Text = "not hex";
    state.multiBytesText = "xyz";
    state.dataText = "01";
    EXPECT_TRUE(composeFrameText(catalogueWith(0, 0, {Data}), state).ok());
}

TEST(EntryComposer, RefusesASelectionWithoutLayout) {
    Catalogue catalogue = catalogueWith(0, 0, {Data});
    SelectionState state = selection(Attribute::Set, 0, 1);
    EXPECT_FALSE(composeFrameText(catalogue, state).ok());
    state = selection(Attribute::Set, 0, 0);
    state.targetIndex = 1;
    EXPECT_FALSE(composeFrameText(catalogue, state).ok());
    catalogue.groups[0].functions[0].targets = {"Nowhere"};
    state.targetIndex = -1;
    EXPECT_NE(composeFrameText(catalogue, state).error.find("Nowhere"), std::string::npos);
}

TEST(ReadDecimalData, ReadsLikeTheDataField) {
    EXPECT_EQ(readDecimalData(""), 0);
    EXPECT_EQ(readDecimalData("abc"), 0);
    EXPECT_EQ(readDecimalData(" \t-128"), -128);
    EXPECT_EQ(readDecimalData("255 1"), 255);
    EXPECT_EQ(readDecimalData("- 5"), 0);
    // Wrapping keeps the low byte of what was typed: 4294967297 is 2^32 + 1.
    EXPECT_EQ(readDecimalData("4294967297") & 0xFF, 1);
}

} // namespace
} // namespace varnu
