#include "cli/CliCommands.h"

#include <csignal>
#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    // A reader that went away (`varnu-cli list x | head -1`) makes writes fail with "Broken
    // pipe"; the commands report that and exit 1 instead of dying silently by the signal.
    // Windows has no such signal: there the write fails by itself.
#ifdef SIGPIPE
    std::signal(SIGPIPE, SIG_IGN);
#endif
    const std::vector<std::string> args(argv + 1, argv + argc);
    return varnu::cli::runCli(args, std::cout, std::cerr);
}
