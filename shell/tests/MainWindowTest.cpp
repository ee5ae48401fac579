// The main window driven as a user drives it: start-up, composition, the field prompts,
// the radix switch, the Multi bytes range, closing and the Port menu.

#include <QApplication>
#include <QButtonGroup>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>

#include "serial/core/PortFailureText.h"
#include "shell/CVarnuApp.h"
#include "shell/tests/TestSuites.h"
#include "shell/tests/WindowFixture.h"

namespace varnu::testing {
namespace {

using namespace ids;

const QString kFullOpen = QString(QChar(0xFF08));
const QString kFullClose = QString(QChar(0xFF09));

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void startStateAfterNormalStart() {
        WindowFixture f("worked.ini");
        QVERIFY(f.messages.isEmpty());
        QCOMPARE(f.port.opens, 1);
        QVERIFY(f.get<QRadioButton>(kSetRadio)->isChecked());
        QVERIFY(f.get<QRadioButton>(kDecRadio)->isChecked());
        QVERIFY(!f.get<QRadioButton>(kHexRadio)->isChecked());
        QCOMPARE(QApplication::focusWidget(), f.window->control(kSetRadio));
        QCOMPARE(f.get<QComboBox>(kClassCombo)->count(), 2);
        QCOMPARE(f.get<QComboBox>(kClassCombo)->currentText(), QString("Image"));
        QCOMPARE(f.get<QListWidget>(kFunctionList)->currentItem()->text(), QString("Level"));
        QCOMPARE(f.get<QComboBox>(kTargetCombo)->currentText(), QString("Unit"));
        QVERIFY(f.status().isEmpty());

        // Data takes at most 4 typed characters.
        f.edit(kDataEdit)->clear();
        f.edit(kDataEdit)->setFocus();
        QTest::keyClicks(f.edit(kDataEdit), "123456");
        QCOMPARE(f.text(kDataEdit), QString("1234"));
    }

    void startWithoutCatalogueShowsItsMessageAndNoConnection() {
        WindowFixture f("missing.ini");
        QCOMPARE(f.messages, QStringList{"Initialization file not found\nor format is incorrect."});
        const QString missing = QStringLiteral(VARNU_TEST_DATA "/missing.ini");
        QVERIFY2(f.explanations.front().startsWith("There is no file \"" + missing + "\"."),
                 qPrintable(f.explanations.front()));
        QCOMPARE(f.port.opens, 0);
        QCOMPARE(f.get<QComboBox>(kClassCombo)->count(), 0);
        QCOMPARE(f.get<QListWidget>(kFunctionList)->count(), 0);
        for (int id : {kSetRadio, kGetRadio, kResetRadio, kHexRadio, kDecRadio})
            QVERIFY(!f.get<QRadioButton>(id)->isChecked());

        f.window->exchange(Exchange::Collect);
        QCOMPARE(static_cast<int>(f.state().selection().attribute), -1);
        QCOMPARE(f.state().selection().classIndex, -1);
        QCOMPARE(f.state().selection().functionIndex, -1);
        QCOMPARE(f.state().selection().targetIndex, -1);
        QCOMPARE(static_cast<int>(f.state().selection().dataRadix), -1);

        // Nothing filters or limits the fields, and using the window does not crash.
        f.edit(kDataEdit)->setFocus();
        QTest::keyClicks(f.edit(kDataEdit), "xyz-12");
        QCOMPARE(f.text(kDataEdit), QString("XYZ-12"));
        QVERIFY(f.status().isEmpty());
        f.click(kGetRadio);
        f.click(kHexRadio);
        f.window->runCommand(kReconnect);
        QCOMPARE(f.port.opens, 1);
    }

