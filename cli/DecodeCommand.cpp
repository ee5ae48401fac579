// varnu-cli decode --catalogue FILE [--received] FRAME...: names each frame by the catalogue,
// one line a frame. A FRAME is an entry text ("(3) ESC 0C 01 ..." or "ESC 0C ...") or hex
// bytes ("1B0C01..." or "1B 0C 01 ..."); --received reads them as data frames from the projector.

#include "catalogue/CatalogueLoader.h"
#include "cli/CatalogueText.h"
#include "cli/CheckedStream.h"
#include "cli/CliCommands.h"
#include "cli/Diagnostics.h"
#include "protocol/FrameDecode.h"
#include "protocol/FrameText.h"

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

struct DecodeOptions {
    std::string cataloguePath;
    FrameOrigin origin = FrameOrigin::Sent;
    std::vector<std::string> frames;
};

// Nothing when the arguments are not --catalogue FILE, an optional --received and frames.
std::optional<DecodeOptions> parseOptions(Args args) {
    DecodeOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--catalogue" && i + 1 < args.size() && options.cataloguePath.empty())
            options.cataloguePath = args[++i];
        else if (arg == "--received")
            options.origin = FrameOrigin::Received;
        else if (arg.starts_with("-"))
            return std::nullopt;
        else
            options.frames.push_back(arg);
    }
    if (options.cataloguePath.empty() || options.frames.empty())
        return std::nullopt;
    return options;
}

} // namespace

int runDecodeCommand(Args args, std::ostream& out, std::ostream& err) {
    const std::optional<DecodeOptions> options = parseOptions(args);
    if (!options) {
        err << kUsage;
        return kExitUsage;
    }
    Catalogue catalogue;
    const CatalogueLoadResult loaded = loadCatalogueFile(options->cataloguePath, catalogue);
    if (!loaded) {
        printFailure(err, loaded.message, loaded.explanation);
        return kExitFailure;
    }

    CheckedStream output(out, std::string(kStandardOutput));
    int status = kExitOk;
    for (const std::string& text : options->frames) {
        const auto frame = frameOfText(text);
        if (!frame) {
            err << "varnu-cli decode: '" << text << "' is neither an entry text nor hex bytes\n";
            status = kExitFailure;
            continue;
        }
        output.stream() << toUtf8(describeFrame(*frame, catalogue, options->origin), catalogue.encoding) << "\n";
    }
    return output.flush() ? status : reportWriteFailure(err, "decode", output);
}

} // namespace varnu::cli
