#pragma once
// The command line of varnu-projector-sim.

#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace varnu::sim {

struct SimOptions {
    std::string linkPath; // empty with --listen
    std::optional<std::string> listenAddress;
    std::optional<std::string> rulesPath;
    std::optional<std::string> logPath;
};

inline constexpr std::string_view kUsage = "usage: varnu-projector-sim --link PATH [--rules FILE] [--log FILE]\n"
                                           "       varnu-projector-sim --listen HOST:PORT [--rules FILE] [--log FILE]\n"
                                           "       varnu-projector-sim --help | --version\n";

// Parses `args` (without the program name) and answers --help, --version and refused arguments
// itself: the options to run with, or the exit status to end with after what it printed.
std::variant<SimOptions, int> parseSimOptions(std::span<const std::string> args, std::ostream& out, std::ostream& err);

} // namespace varnu::sim
