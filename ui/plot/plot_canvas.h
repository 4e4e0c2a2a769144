// The drawing surface of one plot while it is painted: a QPainter over an off-screen image,
// with the pixel conventions the plot geometry is laid out for.
//   - A line is drawn from its start point up to, not including, its end point, with a
//     1-pixel pen and no antialiasing; the end point becomes the current position, so a
//     polyline of LineTo calls draws every joint exactly once.
//   - A rectangle is its outline in the current pen plus its interior filled, covering exactly
//     right - left by bottom - top pixels.
//   - Text is anchored on its baseline, at its left end, its centre or its right end.
// The current pen is selected and handed back as with a device context, so that a drawing
// routine can restore the pen it found.
#pragma once

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QLine>
#include <QPainter>
#include <QPoint>
#include <string>
#include <vector>

namespace ondela {

enum class TextAnchor { BaselineLeft, BaselineCenter, BaselineRight };

class PlotCanvas {
  public:
    PlotCanvas(QImage& image, const QFont& font);
    ~PlotCanvas();
    PlotCanvas(const PlotCanvas&) = delete;
    PlotCanvas& operator=(const PlotCanvas&) = delete;

    // Makes pen the current pen; returns the one it replaces.
    QColor SelectPen(QColor pen);
    QColor Pen() const { return m_pen; }

    void MoveTo(int x, int y) { m_position = QPoint(x, y); }
    // From the current position to (x, y), the end point left out.
    void LineTo(int x, int y);
    void Line(int x0, int y0, int x1, int y1) {
        MoveTo(x0, y0);
        LineTo(x1, y1);
    }
    // Outline in the current pen and interior in fill, covering left .. right - 1 and
    // top .. bottom - 1.
    void Rectangle(int left, int top, int right, int bottom, QColor fill);

    void SetTextColor(QColor color) { m_textColor = color; }
    void SetTextAnchor(TextAnchor anchor) { m_anchor = anchor; }
    // Writes text with its anchor at (x, y).
    void TextOut(int x, int y, const std::string& text);

  private:
    void ApplyPen(QColor color);
    // Draws the segments collected since the last pen change or other drawing.
    void Flush();

    QPainter m_painter;
    QFontMetrics m_metrics;
    QColor m_pen = Qt::black;
    QColor m_textColor = Qt::black;
    TextAnchor m_anchor = TextAnchor::BaselineLeft;
    QPoint m_position;
    // Segments of the current pen not drawn yet, each with both end points covered (a single
    // pixel when they coincide). One call draws them all: a cosmetic 1-pixel pen sets each
    // segment's pixels on its own, so the picture is the one separate calls would give.
    std::vector<QLine> m_pending;
};

}  // namespace ondela
