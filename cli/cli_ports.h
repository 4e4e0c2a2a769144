// The main window and the modal dialogs as the command-line designer provides them to the
// filter workspace. The "fields" of this window are the specification typed on the command line;
// its Create command does what the window's Create button does with its fields. Every message the
// window would show in a box is printed as one line on the error stream and kept, in order.
#pragma once

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cli/cli_support.h"
#include "engine/design_engine.h"
#include "engine/filter_spec.h"
#include "settings/memory_settings_store.h"
#include "settings/preferences.h"
#include "workspace/field_entries.h"
#include "workspace/filter_workspace.h"
#include "workspace/main_window_port.h"
#include "workspace/missing_entries.h"
#include "workspace/user_dialogs.h"

namespace ondela::cli {

// The value a frequency field of the window reads back after showing hz.
double FieldShows(double hz);

// Whether Load measured the coefficients of a file that names no sampling frequency: the window
// measures them at the rate its field shows, which the command line does not make up.
bool MeasuredWithoutRate(const FilterWorkspace& ws, const LoadOutcome& load);

class CliDialogs : public UserDialogs {
  public:
    // seconds: a steady clock in seconds, for the progress lines (replaceable for tests); the
    // wait for a result starts when the dialogs are made, with the command.
    explicit CliDialogs(std::FILE* err, std::function<double()> seconds = SteadySeconds)
        : m_err(err), m_seconds(std::move(seconds)), m_quietSince(m_seconds()) {}

    // Prints the text and answers as a user who only ever presses OK, or No to a question.
    MessageAnswer MessageBox(const std::string& text, const std::string& caption,
                             MessageButtons buttons, MessageIcon icon) override;
    // Nobody chooses a file: the commands load the file named on the command line by its path.
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
    // Once the command has run for more than a second, a search prints how far it has come,
    // about once a second; the lines are not messages (nor kept with them). Nothing cancels it.
    bool BusyProgress(const std::string& text) override;

    static double SteadySeconds() {
        return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }

    // A message of the command line itself, printed and kept with the others.
    void Note(const std::string& text) {
        m_messages.push_back(text);
        PrintLine(m_err, text);
    }

    // A message already printed (a failed write's), kept with the others for the report.
    void Keep(const std::string& text) { m_messages.push_back(text); }

    // The messages shown so far, in order.
    const std::vector<std::string>& Messages() const { return m_messages; }

  private:
    std::FILE* m_err;
    std::vector<std::string> m_messages;
    std::function<double()> m_seconds;
    double m_quietSince;  // the start of the command, or the last progress line printed
};

class CliMainWindow : public MainWindowPort {
  public:
    // The workspace's dialogs must be set before CreateFilter runs.
    CliMainWindow(FilterWorkspace& ws, Preferences& prefs) : m_ws(ws), m_prefs(prefs) {}

    // What the fields hold: typed, or shown by RefreshFields. CreateFilter reads them as the
    // window's Create reads its fields.
    SpecEntries fields{};

    // The design command of the window: reads the fields into the workspace's entered
    // specification (an edge 2 only for the band types) and runs the workspace's Create
    // (CreateFromSpec), whose outcome it answers.
    CreateOutcome Create();
    // Create, 1 once a design was attempted.
    int CreateFilter() override { return Create().entered ? 1 : 0; }
    // Create over the workspace's entered specification as it stands (Load's), the fields not
    // read back.
    CreateOutcome CreateFromEntered() override;
    // The fields as the window shows them on a first start: the stored specification (its
    // defaults, in the command line's empty store), completed.
    void ShowStoredSpec();

    // The fields show the workspace's entered specification, which they complete (from what they
    // hold, else the stored settings: missing_entries.h) and hold within their limits as the
    // window's fields do (Load puts a file's specification there before it runs Create).
    void RefreshFields() override;
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
    Preferences& m_prefs;
    int m_checkedFormat = -1;  // the checked format radio; -1 none
    double m_plotCursorHz = 0.0;

    // How the fields read what they hold, for completing s.
    FieldReaders Readers(const FilterSpec& s) const;
};

// The designer as the window has it: an engine, the workspace, the dialogs and the main window,
// over settings kept in memory only, so that a run of the command line never touches the user's
// stored settings.
class CliDesigner {
  public:
    explicit CliDesigner(std::FILE* err);
    CliDesigner(const CliDesigner&) = delete;
    CliDesigner& operator=(const CliDesigner&) = delete;

    // The coefficient format the window starts with: the stored one, FLT32 when there is none.
    int StartupCoefFormat();

    MemorySettingsStore store;
    Preferences prefs{&store};
    DesignEngine engine;
    std::unique_ptr<FilterWorkspace> ws = std::make_unique<FilterWorkspace>();
    CliDialogs dialogs;
    CliMainWindow window{*ws, prefs};
};

}  // namespace ondela::cli
