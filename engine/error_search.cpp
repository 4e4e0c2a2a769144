// The error search of one exchange iteration: the weighted error of the current interpolant at
// grid points, cached for the iteration. Errors come first from the faster paired evaluation with
// a proven bound on their distance from the exact error; the extremal search decides comparisons
// that the bounds leave open on exact errors, so it decides exactly as on exact errors throughout.
#include "engine/error_search.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/design_work.h"
#include "engine/exchange_kernels.h"

namespace ondela {

namespace {

constexpr int kLanes = kExchangeLanes;

// Below this many reference points the bounds cost more than the faster evaluation saves.
constexpr int kMinFastTerms = 128;
// The first points of an iteration show whether the bounds are small enough against the
// deviation: errors are compared with one another and with the deviation, and differ by small
// fractions of it near the extremes.
constexpr int kBoundSample = 4 * kExchangeLanes;
constexpr double kBoundShare = 3e-3;
// An iteration whose deviation is below ten times the median bound of the last sampled iteration
// does not try the faster evaluation.
constexpr double kSkipShare = 0.1;

// Bound on |err - exact| for the error err = (value - des) * wt that the faster evaluation gave at
// the cosine xf (den: its denominator sum), the exact error being what InterpolantLanes gives.
// Infinite where no useful bound follows; the search then takes the exact value.
double ErrorBound(const DesignWork& w, int k, double value, double den, double err) {
    constexpr double kInf = std::numeric_limits<double>::infinity();
    if (!std::isfinite(den) || !std::isfinite(value) || !std::isfinite(err)) return kInf;
    const double* x = w.x.data();
    const int nz = w.nz;
    const double xf = w.gridCos[k];
    // x(below) <= xf < x(below - 1): the reference points on either side of xf. The table holds
    // them unless rounding made the grid cosines rise somewhere.
    int below = w.search.gridBelow[k];
    if (!((below > nz || x[below] <= xf) && (below == 1 || x[below - 1] > xf))) {
        below = FirstNotAbove(x, nz, xf);
    }
    const int above = below - 1;
    const double des = w.des[k];
    const double wt = w.wt[k];
    // A >= sum |ad(j) / d(j)|: the two neighbours exactly, every other point through its distance
    // to the nearer neighbour, which |xf - x(j)| (and its rounding) cannot undercut.
    double a = 0.0;
    if (above >= 1)
        a += w.search.absAd[above] / std::fabs(xf - x[above]) + w.search.farAbove[above];
    if (below <= nz)
        a += w.search.absAd[below] / std::fabs(xf - x[below]) + w.search.farBelow[below];
    a *= 1.001;
    // Both sums of either evaluation lie within kA of the same exact sums (times (|y|max + 1)
    // for the numerator); the absolute part covers products that fall below the normal range.
    const double kA = w.search.searchK * a + 1e-280;
    const double aden = std::fabs(den);
    if (!(aden > 4.0 * kA)) return kInf;
    // The quotients num / den then differ by at most (4/3) kA (|value| + |y|max + 1) / |den|, and
    // each is rounded once more.
    const double av = std::fabs(value);
    const double bv = (2.01 * kA * (av + w.search.searchYMax + 1.0) / aden + 2.5e-16 * av) * 1.001;
    const double aw = std::fabs(wt);
    return 1.001 * aw * bv + 5e-16 * (aw * std::fabs(value - des) + std::fabs(err)) + 1e-300;
}

void ComputeErrors(DesignWork& w, const int* k, int count, bool exact = false);

// Share of the faster evaluations that may need the exact one after all before the rest of the
// iteration uses the exact one throughout: an exact evaluation costs about as much as kLanes
// points the faster way would save. Errors close to the rounding level, as while the deviation
// is still tiny, leave most comparisons open.
constexpr int kResolveRatio = 12;
constexpr int kResolveSample = 64;

// Leaves the faster evaluation for the rest of the iteration; the points it evaluated and that are
// still approximate are evaluated exactly, kLanes at a time.
void UseExactErrors(DesignWork& w) {
    w.search.fastSearch = false;
    int points[kLanes];
    int count = 0;
    for (int i = 0; i < w.search.fastPoints; ++i) {
        const int p = w.search.fastList[i];
        if (w.search.errorBound[p] == 0.0) continue;
        points[count++] = p;
        if (count == kLanes) {
            ComputeErrors(w, points, count, true);
            count = 0;
        }
    }
    if (count > 0) ComputeErrors(w, points, count, true);
}

// Computes the weighted errors at grid points k[0..count-1] (1 <= count <= kLanes) for the
// current iteration: exact ones (errorBound 0) when `exact` is set or the iteration does not use
// the faster evaluation.
void ComputeErrors(DesignWork& w, const int* k, int count, bool exact) {
    double xf[kLanes];
    for (int i = 0; i < kLanes; ++i) {
        // Unused lanes repeat the last point; their values are not kept.
        xf[i] = w.gridCos[k[std::min(i, count - 1)]];
    }
    double value[kLanes];
    if (exact || !w.search.fastSearch) {
        InterpolantLanes(w, xf, value);
        for (int i = 0; i < count; ++i) {
            w.search.errorCache[k[i]] = (value[i] - w.des[k[i]]) * w.wt[k[i]];
            w.search.errorBound[k[i]] = 0.0;
            w.search.errorStamp[k[i]] = w.search.searchStamp;
        }
        return;
    }
    double den[kLanes];
    PairedInterpolant(w, xf, value, den);
    const int first = w.search.fastPoints;
    w.search.fastPointsTotal += count;
    for (int i = 0; i < count; ++i) {
        const int p = k[i];
        const double err = (value[i] - w.des[p]) * w.wt[p];
        w.search.errorCache[p] = err;
        w.search.errorBound[p] = ErrorBound(w, p, value[i], den[i], err);
        w.search.errorStamp[p] = w.search.searchStamp;
        w.search.fastList[w.search.fastPoints++] = p;
    }
    if (first < kBoundSample && w.search.fastPoints >= kBoundSample &&
        w.search.mode != SearchMode::FastWherever) {
        int wide = 0;
        double sample[kBoundSample];
        for (int i = 0; i < kBoundSample; ++i) {
            sample[i] = w.search.errorBound[w.search.fastList[i]];
            if (!(sample[i] <= kBoundShare * w.dev)) ++wide;
        }
        std::nth_element(sample, sample + kBoundSample / 2, sample + kBoundSample);
        w.search.sampledBound = sample[kBoundSample / 2];
        if (wide * 8 > kBoundSample) UseExactErrors(w);
    }
}

}  // namespace

// Prepares the faster evaluation for the current reference set, or leaves the search on the
// exact one: where the error bounds below would not hold (abscissae not strictly falling, or
// weights and ordinates so large or small that the products could overflow or underflow), for
// short filters, and where the bounds of the last sampled iteration were already too wide for
// this deviation (designs at the rounding floor, whose deviation stays tiny).
void PrepareSearch(DesignWork& w) {
    const int nz = w.nz;
    bool fast = w.xFalling && nz >= 2 && w.search.mode != SearchMode::ExactOnly &&
                (w.search.mode == SearchMode::FastWherever ||
                 (nz > kMinFastTerms && !(w.search.sampledBound > kSkipShare * w.dev)));
    double ymax = 0.0;
    for (int j = 1; j <= nz && fast; ++j) {
        const double a = std::fabs(w.ad[j]);
        const double ay = std::fabs(w.y[j]);
        if (!(a >= 1e-200 && a <= 1e200 && ay <= 1e100)) fast = false;
        ymax = std::max(ymax, ay);
        w.search.absAd[j] = a;
    }
    w.search.fastSearch = fast;
    w.search.fastPoints = 0;
    w.search.resolvedPoints = 0;
    if (!fast) return;
    for (int j = 1; j <= nz; ++j) {
        w.search.pairX[j - 1] = w.x[j];
        w.search.pairAd[j - 1] = w.ad[j];
        w.search.pairAdY[j - 1] = w.ad[j] * w.y[j];
    }
    w.search.pairTerms = nz + nz % 2;
    if (nz % 2 != 0) {
        // A term of weight 0 far from every cosine: it adds nothing and never divides by 0.
        w.search.pairX[nz] = 3.0;
        w.search.pairAd[nz] = 0.0;
        w.search.pairAdY[nz] = 0.0;
    }
    int below = 1;
    for (int k = 1; k <= w.ngrid; ++k) {
        while (below <= nz && w.x[below] > w.gridCos[k]) ++below;
        w.search.gridBelow[k] = below;
    }
    w.search.searchYMax = ymax;
    // With u = 2^-53 and A = sum |ad(j) / d(j)|: the exact form rounds each of its nz quotients
    // and sums them one by one, so its denominator sum is within (nz + 1) u A of the true one;
    // each paired term is within 5 roundings of its two quotients (4 with fused operations) and
    // the pairTerms / 2 of them are summed one by one. The two denominator sums therefore differ
    // by at most (nz + pairTerms / 2 + 6) u A, the numerator sums (one more rounding in each
    // product with y) by at most (nz + pairTerms / 2 + 8) u |y|max A, first order; the margin
    // covers the rest.
    w.search.searchK = (nz + w.search.pairTerms / 2 + 10) * 0x1p-53 * 1.01;
    FarWeightSums(w);
}

// The exact weighted error at grid point k, already computed in this iteration.
double ExactErrorAt(DesignWork& w, int k) {
    if (w.search.errorBound[k] != 0.0) {
        ComputeErrors(w, &k, 1, true);
        ++w.search.resolvedPoints;
        if (w.search.fastPoints >= kResolveSample &&
            w.search.resolvedPoints * kResolveRatio > w.search.fastPoints &&
            w.search.mode != SearchMode::FastWherever) {
            UseExactErrors(w);
        }
    }
    return w.search.errorCache[k];
}

// How far ahead of a missing point the search looks for further points to compute with it.
constexpr int kLookAhead = 8 * kLanes;

// Weighted error of the interpolant at grid point k in the current iteration. The search moves
// through the grid one point at a time in the direction `step` (+1 or -1), so a point not yet
// known is computed together with the next unknown points in that direction.
double ErrorAt(DesignWork& w, int k, int step) {
    if (w.search.errorStamp[k] != w.search.searchStamp) {
        int points[kLanes] = {k};
        int count = 1;
        for (int p = k + step;
             count < kLanes && p >= 1 && p <= w.ngrid && p != k + kLookAhead * step; p += step) {
            if (w.search.errorStamp[p] != w.search.searchStamp) points[count++] = p;
        }
        ComputeErrors(w, points, count);
    }
    return w.search.errorCache[k];
}

// Computes the errors beside each reference point, which the search examines first, with every
// lane in use.
void NeighbourErrors(DesignWork& w) {
    int points[kLanes];
    int count = 0;
    for (int j = 1; j <= w.nz; ++j) {
        for (const int p : {w.iext[j] - 1, w.iext[j] + 1}) {
            if (p < 1 || p > w.ngrid || w.search.errorStamp[p] == w.search.searchStamp) continue;
            w.search.errorStamp[p] =
                w.search.searchStamp;  // taken; computed before the search starts
            points[count++] = p;
            if (count == kLanes) {
                ComputeErrors(w, points, count);
                count = 0;
            }
        }
    }
    if (count > 0) ComputeErrors(w, points, count);
}

// Starts a new exchange iteration: every cached error becomes stale.
void NewErrorStamp(DesignWork& w) {
    if (++w.search.searchStamp == 0) {
        // The counter wrapped: clear the stamps so that no old block looks current.
        w.search.errorStamp.fill(0);
        w.search.searchStamp = 1;
    }
}

}  // namespace ondela
