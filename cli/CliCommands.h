#pragma once
// The commands of varnu-cli, each a function of its arguments (without the command name)
// and two streams, returning the exit status.

#include "command_line/CommandLine.h"

#include <iosfwd>
#include <span>
#include <string>

namespace varnu::cli {

using Args = std::span<const std::string>;

// kExitOk (0) and kExitUsage (2) come with the command-line conventions.
// A file cannot be read, the port cannot be opened, or an output (standard output, the log)
// cannot be written.
inline constexpr int kExitFailure = 1;
// send: the port opened, but some entry was not acknowledged or its data did not come.
inline constexpr int kExitEntriesFailed = 3;

// Runs argv[1..] (the command name first, or --help, -h, --version) and returns the exit status.
int runCli(Args args, std::ostream& out, std::ostream& err);

int runCatalogueCommand(Args args, std::ostream& out, std::ostream& err);
int runComposeCommand(Args args, std::ostream& out, std::ostream& err);
int runListCommand(Args args, std::ostream& out, std::ostream& err);
int runFrameCommand(Args args, std::ostream& out, std::ostream& err);
int runDecodeCommand(Args args, std::ostream& out, std::ostream& err);
int runSendCommand(Args args, std::ostream& out, std::ostream& err);
int runPortsCommand(Args args, std::ostream& out, std::ostream& err);

} // namespace varnu::cli
