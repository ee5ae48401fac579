// Closing the window keeps unsaved work: Close, Escape and the window manager's close button
// ask "Save the Transmit List?" when the list changed since it was opened or saved.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "shell/SessionWindow.h"
#include "shell/tests/TestSuites.h"
#include "shell/tests/WindowFixture.h"

namespace varnu::testing {
namespace {

using namespace ids;
using Choice = CVarnuDlg::SaveChoice;

const QByteArray kTwoEntryFile = "ESC 07 01 00 08 00 F0\r\nESC 07 01 00 08 01 EF\r\n";

// The three ways to close: the Close button (collects), Escape, the window's close button.
enum class Way { CloseButton, Escape, WindowClose };

void closeBy(WindowFixture& f, Way way) {
    switch (way) {
    case Way::CloseButton:
        f.click(kClose);
        break;
    case Way::Escape:
        QTest::keyClick(f.window.get(), Qt::Key_Escape);
        break;
    case Way::WindowClose:
        f.window->close();
        break;
    }
}

QString writeList(const QTemporaryDir& dir, const QByteArray& bytes) {
    const QString path = dir.filePath("list.DAT");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return {};
    return path;
}

class ClosingTest : public QObject {
    Q_OBJECT
private slots:
    void unsavedEntriesAskBeforeClosing_data() {
        QTest::addColumn<int>("way");
        QTest::newRow("Close") << int(Way::CloseButton);
        QTest::newRow("Escape") << int(Way::Escape);
        QTest::newRow("window close") << int(Way::WindowClose);
    }
    void unsavedEntriesAskBeforeClosing() {
        QFETCH(int, way);
        WindowFixture f("worked.ini");
        f.click(kAdd);
        QVERIFY(f.state().transmitList().hasUnsavedEntries());

        f.saveChoice = Choice::Cancel; // stays, list and all
        closeBy(f, Way(way));
        QCOMPARE(f.saveQuestions, 1);
        QVERIFY(f.window->isVisible());
        QCOMPARE(f.state().transmitList().count(), 1);

        QTemporaryDir dir;
        f.saveChoice = Choice::Save; // the Save dialog cancelled: still stays
        f.window->chooseSaveFile = [] { return QString(); };
        closeBy(f, Way(way));
        QCOMPARE(f.saveQuestions, 2);
        QVERIFY(f.window->isVisible());

        const QString path = dir.filePath("kept.DAT"); // saved: closes
        f.window->chooseSaveFile = [&] { return path; };
        closeBy(f, Way(way));
        QCOMPARE(f.saveQuestions, 3);
        QVERIFY(!f.window->isVisible());
        QFile saved(path);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QVERIFY(saved.readAll().startsWith("ESC "));
    }

    // Open replaces the list, so it asks first too; Cancel keeps the list and opens nothing.
    void unsavedEntriesAskBeforeOpen() {
        QTemporaryDir dir;
        const QString path = writeList(dir, kTwoEntryFile);
        WindowFixture f("worked.ini");
        int fileDialogs = 0;
        f.window->chooseOpenFile = [&] {
            ++fileDialogs;
            return path;
        };
        f.click(kAdd);
        f.saveChoice = Choice::Cancel;
        f.click(kOpen);
        QCOMPARE(f.saveQuestions, 1);
        QCOMPARE(fileDialogs, 0);
        QCOMPARE(f.state().transmitList().count(), 1);

        f.saveChoice = Choice::Discard;
        f.click(kOpen);
        QCOMPARE(f.saveQuestions, 2);
        QCOMPARE(fileDialogs, 1);
        QCOMPARE(f.state().transmitList().count(), 2);

        f.click(kOpen); // opened and unchanged: nothing to ask
        QCOMPARE(f.saveQuestions, 2);
        QCOMPARE(fileDialogs, 2);
    }

