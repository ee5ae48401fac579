#pragma once
// Runs varnu-cli in-process and keeps what it printed.

#include "cli/CliCommands.h"

#include <sstream>
#include <string>
#include <vector>

namespace varnu::cli::testing {

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

inline CliRun run(std::vector<std::string> args) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = runCli(args, out, err);
    return {status, out.str(), err.str()};
}

} // namespace varnu::cli::testing
