// The error search of the exchange: the weighted error of the current interpolant at grid points,
// cached per iteration and computed first the faster way with a bound on its distance from the
// exact error.
#pragma once

#include <array>

#include "engine/exchange_limits.h"

namespace ondela {

struct DesignWork;

// Grid points whose errors are evaluated side by side, one per vector lane.
constexpr int kExchangeLanes = 4;
// Reference points whose quotients the faster evaluation folds into one division.
constexpr int kFoldTerms = 4;

// How the search evaluates errors. Designs use Usual; the other two are for comparisons: never
// use the faster evaluation, or use it wherever the bounds hold, however short the filter and
// however wide the bounds.
enum class SearchMode { Usual, ExactOnly, FastWherever };

// What the search keeps from one iteration (and, for sampledBound, from one iteration to the
// next).
struct ErrorSearchCache {
    SearchMode mode = SearchMode::Usual;

    // Weighted errors of the current iteration: errorCache[k] is valid while errorStamp[k]
    // equals searchStamp, which is raised once per iteration.
    std::array<double, kGridCapacity + 2> errorCache;
    std::array<unsigned, kGridCapacity + 2> errorStamp{};
    unsigned searchStamp = 0;
    // |errorCache[k] - exact error| <= errorBound[k]; 0 once the value is the exact one.
    std::array<double, kGridCapacity + 2> errorBound;

    // Whether the errors computed before the search also cover the climbs the ripples' tops
    // predict (PrecomputeErrors); off only to compare with the neighbours alone.
    bool predictClimbs = true;
    long long evaluationCalls = 0;  // kernel calls for errors (kExchangeLanes points each)

    bool fastSearch = false;        // this iteration uses the faster evaluation (still)
    int fastPoints = 0;             // points evaluated the faster way in this iteration
    int resolvedPoints = 0;         // of them, points whose exact error was needed after all
    long long fastPointsTotal = 0;  // points evaluated the faster way, all iterations together
    double sampledBound = 0.0;      // median bound of the last sampled iteration's first points
    std::array<int, kGridCapacity + 2> fastList;  // the points of fastPoints, in order
    double searchYMax = 0.0;                      // largest |y(j)|
    double searchK = 0.0;  // rounding-error factor of the two summations (see ErrorBound)

    // The reference set as the faster evaluation reads it (0-based, padded to whole groups of
    // kFoldTerms with terms of weight 0): abscissae, weights and weights times ordinates.
    std::array<double, kMaxCosines + 4> foldX;
    std::array<double, kMaxCosines + 4> foldAd;
    std::array<double, kMaxCosines + 4> foldAdY;
    int foldTerms = 0;
    // |ad(j)| and, for each reference point k, the sums of |ad(j)| / |x(j) - x(k)| over the points
    // above it (j < k) and below it (j > k): they bound sum |ad(j) / (x - x(j))| between points.
    std::array<double, kMaxCosines + 4> absAd;
    std::array<double, kMaxCosines + 4> farAbove;
    std::array<double, kMaxCosines + 4> farBelow;
    // For each grid point, the first reference point whose abscissa is not above its cosine.
    std::array<int, kGridCapacity + 2> gridBelow;
};

// Prepares the search for the reference set of a new iteration (x, y, ad and dev set): the faster
// evaluation where its bounds hold and pay, the exact one elsewhere.
void PrepareSearch(DesignWork& w);

// Starts a new iteration: every cached error becomes stale.
void NewErrorStamp(DesignWork& w);

// Computes, kExchangeLanes points per call, the errors the search is about to read: those beside
// each reference point, which it examines first, and the points up to the top of the ripple the
// point climbs to, as a cosine through the errors beside it predicts (with predictClimbs off,
// both neighbours of each point alone). firstSign is the sign of the first reference point's
// error.
void PrecomputeErrors(DesignWork& w, int firstSign);

// Weighted error at grid point k in this iteration (within search.errorBound[k] of the exact one).
// The search moves through the grid in the direction step (+1 or -1); a point not yet known is
// computed together with the next unknown points that way.
double ErrorAt(DesignWork& w, int k, int step);

// The exact weighted error at grid point k, already computed in this iteration.
double ExactErrorAt(DesignWork& w, int k);

}  // namespace ondela
