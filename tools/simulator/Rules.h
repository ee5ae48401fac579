#pragma once
// Scripted answers: a rule matches incoming frames by a hex prefix and lists the actions
// that make up the answer. The text format is described in RULES.md.

#include "tools/simulator/FrameBytes.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varnu::sim {

struct Action {
    enum class Kind {
        Ack,       // 06
        Nak,       // 15
        Bytes,     // the bytes as given
        Junk,      // `count` bytes that hold no ESC
        Frame,     // a data frame built around the body in `bytes`; the client's reply is awaited
        RawFrame,  // a data frame given whole in `bytes`; the reply is awaited
        CutFrame,  // the first `count` bytes of the frame built around `bytes`; the reply is awaited
        LongFrame, // a frame of `count` bytes (length byte 80 or more); the reply is awaited
        Silence,   // nothing
        Delay,     // `count` milliseconds without output
        HangUp,    // the line drops: the client's device is closed under it
        Speed,     // from here on the line is expected at speed code `count`
        Mouse,     // the mouse/port frame (`enable`), then the relayed frame is awaited and answered
        Default,   // what the simulator does for the frame without rules
    };
    Kind kind{};
    Bytes bytes{};
    int count = 0;
    bool enable = false;
    // Mouse: the byte that answers the relayed frame; none for silence.
    std::optional<std::uint8_t> relayAnswer{};
};

struct Rule {
    Bytes prefix{}; // empty: matches every frame
    bool once = false;
    std::vector<Action> actions{};
    int line = 0;
};

struct RulesError {
    int line = 0;
    std::string message;
};

struct ParsedRules {
    std::vector<Rule> rules;
    std::optional<RulesError> error;
};

ParsedRules parseRules(std::string_view text);

} // namespace varnu::sim
