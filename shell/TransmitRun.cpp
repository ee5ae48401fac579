#include "shell/TransmitRun.h"

#include <QThread>

#include "catalogue_text/CatalogueText.h"
#include "protocol/TransmitSequence.h"
#include "protocol/WireTraceLink.h"
#include "serial/core/Clock.h"
#include "serial/core/PortFailureText.h"
#include "serial/core/PortLossWatch.h"
#include "shell/PortConnection.h"

namespace varnu {

// Runs on the worker: every report becomes a signal, queued to the window's thread.
class TransmitRun::Sink final : public TransmitSink {
public:
    explicit Sink(TransmitRun& run) : run(run) {}

    void entryStarted(std::size_t index) override { emit run.entryStarted(static_cast<int>(index)); }
    void textAppended(std::string_view text) override {
        emit run.textAppended(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
    }
    // The rest of a run whose port was lost goes on and fails entry by entry, as it always
    // has; the loss is told once.
    void entryFinished(std::size_t index, EntryOutcome outcome) override {
        emit run.entryFinished(static_cast<int>(index), outcome);
        if (loss.lostAfterEntry(index, run.port.lostPort()))
            emit run.portLost(static_cast<int>(loss.lostAtEntry()),
                              QString::fromStdString(explainPortFailure(*loss.lost())));
    }
    void portSpeedChanged(std::uint32_t baudRate) override { emit run.portSpeedChanged(baudRate); }

private:
    TransmitRun& run;
    PortLossWatch loss;
};

// Runs on the worker: each trace line, its names decoded as the window shows them.
class TransmitRun::TraceSink final : public WireTraceSink {
public:
    TraceSink(TransmitRun& run, TextEncoding names) : run(run), names(names) {}
    void traceLine(std::string_view line) override { run.queueTraceLine(catalogueText(line, names)); }

private:
    TransmitRun& run;
    TextEncoding names;
};

TransmitRun::TransmitRun(PortConnection& port, std::vector<std::string> entries, const Catalogue* catalogue,
                         QObject* parent)
    : QObject(parent), port(port), entries(std::move(entries)), catalogue(catalogue) {}

TransmitRun::~TransmitRun() {
    stopAndWait();
}

void TransmitRun::start() {
    if (worker)
        return;
    home = QThread::currentThread();
    worker = QThread::create([this] { work(); });
    port.setStopToken(stop.get_token());
    port.moveToThread(worker);
    worker->start();
}

void TransmitRun::work() {
    Sink sink(*this);
    TraceSink traceSink(*this, catalogue ? catalogue->encoding : TextEncoding::Utf8);
    SteadyClock clock;
    const Clock::TimePoint started = clock.now();
    WireTraceLink traced(port.link(), clock, traceSink, catalogue); // its times count from here
    summary_ = TransmitSequence(traced, sink).run(std::span<const std::string>(entries), stop.get_token());
    elapsed_ = std::chrono::duration_cast<std::chrono::milliseconds>(clock.now() - started);
    port.setStopToken({});
    port.moveToThread(home);
    emit finished();
}

void TransmitRun::queueTraceLine(QString line) {
    bool first = false;
    {
        const std::lock_guard lock(traceMutex);
        first = pendingTrace.isEmpty();
        pendingTrace.append(std::move(line));
    }
    if (first)
        emit traceLinesReady();
}

QStringList TransmitRun::takeTraceLines() {
    const std::lock_guard lock(traceMutex);
    return std::exchange(pendingTrace, {});
}

void TransmitRun::requestStop() {
    stop.request_stop();
}

void TransmitRun::stopAndWait() {
    if (!worker)
        return;
    stop.request_stop();
    worker->wait();
    delete worker;
    worker = nullptr;
}

} // namespace varnu
