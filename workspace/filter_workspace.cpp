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
#include "workspace/spec_check.h"
#include "workspace/user_dialogs.h"

namespace ondela {

namespace {

int ClampCount(int n) {
    return std::clamp(n, 0, kCoefArraySize);
}

}  // namespace

FilterWorkspace::FilterWorkspace() : m_text(kTextCapacity, '\0') {
    m_designFilter = [this](const FilterSpec& request) {
        if (!m_engine) {
            DesignResult none;  // NOT_POSSIBLE, the request as it came
            none.achieved = request;
            return none;
        }
        DesignResult outcome = m_engine->DesignFilter(request, m_halfBandCorrection);
        m_designBands = outcome.bands;
        return outcome;
    };
    m_designAtLength = [this](int n) {
        if (!m_engine) return DesignResult{};  // NOT_POSSIBLE
        DesignResult outcome = m_engine->DesignAtLength(n);
        m_designBands = outcome.bands;
        return outcome;
    };
    // Coefficients that go with the design just made are measured over its bands.
    m_analyseResponse = [this](FilterSpec& spec, const double* coefs, int n, int fmt) {
        const bool designed = m_fromSpec == 1 && m_designBands.type != 0;
        return AnalyseResponse(spec, coefs, n, fmt, designed ? &m_designBands : nullptr);
    };
    m_clock = [] { return std::time(nullptr); };
    m_writeBytes = [](int fd, const char* data, std::size_t size) {
        return static_cast<long>(::write(fd, data, size));
    };
}

FilterWorkspace::~FilterWorkspace() = default;

void FilterWorkspace::ShowMessage(const std::string& text) {
    CloseBusyWindow();
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

int FilterWorkspace::ValidateSpecImpl(FilterSpec& spec, bool showEdges) {
    const double entered1 = spec.f1;
    const int result = CheckSpec(spec);
    // Band edges that were entered the wrong way round are shown swapped in their fields.
    if (result == 1 && spec.f1 != entered1 && showEdges && m_mainWindow) {
        m_mainWindow->ShowEdgeFreq1(spec.f1);
        m_mainWindow->ShowEdgeFreq2(spec.f2);
    }
    return result;
}

int FilterWorkspace::RunDesign() {
    if (m_mainWindow) m_mainWindow->ClearAchieved();
    m_status = 0;
    m_targetsMetIn.reset();

    const int valid = ValidateSpec(m_spec);
    if (valid < 0) {
        CloseBusyWindow();
        m_status = -1;
        ShowMessage("Erroneous Filter Specifications");
        if (m_mainWindow) m_mainWindow->ClearAchieved();
        return -1;
    }
    if (valid == 1 && m_mainWindow) m_mainWindow->RefreshFields();

    m_coefs.fill(0.0);
    m_designBands = DesignBands{};
    const DesignResult design = m_designFilter(m_spec);
    m_specWork = design.achieved;
    std::copy_n(design.taps.begin(), ClampCount(static_cast<int>(design.taps.size())),
                m_coefs.begin());
    if (!design.response.empty()) {
        m_responseCount = std::min(static_cast<int>(design.response.size()), kResponseArraySize);
        std::copy_n(design.response.begin(), m_responseCount, m_response.begin());
    }
    m_status = design.status;

    if (m_status != 0) {
        CloseBusyWindow();
        const int status = m_status;
        // Nothing usable was designed: the message names the reason.
        if (DesignFailed(status)) {
            if (status & NOT_POSSIBLE) {
                ShowMessage("SORRY: Creating this filter is not possible!");
            } else if (status & GRID_OVERFLOW) {
                ShowMessage("SORRY: Could not perform alignment");
            } else {
                ShowMessage("Erroneous Filter Specifications");
            }
            m_filterValid = 0;
            m_coefs.fill(0.0);
            if (m_mainWindow) m_mainWindow->ClearAchieved();
            return status;
        }
        if (NotFullyOptimised(status)) {
            ShowMessage("WARNING: Not fully optimized. Try modifying the specifications");
            if (m_mainWindow) m_mainWindow->ClearAchieved();
        } else {
            m_status = 0;
        }
    }

    // A design always goes with the entries it was made from, so it is judged against them.
    m_fromSpec = 1;
    if (m_meetInFormat) {
        MeetTargetsInFormat();
        m_targetsMetIn = TargetsMetIn{m_coefFormat, m_meetWord};
    }
    m_coefsRef = m_coefs;
    AnalyseCoefs(m_specWork, m_coefs.data(), m_specWork.numCoefs, m_coefFormat);
    m_status = 0;
    if (m_mainWindow) m_mainWindow->ShowAchieved();
    return 0;
}

int FilterWorkspace::CreateFromSpec() {
    m_coefs.fill(0.0);
    m_specWork = FilterSpec{};
    if (ValidateSpec(m_spec) == -1) {
        ShowInvalidSpec();
        return 0;
    }
    EnterSpec();
    DesignEntered();
    return 1;
}

void FilterWorkspace::ShowInvalidSpec() {
    CloseBusyWindow();
    if (m_dialogs) {
        m_dialogs->MessageBox("SORRY: Invalid Specifications", "Error", MessageButtons::Ok,
                              MessageIcon::Information);
    }
}

void FilterWorkspace::EnterSpec() {
    if (m_prefs) m_prefs->SaveSpec(m_spec);
    m_view.SetRate(m_spec.fs);
    m_view.cursorHz = 0.0;
}

int FilterWorkspace::DesignEntered() {
    CloseBusyWindow();
    if (m_spec.maxCoefs > 1000) OpenBusyWindow();
    if (m_mainWindow) m_mainWindow->ClearAchieved();
    const int result = RunDesign();
    if (result == 0) {
        PlaceSpecCursor();
        m_filterValid = 1;
        m_view.keepLimits = 1;
        m_fromSpec = 1;
    }
    CloseBusyWindow();
    if (m_editor && m_editor->IsEditorOpen()) ShowInEditor();
    return result;
}

double FilterWorkspace::SpecCursorFreq() const {
    return ViewState::CursorForFilter(m_spec);
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
    m_status = 0;
    if (m_fromSpec) {
        if (noStopBand) m_status |= SPEC_NOT_MET;
        if (AttenuationMissed(m_spec.attenuation, spec.attenuation)) m_status |= SPEC_NOT_MET;
        if (spec.type != HalfBand && RippleMissed(m_spec.ripple, spec.ripple)) {
            m_status |= SPEC_NOT_MET;
        }
        if (m_status & SPEC_NOT_MET) {
            if (!m_missReported) ShowMessage("Warning: Original specifications not met");
            m_status = 0;
        }
    }
    m_missReported = false;
    return 0;
}

int FilterWorkspace::ChangeCoefFormat(int fmt) {
    m_coefFormat = fmt;
    if (m_prefs && m_prefs->IsOpen())
        m_prefs->SetDword(setting::kCoefFormat, static_cast<uint32_t>(fmt));

    if (!m_filterValid ||
        (m_specWork.numCoefs == 0 && m_spec.numCoefs == 0 && m_spec.maxCoefs == 0)) {
        return 0;
    }
    FilterSpec s = m_specWork;
    const int n = s.numCoefs != 0 ? s.numCoefs : s.maxCoefs;
    if (n == 0) {
        ShowMessage("Number of Coefs not set!");
        return 0;
    }
    AnalyseCoefs(s, m_coefs.data(), n, m_coefFormat);
    m_specWork = s;
    if (m_mainWindow) {
        m_mainWindow->ShowAchieved();
        m_mainWindow->Repaint();
    }
    return 1;
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
