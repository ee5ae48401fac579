// varnu-projector-sim: a projector on a pseudo-terminal, for trying the tool without hardware.

#include "tools/simulator/Rules.h"
#include "tools/simulator/Server.h"
#include "tools/simulator/SimOptions.h"

#include "command_line/CommandLine.h"

#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <variant>
#include <vector>

int main(int argc, char** argv) {
    using namespace varnu::sim;
    using varnu::kExitUsage;
    const std::vector<std::string> args(argv + 1, argv + argc);
    const std::variant<SimOptions, int> parsed = parseSimOptions(args, std::cout, std::cerr);
    if (const int* status = std::get_if<int>(&parsed))
        return *status;
    const SimOptions& options = std::get<SimOptions>(parsed);

    ServerSetup setup{.linkPath = options.linkPath, .logPath = options.logPath.value_or("")};
    if (const auto& rulesPath = options.rulesPath) {
        std::ifstream file(*rulesPath, std::ios::binary);
        std::string text;
        if (file)
            text.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
        if (!file.is_open() || file.bad()) {
            std::cerr << "varnu-projector-sim: cannot read the rules file " << *rulesPath << '\n';
            return kExitUsage;
        }
        ParsedRules rules = parseRules(text);
        if (rules.error) {
            std::cerr << "varnu-projector-sim: " << *rulesPath << ":" << rules.error->line << ": "
                      << rules.error->message << '\n';
            return kExitUsage;
        }
        setup.rules = std::move(rules.rules);
    }
    return runServer(setup, std::cout, std::cerr);
}
