#include "cli/cli_ports.h"

#include "cli/cli_support.h"
#include "settings/setting_keys.h"
#include "ui/plot/plot_text.h"
#include "workspace/c_util.h"
#include "workspace/field_entries.h"

namespace ondela::cli {

MessageAnswer CliDialogs::MessageBox(const std::string& text, const std::string&,
                                     MessageButtons buttons, MessageIcon) {
    m_messages.push_back(text);
    PrintLine(m_err, text);
    return buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
}

bool CliDialogs::BusyProgress(const std::string& text) {
    // Progress is worth a line only once the wait is noticeable, and then about once a second.
    constexpr double kQuietSeconds = 1.0;
    const double now = m_seconds();
    if (now - m_quietSince >= kQuietSeconds) {
        PrintLine(m_err, text);
        m_quietSince = now;
    }
    return true;
}

double FieldShows(double hz) {
    return CUtil().ParseFrequency(FormatFreqField(hz).c_str());
}

int CliMainWindow::CreateFilter() {
    // Reading the fields; the types without a second edge keep the one entered before.
    const double f2 = m_ws.m_spec.f2;
    m_ws.m_spec = ReadSpecEntries(fields, FieldShows).spec;
    if (m_ws.m_spec.type != BandPass && m_ws.m_spec.type != BandStop) m_ws.m_spec.f2 = f2;
    if (m_ws.CreateFromSpec() == 0) {
        m_ws.m_status = -1;
        m_designResult = -1;
        return 0;
    }
    // RunDesign leaves its result in the status word.
    m_designResult = m_ws.m_status;
    m_ws.m_status = 0;
    return 1;
}

void CliMainWindow::RefreshFields() {
    // As the window's fields show a specification: a missing type is the one last shown (a low
    // pass on a first start), and the values are held within what the fields show.
    FilterSpec& s = m_ws.m_spec;
    if (s.type <= 0) s.type = fields.type > 0 ? fields.type : LowPass;
    LimitShownLevels(s);
    LimitShownEdges(s);
    m_ws.m_view.cursorHz = m_ws.SpecCursorFreq();
    fields = ShownEntries(s, FieldShows);
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
