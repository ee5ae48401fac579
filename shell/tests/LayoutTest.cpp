// The window as built from its tables: controls, captions that fit, tab order, menu, marks.

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QStyle>
#include <QStyleOptionGroupBox>
#include <QTest>
#include <climits>
#include <map>
#include <optional>

#include "resources/ControlTable.h"
#include "resources/MenuTable.h"
#include "resources/PromptStrings.h"
#include "shell/AppIcon.h"
#include "shell/CAboutBox.h"
#include "shell/DataFieldText.h"
#include "shell/GlyphFallback.h"
#include "shell/SessionWindow.h"
#include "shell/tests/TestSuites.h"
#include "shell/tests/WindowFixture.h"

namespace varnu::testing {
namespace {

using namespace ids;

// Where a control draws its text, in the window's client coordinates: `box` spans the text's
// advance across and its glyphs' ink down (the lines' height when it wraps) and must lie in
// `room`, the area the control draws it in; `ink` is what the glyphs cover, which must cross
// no other text and no other control.
struct DrawnText {
    QWidget* owner = nullptr;
    QString text;
    QRect box;
    QRect ink;
    QRect room;
};

QRect inClient(const QWidget* widget, const QWidget* client, const QRect& rect) {
    return rect.translated(widget->mapTo(client, QPoint(0, 0)));
}

std::optional<DrawnText> drawnText(QWidget* widget, const QWidget* client) {
    QStyle* style = widget->style();
    const QFontMetrics metrics = widget->fontMetrics();
    QRect room;
    QString text;
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
    bool wraps = false;
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        text = label->text();
        room = label->contentsRect();
        alignment = label->alignment();
        wraps = label->wordWrap();
    } else if (auto* frame = qobject_cast<QGroupBox*>(widget)) {
        QStyleOptionGroupBox option;
        option.initFrom(frame);
        option.text = text = frame->title();
        option.subControls = QStyle::SC_GroupBoxLabel;
        room = style->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, frame);
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = text = button->text();
        const bool radio = qobject_cast<QRadioButton*>(button) != nullptr;
        room = style->subElementRect(radio ? QStyle::SE_RadioButtonContents : QStyle::SE_PushButtonContents, &option,
                                     button);
        if (!radio)
            alignment = Qt::AlignCenter;
    }
    text.remove('&');
    if (text.isEmpty())
        return std::nullopt;
    QRect box;
    QRect ink;
    if (wraps) {
        box = ink = metrics.boundingRect(room, int(alignment) | Qt::TextWordWrap, text);
    } else {
        const QRect placed = style->itemTextRect(metrics, room, alignment, true, text);
        const int baseline = placed.top() + metrics.ascent();
        ink = metrics.tightBoundingRect(text).translated(placed.left(), baseline);
        box = QRect(QPoint(placed.left(), ink.top()),
                    QPoint(placed.left() + metrics.horizontalAdvance(text) - 1, ink.bottom()));
    }
    return DrawnText{widget, text, inClient(widget, client, box), inClient(widget, client, ink),
                     inClient(widget, client, room)};
}

QString describe(const QString& context, const DrawnText& drawn) {
    const QRect& r = drawn.box;
    return QString("%1: \"%2\" at %3,%4 %5x%6")
        .arg(context, drawn.text)
        .arg(r.x())
        .arg(r.y())
        .arg(r.width())
        .arg(r.height());
}

// Every text of the window is drawn whole inside its control and crosses neither another
// text nor another control's field, list or button.
void checkNoTextOverlapsOrIsCut(QWidget* client, const QString& context) {
    std::vector<DrawnText> texts;
    std::vector<QWidget*> fields;
    for (QWidget* widget : client->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!widget->isVisible())
            continue;
        if (const std::optional<DrawnText> drawn = drawnText(widget, client))
            texts.push_back(*drawn);
        if (!qobject_cast<QLabel*>(widget) && !qobject_cast<QGroupBox*>(widget) && !qobject_cast<QRadioButton*>(widget))
            fields.push_back(widget);
    }
    for (const DrawnText& drawn : texts) {
        QVERIFY2(drawn.room.contains(drawn.box), qPrintable(describe(context, drawn) + " is cut"));
        for (const DrawnText& other : texts) {
            if (other.owner != drawn.owner)
                QVERIFY2(!drawn.ink.intersects(other.ink),
                         qPrintable(describe(context, drawn) + " crosses \"" + other.text + "\""));
        }
        for (QWidget* field : fields) {
            if (field != drawn.owner)
                QVERIFY2(!drawn.ink.intersects(field->geometry()),
                         qPrintable(describe(context, drawn) + " crosses a " + field->metaObject()->className()));
        }
    }
}

