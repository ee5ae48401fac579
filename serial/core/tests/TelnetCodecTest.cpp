// The Telnet layer and the COM-PORT-OPTION client, fed the byte streams a device server sends,
// cut at every possible place.

#include "serial/core/TelnetCodec.h"
#include "serial/core/ComPortClient.h"

#include <gtest/gtest.h>

namespace varnu {
namespace {

using namespace telnet;
using Bytes = std::vector<std::uint8_t>;

// ser2net's first words on a telnet(rfc2217) port: WILL SGA, DO SGA, WILL ECHO, DONT ECHO,
// DO BINARY, WILL BINARY, DO COM-PORT-OPTION.
const Bytes kSer2netGreeting{0xFF, 0xFB, 0x03, 0xFF, 0xFD, 0x03, 0xFF, 0xFB, 0x01, 0xFF, 0xFE,
                             0x01, 0xFF, 0xFD, 0x00, 0xFF, 0xFB, 0x00, 0xFF, 0xFD, 0x2C};

struct Decoded {
    Bytes data;
    std::vector<Command> commands;
};

// Decodes `in` in two pieces cut at `cut`, one decoder for both.
Decoded decodeCut(const Bytes& in, std::size_t cut) {
    Decoder decoder;
    Decoded out;
    decoder.decode(std::span(in).first(cut), out.data, out.commands);
    decoder.decode(std::span(in).subspan(cut), out.data, out.commands);
    return out;
}

TEST(TelnetDecoder, SplitsDataFromCommandsWhereverTheBufferIsCut) {
    struct Case {
        const char* what;
        Bytes in;
        Bytes data;
        std::vector<Command> commands;
    };
    const Bytes longPayload(Decoder::kMaxSubnegotiationBytes, 0x41);
    // IAC SB COM-PORT-OPTION, 66 bytes, IAC SE, then a data byte.
    Bytes tooLong(3 + longPayload.size() + 2 + 3, 0x41);
    tooLong[0] = 0xFF;
    tooLong[1] = 0xFA;
    tooLong[2] = 0x2C;
    tooLong[tooLong.size() - 3] = 0xFF;
    tooLong[tooLong.size() - 2] = 0xF0;
    tooLong[tooLong.size() - 1] = 0x06;
    const std::vector<Case> cases{
        {"plain data", {0x1B, 0x07, 0x01, 0x0D, 0x00}, {0x1B, 0x07, 0x01, 0x0D, 0x00}, {}},
        {"a doubled IAC is one data byte 0xFF", {0x1B, 0xFF, 0xFF, 0xFF, 0xFF, 0x00}, {0x1B, 0xFF, 0xFF, 0x00}, {}},
        {"a negotiation inside data", {0x06, 0xFF, 0xFB, 0x03, 0x15}, {0x06, 0x15}, {Negotiation{Verb::Will, 3}}},
        {"NOP and GA carry nothing", {0xFF, 0xF1, 0x06, 0xFF, 0xF9}, {0x06}, {}},
        {"an answer to SET-BAUDRATE",
         {0xFF, 0xFA, 0x2C, 0x65, 0x00, 0x00, 0x96, 0x00, 0xFF, 0xF0, 0x06},
         {0x06},
         {Subnegotiation{44, {0x65, 0x00, 0x00, 0x96, 0x00}}}},
        {"a doubled IAC inside a subnegotiation",
         {0xFF, 0xFA, 0x2C, 0x65, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xF0},
         {},
         {Subnegotiation{44, {0x65, 0x00, 0x00, 0xFF}}}},
        {"a subnegotiation that never ends is cut, not grown", tooLong, {0x06}, {Subnegotiation{44, longPayload}}},
    };
    for (const Case& c : cases) {
        for (std::size_t cut = 0; cut <= c.in.size(); ++cut) {
            const Decoded out = decodeCut(c.in, cut);
            EXPECT_EQ(out.data, c.data) << c.what << ", cut at " << cut;
            EXPECT_EQ(out.commands, c.commands) << c.what << ", cut at " << cut;
        }
    }
}

TEST(TelnetEscaping, DoublesIacAndCountsOnlyWholeBytesSent) {
    const Bytes data{0xFF, 0x01, 0xFF};
    Bytes escaped;
    appendEscaped(data, escaped);
    EXPECT_EQ(escaped, (Bytes{0xFF, 0xFF, 0x01, 0xFF, 0xFF}));
    const std::vector<std::size_t> wholeBytes{0, 0, 1, 2, 2, 3};
    for (std::size_t sent = 0; sent <= escaped.size(); ++sent)
        EXPECT_EQ(dataBytesIn(escaped, sent), wholeBytes[sent]) << sent << " bytes sent";
    // Any data byte survives the round trip, cut anywhere.
    Bytes all(256);
    for (std::size_t i = 0; i < all.size(); ++i)
        all[i] = static_cast<std::uint8_t>(i);
    Bytes wire;
    appendEscaped(all, wire);
    for (std::size_t cut = 0; cut <= wire.size(); cut += 7)
        EXPECT_EQ(decodeCut(wire, cut).data, all) << "cut at " << cut;
}

TEST(ComPortClient, NegotiatesWithAServerWithoutLoopingAndRefusesEcho) {
    ComPortClient client;
    // WILL BINARY, DO BINARY, WILL SGA, DO SGA, WILL COM-PORT-OPTION.
    EXPECT_EQ(client.start(),
              (Bytes{0xFF, 0xFB, 0x00, 0xFF, 0xFD, 0x00, 0xFF, 0xFB, 0x03, 0xFF, 0xFD, 0x03, 0xFF, 0xFB, 0x2C}));
    EXPECT_EQ(client.acceptance(), ComPortClient::Acceptance::Pending);
    Bytes data;
    client.receive(kSer2netGreeting, data);
    EXPECT_TRUE(data.empty());
    // Everything but ECHO answered our own requests; the server's echo is refused.
    EXPECT_EQ(client.takeOutgoing(), (Bytes{0xFF, 0xFE, 0x01}));
    EXPECT_EQ(client.acceptance(), ComPortClient::Acceptance::Accepted);
    // Asked again: what is in force gets no answer, so two ends never loop; the refusal stands.
    client.receive(kSer2netGreeting, data);
    EXPECT_EQ(client.takeOutgoing(), (Bytes{0xFF, 0xFE, 0x01}));

    // A server that turns the option down later: we say we stop, once.
    client.receive(Bytes{0xFF, 0xFE, 0x2C, 0xFF, 0xFE, 0x2C}, data);
    EXPECT_EQ(client.takeOutgoing(), (Bytes{0xFF, 0xFC, 0x2C}));
    EXPECT_EQ(client.acceptance(), ComPortClient::Acceptance::Refused);

    ComPortClient refused;
    refused.start();
    refused.receive(Bytes{0xFF, 0xFE, 0x2C}, data);
    EXPECT_EQ(refused.acceptance(), ComPortClient::Acceptance::Refused);
    EXPECT_EQ(refused.takeOutgoing(), Bytes{});
}

TEST(ComPortClient, MatchesEachAnswerToItsRequestAndKeepsDataFromAServerThatNeverAnswers) {
    using Answer = ComPortClient::Answer;
    ComPortClient client;
    client.start();
    LineState line;
    line.baudRate = 65280; // 00 00 FF 00: the FF goes out doubled
    line.dataBits = 8;
    line.parity = Parity::Even;
    line.stopBits = StopBits::OneAndHalf;
    ASSERT_TRUE(client.sendLineState(line));
    client.sendControl(ComPortClient::kRtsOn);
    EXPECT_EQ(client.takeOutgoing(), (Bytes{0xFF, 0xFA, 0x2C, 0x01, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0xFF, 0xF0, // baud
                                            0xFF, 0xFA, 0x2C, 0x02, 0x08, 0xFF, 0xF0,    // data size 8
                                            0xFF, 0xFA, 0x2C, 0x03, 0x03, 0xFF, 0xF0,    // parity even
                                            0xFF, 0xFA, 0x2C, 0x04, 0x03, 0xFF, 0xF0,    // stop size 1.5
                                            0xFF, 0xFA, 0x2C, 0x05, 0x0B, 0xFF, 0xF0})); // RTS on

    // A server that never answers: data and notifications pass, no request counts as answered.
    Bytes data;
    client.receive(Bytes{0x06, 0xFF, 0xFA, 0x2C, 0x6B, 0x00, 0xFF, 0xF0, 0x15}, data);
    EXPECT_EQ(data, (Bytes{0x06, 0x15}));
    EXPECT_FALSE(client.lineStateAnswered());
    EXPECT_EQ(client.refusedLineSetting(), std::nullopt);
    EXPECT_EQ(client.controlAnswer(ComPortClient::kRtsOn), Answer::None);

    // The answers, byte by byte. A DTR answer says nothing about RTS.
    const Bytes answers{0xFF, 0xFA, 0x2C, 0x65, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0xFF, 0xF0, 0xFF, 0xFA, 0x2C, 0x66, 0x08,
                        0xFF, 0xF0, 0xFF, 0xFA, 0x2C, 0x67, 0x03, 0xFF, 0xF0, 0xFF, 0xFA, 0x2C, 0x69, 0x08, 0xFF, 0xF0};
    for (const std::uint8_t byte : answers)
        client.receive(Bytes{byte}, data);
    EXPECT_EQ(client.answer(ComPortClient::Request::SetBaudRate), Answer::AsAsked);
    EXPECT_EQ(client.answer(ComPortClient::Request::SetStopSize), Answer::None); // ser2net's silence for 1.5
    EXPECT_FALSE(client.lineStateAnswered());
    EXPECT_EQ(client.controlAnswer(ComPortClient::kRtsOn), Answer::None);
    client.receive(Bytes{0xFF, 0xFA, 0x2C, 0x69, 0x0B, 0xFF, 0xF0}, data);
    EXPECT_EQ(client.controlAnswer(ComPortClient::kRtsOn), Answer::AsAsked);

    // A server that puts another value in force has refused ours, and the refusal names it.
    client.receive(Bytes{0xFF, 0xFA, 0x2C, 0x68, 0x01, 0xFF, 0xF0}, data);
    EXPECT_TRUE(client.lineStateAnswered());
    EXPECT_EQ(client.refusedLineSetting(), "1.5 stop bits");
    // A request sent again waits for its own answer.
    client.send(ComPortClient::Request::SetBaudRate, ComPortClient::baudRateValue(38400));
    EXPECT_EQ(client.answer(ComPortClient::Request::SetBaudRate), Answer::None);
    EXPECT_EQ(data, (Bytes{0x06, 0x15}));

    // A value the option has no code for is named before the server hears of it.
    LineState nineBits = line;
    nineBits.dataBits = 9;
    EXPECT_FALSE(client.sendLineState(nineBits));
    EXPECT_EQ(client.refusedLineSetting(), "9 data bits");
}

} // namespace
} // namespace varnu
