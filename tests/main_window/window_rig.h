// The main window's logic over a table of controls, wired to a real engine and workspace as on a
// first start with an empty settings store: the window the command-parity and file tests drive.
#pragma once

#include <string>
#include <vector>

#include "engine/design_engine.h"
#include "settings/memory_settings_store.h"
#include "settings/preferences.h"
#include "tests/main_window/fake_controls.h"
#include "tests/workspace/workspace_fakes.h"
#include "ui/main_window/control_ids.h"
#include "ui/main_window/main_window_presenter.h"
#include "ui/plot/response_plot.h"
#include "workspace/filter_workspace.h"

namespace ondela::testing {

// The response plot's rectangle in the window's client area.
constexpr ClientRect kRigResponseRect{15, 18, 15 + kPlotWidth, 18 + kResponsePlotHeight};

struct WindowRig {
    WindowRig() {
        prefs.OpenKeys();
        ws.m_prefs = &prefs;
        ws.m_engine = &engine;
        ws.m_dialogs = &dialogs;
        ws.m_editor = &editor;
        editor.open = false;
        dlg.Start(kRigResponseRect);
        log.clear();
    }
    std::vector<std::string> Messages() const { return dialogs.Texts(); }
    void Click(int id) {
        controls.ClickRadio(id);
        dlg.OnCommand(id);
    }
    void TickMeetInFormat(bool meet) {
        controls.SetChecked(ctl::kMeetInFormat, meet);
        dlg.OnCommand(ctl::kMeetInFormat);
    }
    std::vector<double> Coefs() const {
        return {ws.m_current.taps.begin(),
                ws.m_current.taps.begin() + ws.m_current.achieved.numCoefs};
    }

    MemorySettingsStore store;
    Preferences prefs{&store};
    DesignEngine engine;
    FilterWorkspace ws;
    ResponsePlot graph{ws};
    FakeControls controls;
    EventLog log;
    FakeEditor editor{log};
    RecordingDialogs dialogs{log};
    MainWindowPresenter dlg{ws, graph, controls, nullptr};
};

}  // namespace ondela::testing
