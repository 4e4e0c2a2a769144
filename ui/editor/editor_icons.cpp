#include "ui/editor/editor_icons.h"

#include <QPainter>
#include <QPainterPath>

namespace ondela {

namespace {

const QColor kInk(40, 48, 60);
const QColor kPaper(250, 250, 246);
const QColor kSteel(150, 160, 176);
const QColor kBoard(176, 124, 64);

// A sheet of paper with a folded corner and a few lines of text, in a 16 x 16 grid.
void Sheet(QPainter& p, const QRectF& r) {
    QPainterPath sheet;
    const qreal fold = 3.0;
    sheet.moveTo(r.left(), r.top());
    sheet.lineTo(r.right() - fold, r.top());
    sheet.lineTo(r.right(), r.top() + fold);
    sheet.lineTo(r.right(), r.bottom());
    sheet.lineTo(r.left(), r.bottom());
    sheet.closeSubpath();
    p.setPen(QPen(kInk, 1.0));
    p.setBrush(kPaper);
    p.drawPath(sheet);
    p.setPen(QPen(kSteel, 1.0));
    for (qreal y = r.top() + 3.0; y < r.bottom() - 1.0; y += 2.0) {
        p.drawLine(QPointF(r.left() + 2.0, y), QPointF(r.right() - 2.0, y));
    }
}

void Cut(QPainter& p) {
    // Two blades crossing above two finger rings.
    p.setPen(QPen(kSteel.darker(130), 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(4.5, 1.5), QPointF(10.0, 10.0));
    p.drawLine(QPointF(11.5, 1.5), QPointF(6.0, 10.0));
    p.setPen(QPen(kInk, 1.4));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(4.5, 12.0), 2.5, 2.5);
    p.drawEllipse(QPointF(11.5, 12.0), 2.5, 2.5);
}

void Copy(QPainter& p) {
    Sheet(p, QRectF(1.5, 1.5, 8.5, 10.0));
    Sheet(p, QRectF(6.0, 4.5, 8.5, 10.0));
}

void Paste(QPainter& p) {
    // A clipboard with its clip and a sheet on it.
    p.setPen(QPen(kBoard.darker(160), 1.0));
    p.setBrush(kBoard);
    p.drawRoundedRect(QRectF(1.5, 2.5, 10.0, 12.0), 1.0, 1.0);
    p.setBrush(kSteel);
    p.drawRect(QRectF(4.0, 1.0, 5.0, 3.0));
    Sheet(p, QRectF(6.5, 5.5, 8.0, 9.0));
}

void Print(QPainter& p) {
    // The sheet coming out of a printer.
    Sheet(p, QRectF(4.0, 1.0, 8.0, 6.0));
    p.setPen(QPen(kInk, 1.0));
    p.setBrush(kSteel);
    p.drawRoundedRect(QRectF(1.0, 6.5, 14.0, 6.0), 1.5, 1.5);
    p.setBrush(kPaper);
    p.drawRect(QRectF(4.0, 10.5, 8.0, 4.5));
    p.setPen(QPen(QColor(60, 170, 80), 1.2));
    p.drawPoint(QPointF(12.8, 8.5));
}

}  // namespace

QString EditorIconName(EditorIcon icon) {
    switch (icon) {
        case EditorIcon::Cut:
            return QStringLiteral("edit-cut");
        case EditorIcon::Copy:
            return QStringLiteral("edit-copy");
        case EditorIcon::Paste:
            return QStringLiteral("edit-paste");
        case EditorIcon::Print:
            return QStringLiteral("document-print");
    }
    return {};
}

QImage PaintEditorIcon(EditorIcon icon, int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.scale(size / 16.0, size / 16.0);
    switch (icon) {
        case EditorIcon::Cut:
            Cut(p);
            break;
        case EditorIcon::Copy:
            Copy(p);
            break;
        case EditorIcon::Paste:
            Paste(p);
            break;
        case EditorIcon::Print:
            Print(p);
            break;
    }
    return image;
}

QIcon LoadEditorIcon(EditorIcon icon) {
    const QString name = EditorIconName(icon);
    if (QIcon::hasThemeIcon(name)) return QIcon::fromTheme(name);
    QIcon shipped;
    for (int size : kEditorIconSizes) {
        shipped.addFile(QStringLiteral(":/editor/icons/%1-%2.png").arg(name).arg(size),
                        QSize(size, size));
    }
    return shipped;
}

}  // namespace ondela
