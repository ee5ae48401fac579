// varnu-projector-sim: a projector on a pseudo-terminal or a raw TCP port, for trying the tool
// without hardware.

#include "tools/simulator/PathChecks.h"
#include "tools/simulator/RulesFile.h"
#include "tools/simulator/Server.h"
#include "tools/simulator/SimOptions.h"

#include "command_line/CommandLine.h"

#include <iostream>
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

    if (const auto clash = checkPaths(options)) {
        std::cerr << "varnu-projector-sim: " << *clash << '\n';
        return kExitUsage;
    }

    ServerSetup setup{.linkPath = options.linkPath,
                      .listenAddress = options.listenAddress.value_or(""),
                      .logPath = options.logPath.value_or("")};
    if (const auto& rulesPath = options.rulesPath) {
        LoadedRules loaded = loadRulesFile(*rulesPath);
        if (loaded.error) {
            std::cerr << "varnu-projector-sim: " << *loaded.error << '\n';
            return kExitUsage;
        }
        setup.rules = std::move(loaded.rules);
    }
    return runServer(setup, std::cout, std::cerr);
}
