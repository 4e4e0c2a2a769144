// The main window's logic: its start-up, the commands of its buttons and radios, the
// specification fields with their corrections, the display limits and spin controls, the
// achieved-values read-outs and the pointer over the response plot. It holds no filter data:
// every command reads the fields into the filter workspace, runs a workspace operation and shows
// the workspace again. The widgets are reached through DialogControls only, so the whole window
// can be driven without a screen.
#pragma once

#include <string>

#include "ui/main_window/dialog_controls.h"
#include "workspace/main_window_port.h"

namespace ondela {

class ResponsePlot;
class Preferences;
class FilterWorkspace;
class ShellServices;

// A pixel rectangle in the window's client coordinates; right and bottom are outside it.
struct ClientRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
};

class MainWindowPresenter : public MainWindowPort {
  public:
    // services may be null (no printing, help or About box).
    MainWindowPresenter(FilterWorkspace& ws, ResponsePlot& graph, DialogControls& controls,
                        ShellServices* services);
    ~MainWindowPresenter() override;
    MainWindowPresenter(const MainWindowPresenter&) = delete;
    MainWindowPresenter& operator=(const MainWindowPresenter&) = delete;

    // ---- start-up and commands (main_window_presenter.cpp) ----
    // Runs once the widgets exist and the plots have their final size; respRect is the response
    // plot's area in client coordinates. Loads the stored specification, scale and format and
    // shows them.
    void Start(const ClientRect& respRect);
    // A button, radio or window-menu command by control identifier.
    void OnCommand(int id);
    // Enter pressed while the cursor field has the focus: true when it moved the cursor (the key
    // is used up), false when the value was unchanged (Enter then presses Create).
    bool OnEnterInCursorField();
    // An up (true) or down press of the spin control id.
    void OnSpin(int id, bool up);

    int CreateFilter() override;
    // Reads, stores and designs the specification in the fields: -1 when it is invalid,
    // otherwise 0.
    int DesignFromFields();
    // The Create command over the workspace's entered specification as it stands (Load's, at
    // the full precision of the file): the fields show it but are not read back.
    CreateOutcome CreateFromEntered() override;
    // Stores and designs the specification read (mask: what ReadSpecFields says changed; bit 0
    // the rate), with the display limits reset unless they are kept: the design's outcome.
    CreateOutcome DesignSpec(int mask);
    void ShowAchieved() override;
    void ClearAchieved() override;
    void Repaint() override;

    // ---- fields, display limits, spins (dialog_fields.cpp) ----
    void RefreshFields() override;
    void CompleteSpec();
    int ReadSpecFields();
    void SelectFilterType(int type) override;
    int ReadFilterType();
    void ShowSamplingFreq(double hz);
    void ShowEdgeFreq1(double hz) override;
    void ShowEdgeFreq2(double hz) override;
    void ShowAttenuation(double db);
    void ShowRipple(double db);
    double ReadEdgeFreq1();
    double ReadEdgeFreq2();
    double ReadAttenuation();
    double ReadRipple();
    int ReadMaxCoefs();
    void ShowFreqMin(double hz) override;
    void ShowFreqMax(double hz) override;
    double ReadFreqMin();
    double ReadFreqMax();
    void CapDisplayMaxima();
    void SwitchFreqScale(bool toLog);
    void SetCursorFreq(double hz) override;
    double ReadCursorField();
    void SelectCoefFormat(int format) override;
    int ReadCoefFormatRadios() override;

    // ---- the response plot's cursor and the pointer (dialog_pointer.cpp) ----
    int PlaceCursorAt(double hz) override;
    double PlotCursorHz() const override;
    void SetPlotCursorHz(double hz) override;
    // Left button pressed, pointer moved, left button released; (x, y) in client coordinates.
    void PressAt(int x, int y);
    void MoveTo(int x, int y);
    void Release();
    PointerShape Pointer() const { return m_cursor; }
    bool Dragging() const { return m_dragging; }

    // 1 once a Create, Load or Analysis has run: the plots then draw their curves.
    bool CurvesShown() const { return m_curvesShown; }
    const ClientRect& ResponseRect() const { return m_respRect; }

  private:
    void OnFilterEditor();
    void OnAnalysis();
    void OnCoefFormat(int format);
    void OnPrint();
    void OnHelp();
    void OnQuit();
    void ShowFreqText(int id, double hz);
    void ShowEdgeText(int id, double hz);
    double ReadField(int id) const;
    // The column within the plot, counted as the cursor columns are, for a pointer at x.
    int PointerColumn(int x) const;
    // The pointer shape while the button is held at column c (moves the cursor there).
    PointerShape HoldAt(int c);
    int StoredType();

    FilterWorkspace& m_ws;
    ResponsePlot& m_graph;
    DialogControls& m_controls;
    ShellServices* m_services;

    double m_lastF2 = 0.0;
    ClientRect m_respRect{};
    bool m_dragging = false;
    bool m_curvesShown = false;
    bool m_helpReady = false;
    PointerShape m_cursor = PointerShape::Arrow;
};

}  // namespace ondela
