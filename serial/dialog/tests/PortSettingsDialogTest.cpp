// The Port Settings dialog and the rule that decides what its OK changes.

#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include "serial/dialog/CPortSettingsDlg.h"

namespace varnu {
namespace {

PortDialogValues valuesOf(std::string port, std::string baud, std::string bits, int parity, int stop) {
    return {std::move(port), std::move(baud), std::move(bits), parity, stop};
}

class PortSettingsDialogTest : public QObject {
    Q_OBJECT
private slots:
    void okWithTheShownValuesChangesNothing() {
        PortSettings settings;
        settings.baudRate = 31250; // a speed the list does not offer
        settings.parity = Parity::Mark;
        settings.stopBits = StopBits::Two;
        CPortSettingsDlg dialog(dialogValuesFrom(settings));
        QCOMPARE(dialog.windowTitle(), QString::fromUtf8("ﾀﾞｲｱﾛｸﾞ"));
        QCOMPARE(dialog.control(CPortSettingsDlg::kBaudCombo)->currentText(), QString("31250"));
        QCOMPARE(dialog.control(CPortSettingsDlg::kParityCombo)->currentText(), QString("Mark"));
        QCOMPARE(dialog.control(CPortSettingsDlg::kStopBitsCombo)->currentText(), QString("2"));
        PortSettings after = settings;
        QVERIFY(!applyDialogValues(dialog.values(), after));
        QCOMPARE(after, settings);
    }

    void aPrefixIsNotTakenForAnotherItem() {
        PortSettings settings;
        settings.portName = "COM"; // "COM1" begins with it, but is another port
        settings.baudRate = 960;
        CPortSettingsDlg dialog(dialogValuesFrom(settings));
        QCOMPARE(dialog.control(CPortSettingsDlg::kPortCombo)->currentText(), QString("COM"));
        QCOMPARE(dialog.control(CPortSettingsDlg::kBaudCombo)->currentText(), QString("960"));
    }

    void offersTheFourNamesAndTakesFreeText() {
        CPortSettingsDlg dialog(dialogValuesFrom(PortSettings{}));
        QComboBox* port = dialog.control(CPortSettingsDlg::kPortCombo);
        QVERIFY(port->isEditable());
        for (int i = 0; i < 4; ++i)
            QCOMPARE(port->itemText(i), QString("COM%1").arg(i + 1));
        // The lists' positions are the codes.
        const auto items = [&](int id) {
            QStringList texts;
            for (int i = 0; i < dialog.control(id)->count(); ++i)
                texts << dialog.control(id)->itemText(i);
            return texts;
        };
        QCOMPARE(items(CPortSettingsDlg::kBaudCombo),
                 (QStringList{"2400", "4800", "9600", "14400", "19200", "38400", "57600", "115200"}));
        QVERIFY(!dialog.control(CPortSettingsDlg::kParityCombo)->isEditable());
        QCOMPARE(items(CPortSettingsDlg::kParityCombo), (QStringList{"None", "Odd", "Even", "Mark"}));
        QVERIFY(!dialog.control(CPortSettingsDlg::kStopBitsCombo)->isEditable());
        QCOMPARE(items(CPortSettingsDlg::kStopBitsCombo), (QStringList{"1", "1.5", "2"}));
        port->lineEdit()->setText("/dev/pts/7");
        QCOMPARE(dialog.values().portText, std::string("/dev/pts/7"));
    }

