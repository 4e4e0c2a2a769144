// The two plots of the main window: the frequency response of the current filter in dB over a
// linear or a logarithmic frequency axis, with its cursor and level readout, and the impulse
// response (the coefficients). Every paint redraws both completely from the workspace into two
// off-screen images, which the window then copies onto its plot areas; the command line writes
// the same images to a picture file.
//
// A paint has two steps. PrepareView brings the workspace's view (ViewState) up to what this
// paint shows, telling the window of every limit it changes; DrawPlots then draws from the
// workspace and never changes it nor calls the window, so drawing again gives the same images.
//
// The response curve is evaluated at every paint, one magnitude per pixel column, from the
// coefficients quantised to the current coefficient format, so it always shows the filter as it
// will be written. The plot keeps the response cursor (its column and its own copy of the cursor
// frequency); the window moves it by pointer column (DragCursorTo) or by frequency
// (PlaceCursorAt).
//
// A QGuiApplication must exist while a ResponsePlot does (for its label font).
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QSize>
#include <cstdint>
#include <vector>

namespace ondela {

class FilterWorkspace;
class PlotCanvas;
struct LevelScale;
struct ViewState;

// The window's plot areas in pixels: both 1060 wide; the response area 333 and the coefficient
// area 169 high (205 and 104 dialog units of the window layout at 13/8 pixels per unit).
constexpr int kPlotWidth = 1060;
constexpr int kResponsePlotHeight = 333;
constexpr int kCoefPlotHeight = 169;

class ResponsePlot {
  public:
    explicit ResponsePlot(FilterWorkspace& ws);
    virtual ~ResponsePlot();
    ResponsePlot(const ResponsePlot&) = delete;
    ResponsePlot& operator=(const ResponsePlot&) = delete;

    // The sizes of the two plot areas, read at every paint; an empty size stands for an area
    // that is not there, whose plot the paint skips. Both are the window's sizes at first.
    void SetPlotAreas(QSize response, QSize coefs);

    // Redraws both plots from the workspace: the frames always, the curves only when
    // curvesShown (a Create, Load or Analysis has run). PrepareView, then DrawPlots.
    void PaintPlots(bool curvesShown);
    // The view changes the next drawing depends on: the logarithmic limits fitted to the rate
    // and set from the upper one, the Nyquist frequency of the filter, the cursor raised to the
    // logarithmic lower limit, and the cursor frequency of a cursor that will be drawn.
    void PrepareView(bool curvesShown);
    // Draws both plots as the last PrepareView planned them; reads the workspace only.
    void DrawPlots();
    const QImage& ResponseImage() const { return m_respImage; }
    const QImage& CoefImage() const { return m_coefImage; }

    // Moves the cursor to the response plot's pixel column c (counted from 0 Hz in the linear
    // scale). 1 when the frequency there lies within the displayed range, 0 when it was pinned
    // to the lower limit or the column was refused (the 18 leftmost and the 4 rightmost
    // columns). A move shows the new frequency (SetCursorFreq) and asks for a repaint.
    int DragCursorTo(int c);
    // Moves the cursor to frequency f, raised to the displayed lower limit (then 0, else 1), and
    // asks for a repaint. The workspace's cursor frequency is left to the caller.
    int PlaceCursorAt(double f);

    // ---- geometry of the last paint (meaningful after a first paint) ----
    int32_t m_respWidth = 0;
    int32_t m_respHeight = 0;
    int32_t m_coefWidth = 0;
    int32_t m_coefHeight = 0;
    int32_t m_stepX = 0;           // horizontal grid step, set by the response frames
    int32_t m_gridWidth = 0;       // set by every frame
    int32_t m_gridHeight = 0;      // set by every frame
    int32_t m_coefStepY = 0;       // vertical grid step of the coefficient plot
    int32_t m_majorXCount = 0;     // major vertical lines right of the left axis (linear frame)
    int32_t m_majorYCount = 0;     // major horizontal lines of the last frame
    int32_t m_coefZeroOffset = 0;  // bottom axis to the second major row, coefficient plot
    // ---- the response cursor ----
    int32_t m_cursorX = -1;  // pixel column
    int32_t m_cursorY = -1;  // height of the cursor point above the bottom edge
    double m_hzPerPixel = 0.0;
    double m_pixelsPerDb = 0.0;
    double m_cursorHz = 0.0;  // the plot's copy of the cursor frequency
    double m_cursorDb = 0.0;  // level at the cursor

