// varnu-cli list FILE: the Transmit List that opening a list file gives, one entry a line.

#include "cli/CliCommands.h"
#include "transmit_list/ListFile.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <vector>

namespace varnu::cli {

namespace {
constexpr std::string_view kUsage = "usage: varnu-cli list FILE\n";
constexpr ProgramUsage kProgram{"varnu-cli", "varnu-cli list", kUsage};
constexpr std::string_view kReadFailure = "Read Failure.";
} // namespace

std::optional<std::string> readFileBytes(const std::string& path) {
    // A folder opens as a stream on Linux and then reads as empty: it is not a file.
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored))
        return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad())
        return std::nullopt;
    return bytes;
}

int runListCommand(Args args, std::ostream& out, std::ostream& err) {
    CommandLine line;
    if (const std::optional<int> status = parseCommandLine(line, args, kProgram, out, err))
        return *status;
    const std::vector<std::string> files = line.positional();
    if (files.size() != 1) {
        err << kUsage;
        return kExitUsage;
    }
    const std::optional<std::string> content = readFileBytes(files[0]);
    if (!content) {
        err << kReadFailure << "\n";
        return kExitFailure;
    }
    TransmitList list;
    openList(list, *content);
    for (const std::string& entry : list.entries())
        out << entry << "\n";
    return kExitOk;
}

} // namespace varnu::cli
