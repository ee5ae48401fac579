// The Session window on the fake port (the run itself is tested against the simulator in
// TransmitWindowTest): the port line, Open's report, the trace's buttons and size, the place
// it keeps; the frame decodes as tool tips of the two lists; the recent lists and the folder
// the file dialogs open in.

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QHelpEvent>
#include <QMenuBar>
#include <QScrollBar>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTimer>
#include <QToolTip>

#include "catalogue_text/CatalogueText.h"
#include "protocol/FrameDecode.h"
#include "protocol/FrameText.h"
#include "shell/ListFileDialog.h"
#include "shell/SessionWindow.h"
#include "shell/WindowSettings.h"
#include "shell/tests/TestSuites.h"
#include "shell/tests/WindowFixture.h"
#include "transmit_list/ListFile.h"

namespace varnu::testing {
namespace {

using namespace ids;

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return {};
    return path;
}

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// The tool tip a list shows at `position` of its viewport, as the mouse asks for it.
QString toolTipAt(QWidget* viewport, const QPoint& position) {
    QHelpEvent help(QEvent::ToolTip, position, viewport->mapToGlobal(position));
    QApplication::sendEvent(viewport, &help);
    return QToolTip::text();
}

QMenu* fileMenu(const WindowFixture& f) {
    return f.window->findChild<QMenuBar*>()->actions().front()->menu();
}

class SessionWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init() { QSettings().clear(); }

    void portLineSaysTheSettingsAndTheState() {
        PortSettings settings;
        QCOMPARE(portStateText(settings, PortState::Open),
                 QString("COM1: 9600 bit/s, 8 data bits, parity none, 1 stop bit; open"));
        settings = {"/dev/ttyUSB0", 38400, Parity::Mark, 7, StopBits::Two};
        QCOMPARE(portStateText(settings, PortState::Closed),
                 QString("/dev/ttyUSB0: 38400 bit/s, 7 data bits, parity mark, 2 stop bits; closed"));
        settings.stopBits = StopBits::OneAndHalf;
        QVERIFY(portStateText(settings, PortState::Lost).endsWith("1.5 stop bits; lost"));

        WindowFixture f("worked.ini");
        QVERIFY(f.window->sessionWindow()->portText().endsWith("; open"));
        f.port.opens_succeed = false;
        f.window->runCommand(kReconnect);
        QCOMPARE(f.window->sessionWindow()->portText(),
                 QString("COM1: 9600 bit/s, 8 data bits, parity none, 1 stop bit; closed"));
    }

    void openReportsWhatItChanged() {
        QTemporaryDir dir;
        const QString path =
            writeFile(dir, "edited.DAT", "ESC 07 01 00 08 00 00\r\nrubbish\r\nESC 07 01 00 08 01 EF\r\nESC 07");
        WindowFixture f("worked.ini");
        f.window->openListFile(path);
        QStringList expected;
        for (const std::string& line : describeListFileReport(loadListFile(path.toStdString()).report))
            expected << QString::fromStdString(line);
        QCOMPARE(f.window->sessionWindow()->listReportText(), path + ": " + expected.join('\n'));
        QVERIFY(expected.join(' ').contains("corrected")); // the line of the first entry
        QCOMPARE(f.state().transmitList().count(), 2);     // what Open does is unchanged
        QVERIFY(f.messages.isEmpty());
    }

