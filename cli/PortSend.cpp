#include "cli/PortSend.h"

#include "catalogue_text/CatalogueText.h"
#include "cli/CliCommands.h"
#include "cli/Diagnostics.h"
#include "cli/SignalStop.h"
#include "protocol/TransmitSequence.h"
#include "protocol/WireTraceLink.h"
#include "serial/core/PortFailureText.h"
#include "serial/core/PortLossWatch.h"

#include <algorithm>
#include <cerrno>
#include <optional>
#include <ostream>
#include <system_error>

namespace varnu::cli {

namespace {

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
        loss_.lostAfterEntry(index, port_.lostPort());
    }

    const PortLossWatch& loss() const { return loss_; }

private:
    CheckedStream& out_;
    CheckedStream* trace_;
    std::stop_source& stop_;
    const DeviceLink& port_;
    PortLossWatch loss_;
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

// What the port has to say once (line settings a network port cannot carry), on stderr beside
// the Receive List. A notice names its port itself.
void printNotices(SerialLink& port, std::ostream& err) {
    for (const std::string& notice : port.takeNotices())
        err << SendVoice{}.said() << notice << "\n";
}

// The entries whose exchange was over when the run stopped.
std::size_t entriesFinished(const RunSummary& summary) {
    return static_cast<std::size_t>(
        std::count_if(summary.outcomes.begin(), summary.outcomes.end(),
                      [](EntryOutcome outcome) { return outcome != EntryOutcome::Stopped; }));
}

} // namespace

std::string SendVoice::said() const {
    return port.empty() ? "varnu-cli send: " : "varnu-cli send: " + port + ": ";
}

std::string SendVoice::fixed() const {
    return port.empty() ? std::string() : said();
}

bool openForWriting(std::ofstream& file, const std::string& path, std::string_view what, const SendVoice& voice,
                    std::ostream& err) {
    errno = 0;
    file.open(path, std::ios::binary | std::ios::trunc);
    if (file)
        return true;
    const int error = errno;
    err << voice.said() << "cannot write " << what << " " << path
        << (error != 0 ? ": " + std::generic_category().message(error) : std::string()) << "\n";
    return false;
}

std::unique_ptr<SerialLink> openSendLink(const PortSettings& settings, std::stop_token stop, const SendVoice& voice,
                                         std::ostream& err) {
    auto port = std::make_unique<SerialLink>();
    port->setSettings(settings);
    port->setStopToken(std::move(stop));
    if (!port->OpenPort()) {
        printFailure(err, voice.fixed() + std::string(kConnectFailure),
                     port->openFailure() ? explainPortFailure(*port->openFailure()) : "");
        return nullptr;
    }
    printNotices(*port, err);
    return port;
}

PortSendResult sendOverLink(SerialLink& port, std::span<const std::string> entries, const SendOutputs& outputs,
                            std::stop_source& stop, const SignalStop& signalStop, const SendVoice& voice,
                            std::ostream& err) {
    SteadyClock clock;
    std::optional<StreamTraceSink> traceSink;
    std::optional<WireTraceLink> logged;
    if (outputs.trace != nullptr) {
        traceSink.emplace(outputs.trace->stream(),
                          outputs.decodes != nullptr ? outputs.decodes->encoding : TextEncoding::Utf8);
        logged.emplace(port, clock, *traceSink, outputs.decodes);
    }
    Link& link = logged ? static_cast<Link&>(*logged) : port;

    StreamSink sink(outputs.receiveList, outputs.trace, stop, port);
    PortSendResult result;
    result.summary = TransmitSequence(link, sink).run(entries, stop.get_token());
    printNotices(port, err);
    port.ClosePort();
    const CheckedStream* failedOutput = nullptr;
    for (CheckedStream* stream : {&outputs.receiveList, outputs.trace}) {
        if (stream != nullptr && !stream->flush() && failedOutput == nullptr)
            failedOutput = stream;
    }
    const std::string ofEntries = " of " + std::to_string(entries.size());
    if (const int signal = signalStop.received()) {
        if (failedOutput != nullptr)
            err << voice.said() << failedOutput->failureText() << "\n";
        err << voice.said() << "interrupted by " << SignalStop::nameOf(signal) << " after entry "
            << entriesFinished(result.summary) << ofEntries << ".\n";
        result.status = SignalStop::exitStatusFor(signal);
    } else if (failedOutput != nullptr) {
        err << voice.said() << failedOutput->failureText() << "\n";
        result.status = kExitFailure;
    } else if (sink.loss().lost()) {
        printFailure(err,
                     voice.said() + "the port was lost during entry " + std::to_string(sink.loss().lostAtEntry()) +
                         ofEntries + ".",
                     explainPortFailure(*sink.loss().lost()));
        result.status = kExitFailure;
    } else {
        result.status = result.summary.allAcknowledged() ? kExitOk : kExitEntriesFailed;
    }
    return result;
}

} // namespace varnu::cli
