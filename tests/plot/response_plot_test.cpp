// Whole paints of both plots, read back pixel by pixel.
#include "ui/plot/response_plot.h"
#include "engine/response.h"
#include "workspace/display_numbers.h"

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QImage>
#include <cmath>
#include <numbers>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "numbers/number_text.h"
#include "workspace/filter_workspace.h"
#include "workspace/main_window_port.h"

namespace ondela {
namespace {

constexpr QRgb kBackground = qRgb(255, 245, 220);
constexpr QRgb kMajor = qRgb(235, 215, 190);
constexpr QRgb kWhite = qRgb(255, 255, 255);
constexpr QRgb kBlack = qRgb(0, 0, 0);
constexpr QRgb kOutline = qRgb(128, 128, 128);
constexpr QRgb kCursor = qRgb(0, 192, 255);
constexpr QRgb kCurve = qRgb(255, 0, 0);
constexpr QRgb kReadout = qRgb(0, 0, 240);

// The window as the plot sees it: the cursor operations go to the plot, the rest is recorded.
class PlotWindow : public MainWindowPort {
  public:
    PlotWindow(FilterWorkspace& ws, ResponsePlot& plot) : m_ws(ws), m_plot(plot) {}
    void RefreshFields() override {}
    void SelectFilterType(int) override {}
    void ShowEdgeFreq1(double) override {}
    void ShowEdgeFreq2(double) override {}
    void SetCursorFreq(double hz) override {
        calls.push_back(FormatText("SetCursorFreq %g", hz));
        m_ws.m_view.cursorHz = hz;
        m_plot.m_cursorHz = hz;
    }
    void ShowFreqMin(double hz) override { calls.push_back(FormatText("ShowFreqMin %g", hz)); }
    void ShowFreqMax(double hz) override { calls.push_back(FormatText("ShowFreqMax %g", hz)); }
    void SelectCoefFormat(int) override {}
    int ReadCoefFormatRadios() override { return m_ws.m_current.format; }
    int CreateFilter() override { return 0; }
    CreateOutcome CreateFromEntered() override { return {}; }
    void ClearAchieved() override {}
    void ShowAchieved() override {}
    void Repaint() override { ++repaints; }
    int PlaceCursorAt(double hz) override {
        calls.push_back(FormatText("PlaceCursorAt %g", hz));
        return m_plot.PlaceCursorAt(hz);
    }
    double PlotCursorHz() const override { return m_plot.m_cursorHz; }
    void SetPlotCursorHz(double hz) override { m_plot.m_cursorHz = hz; }

    std::vector<std::string> calls;
    int repaints = 0;

  private:
    FilterWorkspace& m_ws;
    ResponsePlot& m_plot;
};

class GraphicalTest : public ::testing::Test {
  protected:
    GraphicalTest() { ws.m_mainWindow = &window; }

    // A windowed-sinc low pass (Blackman window) of n coefficients with its edge at fc, held as
    // a designed filter with the display limits a Create sets.
    void LoadLowPass(int n = 101, double fs = 48000.0, double fc = 6000.0) {
        const double m = (n - 1) / 2.0;
        ws.m_current.taps.assign(static_cast<std::size_t>(n), 0.0);
        for (int k = 0; k < n; ++k) {
            const double t = k - m;
            const double sinc =
                t == 0.0 ? 2.0 * fc / fs
                         : std::sin(2.0 * std::numbers::pi * fc / fs * t) / (std::numbers::pi * t);
            const double a = 2.0 * std::numbers::pi * k / (n - 1);
            ws.m_current.taps[k] = sinc * (0.42 - 0.5 * std::cos(a) + 0.08 * std::cos(2.0 * a));
        }
        ws.m_current.achieved.fs = fs;
        ws.m_current.achieved.numCoefs = n;
        ws.m_current.achieved.type = LowPass;
        ws.m_current.request = ws.m_current.achieved;
        ws.m_current.valid = true;
        ws.m_current.format = FLT64;
        ws.m_view.nyquist = fs / 2.0;
        ws.m_view.linFMin = 0.0;
        ws.m_view.linFMax = NiceCeil(fs / 2.0);
        ws.m_view.logFMax = NiceCeil(fs);
        ws.m_view.logFMin = ws.m_view.logFMax / 1000.0;
    }

