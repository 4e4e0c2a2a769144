// The designer's workspace: the current filter (CurrentFilter: the entered and the achieved
// specification, the coefficients, their format and what they go with), the description text and
// the view of the plots. Its operations sit between the windows and the design engine:
// validating a specification, designing it, measuring a coefficient set, switching the
// coefficient format, and writing the filter description. Create, Load and SetFormat answer what
// they did (command_outcome.h).
//
// The workspace is a block of plain data: the windows read and write its fields directly. It
// reaches the main window, the editor and the modal dialogs only through the ports below, all
// owned elsewhere and any of them possibly absent (then the call is skipped).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/dense_response.h"
#include "engine/design_engine.h"
#include "engine/filter_spec.h"
#include "export/fixed_point.h"
#include "workspace/command_outcome.h"
#include "workspace/current_filter.h"
#include "workspace/description_writer.h"
#include "workspace/targets_met_in.h"
#include "workspace/view_state.h"

namespace ondela {

class Preferences;
class DesignEngine;
class EditorPort;
class MainWindowPort;
class UserDialogs;

constexpr const char* kAppTitle = "Ondela";
constexpr int kEditorTextLimit = 262064;  // most characters Analysis takes from the editor
constexpr int kFileSizeLimit = 261888;    // largest filter file Load reads
// The file choosers' filter: description and pattern pairs separated by "|".
constexpr const char* kFilterFileTypes = "Text Files (*.txt)|*.txt|All Files (*.*)|*.*";

// What AnalyseText answers instead of a number of coefficients.
enum AnalysisOutcome : int {
    kAnalysisFailed = -1,        // a message said why
    kAnalysisRedesign = -2,      // only parameters changed: the request holds them, design it
    kAnalysisCoefsChanged = -3,  // the edited coefficients were measured; the editor should get
                                 // the new description
};

class FilterWorkspace {
  public:
    using DesignFunction = std::function<DesignResult(const FilterSpec& request)>;
    using DesignAtLengthFunction = std::function<DesignResult(int n)>;
    using AnalyseFunction = std::function<int(FilterSpec&, const double*, int, int)>;
    using Clock = std::function<std::time_t()>;
    using WriteFunction = std::function<long(int fd, const char* data, std::size_t size)>;

    FilterWorkspace();
    virtual ~FilterWorkspace();
    FilterWorkspace(const FilterWorkspace&) = delete;
    FilterWorkspace& operator=(const FilterWorkspace&) = delete;

    // Checks and corrects a specification in place: -1 invalid, 0 valid as it was, 1 valid after
    // corrections. Reversed band edges are swapped and shown in the main window's edge fields.
    int ValidateSpec(FilterSpec& spec);

    // Designs the current filter's request into its taps and achieved values and measures the
    // result in its format against the request (the design goes with its request: its origin
    // becomes Designed). The outcome's result: 0 when a coefficient set was produced (possibly
    // after a warning), -1 for an invalid specification (nothing changes), the engine's status
    // word when it designed nothing (the taps are zeroed and the filter is no longer valid).
    CreateOutcome RunDesign();
    // One design by the engine (m_designFilter), whose status word the outcome of the design
    // command running it reports.
    DesignResult DesignWithEngine(const FilterSpec& request);

    // Measures the first n coefficients in fmt into spec, silently: the achieved values as
    // AnalyseCoefs writes them. A response without a stop band or a pass band of its own that goes
    // with the design (GoesWithRequest) is measured over the bands it was designed for. True when
    // the response had no stop band of its own to measure.
    bool MeasureCoefs(FilterSpec& spec, const double* coefs, int n, int fmt);

    // Measures the first n coefficients, quantised to fmt, into spec. When they go with the
    // entered specification (GoesWithRequest), their attenuation and ripple are measured over the
    // bands they were designed for (designBands), and it warns if the specification is missed by
    // more than 1 dB of attenuation or 10 % of ripple (attenuation alone for a half band), or
    // if the response has no stop band of its own. Loaded coefficients without a stop band show
    // an attenuation of 0. Always 0.
    int AnalyseCoefs(FilterSpec& spec, const double* coefs, int n, int fmt);

    // Makes format the coefficient format, stores it, and measures the current filter again in
    // it (when there is one with a count of coefficients). The taps never change.
    FormatOutcome SetFormat(CoefFormat format);

    // Pulls the upper display frequency of the current scale back to the range the sampling
    // frequency allows, and re-places the plot cursor when it moved.
    void FitDisplayLimits();