    // The ports of the machine follow the four names, each with its description beside it; the
    // description is never part of the name, however the item was chosen.
    void machinePortsShowTheirDescriptionBesideTheirName() {
        const std::vector<SerialPortEntry> machine{{"/dev/ttyS0", "", "", "", "", std::nullopt, std::nullopt},
                                                   {"/dev/ttyUSB0",
                                                    "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10K-if00-port0",
                                                    "FT232R USB UART", "FTDI", "A10K", 0x0403, 0x6001}};
        PortSettings settings;
        settings.portName = "/dev/ttyUSB0";
        CPortSettingsDlg dialog(dialogValuesFrom(settings), machine);
        QComboBox* port = dialog.control(CPortSettingsDlg::kPortCombo);
        QCOMPARE(port->count(), 6);
        QCOMPARE(port->itemText(3), QString("COM4"));
        QCOMPARE(port->itemText(4), QString("/dev/ttyS0"));
        QCOMPARE(port->itemText(5), QString("/dev/ttyUSB0 - FT232R USB UART"));
        QCOMPARE(port->itemData(5, Qt::ToolTipRole).toString(),
                 QString("/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10K-if00-port0"));
        // The setting in use selects its item and shows its bare name; OK changes nothing.
        QCOMPARE(port->currentIndex(), 5);
        QCOMPARE(port->currentText(), QString("/dev/ttyUSB0"));
        PortSettings after = settings;
        QVERIFY(!applyDialogValues(dialog.values(), after));

        port->setCurrentIndex(4);
        emit port->activated(4);
        QCOMPARE(dialog.values().portText, std::string("/dev/ttyS0"));
        port->setEditText("/dev/ttyUSB0 - FT232R USB UART"); // as a keyboard move through the list leaves it
        QCOMPARE(dialog.values().portText, std::string("/dev/ttyUSB0"));
    }

    void changesAreDetectedFieldByField_data() {
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("baud");
        QTest::addColumn<QString>("bits");
        QTest::addColumn<int>("parity");
        QTest::addColumn<bool>("changed");
        QTest::addColumn<uint>("baudRate");
        QTest::addColumn<int>("dataBits");
        QTest::newRow("same") << "COM1"
                              << "9600"
                              << "8" << 0 << false << 9600u << 8;
        QTest::newRow("port case counts") << "com1"
                                          << "9600"
                                          << "8" << 0 << true << 9600u << 8;
        QTest::newRow("baud not a number") << "COM1"
                                           << "abc"
                                           << "8" << 0 << true << 0u << 8;
        QTest::newRow("baud with blanks") << "COM1"
                                          << "  19200x"
                                          << "8" << 0 << true << 19200u << 8;
        QTest::newRow("baud with a sign") << "COM1"
                                          << "+19200"
                                          << "8" << 0 << true << 19200u << 8;
        QTest::newRow("baud with two signs") << "COM1"
                                             << "+-19200"
                                             << "8" << 0 << true << 0u << 8;
        QTest::newRow("baud beyond 32 bits") << "COM1"
                                             << "99999999999"
                                             << "8" << 0 << true << 2147483647u << 8;
        QTest::newRow("baud negative") << "COM1"
                                       << "-1"
                                       << "8" << 0 << true << 4294967295u << 8;
        QTest::newRow("baud at the lowest") << "COM1"
                                            << "-99999999999"
                                            << "8" << 0 << true << 2147483648u << 8;
        QTest::newRow("data bits low byte") << "COM1"
                                            << "9600"
                                            << "264" << 0 << false << 9600u << 8;
        QTest::newRow("data bits") << "COM1"
                                   << "9600"
                                   << "7" << 0 << true << 9600u << 7;
        QTest::newRow("parity") << "COM1"
                                << "9600"
                                << "8" << 2 << true << 9600u << 8;
    }
    void changesAreDetectedFieldByField() {
        QFETCH(QString, port);
        QFETCH(QString, baud);
        QFETCH(QString, bits);
        QFETCH(int, parity);
        QFETCH(bool, changed);
        QFETCH(uint, baudRate);
        QFETCH(int, dataBits);
        PortSettings settings;
        QCOMPARE(applyDialogValues(valuesOf(port.toStdString(), baud.toStdString(), bits.toStdString(), parity, 0),
                                   settings),
                 changed);
        QCOMPARE(settings.portName, port.toStdString());
        QCOMPARE(settings.baudRate, baudRate);
        QCOMPARE(int(settings.dataBits), dataBits);
        QCOMPARE(int(settings.parity), parity);
    }
};

} // namespace
} // namespace varnu

QTEST_MAIN(varnu::PortSettingsDialogTest)
#include "PortSettingsDialogTest.moc"
