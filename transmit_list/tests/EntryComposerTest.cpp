#include "transmit_list/EntryComposer.h"

#include "transmit_list/tests/TestCatalogue.h"

#include <gtest/gtest.h>

namespace varnu {
namespace {

using testing::catalogueWith;

struct Fields {
    std::string address1{}, address2{}, data{}, multi{};
    DataRadix radix = DataRadix::Hex;
};

ComposeResult compose(Attribute attribute, int classIndex, int functionIndex, const std::vector<std::uint8_t>& codes,
                      const Fields& fields) {
    SelectionState state = testing::selection(attribute, classIndex, functionIndex);
    state.address1Text = fields.address1;
    state.address2Text = fields.address2;
    state.dataText = fields.data;
    state.multiBytesText = fields.multi;
    state.dataRadix = fields.radix;
    return composeFrameText(catalogueWith(classIndex, functionIndex, codes), state);
}

TEST(EntryComposer, RendersEachItemAsTheFrameTextFormatSays) {
    using enum Attribute;
    const struct {
        Attribute attribute;
        int classIndex, functionIndex;
        std::vector<std::uint8_t> codes;
        Fields fields;
        const char* frameText;
    } examples[] = {
        {Set, 0, 8, {Data}, {.data = "00"}, "ESC 07 01 00 08 00 F0"},
        {Set, 0, 8, {Data}, {.data = "01"}, "ESC 07 01 00 08 01 EF"},
        {Get, 0, 0, {}, {}, "ESC 06 02 00 00 F8"},
        {Get, 1, 2, {5, Multi}, {.multi = "0102"}, "ESC 0A 02 01 02 05 02 0102 E7"},
        {Set, 2, 3, {3, Slave}, {.address1 = "1234"}, "ESC 08 01 02 03 03 34 BB"},
        {Set, 2, 3, {Slave}, {.address1 = "12345"}, "ESC 09 01 02 03 012345 88"},
        {Set, 0, 0, {Multi}, {.multi = "ABC"}, "ESC 08 01 00 00 ABC0 8C"},
        {Set, 0, 0, {Multi, 1}, {}, "ESC 07 01 00 00  01 F7"}, // an empty Multi keeps its space
        {Set, 0, 0, {AddressLow, AddressHigh}, {.address2 = "1234"}, "ESC 08 01 00 00 34 12 B1"},
        {Set, 0, 0, {Data}, {.data = "-1", .radix = DataRadix::Dec}, "ESC 07 01 00 00 FF F9"},
        {Set, 0, 0, {Data}, {.data = " +12x5", .radix = DataRadix::Dec}, "ESC 07 01 00 00 0C EC"},
        // The edges of one byte, signed and unsigned.
        {Set, 0, 0, {Data}, {.data = "255", .radix = DataRadix::Dec}, "ESC 07 01 00 00 FF F9"},
        {Set, 0, 0, {Data}, {.data = "-128", .radix = DataRadix::Dec}, "ESC 07 01 00 00 80 78"},
        {Set, 0, 0, {Data}, {.data = "00FF"}, "ESC 07 01 00 00 FF F9"},
        {Reset, 0, 0, {Slave, Multi}, {.address1 = " 12 34", .multi = "01 02\t03"}, "ESC 0C 03 00 00 001234 010203 A5"},
        {Set, 0, 0, {0, 1, 2, 3, 4, 15}, {}, "ESC 0C 01 00 00 00 01 02 03 04 0F DA"},
        // Fields the layout does not use are not looked at.
        {Set, 0, 0, {Data}, {.address1 = "not hex", .data = "1", .multi = "x"}, "ESC 07 01 00 00 01 F7"},
    };
    for (const auto& e : examples)
        EXPECT_EQ(compose(e.attribute, e.classIndex, e.functionIndex, e.codes, e.fields).text, e.frameText);
}

TEST(EntryComposer, UsesTheOffsetsOfTheAttributesPassAndNumbersTheEntry) {
    Catalogue catalogue = catalogueWith(0, 0, {DataOffset, SlaveOffset});
    catalogue.forms[0].dataOffset = {-2, 5};
    catalogue.forms[0].slaveOffset = {0x10, -1};
    SelectionState state = testing::selection(Attribute::Set, 0, 0);
    state.dataText = "01";
    state.address1Text = "20";
    EXPECT_EQ(composeEntry(catalogue, state, 10).text, "(10) ESC 0A 01 00 00 FF 000030 C6");
    state.attribute = Attribute::Get;
    EXPECT_EQ(composeFrameText(catalogue, state).text, "ESC 0A 02 00 00 06 00001F CF");
    state.address1Text = "00"; // 0 - 1 does not fit three bytes
    EXPECT_NE(composeFrameText(catalogue, state).error.find("offset -1"), std::string::npos);
}

TEST(EntryComposer, RefusesWhatTheFrameCannotCarry) {
    const struct {
        std::vector<std::uint8_t> codes;
        Fields fields;
        const char* errorMentions;
    } refusals[] = {
        {{Multi}, {.multi = std::string(500, 'A')}, "at most 255"}, // 256 bytes
        {{5, Multi, Multi}, {.multi = std::string(256, 'B')}, "group"},
        {{Slave}, {.address1 = "1000000"}, "Address 1"},
        {{Address}, {.address2 = "100000000"}, "Address 2"}, // would wrap to 0 at 32 bits
        {{Slave}, {.address1 = "12G4"}, "Address 1"},
        {{Multi}, {.multi = "01,02"}, "Multi bytes data"},
        {{Data}, {.data = "0x"}, "Data"},
        // A Data value that does not fit one byte is refused, not cut to its low byte.
        {{Data}, {.data = "1FF"}, "Data must lie between 00 and FF"},
        {{Data}, {.data = "256", .radix = DataRadix::Dec}, "Data must lie between -128 and 255"},
        {{Data}, {.data = "-129", .radix = DataRadix::Dec}, "'-129' does not fit one byte"},
        {{Data}, {.data = "4294967297", .radix = DataRadix::Dec}, "Data"}, // 2^32 + 1 would wrap to 1
        {{DataOffset}, {.data = "300", .radix = DataRadix::Dec}, "Data"},
        {{7}, {}, "code 7"},
        {{Data, 16}, {.data = "1"}, "code 16"},
    };
    for (const auto& r : refusals) {
        const ComposeResult result = compose(Attribute::Set, 0, 0, r.codes, r.fields);
        EXPECT_EQ(result.text, "");
        EXPECT_NE(result.error.find(r.errorMentions), std::string::npos) << result.error;
    }
    // The longest frame that fits: 249 item bytes.
    EXPECT_EQ(compose(Attribute::Set, 0, 0, {Multi}, {.multi = std::string(498, '1')}).text.substr(0, 7), "ESC FF ");
}

TEST(EntryComposer, RefusesASelectionWithoutLayout) {
    Catalogue catalogue = catalogueWith(0, 0, {Data});
    EXPECT_FALSE(composeFrameText(catalogue, testing::selection(Attribute::Set, 0, 1)).ok());
    SelectionState state = testing::selection(Attribute::Set, 0, 0);
    state.targetIndex = 1;
    EXPECT_FALSE(composeFrameText(catalogue, state).ok());
    catalogue.groups[0].functions[0].targets = {"Nowhere"};
    state.targetIndex = -1;
    EXPECT_NE(composeFrameText(catalogue, state).error.find("Nowhere"), std::string::npos);
}

} // namespace
} // namespace varnu
