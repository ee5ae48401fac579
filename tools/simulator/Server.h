#pragma once
// Serves one projector on a pseudo-terminal, or on a raw TCP port, until SIGINT or SIGTERM.

#include "tools/simulator/Rules.h"

#include <ostream>
#include <string>

namespace varnu::sim {

struct ServerSetup {
    std::string linkPath;      // the pseudo-terminal's link, or
    std::string listenAddress; // HOST:PORT of a raw TCP port (one client at a time)
    std::string logPath;       // empty: no log
    std::vector<Rule> rules{};
};

// Prints the slave device's path (or "tcp://HOST:PORT" with the port in use) on `ready` once
// the line is in place. Returns the exit
// status: 0 after a signal, 1 when a running simulator serves the link, when the terminal,
// the link or the log cannot be set up or the line fails (the reason goes to `errors`). The
// link is removed on the way out.
int runServer(const ServerSetup& setup, std::ostream& ready, std::ostream& errors);

} // namespace varnu::sim
