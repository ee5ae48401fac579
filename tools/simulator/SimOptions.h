#pragma once
// The command line of varnu-projector-sim.

#include <optional>
#include <string>
#include <vector>

namespace varnu::sim {

struct SimOptions {
    std::string linkPath;
    std::optional<std::string> rulesPath;
    std::optional<std::string> logPath;
    bool help = false;
};

struct ParsedOptions {
    SimOptions options;
    std::optional<std::string> error;
};

inline constexpr const char* kUsage = "usage: varnu-projector-sim --link PATH [--rules FILE] [--log FILE]";

// `args` without the program name.
ParsedOptions parseArguments(const std::vector<std::string>& args);

} // namespace varnu::sim
