// varnu-cli list FILE: the Transmit List that opening a list file gives, one entry a line on
// stdout, and what became of each line of the file on stderr.

#include "cli/CheckedStream.h"
#include "cli/CliCommands.h"
#include "cli/Diagnostics.h"
#include "files/FileFailureText.h"
#include "transmit_list/ListFile.h"

#include <ostream>
#include <vector>

namespace varnu::cli {

namespace {
constexpr std::string_view kUsage = "usage: varnu-cli list FILE\n"
                                    "  exit status: 0 listed, 1 the file cannot be read or standard output written, "
                                    "2 usage\n";
constexpr ProgramUsage kProgram{"varnu-cli", "varnu-cli list", kUsage};
} // namespace

int runListCommand(Args args, std::ostream& out, std::ostream& err) {
    CommandLine line;
    if (const std::optional<int> status = parseCommandLine(line, args, kProgram, out, err))
        return *status;
    if (const std::optional<int> status = refusePositional(line, 1, 1, "a FILE", kProgram, err))
        return *status;
    const std::vector<std::string> files = line.positional();
    const LoadedListFile loaded = loadListFile(files[0]);
    if (loaded.failure) {
        printFailure(err, kReadFailure, explainFileFailure(*loaded.failure));
        return kExitFailure;
    }
    printListReport(err, "list", files[0], loaded.report);
    CheckedStream output(out, std::string(kStandardOutput));
    for (const std::string& entry : loaded.entries)
        output.stream() << entry << "\n";
    return output.flush() ? kExitOk : reportWriteFailure(err, "list", output);
}

} // namespace varnu::cli
