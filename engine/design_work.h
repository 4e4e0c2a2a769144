// The engine's working storage: one block sized for the longest design, allocated once with the
// engine object. Arrays that the exchange indexes from 1 keep index 0 unused.
#pragma once

#include <array>

#include "engine/dense_response.h"
#include "engine/design_engine.h"
#include "engine/error_search.h"
#include "engine/exchange_limits.h"
#include "engine/filter_spec.h"
#include "engine/response.h"

namespace ondela {

struct DesignWork {
    // Dense grid (1..ngrid) over the bands, grid(1) = 0 and the last point at 0.5.
    std::array<double, kGridCapacity + 2> grid;     // frequency, fraction of the sampling rate
    std::array<double, kGridCapacity + 2> gridCos;  // cos(2 pi grid(k)): the abscissa x of point k
    std::array<double, kGridCapacity + 2> des;      // desired amplitude D(k) of its band
    std::array<double, kGridCapacity + 2> wt;       // weight W(k) of its band
    int ngrid = 0;                                  // points in use

    // Errors of the current exchange iteration, with what the faster evaluation keeps.
    static constexpr int kLanes = kExchangeLanes;
    ErrorSearchCache search;

    // The exchange. nfcns cosine terms (distinct coefficients, (n + 1) / 2); nz = nfcns + 1
    // reference points, indexed 1..nz (iext has room for the candidate nz + 1).
    std::array<int, kMaxCosines + 4> iext;   // grid indices of the reference points, rising
    std::array<double, kMaxCosines + 4> x;   // their abscissae cos(2 pi f), falling
    std::array<double, kMaxCosines + 4> y;   // the interpolant's value there: D -+ dev / W
    std::array<double, kMaxCosines + 4> ad;  // barycentric weights 1 / prod 2 (x(j) - x(k))
    std::array<double, kMaxCosines + 4> a;   // samples of the final interpolant at (j-1)/(2nfcns-1)
    std::array<double, kMaxCosines + 4> alpha;         // cosine coefficients from those samples
    std::array<double, 2 * kMaxCosines + 2> cosTable;  // cos(2 pi m / cn), m = 0..cn-1
    std::array<double, kMaxCosines + 2> h;             // half impulse response, centre tap last
    int nfcns = 0;
    int nz = 0;
    bool xFalling = false;  // x(1..nz) strictly falling, so a cosine equals at most one of them
    double dev = 0.0;       // the equiripple deviation of the current reference set (>= 0)
    // Frequencies (fractions of fs) of the last pass's final reference set, 1..carriedCount; 0
    // when the design has none yet.
    std::array<double, kMaxCosines + 4> carried;
    int carriedCount = 0;

    // Band table (1-based): band l runs from edge(2l-1) to edge(2l) (fractions of the sampling
    // rate), with desired amplitude fx(l) and weight wtx(l).
    static constexpr int kMaxBands = 8;
    std::array<double, 2 * kMaxBands + 2> edge;
    std::array<double, kMaxBands + 2> fx;
    std::array<double, kMaxBands + 2> wtx;
    int nbands = 0;

    // The coefficients of the current pass, in impulse-response order.
    std::array<double, kCoefArraySize> coefs;

    // FFT response of the last measured pass (levels at evenly spaced frequencies), its working
    // buffer and its number of points.
    std::array<Complex, kFftSize> fftBuffer;
    std::array<ResponsePoint, kMaxResponsePoints> response;
    int responseCount = 0;

    // Dense response of the last measured pass, for checking its sampled measurement.
    DenseResponse dense;

    int status = 0;  // status bits of the current design pass

    DesignTrace trace;  // what the last design call did, pass by pass

    // The last pass of the last design that produced a filter, kept so that the same bands can be
    // designed again at another length (DesignAtLength).
    struct FinalPass {
        bool valid = false;
        FilterSpec record{};     // the conditioned record: targets as the loop ended with them
        DesignBands bands;       // the bands of that pass, in Hz
        int maxLength = 0;       // the longest length the entered maximum allows
        double rate = 1.0;       // sampling frequency used (1 when none was given)
        double halfWidth = 0.0;  // transition half-width, fraction of fs
        double edge1 = 0.0;      // aligned edges, fractions of fs
        double edge2 = 0.0;
        double ratio = 1.0;     // pass-band to stop-band deviation ratio (stop-band weight)
        bool lowClamp = false;  // the edges sat at the ends of the axis
        bool highClamp = false;
    };
    FinalPass finalPass;
};

}  // namespace ondela
