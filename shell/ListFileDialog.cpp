#include "shell/ListFileDialog.h"

#include <QFileDialog>
#include <QFileInfo>

#include "shell/WindowSettings.h"

namespace varnu {

QString runListFileDialog(ListFileDialog kind, QWidget* parent) {
    QFileDialog dialog(parent);
    const bool save = kind == ListFileDialog::Save;
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QStringLiteral("DAT"));
    dialog.setNameFilters({QStringLiteral("List files (*.DAT *.dat)"), QStringLiteral("All files (*)")});
    if (const QString folder = lastListFolder(); !folder.isEmpty())
        dialog.setDirectory(folder);
    // Overwrite confirmation is on unless DontConfirmOverwrite is set.
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    const QString chosen = dialog.selectedFiles().front();
    setLastListFolder(QFileInfo(chosen).absolutePath());
    return chosen;
}

} // namespace varnu
