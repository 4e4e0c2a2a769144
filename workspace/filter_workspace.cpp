#include "workspace/filter_workspace.h"

#include <unistd.h>

#include <algorithm>

#include "engine/design_engine.h"
#include "engine/filter_limits.h"
#include "engine/response_analysis.h"
#include "settings/preferences.h"
#include "settings/setting_keys.h"
#include "workspace/editor_port.h"
#include "workspace/main_window_port.h"
#include "workspace/request_check.h"
#include "workspace/user_dialogs.h"

namespace ondela {

namespace {

int ClampCount(int n) {
    return std::clamp(n, 0, kCoefArraySize);
}

}  // namespace

double* FilterWorkspace::TapsCovering(int n) {
    const std::size_t count = static_cast<std::size_t>(ClampCount(n));
    if (m_current.taps.size() < count) m_current.taps.resize(count, 0.0);
    return m_current.taps.data();
}

void FilterWorkspace::ZeroTaps() {
    std::fill(m_current.taps.begin(), m_current.taps.end(), 0.0);
}

FilterWorkspace::FilterWorkspace() : m_text(kTextCapacity, '\0') {
    m_designFilter = [this](const FilterSpec& request) {
        if (!m_engine) {
            DesignResult none;  // NOT_POSSIBLE, the request as it came
            none.achieved = request;
            return none;
        }
        DesignResult outcome = m_engine->DesignFilter(request, m_halfBandCorrection);
        m_current.designBands = outcome.bands;
        return outcome;
    };
    m_designAtLength = [this](int n) {
        if (!m_engine) return DesignResult{};  // NOT_POSSIBLE
        DesignResult outcome = m_engine->DesignAtLength(n);
        m_current.designBands = outcome.bands;
        return outcome;
    };
    // Coefficients that go with the design just made are measured over its bands.
    m_analyseResponse = [this](FilterSpec& spec, const double* coefs, int n, int fmt) {
        const bool designed = m_current.GoesWithRequest() && m_current.designBands.type != 0;
        return AnalyseResponse(spec, coefs, n, fmt, designed ? &m_current.designBands : nullptr);
    };
    m_clock = [] { return std::time(nullptr); };
    m_writeBytes = [](int fd, const char* data, std::size_t size) {
        return static_cast<long>(::write(fd, data, size));
    };
}

FilterWorkspace::~FilterWorkspace() = default;

std::vector<ShownMessage> FilterWorkspace::ShownSince(std::size_t mark) const {
    return {m_shown.begin() + static_cast<std::ptrdiff_t>(std::min(mark, m_shown.size())),
            m_shown.end()};
}

DesignResult FilterWorkspace::DesignWithEngine(const FilterSpec& request) {
    DesignResult design = m_designFilter(request);
    m_engineStatus = design.status;
    return design;
}

void FilterWorkspace::ShowMessage(const std::string& text) {
    CloseBusyWindow();
    m_shown.push_back({text, kAppTitle, MessageIcon::None});
    if (m_dialogs) m_dialogs->MessageBox(text, kAppTitle, MessageButtons::Ok, MessageIcon::None);
}

void FilterWorkspace::OpenBusyWindow() {
    CloseBusyWindow();
    if (m_dialogs && m_dialogs->OpenBusyPopup()) m_busyWindow = 1;
}

void FilterWorkspace::CloseBusyWindow() {
    if (!m_busyWindow) return;
    if (m_dialogs) m_dialogs->CloseBusyPopup();
    m_busyWindow = 0;
}

int FilterWorkspace::ValidateSpec(FilterSpec& spec) {
    return ValidateSpecImpl(spec, true);
}

int FilterWorkspace::ValidateSpecImpl(FilterSpec& request, bool showEdges) {
    const double entered1 = request.f1;
    const int result = CheckRequest(request);
    // Band edges that were entered the wrong way round are shown swapped in their fields.
    if (result == 1 && request.f1 != entered1 && showEdges && m_mainWindow) {
        m_mainWindow->ShowEdgeFreq1(request.f1);
        m_mainWindow->ShowEdgeFreq2(request.f2);
    }
    return result;
}

CreateOutcome FilterWorkspace::RunDesign() {
    const std::size_t mark = m_shown.size();
    CreateOutcome outcome;
    const auto finish = [&](int result) {
        outcome.result = result;
        outcome.engineStatus = m_engineStatus;
        outcome.messages = ShownSince(mark);
        return outcome;
    };
    if (m_mainWindow) m_mainWindow->ClearAchieved();
    m_engineStatus.reset();
    m_current.targetsMetIn.reset();

    const int valid = ValidateSpec(m_current.request);
    if (valid < 0) {
        CloseBusyWindow();
        ShowMessage("Erroneous Filter Specifications");
        if (m_mainWindow) m_mainWindow->ClearAchieved();
        return finish(-1);
    }
    outcome.entered = true;
    if (valid == 1 && m_mainWindow) m_mainWindow->RefreshFields();

    m_current.designBands = DesignBands{};
    const DesignResult design = DesignWithEngine(m_current.request);
    m_current.achieved = design.achieved;
    m_current.taps.assign(design.taps.begin(),
                          design.taps.begin() + ClampCount(static_cast<int>(design.taps.size())));
    if (!design.response.empty()) {
        m_responseCount = std::min(static_cast<int>(design.response.size()), kResponseArraySize);
        std::copy_n(design.response.begin(), m_responseCount, m_response.begin());
    }
    const int status = design.status;

    if (status != 0) {
        CloseBusyWindow();
        // Nothing usable was designed: the message names the reason.
        if (DesignFailed(status)) {
            if (status & NOT_POSSIBLE) {
                ShowMessage("SORRY: Creating this filter is not possible!");
            } else if (status & GRID_OVERFLOW) {
                ShowMessage("SORRY: Could not perform alignment");
            } else {
                ShowMessage("Erroneous Filter Specifications");
            }
            m_current.valid = false;
            ZeroTaps();
            if (m_mainWindow) m_mainWindow->ClearAchieved();
            return finish(status);
        }
        if (NotFullyOptimised(status)) {
            ShowMessage("WARNING: Not fully optimized. Try modifying the specifications");
            if (m_mainWindow) m_mainWindow->ClearAchieved();
        }
    }

    // A design always goes with the entries it was made from, so it is judged against them.
    m_current.origin = FilterOrigin::Designed;
    if (m_meetInFormat) {
        MeetTargetsInFormat();
        m_current.targetsMetIn = TargetsMetIn{m_current.format, m_meetWord};
    }
    m_current.referenceTaps = m_current.taps;
    AnalyseCoefs(m_current.achieved, TapsCovering(m_current.achieved.numCoefs),
                 m_current.achieved.numCoefs, m_current.format);
    if (m_mainWindow) m_mainWindow->ShowAchieved();
    return finish(0);
}

CreateOutcome FilterWorkspace::CreateFromSpec() {
    const std::size_t mark = m_shown.size();
    ZeroTaps();
    m_current.achieved = FilterSpec{};
    if (ValidateSpec(m_current.request) == -1) {
        ShowInvalidSpec();
        CreateOutcome refused;
        refused.messages = ShownSince(mark);
        return refused;
    }
    EnterSpec();
    CreateOutcome outcome = DesignEntered();
    outcome.messages = ShownSince(mark);
    return outcome;
}

void FilterWorkspace::ShowInvalidSpec() {
    CloseBusyWindow();
    m_shown.push_back({"SORRY: Invalid Specifications", "Error", MessageIcon::Information});
    if (m_dialogs) {
        m_dialogs->MessageBox("SORRY: Invalid Specifications", "Error", MessageButtons::Ok,
                              MessageIcon::Information);
    }
}

void FilterWorkspace::EnterSpec() {
    if (m_prefs) m_prefs->SaveSpec(m_current.request);
    m_view.SetRate(m_current.request.fs);
    m_view.cursorHz = 0.0;
}

CreateOutcome FilterWorkspace::DesignEntered() {
    const std::size_t mark = m_shown.size();
    CloseBusyWindow();
    if (m_current.request.maxCoefs > 1000) OpenBusyWindow();
    if (m_mainWindow) m_mainWindow->ClearAchieved();
    CreateOutcome outcome = RunDesign();
    if (outcome.result == 0) {
        PlaceSpecCursor();
        m_current.valid = true;
        m_view.keepLimits = 1;
        m_current.origin = FilterOrigin::Designed;
    }
    CloseBusyWindow();
    if (m_editor && m_editor->IsEditorOpen()) ShowInEditor();
    outcome.messages = ShownSince(mark);
    return outcome;
}

double FilterWorkspace::SpecCursorFreq() const {
    return ViewState::CursorForFilter(m_current.request);
}

void FilterWorkspace::PlaceSpecCursor() {
    const double cursor = SpecCursorFreq();
    m_view.cursorHz = cursor > 0.0 ? cursor : 0.0;
    if (m_mainWindow) {
        m_mainWindow->SetCursorFreq(cursor);
        m_mainWindow->PlaceCursorAt(cursor);
    }
}

bool FilterWorkspace::MeasureCoefs(FilterSpec& spec, const double* coefs, int n, int fmt) {
    return m_analyseResponse(spec, coefs, ClampCount(n), fmt) == kAnalysisNoStopBand;
}

int FilterWorkspace::AnalyseCoefs(FilterSpec& spec, const double* coefs, int n, int fmt) {
    CloseBusyWindow();
    const bool noStopBand = MeasureCoefs(spec, coefs, n, fmt);
    if (m_current.GoesWithRequest()) {
        const bool missed =
            noStopBand || AttenuationMissed(m_current.request.attenuation, spec.attenuation) ||
            (spec.type != HalfBand && RippleMissed(m_current.request.ripple, spec.ripple));
        if (missed && !m_missReported) ShowMessage("Warning: Original specifications not met");
    }
    m_missReported = false;
    return 0;
}

FormatOutcome FilterWorkspace::SetFormat(CoefFormat format) {
    const std::size_t mark = MessageMark();
    FormatOutcome outcome;
    m_current.format = format;
    if (m_prefs && m_prefs->IsOpen())
        m_prefs->SetUnsigned(setting::kCoefFormat, static_cast<uint32_t>(format));

    if (!m_current.valid || m_current.MeasuredCount() == 0) return outcome;
    FilterSpec s = m_current.achieved;
    const int n = s.numCoefs != 0 ? s.numCoefs : s.maxCoefs;
    if (n == 0) {
        ShowMessage("Number of Coefs not set!");
        outcome.messages = ShownSince(mark);
        return outcome;
    }
    AnalyseCoefs(s, TapsCovering(n), n, m_current.format);
    m_current.achieved = s;
    if (m_mainWindow) {
        m_mainWindow->ShowAchieved();
        m_mainWindow->Repaint();
    }
    outcome.remeasured = true;
    outcome.messages = ShownSince(mark);
    return outcome;
}

void FilterWorkspace::FitDisplayLimits() {
    double fitted;
    if (!m_view.FitUpperLimit(fitted)) return;
    if (fitted != m_view.UpperLimit() && m_mainWindow) {
        m_mainWindow->ShowFreqMax(fitted);
        const double cursor = m_mainWindow->PlotCursorHz();
        m_mainWindow->SetPlotCursorHz(0.0);
        m_mainWindow->PlaceCursorAt(cursor);
    }
    m_view.SetUpperLimit(fitted);
}

}  // namespace ondela
