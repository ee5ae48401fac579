#include "tools/simulator/Rules.h"

#include "tools/simulator/LineTiming.h"

#include <charconv>
#include <map>
#include <variant>

namespace varnu::sim {

namespace {

constexpr int kMaxDelayMs = 60'000;
constexpr int kMaxJunk = 4096;
constexpr std::size_t kMaxBodySize = kMaxFrameSize - 3; // ESC, length and checksum
constexpr int kMinLongLength = 0x80;
// One answer's size: more than a minute of line time at 9600, far beyond any test, and small
// enough that every frame a rule answers costs no more than this.
constexpr std::size_t kMaxRuleBytes = 64 * 1024;
constexpr std::size_t kMaxRuleActions = 1024;
// The most a `default` action sends: ACK and a data frame.
constexpr std::size_t kMaxDefaultBytes = 1 + kMaxFrameSize;
constexpr std::size_t kMouseFrameBytes = 7;

std::string_view trim(std::string_view s) {
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    const auto last = s.find_last_not_of(" \t\r");
    return s.substr(first, last - first + 1);
}

// Splits off the first blank-separated word; `rest` keeps what follows, trimmed.
std::string_view firstWord(std::string_view text, std::string_view& rest) {
    text = trim(text);
    const auto end = text.find_first_of(" \t");
    if (end == std::string_view::npos) {
        rest = {};
        return text;
    }
    rest = trim(text.substr(end));
    return text.substr(0, end);
}

std::optional<int> parseDecimal(std::string_view text) {
    int value = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || ptr != text.data() + text.size())
        return std::nullopt;
    return value;
}

struct ActionError {
    std::string message;
};

using ActionResult = std::variant<Action, ActionError>;

std::optional<Bytes> hexArgument(std::string_view args) {
    auto bytes = parseHexBytes(args);
    if (!bytes || bytes->empty())
        return std::nullopt;
    return bytes;
}

ActionResult frameBodyAction(Action::Kind kind, std::string_view args) {
    auto body = hexArgument(args);
    if (!body)
        return ActionError{"expects hex bytes (attribute, class, function, items)"};
    if (body->size() > kMaxBodySize)
        return ActionError{"body too long: a frame holds at most 255 bytes"};
    return Action{.kind = kind, .bytes = std::move(*body)};
}

ActionResult parseCut(std::string_view args) {
    std::string_view bodyText;
    const auto count = parseDecimal(firstWord(args, bodyText));
    auto body = hexArgument(bodyText);
    if (!count || !body)
        return ActionError{"expects a byte count, then hex bytes: cut 4 02 00 08 01"};
    if (body->size() > kMaxBodySize)
        return ActionError{"body too long: a frame holds at most 255 bytes"};
    const int full = static_cast<int>(body->size()) + 3;
    if (*count < 1 || *count >= full)
        return ActionError{"byte count must be from 1 to " + std::to_string(full - 1)};
    return Action{.kind = Action::Kind::CutFrame, .bytes = std::move(*body), .count = *count};
}

ActionResult parseMouse(std::string_view args) {
    std::string_view answerText;
    const std::string_view which = firstWord(args, answerText);
    if (which != "enable" && which != "disable")
        return ActionError{"expects enable or disable"};
    Action action{.kind = Action::Kind::Mouse, .enable = which == "enable", .relayAnswer = 0x06};
    if (answerText.empty() || answerText == "ack")
        return action;
    if (answerText == "nak")
        action.relayAnswer = 0x15;
    else if (answerText == "silence")
        action.relayAnswer = std::nullopt;
    else if (auto byte = parseHexBytes(answerText); byte && byte->size() == 1)
        action.relayAnswer = (*byte)[0];
    else
        return ActionError{"relay answer must be ack, nak, silence or one hex byte"};
    return action;
}

ActionResult parseAction(std::string_view text) {
    using K = Action::Kind;
    static const std::map<std::string_view, K, std::less<>> kBare{
        {"ack", K::Ack}, {"nak", K::Nak}, {"silence", K::Silence}, {"hangup", K::HangUp}, {"default", K::Default},
    };
    std::string_view args;
    const std::string_view name = firstWord(text, args);
    if (name.empty())
        return ActionError{"empty action"};

    if (auto bare = kBare.find(name); bare != kBare.end()) {
        if (!args.empty())
            return ActionError{"'" + std::string(name) + "' takes no argument"};
        return Action{.kind = bare->second};
    }
    if (name == "bytes" || name == "rawframe") {
        auto bytes = hexArgument(args);
        if (!bytes)
            return ActionError{"'" + std::string(name) + "' expects hex bytes"};
        return Action{.kind = name == "bytes" ? K::Bytes : K::RawFrame, .bytes = std::move(*bytes)};
    }
    if (name == "frame")
        return frameBodyAction(K::Frame, args);
    if (name == "cut")
        return parseCut(args);
    if (name == "mouse")
        return parseMouse(args);
    if (name == "long") {
        auto length = parseHexBytes(args);
        if (!length || length->size() != 1 || (*length)[0] < kMinLongLength)
            return ActionError{"'long' expects one hex length byte from 80 to FF"};
        return Action{.kind = K::LongFrame, .count = (*length)[0]};
    }
    if (name == "junk" || name == "delay" || name == "speed") {
        const auto value = parseDecimal(args);
        if (name == "junk" && (!value || *value < 1 || *value > kMaxJunk))
            return ActionError{"'junk' expects a count from 1 to " + std::to_string(kMaxJunk)};
        if (name == "delay" && (!value || *value < 0 || *value > kMaxDelayMs))
            return ActionError{"'delay' expects milliseconds from 0 to " + std::to_string(kMaxDelayMs)};
        if (name == "speed" && (!value || !baudForSpeedCode(*value)))
            return ActionError{"'speed' expects a speed code: 0, 1 or 2"};
        const K kind = name == "junk" ? K::Junk : name == "delay" ? K::Delay : K::Speed;
        return Action{.kind = kind, .count = *value};
    }
    return ActionError{"unknown action '" + std::string(name) + "'"};
}

// The bytes an action puts on the line (for `default`, the most it can).
std::size_t bytesSent(const Action& action) {
    using K = Action::Kind;
    switch (action.kind) {
    case K::Ack:
    case K::Nak:
        return 1;
    case K::Bytes:
    case K::RawFrame:
        return action.bytes.size();
    case K::Frame:
        return action.bytes.size() + 3;
    case K::Junk:
    case K::CutFrame:
    case K::LongFrame:
        return static_cast<std::size_t>(action.count);
    case K::Mouse:
        return kMouseFrameBytes + (action.relayAnswer ? 1 : 0);
    case K::Default:
        return kMaxDefaultBytes;
    case K::Silence:
    case K::Delay:
    case K::HangUp:
    case K::Speed:
        return 0;
    }
    return 0;
}

// "on PREFIX [once] -> ACTION, ACTION, ..."
std::optional<std::string> parseRuleLine(std::string_view line, Rule& rule) {
    std::string_view rest;
    if (firstWord(line, rest) != "on")
        return "a rule starts with 'on'";
    const auto arrow = rest.find("->");
    if (arrow == std::string_view::npos)
        return "missing '->' between the prefix and the actions";

    std::string_view head = trim(rest.substr(0, arrow));
    if (head.size() >= 4 && head.substr(head.size() - 4) == "once" &&
        (head.size() == 4 || head[head.size() - 5] == ' ' || head[head.size() - 5] == '\t')) {
        rule.once = true;
        head = trim(head.substr(0, head.size() - 4));
    }
    if (head != "*") {
        auto prefix = parseHexBytes(head);
        if (!prefix || prefix->empty())
            return "the prefix must be hex bytes or '*'";
        rule.prefix = std::move(*prefix);
    }

    std::string_view actions = rest.substr(arrow + 2);
    std::size_t bytes = 0;
    while (true) {
        const auto comma = actions.find(',');
        ActionResult action = parseAction(actions.substr(0, comma));
        if (auto* error = std::get_if<ActionError>(&action))
            return error->message;
        rule.actions.push_back(std::get<Action>(std::move(action)));
        // Checked as the line is read: an answer is built anew for every frame it matches.
        bytes += bytesSent(rule.actions.back());
        if (bytes > kMaxRuleBytes)
            return "the answer is too long: a rule sends at most " + std::to_string(kMaxRuleBytes) + " bytes";
        if (rule.actions.size() > kMaxRuleActions)
            return "too many actions: a rule has at most " + std::to_string(kMaxRuleActions);
        if (comma == std::string_view::npos)
            break;
        actions = actions.substr(comma + 1);
    }
    return std::nullopt;
}

} // namespace

ParsedRules parseRules(std::string_view text) {
    ParsedRules parsed;
    int lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        const auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);

        line = trim(line.substr(0, line.find('#')));
        if (line.empty())
            continue;
        Rule rule{.line = lineNumber};
        if (auto error = parseRuleLine(line, rule)) {
            parsed.error = RulesError{lineNumber, std::move(*error)};
            return parsed;
        }
        parsed.rules.push_back(std::move(rule));
    }
    return parsed;
}

} // namespace varnu::sim
