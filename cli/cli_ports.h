// The main window and the modal dialogs as the command-line designer provides them to the
// filter workspace. The "fields" of this window are the specification typed on the command line;
// its Create command does what the window's Create button does with its fields. Every message the
// window would show in a box is printed as one line on the error stream and kept, in order.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "engine/filter_spec.h"
#include "workspace/main_window_port.h"
#include "workspace/user_dialogs.h"

namespace ondela {
class CPreferences;
class FilterWorkspace;
}  // namespace ondela

namespace ondela::cli {

class CliDialogs : public UserDialogs {
  public:
    explicit CliDialogs(std::FILE* err) : m_err(err) {}

    // Prints the text and answers as a user who only ever presses OK, or No to a question.
    MessageAnswer MessageBox(const std::string& text, const std::string& caption,
                             MessageButtons buttons, MessageIcon icon) override;
    // There is nobody to choose a file.
    std::optional<std::string> ChooseFileToOpen(const std::string&, const std::string&,
                                                const std::string&) override {
        return std::nullopt;
    }
    std::optional<std::string> ChooseFileToSave(const std::string&, const std::string&,
                                                const std::string&) override {
        return std::nullopt;
    }
    void SetWaitPointer(bool) override {}
    // No pop-up is ever shown.
    bool OpenBusyPopup() override { return false; }
    void CloseBusyPopup() override {}
    bool IsBusyPopupOpen() const override { return false; }

    // The messages shown so far, in order.
    const std::vector<std::string>& Messages() const { return m_messages; }

  private:
    std::FILE* m_err;
    std::vector<std::string> m_messages;
};

class CliMainWindow : public MainWindowPort {
  public:
    // The workspace's dialogs must be set before CreateFilter runs.
    CliMainWindow(FilterWorkspace& ws, CPreferences& prefs) : m_ws(ws), m_prefs(prefs) {}

    // The specification as typed; CreateFilter reads it as the window reads its fields.
    FilterSpec fields{};

    // The design command of the window: reads the fields into the workspace's entered
    // specification and validates it ("SORRY: Invalid Specifications" and 0 when it is invalid),
    // stores it, designs, and on success marks the filter valid, as going with its
    // specification. 1 once a design was attempted; DesignResult() tells how it ended.
    int CreateFilter() override;
    // RunDesign's result of the last CreateFilter: 0 a filter was produced, -1 invalid
    // specification, otherwise the engine status that stopped the design.
    int DesignResult() const { return m_designResult; }

    void RefreshFields() override {}
    void SelectFilterType(int) override {}
    void ShowEdgeFreq1(double) override {}
    void ShowEdgeFreq2(double) override {}
    void SetCursorFreq(double hz) override;
    void ShowFreqMin(double) override {}
    void ShowFreqMax(double) override {}
    // Sets the workspace's format, checks its radio (0..3 only) and stores it.
    void SelectCoefFormat(int format) override;
    int ReadCoefFormatRadios() override;
    void ClearAchieved() override;
    void ShowAchieved() override {}
    void Repaint() override {}
    int PlaceCursorAt(double hz) override {
        m_plotCursorHz = hz;
        return 1;
    }
    double PlotCursorHz() const override { return m_plotCursorHz; }
    void SetPlotCursorHz(double hz) override { m_plotCursorHz = hz; }

  private:
    FilterWorkspace& m_ws;
    CPreferences& m_prefs;
    int m_checkedFormat = -1;  // the checked format radio; -1 none
    int m_designResult = -1;
    double m_plotCursorHz = 0.0;
};

}  // namespace ondela::cli
