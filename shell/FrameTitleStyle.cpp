#include "shell/FrameTitleStyle.h"

#include <QApplication>
#include <QStyleFactory>
#include <QStyleOptionGroupBox>

namespace varnu {
namespace {

constexpr int kTitleMarginPixels = 2;

} // namespace

QRect FrameTitleStyle::subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl part,
                                      const QWidget* widget) const {
    QRect rect = QProxyStyle::subControlRect(control, option, part, widget);
    if (control != CC_GroupBox || part != SC_GroupBoxLabel)
        return rect;
    if (const auto* frame = qstyleoption_cast<const QStyleOptionGroupBox*>(option)) {
        const int needed = frame->fontMetrics.horizontalAdvance(frame->text) + kTitleMarginPixels;
        if (rect.width() < needed)
            rect.setWidth(needed);
    }
    return rect;
}

QStyle* frameTitleStyle() {
    // Built on the application's style; parented to the application so that it goes with it.
    static FrameTitleStyle* style = [] {
        auto* made = new FrameTitleStyle(QStyleFactory::create(QApplication::style()->name()));
        made->setParent(qApp);
        return made;
    }();
    return style;
}

} // namespace varnu
