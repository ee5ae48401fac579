// The Transmit List commands driven as a user drives them: Add through the composer, Delete
// with its renumbering, the list view's sideways scrolling, Save and Open through real files,
// Transmit on a port with nothing behind it, and Clear.

#include <QDir>
#include <QFile>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include "shell/ExtentListWidget.h"
#include "shell/tests/FileSizeLimit.h"
#include "shell/tests/TestSuites.h"
#include "shell/tests/WindowFixture.h"

namespace varnu::testing {
namespace {

using namespace ids;

// One composition as the user makes it in the left half of the window.
struct Composition {
    int attributeRadio;
    int classIndex;
    int function;
    QString data;
    bool hex = false;
    QString address1 = {};
    QString multi = {};
};

void compose(WindowFixture& f, const Composition& c) {
    f.click(c.attributeRadio);
    f.chooseCombo(kClassCombo, c.classIndex);
    f.chooseFunction(c.function);
    f.click(c.hex ? kHexRadio : kDecRadio);
    if (!c.data.isNull())
        f.edit(kDataEdit)->setText(c.data);
    if (!c.address1.isNull())
        f.edit(kAddress1Edit)->setText(c.address1);
    if (!c.multi.isNull())
        f.get<QPlainTextEdit>(kMultiBytesEdit)->setPlainText(c.multi);
}

void add(WindowFixture& f, const Composition& c) {
    compose(f, c);
    f.click(kAdd);
}

QStringList shownEntries(const WindowFixture& f) {
    QStringList texts;
    auto* list = f.get<QListWidget>(kTransmitList);
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

int shownSelection(const WindowFixture& f) {
    const QList<QListWidgetItem*> selected = f.get<QListWidget>(kTransmitList)->selectedItems();
    return selected.isEmpty() ? -1 : f.get<QListWidget>(kTransmitList)->row(selected.front());
}

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

const Composition kMouseOff{kSetRadio, 0, 8, "00", true};
const Composition kMouseOn{kSetRadio, 0, 8, "01", true};
const QByteArray kTwoEntryFile = "ESC 07 01 00 08 00 F0\r\nESC 07 01 00 08 01 EF\r\n";

class ListCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void addComposesTheWorkedExamples() {
        WindowFixture f("examples.ini");
        add(f, kMouseOff);
        add(f, kMouseOn);
        add(f, {kGetRadio, 0, 0, {}});
        add(f, {kGetRadio, 1, 2, {}, false, {}, "0102"});
        add(f, {kSetRadio, 2, 3, {}, false, "1234"});
        add(f, {kSetRadio, 0, 8, "-1"});
        add(f, {kGetRadio, 1, 2, {}, false, {}, "ABC"});
        QCOMPARE(shownEntries(f), QStringList({
                                      "(1) ESC 07 01 00 08 00 F0",
                                      "(2) ESC 07 01 00 08 01 EF",
                                      "(3) ESC 06 02 00 00 F8",
                                      "(4) ESC 0A 02 01 02 05 02 0102 E7",
                                      "(5) ESC 08 01 02 03 03 34 BB",
                                      "(6) ESC 07 01 00 08 FF F1",
                                      "(7) ESC 0A 02 01 02 05 02 ABC0 7F",
                                  }));
        QCOMPARE(shownSelection(f), 6);
        // The odd Multi text is padded for the entry only.
        QCOMPARE(f.get<QPlainTextEdit>(kMultiBytesEdit)->toPlainText(), QString("ABC"));
        QVERIFY(f.messages.isEmpty());
    }

    void refusedCompositionShowsTheReasonAndKeepsTheList() {
        WindowFixture f("examples.ini");
        add(f, kMouseOff);
        add(f, {kSetRadio, 2, 3, {}, false, "XY"}); // not hex digits
        QCOMPARE(f.messages.size(), 1);
        QVERIFY(f.messages.front().contains("Address 1"));
        QCOMPARE(shownEntries(f), QStringList{"(1) ESC 07 01 00 08 00 F0"});
        QCOMPARE(f.state().transmitList().count(), 1);
        // Data beyond one byte is refused, not cut to its low byte; the catalogue's range is a hint only.
        add(f, {kSetRadio, 0, 8, "300"});
        QCOMPARE(f.messages.size(), 2);
        QVERIFY2(f.messages.back().startsWith("Data must lie between -128 and 255"), qPrintable(f.messages.back()));
        QCOMPARE(f.state().transmitList().count(), 1);
    }

    void deleteRenumbersAndMovesTheSelection() {
        WindowFixture f("examples.ini");
        for (const Composition& c : {kMouseOff, kMouseOn, Composition{kGetRadio, 0, 0, {}}})
            add(f, c);
        f.get<QListWidget>(kTransmitList)->setCurrentRow(0);
        f.click(kDelete);
        QCOMPARE(shownEntries(f), QStringList({"(1) ESC 07 01 00 08 01 EF", "(2) ESC 06 02 00 00 F8"}));
        QCOMPARE(shownSelection(f), -1);

        f.click(kDelete); // nothing selected: nothing happens
        QCOMPARE(f.state().transmitList().count(), 2);

        f.get<QListWidget>(kTransmitList)->setCurrentRow(1);
        f.window->runCommand(kDelete); // Edit > Delete
        QCOMPARE(shownEntries(f), QStringList{"(1) ESC 07 01 00 08 01 EF"});
        QCOMPARE(shownSelection(f), 0);
        add(f, kMouseOff); // numbers go on from the count
        QCOMPARE(shownEntries(f).back(), QString("(2) ESC 07 01 00 08 00 F0"));
    }

    void listScrollsSidewaysAsFarAsTheWidestEntry() {
        WindowFixture f("examples.ini");
        auto* view = static_cast<ExtentListWidget*>(f.window->control(kTransmitList));
        add(f, kMouseOff);
        QCOMPARE(view->horizontalScrollBar()->maximum(), 0);

        add(f, {kGetRadio, 1, 2, {}, false, {}, QString(80, 'A')});
        const int wide = QFontMetrics(view->font()).horizontalAdvance(shownEntries(f).back());
        QVERIFY(wide > view->viewport()->width());
        QCOMPARE(f.state().transmitList().maxEntryWidth(), wide);
        QCOMPARE(view->horizontalExtent(), wide);
        QCOMPARE(view->horizontalScrollBar()->maximum(), wide - view->viewport()->width());

        f.click(kDelete); // the wide entry was selected
        QCOMPARE(view->horizontalExtent(), 0);
        QCOMPARE(view->horizontalScrollBar()->maximum(), 0);
    }

    void saveThenOpenRoundTripsThroughFiles() {
        QTemporaryDir dir;
        const QString path = dir.filePath("two.DAT");
        WindowFixture f("examples.ini");
        int saveDialogs = 0;
        f.window->chooseSaveFile = [&] {
            ++saveDialogs;
            return path;
        };
        f.click(kSave); // an empty list: no dialog, no file
        QCOMPARE(saveDialogs, 0);
        QVERIFY(!QFile::exists(path));

        add(f, kMouseOff);
        add(f, kMouseOn);
        f.click(kSave);
        QCOMPARE(fileBytes(path), kTwoEntryFile);

        // A hand-written file: a wrong checksum corrected, any line end, bad lines skipped, and
        // the last line without a line end not taken.
        const QString hand = dir.filePath("hand.DAT");
        writeFile(hand, "ESC 07 01 00 08 00 00\n\n(1) ESC 07 01 00 08 00 F0\resc 06 02 00 00 F8\r\n"
                        "ESC 06 02 00 00 00\rESC 07 01 00 08 01 EF");
        f.window->chooseOpenFile = [&] { return hand; };
        f.click(kOpen);
        QCOMPARE(shownEntries(f), QStringList({"(1) ESC 07 01 00 08 00 F0", "(2) ESC 06 02 00 00 F8"}));
        QCOMPARE(shownSelection(f), -1);

        f.window->chooseOpenFile = [&] { return path; };
        f.window->runCommand(kOpen); // File > Open
        QCOMPARE(shownEntries(f), QStringList({"(1) ESC 07 01 00 08 00 F0", "(2) ESC 07 01 00 08 01 EF"}));
        f.window->chooseOpenFile = [] { return QString(); }; // cancel
        f.click(kOpen);
        QCOMPARE(f.state().transmitList().count(), 2);
        QVERIFY(f.messages.isEmpty());
    }

    void openOfAMissingFileEmptiesTheListAndSaysSo() {
        QTemporaryDir dir;
        WindowFixture f("examples.ini");
        add(f, kMouseOff);
        for (const QString& path : {dir.filePath("none.DAT"), dir.path()}) {
            f.window->chooseOpenFile = [&] { return path; };
            f.click(kOpen);
            QCOMPARE(f.state().transmitList().count(), 0);
            QCOMPARE(f.get<QListWidget>(kTransmitList)->count(), 0);
        }
        QCOMPARE(f.messages, QStringList({"Read Failure.", "Read Failure."}));
        // Below the fixed text: which file and why.
        QVERIFY2(f.explanations[0].startsWith("There is no file \"" + dir.filePath("none.DAT") + "\"."),
                 qPrintable(f.explanations[0]));
        QVERIFY2(f.explanations[1].contains("\"" + dir.path() + "\" is a folder, not a file."),
                 qPrintable(f.explanations[1]));

        // A device would never end and a named pipe would wait for a writer: refused at once.
        f.window->chooseOpenFile = [] { return QStringLiteral("/dev/zero"); };
        f.click(kOpen);
        QCOMPARE(f.messages.size(), 3);
        QVERIFY2(f.explanations[2].contains("is a device"), qPrintable(f.explanations[2]));
    }

    void openSkipsALeadingByteOrderMark() {
        QTemporaryDir dir;
        const QString path = dir.filePath("notepad.DAT");
        writeFile(path, "\xEF\xBB\xBF" + kTwoEntryFile);
        WindowFixture f("examples.ini");
        f.window->chooseOpenFile = [&] { return path; };
        f.click(kOpen);
        QCOMPARE(shownEntries(f), QStringList({"(1) ESC 07 01 00 08 00 F0", "(2) ESC 07 01 00 08 01 EF"}));
        QVERIFY(f.messages.isEmpty());
    }

    void failedSaveKeepsTheOldFile() {
        QTemporaryDir dir;
        const QString path = dir.filePath("old.DAT");
        writeFile(path, "ESC 06 02 00 00 F8\r\n");
        WindowFixture f("examples.ini");
        f.window->chooseSaveFile = [&] { return path; };
        add(f, kMouseOff);
        add(f, kMouseOn);

        // A file size limit below the list's 46 bytes: the write fails as on a full disk.
        if (!FileSizeLimit::supported())
            QSKIP("this system has no file size limit for a process");
        {
            const FileSizeLimit limit(30);
            QVERIFY(limit.active());
            f.click(kSave);
        }

        QCOMPARE(f.messages, QStringList{"Write Failure."});
        QVERIFY2(f.explanations[0].contains("old.DAT") && f.explanations[0].contains("is unchanged"),
                 qPrintable(f.explanations[0]));
        QCOMPARE(fileBytes(path), QByteArray("ESC 06 02 00 00 F8\r\n"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"old.DAT"}); // no temporary left
        f.click(kSave);
        QCOMPARE(fileBytes(path), kTwoEntryFile);
    }

    void transmitOnAPortWithNothingBehindItReportsEveryEntry() {
        WindowFixture f("examples.ini");
        add(f, kMouseOff);
        add(f, kMouseOn);
        f.get<QListWidget>(kTransmitList)->setCurrentRow(0);
        f.click(kTransmit);
        QTRY_VERIFY(!f.window->isTransmitting());
        const QString expected = "(1) Failure during data Transmission.\r\n(2) Failure during data Transmission.\r\n";
        QCOMPARE(QString::fromStdString(f.state().receiveText()), expected);
        QCOMPARE(f.get<QPlainTextEdit>(kReceiveList)->toPlainText(), QString(expected).replace("\r\n", "\n"));
        QCOMPARE(shownSelection(f), 1); // the last entry sent stays selected
        QVERIFY(f.enabled(kAdd) && f.enabled(kTransmit));

        f.click(kClear);
        QCOMPARE(f.get<QPlainTextEdit>(kReceiveList)->toPlainText(), QString());
        QCOMPARE(f.state().receiveText(), std::string());
        QCOMPARE(f.port.line.purges, 1);
    }
};

} // namespace

int runListCommandsTests(int argc, char** argv) {
    ListCommandsTest test;
    return QTest::qExec(&test, argc, argv);
}

} // namespace varnu::testing

#include "ListCommandsTest.moc"
