// The parser under the three programs: what it refuses and why, and arguments coming back
// with the bytes they went in with.

#include "command_line/CommandLine.h"

#include <gtest/gtest.h>

namespace varnu {
namespace {

struct ParseCase {
    std::vector<std::string> args;
    bool stopAtFirstPositional;
    std::string refusal; // empty: accepted
    std::string value;   // of --value, the last one given
    std::size_t count;   // how often --value was given
    std::vector<std::string> positional;
};

TEST(CommandLine, RefusesWithOneReasonAndKeepsEveryByte) {
    const std::vector<ParseCase> cases = {
        // Neither UTF-8 nor anything else: a path on a Latin-1 disc, a CP932 frame text.
        {{"--value=caf\xE9", "\x95\x5C\x8E\xA6"}, false, "", "caf\xE9", 1, {"\x95\x5C\x8E\xA6"}},
        {{"--value", "a", "x", "--value=b"}, false, "", "b", 2, {"x"}},
        {{"--value", "-1"}, false, "", "-1", 1, {}},
        {{"-", "--", "--flag"}, false, "", "", 0, {"-", "--flag"}},
        {{"cmd", "--value", "a"}, true, "", "", 0, {"cmd", "--value", "a"}},
        // The option named as it was typed, without its value.
        {{"x", "-speed"}, false, "unknown option '-speed'", "", 0, {}},
        {{"--speed=9600", "--colour"}, false, "unknown option '--speed'", "", 0, {}},
        {{"--value"}, false, "missing value after '--value'", "", 0, {}},
        {{"--flag=yes"}, false, "unexpected value after '--flag'", "", 0, {}},
    };
    for (const ParseCase& c : cases) {
        const std::string label = c.args.front() + "...";
        CommandLine line;
        line.addFlag(QStringLiteral("flag"));
        line.addValueOption(QStringLiteral("value"), QStringLiteral("V"));
        if (c.stopAtFirstPositional)
            line.stopAtFirstPositional();
        const std::optional<std::string> refused = line.parse(c.args);
        EXPECT_EQ(refused.value_or(""), c.refusal) << label;
        if (refused)
            continue;
        EXPECT_EQ(line.value(QStringLiteral("value")), c.value) << label;
        EXPECT_EQ(line.count(QStringLiteral("value")), c.count) << label;
        EXPECT_EQ(line.positional(), c.positional) << label;
    }
}

} // namespace
} // namespace varnu
