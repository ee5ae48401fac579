#include "command_line/CommandLine.h"

#include "varnu/Version.h"

#include <ostream>

namespace varnu {

namespace {

const QString kHelp = QStringLiteral("help");
const QString kVersionOption = QStringLiteral("version");

// Arguments go through Qt's parser as Latin-1, which maps every byte to one character and back:
// a path or a frame text that is not UTF-8 comes out with the bytes it went in with.
QString fromBytes(const std::string& bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string toBytes(const QString& text) {
    return text.toLatin1().toStdString();
}

// The argument that brought in the unknown option `name`, as it was typed up to any '='
// ("-speed", "--speed"); the parser itself reports the name without its dashes.
QString typedOption(const QStringList& arguments, const QString& name) {
    for (const QString& argument : arguments) {
        if (argument == QLatin1String("--"))
            break;
        const qsizetype dashes = argument.startsWith(QLatin1String("--")) ? 2 : argument.startsWith('-') ? 1 : 0;
        if (dashes > 0 && argument.mid(dashes).section('=', 0, 0) == name)
            return argument.left(dashes + name.size());
    }
    return QLatin1String("--") + name;
}

} // namespace

CommandLine::CommandLine() {
    // "-json" reads as "--json" instead of as the letters j, s, o and n.
    parser_.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser_.addOption(QCommandLineOption({QStringLiteral("h"), kHelp}, QString()));
    parser_.addOption(QCommandLineOption(kVersionOption, QString()));
}

void CommandLine::addFlag(const QString& name) {
    parser_.addOption(QCommandLineOption(name, QString()));
}

void CommandLine::addValueOption(const QString& name, const QString& valueName) {
    parser_.addOption(QCommandLineOption(name, QString(), valueName));
}

void CommandLine::stopAtFirstPositional() {
    parser_.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
}

std::optional<std::string> CommandLine::parse(std::span<const std::string> args) {
    arguments_.clear();
    for (const std::string& arg : args)
        arguments_.append(fromBytes(arg));
    // The parser skips the first argument, the program's name.
    if (parser_.parse(QStringList{QString()} + arguments_))
        return std::nullopt;
    const QStringList unknown = parser_.unknownOptionNames();
    if (!unknown.isEmpty())
        return "unknown option '" + toBytes(typedOption(arguments_, unknown.front())) + "'";
    // Qt's own words ("Missing value after '--port'."), in the style of the programs' messages.
    QString reason = parser_.errorText();
    if (reason.endsWith('.'))
        reason.chop(1);
    if (!reason.isEmpty())
        reason[0] = reason[0].toLower();
    return toBytes(reason);
}

bool CommandLine::helpAsked() const {
    return parser_.isSet(kHelp);
}

bool CommandLine::versionAsked() const {
    return parser_.isSet(kVersionOption);
}

bool CommandLine::isSet(const QString& name) const {
    return parser_.isSet(name);
}

std::string CommandLine::value(const QString& name) const {
    return toBytes(parser_.value(name));
}

std::vector<std::string> CommandLine::values(const QString& name) const {
    std::vector<std::string> values;
    for (const QString& value : parser_.values(name))
        values.push_back(toBytes(value));
    return values;
}

std::size_t CommandLine::count(const QString& name) const {
    return static_cast<std::size_t>(parser_.optionNames().count(name));
}

std::vector<std::string> CommandLine::positional() const {
    std::vector<std::string> arguments;
    for (const QString& argument : parser_.positionalArguments())
        arguments.push_back(toBytes(argument));
    return arguments;
}

std::optional<int> parseCommandLine(CommandLine& line, std::span<const std::string> args, const ProgramUsage& usage,
                                    std::ostream& out, std::ostream& err) {
    if (const std::optional<std::string> refused = line.parse(args))
        return usageError(usage, *refused, err);
    if (line.helpAsked()) {
        out << usage.usage;
        return kExitOk;
    }
    if (line.versionAsked()) {
        out << usage.program << ' ' << kVersion << '\n';
        return kExitOk;
    }
    return std::nullopt;
}

int usageError(const ProgramUsage& usage, std::string_view message, std::ostream& err) {
    err << usage.context << ": " << message << '\n' << usage.usage;
    return kExitUsage;
}

std::optional<int> refusePositional(const CommandLine& line, std::size_t fewest, std::size_t most,
                                    std::string_view needed, const ProgramUsage& usage, std::ostream& err) {
    const std::vector<std::string> arguments = line.positional();
    if (arguments.size() < fewest)
        return usageError(usage, std::string(needed) + " is needed", err);
    if (arguments.size() > most)
        return usageError(usage, "unexpected argument '" + arguments[most] + "'", err);
    return std::nullopt;
}

} // namespace varnu
