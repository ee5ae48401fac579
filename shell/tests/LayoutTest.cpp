// The window as built from its tables: controls, captions that fit, tab order, menu, marks.

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionGroupBox>
#include <QTest>

#include "resources/ControlTable.h"
#include "resources/MenuTable.h"
#include "shell/AppIcon.h"
#include "shell/CAboutBox.h"
#include "shell/GlyphFallback.h"
#include "shell/tests/TestSuites.h"
#include "shell/tests/WindowFixture.h"

namespace varnu::testing {
namespace {

using namespace ids;

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
    }

    void menuBarMatchesItsTable() {
        WindowFixture f("worked.ini");
        auto* bar = f.window->findChild<QMenuBar*>();
        QVERIFY(bar);
        const QList<QAction*> menus = bar->actions();
        const auto menuTable = mainMenuSpec();
        QCOMPARE(menus.size(), qsizetype(menuTable.size()));
        for (std::size_t m = 0; m < menuTable.size(); ++m) {
            QCOMPARE(menus[qsizetype(m)]->text(), QString::fromUtf8(menuTable[m].title.data()));
            const QList<QAction*> items = menus[qsizetype(m)]->menu()->actions();
            QCOMPARE(items.size(), qsizetype(menuTable[m].items.size()));
        }
        QCOMPARE(menus[0]->menu()->actions()[0]->text(), QString("Open(&0)..."));
        // Choosing Reconnect from the menu reaches the port.
        menus[2]->menu()->actions()[1]->trigger();
        QCOMPARE(f.port.opens, 2);
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
