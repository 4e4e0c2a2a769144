#include "cli/cli_ports.h"

#include "cli/cli_support.h"
#include "settings/setting_keys.h"
#include "ui/plot/plot_text.h"
#include "workspace/description_reader.h"
#include "workspace/display_numbers.h"
#include "workspace/field_entries.h"
#include "workspace/missing_entries.h"

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
    return ParseFrequency(FormatFreqField(hz).c_str());
}

bool MeasuredWithoutRate(const FilterWorkspace& ws, const LoadOutcome& load) {
    return !ws.Current().GoesWithRequest() && !(load.fileRate > 0.0);
}

CreateOutcome CliMainWindow::Create() {
    // Reading the fields; the types without a second edge keep the one entered before.
    FilterSpec& request = m_ws.m_current.request;
    const double f2 = request.f2;
    request = ReadSpecEntries(fields, FieldShows).spec;
    if (!HasTwoEdges(request.type)) request.f2 = f2;
    return m_ws.CreateFromSpec();
}

CreateOutcome CliMainWindow::CreateFromEntered() {
    return m_ws.CreateFromSpec();
}

FieldReaders CliMainWindow::Readers(const FilterSpec& s) const {
    // What each field reads, as the window's fields read what they hold.
    FieldReaders r;
    r.fs = [this] { return fields.fs; };
    r.type = [this] { return static_cast<int>(fields.type); };
    r.f1 = [this, &s] { return LimitEdge1(fields.f1, s.fs); };
    r.f2 = [this, &s] { return LimitEdge2(fields.f2, LimitEdge1(fields.f1, s.fs), s.fs); };
    r.attenuation = [this] { return LimitAttenuation(fields.attenuation); };
    r.ripple = [this] { return LimitRipple(fields.ripple); };
    r.maxCoefs = [this] { return LimitMaxCoefs(fields.maxCoefs); };
    return r;
}

void CliMainWindow::RefreshFields() {
    // As the window's fields show a specification: completed from what they hold, and held
    // within what they show.
    FilterSpec& s = m_ws.m_current.request;
    CompleteSpec(s, Readers(s), &m_prefs);
    m_ws.m_view.SetRate(s.fs);
    LimitShownLevels(s);
    LimitShownEdges(s);
    m_ws.m_view.cursorHz = m_ws.SpecCursorFreq();
    fields = ShownEntries(s, FieldShows);
}

void CliMainWindow::ShowStoredSpec() {
    FilterSpec s;
    m_prefs.LoadSpec(s);
    CompleteSpec(s, Readers(s), &m_prefs);
    LimitShownLevels(s);
    LimitShownEdges(s);
    fields = ShownEntries(s, FieldShows);
}

void CliMainWindow::SetCursorFreq(double hz) {
    m_ws.m_view.cursorHz = hz > 0.0 ? hz : 0.0;
    m_plotCursorHz = m_ws.m_view.cursorHz;
}

void CliMainWindow::SelectCoefFormat(int format) {
    m_ws.m_current.format = static_cast<CoefFormat>(format);
    if (format >= FLT64 && format <= INT16) m_checkedFormat = format;
    if (m_prefs.IsOpen()) m_prefs.SetUnsigned(setting::kCoefFormat, static_cast<uint32_t>(format));
}

int CliMainWindow::ReadCoefFormatRadios() {
    if (m_checkedFormat >= 0) m_ws.m_current.format = static_cast<CoefFormat>(m_checkedFormat);
    return m_ws.Current().format;
}

void CliMainWindow::ClearAchieved() {
    CoefFormat& format = m_ws.m_current.format;
    if (format < FLT64 || format > INT16) format = FLT64;
    m_checkedFormat = format;
}

CliDesigner::CliDesigner(std::FILE* err) : dialogs(err) {
    prefs.OpenKeys();
    ws->m_mainWindow = &window;
    ws->m_dialogs = &dialogs;
    ws->m_engine = &engine;
    ws->m_prefs = &prefs;
    window.ShowStoredSpec();
}

int CliDesigner::StartupCoefFormat() {
    const int format = static_cast<int>(prefs.GetUnsigned(setting::kCoefFormat, FLT32));
    return format < FLT64 || format > INT16 ? FLT32 : format;
}

}  // namespace ondela::cli
