// Frames named by the worked example's catalogue and by the sample catalogue: every field
// kind, signed and unsigned data, several fitting targets, data frames, the link frames and
// broken frames, each compared with the whole line the trace, the tool tips and the CLI show.

#include "protocol/FrameDecode.h"
#include "catalogue/CatalogueLoader.h"
#include "serial/core/testing/ScriptedLink.h"

#include <gtest/gtest.h>


namespace varnu {
namespace {

using testing::bytesFromHex;

Catalogue loadFile(const std::string& relativePath) {
    Catalogue catalogue;
    const CatalogueLoadResult loaded = loadCatalogueFile(std::string(VARNU_SOURCE_DIR) + "/" + relativePath, catalogue);
    EXPECT_TRUE(loaded) << loaded.explanation;
    return catalogue;
}

const Catalogue& workedExample() {
    static const Catalogue catalogue = loadFile("catalogue/tests/data/worked_example.ini");
    return catalogue;
}

const Catalogue& sample() {
    static const Catalogue catalogue = loadFile("resources/varnu.ini");
    return catalogue;
}

constexpr auto kSent = FrameOrigin::Sent;
constexpr auto kReceived = FrameOrigin::Received;

struct DecodeCase {
    const char* why;
    const Catalogue& (*catalogue)();
    FrameOrigin origin;
    const char* frame;
    const char* text;
    friend void PrintTo(const DecodeCase& c, std::ostream* os) { *os << c.why; }
};

class FrameDecodeText : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(FrameDecodeText, NamesTheFrameInOneLine) {
    const DecodeCase& c = GetParam();
    EXPECT_EQ(describeFrame(bytesFromHex(c.frame), c.catalogue(), c.origin), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    WorkedExample, FrameDecodeText,
    ::testing::Values(
        DecodeCase{"signed data after a one-byte slave", workedExample, kSent, "1B 0C 01 00 00 03 1F 00 01 00 80 50",
                   "Set, class 00 Image, function 00 Level, target Unit: literal 03, Slave 1F (31), Address 000100 "
                   "(256), Data 80 (-128)"},
        DecodeCase{"unsigned data where the range starts at 0", workedExample, kSent,
                   "1B 0C 01 01 00 03 1F 00 00 10 80 40",
                   "Set, class 01 System, function 00 Status, target Unit: literal 03, Slave 1F (31), Address 000010 "
                   "(16), Data 80 (128)"},
        DecodeCase{"the read layout's group", workedExample, kSent, "1B 0E 02 00 00 03 1F 00 01 00 05 01 05 C2",
                   "Get, class 00 Image, function 00 Level, target Unit: literal 03, Slave 1F (31), Address 000100 "
                   "(256), group of 1 byte [Data 05 (5)]"},
        DecodeCase{"three-byte addresses, low and high bytes, Multi", workedExample, kSent,
                   "1B 10 01 00 00 00 00 00 00 01 00 00 01 AB C0 82",
                   "Set, class 00 Image, function 00 Level, target Panel: Slave 000000 (0), Address 000100 (256), "
                   "Address low 00 (0), Address high 01 (1), Multi ABC0"},
        DecodeCase{"an empty Multi", workedExample, kSent, "1B 0E 01 00 00 00 00 00 00 01 00 00 01 EF",
                   "Set, class 00 Image, function 00 Level, target Panel: Slave 000000 (0), Address 000100 (256), "
                   "Address low 00 (0), Address high 01 (1), Multi (no bytes)"},
        DecodeCase{"a data frame that fits both targets", workedExample, kReceived,
                   "1B 11 02 00 00 03 1F 00 01 00 05 01 07 05 01 2A 8D",
                   "Data frame (Get), class 00 Image, function 00 Level, target Unit: literal 03, Slave 1F (31), "
                   "Address 000100 (256), group of 1 byte [Data 07 (7)], reply 05012A | target Panel: Slave 031F00 "
                   "(204544), Address 010005 (65541), Address low 01 (1), Address high 07 (7), group of 1 byte [Data "
                   "2A (42)]"},
        DecodeCase{"a wrong checksum", workedExample, kSent, "1B 0C 01 00 00 03 1F 00 01 00 80 51",
                   "Set, class 00 Image, function 00 Level, target Unit: literal 03, Slave 1F (31), Address 000100 "
                   "(256), Data 80 (-128); checksum 51 is wrong (50 expected); bytes 1B 0C 01 00 00 03 1F 00 01 00 "
                   "80 51"},
        DecodeCase{"a wrong length byte", workedExample, kSent, "1B 0D 01 00 00 03 1F 00 01 00 80 4F",
                   "Set, class 00 Image, function 00 Level, target Unit: literal 03, Slave 1F (31), Address 000100 "
                   "(256), Data 80 (-128); length byte 0D, but the frame has 12 bytes; bytes 1B 0D 01 00 00 03 1F 00 "
                   "01 00 80 4F"},
        DecodeCase{"a class the catalogue lacks", workedExample, kSent, "1B 06 01 05 00 F4",
                   "Set, class 05 (not in the catalogue), function 00; bytes 1B 06 01 05 00 F4"},
        DecodeCase{"a function the catalogue lacks", workedExample, kSent, "1B 06 02 01 03 F4",
                   "Get, class 01 System, function 03 (not in the catalogue); bytes 1B 06 02 01 03 F4"},
        DecodeCase{"items no layout fits", workedExample, kSent, "1B 08 01 00 00 01 02 F4",
                   "Set, class 00 Image, function 00 Level; no target's layout fits the items; bytes 1B 08 01 00 00 "
                   "01 02 F4"},
        DecodeCase{"a command with an unknown attribute", workedExample, kSent, "1B 06 07 00 00 F3",
                   "Attribute 07 (unknown), class 00 Image, function 00 Level; bytes 1B 06 07 00 00 F3"},
        DecodeCase{"a link frame the catalogue does not hold", workedExample, kSent, "1B 07 01 00 06 02 F0",
                   "Set, class 00 Image, function 06 (not in the catalogue); port-speed command: 38400 baud; bytes "
                   "1B 07 01 00 06 02 F0"},
        DecodeCase{"too short", workedExample, kSent, "1B 03 02", "Too short for a frame (3 bytes); bytes 1B 03 02"},
        DecodeCase{"no ESC", workedExample, kReceived, "06", "Not a frame (no ESC first); bytes 06"},
        DecodeCase{"no bytes", workedExample, kSent, "", "Not a frame (no bytes)"}));

INSTANTIATE_TEST_SUITE_P(
    SampleCatalogue, FrameDecodeText,
    ::testing::Values(
        DecodeCase{"offsets, and two targets that fit", sample, kSent, "1B 0A 01 02 02 03 03 12 FF DA",
                   "Set, class 02 Lens, function 02 Shift, target Motor: literal 03, Slave 03 (3), Address low 12 "
                   "(18), Data FF (-1) | target Shift: literal 03, Slave+1 03 (3), Address low 12 (18), Data-1 FF "
                   "(-1)"},
        DecodeCase{"Multi in a group after the data", sample, kSent,
                   "1B 11 01 05 00 00 00 30 02 00 01 05 03 AA BB CC 7D",
                   "Set, class 05 Colour, function 00 Gamma table, target Gamma: Slave 000030 (48), Address high 02 "
                   "(2), Address low 00 (0), Data 01 (1), group of 3 bytes [Multi AABBCC]"},
        DecodeCase{"a group of Multi alone", sample, kSent, "1B 0F 01 04 00 03 20 00 10 00 05 02 01 02 AF",
                   "Set, class 04 Memory, function 00 Block, target Store: literal 03, Slave 20 (32), Address 001000 "
                   "(4096), group of 2 bytes [Multi 0102]"},
        DecodeCase{"a layout without items", sample, kSent, "1B 06 02 00 02 F6",
                   "Get, class 00 System, function 02 Status, target Main"},
        DecodeCase{"the value a data frame reports", sample, kReceived, "1B 07 02 00 02 2A CB",
                   "Data frame (Get), class 00 System, function 02 Status, target Main: reply 2A (42)"},
        DecodeCase{"a data frame with a code of its own reads as an answer", sample, kReceived, "1B 06 09 00 02 EF",
                   "Data frame (attribute 09), class 00 System, function 02 Status, target Main"},
        DecodeCase{"port-speed command", sample, kSent, "1B 07 01 00 06 02 F0",
                   "Set, class 00 System, function 06 Port speed, target Port: Data 02 (2); port-speed command: "
                   "38400 baud"},
        DecodeCase{"port-speed command without a speed", sample, kSent, "1B 07 01 00 06 05 ED",
                   "Set, class 00 System, function 06 Port speed, target Port: Data 05 (5); port-speed command: code "
                   "05 names no speed"},
        DecodeCase{"speed query", sample, kSent, "1B 06 02 00 06 F2",
                   "Get, class 00 System, function 06 Port speed, target Port; speed query"},
        DecodeCase{"the projector's speed", sample, kReceived, "1B 07 02 00 06 02 EF",
                   "Data frame (Get), class 00 System, function 06 Port speed, target Port: reply 02 (2)"},
        DecodeCase{"disable mouse/port from the projector", sample, kReceived, "1B 07 01 00 08 00 F0",
                   "Data frame (Set), class 00 System, function 08 Mouse port enable, target Port: Data 00 (0); "
                   "disable mouse/port command"},
        DecodeCase{"enable mouse/port sent back, with a wrong checksum", sample, kSent, "1B 07 01 00 08 01 EE",
                   "Set, class 00 System, function 08 Mouse port enable, target Port: Data 01 (1); enable mouse/port "
                   "command; checksum EE is wrong (EF expected); bytes 1B 07 01 00 08 01 EE"}));

TEST(FrameDecode, KeepsTheItemsByFieldForTheWindow) {
    const FrameDecode decode = decodeFrame(bytesFromHex("1B 0A 01 02 02 03 03 12 FF DA"), sample(), kSent);
    EXPECT_TRUE(decode.faults.empty());
    EXPECT_EQ(decode.attribute, Attribute::Set);
    EXPECT_EQ(decode.className, "Lens");
    EXPECT_EQ(decode.functionName, "Shift");
    EXPECT_TRUE(decode.signedData);
    ASSERT_EQ(decode.fits.size(), 2u);
    EXPECT_EQ(decode.fits[1].target, "Shift");
    EXPECT_EQ(decode.fits[1].items, (std::vector<DecodedItem>{{ItemRole::Literal, 3, 0, false, {0x03}},
                                                              {ItemRole::Field, SlaveOffset, 1, false, {0x03}},
                                                              {ItemRole::Field, AddressLow, 0, false, {0x12}},
                                                              {ItemRole::Field, DataOffset, -1, false, {0xFF}}}));
}

TEST(FrameDecode, EveryMultiItemHasTheLengthOfTheOneMultiField) {
    // The composer writes the Multi bytes data into every Multi item of a layout, here one
    // before the Data byte and one in the group after it.
    Catalogue catalogue;
    const std::vector<std::uint8_t> codes{Multi, Data, kGroupCode, Multi, End};
    catalogue.forms.push_back(TargetForm{.name = "T", .codes = {codes, {End}}});
    CommandFunction function;
    function.name = "F";
    function.targets = {"T"};
    catalogue.groups.push_back({"C", {function}});
    EXPECT_EQ(describeFrame(bytesFromHex("1B 0D 01 00 00 AA BB 07 05 02 CC DD D6"), catalogue, kSent),
              "Set, class 00 C, function 00 F, target T: Multi AABB, Data 07 (7), group of 2 bytes [Multi CCDD]");
    // A count byte that does not match the Multi length leaves no way to cut the items.
    EXPECT_EQ(describeFrame(bytesFromHex("1B 0D 01 00 00 AA BB 07 05 03 CC DD D5"), catalogue, kSent),
              "Set, class 00 C, function 00 F; no target's layout fits the items; bytes 1B 0D 01 00 00 AA BB 07 05 03 "
              "CC DD D5");
}

} // namespace
} // namespace varnu
