#pragma once
// The command-line conventions of varnu, varnu-cli and varnu-projector-sim, on Qt's parser:
// --help and -h print the usage on stdout and exit 0; --version prints "NAME VERSION";
// "--opt value" and "--opt=value" are the same; a refused argument gives one line on stderr,
// then the usage, and exit status 2. Parsing needs no application object, so a program can
// answer --help before it creates one (the window without a display).

#include <QCommandLineParser>

#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace varnu {

inline constexpr int kExitOk = 0;
inline constexpr int kExitUsage = 2;

// What a program says about itself: `program` for --version, `context` before its messages
// ("varnu-cli send"), `usage` for --help and after a refusal (ends with a newline).
struct ProgramUsage {
    std::string_view program;
    std::string_view context;
    std::string_view usage;
};

// The options of one program or command. Names are given without dashes; values and
// positional arguments come back byte for byte, whatever their encoding.
class CommandLine {
public:
    CommandLine();

    void addFlag(const QString& name);
    void addValueOption(const QString& name, const QString& valueName);
    // Everything from the first positional argument on is positional (a subcommand's arguments).
    void stopAtFirstPositional();

    // Parses `args` (without the program name); the reason when they are refused.
    std::optional<std::string> parse(std::span<const std::string> args);

    bool helpAsked() const;
    bool versionAsked() const;
    bool isSet(const QString& name) const;
    // The last value given; empty when the option is not given.
    std::string value(const QString& name) const;
    // Every value given, in order; empty when the option is not given.
    std::vector<std::string> values(const QString& name) const;
    // How often the option was given.
    std::size_t count(const QString& name) const;
    std::vector<std::string> positional() const;

private:
    QCommandLineParser parser_;
    QStringList arguments_;
};

// Parses `args` and answers what the conventions answer themselves: help, the version or a
// refusal, printed, give the exit status to end with; nothing means run with the values.
std::optional<int> parseCommandLine(CommandLine& line, std::span<const std::string> args, const ProgramUsage& usage,
                                    std::ostream& out, std::ostream& err);

// "context: message" and the usage on `err`; returns kExitUsage.
int usageError(const ProgramUsage& usage, std::string_view message, std::ostream& err);

// Refuses, as usageError does, positional arguments fewer than `fewest` ("`needed` is needed",
// e.g. "a FILE is needed") or more than `most` ("unexpected argument 'x'"); nothing when their
// number fits.
std::optional<int> refusePositional(const CommandLine& line, std::size_t fewest, std::size_t most,
                                    std::string_view needed, const ProgramUsage& usage, std::ostream& err);

} // namespace varnu
