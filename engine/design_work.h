// The engine's working storage: one block sized for the longest design, allocated once with the
// engine object. Arrays that the exchange indexes from 1 keep index 0 unused.
#pragma once

#include <array>

#include "engine/dense_response.h"
#include "engine/design_engine.h"
#include "engine/filter_spec.h"
#include "engine/response.h"

namespace ondela {

constexpr int kGridCapacity = 82000;  // dense grid points at the highest density
constexpr int kGridDensityStep = 20;  // points per cosine term added by each refinement
constexpr int kGridCapacityStep = 41000;
constexpr int kMaxCosines = 2048;  // distinct coefficients of the longest (4095-tap) filter
constexpr int kFftSize = 4096;

struct DesignWork {
    // Dense grid (1..ngrid): frequencies as fractions of fs, their cosines, desired values and
    // weights. The cosines are computed once per grid.
    std::array<double, kGridCapacity + 2> grid;
    std::array<double, kGridCapacity + 2> gridCos;
    std::array<double, kGridCapacity + 2> des;
    std::array<double, kGridCapacity + 2> wt;
    int ngrid = 0;

    // Weighted errors of the current exchange iteration, computed several grid points at a time
    // (one per vector lane): errorCache[k] is valid while errorStamp[k] equals searchStamp, which
    // is raised once per iteration.
    static constexpr int kLanes = 4;
    std::array<double, kGridCapacity + 2> errorCache;
    std::array<unsigned, kGridCapacity + 2> errorStamp{};
    unsigned searchStamp = 0;

    // The search first takes each error from a faster evaluation of the interpolant (two
    // reference points per division) together with a bound on its distance from the exact
    // error: |errorCache[k] - exact| <= errorBound[k], 0 once the value is the exact one. A
    // comparison that the bounds leave open is decided on exact values, so every decision is the
    // one the exact errors give.
    std::array<double, kGridCapacity + 2> errorBound;
    // For comparisons: never use the faster evaluation, or use it wherever the bounds hold,
    // however short the filter and however wide the bounds.
    bool exactSearchOnly = false;
    bool forceFastSearch = false;
    bool fastSearch = false;        // this iteration uses the faster evaluation (still)
    int fastPoints = 0;             // points evaluated the faster way in this iteration
    int resolvedPoints = 0;         // of them, points whose exact error was needed after all
    long long fastPointsTotal = 0;  // points evaluated the faster way, all iterations together
    double sampledBound = 0.0;      // median bound of the last iteration's first points
    std::array<int, kGridCapacity + 2> fastList;  // those points, in order of evaluation
    double searchYMax = 0.0;                      // largest |y(j)|
    double searchK = 0.0;  // rounding-error factor of the two summations, see ErrorBound
    // The reference set as the faster evaluation reads it (0-based, padded to whole pairs with a
    // term of weight 0): abscissae, weights and weights times ordinates.
    std::array<double, kMaxCosines + 4> pairX;
    std::array<double, kMaxCosines + 4> pairAd;
    std::array<double, kMaxCosines + 4> pairAdY;
    int pairTerms = 0;
    // |ad(j)| and, for each reference point k, the sums of |ad(j)| / |x(j) - x(k)| over the points
    // above it (j < k) and below it (j > k): they bound sum |ad(j) / (x - x(j))| between points.
    std::array<double, kMaxCosines + 4> absAd;
    std::array<double, kMaxCosines + 4> farAbove;
    std::array<double, kMaxCosines + 4> farBelow;
    // For each grid point, the first reference point whose abscissa is not above its cosine.
    std::array<int, kGridCapacity + 2> gridBelow;

    // Exchange (1..nz+1): extremal indices, reference abscissae, ordinates, barycentric weights.
    std::array<int, kMaxCosines + 4> iext;
    std::array<double, kMaxCosines + 4> x;
    std::array<double, kMaxCosines + 4> y;
    std::array<double, kMaxCosines + 4> ad;
    std::array<double, kMaxCosines + 4> a;             // samples of the final approximation
    std::array<double, kMaxCosines + 4> alpha;         // cosine coefficients
    std::array<double, 2 * kMaxCosines + 2> cosTable;  // cos(2 pi m / cn), m = 0..cn-1
    std::array<double, kMaxCosines + 2> h;             // half impulse response, centre tap last
    int nfcns = 0;
    int nz = 0;
    bool xFalling = false;  // x(1..nz) strictly falling, so a cosine equals at most one of them
    double dev = 0.0;

    // Band table (1-based): band l runs from edge(2l-1) to edge(2l).
    static constexpr int kMaxBands = 8;
    std::array<double, 2 * kMaxBands + 2> edge;
    std::array<double, kMaxBands + 2> fx;
    std::array<double, kMaxBands + 2> wtx;
    int nbands = 0;

    // Frequency response of the last measured pass.
    std::array<Complex, kFftSize> fftBuffer;
    std::array<ResponsePoint, kMaxResponsePoints> response;
    int responseCount = 0;

    // Dense response of the last measured pass, for checking its sampled measurement.
    DenseResponse dense;

    int status = 0;

    DesignTrace trace;
};

}  // namespace ondela
