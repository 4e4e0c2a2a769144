// The specification fields of the main window: how each value is shown, read back and
// corrected, how the filter-type radios reconfigure the fields, the display limits of both
// frequency scales, the spin controls and the cursor field. Fields never refuse input: what is
// no number reads as 0, and every read writes its corrected value back into the field.
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>

#include "engine/filter_limits.h"
#include "numbers/number_text.h"
#include "settings/preferences.h"
#include "settings/setting_keys.h"
#include "ui/main_window/control_ids.h"
#include "ui/main_window/main_window_presenter.h"
#include "ui/plot/plot_text.h"
#include "ui/plot/response_plot.h"
#include "workspace/display_numbers.h"
#include "workspace/field_entries.h"
#include "workspace/filter_workspace.h"
#include "workspace/missing_entries.h"

namespace ondela {

namespace {

constexpr double kMinShown = ViewState::kSmallestShown;  // smaller values leave a field empty

// The signed integer that the whole text spells (spaces around it allowed); 0 when it spells
// none. Values beyond the 32-bit range saturate.
int WholeInteger(const std::string& text) {
    const char* p = text.c_str();
    while (*p == ' ' || *p == '\t') ++p;
    const char* start = p;
    if (*p == '+' || *p == '-') ++p;
    if (*p < '0' || *p > '9') return 0;
    while (*p >= '0' && *p <= '9') ++p;
    const char* end = p;
    while (*p == ' ' || *p == '\t') ++p;
    if (*p != '\0') return 0;
    errno = 0;
    const long long v = std::strtoll(std::string(start, end).c_str(), nullptr, 10);
    if (errno == ERANGE || v > INT_MAX) return *start == '-' ? INT_MIN : INT_MAX;
    if (v < INT_MIN) return INT_MIN;
    return static_cast<int>(v);
}

// A sampling frequency from which half can be taken for the display limits.
bool UsableRate(double hz) {
    return std::isfinite(hz) && hz > 0.0;
}

}  // namespace

double MainWindowPresenter::ReadField(int id) const {
    return ParseFrequency(m_controls.GetText(id).c_str());
}

int MainWindowPresenter::StoredType() {
    Preferences* prefs = m_ws.m_prefs;
    if (!prefs || !prefs->IsOpen()) return 0;
    return static_cast<int>(prefs->GetUnsigned(setting::kType, LowPass));
}

// ---- single fields ----

void MainWindowPresenter::ShowSamplingFreq(double hz) {
    m_controls.SetText(ctl::kSamplingFreq,
                       std::fabs(hz) < kMinShown ? std::string() : FormatFreqField(hz));
}

void MainWindowPresenter::ShowEdgeFreq1(double hz) {
    const auto v = ShownEdge1(hz, m_ws.Current().request.fs);
    m_controls.SetText(ctl::kEdgeFreq1, v ? FormatFreqField(*v) : std::string());
}

void MainWindowPresenter::ShowEdgeFreq2(double hz) {
    const int stored = StoredType();
    if (!HasTwoEdges(stored)) hz = 0.0;
    if (!(hz >= kMinShown)) {
        const double was = ReadField(ctl::kEdgeFreq2);
        m_controls.SetText(ctl::kEdgeFreq2, std::string());
        if (was > 0.0) m_lastF2 = was;
        return;
    }
    const double f1 = ReadEdgeFreq1();
    m_controls.SetText(ctl::kEdgeFreq2,
                       FormatFreqField(*ShownEdge2(hz, f1, m_ws.Current().request.fs)));
    m_lastF2 = hz;
}

void MainWindowPresenter::ShowAttenuation(double db) {
    m_controls.SetText(ctl::kAttenuation, FormatText("%g dB", LimitAttenuation(db)));
}

void MainWindowPresenter::ShowRipple(double db) {
    if (!m_controls.HasControl(ctl::kRipple)) return;
    m_controls.SetText(ctl::kRipple, FormatText("%g dB", LimitRipple(db)));
}

double MainWindowPresenter::ReadEdgeFreq1() {
    const double typed = ReadField(ctl::kEdgeFreq1);
    const double v = LimitEdge1(typed, m_ws.Current().request.fs);
    if (v != typed) ShowEdgeFreq1(v);
    return v;
}

double MainWindowPresenter::ReadEdgeFreq2() {
    const double f1 = ReadEdgeFreq1();
    const double typed = ReadField(ctl::kEdgeFreq2);
    const double v = LimitEdge2(typed, f1, m_ws.Current().request.fs);
    if (v != typed && v != 0.0) m_controls.SetText(ctl::kEdgeFreq2, FormatFreqField(v));
    return v;
}

double MainWindowPresenter::ReadAttenuation() {
    const double v = LimitAttenuation(ReadField(ctl::kAttenuation));
    ShowAttenuation(v);
    return v;
}

double MainWindowPresenter::ReadRipple() {
    if (!m_controls.HasControl(ctl::kRipple)) return 0.0;
    const double v = LimitRipple(ReadField(ctl::kRipple));
    ShowRipple(v);
    return v;
}

int MainWindowPresenter::ReadMaxCoefs() {
    const int typed = WholeInteger(m_controls.GetText(ctl::kMaxCoefs));
    const int v = LimitMaxCoefs(typed);
    if (v != typed) m_controls.SetText(ctl::kMaxCoefs, FormatText("%d", v));
    return v;
}

// ---- filter type ----

void MainWindowPresenter::SelectFilterType(int type) {
    if (type == 0) return;
    for (int id : {ctl::kLowPass, ctl::kHighPass, ctl::kBandPass, ctl::kBandStop, ctl::kHalfBand}) {
        m_controls.SetChecked(id, false);
    }
    const double fsTyped = ReadField(ctl::kSamplingFreq);
    ShowSamplingFreq(fsTyped);
    const double nyq = fsTyped / 2.0;
    const double f1 = ReadEdgeFreq1();
    const double f2 = ReadEdgeFreq2();
    const double a = ReadAttenuation();
    if (m_ws.m_prefs && m_ws.m_prefs->IsOpen()) {
        m_ws.m_prefs->SetUnsigned(setting::kType, static_cast<uint32_t>(type));
    }

    switch (type) {
        case LowPass:
        case HighPass:
            m_controls.SetChecked(type == LowPass ? ctl::kLowPass : ctl::kHighPass, true);
            ShowEdgeFreq2(0.0);
            m_controls.SetEnabled(ctl::kEdgeFreq1, true);
            m_controls.SetEnabled(ctl::kRipple, true);
            m_controls.SetEnabled(ctl::kEdgeFreq2, false);
            break;
        case BandPass:
        case BandStop:
            m_controls.SetChecked(type == BandPass ? ctl::kBandPass : ctl::kBandStop, true);
            m_controls.SetEnabled(ctl::kEdgeFreq1, true);
            m_controls.SetEnabled(ctl::kEdgeFreq2, true);
            m_controls.SetEnabled(ctl::kRipple, true);
            if (f2 <= f1) {
                ShowEdgeFreq2(f1 < m_lastF2 ? m_lastF2 : f1 + (nyq - f1) / 2.0);
            } else if (f2 > nyq) {
                ShowEdgeFreq2(nyq);
            }
            break;
        case HalfBand:
            m_controls.SetChecked(ctl::kHalfBand, true);
            ShowEdgeFreq2(0.0);
            ShowEdgeFreq1(HalfBandEdge(fsTyped));
            ShowRipple(kHalfBandRipple);
            if (a < kHalfBandMinAttenuation) ShowAttenuation(kHalfBandMinAttenuation);
            m_controls.SetEnabled(ctl::kEdgeFreq1, false);
            m_controls.SetEnabled(ctl::kEdgeFreq2, false);
            m_controls.SetEnabled(ctl::kRipple, false);
            break;
        default:
            break;
    }
}

int MainWindowPresenter::ReadFilterType() {
    int type = 0;
    if (m_controls.IsChecked(ctl::kLowPass)) {
        type = LowPass;
    } else if (m_controls.IsChecked(ctl::kHighPass)) {
        type = HighPass;
    } else if (m_controls.IsChecked(ctl::kBandPass)) {
        type = BandPass;
    } else if (m_controls.IsChecked(ctl::kBandStop)) {
        type = BandStop;
    } else if (m_controls.IsChecked(ctl::kHalfBand)) {
        type = HalfBand;
    }
    SelectFilterType(type);
    return type;
}

// ---- the whole specification ----

void MainWindowPresenter::CompleteSpec() {
    FieldReaders fields;
    fields.fs = [this] {
        const double fs = ReadField(ctl::kSamplingFreq);
        ShowSamplingFreq(fs);
        return fs;
    };
    fields.type = [this] { return ReadFilterType(); };
    fields.f1 = [this] { return ReadEdgeFreq1(); };
    fields.f2 = [this] { return ReadEdgeFreq2(); };
    fields.attenuation = [this] { return ReadAttenuation(); };
    fields.ripple = [this] { return ReadRipple(); };
    fields.maxCoefs = [this] { return ReadMaxCoefs(); };
    ondela::CompleteSpec(m_ws.m_current.request, fields, m_ws.m_prefs);
    m_ws.m_view.SetRate(m_ws.m_current.request.fs);
}

void MainWindowPresenter::RefreshFields() {
    FilterSpec& s = m_ws.m_current.request;
    CompleteSpec();
    ShowSamplingFreq(s.fs);

    LimitShownLevels(s);
    ShowAttenuation(s.attenuation);
    ShowRipple(s.ripple);

    m_controls.SetText(ctl::kMaxCoefs, FormatText("%d", LimitMaxCoefs(s.maxCoefs)));
    SelectFilterType(s.type);

    LimitShownEdges(s);
    ShowEdgeFreq1(s.f1);
    ShowEdgeFreq2(s.f2);

    ViewState& view = m_ws.m_view;
    if (!(view.linFMax > 0.0) || !(view.logFMax > 0.0)) view.ResetRange();
    view.RoundRange();
    ShowFreqMax(view.UpperLimit());
    ShowFreqMin(view.LowerLimit());

    SelectCoefFormat(m_ws.Current().format);
    const double cursor = m_ws.SpecCursorFreq();
    view.cursorHz = cursor;
    SetCursorFreq(cursor);
    m_lastF2 = 0.0;
}

int MainWindowPresenter::ReadSpecFields() {
    FilterSpec& s = m_ws.m_current.request;
    int mask = 0;
    // The rate comes first: the type's edges are judged against the rate typed now, not the
    // rate of the previous design.
    const double fs = ReadField(ctl::kSamplingFreq);
    ShowSamplingFreq(fs);
    if (fs != s.fs) mask |= 1;
    s.fs = fs;
    m_ws.m_view.SetRate(fs);

    s.type = static_cast<FilterType>(ReadFilterType());
    s.maxCoefs = ReadMaxCoefs();

    const double f1 = s.type == HalfBand ? HalfBandEdge(fs) : ReadEdgeFreq1();
    if (f1 != s.f1) mask |= 2;
    s.f1 = f1;
    if (HasTwoEdges(s.type)) {
        const double f2 = ReadEdgeFreq2();
        if (f2 != s.f2) mask |= 4;
        s.f2 = f2;
    }
    s.ripple = ReadRipple();
    s.attenuation = ReadAttenuation();

    if (m_ws.ValidateSpec(s) == -1) return -1;
    m_ws.m_view.cursorHz = ReadCursorField();

    m_controls.SetText(ctl::kMaxCoefs, FormatText("%d", LimitMaxCoefs(s.maxCoefs)));
    ShowEdgeFreq1(s.f1);
    if (HasTwoEdges(s.type)) ShowEdgeFreq2(s.f2);
    ShowRipple(s.ripple);
    ShowAttenuation(s.attenuation);
    return mask;
}

// ---- display limits ----

void MainWindowPresenter::ShowFreqText(int id, double hz) {
    m_controls.SetText(
        id, hz < 1000.0 ? FormatText("%1.4g Hz", hz) : FormatText("%1.4g kHz", hz / 1000.0));
}

void MainWindowPresenter::CapDisplayMaxima() {
    ViewState& view = m_ws.m_view;
    if (!UsableRate(view.nyquist)) view.SetRate(m_ws.m_current.request.fs);
    if (!UsableRate(view.nyquist)) {
        view.nyquist = 24000.0;
        m_ws.m_current.request.fs = 48000.0;
    }
    view.CapMaxima();
}

void MainWindowPresenter::ShowFreqMin(double hz) {
    CapDisplayMaxima();
    ViewState& view = m_ws.m_view;
    if (!view.logScale) {
        view.linFMin = hz < 0.0 ? 0.0 : hz;
        ShowFreqText(ctl::kFreqMin, view.linFMin);
        return;
    }
    double v = ViewState::LogMinFor(view.logFMax);
    if (v < kMinShown) {
        v = kMinShown;
        view.logFMax = 0.1;
    }
    view.logFMin = v;
    ShowFreqText(ctl::kFreqMin, v);
}

void MainWindowPresenter::ShowFreqMax(double hz) {
    CapDisplayMaxima();
    ViewState& view = m_ws.m_view;
    if (!view.logScale) {
        view.linFMax = std::min(hz, view.LinearCap());
        ShowFreqText(ctl::kFreqMax, view.linFMax);
        return;
    }
    view.logFMax = std::min(hz, view.LogCap());
    if (view.FollowLogMax()) ShowFreqMin(view.logFMin);
    ShowFreqText(ctl::kFreqMax, view.logFMax);
}

double MainWindowPresenter::ReadFreqMin() {
    CapDisplayMaxima();
    ViewState& view = m_ws.m_view;
    double x = ReadField(ctl::kFreqMin);
    if (!view.logScale) {
        x = view.TypedLinearMin(x);
        // A lower limit at or above the upper one would reverse the axis: the previous one
        // stays, or the axis starts at zero.
        if (x >= view.linFMax) x = view.linFMin < view.linFMax ? view.linFMin : 0.0;
        view.linFMin = x;
    } else {
        if (x < kMinShown) view.logFMax = 0.1;
        x = ViewState::LogMinFor(view.logFMax);
        view.logFMin = x;
    }
    ShowFreqMin(x);
    return x;
}

double MainWindowPresenter::ReadFreqMax() {
    CapDisplayMaxima();
    ViewState& view = m_ws.m_view;
    const double x = ViewState::TypedUpperLimit(ReadField(ctl::kFreqMax));
    if (!view.logScale) {
        // An upper limit at or below the lower one leaves the previous upper limit.
        if (x > view.linFMin) view.linFMax = x;
    } else {
        view.logFMax = x;
        if (view.FollowLogMax()) ShowFreqMin(view.logFMin);
    }
    return x;
}

void MainWindowPresenter::SwitchFreqScale(bool toLog) {
    CapDisplayMaxima();
    ViewState& view = m_ws.m_view;
    if (toLog == (view.logScale != 0)) return;
    ReadFreqMin();
    ReadFreqMax();
    view.logScale = toLog ? 1 : 0;
    if (m_ws.m_prefs && m_ws.m_prefs->IsOpen())
        m_ws.m_prefs->SetUnsigned(setting::kLogFreqScale, toLog);
    ShowFreqMax(view.UpperLimit());
    ShowFreqMin(view.LowerLimit());
    PlaceCursorAt(m_graph.m_cursorHz);
}

// ---- spins ----

void MainWindowPresenter::OnSpin(int id, bool up) {
    ViewState& view = m_ws.m_view;
    if (id == ctl::kFreqMinSpin) {
        if (view.logScale) return;
        const double step =
            view.linFMax > 0.0 ? std::pow(10.0, std::round(std::log10(view.linFMax))) / 100.0 : 1.0;
        const double v = std::max(view.linFMin + (up ? step : -step), 0.0);
        // f. min stays below f. max: a step that would reach it is not taken.
        if (v >= view.linFMax) return;
        view.linFMin = v;
        ShowFreqMin(v);
    } else if (id == ctl::kFreqMaxSpin) {
        const bool log = view.logScale != 0;
        const double cap = log ? view.LogCap() : view.LinearCap();
        const double cur = view.UpperLimit();
        const double v = up ? std::min(NiceStep(true, cur), cap)
                            : ViewState::TypedUpperLimit(NiceStep(false, NiceCeil(cur)));
        // f. max stays above f. min (in the log scale f. min follows it at a thousandth): a
        // step that would reach f. min is not taken.
        if (!log && v <= view.linFMin) return;
        view.SetUpperLimit(v);
        ShowFreqMax(v);
        if (log) {
            view.FollowLogMax();
            ShowFreqMin(view.logFMin);
        }
    } else if (id == ctl::kCursorSpin) {
        const double v = ReadCursorField();
        double next = 0.0;
        if (v < 0.99) {
            next = up ? 1.0 : 0.0;
        } else {
            const double r = RoundDisplay(v);
            const double step = NiceCeil(std::max(r / 100.0, 0.1));
            next = std::max(std::min(up ? r + step : r - step, view.nyquist), 0.0);
        }
        view.cursorHz = next;
        SetCursorFreq(next);
        PlaceCursorAt(next);
        return;
    } else {
        return;
    }
    PlaceCursorAt(m_graph.m_cursorHz);
    Repaint();
}

// ---- cursor field and coefficient format ----

void MainWindowPresenter::SetCursorFreq(double hz) {
    const double v = m_ws.m_view.CursorWithinRange(hz);
    m_ws.m_view.cursorHz = v;
    m_graph.m_cursorHz = v;
    m_controls.SetText(ctl::kCursorField, FormatFreqField(v));
    Repaint();
}

double MainWindowPresenter::ReadCursorField() {
    double v = ViewState::CursorWithinRate(ReadField(ctl::kCursorField), m_ws.Current().request.fs);
    v = std::max(v, ReadFreqMin());
    SetCursorFreq(v);
    return v;
}

void MainWindowPresenter::SelectCoefFormat(int format) {
    m_ws.m_current.format = static_cast<CoefFormat>(format);
    if (format >= FLT64 && format <= INT16) {
        for (int k = FLT64; k <= INT16; ++k) m_controls.SetChecked(ctl::kFloat64 + k, k == format);
    }
    if (m_ws.m_prefs && m_ws.m_prefs->IsOpen()) {
        m_ws.m_prefs->SetUnsigned(setting::kCoefFormat, static_cast<uint32_t>(format));
    }
}

int MainWindowPresenter::ReadCoefFormatRadios() {
    for (int k = FLT64; k <= INT16; ++k) {
        if (m_controls.IsChecked(ctl::kFloat64 + k)) {
            m_ws.m_current.format = static_cast<CoefFormat>(k);
            break;
        }
    }
    return m_ws.m_current.format;
}

}  // namespace ondela
