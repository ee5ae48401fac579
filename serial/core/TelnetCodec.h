#pragma once
// The Telnet layer of a network port: the byte stream from the server split into data and
// commands, data escaped on the way out, and the option negotiation. The decoder keeps its
// state between calls, so a command or a doubled IAC may be cut by a buffer boundary anywhere.

#include <cstddef>
#include <cstdint>
#include <span>
#include <variant>
#include <vector>

namespace varnu::telnet {

inline constexpr std::uint8_t kIac = 255; // "interpret as command"; doubled, a data byte 0xFF
inline constexpr std::uint8_t kDont = 254;
inline constexpr std::uint8_t kDo = 253;
inline constexpr std::uint8_t kWont = 252;
inline constexpr std::uint8_t kWill = 251;
inline constexpr std::uint8_t kSb = 250; // subnegotiation begins
inline constexpr std::uint8_t kSe = 240; // subnegotiation ends

inline constexpr std::uint8_t kOptionBinary = 0;
inline constexpr std::uint8_t kOptionSuppressGoAhead = 3;
inline constexpr std::uint8_t kOptionComPort = 44;

enum class Verb : std::uint8_t { Will = kWill, Wont = kWont, Do = kDo, Dont = kDont };

struct Negotiation {
    Verb verb{};
    std::uint8_t option = 0;
    bool operator==(const Negotiation&) const = default;
};

struct Subnegotiation {
    std::uint8_t option = 0;
    std::vector<std::uint8_t> payload; // unescaped
    bool operator==(const Subnegotiation&) const = default;
};

using Command = std::variant<Negotiation, Subnegotiation>;

class Decoder {
public:
    // A subnegotiation longer than this is cut: no answer of the COM-PORT-OPTION comes near it,
    // and a server that never sends IAC SE cannot make it grow.
    static constexpr std::size_t kMaxSubnegotiationBytes = 64;

    // Appends the data bytes of `in` to `data` and its commands to `commands`. Commands other
    // than negotiations and subnegotiations (NOP, GA, DM...) carry nothing here and are dropped.
    void decode(std::span<const std::uint8_t> in, std::vector<std::uint8_t>& data, std::vector<Command>& commands);

private:
    enum class State { Data, Iac, Option, SubOption, SubData, SubIac };
    State state_ = State::Data;
    std::uint8_t verb_ = 0;
    Subnegotiation sub_;
};

// Appends `data` with every 0xFF doubled.
void appendEscaped(std::span<const std::uint8_t> data, std::vector<std::uint8_t>& out);
// How many data bytes the first `sent` bytes of an escaped block hold (whole bytes only: half
// of a doubled IAC is not a byte sent).
std::size_t dataBytesIn(std::span<const std::uint8_t> escaped, std::size_t sent);

std::vector<std::uint8_t> negotiation(Verb verb, std::uint8_t option);
std::vector<std::uint8_t> subnegotiation(std::uint8_t option, std::span<const std::uint8_t> payload);

// The options each side runs, and the answers owed to the other side. A request for the state
// an option is already in, or was asked to be in, gets no answer, so two ends never loop.
class OptionTable {
public:
    enum class State { Off, Asked, On };

    // `local`: the options this end offers to run (it answers DO with WILL); `remote`: the
    // options it lets the far end run (it answers WILL with DO). Every other request is refused.
    OptionTable(std::vector<std::uint8_t> local, std::vector<std::uint8_t> remote);

    // The requests this end starts with: WILL for every local option, DO for every remote one.
    std::vector<std::uint8_t> start();
    // Takes the far end's request or answer; appends the answer owed, if any.
    void receive(const Negotiation& request, std::vector<std::uint8_t>& answers);

    State local(std::uint8_t option) const { return local_[option]; }

private:
    std::vector<bool> offersLocal_;
    std::vector<bool> acceptsRemote_;
    std::vector<State> local_;
    std::vector<State> remote_;
};

} // namespace varnu::telnet
