#include "shell/AppIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace varnu {
namespace {

constexpr int kIconSizes[] = {16, 24, 32, 48, 64, 128};

QPixmap drawIcon(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 64.0, size / 64.0);

    // The beam, widening from the lens to the upper right.
    QPainterPath beam;
    beam.moveTo(22, 30);
    beam.lineTo(62, 4);
    beam.lineTo(62, 30);
    beam.closeSubpath();
    painter.fillPath(beam, QColor(255, 214, 64, 200));

    // The body.
    painter.setPen(QPen(QColor(20, 30, 60), 2));
    painter.setBrush(QColor(50, 80, 150));
    painter.drawRoundedRect(QRectF(4, 24, 52, 28), 6, 6);
    // Feet.
    painter.setBrush(QColor(20, 30, 60));
    painter.drawRect(QRectF(10, 52, 8, 5));
    painter.drawRect(QRectF(42, 52, 8, 5));
    // The lens.
    painter.setBrush(QColor(220, 235, 255));
    painter.drawEllipse(QPointF(22, 38), 10, 10);
    painter.setBrush(QColor(90, 140, 220));
    painter.drawEllipse(QPointF(22, 38), 5, 5);
    // Status lamp.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(90, 220, 90));
    painter.drawEllipse(QPointF(46, 32), 3, 3);
    return pixmap;
}

} // namespace

QIcon makeAppIcon() {
    QIcon icon;
    for (int size : kIconSizes)
        icon.addPixmap(drawIcon(size));
    return icon;
}

} // namespace varnu
