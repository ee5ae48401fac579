// varnu-cli ports [--json]: the serial ports of this machine with their stable by-id names,
// what the system says they are, and whether this user can open each one now.

#include "cli/CheckedStream.h"
#include "cli/CliCommands.h"
#include "cli/PortTable.h"
#include "serial/MachinePorts.h"
#include "serial/PortFacts.h"

#include <ostream>

namespace varnu::cli {

namespace {
constexpr std::string_view kUsage =
    "usage: varnu-cli ports [--json]\n"
    "  each port: its device path, its /dev/serial/by-id/ name, description, manufacturer, serial number,\n"
    "  USB vendor and product id, and whether you can open it now (ok, permission denied, in use by PID\n"
    "  NAME, locked); no port is opened to find out\n"
    "  exit status: 0 listed (also when there are none), 1 standard output cannot be written, 2 usage\n";
constexpr ProgramUsage kProgram{"varnu-cli", "varnu-cli ports", kUsage};
} // namespace

int runPortsCommand(Args args, std::ostream& out, std::ostream& err) {
    CommandLine line;
    line.addFlag(QStringLiteral("json"));
    if (const std::optional<int> status = parseCommandLine(line, args, kProgram, out, err))
        return *status;
    if (const std::optional<int> status = refusePositional(line, 0, 0, "", kProgram, err))
        return *status;

    std::vector<ListedPort> ports;
    for (SerialPortEntry& port : listSerialPorts()) {
        PortAccess access = portAccess(port.path);
        ports.push_back({std::move(port), std::move(access)});
    }
    CheckedStream output(out, std::string(kStandardOutput));
    output.stream() << (line.isSet(QStringLiteral("json")) ? portJsonText(ports) : portTableText(ports));
    return output.flush() ? kExitOk : reportWriteFailure(err, "ports", output);
}

} // namespace varnu::cli
