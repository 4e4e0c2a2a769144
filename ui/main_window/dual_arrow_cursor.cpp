#include "ui/main_window/dual_arrow_cursor.h"

#include <QBitmap>
#include <QPainter>
#include <QPolygon>

namespace ondela {

namespace {

// Draws the shape in colour c: the bitmap draws it in black, the mask in white with a one-pixel
// rim, so the pointer stays visible on dark and light backgrounds.
void DrawShape(QPainter& p, const QColor& c, int rim) {
    const int h = kDualArrowHotSpot;
    p.setPen(QPen(c, 1 + 2 * rim));
    p.setBrush(c);
    p.drawLine(h, 4 - rim, h, 26 + rim);
    p.drawLine(h - 9, h, h + 9, h);
    const QPolygon left({QPoint(h - 12, h), QPoint(h - 6, h - 6), QPoint(h - 6, h + 6)});
    const QPolygon right({QPoint(h + 12, h), QPoint(h + 6, h - 6), QPoint(h + 6, h + 6)});
    p.drawPolygon(left);
    p.drawPolygon(right);
}

}  // namespace

QCursor DualArrowCursor() {
    QBitmap shape(kDualArrowSize, kDualArrowSize);
    QBitmap mask(kDualArrowSize, kDualArrowSize);
    shape.fill(Qt::color0);
    mask.fill(Qt::color0);
    {
        QPainter p(&shape);
        DrawShape(p, Qt::color1, 0);
    }
    {
        QPainter p(&mask);
        DrawShape(p, Qt::color1, 1);
    }
    return QCursor(shape, mask, kDualArrowHotSpot, kDualArrowHotSpot);
}

}  // namespace ondela
