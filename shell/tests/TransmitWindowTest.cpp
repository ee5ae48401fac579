// Transmit in the window against the projector simulator on a pseudo-terminal: the Receive
// List as it grows, the window staying alive during the run, the speed change kept, and
// closing in the middle of a run.

#include <QApplication>
#include <QElapsedTimer>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QThread>
#include <QTimer>

#include "shell/CVarnuApp.h"
#include "shell/SerialLinkConnection.h"
#include "shell/SessionWindow.h"
#include "shell/tests/TestSuites.h"
#include "shell/tests/WindowFixture.h"

#ifdef VARNU_SIMULATOR_BINARY
#include "tools/simulator/testing/SimulatorProcess.h"
#endif

namespace varnu::testing {
namespace {

using namespace ids;

#ifdef VARNU_SIMULATOR_BINARY

const QString kCatalogue = QStringLiteral(VARNU_TEST_DATA "/examples.ini");

// Every acknowledged entry ends with a frame read that gets nothing: about 1.4 s.
constexpr int kRunPatienceMs = 15'000;
// A stop is taken at the next transfer; a read under way ends within about two seconds.
constexpr int kCloseLimitMs = 3'000;

// The window on the real serial link, its port the simulator's pseudo-terminal.
struct SimulatorWindow : RecordedPrompts {
    explicit SimulatorWindow(const std::string& rules = "") {
        started = sim.start(VARNU_SIMULATOR_BINARY, rules);
        PortSettings settings = link.settings();
        settings.portName = sim.link.string();
        link.setSettings(settings);
        window = std::make_unique<CVarnuDlg>(connection, kCatalogue);
        saveChoice = CVarnuDlg::SaveChoice::Cancel;
        attach(*window);
        window->initialise();
        window->show();
    }
    ~SimulatorWindow() {
        window.reset();
        link.ClosePort();
    }

    void openList(const std::string& content) {
        window->openListFile(QString::fromStdString(sim.file("list.DAT", content).string()));
    }
    QString receiveList() const { return qobject_cast<QPlainTextEdit*>(window->control(kReceiveList))->toPlainText(); }
    CVarnuDlgProbe state() const { return CVarnuDlgProbe(*window); }