    void Paint(bool curves = true) { plot.PaintPlots(curves); }
    const QImage& Resp() const { return plot.ResponseImage(); }
    const QImage& Coef() const { return plot.CoefImage(); }

    static int Count(const QImage& image, QRgb colour, int x0, int y0, int x1, int y1) {
        int count = 0;
        for (int y = std::max(y0, 0); y <= std::min(y1, image.height() - 1); ++y)
            for (int x = std::max(x0, 0); x <= std::min(x1, image.width() - 1); ++x)
                if (image.pixel(x, y) == colour) ++count;
        return count;
    }
    static int CountAll(const QImage& image, QRgb colour) {
        return Count(image, colour, 0, 0, image.width() - 1, image.height() - 1);
    }
    static std::set<std::pair<int, int>> Pixels(const QImage& image, QRgb colour) {
        std::set<std::pair<int, int>> pixels;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixel(x, y) == colour) pixels.insert({x, y});
        return pixels;
    }

    FilterWorkspace ws;
    ResponsePlot plot{ws};
    PlotWindow window{ws, plot};
};

TEST_F(GraphicalTest, LabelFontIsFixedPitchSixPixelsWide) {
    const QFontMetrics metrics(plot.LabelFont());
    EXPECT_EQ(metrics.horizontalAdvance(QLatin1Char('0')), 6);
    EXPECT_EQ(metrics.horizontalAdvance(QStringLiteral("24000")), 30);
}

TEST_F(GraphicalTest, FramesOfTheStandardArea) {
    // Both areas 1060 x 333: H - 33 = 300.
    plot.SetPlotAreas({1060, 333}, {});
    Paint(false);
    EXPECT_EQ(plot.m_stepX, 10);
    EXPECT_EQ(plot.m_gridWidth, 1000);
    EXPECT_EQ(plot.m_gridHeight, 300);
    EXPECT_EQ(plot.m_majorXCount, 20);
    EXPECT_EQ(plot.m_majorYCount, 12);
    plot.SetPlotAreas({1060, 333}, {1060, 333});
    Paint(false);
    EXPECT_EQ(plot.m_majorYCount, 13);
    EXPECT_EQ(plot.m_coefZeroOffset, 25);
    EXPECT_EQ(plot.m_coefStepY, 5);

    const QImage& r = Resp();
    const int h = 333;
    ASSERT_EQ(r.size(), QSize(1060, 333));
    // Outline and fill cover exactly the area.
    EXPECT_EQ(r.pixel(0, 0), kOutline);
    EXPECT_EQ(r.pixel(1059, 332), kOutline);
    EXPECT_EQ(r.pixel(45, 102), kBackground);
    // Bottom axis from 40 up to, not including, 1056; the arrow's strokes start at 1050.
    EXPECT_EQ(r.pixel(40, h - 18), kBlack);
    EXPECT_EQ(r.pixel(1055, h - 18), kBlack);
    EXPECT_EQ(r.pixel(1056, h - 18), kBackground);
    EXPECT_EQ(r.pixel(1049, h - 17), kBackground);
    EXPECT_EQ(r.pixel(1050, h - 17), kBlack);
    EXPECT_EQ(r.pixel(1053, h - 17), kBlack);
    EXPECT_EQ(r.pixel(1054, h - 17), kBackground);
    EXPECT_EQ(r.pixel(1051, h - 16), kBlack);
    EXPECT_EQ(r.pixel(1052, h - 16), kBackground);
    // Left axis up to row 5 with its arrow.
    EXPECT_EQ(r.pixel(40, 5), kBlack);
    EXPECT_EQ(r.pixel(40, 4), kBackground);
    EXPECT_EQ(r.pixel(39, 7), kBlack);
    EXPECT_EQ(r.pixel(39, 6), kBackground);
    EXPECT_EQ(r.pixel(38, 9), kBlack);
    EXPECT_EQ(r.pixel(38, 8), kBackground);
    // Ticks: major rows 5 long, minor 2; major columns reach 5 below the axis, minor 2.
    EXPECT_EQ(r.pixel(35, h - 43), kBlack);
    EXPECT_EQ(r.pixel(34, h - 43), kBackground);
    EXPECT_EQ(r.pixel(38, h - 23), kBlack);
    EXPECT_EQ(r.pixel(37, h - 23), kBackground);
    EXPECT_EQ(r.pixel(90, h - 13), kBlack);
    EXPECT_EQ(r.pixel(50, h - 16), kBlack);
    EXPECT_EQ(r.pixel(50, h - 15), kBackground);
    // Grid rows every 5 pixels, majors every 25, ending at the last column 1040.
    EXPECT_EQ(r.pixel(41, h - 43), kMajor);
    EXPECT_EQ(r.pixel(1039, h - 43), kMajor);
    EXPECT_EQ(r.pixel(1041, h - 43), kBackground);
    EXPECT_EQ(r.pixel(45, h - 23), kWhite);
    EXPECT_EQ(r.pixel(1039, h - 23), kWhite);
    EXPECT_EQ(r.pixel(1041, h - 23), kBackground);
    EXPECT_EQ(r.pixel(45, 15), kMajor);  // the top row
    EXPECT_EQ(r.pixel(45, 14), kBackground);
    // Grid columns: minor white, major in the major-grid colour, the last one at 1040.
    EXPECT_EQ(r.pixel(50, 102), kWhite);
    EXPECT_EQ(r.pixel(90, 102), kMajor);
    EXPECT_EQ(r.pixel(1040, 102), kMajor);

    // The coefficient frame: grid rows from the bottom row up, the zero axis one major
    // division above the bottom with its arrow.
    const QImage& c = Coef();
    EXPECT_EQ(c.pixel(45, h - 18), kMajor);
    EXPECT_EQ(c.pixel(500, h - 43), kBlack);
    EXPECT_EQ(c.pixel(1055, h - 43), kBlack);
    EXPECT_EQ(c.pixel(1056, h - 43), kBackground);
    EXPECT_EQ(c.pixel(1050, h - 41), kBlack);
    EXPECT_EQ(c.pixel(40, h - 30), kBlack);
    EXPECT_EQ(c.pixel(500, h - 30), kBackground);  // no vertical grid of its own
}

TEST_F(GraphicalTest, VerticalGridLinesEndAtRow15InLinearAndAtTheTopRowInLog) {
    // H = 200: 33 rows of 5, the top row at y = 17 (a minor row).
    plot.SetPlotAreas({1060, 200}, {});
    LoadLowPass();
    Paint(false);
    EXPECT_EQ(Resp().pixel(90, 16), kMajor);
    EXPECT_EQ(Resp().pixel(90, 15), kBackground);
    EXPECT_EQ(Resp().pixel(50, 16), kWhite);

    ws.m_view.logScale = 1;
    Paint(false);
    EXPECT_EQ(Resp().pixel(373, 18), kMajor);
    EXPECT_EQ(Resp().pixel(373, 17), kWhite);  // the top row
    EXPECT_EQ(Resp().pixel(373, 16), kBackground);
    EXPECT_EQ(Resp().pixel(140, 18), kWhite);
    EXPECT_EQ(Resp().pixel(140, 16), kBackground);
}

TEST_F(GraphicalTest, LogFrameTicksAndTheRangeOfThisPaint) {
    LoadLowPass(101, 24000.0, 3000.0);
    ws.m_view.logScale = 1;
    ws.m_view.logFMax = 24000.0;  // 24 .. 24000 Hz
    ws.m_view.logFMin = 24.0;
    Paint(false);
    const QImage& r = Resp();
    const int h = kResponsePlotHeight;
    for (const int x : {40, 373, 707, 1040}) {
        EXPECT_EQ(r.pixel(x, h - 14), kBlack) << x;  // decade ticks 6 long
    }
    EXPECT_EQ(r.pixel(140, h - 16), kBlack);  // 48 Hz: a short tick
    EXPECT_EQ(r.pixel(140, h - 15), kBackground);
    EXPECT_EQ(r.pixel(140, 102), kWhite);  // and a white line
    EXPECT_EQ(r.pixel(141, 102), kBackground);
    EXPECT_EQ(r.pixel(373, 102), kMajor);
    EXPECT_EQ(r.pixel(40, 102), kBlack);  // the first decade is the axis
    EXPECT_TRUE(window.calls.empty());

    // An upper limit beyond the sampling frequency is pulled back for the next paint; this one
    // still shows the old range.
    ws.m_view.logFMax = 100000.0;
    ws.m_view.logFMin = 100.0;
    window.calls.clear();
    Paint(false);
    EXPECT_EQ(ws.m_view.logFMax, 30000.0);
    EXPECT_EQ(ws.m_view.logFMin, 100.0);
    EXPECT_EQ(window.calls.front(), "ShowFreqMax 30000");
}

TEST_F(GraphicalTest, ResponseCurveStopsBeforeNyquistAndHoldsLowLevelsOnTheAxis) {
    LoadLowPass();  // 0 .. 30000 Hz at 30 Hz per column: Nyquist at column 840
    Paint();
    const QImage& r = Resp();
    const int h = kResponsePlotHeight;
    EXPECT_GT(Count(r, kCurve, 838, 0, 838, h), 0);
    EXPECT_EQ(Count(r, kCurve, 840, 0, 1059, h), 0);
    EXPECT_EQ(Count(r, kCurve, 0, 0, 38, h), 0);
    EXPECT_GT(Count(r, kCurve, 39, 0, 39, h), 0);  // the curve starts one column left of 0 Hz
    EXPECT_EQ(r.pixel(100, 15), kCurve);           // 0 dB in the pass band: the top row
    EXPECT_EQ(ws.m_view.nyquist, 24000.0);

    // With the bottom at -40 dB the stop band lies on the bottom axis, never below it.
    ws.m_view.dbBottom = -40.0;
    Paint();
    EXPECT_GT(Count(Resp(), kCurve, 500, h - 18, 800, h - 18), 250);
    EXPECT_EQ(Count(Resp(), kCurve, 0, h - 17, 1059, h - 1), 0);
}

TEST_F(GraphicalTest, FormatSwitchChangesTheCurve) {
    LoadLowPass();
    Paint();
    const auto flt64 = Pixels(Resp(), kCurve);
    ws.m_current.format = INT16;
    plot.m_cursorHz = 3000.0;
    Paint();
    EXPECT_NE(Pixels(Resp(), kCurve), flt64);
    // The level read out is that of the quantised coefficients.
    EXPECT_DOUBLE_EQ(plot.m_cursorDb, 20.0 * std::log10(MagnitudeAt(ws.m_current.taps.data(), 101,
                                                                    3000.0 / 24000.0, INT16)));
    EXPECT_NE(plot.m_cursorDb, 20.0 * std::log10(MagnitudeAt(ws.m_current.taps.data(), 101,
                                                             3000.0 / 24000.0, FLT64)));
}

TEST_F(GraphicalTest, CursorLinesAndReadout) {
    LoadLowPass();
    plot.m_cursorHz = 3000.0;
    Paint();
    const QImage& r = Resp();
    const int h = kResponsePlotHeight;
    EXPECT_EQ(plot.m_cursorX, 140);
    EXPECT_EQ(plot.m_cursorY, 318);
    EXPECT_NEAR(plot.m_cursorDb, 0.0, 0.01);
    EXPECT_EQ(ws.m_view.cursorHz, 3000.0);
    EXPECT_EQ(r.pixel(140, 200), kCursor);
    EXPECT_EQ(r.pixel(140, h - 19), kCursor);
    EXPECT_EQ(r.pixel(140, h - 18), kBlack);
    EXPECT_GT(Count(r, kReadout, 143, h - 48, 230, h - 34), 20);  // "3 KHz" beside the cursor

    // In the stop band with the bottom at -40 dB the level lies below the axis: no cursor.
    ws.m_view.dbBottom = -40.0;
    plot.m_cursorHz = 15000.0;
    Paint();
    EXPECT_EQ(CountAll(Resp(), kCursor), 0);
    EXPECT_EQ(CountAll(Resp(), kReadout), 0);
    EXPECT_EQ(plot.m_cursorX, 140);
}

TEST_F(GraphicalTest, CursorBelowTheLowerLimitKeepsItsColumn) {
    LoadLowPass();
    plot.m_cursorHz = 3000.0;
    Paint();
    ASSERT_EQ(plot.m_cursorX, 140);
    ws.m_view.linFMin = 6000.0;
    Paint();
    EXPECT_EQ(plot.m_cursorX, 140);
    EXPECT_EQ(Resp().pixel(140, 200), kCursor);
    // With the previous column off the grid it goes to the left axis.
    plot.m_cursorX = -1;
    Paint();
    EXPECT_EQ(plot.m_cursorX, 40);
}

TEST_F(GraphicalTest, LogCursorIsRaisedToTheLowerLimit) {
    LoadLowPass();  // log limits 50 .. 50000
    ws.m_view.logScale = 1;
    plot.m_cursorHz = 10.0;
    ws.m_view.cursorHz = 10.0;
    Paint();
    EXPECT_EQ(plot.m_cursorHz, 50.0);
    EXPECT_EQ(ws.m_view.cursorHz, 50.0);
    EXPECT_EQ(plot.m_cursorX, 40);
    // 500 Hz: one decade up.
    plot.m_cursorHz = 500.0;
    Paint();
    EXPECT_EQ(plot.m_cursorX, 373);
    EXPECT_EQ(Resp().pixel(373, 200), kCursor);
    EXPECT_GT(CountAll(Resp(), kCurve), 1000);
}

TEST_F(GraphicalTest, CoefficientCurveAndItsZeroLine) {
    LoadLowPass(21);
    Paint();
    const QImage& c = Coef();
    const int h = kCoefPlotHeight;
    EXPECT_GT(CountAll(c, kCurve), 100);
    // The largest coefficient (the centre, index 11 of 22 steps) at four divisions above zero.
    EXPECT_EQ(c.pixel(40 + 500, h - (43 + 100)), kCurve);
    EXPECT_EQ(c.pixel(1045, h - 43), kBlack);
    EXPECT_EQ(c.pixel(1045, h - 68), kBackground);

    // A deep negative coefficient moves the zero line up one division; the frame's axis stays.
    ws.m_current.taps[0] = -0.5 * ws.m_current.taps[10];
    Paint();
    EXPECT_EQ(Coef().pixel(1045, h - 68), kBlack);
    EXPECT_EQ(Coef().pixel(1045, h - 43), kBlack);
    EXPECT_EQ(Coef().pixel(40 + 500, h - (68 + 50)), kCurve);

    // Without a coefficient count the plot keeps its frame only.
    ws.m_current.achieved.numCoefs = 0;
    Paint();
    EXPECT_EQ(CountAll(Coef(), kCurve), 0);
}

TEST_F(GraphicalTest, NothingIsDrawnWithoutAFilter) {
    LoadLowPass();
    ws.m_current.valid = false;
    Paint();
    EXPECT_EQ(CountAll(Resp(), kCurve), 0);
    EXPECT_EQ(CountAll(Coef(), kCurve), 0);
    // Before a design the response falls back on the entered counts.
    ws.m_current.valid = true;
    ws.m_current.achieved.numCoefs = 0;
    ws.m_current.request.numCoefs = 0;
    ws.m_current.request.maxCoefs = 101;
    Paint();
    EXPECT_GT(CountAll(Resp(), kCurve), 500);
    EXPECT_EQ(CountAll(Coef(), kCurve), 0);
}

TEST_F(GraphicalTest, OddCountsAndLimitsStayWithinTheArraysAndTheArea) {
    // A fresh workspace: no limits, no filter, in both scales; and a paint before any limits.
    Paint();
    ws.m_view.logScale = 1;
    Paint();
    EXPECT_EQ(CountAll(Resp(), kCurve), 0);
    EXPECT_EQ(plot.PlaceCursorAt(100.0), 1);
    EXPECT_EQ(plot.m_cursorX, 40);

    // Counts beyond the coefficient array are held to it.
    LoadLowPass();
    ws.m_view.logScale = 0;
    ws.m_current.achieved.numCoefs = 0;
    ws.m_current.request.numCoefs = 0;
    ws.m_current.request.maxCoefs = 1000000;
    Paint();
    ws.m_current.achieved.numCoefs = 1000000;
    Paint();
    EXPECT_GT(CountAll(Coef(), kCurve), 100);
    ws.m_current.achieved.numCoefs = -5;
    ws.m_current.request.maxCoefs = -5;
    Paint();
    EXPECT_EQ(CountAll(Resp(), kCurve), 0);

    // An area too small to divide keeps its outline and fill only.
    plot.SetPlotAreas({60, 30}, {1060, 37});
    Paint();
    EXPECT_EQ(Resp().pixel(0, 0), kOutline);
    EXPECT_EQ(Resp().pixel(30, 15), kBackground);
    EXPECT_EQ(Coef().pixel(40, 20), kBackground);
}

// A display state of the response plot, set over the low pass of LoadLowPass (48 kHz).
struct ViewCase {
    const char* name;
    bool log = false;
    double linFMin = 0.0;
    double linFMax = 30000.0;
    double logFMax = 50000.0;
    double cursorHz = 3000.0;
    double dbBottom = -120.0;
    int format = FLT64;
    bool curves = true;
};

const ViewCase kViewCases[] = {
    {.name = "linear, the whole range"},
    {.name = "linear, zoomed", .linFMin = 6000.0, .linFMax = 12000.0, .cursorHz = 9000.0},
    {.name = "linear, cursor below the level axis", .cursorHz = 15000.0, .dbBottom = -40.0},
    {.name = "linear, 16-bit coefficients", .format = INT16},
    {.name = "logarithmic", .log = true, .cursorHz = 500.0},
    {.name = "logarithmic, zoomed", .log = true, .logFMax = 9000.0, .cursorHz = 700.0},
    {.name = "logarithmic, cursor below the lower limit", .log = true, .cursorHz = 10.0},
    {.name = "logarithmic, upper limit beyond the rate", .log = true, .logFMax = 100000.0},
    {.name = "frames only", .log = true, .logFMax = 100000.0, .curves = false},
};

void SetView(FilterWorkspace& ws, ResponsePlot& plot, const ViewCase& c) {
    ws.m_view.logScale = c.log;
    ws.m_view.linFMin = c.linFMin;
    ws.m_view.linFMax = c.linFMax;
    ws.m_view.logFMax = c.logFMax;
    ws.m_view.logFMin = c.logFMax / 1000.0;
    ws.m_view.dbBottom = c.dbBottom;
    ws.m_view.cursorHz = 0.0;
    ws.m_current.format = static_cast<CoefFormat>(c.format);
    plot.m_cursorHz = c.cursorHz;
    plot.m_cursorX = -1;
}

TEST_F(GraphicalTest, DrawingReadsTheViewAndNeverCallsTheWindow) {
    for (const ViewCase& c : kViewCases) {
        SCOPED_TRACE(c.name);
        LoadLowPass();
        SetView(ws, plot, c);
        plot.PrepareView(c.curves);
        const ViewState prepared = ws.m_view;
        const double cursor = plot.m_cursorHz;
        window.calls.clear();
        window.repaints = 0;
        plot.DrawPlots();
        EXPECT_EQ(ws.m_view, prepared);
        EXPECT_EQ(plot.m_cursorHz, cursor);
        EXPECT_TRUE(window.calls.empty());
        EXPECT_EQ(window.repaints, 0);
        // Drawing the same view again gives the same pictures.
        const QImage response = Resp();
        const QImage coefs = Coef();
        plot.DrawPlots();
        EXPECT_EQ(Resp(), response);
        EXPECT_EQ(Coef(), coefs);
    }
}

TEST_F(GraphicalTest, PaintingTwiceInARowChangesNothingTheSecondTime) {
    for (const ViewCase& c : kViewCases) {
        SCOPED_TRACE(c.name);
        LoadLowPass();
        SetView(ws, plot, c);
        // As the window does: a paint that pulled a limit back asks for another one.
        for (int paint = 0; paint < 3; ++paint) {
            window.repaints = 0;
            Paint(c.curves);
            if (window.repaints == 0) break;
        }
        const ViewState painted = ws.m_view;
        const double cursor = plot.m_cursorHz;
        const int cursorX = plot.m_cursorX;
        window.calls.clear();
        window.repaints = 0;
        Paint(c.curves);
        EXPECT_EQ(ws.m_view, painted);
        EXPECT_EQ(plot.m_cursorHz, cursor);
        EXPECT_EQ(plot.m_cursorX, cursorX);
        EXPECT_TRUE(window.calls.empty());
        EXPECT_EQ(window.repaints, 0);
    }
}

TEST_F(GraphicalTest, PreparingTheViewForTheCursorItDraws) {
    // A cursor that is drawn becomes the view's cursor frequency; one below the level axis
    // does not; the logarithmic curve raises a cursor below its lower limit.
    struct Case {
        const char* name;
        bool log;
        double cursorHz;
        double dbBottom;
        double viewCursor;
    };
    const Case cases[] = {
        {"drawn", false, 3000.0, -120.0, 3000.0},
        {"below the level axis", false, 15000.0, -40.0, 0.0},
        {"beyond the Nyquist frequency", false, 25000.0, -120.0, 0.0},
        {"raised to the lower limit", true, 10.0, -120.0, 50.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LoadLowPass();
        ws.m_view.logScale = c.log;
        ws.m_view.dbBottom = c.dbBottom;
        ws.m_view.cursorHz = 0.0;
        plot.m_cursorHz = c.cursorHz;
        plot.PrepareView(true);
        EXPECT_EQ(ws.m_view.cursorHz, c.viewCursor);
    }
}

TEST_F(GraphicalTest, DragCursorToAColumn) {
    LoadLowPass();
    Paint();  // 30 Hz per column
    plot.m_cursorHz = 3000.0;
    plot.m_cursorX = 140;
    struct DragCase {
        int column;
        int result;
        int cursorX;
        double cursorHz;
    };
    const DragCase cases[] = {
        {18, 0, 140, 3000.0},                      // left of the labels: refused
        {1057, 0, 140, 3000.0},                    // the 4 rightmost columns: refused
        {1056, 1, 140, 3000.0},                    // W - 4: accepted, nothing moves
        {140, 1, 140, 3000.0},                     // the cursor's own column
        {440, 1, 440, 12000.0}, {19, 0, 19, 0.0},  // left of 0 Hz: pinned to the lower limit
    };
    for (const DragCase& c : cases) {
        window.calls.clear();
        EXPECT_EQ(plot.DragCursorTo(c.column), c.result) << c.column;
        EXPECT_EQ(plot.m_cursorX, c.cursorX) << c.column;
        EXPECT_EQ(plot.m_cursorHz, c.cursorHz) << c.column;
    }
    EXPECT_EQ(window.calls.back(), "SetCursorFreq 0");
    EXPECT_EQ(ws.m_view.cursorHz, 0.0);

    // Logarithmic: three significant digits; a move that rounds to the same frequency does not
    // repaint.
    ws.m_view.logScale = 1;
    ws.m_view.logFMax = 24000.0;
    window.repaints = 0;
    EXPECT_EQ(plot.DragCursorTo(373), 1);
    EXPECT_EQ(plot.m_cursorHz, 239.0);
    EXPECT_EQ(window.repaints, 1);
    EXPECT_EQ(plot.DragCursorTo(30), 0);
    EXPECT_EQ(plot.m_cursorHz, 24.0);
    EXPECT_EQ(plot.DragCursorTo(31), 0);
    EXPECT_EQ(plot.m_cursorX, 30);
    EXPECT_EQ(window.repaints, 2);
}

TEST_F(GraphicalTest, PlaceCursorAtAFrequency) {
    LoadLowPass();
    Paint();  // linear, 30 Hz per column
    EXPECT_EQ(plot.PlaceCursorAt(12000.0), 1);
    EXPECT_EQ(plot.m_cursorX, 440);
    EXPECT_EQ(plot.PlaceCursorAt(1e9), 1);
    EXPECT_EQ(plot.m_cursorX, 1040);
    ws.m_view.linFMin = 6000.0;
    EXPECT_EQ(plot.PlaceCursorAt(1000.0), 0);
    EXPECT_EQ(plot.m_cursorHz, 6000.0);
    EXPECT_EQ(plot.m_cursorX, 240);      // counted from 0 Hz
    EXPECT_EQ(ws.m_view.cursorHz, 0.0);  // left to the caller

    ws.m_view.logScale = 1;
    ws.m_view.logFMax = 24000.0;
    ws.m_view.logFMin = 24.0;
    EXPECT_EQ(plot.PlaceCursorAt(240.0), 1);
    EXPECT_EQ(plot.m_cursorX, 373);
    EXPECT_EQ(plot.PlaceCursorAt(10.0), 0);
    EXPECT_EQ(plot.m_cursorHz, 24.0);
    EXPECT_EQ(plot.m_cursorX, 40);
    EXPECT_EQ(plot.PlaceCursorAt(1e6), 1);
    EXPECT_EQ(plot.m_cursorX, 1040);
}

}  // namespace
}  // namespace ondela
