// Public types of the design engine: the specification record, filter types, coefficient
// formats, response points and the engine's status word.
#pragma once

#include <cstdint>

#include "engine/filter_limits.h"

namespace ondela {

enum FilterType : int32_t {
    LowPass = 1,
    BandPass = 2,
    HighPass = 3,
    BandStop = 4,
    HalfBand = 5,
};

// Whether the type (a FilterType, or any other code read from a field or a file) has two edges: a
// band pass or a band stop, whose band between two transitions makes the second edge f2 count.
constexpr bool HasTwoEdges(int type) {
    return type == BandPass || type == BandStop;
}

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

// The engine's status word. Its values are fixed: the command line prints them and its reports
// carry them. 0 is a filter that meets its targets. Two values are plain codes, returned alone and
// never combined with anything else, so they are compared, never masked:
constexpr int EDGES_INVALID = 1;  // the edges or values (for one exchange: the bands) are unusable
constexpr int TYPE_INVALID = 2;   // the filter type is none the engine knows
// The others are bits, which one word may combine:
constexpr int GRID_OVERFLOW = 4;         // the dense grid does not suit the length: no filter
constexpr int NOT_OPTIMIZED = 0x08;      // an exchange or the half-band correction did not settle
constexpr int DEVIATION_STALLED = 0x10;  // an exchange's deviation stopped growing
constexpr int NOT_POSSIBLE = 0x20;       // the request cannot be designed: no filter
constexpr int SPEC_NOT_MET = 0x40;       // a filter that misses its targets

// Whether the design produced no filter: an impossible request, a grid beyond its capacity, or
// edges or a type the engine refused.
constexpr bool DesignFailed(int status) {
    return (status & (NOT_POSSIBLE | GRID_OVERFLOW)) != 0 || status == EDGES_INVALID ||
           status == TYPE_INVALID;
}
// Whether the filter produced may not be the best of its length: an exchange or the half-band
// correction stopped before it settled.
constexpr bool NotFullyOptimised(int status) {
    return (status & NOT_OPTIMIZED) != 0;
}
// Whether an exchange's deviation stopped growing before the reference set settled.
constexpr bool DeviationStalled(int status) {
    return (status & DEVIATION_STALLED) != 0;
}
// Whether the design produced a filter with no word about it but perhaps that it misses its
// targets (SPEC_NOT_MET): nothing failed and every exchange settled.
constexpr bool DesignSettled(int status) {
    return (status & ~SPEC_NOT_MET) == 0;
}

// Whether an achieved value misses its target by more than the designer lets pass: more than 1 dB
// of stop-band attenuation short, or more than a tenth of the pass-band ripple over.
inline bool AttenuationMissed(double target, double achieved) {
    return target - 1.0 > achieved;
}
inline bool RippleMissed(double target, double achieved) {
    return target / 10.0 + target < achieved;
}

// Capacities the callers rely on. They are sizes of storage, not limits of a request: the longest
// filter a request may ask for is kMaxDesignCoefs (engine/filter_limits.h), which they exceed.
constexpr int kCoefArraySize = 4098;      // coefficient arrays of the callers
constexpr int kResponseArraySize = 4098;  // response arrays of the callers
constexpr int kMaxResponsePoints = 4096;  // points of one FFT response
static_assert(kCoefArraySize > kMaxDesignCoefs && kResponseArraySize >= kMaxResponsePoints);

}  // namespace ondela
