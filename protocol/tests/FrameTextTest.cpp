#include "protocol/FrameText.h"

#include <gtest/gtest.h>

namespace varnu {
namespace {

std::string hexOf(std::string_view entry) {
    return FormatHex(BuildFrame(entry));
}

TEST(BuildFrame, TurnsEntryTextsBackIntoTheirBytes) {
    EXPECT_EQ(hexOf("(1) ESC 07 01 00 08 00 F0"), "1B0701000800F0");
    // A token of several pairs gives one byte per pair.
    EXPECT_EQ(hexOf("(1) ESC 0A 02 01 02 05 02 0102 E7"), "1B0A0201020502010"
                                                          "2E7");
    EXPECT_EQ(hexOf("ESC 09 01 02 03 012345 88"), "1B09010203012345"
                                                  "88");
}

TEST(BuildFrame, OddTokensAndLengthsAreTakenAsTheTextSays) {
    // Three characters give the single byte of their first pair; one character gives nothing.
    EXPECT_EQ(hexOf("ESC 05 ABC 1 02"), "1B05AB02");
    // Two spaces after ESC leave the length token empty: the frame is 1B 00.
    EXPECT_EQ(hexOf("ESC  07 01 00 08 00 F0"), "1B00");
    // A long last token is taken whole, so the frame is longer than its length byte.
    EXPECT_EQ(hexOf("ESC 04 01020304"), "1B0401020304");
    // Fewer bytes than the length calls for give a shorter frame.
    EXPECT_EQ(hexOf("ESC 07 01 00"), "1B070100");
    EXPECT_TRUE(BuildFrame("no frame here").empty());
}

TEST(FormatHex, WritesTwoUpperCaseDigitsPerByte) {
    const std::vector<std::uint8_t> query{0x1B, 0x06, 0x02, 0x00, 0x06, 0xF2};
    EXPECT_EQ(FormatHex(query), "1B06020006F2");
    EXPECT_EQ(FormatHex({}), "");
    EXPECT_EQ(formatSpacedHex(query), "1B 06 02 00 06 F2");
    EXPECT_EQ(formatSpacedHex({}), "");
}

TEST(FrameOfText, ReadsEntryTextsAndHexBytesAndRefusesTheRest) {
    const auto hexOfText = [](std::string_view text) {
        const auto frame = frameOfText(text);
        return frame ? FormatHex(*frame) : std::string("refused");
    };
    for (const auto& [text, hex] : std::initializer_list<std::pair<std::string_view, std::string_view>>{
             {"(3) ESC 07 01 00 08 00 F0", "1B0701000800F0"},
             {"ESC 0A 02 01 02 05 02 0102 E7", "1B0A0201020502010"
                                               "2E7"},
             {"  ESC 07 01 00 08 00 F0\r\n", "1B0701000800F0"},
             {"ESC 08 02 01 02 05 00  EE", "1B080201020500EE"}, // an empty Multi leaves two blanks
             {"1B0701000800F0", "1B0701000800F0"},
             {"1b 07 01 00 08 00 f0", "1B0701000800F0"},
             {"1B07 0100\t0800F0", "1B0701000800F0"},
             {"06", "06"},
             {"ESC 07 01 00 08 0G F0", "refused"},
             {"ESC 07 01 00 08 0 F0", "refused"},
             {"(1)ESC 07 01 00 08 00 F0", "refused"},
             {"x ESC 07", "refused"},
             {"ESCAPE", "refused"},
             {"1B 0", "refused"},
             {"1 B", "refused"},
             {"hello", "refused"},
             {"", "refused"},
             {"   ", "refused"},
         }) {
        EXPECT_EQ(hexOfText(text), hex) << text;
    }
}

// The Receive List's lines as the transmit sequence writes them: only a data frame's hex counts.
TEST(FrameInReceiveLine, FindsTheDataFrameOfALine) {
    for (const auto& [line, hex] : std::initializer_list<std::pair<std::string_view, std::string_view>>{
             {"(3) ACK 1B0701000801EF", "1B0701000801EF"},
             {"        1B0702000602EF", "1B0702000602EF"},
             {"1B0702000602EF", "1B0702000602EF"},
             {"(12) ACK 1B07\r", "1B07"},
             {"(1) ACK ", ""},
             {"(1) NAK", ""},
             {"ACK", ""},
             {"No response.", ""},
             {"Send enable mouse/port command.", ""},
             {"(2) ACK 0601", ""},  // hex, but not a frame
             {"(2) ACK 1B070", ""}, // half a byte
             {"", ""},
         }) {
        const auto frame = frameInReceiveLine(line);
        EXPECT_EQ(frame ? FormatHex(*frame) : std::string(), hex) << line;
    }
}

} // namespace
} // namespace varnu