    // The Create command, once the entered specification is the current filter's request as the
    // fields read it (the window reads its fields, the command line its options, through the
    // rules of field_entries.h): clears the coefficients and the achieved values, validates the
    // request (an invalid one shows "SORRY: Invalid Specifications": not entered), stores it, and
    // designs it (DesignEntered): the outcome of that design, with every message the command
    // showed.
    CreateOutcome CreateFromSpec();
    // The steps of Create, for the window, which puts its display limits between them.
    // The refusal of an invalid specification: "SORRY: Invalid Specifications", caption "Error".
    void ShowInvalidSpec();
    // Stores the valid entered specification and starts a design of it: the Nyquist frequency
    // of its rate, the cursor at 0 until a design places it.
    void EnterSpec();
    // Designs the entered specification, with the busy pop-up above 1000 coefficients; after a
    // design the filter is valid, its display limits count as set by it, its coefficients go
    // with the specification and the cursor stands at the specification's frequency. An open
    // editor gets the new description. RunDesign's outcome.
    CreateOutcome DesignEntered();

    // With m_meetInFormat, after a design: while the design, in the chosen format (m_meetWord
    // when set, else the current format), misses the entered attenuation or ripple, designs again
    // (longer, for more attenuation, or shorter: meet_in_format.cpp) within the request's
    // maxCoefs, and keeps the best design that meets them (the narrowest transition). When none
    // does, keeps the one that came closest and says what would do: other fraction bits, a finer
    // format, a longer word, or how many coefficients. The search opens the busy pop-up and reports
    // its progress there; when the user cancels it, the best design found so far is kept and a
    // message says so. The same entries and engine state give the same filter.
    void MeetTargetsInFormat();

    // The frequency the cursor goes with the entered specification: the middle of the band for
    // the band types, else edge 1 (edge 2 when edge 1 is missing).
    double SpecCursorFreq() const;
    // Puts the cursor there: in the cursor field and on the plot when there is a main window.
    void PlaceSpecCursor();

    // The Analysis command (analysis_command.cpp): reads the editor's text back, decides whether
    // its coefficients or its parameters were edited, and re-measures the coefficients. An
    // AnalysisOutcome, else the number of coefficients measured.
    int AnalyseText();

    // Filter files (filter_files.cpp). Load asks for a description file (ChooseFileToLoad, in
    // the folder of the last one) and loads it (LoadFilterFile). Save asks for a file name and
    // writes the current description; the file already there is replaced only once the new text
    // is completely written.
    // Load's outcome; nullopt when no file was chosen.
    std::optional<LoadOutcome> LoadFilter();
    void SaveFilter();
    // The folder the save choosers start in: that of the last save of this run, else that of
    // the last loaded file, else the program's; empty when it no longer exists.
    std::string SaveStartDirectory();
    // The folder an export's chooser starts in: that of the last save or export of this run, else
    // that of the last loaded file, else home (the user's home folder); never the program's own
    // folder. Empty when none of them exists.
    std::string ExportStartDirectory(const std::string& home);
    // The file chooser of Load; nullopt when it was cancelled (or there are no dialogs).
    std::optional<std::string> ChooseFileToLoad();
    // Loads the description file at path (chosen, dropped on the editor or named on the command
    // line) and rebuilds the filter from it: designed again from its specification when it holds
    // a complete one (RedesignFromFile), else measured from its coefficients (MeasureFileCoefs).
    LoadOutcome LoadFilterFile(const std::string& path);
    // The checks Save makes before it asks for a file name: builds the description and gives the
    // message that refuses it ("No valid filter coefs available", too many coefficients), or
    // nullopt when it can be written.
    std::optional<std::string> DescriptionRefusal();

    // Filter description text (workspace_description.cpp, over description_writer.h).
    //
    // The current filter as the description sees it: exactly its achieved count of taps (and of
    // reference taps), and no origin unless a filter is present or it was designed.
    CurrentFilter CurrentSnapshot() const;
    // Builds the description of the current filter, in its format, into m_text: 1 when built
    // (m_textOverflow tells whether it was cut at a whole piece), 0 when there is no filter to
    // describe.
    int BuildDescription();
    // The one-line title of the current filter (editor caption, default file name). 1 with the
    // title in title, 0 when no title can be made.
    int FilterTitle(std::string& title);
    // Hands the description and its title to the editor. 1 when the editor received them.
    int ShowInEditor();

    // The text of the description built or read last (m_textSize bytes).
    std::string_view Text() const { return {m_text.data(), static_cast<size_t>(m_textSize)}; }

    // A message box with the application's title and an OK button. Any busy pop-up is closed
    // first so that it never hides a message.
    void ShowMessage(const std::string& text);
    // The messages shown since the mark (an earlier MessageMark): what a command tells in its
    // outcome.
    std::size_t MessageMark() const { return m_shown.size(); }
    std::vector<ShownMessage> ShownSince(std::size_t mark) const;
    // The busy pop-up of a long design.
    void OpenBusyWindow();
    void CloseBusyWindow();

