#pragma once
// The application icon: a projector body with its lens and a light beam, drawn at every size.

#include <QIcon>

namespace varnu {

QIcon makeAppIcon();

} // namespace varnu
