#pragma once
// The arguments of varnu-cli send: the port (or several) and the line settings, the wire log
// with the catalogue that decodes its frames, the folder of the Receive Lists, and the list file.

#include "cli/CliCommands.h"
#include "serial/core/PortSettings.h"

#include <string>
#include <variant>
#include <vector>

namespace varnu::cli {

struct SendOptions {
    PortSettings port;                  // the line settings; portName is the first --port
    std::vector<std::string> portNames; // every --port in the order given: device paths, network ports
    std::string logPath;                // empty: no wire log
    std::string cataloguePath;          // empty: the wire log holds no decodes
    std::string receiveDir;             // empty: the one Receive List goes to standard output
    bool traceEach = false;             // --trace: a wire trace per port beside its Receive List
    std::string listPath;
};

// Ports one send takes at once. Each has a thread and about five open files (the port, its
// lock, the Receive List, the trace, a notifier), so that the system's usual limit of 1024
// open files is far off.
inline constexpr std::size_t kMostPorts = 64;

// Why the arguments were refused, for the usage message.
struct SendUsageError {
    std::string message;
};

// Declares send's options on `line`. --catalogue needs --log (or --trace): the decodes go into
// the wire log. Several ports need --receive-dir, which takes --trace instead of --log.
void addSendOptions(CommandLine& line);

// The options of a parsed line. Defaults where an option is not given: 9600 bits per second,
// no parity, 8 data bits, 1 stop bit.
std::variant<SendOptions, SendUsageError> sendOptionsFrom(const CommandLine& line);

// Both steps at once; an argument the parser refuses comes back as the message.
std::variant<SendOptions, SendUsageError> parseSendOptions(Args args);

} // namespace varnu::cli
