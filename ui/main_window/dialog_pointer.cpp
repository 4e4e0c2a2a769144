// The pointer over the response plot: pressing the left button inside the plot grabs the
// cursor, which then follows the pointer column by column while the button is held; the
// pointer shows two arrows while the cursor is held inside the displayed range.
#include <cmath>

#include "ui/main_window/main_window_presenter.h"
#include "ui/plot/response_plot.h"
#include "workspace/filter_workspace.h"

namespace ondela {

int MainWindowPresenter::PlaceCursorAt(double hz) {
    return m_graph.PlaceCursorAt(hz);
}

double MainWindowPresenter::PlotCursorHz() const {
    return m_graph.m_cursorHz;
}

void MainWindowPresenter::SetPlotCursorHz(double hz) {
    m_graph.m_cursorHz = hz;
}

int MainWindowPresenter::PointerColumn(int x) const {
    int offset = 0;
    if (!m_ws.m_view.logScale) {
        // Linear cursor columns count from 0 Hz, the plot's first column from f. min.
        if (m_graph.m_hzPerPixel > 0.0) {
            const double cols = std::round(m_ws.m_view.linFMin / m_graph.m_hzPerPixel);
            offset = std::isfinite(cols) && std::fabs(cols) < 1e9 ? static_cast<int>(cols) : 0;
        }
    } else {
        offset = m_ws.Current().valid ? 1 : 0;
    }
    return x - m_respRect.left + offset;
}

PointerShape MainWindowPresenter::HoldAt(int c) {
    if (m_ws.Current().valid && m_graph.DragCursorTo(c) == 1) return PointerShape::DualArrow;
    return PointerShape::Arrow;
}

void MainWindowPresenter::PressAt(int x, int y) {
    if (!m_respRect.Contains(x, y)) {
        m_dragging = false;
        m_cursor = PointerShape::Arrow;
    } else {
        m_dragging = true;
        m_cursor = HoldAt(PointerColumn(x));
    }
    m_controls.SetPointer(m_cursor);
}

void MainWindowPresenter::MoveTo(int x, int y) {
    if (!m_dragging) return;
    if (!m_respRect.Contains(x, y)) {
        m_dragging = false;
        return;
    }
    const PointerShape shape = HoldAt(PointerColumn(x));
    if (shape != m_cursor) {
        m_cursor = shape;
        m_controls.SetPointer(m_cursor);
    }
}

void MainWindowPresenter::Release() {
    m_cursor = PointerShape::Arrow;
    m_controls.SetPointer(m_cursor);
    m_dragging = false;
    Repaint();
}

}  // namespace ondela
