// The design engine: turns a FilterSpec into equiripple linear-phase FIR coefficients, choosing
// the length itself, and reports what the result achieves.
#pragma once

#include <memory>

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
    DesignBands bands;  // the bands the result was designed for (type 0 when none was)
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

    // Designs spec into coefs (room for kCoefArraySize values, zeroed by the caller). response
    // (room for kResponseArraySize points) and responseCount may be null. Returns the status word.
    int DesignFilter(FilterSpec& spec, double* coefs, ResponsePoint* response, int* responseCount);

    // Designs the bands of the last DesignFilter result again at length n: the same aligned
    // edges, weights and target, another number of coefficients. For a caller that needs a
    // longer filter than the design loop settled on (its coefficients are to be rounded to a
    // short word). record, coefs and the response as DesignFilter writes them; NOT_POSSIBLE when
    // no design was made before or n is not a length of the filter's type (odd, 3..4095; a half
    // band 3 modulo 4).
    int DesignAtLength(FilterSpec& record, int n, double* coefs, ResponsePoint* response,
                       int* responseCount);

    // One exchange of a given odd length (3..4095) over up to kMaxExchangeBands bands rising
    // within 0..0.5, with density grid points per cosine term (1..40). Writes taps coefficients.
    FixedLengthResult DesignFixedLength(int taps, const ExchangeBand* bands, int bandCount,
                                        int density, double* coefs);

    // Reference frequencies (fractions of fs) of the last exchange, nfcns + 1 of them; returns
    // their number (0 when the last fixed-length request was refused or its grid overflowed).
    int ExtremalFrequencies(double* out) const;

    // The passes of the last DesignFilter call.
    const DesignTrace& LastTrace() const;

    // The half-band attenuation correction carried from one design to the next.
    double lastCorrection() const { return lastCorrection_; }

  private:
    std::unique_ptr<DesignWork> work_;
    double lastCorrection_ = 1000.0;
};

}  // namespace ondela
