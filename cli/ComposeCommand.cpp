// varnu-cli compose: composes one command from a catalogue file as Add would and prints its
// frame text. Fields not given hold what choosing the class, function and target puts there.

#include "cli/CheckedStream.h"
#include "cli/CliCommands.h"
#include "cli/Diagnostics.h"
#include "transmit_list/EntryComposer.h"
#include "transmit_list/FieldDefaults.h"

#include <QString>

#include <algorithm>
#include <array>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace varnu::cli {

namespace {

constexpr std::string_view kUsage =
    "usage: varnu-cli compose --catalogue FILE --class C --function F [--target T]\n"
    "         [--attribute set|get|reset] [--address1 TEXT] [--address2 TEXT]\n"
    "         [--data TEXT] [--radix hex|dec] [--multi TEXT]\n"
    "  C, F and T are 0-based numbers or names matched exactly. --data holds one byte:\n"
    "  -128 to 255 in decimal, 00 to FF in hex.\n"
    "  exit status: 0 composed, 1 the catalogue is unusable or standard output cannot be\n"
    "  written, 2 usage or a field the command cannot carry\n";

constexpr ProgramUsage kProgram{"varnu-cli", "varnu-cli compose", kUsage};

constexpr std::array kOptionNames{"--catalogue", "--class",    "--function", "--target", "--attribute",
                                  "--address1",  "--address2", "--data",     "--radix",  "--multi"};
constexpr std::array kRequiredOptions{"--catalogue", "--class", "--function"};

using Options = std::map<std::string, std::string, std::less<>>;

// The parser's name of an option: without its dashes.
QString bareName(std::string_view option) {
    return QString::fromLatin1(option.substr(2));
}

// Every option takes one value: the options given, or why they are refused (an option given
// twice, a needed one missing).
std::variant<Options, std::string> optionsFrom(const CommandLine& line) {
    Options options;
    for (const char* name : kOptionNames) {
        if (line.count(bareName(name)) > 1)
            return std::string(name) + " is given twice";
        if (line.isSet(bareName(name)))
            options.emplace(name, line.value(bareName(name)));
    }
    for (const char* required : kRequiredOptions) {
        if (!options.contains(required))
            return std::string(required) + " is needed";
    }
    return options;
}

const std::string* option(const Options& options, std::string_view name) {
    const auto it = options.find(name);
    return it == options.end() ? nullptr : &it->second;
}

// The position of the name matched exactly, else the 0-based number; nothing when neither fits.
template <typename Item, typename NameOf>
std::optional<int> findByNameOrNumber(const std::vector<Item>& items, const std::string& wanted, NameOf nameOf) {
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (nameOf(items[i]) == wanted)
            return static_cast<int>(i);
    }
    if (wanted.empty() || wanted.size() > 9 ||
        !std::all_of(wanted.begin(), wanted.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    const int number = std::stoi(wanted);
    return number < static_cast<int>(items.size()) ? std::optional<int>(number) : std::nullopt;
}

std::optional<Attribute> attributeNamed(std::string_view name) {
    static constexpr std::array<std::pair<std::string_view, Attribute>, 3> kAttributes{
        {{"set", Attribute::Set}, {"get", Attribute::Get}, {"reset", Attribute::Reset}}};
    for (const auto& [text, attribute] : kAttributes) {
        if (name == text)
            return attribute;
    }
    return std::nullopt;
}

std::optional<DataRadix> radixNamed(std::string_view name) {
    if (name == "hex")
        return DataRadix::Hex;
    if (name == "dec")
        return DataRadix::Dec;
    return std::nullopt;
}

int usageError(std::ostream& err, std::string_view message) {
    return varnu::usageError(kProgram, message, err);
}

} // namespace

int runComposeCommand(Args args, std::ostream& out, std::ostream& err) {
    CommandLine line;
    for (const char* name : kOptionNames)
        line.addValueOption(bareName(name), QStringLiteral("VALUE"));
    if (const std::optional<int> status = parseCommandLine(line, args, kProgram, out, err))
        return *status;
    if (const std::optional<int> status = refusePositional(line, 0, 0, "", kProgram, err))
        return *status;
    const std::variant<Options, std::string> given = optionsFrom(line);
    if (const auto* refusal = std::get_if<std::string>(&given))
        return usageError(err, *refusal);
    const Options* options = &std::get<Options>(given);

    const auto attribute = attributeNamed(option(*options, "--attribute") ? *option(*options, "--attribute") : "set");
    if (!attribute)
        return usageError(err, "the attribute is one of set, get, reset");
    const auto radix = radixNamed(option(*options, "--radix") ? *option(*options, "--radix") : "dec");
    if (!radix)
        return usageError(err, "the radix is hex or dec");

    Catalogue catalogue;
    if (!loadCatalogueOrSay(*option(*options, "--catalogue"), catalogue, err))
        return kExitFailure;

    const std::string& className = *option(*options, "--class");
    const auto classIndex = findByNameOrNumber(catalogue.groups, className, [](const auto& g) { return g.name; });
    if (!classIndex)
        return usageError(err, "no class '" + className + "' in the catalogue");
    const auto& functions = catalogue.groups[static_cast<std::size_t>(*classIndex)].functions;
    const std::string& functionName = *option(*options, "--function");
    const auto functionIndex = findByNameOrNumber(functions, functionName, [](const auto& f) { return f.name; });
    if (!functionIndex)
        return usageError(err, "no function '" + functionName + "' in class '" + className + "'");
    const auto& targets = functions[static_cast<std::size_t>(*functionIndex)].targets;
    const std::string targetName = option(*options, "--target") ? *option(*options, "--target") : "0";
    const auto targetIndex = findByNameOrNumber(targets, targetName, [](const auto& t) { return t; });
    if (!targetIndex)
        return usageError(err, "no target '" + targetName + "' for function '" + functionName + "'");

    SelectionState state;
    state.attribute = *attribute;
    state.classIndex = *classIndex;
    state.functionIndex = *functionIndex;
    state.targetIndex = *targetIndex;
    state.dataRadix = *radix;
    fillFieldDefaults(catalogue, state);
    const std::pair<const char*, std::string*> fields[] = {{"--address1", &state.address1Text},
                                                           {"--address2", &state.address2Text},
                                                           {"--data", &state.dataText},
                                                           {"--multi", &state.multiBytesText}};
    for (const auto& [name, text] : fields) {
        if (const std::string* given = option(*options, name))
            *text = *given;
    }

    const ComposeResult composed = composeFrameText(catalogue, state);
    if (!composed.ok()) {
        err << "varnu-cli compose: " << composed.error << "\n";
        return kExitUsage;
    }
    CheckedStream output(out, std::string(kStandardOutput));
    output.stream() << composed.text << "\n";
    return output.flush() ? kExitOk : reportWriteFailure(err, "compose", output);
}

} // namespace varnu::cli
