#include "shell/AppIcon.h"

#include <QString>

// Q_INIT_RESOURCE declares the resource's initialiser where it is used, so it stays outside the
// namespace. The resource sits in a static library, where the linker would otherwise drop it.
static void initIconResource() {
    Q_INIT_RESOURCE(varnu);
}

namespace varnu {

// Qt's SVG plugins (Debian package libqt6svg6) draw it sharp at every size.
QIcon makeAppIcon() {
    initIconResource();
    return QIcon(QStringLiteral(":/icons/varnu.svg"));
}

} // namespace varnu
