// A small coefficient set for the export tests, with its integers worked out by hand for each
// word length. It is not symmetric, so that a reversed or shuffled order shows, and its first
// coefficient is the most negative word.
#pragma once

#include <cstdint>
#include <vector>

#include "export/coef_export.h"

namespace ondela::testing {

inline const std::vector<double> kProbeCoefs = {-1.0, 0.75, -0.5, 0.25, 0.1, -0.001, 0.0};

struct ProbeCase {
    int w;
    int f;  // the automatic fraction bits: 0.75 * 2^(F+1) leaves the word
    std::vector<int64_t> values;
};

// Rounding to nearest, ties away from zero: -0.5 at F = 0 is -1; 0.1 * 2^F and -0.001 * 2^F
// are 0.2 (W = 2), 12.8 and -0.128, 3276.8 and -32.768, 13107.2 and -131.072, 838860.8 and
// -8388.608, 214748364.8 and -2147483.648.
inline const ProbeCase kProbeCases[] = {
    {2, 0, {-1, 1, -1, 0, 0, 0, 0}},
    {8, 7, {-128, 96, -64, 32, 13, 0, 0}},
    {16, 15, {-32768, 24576, -16384, 8192, 3277, -33, 0}},
    {18, 17, {-131072, 98304, -65536, 32768, 13107, -131, 0}},
    {24, 23, {-8388608, 6291456, -4194304, 2097152, 838861, -8389, 0}},
    {32, 31, {-2147483648LL, 1610612736, -1073741824, 536870912, 214748365, -2147484, 0}},
};

inline DesignSummary ProbeDesign() {
    DesignSummary d;
    d.program = "Ondela";
    d.version = "1.21";
    d.type = "LowPass";
    d.fs = 48000;
    d.f1 = 8000;
    d.bandwidth = 1200;
    d.targetAttenuation = 60;
    d.targetRipple = 0.5;
    d.achievedAttenuation = 59.25;
    d.achievedRipple = 0.4321;
    return d;
}

// An export request for the probe in a word of w bits with automatic fraction bits.
inline ExportRequest ProbeRequest(int w, const char* name = "probe") {
    ExportRequest r;
    r.coefs = kProbeCoefs;
    r.fixed = {w, std::nullopt, Rounding::Nearest};
    r.name = name;
    r.design = ProbeDesign();
    return r;
}

}  // namespace ondela::testing
