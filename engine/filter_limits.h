// The limits of what a filter may ask for (its targets, edges and length), wherever a value enters:
// the window's fields, the validation before a design, the description reader, the stored settings,
// the command line, and the design engine, which clamps a request to the same limits.
#pragma once

namespace ondela {

// Pass-band ripple, dB.
constexpr double kMinRipple = 0.001;
constexpr double kMaxRipple = 2.0;
// Stop-band attenuation, dB.
constexpr double kMaxAttenuation = 120.0;
// Number of coefficients a filter may ask for, and the count it gets when it gives a
// negative one (also the count stored before any design).
constexpr int kMinCoefs = 3;
constexpr int kMaxCoefs = 4096;
constexpr int kDefaultMaxCoefs = 127;
// The longest filter the engine designs: linear-phase designs have an odd length, so the longest
// odd count within kMaxCoefs.
constexpr int kMaxDesignCoefs = kMaxCoefs % 2 == 0 ? kMaxCoefs - 1 : kMaxCoefs;
// The highest band edge, as a fraction of the sampling frequency.
constexpr double kMaxEdgeFraction = 0.4999;

// A half band has its edge at a quarter of the sampling frequency, the smallest ripple, and an
// attenuation of at least 30 dB.
constexpr double kHalfBandMinAttenuation = 30.0;
constexpr double kHalfBandRipple = kMinRipple;
constexpr double HalfBandEdge(double fs) {
    return fs / 4.0;
}

}  // namespace ondela
