// varnu-cli frame TEXT: the bytes an entry text stands for, as Transmit would send them.

#include "cli/CheckedStream.h"
#include "cli/CliCommands.h"
#include "protocol/FrameText.h"

#include <ostream>

namespace varnu::cli {

namespace {
constexpr std::string_view kUsage = "usage: varnu-cli frame TEXT\n";
} // namespace

int runFrameCommand(Args args, std::ostream& out, std::ostream& err) {
    if (args.size() != 1) {
        err << kUsage;
        return kExitUsage;
    }
    if (args[0].find("ESC") == std::string::npos) {
        err << "varnu-cli frame: the text holds no \"ESC\", so it stands for no frame\n" << kUsage;
        return kExitUsage;
    }
    CheckedStream output(out, std::string(kStandardOutput));
    output.stream() << FormatHex(BuildFrame(args[0])) << "\n";
    return output.flush() ? kExitOk : reportWriteFailure(err, "frame", output);
}

} // namespace varnu::cli
