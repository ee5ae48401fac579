#include "shell/ExtentListWidget.h"

#include <QStyledItemDelegate>
#include <algorithm>

namespace varnu {
namespace {

// Every item is as wide as the extent, so the view's own scrolling reaches exactly that far
// (overriding the scroll range instead would fight the view over the scroll bar's visibility).
class ExtentDelegate : public QStyledItemDelegate {
public:
    ExtentDelegate(const int& extent, QObject* parent) : QStyledItemDelegate(parent), extent(extent) {}

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setWidth(extent);
        return size;
    }

private:
    const int& extent;
};

} // namespace

ExtentListWidget::ExtentListWidget(QWidget* parent) : SingleChoiceListWidget(parent) {
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setTextElideMode(Qt::ElideNone); // an entry is shown whole, scrolled or not
    setItemDelegate(new ExtentDelegate(extent, this));
}

void ExtentListWidget::setHorizontalExtent(int pixels) {
    pixels = std::max(pixels, 0);
    if (pixels == extent)
        return;
    extent = pixels;
    doItemsLayout();
}

} // namespace varnu
