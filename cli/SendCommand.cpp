// varnu-cli send: opens a list file as Open does, sends every entry to the projector as
// Transmit does, and prints the Receive List text while it grows. With --log it records the
// wire trace, and with --catalogue too the decode of every frame in it.

#include "catalogue/CatalogueLoader.h"
#include "cli/CatalogueText.h"
#include "cli/CliCommands.h"
#include "cli/SendOptions.h"
#include "protocol/TransmitSequence.h"
#include "protocol/WireTraceLink.h"
#include "serial/SerialLink.h"
#include "transmit_list/ListFile.h"

#include <QCoreApplication>

#include <filesystem>
#include <fstream>
#include <optional>
#include <ostream>
#include <variant>

namespace varnu::cli {

namespace {

constexpr std::string_view kUsage =
    "usage: varnu-cli send --port DEV [--baud N] [--parity none|odd|even|mark] [--data-bits N]\n"
    "         [--stop-bits 1|1.5|2] [--log FILE [--catalogue FILE]] LISTFILE\n"
    "  exit status: 0 every entry acknowledged, 3 some entry failed, 1 port or file failure, 2 usage\n";
constexpr std::string_view kReadFailure = "Read Failure.";
constexpr std::string_view kConnectFailure = "Not able to Connect.";

// The Receive List on a stream: each piece goes out as soon as it is known, so a pipe or a
// terminal follows the run as the window would.
class StreamSink final : public TransmitSink {
public:
    explicit StreamSink(std::ostream& out) : out_(out) {}
    void textAppended(std::string_view text) override { out_ << text << std::flush; }

private:
    std::ostream& out_;
};

// The wire trace on a stream. Every write to the log goes through traceLine; each line is
// flushed, so a trace cut short by a crash or a kill still ends on a whole line.
class StreamTraceSink final : public WireTraceSink {
public:
    StreamTraceSink(std::ostream& out, TextEncoding names) : out_(out), names_(names) {}
    void traceLine(std::string_view line) override {
        if (names_ == TextEncoding::Utf8)
            out_ << line;
        else
            out_ << toUtf8(line, names_);
        out_ << '\n' << std::flush;
    }

private:
    std::ostream& out_;
    TextEncoding names_;
};

// Qt's serial port wants an application object for its notifiers; the command runs without
// one when it is called from a test or from the plain main().
class QtCoreScope {
public:
    QtCoreScope() {
        if (QCoreApplication::instance() == nullptr)
            app_.emplace(argc_, argv_);
    }

private:
    int argc_ = 1;
    char name_[10] = "varnu-cli";
    char* argv_[2] = {name_, nullptr};
    std::optional<QCoreApplication> app_;
};

} // namespace

int runSendCommand(Args args, std::ostream& out, std::ostream& err) {
    const auto parsed = parseSendOptions(args);
    if (const auto* error = std::get_if<SendUsageError>(&parsed)) {
        err << "varnu-cli send: " << error->message << "\n" << kUsage;
        return kExitUsage;
    }
    const SendOptions& options = std::get<SendOptions>(parsed);

    const std::optional<std::string> content = readFileBytes(options.listPath);
    if (!content) {
        err << kReadFailure << "\n";
        return kExitFailure;
    }
    const std::vector<std::string> entries = readListFile(*content);

    Catalogue catalogue;
    if (!options.cataloguePath.empty()) {
        const CatalogueLoadResult loaded = loadCatalogue(readFileBytes(options.cataloguePath), catalogue);
        if (!loaded) {
            err << loaded.message << "\n";
            return kExitFailure;
        }
    }

    // The trace is truncated when it opens: it must not be the list it was asked to send, nor
    // the catalogue that decodes it.
    std::error_code ignored;
    for (const auto& [input, what] : {std::pair{&options.listPath, "list"}, {&options.cataloguePath, "catalogue"}}) {
        if (!options.logPath.empty() && !input->empty() &&
            std::filesystem::equivalent(options.logPath, *input, ignored)) {
            err << "varnu-cli send: the log file is the " << what << " file\n" << kUsage;
            return kExitUsage;
        }
    }
    std::ofstream trace;
    if (!options.logPath.empty()) {
        trace.open(options.logPath, std::ios::binary | std::ios::trunc);
        if (!trace) {
            err << "varnu-cli send: cannot write the log file " << options.logPath << "\n";
            return kExitFailure;
        }
    }

    const QtCoreScope qt;
    SerialLink port;
    port.setSettings(options.port);
    if (!port.OpenPort()) {
        err << kConnectFailure << "\n";
        return kExitFailure;
    }

    SteadyClock clock;
    StreamTraceSink traceSink(trace, catalogue.encoding);
    std::optional<WireTraceLink> logged;
    if (trace.is_open())
        logged.emplace(port, clock, traceSink, options.cataloguePath.empty() ? nullptr : &catalogue);
    Link& link = logged ? static_cast<Link&>(*logged) : port;

    StreamSink sink(out);
    const RunSummary summary = TransmitSequence(link, sink).run(entries);
    port.ClosePort();
    return summary.allAcknowledged() ? kExitOk : kExitEntriesFailed;
}

} // namespace varnu::cli
