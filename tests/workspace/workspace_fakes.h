// Stand-ins for the main window and the editor that record every call in one shared log, which
// the recording dialogs share, so tests can check both what was shown and in which order.
#pragma once

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "numbers/number_text.h"
#include "tests/support/named_spec.h"
#include "tests/workspace/recording_dialogs.h"
#include "workspace/editor_port.h"
#include "workspace/filter_workspace.h"
#include "workspace/main_window_port.h"
#include "workspace/user_dialogs.h"

namespace ondela::testing {

using EventLog = std::vector<std::string>;

class FakeMainWindow : public MainWindowPort {
  public:
    FakeMainWindow(EventLog& log, FilterWorkspace& ws) : log_(log), ws_(ws) {}

    void RefreshFields() override { log_.push_back("RefreshFields"); }
    void SelectFilterType(int type) override {
        log_.push_back(FormatText("SelectFilterType %d", type));
    }
    void ShowEdgeFreq1(double hz) override { log_.push_back(FormatText("ShowEdgeFreq1 %g", hz)); }
    void ShowEdgeFreq2(double hz) override { log_.push_back(FormatText("ShowEdgeFreq2 %g", hz)); }
    void SetCursorFreq(double hz) override { log_.push_back(FormatText("SetCursorFreq %g", hz)); }
    void ShowFreqMin(double hz) override { log_.push_back(FormatText("ShowFreqMin %g", hz)); }
    void ShowFreqMax(double hz) override { log_.push_back(FormatText("ShowFreqMax %g", hz)); }
    void SelectCoefFormat(int format) override {
        ws_.m_current.format = static_cast<CoefFormat>(format);
        log_.push_back(FormatText("SelectCoefFormat %d", format));
    }
    // The checked radio; none checked (-1) leaves the workspace's format.
    int ReadCoefFormatRadios() override {
        if (checkedRadio >= 0) ws_.m_current.format = static_cast<CoefFormat>(checkedRadio);
        return ws_.m_current.format;
    }
    // What the window's Create command does to the workspace once the fields are read.
    int CreateFilter() override {
        log_.push_back("CreateFilter");
        return ws_.CreateFromSpec().entered ? 1 : 0;
    }
    CreateOutcome CreateFromEntered() override {
        log_.push_back("CreateFromEntered");
        return ws_.CreateFromSpec();
    }
    void ClearAchieved() override { log_.push_back("ClearAchieved"); }
    void ShowAchieved() override { log_.push_back("ShowAchieved"); }
    void Repaint() override { log_.push_back("Repaint"); }
    int PlaceCursorAt(double hz) override {
        log_.push_back(FormatText("PlaceCursorAt %g", hz));
        plotCursorHz = hz;
        return 1;
    }
    double PlotCursorHz() const override { return plotCursorHz; }
    void SetPlotCursorHz(double hz) override {
        log_.push_back(FormatText("SetPlotCursorHz %g", hz));
        plotCursorHz = hz;
    }

    int checkedRadio = -1;
    double plotCursorHz = 0.0;

  private:
    EventLog& log_;
    FilterWorkspace& ws_;
};

class FakeEditor : public EditorPort {
  public:
    explicit FakeEditor(EventLog& log) : log_(log) {}

    int OpenEditor(const std::string&) override {
        if (open) return kEditorAlreadyOpen;
        if (openFailure != kEditorOpened) return openFailure;
        open = true;
        return kEditorOpened;
    }
    bool IsEditorOpen() const override { return open; }
    void ClearEditorText() override {
        log_.push_back("ClearEditorText");
        if (open) text.clear();
    }
    void SetEditorTitle(const std::string& t) override {
        log_.push_back("SetEditorTitle " + t);
        if (open) title = t;
    }
    void SetEditorText(const char* t, int length) override {
        log_.push_back(FormatText("SetEditorText %d", length));
        if (open) text.assign(t, static_cast<size_t>(length));
    }
    int GetEditorText(char* buffer, int size) override {
        if (!open || failGetText) return -1;
        if (buffer == nullptr || size <= 0) return 0;
        const int n = std::min(static_cast<int>(text.size()), size - 1);
        std::copy_n(text.data(), n, buffer);
        buffer[n] = '\0';
        return n;
    }
    int GetEditorTextLength() const override { return open ? static_cast<int>(text.size()) : -1; }
    bool CloseEditor() override {
        open = false;
        return true;
    }

    bool open = true;
    int openFailure = 0;       // what OpenEditor answers instead of opening (-2, -3); 0 opens
    bool failGetText = false;  // GetEditorText fails as if there were no editor
    std::string title;
    std::string text;

  private:
    EventLog& log_;
};

// A workspace wired to the three fakes.
struct WiredWorkspace {
    WiredWorkspace() : window(log, ws), editor(log), dialogs(log) {
        ws.m_mainWindow = &window;
        ws.m_editor = &editor;
        ws.m_dialogs = &dialogs;
    }

    // The messages shown so far, in order.
    std::vector<std::string> Messages() const {
        std::vector<std::string> out;
        for (const auto& e : log)
            if (e.rfind("Message ", 0) == 0) out.push_back(e.substr(8));
        return out;
    }

    EventLog log;
    FilterWorkspace ws;
    FakeMainWindow window;
    FakeEditor editor;
    RecordingDialogs dialogs;
};

}  // namespace ondela::testing
