#include "ui/plot/response_plot.h"

#include <QFontMetricsF>
#include <algorithm>
#include <cmath>

#include "engine/filter_spec.h"
#include "engine/response.h"
#include "numbers/number_text.h"
#include "ui/plot/plot_canvas.h"
#include "ui/plot/plot_geometry.h"
#include "ui/plot/plot_text.h"
#include "workspace/display_numbers.h"
#include "workspace/filter_workspace.h"
#include "workspace/main_window_port.h"

namespace ondela {
namespace {

constexpr double kSmallestFs = 2.5e-16;        // below this sampling frequency nothing is drawn
constexpr double kHighestFraction = 0.999999;  // of the Nyquist frequency, the last one drawn
constexpr int kLabelHeight = 14;
constexpr double kLabelWidth = 6.0;

// The curve's columns as fractions of the Nyquist frequency, from the left axis up to the last
// column below the Nyquist frequency; frequencyOf(i) is the frequency column i shows.
template <typename FrequencyOf>
void CollectCurveColumns(int columns, double nyquist, double half, FrequencyOf frequencyOf,
                         std::vector<double>& out) {
    out.clear();
    for (int i = 0; i < columns; ++i) {
        const double f = frequencyOf(i);
        if (f > nyquist) break;
        const double r = f / half;
        if (r > kHighestFraction) break;
        out.push_back(r);
    }
}

QFont MakeLabelFont() {
    QFont font(QStringLiteral("Courier New"));
    font.setPixelSize(kLabelHeight);
    font.setFixedPitch(true);
    font.setStyleHint(QFont::TypeWriter);
    font.setWeight(QFont::Thin);
    font.setStyleStrategy(QFont::NoAntialias);
    // A substitute face is usually wider than 6 pixels at this height: narrow it to 6.
    const double natural = QFontMetricsF(font).horizontalAdvance(QLatin1Char('0'));
    if (natural > 0.0) {
        font.setStretch(
            std::clamp(static_cast<int>(std::lround(100.0 * kLabelWidth / natural)), 1, 4000));
    }
    return font;
}

}  // namespace

ResponsePlot::ResponsePlot(FilterWorkspace& ws)
    : m_ws(ws),
      m_data(ws),
      m_shown(ws.m_view),
      m_labelFont(MakeLabelFont()),
      m_evaluated(kCoefArraySize, 0.0) {}

ResponsePlot::~ResponsePlot() = default;

void ResponsePlot::SetPlotAreas(QSize response, QSize coefs) {
    m_respArea = response;
    m_coefArea = coefs;
}

bool ResponsePlot::PrepareSurface(QSize area, QImage& image) {
    if (area.isEmpty()) return false;
    if (image.size() != area) image = QImage(area, QImage::Format_RGB32);
    return !image.isNull();  // a failed image is tried again at the next paint
}

void ResponsePlot::PaintPlots(bool curvesShown) {
    PrepareView(curvesShown);
    DrawPlots();
}

// The steps of a paint that change the view, in the order the drawing depends on them.
void ResponsePlot::PrepareView(bool curvesShown) {
    m_plan = PaintPlan{};
    m_plan.response = PrepareSurface(m_respArea, m_respImage);
    const int w = m_respArea.width();
    const int h = m_respArea.height();
    if (m_plan.response && w >= kMinPlotWidth && h >= kMinPlotHeight) {
        const ViewState& view = m_ws.m_view;
        const LevelScale level = MakeLevelScale(DivideRows(h).size, view.dbTop, view.dbBottom);
        if (view.logScale) {
            PrepareLogView(curvesShown, level);
        } else {
            PrepareLinearView(curvesShown, DivideColumns(w).size, level);
        }
    }
    m_plan.coefs = PrepareSurface(m_coefArea, m_coefImage);
    m_plan.coefCurve = curvesShown && m_ws.m_view.nyquist > 0.0 && m_ws.Current().valid;
}

// The logarithmic frame pulls its upper limit back to the rate for the next paint (this one's
// frame still shows the range it started with) and sets its lower limit from the upper one it
// shows; the curve takes the Nyquist frequency of the filter, sets the lower limit from the
// upper one again and raises the cursor to it.
void ResponsePlot::PrepareLogView(bool curvesShown, const LevelScale& level) {
    ViewState& view = m_ws.m_view;
    m_plan.frameLogFMax = view.logFMax;
    m_ws.FitDisplayLimits();
    const double fmin = ViewState::LogMinFor(m_plan.frameLogFMax);
    if (view.logFMin != fmin) {
        view.logFMin = fmin;
        if (m_ws.m_mainWindow) m_ws.m_mainWindow->ShowFreqMin(fmin);
    }
    if (!(curvesShown && view.nyquist > 0.0 && view.logFMax > 0.0 &&
          ResponsePreamble(m_plan.n, m_plan.half) && view.logFMin < view.logFMax)) {
        return;
    }
    m_plan.responseCurve = true;
    m_plan.curveLogFMin = ViewState::LogMinFor(view.logFMax);
    if (view.FollowLogMax() && m_ws.m_mainWindow) {
        m_ws.m_mainWindow->ShowFreqMin(m_plan.curveLogFMin);
    }
    if (m_plan.curveLogFMin > m_cursorHz) {
        m_cursorHz = m_plan.curveLogFMin;
        view.cursorHz = m_plan.curveLogFMin;
    }
    double db;
    if (LogCursorShown(level, db)) NoteDrawnCursor();
}

// The linear curve takes the Nyquist frequency of the filter.
void ResponsePlot::PrepareLinearView(bool curvesShown, int gridWidth, const LevelScale& level) {
    const ViewState& view = m_ws.m_view;
    if (!(curvesShown && view.nyquist > 0.0 && view.linFMax > 0.0 &&
          ResponsePreamble(m_plan.n, m_plan.half) && !(view.linFMax <= view.linFMin))) {
        return;
    }
    m_plan.responseCurve = true;
    double db;
    if (LinearCursorShown(gridWidth, level, db)) NoteDrawnCursor();
}

void ResponsePlot::NoteDrawnCursor() {
    if (m_ws.m_view.cursorHz != m_cursorHz) m_ws.m_view.cursorHz = m_cursorHz;
}

void ResponsePlot::DrawPlots() {
    if (m_plan.response) {
        m_respWidth = m_respArea.width();
        m_respHeight = m_respArea.height();
        PlotCanvas canvas(m_respImage, m_labelFont);
        m_canvas = &canvas;
        if (m_respWidth < kMinPlotWidth || m_respHeight < kMinPlotHeight) {
            DrawOutline(m_respWidth, m_respHeight);  // too small for a grid
        } else if (m_shown.logScale) {
            DrawLogFrame();
            if (m_plan.responseCurve) DrawLogResponse();
        } else {
            DrawLinearFrame();
            if (m_plan.responseCurve) DrawLinearResponse();
        }
        m_canvas = nullptr;
    }
    if (m_plan.coefs) {
        m_coefWidth = m_coefArea.width();
        m_coefHeight = m_coefArea.height();
        PlotCanvas canvas(m_coefImage, m_labelFont);
        m_canvas = &canvas;
        if (m_coefWidth < kMinPlotWidth || m_coefHeight < kMinPlotHeight) {
            DrawOutline(m_coefWidth, m_coefHeight);
        } else {
            DrawCoefFrame();
            if (m_plan.coefCurve) DrawCoefCurve();
        }
        m_canvas = nullptr;
    }
}

// ---- frame elements ----

void ResponsePlot::DrawOutline(int width, int height) {
    m_canvas->SelectPen(kOutlinePen);
    m_canvas->Rectangle(0, 0, width, height, kBackground);
}

void ResponsePlot::DrawBottomAxis(int width, int height) {
    PlotCanvas& c = *m_canvas;
    c.SelectPen(kAxisPen);
    const int y = height - kAxisHeight;
    c.Line(kAxisX, y, width - 4, y);
    c.Line(width - 10, y + 2, width - 8, y + 2);
    c.Line(width - 10, y + 1, width - 6, y + 1);
    c.Line(width - 10, y - 1, width - 6, y - 1);
    c.Line(width - 10, y - 2, width - 8, y - 2);
}

void ResponsePlot::DrawLeftAxis(int height) {
    PlotCanvas& c = *m_canvas;
    c.SelectPen(kAxisPen);
    c.Line(kAxisX, height - kAxisHeight, kAxisX, 4);
    c.Line(38, 10, 38, 8);
    c.Line(39, 10, 39, 6);
    c.Line(41, 10, 41, 6);
    c.Line(42, 10, 42, 8);
}

void ResponsePlot::DrawRowTicks(int height) {
    PlotCanvas& c = *m_canvas;
    c.SelectPen(kAxisPen);
    const GridDivision rows = DivideRows(height);
    for (int j = 0; j <= rows.steps; ++j) {
        const int y = height - (kAxisHeight + j * rows.step);
        c.Line(39, y, j % 5 == 0 ? 34 : 37, y);
    }
}

// The white minor rows.
void ResponsePlot::DrawMinorRows(int width, int height) {
    PlotCanvas& c = *m_canvas;
    const GridDivision rows = DivideRows(height);
    c.SelectPen(kMinorGridPen);
    for (int j = 0; j <= rows.steps; ++j) {
        if (j % 5 == 0) continue;
        const int y = height - (kAxisHeight + j * rows.step);
        c.Line(41, y, width - 20, y);
    }
}

// The major rows in the major-grid pen (the bottom row only when asked), counted into
// m_majorYCount.
void ResponsePlot::DrawMajorRows(int width, int height, bool withBottomRow) {
    PlotCanvas& c = *m_canvas;
    const GridDivision rows = DivideRows(height);
    c.SelectPen(kMajorGridPen);
    m_majorYCount = 0;
    for (int j = withBottomRow ? 0 : 5; j <= rows.steps; j += 5) {
        const int y = height - (kAxisHeight + j * rows.step);
        c.Line(41, y, width - 20, y);
        ++m_majorYCount;
    }
}

// ---- frames ----

void ResponsePlot::DrawLinearFrame() {
    PlotCanvas& c = *m_canvas;
    const int w = m_respWidth;
    const int h = m_respHeight;
    DrawOutline(w, h);
    const GridDivision columns = DivideColumns(w);
    m_stepX = columns.step;
    m_gridWidth = columns.size;
    DrawBottomAxis(w, h);
    for (int i = 0; i <= columns.steps; ++i) {
        const int x = kAxisX + i * columns.step;
        c.Line(x, h - 17, x, i % 5 == 0 ? h - 12 : h - 15);
    }
    m_gridHeight = DivideRows(h).size;
    DrawLeftAxis(h);
    DrawRowTicks(h);

    c.SelectPen(kMinorGridPen);
    for (int i = 0; i <= columns.steps; ++i) {
        if (i % 5 == 0) continue;
        const int x = kAxisX + i * columns.step;
        c.Line(x, h - 19, x, 15);
    }
    DrawMinorRows(w, h);
    c.SelectPen(kMajorGridPen);
    m_majorXCount = 0;
    for (int i = 5; i <= columns.steps; i += 5) {
        const int x = kAxisX + i * columns.step;
        c.Line(x, h - 19, x, 15);
        ++m_majorXCount;
    }
    DrawMajorRows(w, h, false);
    LabelLinearAxis();
    LabelLevelAxis(m_shown.dbBottom, m_shown.dbTop);
}

void ResponsePlot::DrawLogFrame() {
    PlotCanvas& c = *m_canvas;
    const int w = m_respWidth;
    const int h = m_respHeight;
    DrawOutline(w, h);
    const GridDivision columns = DivideColumns(w);
    m_stepX = columns.step;
    m_gridWidth = columns.size;
    m_gridHeight = DivideRows(h).size;

    const double fmax = m_plan.frameLogFMax;
    DrawBottomAxis(w, h);
    c.SetTextColor(kLabelText);
    c.SetTextAnchor(TextAnchor::BaselineCenter);
    const int top = h - kAxisHeight - m_gridHeight;
    const std::vector<LogTick> ticks = LogAxisTicks(w, fmax);
    for (const LogTick& t : ticks) {
        c.SelectPen(kAxisPen);
        c.Line(t.x, h - kAxisHeight, t.x, t.decade ? h - 12 : h - 15);
        if (!t.decade) {
            c.SelectPen(kMinorGridPen);
            c.Line(t.x, h - 19, t.x, top);
        }
        if (t.labelled) c.TextOut(t.x, h - 4, FormatCompact(t.value, 6));
    }

    DrawLeftAxis(h);
    DrawRowTicks(h);
    DrawMinorRows(w, h);
    c.SelectPen(kMajorGridPen);
    // The first decade lies on the left axis and gets no line.
    bool first = true;
    for (const LogTick& t : ticks) {
        if (!t.decade) continue;
        if (!first) c.Line(t.x, h - 19, t.x, top);
        first = false;
    }
    DrawMajorRows(w, h, false);
    LabelLevelAxis(m_shown.dbBottom, m_shown.dbTop);
}

void ResponsePlot::DrawCoefFrame() {
    PlotCanvas& c = *m_canvas;
    const int w = m_coefWidth;
    const int h = m_coefHeight;
    DrawOutline(w, h);
    const QColor previous = c.SelectPen(kAxisPen);
    const GridDivision rows = DivideRows(h);
    m_coefStepY = rows.step;
    m_gridHeight = rows.size;
    DrawLeftAxis(h);
    DrawRowTicks(h);
    m_gridWidth = DivideColumns(w).size;
    DrawMinorRows(w, h);
    DrawMajorRows(w, h, true);
    m_coefZeroOffset = rows.steps >= 5 ? 5 * rows.step : 20;

    c.SelectPen(kAxisPen);
    const int y0 = h - (m_coefZeroOffset + kAxisHeight);
    c.Line(kAxisX, y0, w - 4, y0);
    c.Line(w - 10, y0 + 2, w - 8, y0 + 2);
    c.Line(w - 10, y0 + 1, w - 6, y0 + 1);
    c.Line(w - 10, y0 - 1, w - 6, y0 - 1);
    c.Line(w - 10, y0 - 2, w - 8, y0 - 2);
    c.SelectPen(previous);
}

// ---- labels ----

void ResponsePlot::LabelLinearAxis() {
    PlotCanvas& c = *m_canvas;
    const int w = m_respWidth;
    const int h = m_respHeight;
    c.SetTextColor(kLabelText);
    c.SelectPen(kAxisPen);
    c.SetTextAnchor(TextAnchor::BaselineCenter);
    const GridDivision columns = DivideColumns(w);
    // The ticks are drawn again over the grid lines that ended on them.
    for (int i = 0; i <= columns.steps; ++i) {
        const int x = kAxisX + i * columns.step;
        c.Line(x, h - 17, x, i % 5 == 0 ? h - 12 : h - 15);
    }
    for (const AxisLabel& label :
         LinearAxisLabels(w, h, m_shown.linFMin, m_shown.linFMax, m_majorXCount)) {
        c.TextOut(label.x, label.y, label.text);
    }
}

void ResponsePlot::LabelLevelAxis(double bottom, double top) {
    PlotCanvas& c = *m_canvas;
    const int h = m_respHeight;
    c.SelectPen(kAxisPen);
    c.SetTextColor(kLabelText);
    c.SetTextAnchor(TextAnchor::BaselineRight);
    DrawRowTicks(h);
    for (const AxisLabel& label : LevelAxisLabels(h, bottom, top, m_majorYCount)) {
        c.TextOut(label.x, label.y, label.text);
    }
}

// ---- curves ----

bool ResponsePlot::ResponsePreamble(int& n, double& half) {
    const CurrentFilter& filter = m_ws.Current();
    if (!filter.valid) return false;
    n = filter.MeasuredCount();
    if (n <= 0) return false;
    n = std::min(n, kCoefArraySize);  // never past the coefficient array
    // The coefficients as the current format gives them, quantised once for the whole curve:
    // these values taken as they are give every magnitude exactly as the format does.
    const int format = filter.format;
    for (int k = 0; k < n; ++k) m_evaluated[k] = EvaluatedValue(filter.Tap(k), format);
    m_evaluatedFormat = format >= FLT64 && format <= INT16 ? FLT64 : format;
    const double fs = filter.achieved.fs;
    if (!(fs >= kSmallestFs)) return false;
    half = fs * 0.5;
    if (!(half >= kSmallestFs)) return false;
    m_ws.m_view.nyquist = half;
    // A level axis without height has no scale.
    return m_ws.m_view.dbTop > m_ws.m_view.dbBottom;
}

bool ResponsePlot::CursorLevelShown(const LevelScale& level, double& db) const {
    db = LevelAt(m_plan.n, m_cursorHz / m_plan.half);
    return level.Height(db) > kAxisHeight;
}

bool ResponsePlot::LinearCursorShown(int gridWidth, const LevelScale& level, double& db) const {
    const ViewState& view = m_ws.m_view;
    const double hzPerPixel = (view.linFMax - view.linFMin) / gridWidth;
    return hzPerPixel > 0.0 && m_cursorHz > 0.0 && m_cursorHz < view.nyquist &&
           m_cursorHz < view.linFMax && CursorLevelShown(level, db);
}

bool ResponsePlot::LogCursorShown(const LevelScale& level, double& db) const {
    const ViewState& view = m_ws.m_view;
    return m_cursorHz > 0.0 && m_cursorHz < view.nyquist && m_cursorHz < view.logFMax &&
           CursorLevelShown(level, db);
}

double ResponsePlot::LevelAt(int n, double r) const {
    return 20.0 * std::log10(MagnitudeAt(m_evaluated.data(), n, r, m_evaluatedFormat));
}

bool ResponsePlot::DrawCursor(double offset, const LevelScale& level) {
    PlotCanvas& c = *m_canvas;
    const int h = m_respHeight;
    c.SelectPen(kCursorPen);
    if (!CursorLevelShown(level, m_cursorDb)) return false;
    const int hc = level.Height(m_cursorDb);
    m_cursorY = hc;
    // Off the grid, the cursor stays at its previous column when that one is on the grid.
    const int right = kAxisX + m_gridWidth;
    const bool previousOnGrid = m_cursorX >= kAxisX && m_cursorX <= right;
    int x = kAxisX + RoundToInt(offset);
    if (x < kAxisX) x = previousOnGrid ? m_cursorX : kAxisX;
    if (x > right) x = previousOnGrid ? m_cursorX : right - 1;
    m_cursorX = x;
    c.Line(x, h - 19, x, h - level.base);
    c.Line(x, h - hc, kAxisX, h - hc);
    return true;
}

// The response curve through the columns kAxisX, kAxisX + 1 ... at the frequencies m_curveX
// (fractions of the Nyquist frequency), joined from the column left of the axis. The magnitudes
// of all columns come from one call, which evaluates several frequencies per pass over the
// coefficients and gives each the value a single evaluation there would.
void ResponsePlot::DrawCurve(int n, const LevelScale& level) {
    PlotCanvas& c = *m_canvas;
    c.SelectPen(kCurvePen);
    const int columns = static_cast<int>(m_curveX.size());
    if (columns == 0) return;
    const int h = m_respHeight;
    m_curveMagnitude.resize(m_curveX.size());
    if (m_evaluatedFormat == FLT64) {
        MagnitudesOfValues(m_evaluated.data(), n, m_curveX.data(), columns,
                           m_curveMagnitude.data());
    } else {
        MagnitudesAt(m_evaluated.data(), n, m_curveX.data(), columns, m_curveMagnitude.data(),
                     m_evaluatedFormat);
    }
    for (int i = 0; i < columns; ++i) {
        const int hi = std::max(level.Height(20.0 * std::log10(m_curveMagnitude[i])), kAxisHeight);
        if (i == 0) c.MoveTo(kAxisX - 1, h - hi);
        c.LineTo(kAxisX + i, h - hi);
    }
}

void ResponsePlot::DrawReadout() {
    PlotCanvas& c = *m_canvas;
    const int h = m_respHeight;
    c.SetTextColor(kReadoutText);
    c.SetTextAnchor(TextAnchor::BaselineLeft);
    c.TextOut(m_cursorX + 3, h - 34, FormatFreqUnit(m_cursorHz));
    c.TextOut(46, h - m_cursorY - 3, FormatText("%0.2f dB", m_cursorDb));
}

void ResponsePlot::DrawLinearResponse() {
    const int n = m_plan.n;
    const double half = m_plan.half;
    PlotCanvas& c = *m_canvas;
    const int h = m_respHeight;

    m_hzPerPixel = (m_shown.linFMax - m_shown.linFMin) / m_gridWidth;
    const LevelScale level = MakeLevelScale(m_gridHeight, m_shown.dbTop, m_shown.dbBottom);
    m_pixelsPerDb = level.pixelsPerDb;

    const QColor previous = c.SelectPen(kAxisPen);
    c.Line(kAxisX, h - kAxisHeight, kAxisX, 6);

    bool cursorDrawn = false;
    if (m_hzPerPixel > 0.0 && m_cursorHz > 0.0 && m_cursorHz < m_shown.nyquist &&
        m_cursorHz < m_shown.linFMax) {
        cursorDrawn = DrawCursor((m_cursorHz - m_shown.linFMin) / m_hzPerPixel, level);
    }

    CollectCurveColumns(
        m_gridWidth, m_shown.nyquist, half,
        [&](int i) { return i * m_hzPerPixel + m_shown.linFMin; }, m_curveX);
    DrawCurve(n, level);

    if (cursorDrawn) DrawReadout();
    c.SelectPen(previous);
}

void ResponsePlot::DrawLogResponse() {
    const int n = m_plan.n;
    const double half = m_plan.half;
    PlotCanvas& c = *m_canvas;
    const int h = m_respHeight;

    const double fmin = m_plan.curveLogFMin;
    const QColor previous = c.SelectPen(kAxisPen);
    c.Line(kAxisX, h - kAxisHeight, kAxisX, 6);
    const LevelScale level = MakeLevelScale(m_gridHeight, m_shown.dbTop, m_shown.dbBottom);
    m_pixelsPerDb = level.pixelsPerDb;
    c.SelectPen(kCursorPen);

    bool cursorDrawn = false;
    if (m_cursorHz > 0.0 && m_cursorHz < m_shown.nyquist && m_cursorHz < m_shown.logFMax) {
        cursorDrawn = DrawCursor(std::log10(m_cursorHz / fmin) / 3.0 * m_gridWidth, level);
    }

    CollectCurveColumns(
        m_gridWidth, m_shown.nyquist, half,
        [&](int i) { return fmin * std::pow(1000.0, static_cast<double>(i) / m_gridWidth); },
        m_curveX);
    DrawCurve(n, level);

    if (cursorDrawn) DrawReadout();
    c.SelectPen(previous);
}

void ResponsePlot::DrawCoefCurve() {
    const CurrentFilter& filter = m_data.Current();
    if (!filter.valid) return;
    const int n = std::min(static_cast<int>(filter.Taps().size()), kCoefArraySize);
    if (n < 1 || !(filter.achieved.fs >= kSmallestFs)) return;
    PlotCanvas& c = *m_canvas;
    const int h = m_coefHeight;
    const double* coefs = filter.Taps().data();

    const CoefScale scale = ChooseCoefScale(coefs, n, m_coefZeroOffset);

    // Index ticks, labels and vertical grid lines.
    const CoefIndexAxis axis = MakeCoefIndexAxis(n, m_gridWidth, m_stepX);
    const int top = h - kAxisHeight - m_gridHeight;
    c.SetTextAnchor(TextAnchor::BaselineCenter);
    c.SetTextColor(kLabelText);
    for (const CoefIndexTick& tick : axis.ticks) {
        c.SelectPen(kAxisPen);
        if (!tick.major) {
            c.Line(tick.x, h - 17, tick.x, h - 15);
            c.SelectPen(kMinorGridPen);
            c.Line(tick.x, h - 19, tick.x, top);
            continue;
        }
        c.Line(tick.x, h - 17, tick.x, h - 12);
        c.TextOut(tick.x, h - 4, tick.label);
        c.SelectPen(kMajorGridPen);
        c.Line(tick.x, h - 19, tick.x, top);
    }

    // The zero line with its arrow.
    const int last = axis.lastColumn;
    const QColor previous = c.SelectPen(kAxisPen);
    const int y0 = h - scale.zeroHeight;
    c.Line(kAxisX, y0, last + 6, y0);
    c.Line(last, y0 + 2, last + 2, y0 + 2);
    c.Line(last, y0 + 1, last + 4, y0 + 1);
    c.Line(last, y0 - 1, last + 4, y0 - 1);
    c.Line(last, y0 - 2, last + 2, y0 - 2);

    // The coefficients joined by straight segments.
    c.SelectPen(kCurvePen);
    for (int k = 1; k <= n; ++k) {
        const int x = kAxisX + RoundToInt(k * axis.pixelsPerIndex);
        const int y = h - CoefHeight(coefs[k - 1], scale, h);
        if (k == 1)
            c.MoveTo(x, y);
        else
            c.LineTo(x, y);
    }

    // Value ticks and labels, as fractions of the largest coefficient.
    c.SelectPen(kAxisPen);
    c.SetTextAnchor(TextAnchor::BaselineRight);
    for (int j = 0; m_coefStepY > 0 && j <= m_gridHeight / m_coefStepY; ++j) {
        const int y = h - (kAxisHeight + j * m_coefStepY);
        c.Line(39, y, j % 5 == 0 ? 34 : 37, y);
    }
    for (const AxisLabel& label : CoefValueLabels(h, m_gridHeight, m_coefStepY, scale.moved)) {
        c.TextOut(label.x, label.y, label.text);
    }

    // The left axis again over the major line of index 0, with its arrow at the grid's top.
    const int axisTop = h - m_gridHeight;
    c.Line(kAxisX, h - kAxisHeight, kAxisX, axisTop - 29);
    c.Line(38, axisTop - 23, 38, axisTop - 25);
    c.Line(39, axisTop - 23, 39, axisTop - 27);
    c.Line(41, axisTop - 23, 41, axisTop - 27);
    c.Line(42, axisTop - 23, 42, axisTop - 25);
    c.SelectPen(previous);
}

// ---- the cursor ----

int ResponsePlot::DragCursorTo(int c) {
    const int w = m_respWidth;
    if (c <= 18 || c > w - 4) return 0;
    if (c == m_cursorX || c == w - 4) return 1;
    double f = 0.0;
    int valid = 1;
    ViewState& view = m_ws.m_view;
    if (!view.logScale) {
        f = (c - kAxisX) * m_hzPerPixel;
        if (!(f >= view.linFMin)) {
            f = view.linFMin;
            valid = 0;
        }
    } else {
        view.FollowLogMax();
        f = view.logFMin *
            std::pow(1000.0, static_cast<double>(c - kAxisX) / std::max(m_gridWidth, 1));
        if (!(f >= view.logFMin)) {
            f = view.logFMin;
            valid = 0;
        }
        f = RoundDisplay(f);
    }
    if (f == m_cursorHz) return valid;
    m_cursorHz = f;
    m_cursorX = c;
    if (m_ws.m_mainWindow) {
        m_ws.m_mainWindow->SetCursorFreq(f);
        m_ws.m_mainWindow->Repaint();
    }
    return valid;
}

int ResponsePlot::PlaceCursorAt(double f) {
    int result = 1;
    double k = 0.0;
    const ViewState& view = m_ws.m_view;
    if (!view.logScale) {
        if (!(f >= view.linFMin)) {
            f = view.linFMin;
            result = 0;
        }
        m_cursorHz = f;
        k = m_hzPerPixel > 0.0 ? f / m_hzPerPixel : 0.0;
    } else {
        if (!(f >= view.logFMin)) {
            f = view.logFMin;
            result = 0;
        }
        m_cursorHz = f;
        const double base = ViewState::LogMinFor(view.logFMax);
        k = std::log10(f / base) * m_gridWidth / std::log10(view.logFMax / base);
    }
    m_cursorX = kAxisX + std::clamp(RoundToInt(k), 0, std::max(m_gridWidth, 0));
    if (m_ws.m_mainWindow) m_ws.m_mainWindow->Repaint();
    return result;
}

}  // namespace ondela
