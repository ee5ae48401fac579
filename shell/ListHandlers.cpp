// The main window's Transmit List commands: Add and Delete through the entry composer and the
// list model, Open and Save through the list-file reader and writer. List 1028 is the model's
// view and is brought in step in one place, showTransmitList.

#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QScrollBar>
#include <QSignalBlocker>

#include "files/FileFailureText.h"
#include "resources/ResourceIds.h"
#include "shell/CVarnuDlg.h"
#include "shell/ExtentListWidget.h"
#include "shell/ListFileAccess.h"
#include "shell/SessionWindow.h"
#include "shell/WindowSettings.h"
#include "transmit_list/EntryComposer.h"
#include "transmit_list/ListFile.h"

namespace varnu {
namespace {

QString messageText(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString entryDisplayText(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

ExtentListWidget* CVarnuDlg::transmitListView() const {
    return static_cast<ExtentListWidget*>(control(ids::kTransmitList));
}

EntryMetrics CVarnuDlg::entryMetrics() const {
    // Widths in the list's own font; an item reaches across the visible item area.
    return {
        .textWidth =
            [this](std::string_view text) {
                const QFontMetrics metrics(transmitListView()->font());
                return metrics.horizontalAdvance(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
            },
        .itemRightEdge = [this](int) { return transmitListView()->viewport()->width(); },
    };
}

void CVarnuDlg::showTransmitList() {
    ExtentListWidget* view = transmitListView();
    const QSignalBlocker blocker(view);
    const int count = transmitList.count();
    while (view->count() > count)
        delete view->takeItem(view->count() - 1);
    for (int i = 0; i < view->count(); ++i) {
        const QString text = entryDisplayText(transmitList.text(i));
        if (view->item(i)->text() != text)
            view->item(i)->setText(text);
    }
    QStringList added;
    for (int i = view->count(); i < count; ++i)
        added << entryDisplayText(transmitList.text(i));
    view->addItems(added);

    view->setHorizontalExtent(transmitList.horizontalExtent());
    if (const std::optional<int> selected = transmitList.selection()) {
        view->setCurrentRow(*selected);
        view->scrollToItem(view->item(*selected));
    } else {
        view->clearSelection();
        view->setCurrentRow(-1);
    }
}

void CVarnuDlg::AddEntry() {
    exchange(Exchange::Collect);
    const ComposeResult composed = composeEntry(catalogue_, selection, transmitList.count() + 1);
    if (!composed.ok()) {
        showMessage(QString::fromStdString(composed.error), {}); // the list stays as it was
        return;
    }
    transmitList.addEntry(composed.text);
    showTransmitList();
}

void CVarnuDlg::DeleteEntry() {
    exchange(Exchange::Collect);
    transmitList.deleteEntry();
    showTransmitList();
}

void CVarnuDlg::OpenList() {
    if (!mayDropTransmitList())
        return; // Open replaces the list: unsaved entries are saved or given up first
    const QString path = chooseOpenFile();
    if (!path.isEmpty())
        openListFile(path);
}

void CVarnuDlg::openListFile(const QString& path) {
    const OpenedListFile loaded = varnu::openListFile(transmitList, QFile::encodeName(path).toStdString());
    showTransmitList();
    // What became of each line goes to the Session window; Open itself skips lines silently.
    session->showListReport(QDir::toNativeSeparators(path), describeListFileReport(loaded.report));
    if (loaded.failure) {
        showMessage(messageText(kReadFailure), QString::fromStdString(explainFileFailure(*loaded.failure)));
        return;
    }
    addRecentList(path);
}

void CVarnuDlg::SaveList() {
    if (transmitList.count() == 0)
        return; // nothing to save: no dialog
    saveListToChosenFile();
}

bool CVarnuDlg::saveListToChosenFile() {
    const QString path = chooseSaveFile();
    if (path.isEmpty())
        return false;
    const QString failure =
        saveWholeFile(path, QByteArray::fromStdString(writeListFile(transmitList)), QStringLiteral("list"));
    if (!failure.isEmpty()) {
        showMessage(messageText(kWriteFailure), failure);
        return false;
    }
    transmitList.markSaved();
    addRecentList(path);
    return true;
}

} // namespace varnu