    // The real message box: the fixed text as it was, what failed and what to do below it.
    void messageBoxShowsTheExplanationBelowTheFixedText() {
        FakePort port;
        CVarnuDlg window(port, QStringLiteral(VARNU_TEST_DATA "/worked.ini"));
        QString text, informative, title;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QMessageBox::StandardButtons buttons;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr)
                return;
            text = box->text();
            informative = box->informativeText();
            title = box->windowTitle();
            icon = box->icon();
            buttons = box->standardButtons();
            box->button(QMessageBox::Ok)->click();
        });
        window.showMessage(QStringLiteral("Read Failure."), QStringLiteral("There is no file \"a.DAT\"."));
        QCOMPARE(text, QStringLiteral("Read Failure."));
        QCOMPARE(informative, QStringLiteral("There is no file \"a.DAT\"."));
        QCOMPARE(title, QStringLiteral("VARNU"));
        QCOMPARE(icon, QMessageBox::Warning);
        QCOMPARE(buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    }

    void shiftJisNamesAreDecodedForDisplay() {
        WindowFixture f("cp932.ini");
        QVERIFY(f.messages.isEmpty());
        QCOMPARE(f.get<QComboBox>(kClassCombo)->currentText(), QString::fromUtf8("画質"));
        QCOMPARE(f.get<QListWidget>(kFunctionList)->currentItem()->text(), QString::fromUtf8("明るさ"));
        QCOMPARE(f.text(kDataEdit), QString("50"));
    }

    void unavailablePortIsReportedOnceBeforeTheWindow() {
        WindowFixture f("worked.ini", false);
        QCOMPARE(f.messages, QStringList{"Not able to Connect."});
        // Below it, why: the same sentences varnu-cli prints.
        QCOMPARE(f.explanations, QStringList{QString::fromStdString(explainPortFailure(f.port.whyNot))});
        QCOMPARE(f.port.opens, 1);
        QCOMPARE(f.text(kAddress1Edit), QString("1F"));
    }

    void workedExampleTargetsAndDefaults() {
        WindowFixture f("worked.ini");
        // 'Level' on 'Unit', Set: Address 1, Address 2 and Data; no Multi bytes data.
        QVERIFY(f.enabled(kTargetCombo) && f.enabled(kTargetLabel));
        QVERIFY(f.enabled(kAddress1Edit) && f.enabled(kAddress2Edit) && f.enabled(kDataEdit));
        QVERIFY(!f.enabled(kMultiBytesEdit) && !f.enabled(kMultiBytesLabel));
        QCOMPARE(f.text(kAddress1Edit), QString("1F"));
        QCOMPARE(f.text(kAddress2Edit), QString("00"));
        QCOMPARE(f.text(kDataEdit), QString("0"));

        // 'Panel': Address 1, Address 2 and Multi bytes data; Data disabled.
        f.edit(kDataEdit)->setText("12");
        f.chooseCombo(kTargetCombo, 1);
        QVERIFY(f.enabled(kAddress1Edit) && f.enabled(kAddress2Edit) && f.enabled(kMultiBytesEdit));
        QVERIFY(!f.enabled(kDataEdit) && !f.enabled(kDataLabel));
        QCOMPARE(f.text(kAddress1Edit), QString("00"));
        QCOMPARE(f.text(kAddress2Edit), QString("0100"));
        QCOMPARE(f.text(kDataEdit), QString("0")); // the typed text gave way to the default

        // A function with one target: the combo is disabled and empty.
        f.chooseFunction(1);
        QVERIFY(!f.enabled(kTargetCombo) && !f.enabled(kTargetLabel));
        QCOMPARE(f.get<QComboBox>(kTargetCombo)->count(), 0);
        f.window->exchange(Exchange::Collect);
        QCOMPARE(f.state().selection().targetIndex, -1);
        QCOMPARE(f.text(kAddress1Edit), QString("1F"));

        // Another class selects its first function and its default.
        f.chooseCombo(kClassCombo, 1);
        QCOMPARE(f.get<QListWidget>(kFunctionList)->currentItem()->text(), QString("Status"));
        QCOMPARE(f.text(kDataEdit), QString("1"));
    }

    // The user cannot leave the Function list without a function: the fields stay usable and
    // Add composes for the function still chosen.
    void functionListKeepsOneFunctionChosen() {
        WindowFixture f("worked.ini");
        auto* list = f.get<QListWidget>(kFunctionList);
        f.chooseFunction(1);
        QWidget* area = list->viewport();
        const QPoint belowTheItems(area->width() / 2, area->height() - 2);
        QVERIFY(!list->itemAt(belowTheItems));
        const QPoint onTheChosen = list->visualItemRect(list->item(1)).center();
        const std::function<void()> gestures[] = {
            [&] { QTest::mouseClick(area, Qt::LeftButton, Qt::NoModifier, belowTheItems); },
            [&] { QTest::mouseClick(area, Qt::LeftButton, Qt::ControlModifier, onTheChosen); },
            [&] { QTest::mouseClick(area, Qt::LeftButton, Qt::ControlModifier, belowTheItems); },
            [&] { QTest::keyClick(list, Qt::Key_Space, Qt::ControlModifier); },
        };
        for (const auto& gesture : gestures) {
            gesture();
            QCOMPARE(list->selectedItems().size(), qsizetype(1));
            QCOMPARE(list->currentRow(), 1);
            QVERIFY(f.enabled(kAddress1Edit) && f.enabled(kDataEdit));
        }
        f.click(kAdd);
        QVERIFY2(f.messages.isEmpty(), qPrintable(f.messages.join('|')));
        QCOMPARE(f.state().transmitList().text(0).substr(0, 20),
                 std::string("(1) ESC 0C 01 00 01 ")); // Set, class 0, function 1
        // A click on another function still chooses it.
        QTest::mouseClick(area, Qt::LeftButton, Qt::NoModifier, list->visualItemRect(list->item(0)).center());
        QCOMPARE(list->currentRow(), 0);
        QVERIFY(f.enabled(kTargetCombo));
    }

    void attributeSwitchesTheCodeList() {
        WindowFixture f("worked.ini");
        f.chooseCombo(kTargetCombo, 1); // Panel: Multi when writing, Data when reading
        QVERIFY(f.enabled(kMultiBytesEdit) && !f.enabled(kDataEdit));
        for (int radio : {kGetRadio, kResetRadio}) {
            f.get<QPlainTextEdit>(kMultiBytesEdit)->setPlainText("AB");
            f.click(radio);
            QVERIFY(!f.enabled(kMultiBytesEdit));
            QVERIFY(f.enabled(kDataEdit) && f.enabled(kAddress1Edit) && f.enabled(kAddress2Edit));
            QCOMPARE(f.text(kAddress2Edit), QString("0100"));
            QCOMPARE(f.get<QPlainTextEdit>(kMultiBytesEdit)->toPlainText(), QString());
        }
        f.click(kSetRadio);
        QVERIFY(f.enabled(kMultiBytesEdit) && !f.enabled(kDataEdit));
        // The arrow keys move through the group and choose as a click does.
        f.window->control(kSetRadio)->setFocus();
        QTest::keyClick(f.window->control(kSetRadio), Qt::Key_Right);
        QVERIFY(f.get<QRadioButton>(kGetRadio)->isChecked());
        QVERIFY(!f.enabled(kMultiBytesEdit) && f.enabled(kDataEdit));
    }

    void catalogueGapsDisableWhatCannotBeUsed() {
        WindowFixture f("gaps.ini");
        // Class 0 has no functions: nothing to list, no field to fill.
        QCOMPARE(f.get<QListWidget>(kFunctionList)->count(), 0);
        for (int id : {kTargetCombo, kAddress1Edit, kAddress2Edit, kDataEdit, kMultiBytesEdit})
            QVERIFY(!f.enabled(id));
        f.edit(kAddress1Edit)->setFocus();
        f.click(kGetRadio);
        // A function without targets.
        f.chooseCombo(kClassCombo, 1);
        QCOMPARE(f.get<QListWidget>(kFunctionList)->count(), 1);
        for (int id : {kTargetCombo, kAddress1Edit, kDataEdit})
            QVERIFY(!f.enabled(id));
        // A usable function: fields back, Read pass values because Get is chosen.
        f.chooseCombo(kClassCombo, 2);
        QVERIFY(f.enabled(kAddress1Edit) && f.enabled(kDataEdit));
        QCOMPARE(f.text(kAddress1Edit), QString("2B"));
    }

    void promptsFollowTheFocusedField_data() {
        QTest::addColumn<int>("target");
        QTest::addColumn<int>("editId");
        QTest::addColumn<bool>("hex");
        QTest::addColumn<QString>("expected");
        QTest::newRow("address 1") << 0 << int(kAddress1Edit) << false << "Please enter slave address.";
        QTest::newRow("address 2 keyword")
            << 1 << int(kAddress2Edit) << false << "Please enter offset from top address.";
        QTest::newRow("data dec") << 0 << int(kDataEdit) << false
                                  << "Please enter number of bytes to be read." + kFullOpen + "-128 - 127 in decimal" +
                                         kFullClose;
        QTest::newRow("data hex") << 0 << int(kDataEdit) << true
                                  << "Please enter number of bytes to be read." + kFullOpen + "80 - 7F in hexadecimal" +
                                         kFullClose;
        QTest::newRow("multi") << 1 << int(kMultiBytesEdit) << false << "Prease enter data matrix in hexadecimal.";
    }
    void promptsFollowTheFocusedField() {
        QFETCH(int, target);
        QFETCH(int, editId);
        QFETCH(bool, hex);
        QFETCH(QString, expected);
        WindowFixture f("worked.ini");
        f.chooseCombo(kTargetCombo, target);
        if (hex)
            f.click(kHexRadio);
        f.window->control(editId)->setFocus();
        QCOMPARE(f.status(), expected);
        f.window->control(kAdd)->setFocus();
        QCOMPARE(f.status(), QString());
    }

    void promptMovesWithTheFocusAndSkipsAnEqualRange() {
        WindowFixture f("worked.ini");
        f.chooseFunction(1); // Table: range 0 to 0, no hint
        f.edit(kAddress1Edit)->setFocus();
        QCOMPARE(f.status(), QString("Please enter slave address."));
        f.edit(kDataEdit)->setFocus();
        QCOMPARE(f.status(), QString("Please enter number of bytes to be read."));
    }

    void radixSwitchConvertsTheData_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("radio");
        QTest::addColumn<QString>("expected");
        QTest::newRow("200 to hex") << "200" << int(kHexRadio) << "C8";
        QTest::newRow("300 to hex") << "300" << int(kHexRadio) << "2C";
        QTest::newRow("-1 to hex") << "-1" << int(kHexRadio) << "FF";
        QTest::newRow("empty to hex") << "" << int(kHexRadio) << "00";
        QTest::newRow("dec again keeps") << "12" << int(kDecRadio) << "12";
    }
    void radixSwitchConvertsTheData() {
        QFETCH(QString, typed);
        QFETCH(int, radio);
        QFETCH(QString, expected);
        WindowFixture f("worked.ini");
        f.edit(kDataEdit)->setText(typed);
        f.click(radio);
        QCOMPARE(f.text(kDataEdit), expected);
    }

    void hexRadixRoundTripAndLimits() {
        WindowFixture f("worked.ini");
        f.click(kHexRadio);
        f.edit(kDataEdit)->setText("FF");
        f.click(kHexRadio); // already in force: left alone
        QCOMPARE(f.text(kDataEdit), QString("FF"));
        f.edit(kDataEdit)->setFocus();
        f.edit(kDataEdit)->end(false);
        QTest::keyClick(f.edit(kDataEdit), '1'); // full at two characters in Hex
        QCOMPARE(f.text(kDataEdit), QString("FF"));
        f.click(kDecRadio);
        QCOMPARE(f.text(kDataEdit), QString("-1"));
        f.edit(kDataEdit)->setText("");
        f.click(kHexRadio);
        f.click(kDecRadio);
        QCOMPARE(f.text(kDataEdit), QString("0"));
    }

    void hexModeShowsDefaultsInHex() {
        WindowFixture f("worked.ini");
        f.click(kHexRadio);
        f.chooseCombo(kClassCombo, 1); // Status: default 1
        QCOMPARE(f.text(kDataEdit), QString("01"));
    }

    void multiRangeFollowsTheCaretLine_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("expected");
        QTest::newRow("three bytes") << "123456"
                                     << "0x00-0x02";
        QTest::newRow("odd digit counts") << "12345"
                                          << "0x00-0x02";
        QTest::newRow("second line") << "1234\n5678"
                                     << "0x03-0x04";
    }
    void multiRangeFollowsTheCaretLine() {
        QFETCH(QString, typed);
        QFETCH(QString, expected);
        WindowFixture f("worked.ini");
        f.chooseCombo(kTargetCombo, 1);
        auto* multi = f.get<QPlainTextEdit>(kMultiBytesEdit);
        multi->setFocus();
        for (const QString& line : typed.split('\n')) {
            if (!multi->toPlainText().isEmpty())
                QTest::keyClick(multi, Qt::Key_Return, Qt::ControlModifier);
            QTest::keyClicks(multi, line);
        }
        QCOMPARE(f.get<QLabel>(kMultiRange)->text(), expected);
        f.window->exchange(Exchange::Collect);
        QCOMPARE(QString::fromStdString(f.state().selection().multiBytesText), QString(typed).replace("\n", "\r\n"));
    }

    void multiRangeUsesTheWrappedDisplayLine() {
        WindowFixture f("worked.ini");
        f.chooseCombo(kTargetCombo, 1);
        auto* multi = f.get<QPlainTextEdit>(kMultiBytesEdit);
        multi->setFocus();
        QTest::keyClicks(multi, QString(200, 'A'));
        const QTextLayout* layout = multi->document()->firstBlock().layout();
        QVERIFY(layout->lineCount() > 1);
        const QTextLine last = layout->lineAt(layout->lineCount() - 1);
        const int first = last.textStart() / 2;
        const int lastByte = first + (last.textLength() + 1) / 2 - 1;
        QCOMPARE(QString::fromStdString(f.state().rangeText()),
                 QString::asprintf("0x%02X-0x%02X", unsigned(first), unsigned(lastByte)));
        QVERIFY(first > 0);
    }

    void enterRunsAddUnlessAButtonHasTheFocus() {
        WindowFixture f("worked.ini");
        auto* add = f.get<QPushButton>(kAdd);
        auto* clear = f.get<QPushButton>(kClear);
        QSignalSpy adds(add, &QPushButton::clicked);
        QSignalSpy clears(clear, &QPushButton::clicked);
        f.edit(kAddress1Edit)->setFocus();
        QTest::keyClick(f.edit(kAddress1Edit), Qt::Key_Return);
        QCOMPARE(adds.count(), 1);
        f.chooseCombo(kTargetCombo, 1);
        f.get<QPlainTextEdit>(kMultiBytesEdit)->setFocus();
        QTest::keyClick(f.get<QPlainTextEdit>(kMultiBytesEdit), Qt::Key_Return);
        QCOMPARE(adds.count(), 2);
        QCOMPARE(f.get<QPlainTextEdit>(kMultiBytesEdit)->toPlainText(), QString());
        clear->setFocus();
        QTest::keyClick(clear, Qt::Key_Return);
        QCOMPARE(clears.count(), 1);
        QCOMPARE(adds.count(), 2);
    }

    void escapeClosesWithoutCollectingAndCloseCollects() {
        {
            WindowFixture f("worked.ini");
            f.edit(kAddress1Edit)->setText("77");
            QTest::keyClick(f.window.get(), Qt::Key_Escape);
            QCOMPARE(f.window->result(), 2);
            QVERIFY(!f.window->isVisible());
            QCOMPARE(f.state().selection().address1Text, std::string("1F"));
        }
        {
            WindowFixture f("worked.ini");
            f.edit(kAddress1Edit)->setText("77");
            f.click(kClose);
            QCOMPARE(f.window->result(), 1);
            QCOMPARE(f.state().selection().address1Text, std::string("77"));
        }
    }

    // Members of -1 come from controls without a selection; a show of them clears a selection
    // that the controls gained meanwhile (without their handlers, as a program sets them).
    void exchangeShowsNoSelectionForMinusOne() {
        WindowFixture f("worked.ini");
        auto* target = f.get<QComboBox>(kTargetCombo);
        const QList<QRadioButton*> attributes = {f.get<QRadioButton>(kSetRadio), f.get<QRadioButton>(kGetRadio),
                                                 f.get<QRadioButton>(kResetRadio)};
        const auto setQuietly = [&](int targetIndex, bool setChecked) {
            const QSignalBlocker blocker(target);
            target->setCurrentIndex(targetIndex);
            QButtonGroup* group = attributes.front()->group(); // an exclusive group keeps its last button checked
            group->setExclusive(false);
            for (QRadioButton* button : attributes)
                button->setChecked(setChecked && button == attributes.front());
            group->setExclusive(true);
        };
        setQuietly(-1, false);
        f.window->exchange(Exchange::Collect);
        QCOMPARE(f.state().selection().targetIndex, -1);
        QCOMPARE(static_cast<int>(f.state().selection().attribute), -1);
        setQuietly(0, true);
        f.window->exchange(Exchange::Show);
        QCOMPARE(target->currentIndex(), -1);
        for (QRadioButton* button : attributes)
            QVERIFY(!button->isChecked());

        f.edit(kAddress1Edit)->setText(" a b ");
        f.window->exchange(Exchange::Collect);
        f.window->exchange(Exchange::Show);
        f.window->exchange(Exchange::Collect);
        QCOMPARE(f.state().selection().address1Text, std::string(" A B ")); // the field shows upper case
        QCOMPARE(f.text(kAddress1Edit), QString(" A B "));
        QCOMPARE(f.state().selection().targetIndex, -1);
    }

    void portSettingsReopensOnlyOnAChange_data() {
        QTest::addColumn<QString>("portText");
        QTest::addColumn<QString>("baudText");
        QTest::addColumn<bool>("reopened");
        QTest::newRow("unchanged") << "COM1"
                                   << "9600" << false;
        QTest::newRow("port letter case") << "com1"
                                          << "9600" << true;
        QTest::newRow("speed") << "COM1"
                               << "19200" << true;
        QTest::newRow("same speed, other spelling") << "COM1"
                                                    << " +9600" << false;
    }
    void portSettingsReopensOnlyOnAChange() {
        QFETCH(QString, portText);
        QFETCH(QString, baudText);
        QFETCH(bool, reopened);
        for (bool portOpen : {true, false}) {
            WindowFixture f("worked.ini", portOpen);
            f.messages.clear();
            f.window->runPortSettings = [&](PortDialogValues& values) {
                values.portText = portText.toStdString();
                values.baudText = baudText.toStdString();
                return true;
            };
            f.window->runCommand(kPortSettings);
            QCOMPARE(f.port.closes, reopened ? 1 : 0);
            QCOMPARE(f.port.opens, reopened ? 2 : 1);
            QCOMPARE(QString::fromStdString(f.port.current.portName), portText);
            QCOMPARE(f.messages.size(), reopened && !portOpen ? 1 : 0);
        }
    }

    void portSettingsCancelChangesNothing() {
        WindowFixture f("worked.ini");
        f.window->runPortSettings = [](PortDialogValues& values) {
            values.portText = "COM2";
            return false;
        };
        f.window->runCommand(kPortSettings);
        QCOMPARE(f.port.current.portName, std::string("COM1"));
        QCOMPARE(f.port.opens, 1);
    }

    void reconnectClosesAndOpens() {
        WindowFixture f("worked.ini");
        f.window->runCommand(kReconnect);
        QCOMPARE(f.port.closes, 1);
        QCOMPARE(f.port.opens, 2);
        QVERIFY(f.messages.isEmpty());
        QVERIFY(f.notes.isEmpty()); // a port that worked says nothing when it opens again
        f.port.opens_succeed = false;
        f.port.whyNot = portFailure(PortProblem::InUse, "COM1", "/dev/ttyS0");
        f.port.whyNot.facts.holder = PortHolder{321, "minicom", ""};
        f.window->runCommand(kReconnect);
        QCOMPARE(f.messages, QStringList{"Not able to Connect."});
        QVERIFY2(f.explanations.front().contains("in use by another program: minicom (pid 321)"),
                 qPrintable(f.explanations.front()));
        // Once the other program lets go, Reconnect says briefly that the port is back.
        f.port.opens_succeed = true;
        f.window->runCommand(kReconnect);
        QCOMPARE(f.messages.size(), 1);
        QCOMPARE(f.notes, QStringList{"The port \"COM1\" is open again."});
    }

    // The device goes away: the run fails the remaining entries as ever, and when it is over
    // the window says once that the port was lost, naming it and Port > Reconnect.
    void aLostPortIsToldOnceWhenTheRunEnds() {
        WindowFixture f("worked.ini");
        QTemporaryDir dir;
        QFile list(dir.filePath("list.DAT"));
        QVERIFY(list.open(QIODevice::WriteOnly));
        list.write("ESC 07 01 00 08 01 EF\r\nESC 07 01 00 08 00 F0\r\n");
        list.close();
        f.window->openListFile(list.fileName());
        f.port.lost = portFailure(PortProblem::Lost, "COM3", "/dev/ttyUSB0");
        f.window->runCommand(kTransmit);
        QTRY_VERIFY(!f.window->isTransmitting());
        QCOMPARE(QString::fromStdString(f.state().receiveText()),
                 QString("(1) Failure during data Transmission.\r\n(2) Failure during data Transmission.\r\n"));
        QCOMPARE(f.messages, QStringList{"The port was lost during entry 1."});
        QCOMPARE(f.explanations.front(), QString::fromStdString(explainPortFailure(*f.port.lost)) +
                                             " Once it is back, Port > Reconnect will reopen it.");
        f.window->runCommand(kReconnect);
        QCOMPARE(f.messages.size(), 1);
        QCOMPARE(f.notes, QStringList{"The port \"COM1\" is open again."});
    }
};

} // namespace

int runMainWindowTests(int argc, char** argv) {
    MainWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

} // namespace varnu::testing

#include "MainWindowTest.moc"