    // The current filter: what was asked for, what its coefficients achieve, the coefficients,
    // their format and where they came from.
    const CurrentFilter& Current() const { return m_current; }

    // ---- state ----
    int32_t m_busyWindow = 0;  // 1 while the busy pop-up opened for a design is shown
    ViewState m_view;          // scale, display limits and cursor of the plots
    // The current filter. The entered specification (request) is also where the window and the
    // command line put what their fields and options read, before Create designs it.
    CurrentFilter m_current;
    std::string m_fileDir;       // "FileInPath" as last read by Load
    std::string m_saveDir;       // directory of the last Save of this run
    std::string m_moduleDir;     // directory of the program, no trailing separator
    std::string m_helpPath;      // full path of the help file; empty when none was found
    std::vector<char> m_text;    // kTextCapacity bytes, lines ended by CR LF, zero-terminated
    int32_t m_textOverflow = 0;  // the last description did not fit
    int32_t m_textSize = 0;      // size of the last complete description or file read
    // Create lengthens its design until the coefficients, rounded to the chosen format, meet
    // the targets (the window's "Meet targets in format"; off unless asked for).
    int32_t m_meetInFormat = 0;
    // The fixed-point word those targets are to be met in instead of the current format (the
    // command line's --word-bits); none in the window.
    std::optional<FixedPointRequest> m_meetWord;
    // The fields of the last loaded file's specification whose values could not be read
    // ("Attenuation = abc"): Load completed them as missing ones.
    std::vector<std::string> m_unreadableFields;
    int32_t m_responseCount = 0;
    std::array<ResponsePoint, kResponseArraySize> m_response{};
    std::string m_prefKeyPath = "Software\\MQ\\Ondela\\Preferences";
    std::string m_filePath;  // full path of the file last chosen for Load

    // ---- collaborators, owned by the application ----
    MainWindowPort* m_mainWindow = nullptr;  // set while the main window exists
    EditorPort* m_editor = nullptr;
    UserDialogs* m_dialogs = nullptr;
    DesignEngine* m_engine = nullptr;
    // What the half-band correction of this workspace's designs remembers from one to the next:
    // m_designFilter passes it to every design of the engine.
    HalfBandCorrection m_halfBandCorrection;
    Preferences* m_prefs = nullptr;  // the open Preferences key, when IsOpen()

    // The engine calls and the clock, replaceable for tests. By default they call m_engine's
    // DesignFilter (NOT_POSSIBLE while there is no engine) and keep the bands of its outcome in
    // the current filter's designBands, the engine's AnalyseResponse and the system clock.
    DesignFunction m_designFilter;
    // The engine's DesignAtLength: the last design's bands at another length.
    DesignAtLengthFunction m_designAtLength;
    AnalyseFunction m_analyseResponse;
    Clock m_clock;
    // The step of Save that writes bytes into the open file: returns how many it wrote, or -1
    // with errno set, as POSIX write does (which it calls by default). Replaceable for tests.
    WriteFunction m_writeBytes;

    // The first n taps of the current filter (n within the capacity of the engine's arrays), the
    // taps held extended with zeros to cover them: what a measurement of n coefficients reads.
    double* TapsCovering(int n);
    // Every tap held becomes 0; the filter keeps its length.
    void ZeroTaps();

  private:
    // Every message shown through ShowMessage and ShowInvalidSpec, in order: a command's outcome
    // takes those shown since it started.
    std::vector<ShownMessage> m_shown;
    // The status word of the engine's last design; nullopt before it ran.
    std::optional<int> m_engineStatus;

    // Set while a message of MeetTargetsInFormat has said that the targets are missed, so that
    // the measurement that follows does not say it a second time.
    bool m_missReported = false;

    // Load's steps: reading the file into m_text (false after a message), designing the file's
    // specification in the request again (n coefficients of format fmt read from it, and the
    // format or word it records its targets met in), measuring its coefficients when it holds no
    // complete specification (s as read from it).
    bool ReadFileText(const std::string& path);
    CreateOutcome RedesignFromFile(int n, int fmt, const std::optional<TargetsMetIn>& met);
    // True when the coefficients were measured (false after a message refusing them).
    bool MeasureFileCoefs(FilterSpec s, int n, int fmt);
    int ValidateSpecImpl(FilterSpec& spec, bool showEdges);
    bool CoefsReadDiffer(const std::array<double, kCoefArraySize>& coefsRead, int n, int fmt) const;
    std::string LoadStartDirectory();
    // m_fileDir from the stored "FileInPath", the file Load read last (also in another run).
    void ReadStoredFilePath();
};

}  // namespace ondela
