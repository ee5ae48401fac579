#include "shell/CAboutBox.h"

#include <QAbstractButton>

#include "resources/ControlTable.h"
#include "resources/ResourceIds.h"
#include "shell/DialogBuilder.h"

namespace varnu {

CAboutBox::CAboutBox(const QIcon& icon, QWidget* parent) : QDialog(parent) {
    const DialogSpec& spec = aboutBoxSpec();
    setWindowTitle(captionText(spec.title));
    setWindowIcon(icon);
    const DialogUnits units(font());
    const BuiltDialog built = buildDialogControls(this, spec, units, icon);
    setFixedSize(units.toX(spec.width), units.toY(spec.height));
    auto* ok = static_cast<QAbstractButton*>(built.byId.at(ids::kClose));
    connect(ok, &QAbstractButton::clicked, this, &QDialog::accept);
}

} // namespace varnu
