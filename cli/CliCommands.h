#pragma once
// The commands of varnu-cli, each a function of its arguments (without the command name)
// and two streams, returning the exit status.

#include <iosfwd>
#include <span>
#include <string>

namespace varnu::cli {

using Args = std::span<const std::string>;

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// Runs argv[1..] (the command name first) and returns the exit status.
int runCli(Args args, std::ostream& out, std::ostream& err);

int runCatalogueCommand(Args args, std::ostream& out, std::ostream& err);

} // namespace varnu::cli
