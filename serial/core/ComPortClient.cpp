#include "serial/core/ComPortClient.h"

#include <algorithm>
#include <array>
#include <utility>

namespace varnu {

namespace {

using namespace telnet;

// The option's parity and stop-size values, indexed by our codes.
constexpr std::array<std::uint8_t, 5> kParityValues{1, 2, 3, 4, 5}; // none, odd, even, mark, space
constexpr std::array<std::uint8_t, 3> kStopSizeValues{1, 3, 2};     // one, one and a half, two
static_assert(kParityValues.size() == static_cast<std::size_t>(Parity::Space) + 1);
static_assert(kStopSizeValues.size() == static_cast<std::size_t>(StopBits::Two) + 1);

constexpr std::array<ComPortClient::Request, 4> kLineRequests{
    ComPortClient::Request::SetBaudRate, ComPortClient::Request::SetDataSize, ComPortClient::Request::SetParity,
    ComPortClient::Request::SetStopSize};

// The group of a SET-CONTROL value: 0-3 and 17-19 outbound flow control, 4-6 break, 7-9 DTR,
// 10-12 RTS, 13-16 inbound flow control.
std::uint8_t controlGroup(std::uint8_t value) {
    if (value <= 3 || (value >= 17 && value <= 19))
        return 1;
    if (value <= 6)
        return 2;
    if (value <= 9)
        return 3;
    if (value <= 12)
        return 4;
    if (value <= 16)
        return 5;
    return 6;
}

std::uint8_t codeOf(ComPortClient::Request request) {
    return static_cast<std::uint8_t>(request);
}

} // namespace

ComPortClient::ComPortClient()
    : options_({kOptionComPort, kOptionBinary, kOptionSuppressGoAhead}, {kOptionBinary, kOptionSuppressGoAhead}) {}

std::vector<std::uint8_t> ComPortClient::start() {
    std::vector<std::uint8_t> out = options_.start();
    out.insert(out.end(), outgoing_.begin(), outgoing_.end());
    outgoing_.clear();
    return out;
}

void ComPortClient::receive(std::span<const std::uint8_t> in, std::vector<std::uint8_t>& data) {
    std::vector<Command> commands;
    decoder_.decode(in, data, commands);
    for (const Command& command : commands) {
        if (const auto* request = std::get_if<Negotiation>(&command))
            options_.receive(*request, outgoing_);
        else if (const auto* sub = std::get_if<Subnegotiation>(&command); sub->option == kOptionComPort)
            takeAnswer(*sub);
    }
}

void ComPortClient::appendData(std::span<const std::uint8_t> data, std::vector<std::uint8_t>& out) {
    appendEscaped(data, out);
}

void ComPortClient::send(Request request, std::span<const std::uint8_t> value) {
    const std::uint8_t code = codeOf(request);
    const std::uint8_t group = request == Request::SetControl && !value.empty() ? controlGroup(value[0]) : 0;
    std::erase_if(pending_, [&](const Pending& p) { return p.code == code && p.group == group; });
    pending_.push_back({code, group, {value.begin(), value.end()}, std::nullopt});

    std::vector<std::uint8_t> payload{code};
    payload.insert(payload.end(), value.begin(), value.end());
    const auto bytes = subnegotiation(kOptionComPort, payload);
    outgoing_.insert(outgoing_.end(), bytes.begin(), bytes.end());
}

bool ComPortClient::sendLineState(const LineState& state) {
    const auto parity = static_cast<std::size_t>(state.parity);
    const auto stopBits = static_cast<std::size_t>(state.stopBits);
    lineAsked_ = state;
    uncarried_.reset();
    if (state.dataBits < kFewestDataBits || state.dataBits > kMostDataBits)
        uncarried_ = Request::SetDataSize;
    else if (parity >= kParityValues.size())
        uncarried_ = Request::SetParity;
    else if (stopBits >= kStopSizeValues.size())
        uncarried_ = Request::SetStopSize;
    if (uncarried_)
        return false;
    send(Request::SetBaudRate, baudRateValue(state.baudRate));
    const std::array<std::uint8_t, 3> values{state.dataBits, kParityValues[parity], kStopSizeValues[stopBits]};
    for (std::size_t i = 0; i < values.size(); ++i)
        send(kLineRequests[i + 1], std::span(&values[i], 1));
    return true;
}

const ComPortClient::Pending* ComPortClient::find(std::uint8_t code, std::uint8_t group) const {
    const auto it = std::find_if(pending_.begin(), pending_.end(),
                                 [&](const Pending& p) { return p.code == code && p.group == group; });
    return it == pending_.end() ? nullptr : &*it;
}

void ComPortClient::takeAnswer(const Subnegotiation& sub) {
    if (sub.payload.empty() || sub.payload[0] <= kAnswerOffset)
        return; // a request from the server, or a notification we did not ask for
    const auto code = static_cast<std::uint8_t>(sub.payload[0] - kAnswerOffset);
    const std::vector<std::uint8_t> value(sub.payload.begin() + 1, sub.payload.end());
    const std::uint8_t group = code == codeOf(Request::SetControl) && !value.empty() ? controlGroup(value[0]) : 0;
    const auto it = std::find_if(pending_.begin(), pending_.end(),
                                 [&](const Pending& p) { return p.code == code && p.group == group; });
    if (it != pending_.end())
        it->answered = value;
}

ComPortClient::Answer ComPortClient::answer(Request request) const {
    const Pending* p = find(codeOf(request), 0);
    if (p == nullptr || !p->answered)
        return Answer::None;
    return *p->answered == p->asked ? Answer::AsAsked : Answer::Differs;
}

ComPortClient::Answer ComPortClient::controlAnswer(std::uint8_t value) const {
    const Pending* p = find(codeOf(Request::SetControl), controlGroup(value));
    if (p == nullptr || !p->answered)
        return Answer::None;
    return *p->answered == p->asked ? Answer::AsAsked : Answer::Differs;
}

bool ComPortClient::lineStateAnswered() const {
    return std::all_of(kLineRequests.begin(), kLineRequests.end(),
                       [this](Request r) { return answer(r) != Answer::None; });
}

std::optional<std::string> ComPortClient::refusedLineSetting() const {
    std::optional<Request> refused = uncarried_;
    if (!refused) {
        const auto differs = std::find_if(kLineRequests.begin(), kLineRequests.end(),
                                          [this](Request r) { return answer(r) == Answer::Differs; });
        if (differs == kLineRequests.end())
            return std::nullopt;
        refused = *differs;
    }
    switch (*refused) {
    case Request::SetBaudRate:
        return speedText(lineAsked_.baudRate);
    case Request::SetDataSize:
        return dataBitsText(lineAsked_.dataBits);
    case Request::SetParity:
        return parityText(lineAsked_.parity);
    default:
        return stopBitsText(lineAsked_.stopBits);
    }
}

ComPortClient::Acceptance ComPortClient::acceptance() const {
    switch (options_.local(kOptionComPort)) {
    case OptionTable::State::On:
        return Acceptance::Accepted;
    case OptionTable::State::Off:
        return Acceptance::Refused;
    case OptionTable::State::Asked:
        break;
    }
    return Acceptance::Pending;
}

std::vector<std::uint8_t> ComPortClient::takeOutgoing() {
    return std::exchange(outgoing_, {});
}

std::vector<std::uint8_t> ComPortClient::baudRateValue(std::uint32_t baudRate) {
    // Four bytes, most significant first.
    return {static_cast<std::uint8_t>(baudRate >> 24), static_cast<std::uint8_t>(baudRate >> 16),
            static_cast<std::uint8_t>(baudRate >> 8), static_cast<std::uint8_t>(baudRate)};
}

} // namespace varnu
