#include "cli/CliCommands.h"
#include "cli/StandardStreams.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    varnu::cli::prepareStandardStreams();
    const std::vector<std::string> args(argv + 1, argv + argc);
    return varnu::cli::runCli(args, std::cout, std::cerr);
}
