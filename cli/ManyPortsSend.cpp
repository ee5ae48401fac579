#include "cli/ManyPortsSend.h"

#include "cli/CheckedStream.h"
#include "cli/CliCommands.h"
#include "cli/PortSend.h"
#include "cli/SignalStop.h"

#include <QThread>

#include <algorithm>
#include <array>
#include <memory>
#include <mutex>
#include <optional>
#include <ostream>
#include <sstream>
#include <system_error>

namespace varnu::cli {

namespace {

// Standard output and stderr shared by the workers: a port's sentences go out whole, and its
// summary line as soon as its run has ended, one port at a time.
class SummaryBoard {
public:
    SummaryBoard(std::ostream& out, std::ostream& err) : out_(out, std::string(kStandardOutput)), err_(err) {}

    void say(std::string_view sentences) {
        const std::lock_guard lock(mutex_);
        err_ << sentences << std::flush;
    }

    void finished(const PortSummary& summary, std::string_view sentences) {
        const std::lock_guard lock(mutex_);
        err_ << sentences << std::flush;
        out_.stream() << summaryLine(summary) << '\n';
        out_.flush(); // a failure is kept and reported at the end; the Receive Lists are in their files
        summaries_.push_back(summary);
    }

    // Once every worker has ended: the total and the worst status, `least` at the least (a
    // signal's, which may have come while no run could notice it).
    int close(int least) {
        int status = least;
        for (const PortSummary& summary : summaries_)
            status = worseStatus(status, summary.status);
        out_.stream() << totalLine(summaries_, status) << '\n';
        if (!out_.flush())
            status = worseStatus(status, reportWriteFailure(err_, "send", out_));
        return status;
    }

private:
    std::mutex mutex_;
    CheckedStream out_;
    std::ostream& err_;
    std::vector<PortSummary> summaries_; // in the order the runs ended
};

// What every worker shares: read-only but for the board, which locks.
struct Job {
    const SendOptions& options;
    std::span<const std::string> entries;
    const Catalogue* decodes;
    std::stop_source& stop;
    const SignalStop& signalStop;
    SummaryBoard& board;
};

// One port's run, on the worker thread that owns its link from start to end.
void runPort(const PortFiles& files, const Job& job) {
    const SendVoice voice{files.portName};
    std::ostringstream said;
    PortSummary summary{files.portName, files.receiveList.string(), job.entries.size(), 0, kExitFailure};
    // The run's own stop: a failed output ends this run alone, a signal every run.
    std::stop_source own;
    const std::stop_callback relay(job.stop.get_token(), [&own] { own.request_stop(); });

    // Made before the port is tried, so that every file in the folder comes from this run: a
    // port that does not open leaves an empty Receive List, not an earlier run's.
    std::ofstream receiveFile;
    std::ofstream traceFile;
    if (!openForWriting(receiveFile, files.receiveList.string(), "the Receive List file", voice, said) ||
        (!files.trace.empty() && !openForWriting(traceFile, files.trace.string(), "the trace file", voice, said))) {
        job.board.finished(summary, said.str());
        return;
    }
    CheckedStream receiveList(receiveFile, "the Receive List file " + files.receiveList.string());
    std::optional<CheckedStream> trace;
    if (!files.trace.empty())
        trace.emplace(traceFile, "the trace file " + files.trace.string());

    PortSettings settings = job.options.port;
    settings.portName = files.portName;
    std::unique_ptr<SerialLink> link = openSendLink(settings, own.get_token(), voice, said);
    if (!link) {
        job.board.finished(summary, said.str());
        return;
    }
    job.board.say(said.str()); // the port's notices, while it runs
    said.str({});
    const PortSendResult result = sendOverLink(
        *link, job.entries, {receiveList, trace ? &*trace : nullptr, job.decodes}, own, job.signalStop, voice, said);
    link.reset();
    summary.acknowledged = static_cast<std::size_t>(
        std::count(result.summary.outcomes.begin(), result.summary.outcomes.end(), EntryOutcome::Acknowledged));
    summary.status = result.status;
    job.board.finished(summary, said.str());
}

} // namespace

std::string summaryLine(const PortSummary& summary) {
    return summary.portName + ": " + std::to_string(summary.entries) + " entries, " +
           std::to_string(summary.acknowledged) + " acknowledged, " +
           std::to_string(summary.entries - summary.acknowledged) + " failed, exit " + std::to_string(summary.status) +
           "; Receive List in " + summary.receiveList;
}

std::string totalLine(std::span<const PortSummary> summaries, int status) {
    std::size_t entries = 0;
    std::size_t acknowledged = 0;
    for (const PortSummary& summary : summaries) {
        entries += summary.entries;
        acknowledged += summary.acknowledged;
    }
    return "total: " + std::to_string(summaries.size()) + " ports, " + std::to_string(entries) + " entries, " +
           std::to_string(acknowledged) + " acknowledged, " + std::to_string(entries - acknowledged) +
           " failed, exit " + std::to_string(status);
}

int worseStatus(int a, int b) {
    // Mildest first; any other status is a signal's, above them all.
    constexpr std::array kMildestFirst{kExitOk, kExitEntriesFailed, kExitFailure};
    const auto severity = [&](int status) {
        return std::find(kMildestFirst.begin(), kMildestFirst.end(), status) - kMildestFirst.begin();
    };
    return severity(b) > severity(a) ? b : a;
}

int sendToManyPorts(const SendOptions& options, std::span<const PortFiles> ports, std::span<const std::string> entries,
                    const Catalogue* decodes, std::stop_source& stop, const SignalStop& signalStop, std::ostream& out,
                    std::ostream& err) {
    std::error_code made;
    std::filesystem::create_directories(options.receiveDir, made);
    if (made) {
        err << "varnu-cli send: cannot make the folder " << options.receiveDir << ": " << made.message() << "\n";
        return kExitFailure;
    }
    SummaryBoard board(out, err);
    const Job job{options, entries, decodes, stop, signalStop, board};
    std::vector<std::unique_ptr<QThread>> workers;
    for (const PortFiles& files : ports) {
        workers.emplace_back(QThread::create([&files, &job] { runPort(files, job); }));
        workers.back()->start();
    }
    for (const std::unique_ptr<QThread>& worker : workers)
        worker->wait();
    const int signal = signalStop.received();
    return board.close(signal != 0 ? SignalStop::exitStatusFor(signal) : kExitOk);
}

} // namespace varnu::cli
