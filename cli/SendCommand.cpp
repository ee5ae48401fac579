// varnu-cli send: opens a list file as Open does, sends every entry to the projector as
// Transmit does, and prints the Receive List text while it grows. With --log it records the
// wire trace, and with --catalogue too the decode of every frame in it.

#include "catalogue/CatalogueLoader.h"
#include "catalogue_text/CatalogueText.h"
#include "cli/CheckedStream.h"
#include "cli/CliCommands.h"
#include "cli/Diagnostics.h"
#include "cli/SendOptions.h"
#include "cli/SignalStop.h"
#include "files/FileFailureText.h"
#include "protocol/TransmitSequence.h"
#include "protocol/WireTraceLink.h"
#include "serial/SerialLink.h"
#include "serial/core/PortFailureText.h"
#include "transmit_list/ListFile.h"

#include <QCoreApplication>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <optional>
#include <ostream>
#include <stop_token>
#include <system_error>
#include <variant>

namespace varnu::cli {

namespace {

constexpr std::string_view kUsage =
    "usage: varnu-cli send --port DEV|tcp://HOST:PORT|rfc2217://HOST:PORT [--baud N] [--parity none|odd|even|mark]\n"
    "         [--data-bits N] [--stop-bits 1|1.5|2] [--log FILE [--catalogue FILE]] LISTFILE\n"
    "  exit status: 0 every entry acknowledged, 3 some entry failed, 1 nothing to send, a port or file\n"
    "  failure, the port lost during the run, or standard output or the log cannot be written (the run\n"
    "  stops after that entry), 2 usage, 128 + N stopped by signal N (130 SIGINT, 143 SIGTERM, 129 SIGHUP)\n";
constexpr ProgramUsage kProgram{"varnu-cli", "varnu-cli send", kUsage};
constexpr std::string_view kConnectFailure = "Not able to Connect.";

// The Receive List on a stream: each piece goes out as soon as it is known, so a pipe or a
// terminal follows the run as the window would. When an output fails (the Receive List's
// stream or the wire log), the run stops once the entry in progress is over: nothing more is
// sent that cannot be recorded, and no exchange is cut in half. It also notes the entry at
// which the port was lost; the run goes on, and every later entry fails at once.
class StreamSink final : public TransmitSink {
public:
    StreamSink(CheckedStream& out, CheckedStream* trace, std::stop_source& stop, const DeviceLink& port)
        : out_(out), trace_(trace), stop_(stop), port_(port) {}

    void textAppended(std::string_view text) override {
        out_.stream() << text;
        out_.flush(); // the failure is kept and acted on when the entry is over
    }
    void entryFinished(std::size_t index, EntryOutcome) override {
        if (!out_.flush() || (trace_ != nullptr && !trace_->flush()))
            stop_.request_stop();
        if (!lost_) {
            if (std::optional<PortFailure> lost = port_.lostPort()) {
                lost_ = std::move(lost);
                lostAtEntry_ = index + 1;
            }
        }
    }

    // Why the port was lost, and the entry (from 1) during which it went.
    const std::optional<PortFailure>& lost() const { return lost_; }
    std::size_t lostAtEntry() const { return lostAtEntry_; }

private:
    CheckedStream& out_;
    CheckedStream* trace_;
    std::stop_source& stop_;
    const DeviceLink& port_;
    std::optional<PortFailure> lost_;
    std::size_t lostAtEntry_ = 0;
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
            out_ << catalogueUtf8(line, names_);
        out_ << '\n' << std::flush;
    }

private:
    std::ostream& out_;
    TextEncoding names_;
};

// The same file under two names: the log is emptied when it opens, so it must be neither the
// list it sends, nor the catalogue that decodes it, nor the port it sends on.
bool sameFile(const std::string& a, const std::string& b) {
    std::error_code ignored;
    return std::filesystem::equivalent(a, b, ignored);
}

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

// What the port has to say once (line settings a network port cannot carry), on stderr beside
// the Receive List.
void printNotices(SerialLink& port, std::ostream& err) {
    for (const std::string& notice : port.takeNotices())
        err << "varnu-cli send: " << notice << "\n";
}

// The entries whose exchange was over when the run stopped.
std::size_t entriesFinished(const RunSummary& summary) {
    return static_cast<std::size_t>(
        std::count_if(summary.outcomes.begin(), summary.outcomes.end(),
                      [](EntryOutcome outcome) { return outcome != EntryOutcome::Stopped; }));
}

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
    const std::string& logPath = options.logPath;
    for (const auto& [other, what] : {std::pair{&options.listPath, "list file"},
                                      {&options.cataloguePath, "catalogue file"},
                                      {&options.port.portName, "port"}}) {
        if (!logPath.empty() && !other->empty() && sameFile(logPath, *other))
            return usageError(kProgram, std::string("the log file is the ") + what, err);
    }

