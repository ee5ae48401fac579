#pragma once
// One Transmit on a worker thread that owns the serial link for the run, so that the window
// keeps painting and answering while the projector is slow. The engine's reports come back to
// the window's thread as queued signals; the wire trace of the run (every transfer, each
// whole frame followed by its decode) is gathered in batches for the Session window.

#include <QMetaType>
#include <QObject>
#include <QString>
#include <QStringList>
#include <chrono>
#include <mutex>
#include <stop_token>
#include <string>
#include <vector>

#include "protocol/TransmitSink.h"

class QThread;

namespace varnu {

struct Catalogue;
class PortConnection;

class TransmitRun : public QObject {
    Q_OBJECT
public:
    // `entries` is the Transmit List at the start: the list cannot change during a run.
    // `catalogue` names the frames of the trace (nothing: no decode lines); it must outlive
    // the run.
    TransmitRun(PortConnection& port, std::vector<std::string> entries, const Catalogue* catalogue,
                QObject* parent = nullptr);
    // Stops the run and waits for it, as stopAndWait does.
    ~TransmitRun() override;

    // Hands the link to a new worker thread and starts sending.
    void start();

    // Asks the run to end at its next transfer and returns at once: a read under way ends
    // after its attempt, the Receive List says "Stopped." and finished() follows.
    void requestStop();

    // Ends the run at its next transfer and waits until the worker has handed the link back
    // (a read or write under way finishes first: about two seconds at most).
    void stopAndWait();

    std::size_t entryCount() const { return entries.size(); }

    // The trace lines recorded since the last call, oldest first.
    QStringList takeTraceLines();

    // After finished(): what each entry's exchange came to, and the time from the run's
    // start to its end.
    const RunSummary& summary() const { return summary_; }
    std::chrono::milliseconds elapsed() const { return elapsed_; }

signals:
    void entryStarted(int index);
    void textAppended(const QString& text);
    void entryFinished(int index, varnu::EntryOutcome outcome);
    void portSpeedChanged(quint32 baudRate);
    // The port's device went away during entry `entryNumber` (counted from 1); sent once.
    void portLost(int entryNumber, const QString& explanation);
    // Trace lines wait in takeTraceLines(): sent when the first line of a batch arrives, so a
    // busy window takes many lines at a time.
    void traceLinesReady();
    // The last signal of a run: the link is back on the thread that started it.
    void finished();

private:
    class Sink;
    class TraceSink;
    void work();
    void queueTraceLine(QString line);

    PortConnection& port;
    std::vector<std::string> entries;
    const Catalogue* catalogue;
    std::stop_source stop;
    QThread* home = nullptr;
    QThread* worker = nullptr;

    std::mutex traceMutex;
    QStringList pendingTrace; // guarded by traceMutex

    // Written by the worker before finished(), read by the window after it.
    RunSummary summary_;
    std::chrono::milliseconds elapsed_{0};
};

} // namespace varnu

// Carried by a queued signal from the worker to the window.
Q_DECLARE_METATYPE(varnu::EntryOutcome)
