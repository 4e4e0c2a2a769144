// Measurement of what an arbitrary symmetric coefficient set achieves, from 1024 samples of its
// magnitude response in a chosen coefficient format.
#pragma once

#include "engine/filter_spec.h"

namespace ondela {

constexpr int kAnalysisPoints = 1024;
constexpr int kAnalysisTooManyCrossings = -1;
constexpr int kAnalysisNoCrossing = -2;
// The response has no stop band to measure: it has three or more -3 dB crossings, or it is still
// falling (rising) into the last sample. Attenuation and ripple are written as 0 or as far as they
// were found; they vouch for nothing.
constexpr int kAnalysisNoStopBand = -3;

// Writes attenuation, ripple, f1, f2 and bandwidth of s (s.fs is read). Returns 1024, -1 for more
// than 15 crossings of the -3 dB level (s untouched), -2 for none, or kAnalysisNoStopBand.
// Attenuation and ripple are the peaks of 1024 samples where a dense evaluation of the response
// confirms them, and the dense peaks where it does not.
int AnalyseResponse(FilterSpec& s, const double* coefs, int count, int format);

}  // namespace ondela
