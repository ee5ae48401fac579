// varnu-cli send: opens a list file as Open does, sends every entry to the projector as
// Transmit does, and prints the Receive List text while it grows.

#include "cli/CliCommands.h"
#include "cli/SendOptions.h"
#include "cli/WireLogLink.h"
#include "protocol/TransmitSequence.h"
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
    "         [--stop-bits 1|1.5|2] [--log FILE] LISTFILE\n"
    "  exit status: 0 every entry acknowledged, 3 some entry failed, 1 port or file failure, 2 usage\n";
constexpr ProgramUsage kProgram{"varnu-cli", "varnu-cli send", kUsage};
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
    CommandLine line;
    addSendOptions(line);
    if (const std::optional<int> status = parseCommandLine(line, args, kProgram, out, err))
        return *status;
    const auto parsed = sendOptionsFrom(line);
    if (const auto* error = std::get_if<SendUsageError>(&parsed))
        return usageError(kProgram, error->message, err);
    const SendOptions& options = std::get<SendOptions>(parsed);

    const std::optional<std::string> content = readFileBytes(options.listPath);
    if (!content) {
        err << kReadFailure << "\n";
        return kExitFailure;
    }
    const std::vector<std::string> entries = readListFile(*content);

    // The trace is truncated when it opens: it must not be the list it was asked to send.
    std::error_code ignored;
    if (!options.logPath.empty() && std::filesystem::equivalent(options.logPath, options.listPath, ignored)) {
        err << "varnu-cli send: the log file is the list file\n" << kUsage;
        return kExitUsage;
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
    std::optional<WireLogLink> logged;
    if (trace.is_open())
        logged.emplace(port, clock, trace);
    Link& link = logged ? static_cast<Link&>(*logged) : port;

    StreamSink sink(out);
    const RunSummary summary = TransmitSequence(link, sink).run(entries);
    port.ClosePort();
    return summary.allAcknowledged() ? kExitOk : kExitEntriesFailed;
}

} // namespace varnu::cli
