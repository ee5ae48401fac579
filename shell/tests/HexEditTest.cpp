// The key filter of the Data and Multi bytes fields, as a keyboard drives it.

#include <QClipboard>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTest>

#include <array>

#include "shell/CHexEdit.h"
#include "shell/UpperCaseEdits.h"
#include "shell/tests/TestSuites.h"

namespace varnu::testing {
namespace {

// Sends one typed character the way a keyboard does (control characters included).
void typeCharacter(QWidget* widget, QChar ch) {
    const int key = ch == QChar('\b') ? Qt::Key_Backspace : 0;
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(ch));
    QApplication::sendEvent(widget, &press);
}

// The filter on `edit` in hex or text mode, its refusals counted.
struct CountedFilter {
    CountedFilter(QWidget* edit, bool hex) {
        filter.beep = [this] { ++refused; };
        filter.setHexMode(hex);
        filter.attach(edit);
    }
    CHexEdit filter;
    int refused = 0;
};

// A line field and a multi-line field of the same text and the cursor at the end, to show
// that the filter treats both kinds alike.
struct BothKinds {
    explicit BothKinds(const QString& text) {
        line.setText(text);
        plain.setPlainText(text);
        line.end(false);
        plain.moveCursor(QTextCursor::End);
    }
    std::array<QWidget*, 2> edits() { return {&line, &plain}; }
    QString text(const QWidget* edit) const { return edit == &line ? line.text() : plain.toPlainText(); }

    UpperLineEdit line;
    UpperPlainTextEdit plain;
};

struct PasteProbe : UpperPlainTextEdit {
    using UpperPlainTextEdit::insertFromMimeData;
};

class HexEditTest : public QObject {
    Q_OBJECT
private slots:
    void filterDecidesEachCharacter_data() {
        QTest::addColumn<bool>("hex");
        QTest::addColumn<QString>("before");
        QTest::addColumn<int>("selectFrom"); // -1: caret at the end, no selection
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("beeps");
        QTest::newRow("hex a shows A") << true << "" << -1 << "a"
                                       << "A" << 0;
        QTest::newRow("hex digits and F") << true << "" << -1 << "09Ff"
                                          << "09FF" << 0;
        QTest::newRow("hex refuses g G - + . space") << true << "1" << -1 << "gG-+. "
                                                     << "1" << 6;
        QTest::newRow("dec 7") << false << "" << -1 << "7"
                               << "7" << 0;
        QTest::newRow("dec refuses A") << false << "" << -1 << "A"
                                       << "" << 1;
        QTest::newRow("dec minus in empty field") << false << "" << -1 << "-"
                                                  << "-" << 0;
        QTest::newRow("dec minus after a digit") << false << "1" << -1 << "-"
                                                 << "1" << 1;
        QTest::newRow("dec minus replaces selected 12") << false << "12" << 0 << "-"
                                                        << "-" << 0;
        QTest::newRow("dec minus over selected -12") << false << "-12" << 0 << "-"
                                                     << "-12" << 1;
        QTest::newRow("non-ASCII refused") << true << "" << -1 << QString(QChar(0x00E9)) + QChar(0xFF11) << "" << 2;
    }
    void filterDecidesEachCharacter() {
        QFETCH(bool, hex);
        QFETCH(QString, before);
        QFETCH(int, selectFrom);
        QFETCH(QString, typed);
        QFETCH(QString, after);
        QFETCH(int, beeps);
        // The same rules on both kinds of field the window filters.
        BothKinds fields(before);
        for (QWidget* edit : fields.edits()) {
            CountedFilter filtered(edit, hex);
            if (selectFrom >= 0) {
                fields.line.selectAll();
                fields.plain.selectAll();
            }
            for (QChar ch : typed)
                typeCharacter(edit, ch);
            QCOMPARE(fields.text(edit), after);
            QCOMPARE(filtered.refused, beeps);
        }
    }

    void controlCharactersPassInBothModes() {
        for (bool hex : {true, false}) {
            UpperLineEdit edit;
            CountedFilter filtered(&edit, hex);
            edit.setText("12");
            edit.end(false);
            typeCharacter(&edit, QChar('\b')); // backspace
            for (char shortcut : {'\x03', '\x16', '\x18', '\x1a'})
                typeCharacter(&edit, QChar(shortcut));
            QCOMPARE(filtered.refused, 0);
            QCOMPARE(edit.text(), QString("1"));
        }
    }

    // The Delete key carries the text DEL (0x7F) on X11; Shift+Delete cuts the selection.
    void deleteKeyEditsInBothModesAndKinds() {
        QApplication::clipboard()->clear();
        for (bool hex : {true, false}) {
            BothKinds fields("1234");
            UpperLineEdit& line = fields.line;
            UpperPlainTextEdit& plain = fields.plain;
            line.setTypingLimit(4); // a full field: Delete is not typing
            for (QWidget* edit : fields.edits()) {
                CountedFilter filtered(edit, hex);
                const auto text = [&] { return fields.text(edit); };
                line.setCursorPosition(0);
                plain.moveCursor(QTextCursor::Start);
                QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier, QStringLiteral("\x7f"));
                QApplication::sendEvent(edit, &del);
                QCOMPARE(text(), QString("234"));

                line.setSelection(0, 2);
                QTextCursor selection = plain.textCursor();
                selection.movePosition(QTextCursor::Right, QTextCursor::KeepAnchor, 2);
                plain.setTextCursor(selection);
                QKeyEvent cut(QEvent::KeyPress, Qt::Key_Delete, Qt::ShiftModifier, QStringLiteral("\x7f"));
                QApplication::sendEvent(edit, &cut);
                QCOMPARE(text(), QString("4"));
                QCOMPARE(QApplication::clipboard()->text(), QString("23"));
                QCOMPARE(filtered.refused, 0);
            }
        }
    }

    void modeChangeAffectsOnlyLaterTyping() {
        UpperLineEdit edit;
        CountedFilter filtered(&edit, true);
        typeCharacter(&edit, 'B');
        filtered.filter.setHexMode(false);
        QCOMPARE(edit.text(), QString("B"));
        typeCharacter(&edit, 'C');
        QCOMPARE(edit.text(), QString("B"));
    }

    void pasteIsNotFilteredButShownInUpperCase() {
        PasteProbe edit;
        CHexEdit filter;
        filter.attach(&edit);
        QMimeData data;
        data.setText("zz 1f");
        edit.insertFromMimeData(&data);
        QCOMPARE(edit.toPlainText(), QString("ZZ 1F"));
    }
};

} // namespace

int runHexEditTests(int argc, char** argv) {
    HexEditTest test;
    return QTest::qExec(&test, argc, argv);
}

} // namespace varnu::testing

#include "HexEditTest.moc"
