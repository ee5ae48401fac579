#pragma once
// The arguments of varnu-cli send: the port and its line settings, the wire log with the
// catalogue that decodes its frames, and the list file.

#include "cli/CliCommands.h"
#include "serial/core/PortSettings.h"

#include <string>
#include <variant>

namespace varnu::cli {

struct SendOptions {
    PortSettings port;         // portName is the device path or network port given with --port
    std::string logPath;       // empty: no wire log
    std::string cataloguePath; // empty: the wire log holds no decodes
    std::string listPath;
};

// Why the arguments were refused, for the usage message.
struct SendUsageError {
    std::string message;
};

// Declares send's options on `line`. --catalogue needs --log: the decodes go into the wire log.
void addSendOptions(CommandLine& line);

// The options of a parsed line. Defaults where an option is not given: 9600 bits per second,
// no parity, 8 data bits, 1 stop bit.
std::variant<SendOptions, SendUsageError> sendOptionsFrom(const CommandLine& line);

// Both steps at once; an argument the parser refuses comes back as the message.
std::variant<SendOptions, SendUsageError> parseSendOptions(Args args);

} // namespace varnu::cli
