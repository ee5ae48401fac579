#pragma once
// A list box whose horizontal scrolling reaches as far as a width it is told (its horizontal
// extent), not as far as its widest item: the Transmit List decides its own extent.

#include "shell/SingleChoiceListWidget.h"

namespace varnu {

class ExtentListWidget : public SingleChoiceListWidget {
public:
    explicit ExtentListWidget(QWidget* parent = nullptr);

    // 0 takes horizontal scrolling away; a width beyond the visible item area scrolls to it.
    void setHorizontalExtent(int pixels);
    int horizontalExtent() const { return extent; }

private:
    int extent = 0;
};

} // namespace varnu
