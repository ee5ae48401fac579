#pragma once
// Dialog units: the window's layout is given in units of a quarter of the font's average
// character width and an eighth of its height, so the controls scale with the font.

#include <QFont>
#include <QRect>

#include "resources/ControlTable.h"

namespace varnu {

class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);
    DialogUnits(double charWidth, double charHeight) : charWidth(charWidth), charHeight(charHeight) {}

    int toX(int units) const;
    int toY(int units) const;
    QRect toPixels(const DialogRect& rect) const;

private:
    double charWidth;
    double charHeight;
};

// The main window's font: a 10-point fixed-pitch face, DejaVu Sans Mono where installed.
QFont windowFont();

} // namespace varnu
