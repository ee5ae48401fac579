#pragma once
// The commands of varnu-cli, each a function of its arguments (without the command name)
// and two streams, returning the exit status.

#include "command_line/CommandLine.h"

#include <iosfwd>
#include <optional>
#include <span>
#include <string>

namespace varnu::cli {

using Args = std::span<const std::string>;

// kExitOk (0) and kExitUsage (2) come with the command-line conventions.
inline constexpr int kExitFailure = 1;
// send: the port opened, but some entry was not acknowledged or its data did not come.
inline constexpr int kExitEntriesFailed = 3;

// Runs argv[1..] (the command name first, or --help, -h, --version) and returns the exit status.
int runCli(Args args, std::ostream& out, std::ostream& err);

int runCatalogueCommand(Args args, std::ostream& out, std::ostream& err);
int runComposeCommand(Args args, std::ostream& out, std::ostream& err);
int runListCommand(Args args, std::ostream& out, std::ostream& err);
int runFrameCommand(Args args, std::ostream& out, std::ostream& err);
int runSendCommand(Args args, std::ostream& out, std::ostream& err);

// A file's bytes, or nothing when it cannot be opened or read.
std::optional<std::string> readFileBytes(const std::string& path);

} // namespace varnu::cli
