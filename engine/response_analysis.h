// Measurement of what an arbitrary symmetric coefficient set achieves, from 1024 samples of its
// magnitude response in a chosen coefficient format.
#pragma once

#include "engine/filter_spec.h"

namespace ondela {

constexpr int kAnalysisPoints = 1024;
constexpr int kAnalysisTooManyCrossings = -1;
constexpr int kAnalysisNoCrossing = -2;

// Writes attenuation, ripple, f1, f2 and bandwidth of s (s.fs is read). Returns 1024, -1 for more
// than 15 crossings of the -3 dB level (s untouched) or -2 for none.
int AnalyseResponse(FilterSpec& s, const double* coefs, int count, int format);

}  // namespace ondela
