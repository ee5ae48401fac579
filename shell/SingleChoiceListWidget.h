#pragma once
// A single-selection list box that the user cannot empty: a click on the empty area below the
// items, Ctrl+click on the selected item and Ctrl+Space leave the selection as it is. Only the
// program clears it (an empty list, an Open). The Function list relies on it: every field and
// Add need a function.

#include <QListWidget>

namespace varnu {

class SingleChoiceListWidget : public QListWidget {
public:
    explicit SingleChoiceListWidget(QWidget* parent = nullptr);

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event = nullptr) const override;
};

} // namespace varnu
