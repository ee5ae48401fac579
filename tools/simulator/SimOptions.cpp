#include "tools/simulator/SimOptions.h"

#include "command_line/CommandLine.h"

#include <vector>

namespace varnu::sim {

namespace {

constexpr ProgramUsage kProgram{"varnu-projector-sim", "varnu-projector-sim", kUsage};

} // namespace

std::variant<SimOptions, int> parseSimOptions(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
    CommandLine line;
    line.addValueOption(QStringLiteral("link"), QStringLiteral("PATH"));
    line.addValueOption(QStringLiteral("listen"), QStringLiteral("HOST:PORT"));
    line.addValueOption(QStringLiteral("rules"), QStringLiteral("FILE"));
    line.addValueOption(QStringLiteral("log"), QStringLiteral("FILE"));
    if (const std::optional<int> status = parseCommandLine(line, args, kProgram, out, err))
        return *status;

    if (const std::vector<std::string> extra = line.positional(); !extra.empty())
        return usageError(kProgram, "unexpected argument '" + extra.front() + "'", err);
    for (const char* name : {"link", "listen", "rules", "log"}) {
        if (line.isSet(QString::fromLatin1(name)) && line.value(QString::fromLatin1(name)).empty())
            return usageError(kProgram, std::string("--") + name + " needs a value", err);
    }
    const bool listens = line.isSet(QStringLiteral("listen"));
    if (line.isSet(QStringLiteral("link")) == listens)
        return usageError(kProgram, "one of --link PATH and --listen HOST:PORT is required", err);

    SimOptions options;
    if (listens)
        options.listenAddress = line.value(QStringLiteral("listen"));
    else
        options.linkPath = line.value(QStringLiteral("link"));
    if (line.isSet(QStringLiteral("rules")))
        options.rulesPath = line.value(QStringLiteral("rules"));
    if (line.isSet(QStringLiteral("log")))
        options.logPath = line.value(QStringLiteral("log"));
    return options;
}

} // namespace varnu::sim
