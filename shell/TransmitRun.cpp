#include "shell/TransmitRun.h"

#include <QThread>

#include "protocol/TransmitSequence.h"
#include "serial/core/PortFailureText.h"
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
    void portSpeedChanged(std::uint32_t baudRate) override { emit run.portSpeedChanged(baudRate); }
    // The rest of the run goes on and fails entry by entry, as it always has; the loss is told once.
    void entryFinished(std::size_t index, EntryOutcome) override {
        if (lostTold)
            return;
        if (const std::optional<PortFailure> lost = run.port.lostPort()) {
            lostTold = true;
            emit run.portLost(static_cast<int>(index) + 1, QString::fromStdString(explainPortFailure(*lost)));
        }
    }

private:
    TransmitRun& run;
    bool lostTold = false;
};

TransmitRun::TransmitRun(PortConnection& port, std::vector<std::string> entries, QObject* parent)
    : QObject(parent), port(port), entries(std::move(entries)) {}

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
    TransmitSequence(port.link(), sink).run(std::span<const std::string>(entries), stop.get_token());
    port.setStopToken({});
    port.moveToThread(home);
    emit finished();
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
