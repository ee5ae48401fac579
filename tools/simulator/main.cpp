// varnu-projector-sim: a projector on a pseudo-terminal, for trying the tool without hardware.

#include "tools/simulator/PathChecks.h"
#include "tools/simulator/Rules.h"
#include "tools/simulator/Server.h"
#include "tools/simulator/SimOptions.h"

#include <fstream>
#include <iostream>
#include <iterator>
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

    if (const auto clash = checkPaths(parsed.options)) {
        std::cerr << "varnu-projector-sim: " << *clash << '\n';
        return kExitUsage;
    }

    ServerSetup setup{.linkPath = parsed.options.linkPath, .logPath = parsed.options.logPath.value_or("")};
    if (const auto& rulesPath = parsed.options.rulesPath) {
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
