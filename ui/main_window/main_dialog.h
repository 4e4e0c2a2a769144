// The main window as Qt widgets: a fixed-size dialog with one widget per control of the window
// layout, the two plot areas widened to 1060 pixels, and every click, spin press, key and
// pointer event handed to the window's logic (MainWindowPresenter). Its modal run is the
// application's main loop.
#pragma once

#include <QDialog>
#include <map>
#include <memory>

#include "ui/main_window/dialog_controls.h"
#include "ui/main_window/main_window_presenter.h"

class QAbstractButton;
class QButtonGroup;
class QLineEdit;

namespace ondela {

class ResponsePlot;
class FilterWorkspace;
class PlotView;
class UserDialogs;
class ShellServices;

class MainDialog : public QDialog, public DialogControls {
  public:
    // dialogs: the message boxes, the wait pointer and the busy notice.
    MainDialog(FilterWorkspace& ws, ResponsePlot& graph, UserDialogs& dialogs,
               ShellServices* services);
    ~MainDialog() override;

    MainWindowPresenter& Logic() { return *m_logic; }
    // The widget of a control (nullptr for an unknown identifier).
    QWidget* Control(int id) const;

    // ---- DialogControls ----
    std::string GetText(int id) const override;
    void SetText(int id, const std::string& text) override;
    bool IsChecked(int id) const override;
    void SetChecked(int id, bool checked) override;
    void SetEnabled(int id, bool enabled) override;
    bool HasControl(int id) const override;
    void RepaintPlots(bool now) override;
    void SetPointer(PointerShape shape) override;
    void SetCaption(const std::string& caption) override;
    void CloseWindow(int result) override;

    // Redraws the plot images when a repaint was asked for since the last paint.
    void PaintPlotsIfStale();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void reject() override;  // Escape and the close box: Quit

  private:
    void BuildControls();
    void WidenPlots();

    FilterWorkspace& m_ws;
    ResponsePlot& m_graph;
    UserDialogs& m_dialogs;
    std::map<int, QWidget*> m_controls;
    std::map<int, QButtonGroup*> m_groupOf;
    PlotView* m_respView = nullptr;
    PlotView* m_coefView = nullptr;
    bool m_plotsStale = true;
    bool m_paintingPlots = false;
    bool m_dualShown = false;
    std::unique_ptr<MainWindowPresenter> m_logic;
};

}  // namespace ondela