    SimulatorProcess sim;
    bool started = false;
    SerialLink link;
    SerialLinkConnection connection{link};
    std::unique_ptr<CVarnuDlg> window;
};

QAction* portStopItem(const CVarnuDlg& window) {
    for (QAction* item : window.findChild<QMenuBar*>()->actions()[2]->menu()->actions()) {
        if (item->text() == "Stop(&S)")
            return item;
    }
    return nullptr;
}

// Ten acknowledged Sets: a run of about fourteen seconds.
std::string longList() {
    std::string content;
    for (int i = 0; i < 10; ++i)
        content += "ESC 07 01 00 08 01 EF\r\n";
    return content;
}

class TransmitWindowTest : public QObject {
    Q_OBJECT
private slots:
    void transmitShowsEveryAnswerWhileTheWindowGoesOn() {
        // The Get of the mouse/port state makes the projector send an enable frame to relay.
        SimulatorWindow w("on 1B 06 02 00 08 -> ack, mouse enable\n");
        QVERIFY(w.started);
        QVERIFY(w.messages.isEmpty());
        w.openList("ESC 07 01 00 06 02 F0\r\nESC 07 01 00 08 01 EF\r\nESC 06 02 00 08 F0\r\n");

        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
        ticker.start(50);
        QTest::mouseClick(qobject_cast<QPushButton*>(w.window->control(kTransmit)), Qt::LeftButton);
        QVERIFY(w.window->isTransmitting());
        for (int id : {kAdd, kDelete, kOpen, kTransmit, kClear})
            QVERIFY(!w.window->control(id)->isEnabled());
        QVERIFY(w.window->control(kSave)->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(!w.window->isTransmitting(), kRunPatienceMs);
        ticker.stop();

        const QString expected = "(1) ACK send command to get port speed.\r\nACK\r\n1B0702000602EF\r\n\r\n"
                                 "(2) ACK \r\n"
                                 "(3) ACK 1B0701000801EF\r\nSend enable mouse/port command.\r\nACK\r\n\r\n";
        QCOMPARE(QString::fromStdString(w.state().receiveText()), expected);
        QCOMPARE(w.receiveList(), QString(expected).replace("\r\n", "\n"));
        // The run takes more than four seconds; the timer kept firing all along.
        QVERIFY2(ticks > 40, qPrintable(QString::number(ticks)));
        QCOMPARE(w.link.settings().baudRate, 38400u);
        QCOMPARE(w.link.thread(), QThread::currentThread());
        QCOMPARE(w.state().transmitList().selection(), std::optional<int>(2));
        for (int id : {kAdd, kDelete, kOpen, kTransmit, kClear})
            QVERIFY(w.window->control(id)->isEnabled());

        // The line stays at the new speed: the next run is understood.
        w.window->runCommand(kClear);
        w.openList("ESC 07 01 00 08 00 F0\r\n");
        w.window->runCommand(kTransmit);
        QTRY_VERIFY_WITH_TIMEOUT(!w.window->isTransmitting(), kRunPatienceMs);
        QCOMPARE(w.receiveList(), QString("(1) ACK \n"));
    }

    // The projector's line drops after entry 2 (the simulator then serves a new line at the
    // same link): the window says once that the port was lost, and Reconnect brings it back.
    void aLineThatDropsIsToldOnceAndReconnectReopensIt() {
        SimulatorWindow w("on 1B 07 01 01 0C -> ack, hangup\n");
        QVERIFY(w.started);
        w.openList("ESC 07 01 00 08 01 EF\r\nESC 07 01 01 0C 00 EB\r\nESC 07 01 00 08 00 F0\r\n"
                   "ESC 07 01 00 08 01 EF\r\n");
        w.window->runCommand(kTransmit);
        QTRY_VERIFY_WITH_TIMEOUT(!w.window->isTransmitting(), kRunPatienceMs);
        QCOMPARE(w.receiveList(), QString("(1) ACK \n(2) ACK \n(3) Failure during data Transmission.\n"
                                          "(4) Failure during data Transmission.\n"));
        QCOMPARE(w.messages, QStringList{"The port was lost during entry 2."});
        const QString explanation = w.explanations.front();
        QVERIFY2(explanation.startsWith("The port \"" + QString::fromStdString(w.sim.link.string()) + "\" (/dev/pts/"),
                 qPrintable(explanation));
        QVERIFY2(explanation.endsWith("Once it is back, Port > Reconnect will reopen it."), qPrintable(explanation));

        w.window->runCommand(kReconnect);
        QCOMPARE(w.messages.size(), 1);
        QCOMPARE(w.notes,
                 QStringList{"The port \"" + QString::fromStdString(w.sim.link.string()) + "\" is open again."});
        w.window->runCommand(kClear);
        w.openList("ESC 07 01 00 08 00 F0\r\n");
        w.window->runCommand(kTransmit);
        QTRY_VERIFY_WITH_TIMEOUT(!w.window->isTransmitting(), kRunPatienceMs);
        QCOMPARE(w.receiveList(), QString("(1) ACK \n"));
    }

    void closingDuringARunStopsItPromptly() {
        SimulatorWindow w;
        QVERIFY(w.started);
        w.openList(longList());
        w.window->runCommand(kTransmit);
        QTRY_VERIFY(!w.receiveList().isEmpty()); // the first entry is under way
        QElapsedTimer clock;
        clock.start();
        w.window->runCommand(kClose);
        QVERIFY2(clock.elapsed() < kCloseLimitMs, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(!w.window->isTransmitting());
        QCOMPARE(w.link.thread(), QThread::currentThread());
        QVERIFY(!w.receiveList().contains("(10)"));
    }

    // Escape and Port > Stop end the run at its next transfer; the window, the Transmit List and
    // the Receive List stay, and "Stopped." ends the Receive List on a line of its own.
    void stopEndsTheRunAndKeepsTheWindow_data() {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Escape") << true;
        QTest::newRow("Port > Stop") << false;
    }
    void stopEndsTheRunAndKeepsTheWindow() {
        QFETCH(bool, escape);
        SimulatorWindow w;
        QVERIFY(w.started);
        w.openList(longList());
        QAction* stop = portStopItem(*w.window);
        QVERIFY(stop && !stop->isEnabled());
        w.window->runCommand(kTransmit);
        QVERIFY(stop->isEnabled());
        QTRY_VERIFY(w.receiveList().contains("(2) ")); // the second entry is under way
        QElapsedTimer clock;
        clock.start();
        if (escape)
            QTest::keyClick(w.window.get(), Qt::Key_Escape);
        else
            stop->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(!w.window->isTransmitting(), kCloseLimitMs);
        QVERIFY2(clock.elapsed() < kCloseLimitMs, qPrintable(QString::number(clock.elapsed())));

        QVERIFY(w.window->isVisible());
        QCOMPARE(w.saveQuestions, 0);
        QCOMPARE(w.state().transmitList().count(), 10);
        const QString received = w.receiveList();
        QVERIFY2(received.endsWith("\nStopped.\n"), qPrintable(received));
        QCOMPARE(received.count("Stopped."), 1);
        QVERIFY(!received.contains("(10)"));
        QVERIFY(!stop->isEnabled());
        QVERIFY(w.window->control(kTransmit)->isEnabled());
        QVERIFY2(w.window->sessionWindow()->runText().startsWith("Stopped after 1 of 10 entries in "),
                 qPrintable(w.window->sessionWindow()->runText()));
        QCOMPARE(w.link.thread(), QThread::currentThread());
    }

    // The Session window after a run: one line of counts, the port, and the trace with a decode
    // after each whole frame.
    void sessionWindowSumsTheRunUp() {
        SimulatorWindow w("on 1B 07 01 00 09 -> nak\n"
                          "on 1B 07 01 00 0A -> silence\n"
                          "on 1B 06 02 00 0B -> ack\n");
        QVERIFY(w.started);
        // Acknowledged, NAK, no response, and a Get acknowledged without its data.
        w.openList("ESC 07 01 00 08 01 00\r\nESC 07 01 00 09 01 00\r\nESC 07 01 00 0A 01 00\r\n"
                   "ESC 06 02 00 0B 00\r\n");
        SessionWindow* session = w.window->sessionWindow();
        QVERIFY(session->listReportText().contains("4 entries"));
        QVERIFY2(session->portText().endsWith(": 9600 bit/s, 8 data bits, parity none, 1 stop bit; open"),
                 qPrintable(session->portText()));
        w.window->runCommand(kTransmit);
        QVERIFY(session->runText().startsWith("Entry 1 of 4, "));
        // The counts so far while the last entry waits for its data (about 1.4 s).
        QTRY_VERIFY_WITH_TIMEOUT(session->runText().startsWith("Entry 4 of 4, ") &&
                                     session->runText().endsWith(": 1 acknowledged, 1 NAK, 1 no response, 0 failed"),
                                 kRunPatienceMs);
        QTRY_VERIFY_WITH_TIMEOUT(!w.window->isTransmitting(), kRunPatienceMs);

        const QRegularExpression result("^4 entries in \\d+\\.\\d s: 1 acknowledged, 1 NAK, 1 no response, 1 failed$");
        QVERIFY2(result.match(session->runText()).hasMatch(), qPrintable(session->runText()));
        const QStringList trace = session->traceView()->toPlainText().split('\n');
        const QRegularExpression line("^ +\\d+\\.\\d{3} (out|in |---|dec) ");
        for (const QString& text : trace)
            QVERIFY2(line.match(text).hasMatch(), qPrintable(text));
        const qsizetype sent = trace.indexOf(QRegularExpression(".* out 1B 07 01 00 08 01 EF")); // whole lines
        QVERIFY(sent >= 0);
        QVERIFY2(trace.value(sent + 1).contains(" dec Set, class 00 Setup, function 08 Mouse port"),
                 qPrintable(trace.value(sent + 1)));
        QVERIFY(trace.contains(QRegularExpression(".* in  15"))); // the NAK
        QVERIFY(trace.contains(QRegularExpression(".* in  \\(nothing\\)")));
    }

    void applicationClosedDuringARunEndsCleanly() {
        SimulatorProcess sim;
        QVERIFY(sim.start(VARNU_SIMULATOR_BINARY));
        SerialLink link;
        SerialLinkConnection connection(link);
        AppOptions options;
        options.cataloguePath = kCatalogue;
        options.portName = QString::fromStdString(sim.link.string());
        options.transmitFile = QString::fromStdString(sim.file("list.DAT", longList()).string());

        bool closedTheWindow = false;
        QTimer::singleShot(1000, [&] {
            if (auto* window = qobject_cast<CVarnuDlg*>(QApplication::activeModalWidget())) {
                closedTheWindow = window->isTransmitting();
                window->runCommand(kClose);
            } else if (QWidget* other = QApplication::activeModalWidget()) {
                other->close(); // an unexpected message box: the checks below fail
            }
        });
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(CVarnuApp::runMainWindow(connection, options), 0);
        QVERIFY(closedTheWindow);
        QVERIFY2(clock.elapsed() < 1000 + kCloseLimitMs, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(!link.isOpen());
        QCOMPARE(link.thread(), QThread::currentThread());
    }
};

#endif

} // namespace

int runTransmitWindowTests(int argc, char** argv) {
#ifdef VARNU_SIMULATOR_BINARY
    TransmitWindowTest test;
    return QTest::qExec(&test, argc, argv);
#else
    (void)argc;
    (void)argv;
    qWarning("TransmitWindowTest skipped: the projector simulator is not part of this build");
    return 0;
#endif
}

} // namespace varnu::testing

#ifdef VARNU_SIMULATOR_BINARY
#include "TransmitWindowTest.moc"
#endif
