// Measurement of what an arbitrary symmetric coefficient set achieves, from 1024 samples of its
// magnitude response in a chosen coefficient format.
#pragma once

#include "engine/dense_response.h"
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
// The crossings, the class, the edges and the width come from the 1024 samples. Attenuation and
// ripple are the refined peaks of the dense response (within 0.01 dB of the true extremes): over
// bands, the bands the coefficients were designed for, from their designed edges, when bands
// is given; otherwise over the bands the crossings mark, each stop band from the foot of its
// transition.
int AnalyseResponse(FilterSpec& s, const double* coefs, int count, int format,
                    const DesignBands* bands = nullptr);

}  // namespace ondela
