// varnu-cli decode --catalogue FILE [--received] FRAME...: names each frame by the catalogue,
// one line a frame. A FRAME is an entry text ("(3) ESC 0C 01 ..." or "ESC 0C ...") or hex
// bytes ("1B0C01..." or "1B 0C 01 ..."); --received reads them as data frames from the projector.

#include "catalogue_text/CatalogueText.h"
#include "cli/CheckedStream.h"
#include "cli/CliCommands.h"
#include "cli/Diagnostics.h"
#include "protocol/FrameDecode.h"
#include "protocol/FrameText.h"

#include <limits>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace varnu::cli {

namespace {

constexpr std::string_view kUsage =
    "usage: varnu-cli decode --catalogue FILE [--received] FRAME...\n"
    "  FRAME: an entry text (\"(3) ESC 0C 01 ...\" or \"ESC 0C ...\") or hex bytes "
    "(\"1B0C01...\" or \"1B 0C 01 ...\")\n"
    "  --received: the frames came from the projector\n"
    "  exit status: 0 every frame decoded, 1 a FRAME that is no frame, a catalogue that "
    "cannot be used or standard output that cannot be written, 2 usage\n";

constexpr ProgramUsage kProgram{"varnu-cli", "varnu-cli decode", kUsage};

} // namespace

int runDecodeCommand(Args args, std::ostream& out, std::ostream& err) {
    CommandLine line;
    line.addValueOption(QStringLiteral("catalogue"), QStringLiteral("FILE"));
    line.addFlag(QStringLiteral("received"));
    if (const std::optional<int> status = parseCommandLine(line, args, kProgram, out, err))
        return *status;
    const std::string cataloguePath = line.value(QStringLiteral("catalogue"));
    if (cataloguePath.empty())
        return usageError(kProgram, "--catalogue is needed", err);
    if (const std::optional<int> status =
            refusePositional(line, 1, std::numeric_limits<std::size_t>::max(), "a FRAME", kProgram, err))
        return *status;
    const std::vector<std::string> frames = line.positional();
    const FrameOrigin origin = line.isSet(QStringLiteral("received")) ? FrameOrigin::Received : FrameOrigin::Sent;

    Catalogue catalogue;
    if (!loadCatalogueOrSay(cataloguePath, catalogue, err))
        return kExitFailure;

    CheckedStream output(out, std::string(kStandardOutput));
    int status = kExitOk;
    for (const std::string& text : frames) {
        const auto frame = frameOfText(text);
        if (!frame) {
            err << "varnu-cli decode: '" << text << "' is neither an entry text nor hex bytes\n";
            status = kExitFailure;
            continue;
        }
        output.stream() << catalogueUtf8(describeFrame(*frame, catalogue, origin), catalogue.encoding) << "\n";
    }
    return output.flush() ? status : reportWriteFailure(err, "decode", output);
}

} // namespace varnu::cli
