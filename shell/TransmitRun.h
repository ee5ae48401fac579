#pragma once
// One Transmit on a worker thread that owns the serial link for the run, so that the window
// keeps painting and answering while the projector is slow. The engine's reports come back to
// the window's thread as queued signals.

#include <QObject>
#include <QString>
#include <stop_token>
#include <string>
#include <vector>

class QThread;

namespace varnu {

class PortConnection;

class TransmitRun : public QObject {
    Q_OBJECT
public:
    // `entries` is the Transmit List at the start: the list cannot change during a run.
    TransmitRun(PortConnection& port, std::vector<std::string> entries, QObject* parent = nullptr);
    // Stops the run and waits for it, as stopAndWait does.
    ~TransmitRun() override;

    // Hands the link to a new worker thread and starts sending.
    void start();

    // Ends the run at its next transfer and waits until the worker has handed the link back
    // (a read or write under way finishes first: about two seconds at most).
    void stopAndWait();

signals:
    void entryStarted(int index);
    void textAppended(const QString& text);
    void portSpeedChanged(quint32 baudRate);
    // The port's device went away during entry `entryNumber` (counted from 1); sent once.
    void portLost(int entryNumber, const QString& explanation);
    // The last signal of a run: the link is back on the thread that started it.
    void finished();

private:
    class Sink;
    void work();

    PortConnection& port;
    std::vector<std::string> entries;
    std::stop_source stop;
    QThread* home = nullptr;
    QThread* worker = nullptr;
};

} // namespace varnu
