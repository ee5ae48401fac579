#pragma once
// The application icon: a projector body with its lens and a light beam, from the SVG file that
// is also installed for the desktop.

#include <QIcon>

namespace varnu {

QIcon makeAppIcon();

} // namespace varnu
