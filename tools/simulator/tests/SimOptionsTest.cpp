// The simulator's command line in-process: its options and the conventions every program keeps.

#include "tools/simulator/SimOptions.h"
#include "command_line/CommandLine.h"
#include "varnu/Version.h"

#include <gtest/gtest.h>

#include <sstream>
#include <variant>
#include <vector>

namespace varnu::sim {
namespace {

constexpr int kRuns = -1; // the simulator starts with the options

struct OptionsCase {
    std::vector<std::string> args;
    int status;
    std::string options; // link|listen|rules|log, "-" for one left out
    std::string out;
    std::string errLine; // the one line before the usage
};

std::string describe(const SimOptions& options) {
    return options.linkPath + "|" + options.listenAddress.value_or("-") + "|" + options.rulesPath.value_or("-") + "|" +
           options.logPath.value_or("-");
}

TEST(SimOptions, KeepTheCommandLineConventions) {
    const std::string version = "varnu-projector-sim " + std::string(kVersion) + "\n";
    const std::string usage(kUsage);
    const std::vector<OptionsCase> cases = {
        {{"--link", "/tmp/p"}, kRuns, "/tmp/p|-|-|-", "", ""},
        {{"--link=/tmp/p", "--rules=r.txt", "--log", "l.log"}, kRuns, "/tmp/p|-|r.txt|l.log", "", ""},
        {{"--listen", "[::1]:0", "--rules=r.txt"}, kRuns, "|[::1]:0|r.txt|-", "", ""},
        {{"--listen", "127.0.0.1:4000", "--link", "/tmp/p"},
         kExitUsage,
         "",
         "",
         "varnu-projector-sim: one of --link PATH and --listen HOST:PORT is required"},
        {{"--log=", "--link", "/tmp/p"}, kExitUsage, "", "", "varnu-projector-sim: --log needs a value"},
        {{"--help"}, 0, "", usage, ""},
        {{"--link", "/tmp/p", "-h"}, 0, "", usage, ""},
        {{"--version"}, 0, "", version, ""},
        {{"--link", "/tmp/p", "--speed=1"}, kExitUsage, "", "", "varnu-projector-sim: unknown option '--speed'"},
        {{"--link"}, kExitUsage, "", "", "varnu-projector-sim: missing value after '--link'"},
        {{"--link", "/tmp/p", "extra"}, kExitUsage, "", "", "varnu-projector-sim: unexpected argument 'extra'"},
        {{}, kExitUsage, "", "", "varnu-projector-sim: one of --link PATH and --listen HOST:PORT is required"},
    };
    for (const OptionsCase& c : cases) {
        const std::string label = c.args.empty() ? "(none)" : c.args.front() + "...";
        std::ostringstream out;
        std::ostringstream err;
        const std::variant<SimOptions, int> parsed = parseSimOptions(c.args, out, err);
        if (c.status == kRuns) {
            ASSERT_TRUE(std::holds_alternative<SimOptions>(parsed)) << label << "\n" << err.str();
            EXPECT_EQ(describe(std::get<SimOptions>(parsed)), c.options) << label;
        } else {
            ASSERT_TRUE(std::holds_alternative<int>(parsed)) << label;
            EXPECT_EQ(std::get<int>(parsed), c.status) << label;
        }
        EXPECT_EQ(out.str(), c.out) << label;
        EXPECT_EQ(err.str(), c.errLine.empty() ? "" : c.errLine + "\n" + usage) << label;
    }
}

} // namespace
} // namespace varnu::sim
