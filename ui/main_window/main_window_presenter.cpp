// Start-up, the command handlers and the achieved-values read-outs of the main window.
#include "ui/main_window/main_window_presenter.h"

#include <cmath>

#include "engine/filter_limits.h"
#include "numbers/number_text.h"
#include "settings/preferences.h"
#include "settings/setting_keys.h"
#include "ui/main_window/control_ids.h"
#include "ui/main_window/shell_services.h"
#include "ui/plot/plot_text.h"
#include "ui/plot/response_plot.h"
#include "workspace/editor_port.h"
#include "workspace/filter_workspace.h"
#include "workspace/user_dialogs.h"

namespace ondela {

MainWindowPresenter::MainWindowPresenter(FilterWorkspace& ws, ResponsePlot& graph,
                                         DialogControls& controls, ShellServices* services)
    : m_ws(ws), m_graph(graph), m_controls(controls), m_services(services) {}

MainWindowPresenter::~MainWindowPresenter() {
    if (m_ws.m_mainWindow == this) m_ws.m_mainWindow = nullptr;
}

void MainWindowPresenter::Start(const ClientRect& respRect) {
    m_ws.m_mainWindow = this;
    m_lastF2 = 0.0;
    m_curvesShown = false;
    m_helpReady = false;
    if (!m_ws.m_helpPath.empty() && m_services) m_helpReady = m_services->InitHelp(m_ws.m_helpPath);
    m_respRect = respRect;

    m_ws.m_response.fill(ResponsePoint{});
    m_ws.m_current.request = FilterSpec{};
    m_ws.ZeroTaps();
    Preferences* prefs = m_ws.m_prefs;
    if (prefs) prefs->LoadSpec(m_ws.m_current.request);
    // The stored format is taken before the fields are refreshed, which store the format they
    // show: otherwise the workspace's start-up format would overwrite the user's choice.
    uint32_t fmt =
        prefs ? prefs->GetUnsigned(setting::kCoefFormat, FLT32) : static_cast<uint32_t>(FLT32);
    if (fmt > INT16) fmt = FLT32;
    m_ws.m_current.format = static_cast<CoefFormat>(fmt);

    m_ws.m_view.logScale = prefs && prefs->GetUnsigned(setting::kLogFreqScale, 0) != 0 ? 1 : 0;
    m_controls.SetChecked(ctl::kScaleLin, !m_ws.m_view.logScale);
    m_controls.SetChecked(ctl::kScaleLog, m_ws.m_view.logScale);
    m_ws.m_meetInFormat = prefs && prefs->GetUnsigned(setting::kMeetInFormat, 0) != 0 ? 1 : 0;
    m_controls.SetChecked(ctl::kMeetInFormat, m_ws.m_meetInFormat != 0);

    RefreshFields();

    SelectCoefFormat(m_ws.m_current.format);
    m_ws.m_current.origin = FilterOrigin::None;
    ClearAchieved();

    if (m_services) {
        const std::string caption = m_services->ProductCaption();
        if (!caption.empty()) m_controls.SetCaption(caption);
    }
}

void MainWindowPresenter::OnCommand(int id) {
    switch (id) {
        case ctl::kCreate:
            CreateFilter();
            break;
        case ctl::kFilterEditor:
            OnFilterEditor();
            break;
        case ctl::kAnalysis:
            OnAnalysis();
            break;
        case ctl::kLoad:
            m_ws.LoadFilter();
            break;
        case ctl::kSave:
            m_ws.SaveFilter();
            break;
        case ctl::kPrint:
            OnPrint();
            break;
        case ctl::kExport:
            // The dialog says itself when there is no filter to export.
            if (m_services) m_services->ShowExport();
            break;
        case ctl::kHelp:
            OnHelp();
            break;
        case ctl::kQuit:
            OnQuit();
            break;
        case ctl::kLowPass:
            SelectFilterType(LowPass);
            break;
        case ctl::kHighPass:
            SelectFilterType(HighPass);
            break;
        case ctl::kBandPass:
            SelectFilterType(BandPass);
            break;
        case ctl::kBandStop:
            SelectFilterType(BandStop);
            break;
        case ctl::kHalfBand:
            SelectFilterType(HalfBand);
            break;
        case ctl::kScaleLin:
            SwitchFreqScale(false);
            break;
        case ctl::kScaleLog:
            SwitchFreqScale(true);
            break;
        case ctl::kFloat64:
        case ctl::kFloat32:
        case ctl::kInteger32:
        case ctl::kInteger16:
            OnCoefFormat(id - ctl::kFloat64);
            break;
        case ctl::kMeetInFormat:
            // Taken by the next Create; the current filter stays as it was designed.
            m_ws.m_meetInFormat = m_controls.IsChecked(ctl::kMeetInFormat) ? 1 : 0;
            if (m_ws.m_prefs && m_ws.m_prefs->IsOpen()) {
                m_ws.m_prefs->SetUnsigned(setting::kMeetInFormat,
                                          static_cast<uint32_t>(m_ws.m_meetInFormat));
            }
            break;
        case ctl::kAboutCommand:
            if (m_services) m_services->ShowAbout();
            break;
        default:
            break;
    }
}

int MainWindowPresenter::CreateFilter() {
    m_ws.ZeroTaps();
    m_ws.m_current.achieved = FilterSpec{};
    m_curvesShown = false;
    if (DesignFromFields() == -1) {
        // No filter any more: the plots drop the old curve before the message shows.
        m_controls.RepaintPlots(true);
        m_ws.ShowInvalidSpec();
        return 0;
    }
    return 1;
}

CreateOutcome MainWindowPresenter::CreateFromEntered() {
    const std::size_t mark = m_ws.MessageMark();
    m_ws.ZeroTaps();
    m_ws.m_current.achieved = FilterSpec{};
    m_curvesShown = false;
    FilterSpec& s = m_ws.m_current.request;
    const double fs = s.fs;
    if (m_ws.ValidateSpec(s) == -1) {
        m_controls.RepaintPlots(true);
        m_ws.ShowInvalidSpec();
        CreateOutcome refused;
        refused.messages = m_ws.ShownSince(mark);
        return refused;
    }
    // The fields show what is designed, as a Create that read them would leave them.
    ShowEdgeFreq1(s.f1);
    if (HasTwoEdges(s.type)) ShowEdgeFreq2(s.f2);
    ShowRipple(s.ripple);
    ShowAttenuation(s.attenuation);
    CreateOutcome outcome = DesignSpec(s.fs != fs ? 1 : 0);
    outcome.messages = m_ws.ShownSince(mark);
    return outcome;
}

int MainWindowPresenter::DesignFromFields() {
    const int mask = ReadSpecFields();
    if (mask == -1) return -1;
    if (mask != 0) RefreshFields();
    DesignSpec(mask);
    return 0;
}

CreateOutcome MainWindowPresenter::DesignSpec(int mask) {
    m_ws.EnterSpec();

    ViewState& view = m_ws.m_view;
    if (!view.KeepsRange(mask & 1)) {
        view.ResetRange();
        ShowFreqMax(view.UpperLimit());
        ShowFreqMin(view.LowerLimit());
    }

    m_controls.SetPointer(PointerShape::Wait);
    CreateOutcome outcome = m_ws.DesignEntered();
    m_controls.SetPointer(m_cursor);
    m_curvesShown = true;
    Repaint();
    return outcome;
}

void MainWindowPresenter::OnFilterEditor() {
    const int opened =
        m_ws.m_editor ? m_ws.m_editor->OpenEditor(m_ws.m_prefKeyPath) : kEditorNotCreated;
    if (opened == kEditorNotCreated) {
        m_ws.ShowMessage("Sorry... Could not open the Editor Window");
        return;
    }
    if (opened == kEditorNotInitialised) {
        m_ws.ShowMessage("Sorry... Could not initialize the Editor Window");
        return;
    }
    if (opened == kEditorAlreadyOpen && m_ws.Current().valid) {
        const MessageAnswer answer =
            m_ws.m_dialogs ? m_ws.m_dialogs->MessageBox(
                                 "The Filter Editor is already opened, refresh its content ?",
                                 kAppTitle, MessageButtons::YesNo, MessageIcon::None)
                           : MessageAnswer::No;
        if (answer != MessageAnswer::Yes) return;
    }
    m_ws.ShowInEditor();
}

void MainWindowPresenter::OnAnalysis() {
    const int result = m_ws.AnalyseText();
    if (result == kAnalysisFailed) {
        ClearAchieved();
    } else if (result == kAnalysisRedesign) {
        CreateFilter();
    } else if (result == kAnalysisCoefsChanged) {
        m_ws.ShowInEditor();
    } else {
        ShowAchieved();
        m_ws.PlaceSpecCursor();
        m_ws.m_current.valid = true;
        m_curvesShown = true;
        m_controls.RepaintPlots(true);
    }
}

void MainWindowPresenter::OnCoefFormat(int format) {
    if (format == m_ws.Current().format) return;
    if (m_ws.Current().valid && m_ws.Current().MeasuredCount() != 0) {
        m_ws.m_current.format = static_cast<CoefFormat>(format);
        if (m_ws.m_editor && m_ws.m_editor->GetEditorTextLength() > 0) m_ws.ShowInEditor();
    }
    m_ws.SetFormat(static_cast<CoefFormat>(format));
}

void MainWindowPresenter::OnPrint() {
    std::string title;
    if (m_ws.FilterTitle(title) == 0 || title.empty()) title = "FIR Filter";
    if (m_services) m_services->PrintWindow(title);
}

void MainWindowPresenter::OnHelp() {
    if (m_ws.m_helpPath.empty() || !m_services) return;
    m_services->CloseHelp();
    m_services->ShowHelp(m_ws.m_helpPath);
}

void MainWindowPresenter::OnQuit() {
    // Edits in the Filter Editor are saved or dropped as the user says; Cancel keeps running.
    if (m_ws.m_editor != nullptr && !m_ws.m_editor->CloseEditor()) return;
    ReadSpecFields();
    if (m_ws.m_prefs) m_ws.m_prefs->SaveSpec(m_ws.m_current.request);
    if (m_helpReady && m_services) m_services->CloseHelp();
    m_helpReady = false;
    m_controls.CloseWindow(0);
}

bool MainWindowPresenter::OnEnterInCursorField() {
    const double noted = m_ws.m_view.cursorHz;
    const double v = ReadCursorField();
    if (v == noted) return false;
    PlaceCursorAt(v);
    return true;
}

void MainWindowPresenter::Repaint() {
    m_controls.RepaintPlots(false);
}

void MainWindowPresenter::ShowAchieved() {
    const FilterSpec& w = m_ws.Current().achieved;
    m_controls.SetText(
        ctl::kAchievedAttenuation,
        FormatText("%3.3lf dB", std::fmin(std::fabs(w.attenuation), kMaxAttenuation)));
    m_controls.SetText(ctl::kAchievedRipple, FormatText("%2.3lf dB", w.ripple));
    m_controls.SetText(ctl::kAchievedCoefs, FormatText("%d", w.numCoefs));
    m_controls.SetText(ctl::kAchievedBandwidth,
                       w.bandwidth > 0.0 ? FormatFreqField(w.bandwidth) : std::string());
    ShowEdgeText(ctl::kAchievedEdge1, w.f1);
    ShowEdgeText(ctl::kAchievedEdge2, w.f2);
    SelectCoefFormat(m_ws.Current().format);
}

void MainWindowPresenter::ShowEdgeText(int id, double hz) {
    const bool shown = hz > 0.0 && std::fabs(hz) >= 0.0001;
    m_controls.SetText(id, shown ? FormatFreqField(hz) : std::string());
}

void MainWindowPresenter::ClearAchieved() {
    for (int id : {ctl::kAchievedAttenuation, ctl::kAchievedRipple, ctl::kAchievedCoefs,
                   ctl::kAchievedBandwidth, ctl::kAchievedEdge1, ctl::kAchievedEdge2}) {
        m_controls.SetText(id, std::string());
    }
    if (m_ws.m_current.format < FLT64 || m_ws.m_current.format > INT16)
        m_ws.m_current.format = FLT64;
    SelectCoefFormat(m_ws.m_current.format);
}

}  // namespace ondela
