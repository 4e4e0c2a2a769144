// The current filter as a coefficient file states it: the program, the design's parameters and
// targets, and what a fixed-point copy of its coefficients achieves, measured as the window
// measures a filter. The window's Export dialog and the command line's export share it.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "export/export_context.h"
#include "export/fixed_point.h"

namespace ondela {

class FilterWorkspace;

// Taps quantised to the words of a fixed-point format: the words, and the value each stands for
// (q / 2^F, in the taps' order), which is what the words are measured and evaluated as.
struct TapsInWords {
    QuantisedCoefs words;
    std::vector<double> values;
};
TapsInWords QuantiseTaps(std::span<const double> taps, const FixedPointRequest& word);

// Whether the values a word set holds give a response the measurement can see (not all zero,
// not far below the response's floor).
bool WordsMeasurable(const std::vector<double>& values);

// Why words measured to attenuation and ripple (dB) hold no filter: when the stop band is
// attenuated no more than the pass band deviates, no level separates the bands (as when every
// tap saturates). Empty when they hold one.
std::string NoFilterReason(double attenuation, double ripple);

// The design of the workspace's current filter, with the achieved values of quantised (the
// values q / 2^F of its words, in the filter's order) measured silently: the workspace shows no
// message and keeps its achieved values and everything the window shows. program and
// version name the program that writes the file. A filter measured from its coefficients has no
// targets and no edges; words that hold no measurable filter leave the achieved values unset.
DesignSummary CurrentDesignSummary(FilterWorkspace& ws, const std::vector<double>& quantised,
                                   const std::string& program, const std::string& version);

// The achieved values that miss their targets by more than the designer lets pass, as
// "stop-band attenuation A dB (T dB asked for), pass-band ripple ..."; empty when none does or
// nothing was measured.
std::string MissedTargets(const DesignSummary& design);

}  // namespace ondela
