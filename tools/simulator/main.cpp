// varnu-projector-sim: a projector on a pseudo-terminal, for trying the tool without hardware.

#include "tools/simulator/RulesFile.h"
#include "tools/simulator/Server.h"
#include "tools/simulator/SimOptions.h"

#include <iostream>
#include <string>

namespace {

constexpr int kExitUsage = 2;

} // namespace

int main(int argc, char** argv) {
    using namespace varnu::sim;
    const ParsedOptions parsed = parseArguments(std::vector<std::string>(argv + 1, argv + argc));
    if (parsed.options.help) {
        std::cout << kUsage << '\n';
        return 0;
    }
    if (parsed.error) {
        std::cerr << "varnu-projector-sim: " << *parsed.error << '\n' << kUsage << '\n';
        return kExitUsage;
    }

    ServerSetup setup{.linkPath = parsed.options.linkPath, .logPath = parsed.options.logPath.value_or("")};
    if (const auto& rulesPath = parsed.options.rulesPath) {
        LoadedRules loaded = loadRulesFile(*rulesPath);
        if (loaded.error) {
            std::cerr << "varnu-projector-sim: " << *loaded.error << '\n';
            return kExitUsage;
        }
        setup.rules = std::move(loaded.rules);
    }
    return runServer(setup, std::cout, std::cerr);
}
