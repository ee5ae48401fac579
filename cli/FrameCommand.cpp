// varnu-cli frame TEXT: the bytes an entry text stands for, as Transmit would send them.

#include "cli/CheckedStream.h"
#include "cli/CliCommands.h"
#include "protocol/FrameText.h"

#include <ostream>
#include <vector>

namespace varnu::cli {

namespace {
constexpr std::string_view kUsage = "usage: varnu-cli frame TEXT\n"
                                    "  exit status: 0 shown, 1 standard output cannot be written, 2 usage\n";
constexpr ProgramUsage kProgram{"varnu-cli", "varnu-cli frame", kUsage};
} // namespace

int runFrameCommand(Args args, std::ostream& out, std::ostream& err) {
    CommandLine line;
    if (const std::optional<int> status = parseCommandLine(line, args, kProgram, out, err))
        return *status;
    if (const std::optional<int> status = refusePositional(line, 1, 1, "a TEXT", kProgram, err))
        return *status;
    const std::vector<std::string> texts = line.positional();
    if (texts[0].find("ESC") == std::string::npos)
        return usageError(kProgram, "the text holds no \"ESC\", so it stands for no frame", err);
    CheckedStream output(out, std::string(kStandardOutput));
    output.stream() << FormatHex(BuildFrame(texts[0])) << "\n";
    return output.flush() ? kExitOk : reportWriteFailure(err, "frame", output);
}

} // namespace varnu::cli
