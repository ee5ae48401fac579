// The text rules of the parameter fields: range hints, byte ranges, marks.

#include <QTest>

#include "resources/PromptStrings.h"
#include "shell/DataFieldText.h"
#include "shell/tests/TestSuites.h"

namespace varnu::testing {
namespace {

QString hint(std::int32_t min, std::int32_t max, DataRadix radix) {
    return QString::fromStdString(dataRangeHint(min, max, radix));
}

class FieldTextTest : public QObject {
    Q_OBJECT
private slots:
    void rangeHints() {
        const QString open(QChar(0xFF08));
        const QString close(QChar(0xFF09));
        QCOMPARE(hint(-128, 127, DataRadix::Dec), open + "-128 - 127 in decimal" + close);
        QCOMPARE(hint(-128, 127, DataRadix::Hex), open + "80 - 7F in hexadecimal" + close);
        QCOMPARE(hint(0, 255, DataRadix::Hex), open + "0 - FF in hexadecimal" + close);
        QCOMPARE(hint(0, 65535, DataRadix::Hex), open + "0 - FFFF in hexadecimal" + close);
        QCOMPARE(hint(-1, -1, DataRadix::Dec), QString());
        QCOMPARE(hint(5, 5, DataRadix::Hex), QString());
    }

    void multiRanges_data() {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("expected");
        QTest::newRow("six digits") << 0 << 6 << "0x00-0x02";
        QTest::newRow("five digits") << 0 << 5 << "0x00-0x02";
        QTest::newRow("after a line break") << 6 << 4 << "0x03-0x04";
        QTest::newRow("one digit") << 0 << 1 << "0x00-0x00";
        QTest::newRow("past 0xFF") << 600 << 40 << "0x12C-0x13F";
        QTest::newRow("empty line shows nothing") << 8 << 0 << "";
    }
    void multiRanges() {
        QFETCH(int, start);
        QFETCH(int, length);
        QFETCH(QString, expected);
        QCOMPARE(QString::fromStdString(multiRangeText(start, length)), expected);
    }

    void byteMarks() {
        QCOMPARE(byteMarkColumns(10, 30, 7), (std::vector<int>{10, 17, 24}));
        QCOMPARE(byteMarkColumns(10, 31, 7), (std::vector<int>{10, 17, 24, 31}));
        QCOMPARE(byteMarkColumns(10, 30, 50), std::vector<int>{10});
        QCOMPARE(byteMarkColumns(0, 3, 0).size(), std::size_t(4)); // a zero step must still end
    }

    void promptTable() {
        QCOMPARE(promptString(59145), std::string_view("Please enter value to be set."));
        QCOMPARE(promptString(59147), std::string_view("Please enter RGB claciffication."));
        QCOMPARE(promptString(59152), std::string_view("Prease enter data matrix in hexadecimal."));
        QCOMPARE(promptString(59153), std::string_view());
    }
};

} // namespace

int runFieldTextTests(int argc, char** argv) {
    FieldTextTest test;
    return QTest::qExec(&test, argc, argv);
}

} // namespace varnu::testing

#include "FieldTextTest.moc"
