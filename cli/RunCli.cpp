#include "cli/CliCommands.h"

#include <array>
#include <ostream>
#include <string_view>

namespace varnu::cli {

namespace {

struct CommandEntry {
    std::string_view name;
    int (*run)(Args, std::ostream&, std::ostream&);
    std::string_view synopsis;
};

// One row per command; the usage text is made from this table.
constexpr std::array kCommands{
    CommandEntry{"catalogue", runCatalogueCommand, "catalogue [--json] FILE"},
    CommandEntry{"compose", runComposeCommand,
                 "compose --catalogue FILE --class C --function F [--target T] [--attribute set|get|reset]\n"
                 "            [--address1 TEXT] [--address2 TEXT] [--data TEXT] [--radix hex|dec] [--multi TEXT]"},
    CommandEntry{"list", runListCommand, "list FILE"},
    CommandEntry{"frame", runFrameCommand, "frame TEXT"},
    CommandEntry{"decode", runDecodeCommand, "decode --catalogue FILE [--received] FRAME..."},
    CommandEntry{"send", runSendCommand,
                 "send --port DEV [--baud N] [--parity none|odd|even|mark] [--data-bits N] [--stop-bits 1|1.5|2]\n"
                 "            [--log FILE [--catalogue FILE]] LISTFILE"},
};

void printUsage(std::ostream& err) {
    err << "usage: varnu-cli COMMAND [OPTIONS]\n";
    for (const CommandEntry& command : kCommands)
        err << "  varnu-cli " << command.synopsis << "\n";
    err << "exit status: 0 done, 1 a file cannot be read, the port cannot be opened or an output (standard output,\n"
           "  the log) cannot be written, 2 usage, 3 send: some entry failed\n";
}

} // namespace

int runCli(Args args, std::ostream& out, std::ostream& err) {
    if (!args.empty()) {
        for (const CommandEntry& command : kCommands) {
            if (args[0] == command.name)
                return command.run(args.subspan(1), out, err);
        }
        err << "varnu-cli: unknown command '" << args[0] << "'\n";
    }
    printUsage(err);
    return kExitUsage;
}

} // namespace varnu::cli