    void discardCloses() {
        WindowFixture f("worked.ini");
        f.click(kAdd);
        f.saveChoice = Choice::Discard;
        QTest::keyClick(f.window.get(), Qt::Key_Escape);
        QCOMPARE(f.saveQuestions, 1);
        QVERIFY(!f.window->isVisible());
        QCOMPARE(f.window->result(), 2);
    }

    // A list opened and not changed, or saved since its change, or empty, closes at once.
    void nothingUnsavedClosesWithoutAsking() {
        QTemporaryDir dir;
        const QString path = writeList(dir, kTwoEntryFile);
        QVERIFY(!path.isEmpty());
        const std::function<void(WindowFixture&)> states[] = {
            [](WindowFixture&) {},
            [&](WindowFixture& f) { f.window->openListFile(path); },
            [&](WindowFixture& f) {
                f.window->openListFile(path);
                f.get<QListWidget>(kTransmitList)->setCurrentRow(0);
                f.click(kDelete);
                f.window->chooseSaveFile = [&] { return dir.filePath("saved.DAT"); };
                f.click(kSave);
            },
            [](WindowFixture& f) {
                f.click(kAdd);
                f.click(kDelete); // the only entry: nothing left to lose
            },
        };
        for (const auto& state : states) {
            for (Way way : {Way::CloseButton, Way::Escape, Way::WindowClose}) {
                WindowFixture f("worked.ini");
                state(f);
                closeBy(f, way);
                QCOMPARE(f.saveQuestions, 0);
                QVERIFY(!f.window->isVisible());
            }
        }
        // After a change to an opened list, closing asks.
        WindowFixture f("worked.ini");
        f.window->openListFile(path);
        f.get<QListWidget>(kTransmitList)->setCurrentRow(1);
        f.click(kDelete);
        f.saveChoice = Choice::Cancel;
        f.click(kClose);
        QCOMPARE(f.saveQuestions, 1);
        QVERIFY(f.window->isVisible());
    }

    // Closing during a run ends it with the window: the reports the run had still queued are
    // dropped with it (the Session window keeps the run's result) and a port lost during the
    // run is not told to a window that is closing.
    void closingDuringARunDropsItsQueuedReports() {
        QTemporaryDir dir;
        const QString path = writeList(dir, kTwoEntryFile);
        QVERIFY(!path.isEmpty());
        WindowFixture f("worked.ini");
        f.window->openListFile(path);
        f.port.lost = portFailure(PortProblem::Lost, "COM3", "/dev/ttyUSB0");
        f.port.line.stallAfterWrites = 1; // entry 2 waits until the run is stopped
        f.window->runCommand(kTransmit);
        SessionWindow* session = f.window->sessionWindow();
        QTRY_VERIFY(session->runText().startsWith("Entry 2 of 2, ")); // the loss of entry 1 is known

        f.click(kClose);
        QVERIFY(!f.window->isVisible());
        QVERIFY(!f.window->isTransmitting());
        const QString result = session->runText();
        QVERIFY2(result.startsWith("2 entries in "), qPrintable(result)); // the run's result, not its progress
        QCoreApplication::sendPostedEvents();
        QCOMPARE(session->runText(), result);
        QCOMPARE(f.messages, QStringList());
        QVERIFY(
            QString::fromStdString(f.state().receiveText()).startsWith("(1) Failure during data Transmission.\r\n"));
    }

    // A save that fails shows why and keeps the window (and the list) open.
    void failedSaveKeepsTheWindow() {
        WindowFixture f("worked.ini");
        f.click(kAdd);
        f.saveChoice = Choice::Save;
        f.window->chooseSaveFile = [] { return QStringLiteral("/nonexistent-folder/list.DAT"); };
        f.click(kClose);
        QCOMPARE(f.messages, QStringList{"Write Failure."});
        QVERIFY(f.window->isVisible());
        QVERIFY(f.state().transmitList().hasUnsavedEntries());
    }
};

} // namespace

int runClosingTests(int argc, char** argv) {
    ClosingTest test;
    return QTest::qExec(&test, argc, argv);
}

} // namespace varnu::testing

#include "ClosingTest.moc"
