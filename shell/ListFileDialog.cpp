#include "shell/ListFileDialog.h"

#include <QFileDialog>

namespace varnu {

QString runListFileDialog(ListFileDialog kind, QWidget* parent) {
    QFileDialog dialog(parent);
    const bool save = kind == ListFileDialog::Save;
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QStringLiteral("DAT"));
    // Overwrite confirmation is on unless DontConfirmOverwrite is set.
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().front();
}

} // namespace varnu
