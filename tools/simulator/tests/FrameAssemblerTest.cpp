#include "tools/simulator/FrameAssembler.h"

#include <gtest/gtest.h>

namespace varnu::sim {
namespace {

using namespace std::chrono_literals;

Bytes hex(std::string_view text) {
    return parseHexBytes(text).value();
}

TEST(FrameBytes, BuildsFramesWhoseBytesFromTheLengthOnSumToZero) {
    EXPECT_EQ(spacedHex(makeFrame(hex("01 00 08 00"))), "1B 07 01 00 08 00 F0");
    EXPECT_EQ(spacedHex(makeFrame(hex("02 00 06"))), "1B 06 02 00 06 F2");
    EXPECT_TRUE(hasValidChecksum(hex("1B 07 01 00 08 01 EF")));
    EXPECT_FALSE(hasValidChecksum(hex("1B 07 01 00 08 01 EE")));
    EXPECT_FALSE(hasValidChecksum(hex("1B")));
}

TEST(FrameBytes, HexBytesAreStrict) {
    EXPECT_EQ(hex("1b0701 00"), hex("1B 07 01 00"));
    for (std::string_view bad : {"1", "1 B", "1G", "0x1B", "1B,07"})
        EXPECT_FALSE(parseHexBytes(bad)) << bad;
    EXPECT_EQ(parseHexBytes(""), Bytes{});
}

struct Fed {
    std::vector<Arrival> arrivals;
    std::vector<std::string> texts() const {
        std::vector<std::string> out;
        for (const Arrival& a : arrivals)
            out.push_back((a.kind == Arrival::Kind::Frame ? "frame " : "byte ") + spacedHex(a.bytes));
        return out;
    }
};

TEST(FrameAssembler, SeparatesFramesFromStrayBytes) {
    FrameAssembler assembler;
    Fed fed;
    assembler.feed(hex("06 41 1B 07 01 00 08 01 EF 15 1B 06 02"), 0us, fed.arrivals);
    assembler.feed(hex("00 06 F2"), 1ms, fed.arrivals);
    EXPECT_EQ(fed.texts(), (std::vector<std::string>{"byte 06", "byte 41", "frame 1B 07 01 00 08 01 EF", "byte 15",
                                                     "frame 1B 06 02 00 06 F2"}));
}

TEST(FrameAssembler, TakesAsManyBytesAsTheLengthByteSays) {
    FrameAssembler assembler;
    Fed fed;
    // A long length byte is unsigned: 0x80 bytes make one frame, not a negative count.
    Bytes longFrame(0x80, 0x00);
    longFrame[0] = 0x1B;
    longFrame[1] = 0x80;
    assembler.feed(longFrame, 0us, fed.arrivals);
    ASSERT_EQ(fed.arrivals.size(), 1u);
    EXPECT_EQ(fed.arrivals[0].bytes.size(), 0x80u);

    // A length byte below 2 cannot describe a frame: ESC and length come out as a broken frame
    // and the bytes after them are read afresh.
    fed.arrivals.clear();
    assembler.feed(hex("1B 00 06"), 1ms, fed.arrivals);
    EXPECT_EQ(fed.texts(), (std::vector<std::string>{"frame 1B 00", "byte 06"}));
}

TEST(FrameAssembler, DropsAFrameThatStopsArrivingForLongerThanTheGap) {
    FrameAssembler assembler;
    Fed fed;
    assembler.feed(hex("1B 07 01"), 0us, fed.arrivals);
    ASSERT_TRUE(assembler.expiry());
    EXPECT_GT(*assembler.expiry(), FrameAssembler::kFrameGap);
    EXPECT_FALSE(assembler.expire(FrameAssembler::kFrameGap));
    // The rest comes too late: it starts with no ESC, so it is only stray bytes.
    assembler.feed(hex("00 08 01 EF"), FrameAssembler::kFrameGap + 1ms, fed.arrivals);
    EXPECT_EQ(fed.texts(), (std::vector<std::string>{"byte 00", "byte 08", "byte 01", "byte EF"}));
    EXPECT_FALSE(assembler.expiry());

    // Within the gap a frame may come in pieces.
    fed.arrivals.clear();
    assembler.feed(hex("1B 07"), 1s, fed.arrivals);
    assembler.feed(hex("01 00 08 01 EF"), 1s + FrameAssembler::kFrameGap, fed.arrivals);
    EXPECT_EQ(fed.texts(), (std::vector<std::string>{"frame 1B 07 01 00 08 01 EF"}));
}

} // namespace
} // namespace varnu::sim
