// The command-line conventions on varnu-cli and on every one of its commands: --help and -h,
// --version, an unknown option, and values joined with '='.

#include "cli/tests/CliRun.h"
#include "varnu/Version.h"

#include <gtest/gtest.h>

namespace varnu::cli {
namespace {

using testing::CliRun;
using testing::run;

const std::string kData = std::string(VARNU_SOURCE_DIR) + "/cli/tests/data";
const std::string kCatalogue = std::string(VARNU_SOURCE_DIR) + "/resources/varnu.ini";
const std::string kVersionLine = "varnu-cli " + std::string(kVersion) + "\n";

struct ConventionCase {
    std::vector<std::string> args;
    int status;
    std::string outStart;     // what stdout begins with
    std::string errFirstLine; // "" when nothing goes to stderr
};

std::vector<ConventionCase> conventionCases() {
    std::vector<ConventionCase> cases = {
        {{"--help"}, kExitOk, "usage: varnu-cli COMMAND", ""},
        {{"-h"}, kExitOk, "usage: varnu-cli COMMAND", ""},
        {{"--version"}, kExitOk, kVersionLine, ""},
        {{"--verbose", "list", "x"}, kExitUsage, "", "varnu-cli: unknown option '--verbose'"},
        {{"help"}, kExitUsage, "", "varnu-cli: unknown command 'help'"},
    };
    for (const std::string command : {"catalogue", "compose", "list", "frame", "decode", "send"}) {
        const std::string usage = "usage: varnu-cli " + command;
        cases.push_back({{command, "--help"}, kExitOk, usage, ""});
        // Help wins over whatever else the command would refuse.
        cases.push_back({{command, "x", "y", "-h"}, kExitOk, usage, ""});
        cases.push_back({{command, "--version"}, kExitOk, kVersionLine, ""});
        cases.push_back({{command, "--no-such-option=1", "x"},
                         kExitUsage,
                         "",
                         "varnu-cli " + command + ": unknown option '--no-such-option'"});
    }
    // Values joined with '=' mean what they mean apart.
    cases.push_back({{"compose", "--catalogue=" + kCatalogue, "--class=Image", "--function=Level", "--target=Panel",
                      "--attribute=get"},
                     kExitOk,
                     run({"compose", "--catalogue", kCatalogue, "--class", "Image", "--function", "Level", "--target",
                          "Panel", "--attribute", "get"})
                         .out,
                     ""});
    cases.push_back({{"send", "--port=/nonexistent/varnu-port", "--baud=19200", "--parity=odd", "--data-bits=7",
                      "--stop-bits=2", kData + "/two_entries.DAT"},
                     kExitFailure,
                     "",
                     "varnu-cli send: " + kData + "/two_entries.DAT: 2 lines read: 2 entries taken."});
    // Arguments that are too few or too many are named.
    for (const auto& [args, says] : std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"list", "a", "b"}, "varnu-cli list: unexpected argument 'b'"},
             {{"frame"}, "varnu-cli frame: a TEXT is needed"},
             {{"catalogue"}, "varnu-cli catalogue: a FILE is needed"},
             {{"decode", "--catalogue", kCatalogue}, "varnu-cli decode: a FRAME is needed"},
             {{"ports", "x"}, "varnu-cli ports: unexpected argument 'x'"},
             {{"compose", "--catalogue", kCatalogue, "--class", "0"}, "varnu-cli compose: --function is needed"},
             {{"compose", "--catalogue", kCatalogue, "--class", "0", "--class", "1", "--function", "0"},
              "varnu-cli compose: --class is given twice"},
             {{"compose", "--catalogue", kCatalogue, "--class", "0", "--function", "0", "x"},
              "varnu-cli compose: unexpected argument 'x'"},
         })
        cases.push_back({args, kExitUsage, "", says});
    // A lone "-" is an argument, and "--" ends the options.
    cases.push_back({{"list", "--", "-"}, kExitFailure, "", "Read Failure."});
    return cases;
}

TEST(CliConventions, HoldForTheToolAndEveryCommand) {
    for (const ConventionCase& c : conventionCases()) {
        std::string label;
        for (const std::string& arg : c.args)
            label += " " + arg;
        const CliRun result = run(c.args);
        EXPECT_EQ(result.status, c.status) << label << "\n" << result.err;
        EXPECT_EQ(result.out.rfind(c.outStart, 0), 0u) << label << "\n" << result.out;
        if (c.outStart.empty()) {
            EXPECT_EQ(result.out, "") << label;
        }
        if (c.errFirstLine.empty()) {
            EXPECT_EQ(result.err, "") << label;
            continue;
        }
        // One line saying why, then (for a refused argument) the usage.
        const std::size_t lineEnd = result.err.find('\n');
        EXPECT_EQ(result.err.substr(0, lineEnd), c.errFirstLine) << label;
        if (c.status == kExitUsage) {
            EXPECT_EQ(result.err.compare(lineEnd + 1, 16, "usage: varnu-cli"), 0) << label << "\n" << result.err;
        }
    }
}

TEST(CliConventions, HelpIsTheUsageARefusalShows) {
    for (const std::string command : {"catalogue", "compose", "list", "frame", "decode", "send"}) {
        const CliRun help = run({command, "--help"});
        const CliRun refused = run({command, "--no-such-option"});
        EXPECT_EQ(refused.err.substr(refused.err.find('\n') + 1), help.out) << command;
    }
}

} // namespace
} // namespace varnu::cli
