// A filter specification written with only what a test changes, by name:
//   Design(engine, Spec{.type = BandPass, .f1 = 8000, .f2 = 16000, .maxCoefs = 255});
// Everything left out is the designer's usual example: a 10 kHz low pass at 48 kHz, 60 dB,
// 0.4 dB, at most 127 coefficients.
#pragma once

#include "engine/filter_spec.h"

namespace ondela::testing {

struct Spec {
    FilterType type = LowPass;
    double f1 = 10000.0;
    double f2 = 0.0;
    double attenuation = 60.0;
    double ripple = 0.4;
    int maxCoefs = 127;
    double fs = 48000.0;

    operator FilterSpec() const {
        FilterSpec s;
        s.fs = fs;
        s.f1 = f1;
        s.f2 = f2;
        s.attenuation = attenuation;
        s.ripple = ripple;
        s.type = type;
        s.maxCoefs = maxCoefs;
        return s;
    }
};

}  // namespace ondela::testing
