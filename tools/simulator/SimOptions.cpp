#include "tools/simulator/SimOptions.h"

namespace varnu::sim {

ParsedOptions parseArguments(const std::vector<std::string>& args) {
    ParsedOptions parsed;
    SimOptions& options = parsed.options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& name = args[i];
        if (name == "--help" || name == "-h") {
            options.help = true;
            return parsed;
        }
        if (name != "--link" && name != "--rules" && name != "--log") {
            parsed.error = "unknown argument '" + name + "'";
            return parsed;
        }
        if (i + 1 >= args.size() || args[i + 1].empty()) {
            parsed.error = name + " needs a value";
            return parsed;
        }
        const std::string& value = args[++i];
        if (name == "--link")
            options.linkPath = value;
        else if (name == "--rules")
            options.rulesPath = value;
        else
            options.logPath = value;
    }
    if (options.linkPath.empty())
        parsed.error = "--link PATH is required";
    return parsed;
}

} // namespace varnu::sim
