// The Analysis command: the description in the editor window, possibly edited by the user, is
// read back. Edited coefficients are measured as they now stand; edited parameters alone mean
// that the filter has to be designed again; an unchanged text is measured once more.
#include <algorithm>
#include <array>

#include "engine/response.h"
#include "workspace/coef_format.h"
#include "workspace/description_reader.h"
#include "workspace/editor_port.h"
#include "workspace/filter_workspace.h"
#include "workspace/main_window_port.h"
#include "workspace/missing_entries.h"

namespace ondela {

// True when the first n coefficients read back differ from the current ones as
// the text would show them in format fmt: doubles exactly, floats after rounding both, integers
// as the integer written against the current coefficient quantised (the read-back value stands
// for exactly one written integer, so comparing read-back values compares the integers).
bool FilterWorkspace::CoefsReadDiffer(const std::array<double, kCoefArraySize>& coefsRead, int n,
                                      int fmt) const {
    for (int i = 0; i < n; ++i) {
        const double read = coefsRead[i];
        const double current = m_current.Tap(i);
        bool equal;
        switch (fmt) {
            case FLT32:
                equal = RoundToFloat(read) == RoundToFloat(current);
                break;
            case INT32:
                equal = read == CoefFromText(QuantiseInt32(current), INT32);
                break;
            case INT16:
                equal = read == CoefFromText(QuantiseInt16(current), INT16);
                break;
            default:
                equal = read == current;
                break;
        }
        if (!equal) return true;
    }
    return false;
}

int FilterWorkspace::AnalyseText() {
    const FilterSpec specSaved = m_current.request;

    int length = m_editor ? m_editor->GetEditorTextLength() : -1;
    if (length == -1) {
        const int opened = m_editor ? m_editor->OpenEditor(m_prefKeyPath) : kEditorNotCreated;
        if (opened != kEditorOpened && opened != kEditorAlreadyOpen) {
            ShowMessage("Unexpected Error...");
            return kAnalysisFailed;
        }
        if (ShowInEditor() == 0) return kAnalysisFailed;
        length = m_editor->GetEditorTextLength();
    }
    if (length <= 0) {
        ShowMessage("Nothing inside the Filter Editor window!");
        return kAnalysisFailed;
    }
    if (length > kEditorTextLimit) {
        ShowMessage("Sorry, too many things inside the Filter Editor window!");
        return kAnalysisFailed;
    }

    // The readers work on zero-terminated text: the buffer is cleared first and is larger than
    // what the editor may deliver.
    std::fill(m_text.begin(), m_text.end(), '\0');
    const int got = m_editor->GetEditorText(m_text.data(), kEditorTextLimit + 1);
    m_text[std::clamp(got, 0, kEditorTextLimit)] = '\0';
    if (got <= 0) {
        ShowMessage("Sorry, could not extract significant parameters...");
        return kAnalysisFailed;
    }

    m_current.origin = FilterOrigin::EditedCoefs;
    const DescriptionContents read = ReadDescription(m_text.data());
    const int fmt = read.format;
    std::array<double, kCoefArraySize> coefsRead{};
    std::copy(read.coefs.begin(), read.coefs.end(), coefsRead.begin());
    int n = read.coefCount;
    if (n < 3) n = 0;  // fewer than 3 values are no filter

    const bool coefsChanged =
        n != m_current.achieved.numCoefs || CoefsReadDiffer(coefsRead, n, fmt);
    if (coefsChanged && n > 0) {
        std::copy_n(coefsRead.begin(), n, TapsCovering(n));
        // Edited coefficients are no longer the design that met its targets in a format.
        m_current.targetsMetIn.reset();
    }

    FilterSpec s = read.spec;
    CompleteHalfBandAttenuation(s, m_prefs);
    const int count = read.parameterCount;
    if (count == -1) {
        ShowMessage("Sorry, not a valid Ondela specification...");
        return kAnalysisFailed;
    }

    m_current.origin = FilterOrigin::EditedCoefs;
    bool paramsChanged = false;
    if (IsCompleteSpec(count)) {
        m_current.origin = FilterOrigin::Designed;
        const FilterSpec& old = specSaved;
        paramsChanged = s.fs != old.fs || s.f1 != old.f1 || s.maxCoefs != old.maxCoefs ||
                        s.ripple != old.ripple || s.type != old.type ||
                        s.attenuation != old.attenuation;
        if (HasTwoEdges(old.type) && s.f2 != old.f2) paramsChanged = true;
    }

    if (!coefsChanged && paramsChanged) {
        ShowMessage(
            "WARNING: Some Specifation Parameters have been modified.\nThe filter must be "
            "re-created");
        m_current.request = s;
        if (m_mainWindow) m_mainWindow->RefreshFields();
        return kAnalysisRedesign;
    }

    // Other parameters than those designed for: the design's bands no longer describe the filter.
    if (paramsChanged) m_current.designBands = DesignBands{};
    s.maxCoefs = std::max(s.maxCoefs, n);
    s.numCoefs = std::max(s.numCoefs, n);
    m_current.request = s;
    if (m_mainWindow) m_mainWindow->RefreshFields();  // may correct the request
    s = m_current.request;
    if (n > 0) m_current.achieved.numCoefs = n;
    // A FLT64 text keeps the chosen format.
    if (fmt > FLT64) m_current.format = static_cast<CoefFormat>(fmt);
    if (coefsChanged) {
        ShowMessage(
            "WARNING: Some Coefficients have been modified.\nThe Analysis is done with those new "
            "values");
    }
    if (n > 0 && fmt > FLT64 && m_mainWindow) m_mainWindow->SelectCoefFormat(fmt);
    AnalyseCoefs(s, TapsCovering(n), n, m_current.format);
    m_current.achieved = s;
    TapsCovering(m_current.achieved.numCoefs);
    if (m_mainWindow) m_mainWindow->ShowAchieved();
    if (coefsChanged) {
        m_current.origin = FilterOrigin::EditedCoefs;
        return kAnalysisCoefsChanged;
    }
    return n;
}

}  // namespace ondela
