// Public types of the design engine: the specification record, filter types, coefficient
// formats, response points and the engine's status word.
#pragma once

#include <cstdint>

namespace ondela {

enum FilterType : int32_t {
    LowPass = 1,
    BandPass = 2,
    HighPass = 3,
    BandStop = 4,
    HalfBand = 5,
};

// Number format in which the coefficients are delivered and evaluated.
enum CoefFormat : int32_t {
    FLT64 = 0,
    FLT32 = 1,
    INT32 = 2,
    INT16 = 3,
};

// The specification handed to the engine. On return it holds the achieved values.
struct FilterSpec {
    double fs = 0.0;           // sampling frequency, Hz
    double attenuation = 0.0;  // minimum stop-band attenuation, dB (positive)
    double ripple = 0.0;       // maximum pass-band ripple, dB
    double f1 = 0.0;           // first edge, Hz
    double f2 = 0.0;           // second edge (band pass, band stop), Hz
    double bandwidth = 0.0;    // measured transition width, Hz
    FilterType type = static_cast<FilterType>(0);
    int32_t maxCoefs = 0;  // maximum number of coefficients
    int32_t numCoefs = 0;  // number of coefficients of the result
};
static_assert(sizeof(FilterSpec) == 64);

struct ResponsePoint {
    double frequency;  // Hz
    double level;      // dB
};

// Engine status word: small return values and bit flags.
constexpr int EDGES_INVALID = 1;
constexpr int TYPE_INVALID = 2;
constexpr int GRID_OVERFLOW = 4;
constexpr int NOT_OPTIMIZED = 0x08;
constexpr int DEVIATION_STALLED = 0x10;
constexpr int NOT_POSSIBLE = 0x20;
constexpr int SPEC_NOT_MET = 0x40;

// Whether an achieved value misses its target by more than the designer lets pass: more than 1 dB
// of stop-band attenuation short, or more than a tenth of the pass-band ripple over.
inline bool AttenuationMissed(double target, double achieved) {
    return target - 1.0 > achieved;
}
inline bool RippleMissed(double target, double achieved) {
    return target / 10.0 + target < achieved;
}

// Capacities the callers rely on.
constexpr int kMaxDesignCoefs = 4095;     // longest filter the engine designs
constexpr int kCoefArraySize = 4098;      // coefficient arrays of the callers
constexpr int kResponseArraySize = 4098;  // response arrays of the callers
constexpr int kMaxResponsePoints = 4096;  // points of one FFT response

}  // namespace ondela
