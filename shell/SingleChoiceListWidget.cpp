#include "shell/SingleChoiceListWidget.h"

namespace varnu {

SingleChoiceListWidget::SingleChoiceListWidget(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
}

QItemSelectionModel::SelectionFlags SingleChoiceListWidget::selectionCommand(const QModelIndex& index,
                                                                             const QEvent* event) const {
    if (!index.isValid())
        return QItemSelectionModel::NoUpdate; // the empty area: nothing to choose
    const QItemSelectionModel::SelectionFlags command = QListWidget::selectionCommand(index, event);
    // Deselecting or toggling the one selected item would leave none: choose it again instead.
    if (command & (QItemSelectionModel::Deselect | QItemSelectionModel::Toggle))
        return QItemSelectionModel::ClearAndSelect;
    return command;
}

} // namespace varnu
