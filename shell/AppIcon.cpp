#include "shell/AppIcon.h"

#include <QString>

namespace varnu {

// resources/ compiles the SVG in; Qt's SVG plugins (Debian package libqt6svg6) draw it sharp at
// every size.
QIcon makeAppIcon() {
    return QIcon(QStringLiteral(":/icons/varnu.svg"));
}

} // namespace varnu
