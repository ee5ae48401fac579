#pragma once
// The style of the group frames: the platform style sizes a frame's title by the ink of its
// glyphs, which cuts off a trailing full-width colon ("Data：", whose dots stand in the middle
// of a wide cell). This style gives the title its full advance width.

#include <QProxyStyle>

namespace varnu {

class FrameTitleStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl part,
                         const QWidget* widget) const override;
};

// The one instance the frames of the application share (a style is not owned by its widgets).
QStyle* frameTitleStyle();

} // namespace varnu
