#include "cli/cli_ports.h"

#include "cli/cli_support.h"
#include "settings/preferences.h"
#include "workspace/filter_workspace.h"

namespace ondela::cli {

MessageAnswer CliDialogs::MessageBox(const std::string& text, const std::string&,
                                     MessageButtons buttons, MessageIcon) {
    m_messages.push_back(text);
    PrintLine(m_err, text);
    return buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
}

int CliMainWindow::CreateFilter() {
    m_ws.m_coefs.fill(0.0);
    m_ws.m_specWork = FilterSpec{};
    m_designResult = -1;

    // Reading the fields: the entered specification is what was typed, validated (and
    // corrected) in place.
    m_ws.m_spec = fields;
    m_ws.m_nyquist = m_ws.m_spec.fs * 0.5;
    if (m_ws.ValidateSpec(m_ws.m_spec) == -1) {
        m_ws.m_status = -1;
        if (m_ws.m_dialogs) {
            m_ws.m_dialogs->MessageBox("SORRY: Invalid Specifications", "Error", MessageButtons::Ok,
                                       MessageIcon::Information);
        }
        return 0;
    }
    m_prefs.SaveSpec(m_ws.m_spec);
    m_ws.m_cursorFreq = 0.0;
    ClearAchieved();

    m_designResult = m_ws.RunDesign();
    m_ws.m_status = 0;
    if (m_designResult == 0) {
        const FilterSpec& s = m_ws.m_spec;
        const bool band = s.type == BandPass || s.type == BandStop;
        const double cursor = band ? (s.f1 + s.f2) / 2.0 : (s.f1 > 0.0 ? s.f1 : s.f2);
        SetCursorFreq(cursor);
        PlaceCursorAt(cursor);
        m_ws.m_filterValid = 1;
        m_ws.m_keepLimits = 1;
        m_ws.m_fromSpec = 1;
    }
    return 1;
}

void CliMainWindow::SetCursorFreq(double hz) {
    m_ws.m_cursorFreq = hz > 0.0 ? hz : 0.0;
    m_plotCursorHz = m_ws.m_cursorFreq;
}

void CliMainWindow::SelectCoefFormat(int format) {
    m_ws.m_coefFormat = format;
    if (format >= FLT64 && format <= INT16) m_checkedFormat = format;
    if (m_prefs.IsOpen()) m_prefs.SetDword("COEF_FORMAT", static_cast<uint32_t>(format));
}

int CliMainWindow::ReadCoefFormatRadios() {
    if (m_checkedFormat >= 0) m_ws.m_coefFormat = m_checkedFormat;
    return m_ws.m_coefFormat;
}

void CliMainWindow::ClearAchieved() {
    if (m_ws.m_coefFormat < FLT64 || m_ws.m_coefFormat > INT16) m_ws.m_coefFormat = FLT64;
    m_checkedFormat = m_ws.m_coefFormat;
}

}  // namespace ondela::cli
