#include "tools/simulator/Rules.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace varnu::sim {
namespace {

using K = Action::Kind;

Bytes hex(std::string_view text) {
    return parseHexBytes(text).value();
}

Action onlyAction(std::string_view line) {
    const ParsedRules parsed = parseRules(line);
    EXPECT_FALSE(parsed.error) << line << ": " << parsed.error->message;
    if (parsed.rules.size() != 1 || parsed.rules[0].actions.size() != 1) {
        ADD_FAILURE() << line;
        return {};
    }
    return parsed.rules[0].actions[0];
}

TEST(ParseRules, ReadsPrefixesOnceFlagsCommentsAndActionLists) {
    const ParsedRules parsed = parseRules("# answers for the lamp\n"
                                          "\n"
                                          "on 1B 06 02 00 08 once -> ack, frame 02 00 08 01 # trailing note\r\n"
                                          "on * -> nak\n"
                                          "on 1B0701 -> delay 300 , default\n");
    ASSERT_FALSE(parsed.error);
    ASSERT_EQ(parsed.rules.size(), 3u);

    EXPECT_EQ(parsed.rules[0].line, 3);
    EXPECT_EQ(parsed.rules[0].prefix, hex("1B 06 02 00 08"));
    EXPECT_TRUE(parsed.rules[0].once);
    ASSERT_EQ(parsed.rules[0].actions.size(), 2u);
    EXPECT_EQ(parsed.rules[0].actions[0].kind, K::Ack);
    EXPECT_EQ(parsed.rules[0].actions[1].kind, K::Frame);
    EXPECT_EQ(parsed.rules[0].actions[1].bytes, hex("02 00 08 01"));

    EXPECT_TRUE(parsed.rules[1].prefix.empty());
    EXPECT_FALSE(parsed.rules[1].once);

    EXPECT_EQ(parsed.rules[2].prefix, hex("1B 07 01"));
    ASSERT_EQ(parsed.rules[2].actions.size(), 2u);
    EXPECT_EQ(parsed.rules[2].actions[0].count, 300);
    EXPECT_EQ(parsed.rules[2].actions[1].kind, K::Default);
}

TEST(ParseRules, ReadsTheArgumentsOfEachAction) {
    struct Case {
        std::string_view action;
        K kind;
        std::string_view bytes;
        int count;
    };
    const Case cases[] = {
        {"bytes 00", K::Bytes, "00", 0},
        {"bytes 41 42 43", K::Bytes, "41 42 43", 0},
        {"junk 5", K::Junk, "", 5},
        {"rawframe 1B 07 02 00 08 01 00", K::RawFrame, "1B 07 02 00 08 01 00", 0},
        {"cut 4 02 00 08 01", K::CutFrame, "02 00 08 01", 4},
        {"long 80", K::LongFrame, "", 0x80},
        {"long FF", K::LongFrame, "", 0xFF},
        {"speed 2", K::Speed, "", 2},
        {"silence", K::Silence, "", 0},
        {"hangup", K::HangUp, "", 0},
    };
    for (const Case& c : cases) {
        const Action action = onlyAction("on * -> " + std::string(c.action));
        EXPECT_EQ(action.kind, c.kind) << c.action;
        EXPECT_EQ(action.bytes, hex(c.bytes)) << c.action;
        EXPECT_EQ(action.count, c.count) << c.action;
    }
}

TEST(ParseRules, ReadsTheAnswerToARelayedMouseFrame) {
    struct Case {
        std::string_view action;
        bool enable;
        std::optional<std::uint8_t> answer;
    };
    const Case cases[] = {
        {"mouse enable", true, 0x06},      {"mouse disable ack", false, 0x06},
        {"mouse enable nak", true, 0x15},  {"mouse enable silence", true, std::nullopt},
        {"mouse disable 00", false, 0x00},
    };
    for (const Case& c : cases) {
        const Action action = onlyAction("on 1B 06 02 00 08 -> " + std::string(c.action));
        EXPECT_EQ(action.kind, K::Mouse) << c.action;
        EXPECT_EQ(action.enable, c.enable) << c.action;
        EXPECT_EQ(action.relayAnswer, c.answer) << c.action;
    }
}

TEST(ParseRules, ReportsTheFirstBadLineWithItsNumberAndReason) {
    struct Case {
        std::string_view line;
        std::string_view reason;
    };
    const Case cases[] = {
        {"when 1B -> ack", "starts with 'on'"},
        {"on 1B ack", "missing '->'"},
        {"on 1G -> ack", "prefix"},
        {"on -> ack", "prefix"},
        {"on * -> ", "empty action"},
        {"on * -> ack,", "empty action"},
        {"on * -> beep", "unknown action 'beep'"},
        {"on * -> ack 06", "takes no argument"},
        {"on * -> bytes", "expects hex bytes"},
        {"on * -> frame 0", "expects hex bytes"},
        {"on * -> cut 7 02 00 08 01", "from 1 to 6"},
        {"on * -> cut 0 02 00 08 01", "from 1 to 6"},
        {"on * -> cut x 02", "byte count"},
        {"on * -> long 7F", "80 to FF"},
        {"on * -> junk 0", "'junk'"},
        {"on * -> delay -5", "'delay'"},
        {"on * -> delay 99999999999", "'delay'"},
        {"on * -> speed 3", "speed code"},
        {"on * -> mouse sideways", "enable or disable"},
        {"on * -> mouse enable maybe", "relay answer"},
    };
    for (const Case& c : cases) {
        const ParsedRules parsed = parseRules("# first line\non * -> ack\n" + std::string(c.line) + "\non * -> nak\n");
        ASSERT_TRUE(parsed.error) << c.line;
        EXPECT_EQ(parsed.error->line, 3) << c.line;
        EXPECT_NE(parsed.error->message.find(c.reason), std::string::npos) << c.line << ": " << parsed.error->message;
    }
}

TEST(ParseRules, RefusesAFrameBodyThatCannotFitAFrame) {
    const std::string body(253 * 2, '0');
    EXPECT_TRUE(parseRules("on * -> frame " + body).error);
    EXPECT_FALSE(parseRules("on * -> frame " + body.substr(2)).error);
}

// An answer is built for every frame a rule matches: absurd sizes are refused with the line.
TEST(ParseRules, RefusesAnswersOfAbsurdSize) {
    auto repeated = [](std::string_view action, int times) {
        std::string line = "on * -> ";
        for (int i = 0; i < times; ++i)
            line.append(i ? ", " : "").append(action);
        return line;
    };
    struct Case {
        std::string line;
        bool refused;
        std::string_view reason;
    };
    const Case cases[] = {
        {repeated("junk 4096", 100'000), true, "at most 65536 bytes"},
        {repeated("junk 4096", 17), true, "at most 65536 bytes"},
        {repeated("junk 4096", 16), false, ""},
        {repeated("default", 300), true, "at most 65536 bytes"},
        {repeated("delay 0", 1025), true, "at most 1024"},
        {repeated("ack", 1024), false, ""},
    };
    for (const Case& c : cases) {
        const ParsedRules parsed = parseRules("on * -> ack\n" + c.line + "\n");
        ASSERT_EQ(parsed.error.has_value(), c.refused) << c.line.substr(0, 40);
        if (c.refused) {
            EXPECT_EQ(parsed.error->line, 2);
            EXPECT_NE(parsed.error->message.find(c.reason), std::string::npos) << parsed.error->message;
        }
    }
}

TEST(ParseRules, AcceptsEveryExampleOfTheRulesDocument) {
    std::ifstream file(VARNU_SIMULATOR_RULES_DOC);
    ASSERT_TRUE(file.is_open());
    std::string line;
    int examples = 0;
    while (std::getline(file, line)) {
        // The examples are the indented lines that begin a rule with a real prefix.
        if (!line.starts_with("    on 1B") && !line.starts_with("    on * "))
            continue;
        ++examples;
        const ParsedRules parsed = parseRules(line);
        EXPECT_FALSE(parsed.error) << line << ": " << parsed.error->message;
    }
    EXPECT_GE(examples, 20);
}

} // namespace
} // namespace varnu::sim
