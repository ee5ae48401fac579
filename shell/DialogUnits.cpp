#include "shell/DialogUnits.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QStringList>
#include <cmath>

namespace varnu {
namespace {

constexpr int kWindowFontPoints = 10;
// The sample the average character width is taken over (what the dialog manager measures).
constexpr char kWidthSample[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

} // namespace

DialogUnits::DialogUnits(const QFont& font) {
    const QFontMetricsF metrics(font);
    const QString sample = QString::fromLatin1(kWidthSample);
    charWidth = metrics.horizontalAdvance(sample) / sample.size();
    charHeight = metrics.height();
}

int DialogUnits::toX(int units) const {
    return static_cast<int>(std::lround(units * charWidth / 4.0));
}
int DialogUnits::toY(int units) const {
    return static_cast<int>(std::lround(units * charHeight / 8.0));
}

QRect DialogUnits::toPixels(const DialogRect& rect) const {
    const int left = toX(rect.x);
    const int top = toY(rect.y);
    // Convert both edges so that neighbouring controls stay aligned after rounding.
    return QRect(QPoint(left, top), QPoint(toX(rect.x + rect.width) - 1, toY(rect.y + rect.height) - 1));
}

QFont windowFont() {
    // The Japanese Gothic faces (with the full-width punctuation) where installed.
    QFont font;
    font.setFamilies(QStringList() << QStringLiteral("MS Gothic") << QStringLiteral("IPAGothic")
                                   << QStringLiteral("DejaVu Sans Mono"));
    font.setPointSize(kWindowFontPoints);
    font.setStyleHint(QFont::TypeWriter);
    if (!QFontInfo(font).fixedPitch()) {
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        font.setPointSize(kWindowFontPoints);
    }
    return font;
}

} // namespace varnu