    // ---- drawing tools ----
    static constexpr QColor kOutlinePen{128, 128, 128};
    static constexpr QColor kBackground{255, 245, 220};
    static constexpr QColor kMajorGridPen{235, 215, 190};
    static constexpr QColor kMinorGridPen{255, 255, 255};
    static constexpr QColor kAxisPen{0, 0, 0};
    static constexpr QColor kCursorPen{0, 192, 255};
    static constexpr QColor kCurvePen{255, 0, 0};
    static constexpr QColor kReadoutText{0, 0, 240};
    static constexpr QColor kLabelText{0, 0, 0};
    // "Courier New", 14 pixels high and 6 wide, fixed pitch; the platform's substitute where
    // the face itself is missing, narrowed to 6 pixels per character.
    const QFont& LabelFont() const { return m_labelFont; }

  private:
    bool PrepareSurface(QSize area, QImage& image);
    void DrawOutline(int width, int height);
    void DrawBottomAxis(int width, int height);
    void DrawLeftAxis(int height);
    void DrawRowTicks(int height);
    void DrawMinorRows(int width, int height);
    void DrawMajorRows(int width, int height, bool withBottomRow);

    void DrawLinearFrame();
    void DrawLogFrame();
    void DrawCoefFrame();
    void LabelLinearAxis();
    void LabelLevelAxis(double bottom, double top);

    // What PrepareView found for the drawing.
    struct PaintPlan {
        bool response = false;       // the response image is there to draw into
        bool responseCurve = false;  // the response curve is drawn
        bool coefs = false;          // the coefficient image is there to draw into
        bool coefCurve = false;      // the coefficient curve is drawn
        double frameLogFMax = 0.0;   // upper limit of the logarithmic frame
        double curveLogFMin = 0.0;   // lower limit of the logarithmic curve
        int n = 0;                   // coefficients of the response curve
        double half = 0.0;           // its Nyquist frequency
    };

    // PrepareView for either scale of the response plot.
    void PrepareLogView(bool curvesShown, const LevelScale& level);
    void PrepareLinearView(bool curvesShown, int gridWidth, const LevelScale& level);
    // A cursor that will be drawn: its frequency becomes the view's cursor frequency.
    void NoteDrawnCursor();
    // The coefficient count and half the sampling frequency of the response curves; false when
    // there is nothing to draw. Stores the Nyquist frequency in the workspace.
    bool ResponsePreamble(int& n, double& half);
    // Whether the cursor's level at the planned curve lies above the bottom axis (db: the level).
    bool CursorLevelShown(const LevelScale& level, double& db) const;
    // Whether the cursor is drawn on the linear (grid gridWidth wide) or logarithmic curve.
    bool LinearCursorShown(int gridWidth, const LevelScale& level, double& db) const;
    bool LogCursorShown(const LevelScale& level, double& db) const;
    // The cursor at column 40 + round(offset), its level from the curve; false when it is not
    // drawn (its level at or below the bottom axis).
    bool DrawCursor(double offset, const LevelScale& level);
    void DrawReadout();
    double LevelAt(int n, double r) const;
    void DrawCurve(int n, const LevelScale& level);
    void DrawLinearResponse();
    void DrawLogResponse();
    void DrawCoefCurve();

    FilterWorkspace& m_ws;          // changed by PrepareView and the cursor moves only
    const FilterWorkspace& m_data;  // what the drawing reads
    const ViewState& m_shown;       // the view the drawing reads
    PaintPlan m_plan;
    QFont m_labelFont;
    QSize m_respArea{kPlotWidth, kResponsePlotHeight};
    QSize m_coefArea{kPlotWidth, kCoefPlotHeight};
    QImage m_respImage;
    QImage m_coefImage;
    PlotCanvas* m_canvas = nullptr;  // the surface being painted
    // The coefficients of the response being drawn, in the value each has in the current
    // format, and the format to evaluate them in (FLT64, or an unknown one as it was).
    std::vector<double> m_evaluated;
    int m_evaluatedFormat = 0;
    // The curve's columns while it is drawn: their frequencies as fractions of the Nyquist
    // frequency and their magnitudes (kept to spare an allocation per paint).
    std::vector<double> m_curveX;
    std::vector<double> m_curveMagnitude;
};

}  // namespace ondela
