#include "app/about/ondela_icon.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace ondela {

QImage PaintOndelaIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.scale(size / 32.0, size / 32.0);  // drawn on a 32 x 32 grid

    QLinearGradient tile(0, 0, 0, 32);
    tile.setColorAt(0, QColor(48, 104, 176));
    tile.setColorAt(1, QColor(20, 52, 104));
    p.setPen(QPen(QColor(14, 36, 72), 1.0));
    p.setBrush(tile);
    p.drawRoundedRect(QRectF(1, 1, 30, 30), 5, 5);

    // Axes of the plot.
    p.setPen(QPen(QColor(255, 255, 255, 130), 1.0, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(5.5, 5), QPointF(5.5, 26.5));
    p.drawLine(QPointF(5.5, 26.5), QPointF(28, 26.5));

    // The response: pass band with a little ripple, the transition, then decaying side lobes.
    QPainterPath curve;
    curve.moveTo(6, 9);
    curve.cubicTo(8, 8.2, 9.5, 9.8, 11.5, 9);
    curve.cubicTo(13, 8.4, 14.5, 8.6, 15.5, 10.5);
    curve.cubicTo(16.5, 13, 17.2, 19, 18, 24.5);
    curve.quadTo(19.3, 18.5, 20.6, 24.5);
    curve.quadTo(21.9, 19.5, 23.2, 24.5);
    curve.quadTo(24.5, 20.5, 25.8, 24.5);
    curve.quadTo(26.9, 21.5, 28, 24.5);
    p.setPen(QPen(QColor(255, 196, 48), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(curve);
    p.end();
    return image;
}

QIcon OndelaIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(QPixmap::fromImage(PaintOndelaIcon(size)));
    return icon;
}

}  // namespace ondela
