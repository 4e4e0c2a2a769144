// The pixel geometry of the two plots, apart from any drawing: the grid division of an area, the
// level and frequency transforms, the tick positions and label texts of every axis, and the
// scale of the coefficient plot.
//
// Coordinates are pixels of a plot area, x to the right and y downwards from its top-left
// corner; W and H are the area's width and height. Heights are counted upwards from the bottom
// edge and drawn at y = H - height. The grid starts at column 40 (the left axis) and 18 pixels
// above the bottom edge (the bottom axis).
#pragma once

#include <string>
#include <vector>

namespace ondela {

constexpr int kAxisX = 40;       // column of the left axis
constexpr int kAxisHeight = 18;  // height of the bottom axis above the bottom edge
// The smallest area the frames can divide: (W - 60) / 10 and (H - 33) / 5 steps must not be 0.
constexpr int kMinPlotWidth = 70;
constexpr int kMinPlotHeight = 38;

// round(v), half away from zero, and trunc(v), as ints; values beyond the int range are held at
// +-1e9 and NaN gives 0, so that no transform of an odd value overflows.
int RoundToInt(double v);
int TruncToInt(double v);

// One direction of the grid: steps of step pixels, size = steps * step pixels in all. Every
// fifth line (counted from the axis) is major.
struct GridDivision {
    int steps = 0;
    int step = 0;
    int size = 0;
};
// Rows: (H - 33) / 5 steps. Columns: (W - 60) / 10 steps. All zero for an area too small.
GridDivision DivideRows(int height);
GridDivision DivideColumns(int width);

// The level axis: a level L in dB lies at height trunc(L * pixelsPerDb) - topOffset + base, so
// that the top level falls on the top grid row and the bottom level on the bottom axis.
struct LevelScale {
    double pixelsPerDb = 0.0;
    int topOffset = 0;  // trunc(top * pixelsPerDb)
    int base = 0;       // gridHeight + 18
    int Height(double db) const;
};
LevelScale MakeLevelScale(int gridHeight, double dbTop, double dbBottom);

// A label: its text and its anchor point.
struct AxisLabel {
    int x = 0;
    int y = 0;
    std::string text;
};

// Labels of the linear frequency axis: at every major column x, the text of the value anchored
// at (x + 1, H - 4), from fmin at the left axis up by (fmax - fmin) / majorCount per label.
std::vector<AxisLabel> LinearAxisLabels(int width, int height, double fmin, double fmax,
                                        int majorCount);

// Labels of the level axis: at every major row, the value rounded for display anchored at
// (34, H - y + 4) (baseline-right), from bottom up by (top - bottom) / majorCount per label.
std::vector<AxisLabel> LevelAxisLabels(int height, double bottom, double top, int majorCount);

// The logarithmic frequency axis over the three decades below fmax.
struct LogTick {
    int x = 0;
    double value = 0.0;
    bool decade = false;    // a decade tick (long, with a label and, past the first, a major line)
    bool labelled = false;  // decades and the multiples 2, 3, 4, 5 and 7 carry a label
};
// Column of frequency t on an axis of pixelsPerDecade starting at fmin.
int LogColumn(double t, double fmin, double pixelsPerDecade);
// (W - 60) / log10(fmax / fmin), with fmin = fmax / 1000.
double LogPixelsPerDecade(int width, double fmax);
// Every tick up to fmax, in drawing order: each decade, then its multiples 2 .. 9. None when fmax
// is not a positive finite value.
std::vector<LogTick> LogAxisTicks(int width, double fmax);

// The index axis of the coefficient plot for n coefficients.
struct CoefIndexTick {
    int x = 0;
    bool major = false;
    std::string label;  // index text of a major tick
};
struct CoefIndexAxis {
    int unit = 0;                 // index units per labelled step: 1, 2, 5, 10 ... 1000
    int steps = 0;                // labelled steps across the grid
    double interval = 0.0;        // pixels between two ticks (a fifth of a step)
    int lastColumn = 0;           // no tick right of this column
    double pixelsPerIndex = 0.0;  // coefficient k lies at column 40 + round(k * pixelsPerIndex)
    std::vector<CoefIndexTick> ticks;
};
CoefIndexAxis MakeCoefIndexAxis(int n, int gridWidth, int stepX);

// Zero height and scale of the coefficient values: with z the zero offset, 1 (the largest
// coefficient) lies four major divisions above the zero line at height z + 18; when the most
// negative coefficient would reach more than one division below it, the zero line moves up to
// 2z + 18 and the scale is halved.
struct CoefScale {
    int zeroHeight = 0;
    double pixelsPerUnit = 0.0;  // pixels per coefficient unit
    bool moved = false;
};
CoefScale ChooseCoefScale(const double* coefs, int n, int zeroOffset);
// Height of coefficient value c, held within 2 .. H - 1.
int CoefHeight(double c, const CoefScale& scale, int height);

// Labels of the coefficient value axis, at every major row from the bottom axis up: -0.25,
// 0.00, 0.25 ... for the first zero line position, -1.00, -0.50, 0.00 ... for the moved one.
std::vector<AxisLabel> CoefValueLabels(int height, int gridHeight, int stepY, bool moved);

}  // namespace ondela
