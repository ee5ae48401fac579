#include "shell/CAboutBox.h"

#include <QAbstractButton>

#include "resources/ControlTable.h"
#include "resources/ResourceIds.h"
#include "shell/DialogBuilder.h"

namespace varnu {

CAboutBox::CAboutBox(const QIcon& icon, QWidget* parent) : QDialog(parent) {
    const DialogSpec& dialog = aboutBoxSpec();
    setWindowTitle(captionText(dialog.title));
    setWindowIcon(icon);
    const DialogUnits units(font());
    const BuiltDialog built = buildDialogControls(this, dialog, units, icon);
    setFixedSize(units.toX(dialog.width), units.toY(dialog.height));
    auto* ok = static_cast<QAbstractButton*>(built.byId.at(ids::kClose));
    connect(ok, &QAbstractButton::clicked, this, &QDialog::accept);
}

} // namespace varnu
