#include "serial/core/TelnetCodec.h"

#include <algorithm>

namespace varnu::telnet {

namespace {

constexpr std::size_t kOptionCount = 256;

bool isVerb(std::uint8_t byte) {
    return byte == kWill || byte == kWont || byte == kDo || byte == kDont;
}

} // namespace

void Decoder::decode(std::span<const std::uint8_t> in, std::vector<std::uint8_t>& data,
                     std::vector<Command>& commands) {
    for (const std::uint8_t byte : in) {
        switch (state_) {
        case State::Data:
            if (byte == kIac)
                state_ = State::Iac;
            else
                data.push_back(byte);
            break;
        case State::Iac:
            if (byte == kIac) {
                data.push_back(kIac);
                state_ = State::Data;
            } else if (isVerb(byte)) {
                verb_ = byte;
                state_ = State::Option;
            } else if (byte == kSb) {
                state_ = State::SubOption;
            } else {
                state_ = State::Data;
            }
            break;
        case State::Option:
            commands.emplace_back(Negotiation{static_cast<Verb>(verb_), byte});
            state_ = State::Data;
            break;
        case State::SubOption:
            sub_ = Subnegotiation{byte, {}};
            state_ = State::SubData;
            break;
        case State::SubData:
            if (byte == kIac)
                state_ = State::SubIac;
            else if (sub_.payload.size() < kMaxSubnegotiationBytes)
                sub_.payload.push_back(byte);
            break;
        case State::SubIac:
            if (byte == kIac) {
                if (sub_.payload.size() < kMaxSubnegotiationBytes)
                    sub_.payload.push_back(kIac);
                state_ = State::SubData;
            } else {
                // IAC SE ends it; any other command there ends it too, and is not one we need.
                commands.emplace_back(std::move(sub_));
                sub_ = {};
                state_ = State::Data;
            }
            break;
        }
    }
}

void appendEscaped(std::span<const std::uint8_t> data, std::vector<std::uint8_t>& out) {
    for (const std::uint8_t byte : data) {
        out.push_back(byte);
        if (byte == kIac)
            out.push_back(kIac);
    }
}

std::size_t dataBytesIn(std::span<const std::uint8_t> escaped, std::size_t sent) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < std::min(sent, escaped.size()); ++i) {
        if (escaped[i] == kIac) {
            if (i + 1 >= sent)
                break;
            ++i;
        }
        ++count;
    }
    return count;
}

std::vector<std::uint8_t> negotiation(Verb verb, std::uint8_t option) {
    return {kIac, static_cast<std::uint8_t>(verb), option};
}

std::vector<std::uint8_t> subnegotiation(std::uint8_t option, std::span<const std::uint8_t> payload) {
    std::vector<std::uint8_t> out{kIac, kSb, option};
    appendEscaped(payload, out);
    out.push_back(kIac);
    out.push_back(kSe);
    return out;
}

OptionTable::OptionTable(std::vector<std::uint8_t> local, std::vector<std::uint8_t> remote)
    : offersLocal_(kOptionCount), acceptsRemote_(kOptionCount), local_(kOptionCount, State::Off),
      remote_(kOptionCount, State::Off) {
    for (const std::uint8_t option : local)
        offersLocal_[option] = true;
    for (const std::uint8_t option : remote)
        acceptsRemote_[option] = true;
}

std::vector<std::uint8_t> OptionTable::start() {
    std::vector<std::uint8_t> out;
    for (std::size_t option = 0; option < kOptionCount; ++option) {
        const auto code = static_cast<std::uint8_t>(option);
        if (offersLocal_[option] && local_[option] == State::Off) {
            local_[option] = State::Asked;
            const auto request = negotiation(Verb::Will, code);
            out.insert(out.end(), request.begin(), request.end());
        }
        if (acceptsRemote_[option] && remote_[option] == State::Off) {
            remote_[option] = State::Asked;
            const auto request = negotiation(Verb::Do, code);
            out.insert(out.end(), request.begin(), request.end());
        }
    }
    return out;
}

void OptionTable::receive(const Negotiation& request, std::vector<std::uint8_t>& answers) {
    const bool aboutRemote = request.verb == Verb::Will || request.verb == Verb::Wont;
    const bool wantsOn = request.verb == Verb::Will || request.verb == Verb::Do;
    State& state = aboutRemote ? remote_[request.option] : local_[request.option];
    const bool allowed = aboutRemote ? acceptsRemote_[request.option] : offersLocal_[request.option];
    const Verb yes = aboutRemote ? Verb::Do : Verb::Will;
    const Verb no = aboutRemote ? Verb::Dont : Verb::Wont;
    const auto answer = [&answers, &request](Verb verb) {
        const auto bytes = negotiation(verb, request.option);
        answers.insert(answers.end(), bytes.begin(), bytes.end());
    };

    if (wantsOn) {
        if (state == State::On)
            return;
        if (state == State::Asked) { // the answer to our own request
            state = State::On;
            return;
        }
        if (allowed) {
            state = State::On;
            answer(yes);
        } else {
            answer(no);
        }
    } else {
        const bool wasOn = state == State::On;
        state = State::Off;
        if (wasOn)
            answer(no);
    }
}

} // namespace varnu::telnet
