// The design engine: turns a FilterSpec into equiripple linear-phase FIR coefficients, choosing
// the length itself, and reports what the result achieves.
#pragma once

#include <memory>
#include <vector>

#include "engine/dense_response.h"
#include "engine/filter_spec.h"

namespace ondela {

struct DesignWork;

// One band of a fixed-length exchange: edges as fractions of the sampling frequency (0..0.5).
struct ExchangeBand {
    double lower;
    double upper;
    double desired;
    double weight;
};

constexpr int kMaxExchangeBands = 8;
constexpr int kMaxGridDensity = 40;  // the largest grid holds 40 points per cosine term

// What one call of DesignFilter did, pass by pass: for diagnostics and tests.
struct DesignPassRecord {
    int n = 0;                 // length designed
    double halfWidth = 0.0;    // transition half-width, fraction of fs
    double target = 0.0;       // attenuation the pass was designed for, dB
    bool measured = false;     // measured on its FFT response (otherwise it was aligned)
    double attenuation = 0.0;  // measured attenuation, dB (when measured)
    double ripple = 0.0;       // measured ripple, dB (when measured)
};

struct DesignTrace {
    static constexpr int kCapacity = 256;
    int passes = 0;    // every pass, also those beyond kCapacity
    int restarts = 0;  // restarts after a failure or a half-band target correction
    DesignPassRecord pass[kCapacity];
};

// What a design gives back.
struct DesignResult {
    int status = NOT_POSSIBLE;  // the status word (filter_spec.h)
    // The request as the engine conditioned it, with the achieved values: attenuation, ripple,
    // edges, transition width and numCoefs. For a design at another length that was refused, all
    // zero.
    FilterSpec achieved{};
    // The coefficients, achieved.numCoefs of them; none when the design failed (DesignFailed).
    std::vector<double> taps;
    // The FFT response of the last measured pass; none when the design failed.
    std::vector<ResponsePoint> response;
    // The bands the result was designed for, over which it is measured (type 0 when a design
    // failed; when a design at another length designed nothing, those of the design before it,
    // which are still the ones in effect).
    DesignBands bands;
};

// What the half-band target correction remembers from one design to the next. A half band is
// designed for an internal attenuation target that each measured pass moves by 0.8 of its miss
// (counted up to 30 dB); a miss larger than the last one corrected ends the design as
// NOT_OPTIMIZED, so the corrections shrink and the restarts end. That bound is not reset between
// designs: a later half-band design starts bounded by the last miss the earlier ones corrected, as
// the designer's designs always have, so the same request may end otherwise after other half
// bands were designed. Whoever designs owns this memory and decides how far it reaches (the
// design session keeps one for all its designs); a fresh value starts unbounded.
struct HalfBandCorrection {
    static constexpr double kUnbounded = 1000.0;
    double lastMissDb = kUnbounded;  // the last miss corrected, dB (at most 30 once one was)
};

struct FixedLengthResult {
    int status = 0;          // GRID_OVERFLOW, NOT_OPTIMIZED, DEVIATION_STALLED bits; EDGES_INVALID
                             // for an unusable request
    double deviation = 0.0;  // weighted Chebyshev error of the result
};

// The longest filter of this type that maxCoefs allows: odd, at most kMaxDesignCoefs, and for a
// half band 3 modulo 4. 0 when there is none (a half band below 3 coefficients).
int LongestDesignLength(FilterType type, int maxCoefs);
// The length that follows n among the lengths of this type: n + 2, for a half band n + 4.
int NextDesignLength(FilterType type, int n);

class DesignEngine {
  public:
    DesignEngine();
    ~DesignEngine();
    DesignEngine(const DesignEngine&) = delete;
    DesignEngine& operator=(const DesignEngine&) = delete;

    // Designs the request, choosing the length within request.maxCoefs. A half band starts from
    // the correction the designs before it left and leaves its own for the next.
    DesignResult DesignFilter(const FilterSpec& request, HalfBandCorrection& correction);

    // Designs the bands of the last DesignFilter result again at length n: the same aligned
    // edges, weights and target, another number of coefficients. For a caller that needs a
    // longer filter than the design loop settled on (its coefficients are to be rounded to a
    // short word). NOT_POSSIBLE when no design was made before or n is not a length of the
    // filter's type (odd, 3..4095; a half band 3 modulo 4).
    DesignResult DesignAtLength(int n);

    // One exchange of a given odd length (3..4095) over up to kMaxExchangeBands bands rising
    // within 0..0.5, with density grid points per cosine term (1..40). Writes taps coefficients.
    FixedLengthResult DesignFixedLength(int taps, const ExchangeBand* bands, int bandCount,
                                        int density, double* coefs);

    // Reference frequencies (fractions of fs) of the last exchange, nfcns + 1 of them; returns
    // their number (0 when the last fixed-length request was refused or its grid overflowed).
    int ExtremalFrequencies(double* out) const;

    // The passes of the last DesignFilter or DesignAtLength call.
    const DesignTrace& LastTrace() const;

  private:
    std::unique_ptr<DesignWork> work_;
};

}  // namespace ondela
