// The main window's Transmit and Clear: the run goes to a worker thread (TransmitRun); the
// window selects the entry being sent and grows the Receive List as the texts arrive, and the
// Session window follows the run and its wire trace.

#include <QPlainTextEdit>
#include <QScrollBar>

#include <utility>

#include "resources/ResourceIds.h"
#include "shell/CVarnuDlg.h"
#include "shell/PortConnection.h"
#include "shell/SessionWindow.h"
#include "shell/TransmitRun.h"

namespace varnu {

void CVarnuDlg::OnTransmit() {
    if (transmitRun)
        return;
    exchange(Exchange::Collect);
    if (transmitList.count() < 1)
        return; // nothing is sent and nothing is written

    transmitRun = std::make_unique<TransmitRun>(port, transmitList.entries(), catalogueLoaded ? &catalogue_ : nullptr);
    TransmitRun* run = transmitRun.get();
    // The run is the context of every report that acts on it or on the run's progress: the
    // reports still queued when a closing window deletes the run die with it. The Receive
    // List's texts carry their own data and are kept.
    // Only list 1028 and the Receive List change during a run: a whole show would overwrite
    // what the user types in the fields meanwhile.
    connect(run, &TransmitRun::entryStarted, run, [this](int index) {
        transmitList.select(index);
        showTransmitList();
        session->entryStarted(index);
    });
    connect(run, &TransmitRun::textAppended, this, &CVarnuDlg::appendReceiveText);
    connect(run, &TransmitRun::entryFinished, run,
            [this](int, EntryOutcome outcome) { session->entryFinished(outcome); });
    connect(run, &TransmitRun::portSpeedChanged, run, [this](quint32 baudRate) {
        changedBaudRate = baudRate;
        PortSettings settings = port.settings();
        settings.baudRate = baudRate;
        session->showPort(settings, PortState::Open);
    });
    connect(run, &TransmitRun::traceLinesReady, run, [this, run] { session->appendTrace(run->takeTraceLines()); });
    connect(run, &TransmitRun::finished, run, [this] { endTransmit(); });
    connect(run, &TransmitRun::portLost, run,
            [this](int entryNumber, const QString& explanation) { lostDuringRun.emplace(entryNumber, explanation); });
    holdCommandsDuringRun(true);
    session->runStarted(run->entryCount());
    run->start();
}

void CVarnuDlg::appendReceiveText(const QString& text) {
    receiveText += text.toStdString();
    auto* receive = static_cast<QPlainTextEdit*>(control(ids::kReceiveList));
    QTextCursor end(receive->document());
    end.movePosition(QTextCursor::End);
    // The widget keeps LF line ends; receiveText keeps the CR LF the run writes.
    end.insertText(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    receive->verticalScrollBar()->setValue(receive->verticalScrollBar()->maximum());
}

void CVarnuDlg::endTransmit() {
    if (!transmitRun)
        return;                 // no run under way
    transmitRun->stopAndWait(); // joins the worker, which has handed the port back
    session->appendTrace(transmitRun->takeTraceLines());
    session->runFinished(transmitRun->summary(), transmitRun->elapsed());
    transmitRun.reset();
    if (changedBaudRate) {
        // The new speed stays for the rest of the program: Reconnect and Settings use it.
        PortSettings settings = port.settings();
        settings.baudRate = *changedBaudRate;
        port.setSettings(settings);
        changedBaudRate.reset();
    }
    holdCommandsDuringRun(false);
    showPortState();
    if (lostDuringRun) {
        // Told once, when the run is over: the Receive List has failed the remaining entries.
        const auto [entryNumber, explanation] = *std::exchange(lostDuringRun, std::nullopt);
        portFailed = true;
        showMessage(tr("The port was lost during entry %1.").arg(entryNumber),
                    explanation + QLatin1Char(' ') + tr("Once it is back, Port > Reconnect will reopen it."));
    }
}

void CVarnuDlg::OnClear() {
    exchange(Exchange::Collect);
    receiveText.clear();
    port.link().purge(); // nothing happens when the port is closed
    exchange(Exchange::Show);
}

} // namespace varnu
