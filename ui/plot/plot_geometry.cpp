#include "ui/plot/plot_geometry.h"

#include <cmath>

#include "numbers/number_text.h"
#include "ui/plot/plot_text.h"
#include "workspace/display_numbers.h"

namespace ondela {
namespace {

constexpr double kIntLimit = 1.0e9;

double HoldInRange(double v) {
    if (std::isnan(v)) return 0.0;
    if (v > kIntLimit) return kIntLimit;
    if (v < -kIntLimit) return -kIntLimit;
    return v;
}

}  // namespace

int RoundToInt(double v) {
    return static_cast<int>(std::round(HoldInRange(v)));
}

int TruncToInt(double v) {
    return static_cast<int>(std::trunc(HoldInRange(v)));
}

GridDivision DivideRows(int height) {
    GridDivision d;
    d.steps = (height - 33) / 5;
    if (height < kMinPlotHeight || d.steps <= 0) return {};
    d.step = (height - 33) / d.steps;
    d.size = d.steps * d.step;
    return d;
}

GridDivision DivideColumns(int width) {
    GridDivision d;
    d.steps = (width - 60) / 10;
    if (width < kMinPlotWidth || d.steps <= 0) return {};
    d.step = (width - 60) / d.steps;
    d.size = d.steps * d.step;
    return d;
}

int LevelScale::Height(double db) const {
    return TruncToInt(db * pixelsPerDb) - topOffset + base;
}

LevelScale MakeLevelScale(int gridHeight, double dbTop, double dbBottom) {
    LevelScale scale;
    scale.pixelsPerDb = gridHeight / (dbTop - dbBottom);
    scale.topOffset = TruncToInt(dbTop * scale.pixelsPerDb);
    scale.base = gridHeight + kAxisHeight;
    return scale;
}

std::vector<AxisLabel> LinearAxisLabels(int width, int height, double fmin, double fmax,
                                        int majorCount) {
    std::vector<AxisLabel> labels;
    const GridDivision columns = DivideColumns(width);
    const double step = majorCount > 0 ? (fmax - fmin) / majorCount : 0.0;
    double value = fmin;
    for (int i = 0; i <= columns.steps; i += 5) {
        const int x = kAxisX + i * columns.step;
        labels.push_back({x + 1, height - 4, FormatCompact(value, 6)});
        value += step;  // accumulated, as the labels are written one after the other
    }
    return labels;
}

std::vector<AxisLabel> LevelAxisLabels(int height, double bottom, double top, int majorCount) {
    std::vector<AxisLabel> labels;
    const GridDivision rows = DivideRows(height);
    const double step = majorCount > 0 ? (top - bottom) / majorCount : 0.0;
    double value = bottom;
    for (int j = 0; j <= rows.steps; j += 5) {
        const int y = kAxisHeight + j * rows.step;
        labels.push_back({34, height - y + 4, FormatCompact(RoundDisplay(value), 8)});
        value += step;
    }
    return labels;
}

int LogColumn(double t, double fmin, double pixelsPerDecade) {
    return kAxisX + TruncToInt(std::log10(t / fmin) * pixelsPerDecade + 0.5);
}

double LogPixelsPerDecade(int width, double fmax) {
    const double fmin = fmax / 1000.0;
    return (width - 60) / std::log10(fmax / fmin);
}

std::vector<LogTick> LogAxisTicks(int width, double fmax) {
    std::vector<LogTick> ticks;
    if (!(fmax > 0.0) || !std::isfinite(fmax)) return ticks;
    const double fmin = fmax / 1000.0;
    const double perDecade = LogPixelsPerDecade(width, fmax);
    for (int k = 0; k <= 3; ++k) {
        const double t = fmin * std::pow(10.0, k);
        if (t > fmax) break;
        ticks.push_back({LogColumn(t, fmin, perDecade), t, true, true});
        for (int m = 2; m <= 9; ++m) {
            const double v = m * t;
            if (v > fmax) break;
            const bool labelled = m <= 5 || m == 7;
            ticks.push_back({LogColumn(v, fmin, perDecade), v, false, labelled});
        }
    }
    return ticks;
}

CoefIndexAxis MakeCoefIndexAxis(int n, int gridWidth, int stepX) {
    static constexpr int kUnits[] = {1, 2, 5, 10, 20, 50, 100, 200, 500, 1000};
    CoefIndexAxis axis;
    if (n < 1 || gridWidth <= 0) return axis;
    axis.unit = kUnits[std::size(kUnits) - 1];
    for (const int u : kUnits) {
        if (static_cast<double>(n) / u < 20.01) {
            axis.unit = u;
            break;
        }
    }
    const int whole = n / axis.unit;
    const double exact = static_cast<double>(n) / axis.unit;
    axis.steps = whole + (exact - whole > 0.01 ? 1 : 0);
    axis.interval = static_cast<double>(gridWidth) / (5 * axis.steps);
    axis.lastColumn = (gridWidth / 10) * stepX + 50;

    int index = 0;
    for (int k = 0; k <= 5 * axis.steps; ++k) {
        const double p = kAxisX + k * axis.interval;
        const int x = RoundToInt(p);
        if (x > axis.lastColumn) break;
        CoefIndexTick tick;
        tick.x = x;
        tick.major = k % 5 == 0;
        if (tick.major) {
            tick.label = FormatText("%d", index);
            if (index > 0 && index <= n) axis.pixelsPerIndex = (p - kAxisX) / index;
            index += axis.unit;
        }
        axis.ticks.push_back(std::move(tick));
    }
    return axis;
}

CoefScale ChooseCoefScale(const double* coefs, int n, int zeroOffset) {
    double cmax = -65000.0;
    double cmin = 65000.0;
    for (int k = 0; k < n; ++k) {
        if (coefs[k] > cmax) cmax = coefs[k];
        if (coefs[k] < cmin) cmin = coefs[k];
    }
    // A set without a positive coefficient (typed into the editor) is scaled by its largest
    // magnitude instead, so that it still fits the plot; a set of zeros lies on the zero line.
    double top = cmax;
    if (!(top > 0.0)) top = std::fmax(std::fabs(cmax), std::fabs(cmin));
    CoefScale scale;
    scale.pixelsPerUnit = top > 0.0 ? 4.0 * zeroOffset / top : 0.0;
    scale.zeroHeight = zeroOffset + kAxisHeight;
    if (RoundToInt(-cmin * scale.pixelsPerUnit) > zeroOffset) {
        scale.zeroHeight = 2 * zeroOffset + kAxisHeight;
        scale.pixelsPerUnit /= 2.0;
        scale.moved = true;
    }
    return scale;
}

int CoefHeight(double c, const CoefScale& scale, int height) {
    int h = scale.zeroHeight + RoundToInt(c * scale.pixelsPerUnit);
    if (h < 2) h = 2;
    if (h >= height) h = height - 1;
    return h;
}

std::vector<AxisLabel> CoefValueLabels(int height, int gridHeight, int stepY, bool moved) {
    std::vector<AxisLabel> labels;
    if (stepY <= 0) return labels;
    double value = moved ? -1.0 : -0.25;
    const double step = moved ? 0.5 : 0.25;
    for (int j = 0; j <= gridHeight / stepY; j += 5) {
        const int y = kAxisHeight + j * stepY;
        labels.push_back({34, height - y + 4, FormatText("%3.2lf", value)});
        value += step;
    }
    return labels;
}

}  // namespace ondela