    const LoadedListFile loaded = loadListFile(options.listPath);
    if (loaded.failure) {
        printFailure(err, kReadFailure, explainFileFailure(*loaded.failure));
        return kExitFailure;
    }
    printListReport(err, "send", options.listPath, loaded.report);
    if (loaded.entries.empty()) {
        err << "varnu-cli send: nothing to send: " << options.listPath << " gives no entry\n";
        return kExitFailure;
    }

    Catalogue catalogue;
    if (!options.cataloguePath.empty()) {
        const CatalogueLoadResult catalogueLoaded = loadCatalogueFile(options.cataloguePath, catalogue);
        if (!catalogueLoaded) {
            printFailure(err, catalogueLoaded.message, catalogueLoaded.explanation);
            return kExitFailure;
        }
    }

    // From here a stop signal ends the run cleanly: the port is closed and its lock released.
    std::stop_source stop;
    const SignalStop signalStop(stop);
    const QtCoreScope qt;
    SerialLink port;
    port.setSettings(options.port);
    port.setStopToken(stop.get_token());
    if (!port.OpenPort()) {
        printFailure(err, kConnectFailure, port.openFailure() ? explainPortFailure(*port.openFailure()) : "");
        return kExitFailure;
    }
    printNotices(port, err);

    // Opened only now, so that a run that cannot start leaves an earlier log as it was.
    std::ofstream logFile;
    std::optional<CheckedStream> trace;
    if (!logPath.empty()) {
        errno = 0;
        logFile.open(logPath, std::ios::binary | std::ios::trunc);
        if (!logFile) {
            const int error = errno;
            port.ClosePort();
            err << "varnu-cli send: cannot write the log file " << logPath
                << (error != 0 ? ": " + std::generic_category().message(error) : std::string()) << "\n";
            return kExitFailure;
        }
        trace.emplace(logFile, "the log file " + logPath);
    }

    SteadyClock clock;
    std::optional<StreamTraceSink> traceSink;
    std::optional<WireTraceLink> logged;
    if (trace) {
        traceSink.emplace(trace->stream(), catalogue.encoding);
        logged.emplace(port, clock, *traceSink, options.cataloguePath.empty() ? nullptr : &catalogue);
    }
    Link& link = logged ? static_cast<Link&>(*logged) : port;

    CheckedStream output(out, std::string(kStandardOutput));
    StreamSink sink(output, trace ? &*trace : nullptr, stop, port);
    const RunSummary summary = TransmitSequence(link, sink).run(loaded.entries, stop.get_token());
    printNotices(port, err);
    port.ClosePort();
    const CheckedStream* failedOutput = nullptr;
    for (CheckedStream* stream : {&output, trace ? &*trace : nullptr}) {
        if (stream != nullptr && !stream->flush() && failedOutput == nullptr)
            failedOutput = stream;
    }
    const std::string ofEntries = " of " + std::to_string(loaded.entries.size());
    if (const int signal = signalStop.received()) {
        if (failedOutput != nullptr)
            reportWriteFailure(err, "send", *failedOutput);
        err << "varnu-cli send: interrupted by " << SignalStop::nameOf(signal) << " after entry "
            << entriesFinished(summary) << ofEntries << ".\n";
        return SignalStop::exitStatusFor(signal);
    }
    if (failedOutput != nullptr)
        return reportWriteFailure(err, "send", *failedOutput);
    if (sink.lost()) {
        printFailure(err,
                     "varnu-cli send: the port was lost during entry " + std::to_string(sink.lostAtEntry()) +
                         ofEntries + ".",
                     explainPortFailure(*sink.lost()));
        return kExitFailure;
    }
    return summary.allAcknowledged() ? kExitOk : kExitEntriesFailed;
}

} // namespace varnu::cli
