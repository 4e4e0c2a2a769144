#include "cli/filter_report.h"

#include <algorithm>
#include <span>
#include <vector>

#include "cli/json_writer.h"
#include "engine/filter_spec.h"
#include "numbers/number_text.h"
#include "workspace/coef_format.h"
#include "workspace/export_summary.h"
#include "workspace/filter_workspace.h"
#include "workspace/measurable_coefs.h"

namespace ondela::cli {

namespace {

void WriteSpecMembers(JsonWriter& json, const FilterSpec& s, bool entered) {
    if (entered) {
        json.Key("type").String(FilterTypeName(s.type));
        json.Key("fs").Number(s.fs);
    }
    json.Key("f1").Number(s.f1);
    json.Key("f2").Number(s.f2);
    json.Key("attenuation").Number(s.attenuation);
    json.Key("ripple").Number(s.ripple);
    if (entered) {
        json.Key("maxCoefs").Integer(s.maxCoefs);
    } else {
        json.Key("bandwidth").Number(s.bandwidth);
        json.Key("numCoefs").Integer(s.numCoefs);
    }
}

}  // namespace

std::string FilterReportJson(FilterWorkspace& ws, const FilterReport& report) {
    std::string title;
    const bool titled = report.produced && ws.FilterTitle(title) == 1;

    JsonWriter json;
    json.BeginObject();
    json.Key("status").Integer(report.status);
    json.Key("engineStatus").OptionalInteger(report.engineStatus);
    json.Key("messages").BeginArray();
    for (const std::string& m : report.messages) json.String(m);
    json.EndArray();
    if (report.aboutFile) {
        json.Key("redesigned");
        if (report.produced) {
            json.Bool(report.redesigned);
        } else {
            json.Null();
        }
    }
    json.Key("format").String(CoefFormatName(ws.Current().format));
    json.Key("title");
    if (titled) {
        json.String(title);
    } else {
        json.Null();
    }
    json.Key("entered");
    if (report.entered) {
        json.BeginObject();
        WriteSpecMembers(json, ws.Current().request, true);
        json.EndObject();
    } else {
        json.Null();
    }
    json.Key("achieved");
    if (report.produced) {
        json.BeginObject();
        WriteSpecMembers(json, ws.Current().achieved, false);
        json.EndObject();
    } else {
        json.Null();
    }
    json.Key("cursor").Number(ws.m_view.cursorHz);
    if (report.words) {
        const ReportedWords& w = *report.words;
        json.Key("fixedPoint").BeginObject();
        json.Key("wordBits").Integer(w.format.wordBits);
        json.Key("fracBits").Integer(w.format.fracBits);
        json.Key("rounding").String(RoundingName(w.format.rounding));
        json.Key("saturated").Integer(w.saturated);
        json.Key("values").BeginArray();
        for (const int v : w.values) json.Integer(v);
        json.EndArray();
        json.EndObject();
    }
    json.Key("coefficients").BeginArray();
    if (report.produced) {
        for (const double tap : ws.Current().Taps()) json.Number(tap);
    }
    json.EndArray();
    json.EndObject();
    return json.Text();
}

// Measures the current filter's coefficients quantised to the word asked for: the achieved values
// become those of the words. Nothing when the words hold no measurable filter (then a message
// says so and false).
bool MeasureInWords(FilterWorkspace& ws, const FixedPointRequest& fixed, ReportedWords& words) {
    const int n = ws.Current().Count();
    const TapsInWords quantised = QuantiseTaps(ws.Current().Taps(), fixed);
    const QuantisedCoefs& q = quantised.words;
    const std::vector<double>& values = quantised.values;
    words = {q.format, q.saturated, std::vector<int>(q.values.begin(), q.values.end())};
    if (q.saturated > 0) ws.ShowMessage(SaturationText(q));
    if (!CoefsMeasurable(values.data(), n, FLT64)) {
        ws.ShowMessage(FormatText("The coefficients in %s hold no measurable filter",
                                  FixedPointFormatText(q.format).c_str()));
        return false;
    }
    FilterSpec measured = ws.Current().achieved;
    ws.AnalyseCoefs(measured, values.data(), n, FLT64);
    ws.m_current.achieved = measured;
    if (const std::string reason = NoFilterReason(measured.attenuation, measured.ripple);
        !reason.empty()) {
        ws.ShowMessage(FormatText("The coefficients in %s hold no filter: ",
                                  FixedPointFormatText(q.format).c_str()) +
                       reason);
    }
    return true;
}

}  // namespace ondela::cli
