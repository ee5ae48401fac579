// The menu items added around the dialog's own menu: File > Recent lists after Save, Port >
// Stop after Reconnect, and a View menu after Port with Session (F8).

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QMenuBar>

#include "resources/ResourceIds.h"
#include "shell/CVarnuDlg.h"
#include "shell/WindowSettings.h"

namespace varnu {

using namespace ids;

void CVarnuDlg::addWorkingMenus(QMenuBar* bar) {
    QMenu* file = menuOf.at(kSave);
    const QList<QAction*> fileItems = file->actions();
    QAction* afterSave = fileItems.value(fileItems.indexOf(menuActions.at(kSave)) + 1);
    recentMenu = new QMenu(QStringLiteral("Recent lists(&R)"), file);
    file->insertMenu(afterSave, recentMenu);
    connect(recentMenu, &QMenu::aboutToShow, this, &CVarnuDlg::fillRecentMenu);

    QMenu* portMenu = menuOf.at(kReconnect);
    QAction* stop = portMenu->addAction(QStringLiteral("Stop(&S)"));
    stop->setEnabled(false); // until a run starts
    connect(stop, &QAction::triggered, this, [this] { runCommand(kStop); });
    menuActions[kStop] = stop;

    // No mnemonic: every letter a free one would take is the mnemonic of a field or a menu
    // already (Alt+V goes to Address 1); F8 is the Session window's key.
    QMenu* view = bar->addMenu(QStringLiteral("View"));
    QAction* session = view->addAction(QStringLiteral("Session(&S)"));
    session->setShortcut(QKeySequence(Qt::Key_F8));
    connect(session, &QAction::triggered, this, [this] { runCommand(kSession); });
    menuActions[kSession] = session;
}

void CVarnuDlg::fillRecentMenu() {
    recentMenu->clear();
    const QStringList lists = recentLists();
    for (qsizetype i = 0; i < lists.size(); ++i) {
        const QString path = lists[i];
        // "&" in a path would be taken for a mnemonic.
        const QString shown = QDir::toNativeSeparators(path).replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* item = recentMenu->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(shown));
        connect(item, &QAction::triggered, this, [this, path] {
            if (!isTransmitting() && mayDropTransmitList())
                openListFile(path);
        });
    }
    if (lists.isEmpty())
        recentMenu->addAction(QStringLiteral("(none)"))->setEnabled(false);
}

} // namespace varnu