QString shownText(QWidget* widget) {
    QString text;
    if (auto* label = qobject_cast<QLabel*>(widget))
        text = label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        text = button->text();
    if (auto* frame = qobject_cast<QGroupBox*>(widget))
        text = frame->title();
    return text.remove('&');
}

class LayoutTest : public QObject {
    Q_OBJECT
private slots:
    void everyControlIsBuiltAndItsCaptionFits() {
        WindowFixture f("worked.ini");
        QCOMPARE(f.window->windowTitle(), QString("Varnu"));
        QVERIFY(QFontInfo(f.window->font()).fixedPitch());
        const QRect client = f.window->control(kClose)->parentWidget()->rect();
        for (const ControlSpec& row : mainWindowSpec().controls) {
            if (row.id == kNone)
                continue;
            QWidget* widget = f.window->control(row.id);
            QVERIFY2(widget, qPrintable(QString::number(row.id)));
            QVERIFY(client.contains(widget->geometry()));
            const QString caption = shownText(widget);
            const QString specified = QString::fromUtf8(row.caption.data(), qsizetype(row.caption.size()));
            QCOMPARE(caption, drawableText(specified, widget->font()).remove('&'));
            if (auto* frame = qobject_cast<QGroupBox*>(widget)) {
                // The style sizes a frame's title itself: it must hold the full-width colon of "Data：".
                QStyleOptionGroupBox option;
                option.initFrom(frame);
                option.text = frame->title();
                option.subControls = QStyle::SC_GroupBoxLabel;
                const QRect title =
                    frame->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, frame);
                QVERIFY2(frame->fontMetrics().horizontalAdvance(caption) <= title.width(), qPrintable(caption));
                continue;
            }
            if (caption.isEmpty())
                continue;
            int room = widget->width();
            if (qobject_cast<QAbstractButton*>(widget) && !qobject_cast<QLabel*>(widget))
                room -= qobject_cast<QPushButton*>(widget) ? 4 : 16; // button frame or radio indicator
            QVERIFY2(widget->fontMetrics().horizontalAdvance(caption) <= room, qPrintable(caption));
        }
    }

    // Every caption, every prompt on every field that can show it (the Data prompts with the
    // widest range hints in both radixes), and the widest byte range of a Multi bytes line, at
    // the window's default fonts.
    void noTextOverlapsAnotherOrIsCut() {
        WindowFixture f("prompts.ini");
        QWidget* client = f.window->control(kClose)->parentWidget();
        checkNoTextOverlapsOrIsCut(client, "captions");
        if (QTest::currentTestFailed())
            return;

        QSet<QString> shown;
        const auto showPrompt = [&](int editId) {
            f.window->control(kSetRadio)->setFocus(); // the field gains the focus anew
            f.window->control(editId)->setFocus();
            const QString status = f.status();
            shown << status;
            checkNoTextOverlapsOrIsCut(client, status);
        };
        // Functions: the ranges; targets: one prompt keyword on all four fields.
        const int functions = f.get<QListWidget>(kFunctionList)->count();
        const int targets = f.get<QComboBox>(kTargetCombo)->count();
        for (int target = 0; target < targets; ++target) {
            f.chooseCombo(kTargetCombo, target);
            for (int id : {kAddress1Edit, kAddress2Edit, kMultiBytesEdit}) {
                showPrompt(id);
                if (QTest::currentTestFailed())
                    return;
            }
            for (int function = 0; function < functions; ++function) {
                f.chooseFunction(function);
                f.chooseCombo(kTargetCombo, target);
                for (int radix : {kDecRadio, kHexRadio}) {
                    f.click(radix);
                    showPrompt(kDataEdit);
                    if (QTest::currentTestFailed())
                        return;
                }
            }
        }
        // The fixture reaches every prompt and the widest hint.
        for (PromptId id = kPromptValueToSet; id <= kPromptDataMatrix; ++id) {
            const QString prompt = QString::fromUtf8(promptString(id).data(), qsizetype(promptString(id).size()));
            QVERIFY2(shown.contains(prompt), qPrintable(prompt));
        }
        const std::string widest =
            std::string(promptString(kPromptValueToSet)) + dataRangeHint(INT32_MIN, INT32_MAX, DataRadix::Dec);
        QVERIFY(shown.contains(QString::fromStdString(widest)));

        // A Multi bytes text is at most 1023 characters (a line break counts two): the last
        // one is byte 0x1FF.
        auto* multi = f.get<QPlainTextEdit>(kMultiBytesEdit);
        multi->setFocus();
        multi->setPlainText(QString("\n").repeated(511));
        multi->moveCursor(QTextCursor::End);
        QTest::keyClick(multi, 'A');
        const QString range = QString::fromStdString(f.state().rangeText());
        QCOMPARE(range, QString("0x1FF-0x1FF"));
        checkNoTextOverlapsOrIsCut(client, range);
    }

    void tabOrderFollowsTheTable() {
        WindowFixture f("worked.ini");
        // Tab from Set passes the fields in creation order (disabled ones and Hex/Dec skipped).
        const int order[] = {kClassCombo, kFunctionList, kTargetCombo,  kAddress1Edit, kAddress2Edit,
                             kDataEdit,   kAdd,          kDelete,       kOpen,         kSave,
                             kTransmit,   kClear,        kTransmitList, kReceiveList,  kClose};
        f.window->control(kSetRadio)->setFocus();
        for (int id : order) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), f.window->control(id));
        }
    }

    void labelMnemonicsGoToTheNextControl() {
        WindowFixture f("worked.ini");
        QCOMPARE(f.get<QLabel>(kClassLabel)->buddy(), f.window->control(kClassCombo));
        QCOMPARE(f.get<QLabel>(kMultiBytesLabel)->buddy(), f.window->control(kMultiBytesEdit));
        QCOMPARE(f.get<QLabel>(kDataLabel)->buddy(), f.window->control(kDataEdit));
        // The frame's mnemonic reaches the radio after it, which is not its child.
        f.window->control(kClose)->setFocus();
        QTest::keyClick(f.window.get(), Qt::Key_M, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), f.window->control(kSetRadio));
        QTest::keyClick(f.window.get(), Qt::Key_T, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), f.window->control(kDataEdit));
        // The menus added around the dialog take no letter of its fields.
        QTest::keyClick(f.window.get(), Qt::Key_V, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), f.window->control(kAddress1Edit));
    }

    // The dialog's menu as its table says, with the items added around it: File > Recent lists
    // after Save, Port > Stop after Reconnect, and View > Session (F8) after Port.
    void menuBarMatchesItsTable() {
        WindowFixture f("worked.ini");
        auto* bar = f.window->findChild<QMenuBar*>();
        QVERIFY(bar);
        const QList<QAction*> menus = bar->actions();
        const auto menuTable = mainMenuSpec();
        QCOMPARE(menus.size(), qsizetype(menuTable.size()) + 1);
        const std::map<std::pair<int, QString>, QString> addedAfter = {
            {{0, "Save(&S)..."}, "Recent lists(&R)"},
            {{2, "Reconnect"}, "Stop(&S)"},
        };
        for (std::size_t m = 0; m < menuTable.size(); ++m) {
            QCOMPARE(menus[qsizetype(m)]->text(), QString::fromUtf8(menuTable[m].title.data()));
            QStringList expected;
            for (const MenuItemSpec& item : menuTable[m].items) {
                expected << QString::fromUtf8(item.caption.data(), qsizetype(item.caption.size()));
                if (const auto added = addedAfter.find({int(m), expected.back()}); added != addedAfter.end())
                    expected << added->second;
            }
            QStringList shown;
            for (QAction* item : menus[qsizetype(m)]->menu()->actions())
                shown << item->text();
            QCOMPARE(shown, expected);
        }
        QCOMPARE(menus[0]->menu()->actions()[0]->text(), QString("Open(&0)..."));
        QVERIFY(menus[0]->menu()->actions()[2]->menu()); // Recent lists opens a submenu
        QCOMPARE(menus[3]->text(), QString("View"));
        QAction* session = menus[3]->menu()->actions().value(0);
        QVERIFY(session);
        QCOMPARE(session->text(), QString("Session(&S)"));
        QCOMPARE(session->shortcut(), QKeySequence(Qt::Key_F8));
        // Choosing Reconnect from the menu reaches the port; Stop waits for a run.
        menus[2]->menu()->actions()[1]->trigger();
        QCOMPARE(f.port.opens, 2);
        QVERIFY(!menus[2]->menu()->actions()[2]->isEnabled());
        // F8 opens the Session window.
        QVERIFY(!f.window->sessionWindow()->isVisible());
        QTest::keyClick(f.window.get(), Qt::Key_F8);
        QVERIFY(f.window->sessionWindow()->isVisible());
        f.window->sessionWindow()->close();
    }

    void byteMarksUnderTheMultiBytesField() {
        WindowFixture f("worked.ini");
        QWidget* client = f.window->control(kClose)->parentWidget();
        const QImage image = client->grab().toImage();
        const QRect field = f.window->control(kMultiBytesEdit)->geometry();
        const int bottom = field.y() + field.height();
        const int dpr = qRound(image.devicePixelRatio());
        // The offscreen surface may keep 6 bits a channel: white reads back as 252.
        const auto grey = [&](int x, int y) { return qGray(image.pixel(x * dpr, y * dpr)); };
        QVERIFY(grey(field.x(), bottom + 1) >= 248);
        QCOMPARE(grey(field.x() + 1, bottom + 2), 0);
        QVERIFY(grey(field.x() + 1, bottom + 1) < 248); // nothing between the two pixels of a mark
    }

    void aboutBoxTexts() {
        CAboutBox about(QIcon{});
        QCOMPARE(about.windowTitle(), QString("About Varnu"));
        QStringList texts;
        for (QLabel* label : about.findChildren<QLabel*>())
            texts << label->text();
        QVERIFY(texts.contains("Varnu Version 1.2"));
        QVERIFY(about.findChild<QPushButton*>()->isDefault());
    }

    // The icon comes from the SVG resource: it must load (resource linked, SVG plugin present)
    // and show the projector in its colours at any size.
    void appIconIsTheProjectorPicture() {
        const QIcon icon = makeAppIcon();
        QVERIFY(!icon.isNull());
        struct Sample {
            int x, y; // on the 64-unit drawing
            QColor colour;
        };
        const Sample samples[] = {
            {1, 1, Qt::transparent},        // outside the picture
            {40, 45, QColor(50, 80, 150)},  // the body
            {22, 38, QColor(90, 140, 220)}, // the middle of the lens
            {58, 22, QColor(255, 214, 64)}, // the beam (translucent)
        };
        for (int size : {32, 64, 128}) {
            const QImage image = icon.pixmap(size, size).toImage().convertToFormat(QImage::Format_ARGB32);
            QCOMPARE(image.width(), size);
            for (const Sample& s : samples) {
                const QColor found = image.pixelColor(s.x * size / 64, s.y * size / 64);
                const QString where =
                    QStringLiteral("size %1 at %2,%3: %4").arg(size).arg(s.x).arg(s.y).arg(found.name(QColor::HexArgb));
                if (s.colour.alpha() == 0) {
                    QVERIFY2(found.alpha() == 0, qPrintable(where));
                    continue;
                }
                QVERIFY2(found.alpha() > 150, qPrintable(where));
                // The offscreen surface may keep 6 bits a channel.
                QVERIFY2(std::abs(found.red() - s.colour.red()) <= 4 &&
                             std::abs(found.green() - s.colour.green()) <= 4 &&
                             std::abs(found.blue() - s.colour.blue()) <= 4,
                         qPrintable(where));
            }
        }
        CAboutBox about(icon);
        bool shown = false;
        for (QLabel* label : about.findChildren<QLabel*>())
            shown = shown || !label->pixmap().isNull();
        QVERIFY(shown);
    }
};

} // namespace

int runLayoutTests(int argc, char** argv) {
    LayoutTest test;
    return QTest::qExec(&test, argc, argv);
}

} // namespace varnu::testing

#include "LayoutTest.moc"
