#include "cli/CliCommands.h"

#include <array>
#include <ostream>
#include <string_view>
#include <vector>

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
                 "            [--log FILE [--catalogue FILE]] LISTFILE\n"
                 "  varnu-cli send --port DEV --port DEV... --receive-dir DIR [--trace [--catalogue FILE]] LISTFILE"},
    CommandEntry{"ports", runPortsCommand, "ports [--json]"},
};

std::string usageText() {
    std::string usage = "usage: varnu-cli COMMAND [OPTIONS]   (varnu-cli COMMAND --help for one command)\n"
                        "       varnu-cli --help | --version\n";
    for (const CommandEntry& command : kCommands)
        usage.append("  varnu-cli ").append(command.synopsis).append("\n");
    usage.append("exit status: 0 done, 1 a file cannot be read, the port cannot be opened or was lost, or an output\n"
                 "  (standard output, the log) cannot be written, 2 usage, 3 send: some entry failed, 128 + N send:\n"
                 "  stopped by signal N; send to several ports: the worst of its runs\n");
    return usage;
}

} // namespace

int runCli(Args args, std::ostream& out, std::ostream& err) {
    const std::string usage = usageText();
    const ProgramUsage program{"varnu-cli", "varnu-cli", usage};
    // Options up to the command name are varnu-cli's own; the rest are the command's.
    CommandLine line;
    line.stopAtFirstPositional();
    if (const std::optional<int> status = parseCommandLine(line, args, program, out, err))
        return *status;
    const std::vector<std::string> commandLine = line.positional();
    if (commandLine.empty()) {
        err << usage;
        return kExitUsage;
    }
    for (const CommandEntry& command : kCommands) {
        if (commandLine[0] == command.name)
            return command.run(Args(commandLine).subspan(1), out, err);
    }
    return usageError(program, "unknown command '" + commandLine[0] + "'", err);
}

} // namespace varnu::cli
