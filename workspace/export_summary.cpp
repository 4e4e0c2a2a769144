#include "workspace/export_summary.h"

#include <cmath>
#include <limits>

#include "engine/filter_spec.h"
#include "numbers/number_text.h"
#include "workspace/filter_workspace.h"
#include "workspace/measurable_coefs.h"

namespace ondela {

TapsInWords QuantiseTaps(std::span<const double> taps, const FixedPointRequest& word) {
    TapsInWords quantised;
    quantised.words = Quantise(taps, word);
    quantised.values = QuantisedValues(quantised.words);
    return quantised;
}

bool WordsMeasurable(const std::vector<double>& values) {
    return CoefsMeasurable(values.data(), static_cast<int>(values.size()), FLT64);
}

std::string NoFilterReason(double attenuation, double ripple) {
    if (attenuation > ripple) return {};
    return FormatText("the stop band (%s dB down) is not below the pass band (%s dB from 0 dB)",
                      DecibelText(attenuation).c_str(), DecibelText(ripple).c_str());
}

DesignSummary CurrentDesignSummary(FilterWorkspace& ws, const std::vector<double>& quantised,
                                   const std::string& program, const std::string& version) {
    DesignSummary d;
    d.program = program.empty() ? kAppTitle : program;
    d.version = version;

    const bool fromSpec = ws.Current().GoesWithRequest();
    const FilterSpec& entered = ws.Current().request;
    d.type = FilterTypeName(entered.type);
    d.fs = entered.fs;
    if (fromSpec) {
        // The design's own parameters; coefficients read without a specification have none
        // (their measured values are no design's).
        d.f1 = entered.f1;
        // Only band pass and band stop have a second edge; the other types leave whatever the
        // window's hidden second edge field last held.
        if (HasTwoEdges(entered.type)) d.f2 = entered.f2;
        d.bandwidth = entered.bandwidth;
        d.targetAttenuation = entered.attenuation;
        if (entered.type != HalfBand) d.targetRipple = entered.ripple;
    }

    // The quantised filter measured as the window measures the current one: exactly the values
    // the words hold, in double precision. Values the measurement leaves unset stay unstated.
    // Words that hold no filter (all zero or far below the response's floor, or a stop band not
    // below the pass band) state no achieved values, and miss any target.
    const auto judge = [&d] {
        const bool targets = d.targetAttenuation || d.targetRipple;
        if (!d.noFilter.empty()) {
            if (targets) d.targetsMet = false;
            d.missedTargets = "the words hold no filter";
            return;
        }
        if (!targets || !(d.achievedAttenuation || d.achievedRipple)) return;
        d.missedTargets = MissedTargets(d);
        d.targetsMet = d.missedTargets.empty();
    };
    if (!WordsMeasurable(quantised)) {
        d.noFilter = "every coefficient rounds to zero or clips to a vanishing value";
        judge();
        return d;
    }
    FilterSpec measured = ws.Current().achieved;
    measured.attenuation = std::numeric_limits<double>::quiet_NaN();
    measured.ripple = std::numeric_limits<double>::quiet_NaN();
    // The silent measurement: whether these words miss the targets is for the caller to say, and
    // measuring a copy changes nothing the window shows or the next command reads.
    ws.MeasureCoefs(measured, quantised.data(), static_cast<int>(quantised.size()), FLT64);
    if (std::isfinite(measured.attenuation)) d.achievedAttenuation = measured.attenuation;
    if (std::isfinite(measured.ripple)) d.achievedRipple = measured.ripple;
    // Saturated words can keep little of the filter.
    if (d.achievedAttenuation && d.achievedRipple) {
        d.noFilter = NoFilterReason(*d.achievedAttenuation, *d.achievedRipple);
    }
    if (!d.noFilter.empty()) {
        d.achievedAttenuation.reset();
        d.achievedRipple.reset();
    }
    // Coefficients read without a specification have no designed bands to be measured over: words
    // whose response nowhere reaches -3 dB (no edge found) lost the pass band the coefficients
    // have.
    if (!fromSpec && d.noFilter.empty() && !(measured.f1 > 0.0) && ws.Current().achieved.f1 > 0.0) {
        d.noFilter =
            "no part of their response reaches -3 dB, where the coefficients' pass band does";
        d.achievedAttenuation.reset();
        d.achievedRipple.reset();
    }
    judge();
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
