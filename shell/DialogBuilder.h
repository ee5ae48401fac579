#pragma once
// Builds a dialog's controls from its table: one widget per row, placed in dialog units,
// created in table order (so the tab order follows it), labels' mnemonics moving the focus
// to the control that follows them, and radio buttons grouped as the table's groups say.

#include <QIcon>
#include <map>
#include <vector>

#include "resources/ControlTable.h"
#include "shell/DialogUnits.h"

class QButtonGroup;
class QWidget;

namespace varnu {

struct BuiltDialog {
    std::map<int, QWidget*> byId;             // controls that have an id
    std::map<int, QButtonGroup*> radioGroups; // keyed by the id of the group's first button
};

BuiltDialog buildDialogControls(QWidget* parent, const DialogSpec& dialog, const DialogUnits& units, const QIcon& icon);

// Turns a resource caption ("Add(&A)") into the widget's text; the "&" already is Qt's mnemonic.
QString captionText(std::string_view caption);

} // namespace varnu