    void traceCopiesSavesAndClears() {
        SessionWindow session(nullptr);
        QStringList messages;
        session.showMessage = [&](const QString& headline, const QString&) { messages << headline; };
        QVERIFY(session.traceView()->maximumBlockCount() >= 100'000);
        const QStringList lines{"       0.105 out 1B 07 01 00 08 01 EF", "       0.105 dec Set, class 00 System",
                                "       2.871 in  06"};
        session.appendTrace(lines.mid(0, 2));
        session.appendTrace(lines.mid(2));
        QCOMPARE(session.traceView()->toPlainText(), lines.join('\n'));

        session.copyTrace();
        QCOMPARE(QApplication::clipboard()->text(), lines.join('\n'));
        QTemporaryDir dir;
        const QString path = dir.filePath("trace.log");
        session.chooseTraceFile = [&] { return path; };
        session.saveTrace();
        QCOMPARE(fileBytes(path), (lines.join('\n') + '\n').toUtf8());
        QVERIFY(messages.isEmpty());
        session.chooseTraceFile = [] { return QStringLiteral("/nonexistent-folder/trace.log"); };
        session.saveTrace();
        QCOMPARE(messages, QStringList{"Write Failure."});

        session.clearTrace();
        QCOMPARE(session.traceView()->toPlainText(), QString());
    }

    // The trace follows a run while it is at its end; scrolled back, it stays where it is.
    void traceFollowsTheRunUnlessScrolledBack() {
        SessionWindow session(nullptr);
        session.open();
        QScrollBar* bar = session.traceView()->verticalScrollBar();
        for (int batch = 0; batch < 40; ++batch) {
            session.appendTrace({QString("%1 out 1B").arg(batch), QString("%1 in  06").arg(batch)});
            QCoreApplication::processEvents();
        }
        QVERIFY(bar->maximum() > 0);
        QCOMPARE(bar->value(), bar->maximum());
        bar->setValue(3);
        session.appendTrace({"later"});
        QCoreApplication::processEvents();
        QCOMPARE(bar->value(), 3);
    }

    void keepsItsPlaceAndSize() {
        {
            SessionWindow session(nullptr);
            session.open();
            session.resize(800, 500);
            session.move(40, 50);
            session.close();
        }
        SessionWindow again(nullptr);
        again.open();
        QCOMPARE(again.size(), QSize(800, 500));
        QCOMPARE(again.pos(), QPoint(40, 50));
    }

    // Both lists show the decode of the frame under the mouse; catalogue names are decoded.
    void listsShowTheFrameDecodeAsToolTip() {
        for (const char* catalogue : {"worked.ini", "cp932.ini"}) {
            WindowFixture f(catalogue);
            f.click(kAdd);
            const std::string entry = f.state().transmitList().text(0);
            const QString decode =
                catalogueText(describeFrame(BuildFrame(entry), f.window->catalogue(), FrameOrigin::Sent),
                              f.window->catalogue().encoding);
            auto* list = f.get<QListWidget>(kTransmitList);
            QCOMPARE(toolTipAt(list->viewport(), list->visualItemRect(list->item(0)).center()), decode);
            QVERIFY(decode.contains(f.get<QComboBox>(kClassCombo)->currentText())); // "画質" for CP932
            QCOMPARE(f.window->frameTipAt(list->viewport(), QPoint(5, list->viewport()->height() - 3)), QString());
        }

        WindowFixture f("examples.ini");
        auto* receive = f.get<QPlainTextEdit>(kReceiveList);
        receive->setPlainText("(1) ACK 1B0702000602EF\n(2) NAK\n");
        QTextCursor line(receive->document()->findBlockByNumber(0));
        const QString decode =
            catalogueText(describeFrame(*frameOfText("1B0702000602EF"), f.window->catalogue(), FrameOrigin::Received),
                          TextEncoding::Utf8);
        QCOMPARE(toolTipAt(receive->viewport(), receive->cursorRect(line).center()), decode);
        QVERIFY2(decode.contains("Port speed"), qPrintable(decode));
        line.movePosition(QTextCursor::NextBlock);
        QCOMPARE(f.window->frameTipAt(receive->viewport(), receive->cursorRect(line).center()), QString());
        QCOMPARE(f.window->frameTipAt(receive->viewport(), QPoint(5, receive->viewport()->height() - 3)), QString());
    }

    void recentListsAndTheFolderOfTheFileDialogs() {
        QCOMPARE(withRecentList({"a", "b", "c"}, "b"), (QStringList{"b", "a", "c"}));
        QCOMPARE(withRecentList({"a", "b"}, "c", 2), (QStringList{"c", "a"}));

        QTemporaryDir dir;
        const QString first = writeFile(dir, "first.DAT", "ESC 07 01 00 08 00 F0\r\n");
        const QString second = writeFile(dir, "second.DAT", "ESC 07 01 00 08 00 F0\r\nESC 07 01 00 08 01 EF\r\n");
        WindowFixture f("worked.ini");
        f.window->openListFile(first);
        f.window->openListFile(second);
        f.window->openListFile(dir.filePath("missing.DAT")); // a failed Open is not remembered
        QCOMPARE(recentLists(), (QStringList{second, first}));
        QCOMPARE(lastListFolder(), dir.path());

        QMenu* recent = fileMenu(f)->actions()[2]->menu();
        emit recent->aboutToShow();
        QCOMPARE(recent->actions().size(), qsizetype(2));
        QCOMPARE(recent->actions()[1]->text(), "&2 " + first);
        recent->actions()[1]->trigger();
        QCOMPARE(f.state().transmitList().count(), 1);
        QCOMPARE(recentLists().front(), first);

        // The dialogs offer list files first and open in the folder of the last list.
        QStringList filters;
        QString folder;
        QTimer::singleShot(0, [&] {
            if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
                filters = dialog->nameFilters();
                folder = dialog->directory().absolutePath();
                dialog->reject();
            }
        });
        QCOMPARE(runListFileDialog(ListFileDialog::Open, f.window.get()), QString());
        QCOMPARE(filters, (QStringList{"List files (*.DAT *.dat)", "All files (*)"}));
        QCOMPARE(folder, dir.path());
    }
};

} // namespace

int runSessionWindowTests(int argc, char** argv) {
    SessionWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

} // namespace varnu::testing

#include "SessionWindowTest.moc"
