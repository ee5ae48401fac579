// varnu-cli send: opens a list file as Open does, sends every entry to the projector as
// Transmit does, and prints the Receive List text while it grows. With --log it records the
// wire trace, and with --catalogue too the decode of every frame in it. With --receive-dir the
// list goes to every --port at once, each port's Receive List to a file of its own.

#include "cli/CheckedStream.h"
#include "cli/CliCommands.h"
#include "cli/Diagnostics.h"
#include "cli/ManyPortsSend.h"
#include "cli/PortSend.h"
#include "cli/ReceiveFolder.h"
#include "cli/SendOptions.h"
#include "cli/SignalStop.h"
#include "files/FileFailureText.h"
#include "transmit_list/ListFile.h"

#include <QCoreApplication>

#include <fstream>
#include <optional>
#include <ostream>
#include <stop_token>
#include <variant>
#include <vector>

namespace varnu::cli {

namespace {

constexpr std::string_view kUsage =
    "usage: varnu-cli send --port DEV|tcp://HOST:PORT|rfc2217://HOST:PORT [--baud N] [--parity none|odd|even|mark]\n"
    "         [--data-bits N] [--stop-bits 1|1.5|2] [--log FILE [--catalogue FILE]] LISTFILE\n"
    "       varnu-cli send --port DEV [--port DEV]... --receive-dir DIR [--trace [--catalogue FILE]]\n"
    "         [--baud N] [--parity P] [--data-bits N] [--stop-bits S] LISTFILE\n"
    "  exit status: 0 every entry acknowledged, 3 some entry failed, 1 nothing to send, a port or file\n"
    "  failure, the port lost during the run, or standard output or the log cannot be written (the run\n"
    "  stops after that entry), 2 usage, 128 + N stopped by signal N (130 SIGINT, 143 SIGTERM, 129 SIGHUP)\n"
    "  --receive-dir: the list goes to every port at once (64 at most, one allowed), with the same line\n"
    "  settings. Each port's Receive List is written as it grows to DIR/NAME.txt (DIR is made if\n"
    "  missing), and with --trace its wire trace to DIR/NAME.log (--log is refused): NAME is the port's\n"
    "  name without /dev/ (or its first /), with \"://\" and every character but letters, digits, '.',\n"
    "  '-' and '_' as '_' (ttyUSB0.txt, tcp_10.0.0.7_4001.txt). One device given twice (a link and its\n"
    "  target too) and two ports that give one NAME are usage errors. Standard output gets a line per\n"
    "  port as its run ends, \"PORT: N entries, A acknowledged, F failed, exit S; Receive List in FILE\"\n"
    "  (F counts every entry not acknowledged), then a total line; stderr names the port before each of\n"
    "  its messages. The exit status is the worst of the runs: 128 + N (a signal stops every run), then\n"
    "  1, then 3, then 0.\n";
constexpr ProgramUsage kProgram{"varnu-cli", "varnu-cli send", kUsage};

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
    const std::string& logPath = options.logPath;
    for (const auto& [other, what] :
         {std::pair{&options.listPath, "list file"}, {&options.cataloguePath, "catalogue file"}}) {
        if (!logPath.empty() && !other->empty() && sameFile(logPath, *other))
            return usageError(kProgram, std::string("the log file is the ") + what, err);
    }
    if (!logPath.empty() && isThePortsDevice(logPath, options.port.portName))
        return usageError(kProgram, "the log file is the port", err);
    std::vector<PortFiles> folder;
    if (!options.receiveDir.empty()) {
        auto planned = planReceiveFolder(options);
        if (const auto* error = std::get_if<SendUsageError>(&planned))
            return usageError(kProgram, error->message, err);
        folder = std::move(std::get<std::vector<PortFiles>>(planned));
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
    if (!options.cataloguePath.empty() && !loadCatalogueOrSay(options.cataloguePath, catalogue, err))
        return kExitFailure;
    const Catalogue* decodes = options.cataloguePath.empty() ? nullptr : &catalogue;

    // From here a stop signal ends the run cleanly: the port is closed and its lock released.
    std::stop_source stop;
    const SignalStop signalStop(stop);
    const QtCoreScope qt;
    if (!options.receiveDir.empty())
        return sendToManyPorts(options, folder, loaded.entries, decodes, stop, signalStop, out, err);

    const SendVoice voice;
    const std::unique_ptr<SerialLink> port = openSendLink(options.port, stop.get_token(), voice, err);
    if (!port)
        return kExitFailure;

    // Opened only now, so that a run that cannot start leaves an earlier log as it was.
    std::ofstream logFile;
    std::optional<CheckedStream> trace;
    if (!logPath.empty()) {
        if (!openForWriting(logFile, logPath, "the log file", voice, err)) {
            port->ClosePort();
            return kExitFailure;
        }
        trace.emplace(logFile, "the log file " + logPath);
    }
    CheckedStream output(out, std::string(kStandardOutput));
    return sendOverLink(*port, loaded.entries, {output, trace ? &*trace : nullptr, decodes}, stop, signalStop, voice,
                        err)
        .status;
}

} // namespace varnu::cli
