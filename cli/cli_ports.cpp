#include "cli/cli_ports.h"

#include "cli/cli_support.h"
#include "settings/setting_keys.h"

namespace ondela::cli {

MessageAnswer CliDialogs::MessageBox(const std::string& text, const std::string&,
                                     MessageButtons buttons, MessageIcon) {
    m_messages.push_back(text);
    PrintLine(m_err, text);
    return buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
}

int CliMainWindow::CreateFilter() {
    // Reading the fields: the entered specification is what was typed.
    m_ws.m_spec = fields;
    m_ws.m_view.SetRate(m_ws.m_spec.fs);
    m_ws.m_view.cursorHz = 0.0;
    if (m_ws.CreateFromSpec() == 0) {
        m_ws.m_status = -1;
        m_designResult = -1;
        return 0;
    }
    // The validated specification is stored, as the window stores what it designed. RunDesign
    // leaves its result in the status word.
    m_prefs.SaveSpec(m_ws.m_spec);
    m_designResult = m_ws.m_status;
    m_ws.m_status = 0;
    if (m_designResult == 0) {
        const double cursor = ViewState::CursorForSpec(m_ws.m_spec);
        SetCursorFreq(cursor);
        PlaceCursorAt(cursor);
    }
    return 1;
}

void CliMainWindow::RefreshFields() {
    fields = m_ws.m_spec;
}

void CliMainWindow::SetCursorFreq(double hz) {
    m_ws.m_view.cursorHz = hz > 0.0 ? hz : 0.0;
    m_plotCursorHz = m_ws.m_view.cursorHz;
}

void CliMainWindow::SelectCoefFormat(int format) {
    m_ws.m_coefFormat = format;
    if (format >= FLT64 && format <= INT16) m_checkedFormat = format;
    if (m_prefs.IsOpen()) m_prefs.SetDword(setting::kCoefFormat, static_cast<uint32_t>(format));
}

int CliMainWindow::ReadCoefFormatRadios() {
    if (m_checkedFormat >= 0) m_ws.m_coefFormat = m_checkedFormat;
    return m_ws.m_coefFormat;
}

void CliMainWindow::ClearAchieved() {
    if (m_ws.m_coefFormat < FLT64 || m_ws.m_coefFormat > INT16) m_ws.m_coefFormat = FLT64;
    m_checkedFormat = m_ws.m_coefFormat;
}

CliDesigner::CliDesigner(std::FILE* err) : dialogs(err) {
    prefs.OpenKeys();
    ws->m_mainWindow = &window;
    ws->m_dialogs = &dialogs;
    ws->m_engine = &engine;
    ws->m_prefs = &prefs;
    // The workspace's own design call, which also keeps the bands of the design; the engine's
    // status word is recorded for the report.
    ws->m_designFilter = [this, design = ws->m_designFilter](FilterSpec& record, double* coefs,
                                                             ResponsePoint* response, int* count) {
        const int status = design(record, coefs, response, count);
        engineStatus = status;
        return status;
    };
}

int CliDesigner::StartupCoefFormat() {
    const int format = static_cast<int>(prefs.GetDword(setting::kCoefFormat, FLT32));
    return format < FLT64 || format > INT16 ? FLT32 : format;
}

}  // namespace ondela::cli
