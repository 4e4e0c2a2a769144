#include "ui/plot/plot_canvas.h"

#include <QPen>
#include <QString>
#include <cmath>
#include <cstdlib>

namespace ondela {

PlotCanvas::PlotCanvas(QImage& image, const QFont& font) : m_painter(&image), m_metrics(font) {
    m_painter.setRenderHint(QPainter::Antialiasing, false);
    m_painter.setRenderHint(QPainter::TextAntialiasing, false);
    m_painter.setFont(font);
    m_painter.setBrush(Qt::NoBrush);
    ApplyPen(m_pen);
}

PlotCanvas::~PlotCanvas() {
    Flush();
}

void PlotCanvas::Flush() {
    if (m_pending.empty()) return;
    m_painter.drawLines(m_pending.data(), static_cast<int>(m_pending.size()));
    m_pending.clear();
}

void PlotCanvas::ApplyPen(QColor color) {
    // A cosmetic 1-pixel pen with square caps covers both end points of a line; LineTo stops one
    // pixel short to leave the end point out.
    Flush();
    QPen pen(color, 1);
    pen.setCosmetic(true);
    pen.setCapStyle(Qt::SquareCap);
    m_painter.setPen(pen);
}

QColor PlotCanvas::SelectPen(QColor pen) {
    const QColor previous = m_pen;
    m_pen = pen;
    ApplyPen(pen);
    return previous;
}

void PlotCanvas::LineTo(int x, int y) {
    const QPoint start = m_position;
    m_position = QPoint(x, y);
    const long long dx = static_cast<long long>(x) - start.x();
    const long long dy = static_cast<long long>(y) - start.y();
    const long long steps = std::max(std::llabs(dx), std::llabs(dy));
    if (steps == 0) return;  // a line to its own start point draws nothing
    if (steps == 1) {
        m_pending.emplace_back(start, start);
        return;
    }
    // The last pixel drawn is one step back from the end along the longer axis.
    const auto back = [steps](long long d) {
        return static_cast<int>(std::llround(static_cast<double>(d) * (steps - 1) / steps));
    };
    m_pending.emplace_back(start, QPoint(start.x() + back(dx), start.y() + back(dy)));
}

void PlotCanvas::Rectangle(int left, int top, int right, int bottom, QColor fill) {
    if (right <= left || bottom <= top) return;
    Flush();
    m_painter.setBrush(fill);
    // QPainter's outline lies on the rectangle's last row and column as well, so a rectangle one
    // pixel smaller in each direction covers exactly the area.
    m_painter.drawRect(left, top, right - left - 1, bottom - top - 1);
    m_painter.setBrush(Qt::NoBrush);
}

void PlotCanvas::TextOut(int x, int y, const std::string& text) {
    const QString qtext = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
    const int width = m_metrics.horizontalAdvance(qtext);
    int left = x;
    if (m_anchor == TextAnchor::BaselineCenter) left = x - width / 2;
    if (m_anchor == TextAnchor::BaselineRight) left = x - width;
    Flush();
    m_painter.setPen(m_textColor);
    m_painter.drawText(QPoint(left, y), qtext);
    ApplyPen(m_pen);
}

}  // namespace ondela
