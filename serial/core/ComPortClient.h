#pragma once
// The client's side of the Telnet COM-PORT-OPTION: the option negotiated on a connection, the
// line settings, DTR, RTS and purges sent as requests, and the server's answers matched to
// them. No I/O: bytes from the server go in, data and the bytes owed to the server come out.

#include "serial/core/PortSettings.h"
#include "serial/core/SerialDevice.h"
#include "serial/core/TelnetCodec.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace varnu {

class ComPortClient {
public:
    // Request codes from client to server; the server answers with the code + kAnswerOffset.
    enum class Request : std::uint8_t {
        SetBaudRate = 1,
        SetDataSize = 2,
        SetParity = 3,
        SetStopSize = 4,
        SetControl = 5,
        PurgeData = 12,
    };
    static constexpr std::uint8_t kAnswerOffset = 100;

    // SET-CONTROL values.
    static constexpr std::uint8_t kNoFlowControl = 1;
    static constexpr std::uint8_t kDtrOn = 8;
    static constexpr std::uint8_t kDtrOff = 9;
    static constexpr std::uint8_t kRtsOn = 11;
    static constexpr std::uint8_t kRtsOff = 12;
    // PURGE-DATA: both of the server's buffers.
    static constexpr std::uint8_t kPurgeBoth = 3;

    enum class Acceptance { Pending, Accepted, Refused };
    // What became of a request: no answer yet, answered with the value asked for, or answered
    // with another (the server put in force what it could).
    enum class Answer { None, AsAsked, Differs };

    ComPortClient();

    // The negotiation this end opens with: COM-PORT-OPTION, binary both ways, no go-ahead.
    std::vector<std::uint8_t> start();

    // Bytes from the server: the data is appended to `data`, negotiation answers are queued
    // for takeOutgoing(), and the server's answers to our requests are recorded.
    void receive(std::span<const std::uint8_t> in, std::vector<std::uint8_t>& data);

    // Data for the server, with IAC doubled.
    static void appendData(std::span<const std::uint8_t> data, std::vector<std::uint8_t>& out);

    // Queues a request; an earlier answer of the same kind no longer counts for it.
    void send(Request request, std::span<const std::uint8_t> value);
    // The requests that carry `state`'s line settings; false (nothing queued) when a value has
    // no code in this option (a data size outside 5 to 8, an unknown parity or stop size).
    bool sendLineState(const LineState& state);
    void sendControl(std::uint8_t value) { send(Request::SetControl, std::span(&value, 1)); }

    Answer answer(Request request) const;
    Answer controlAnswer(std::uint8_t value) const;
    // Whether every line-setting request sent by sendLineState has been answered.
    bool lineStateAnswered() const;
    // The line setting of the last sendLineState that this option has no code for, or else the
    // first one the server answered with another value than the one asked for, named as
    // messages name it ("parity even"); nothing while neither is so.
    std::optional<std::string> refusedLineSetting() const;

    Acceptance acceptance() const;

    std::vector<std::uint8_t> takeOutgoing();

    static std::vector<std::uint8_t> baudRateValue(std::uint32_t baudRate);

private:
    // One request waiting for its answer, or answered. SET-CONTROL requests are told apart by
    // the group of their value (flow control, break, DTR, RTS, inbound flow control), since
    // the answer carries only the value.
    struct Pending {
        std::uint8_t code = 0;
        std::uint8_t group = 0;
        std::vector<std::uint8_t> asked;
        std::optional<std::vector<std::uint8_t>> answered;
    };
    void takeAnswer(const telnet::Subnegotiation& sub);
    const Pending* find(std::uint8_t code, std::uint8_t group) const;

    LineState lineAsked_;
    std::optional<Request> uncarried_; // a line setting the last sendLineState had no code for
    telnet::Decoder decoder_;
    telnet::OptionTable options_;
    std::vector<std::uint8_t> outgoing_;
    std::vector<Pending> pending_;
};

} // namespace varnu
