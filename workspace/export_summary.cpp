#include "workspace/export_summary.h"

#include <cmath>
#include <limits>

#include "engine/filter_spec.h"
#include "workspace/filter_workspace.h"
#include "workspace/measurable_coefs.h"

namespace ondela {

bool WordsMeasurable(const std::vector<double>& values) {
    return CoefsMeasurable(values.data(), static_cast<int>(values.size()), FLT64);
}

DesignSummary CurrentDesignSummary(FilterWorkspace& ws, const std::vector<double>& quantised,
                                   const std::string& program, const std::string& version) {
    DesignSummary d;
    d.program = program.empty() ? kAppTitle : program;
    d.version = version;

    const bool fromSpec = ws.m_fromSpec == 1;
    const FilterSpec& entered = ws.m_spec;
    d.type = FilterTypeName(entered.type);
    d.fs = entered.fs;
    if (fromSpec) {
        // The design's own parameters; coefficients read without a specification have none
        // (their measured values are no design's).
        d.f1 = entered.f1;
        d.f2 = entered.f2;
        d.bandwidth = entered.bandwidth;
        d.targetAttenuation = entered.attenuation;
        if (entered.type != HalfBand) d.targetRipple = entered.ripple;
    }

    // The quantised filter measured as the window measures the current one: exactly the values
    // the words hold, in double precision. Values the measurement leaves unset stay unstated;
    // words that hold no measurable filter (all zero, or far below the response's floor) are not
    // measured at all.
    if (!WordsMeasurable(quantised)) return d;
    FilterSpec measured = ws.m_specWork;
    measured.attenuation = std::numeric_limits<double>::quiet_NaN();
    measured.ripple = std::numeric_limits<double>::quiet_NaN();
    // The silent measurement: whether these words miss the targets is for the caller to say, and
    // measuring a copy changes nothing the window shows or the next command reads.
    ws.MeasureCoefs(measured, quantised.data(), static_cast<int>(quantised.size()), FLT64);
    if (std::isfinite(measured.attenuation)) d.achievedAttenuation = measured.attenuation;
    if (std::isfinite(measured.ripple)) d.achievedRipple = measured.ripple;
    return d;
}

std::string MissedTargets(const DesignSummary& d) {
    std::string missed;
    const auto add = [&missed](const char* what, double achieved, double target) {
        if (!missed.empty()) missed += ", ";
        missed += std::string(what) + " " + DecibelText(achieved) + " dB (" + DecibelText(target) +
                  " dB asked for)";
    };
    if (d.targetAttenuation && d.achievedAttenuation &&
        AttenuationMissed(*d.targetAttenuation, *d.achievedAttenuation)) {
        add("stop-band attenuation", *d.achievedAttenuation, *d.targetAttenuation);
    }
    if (d.targetRipple && d.achievedRipple && RippleMissed(*d.targetRipple, *d.achievedRipple)) {
        add("pass-band ripple", *d.achievedRipple, *d.targetRipple);
    }
    return missed;
}

}  // namespace ondela
