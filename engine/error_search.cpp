// The error search of one exchange iteration: the weighted error of the current interpolant at
// grid points, cached for the iteration. Errors come first from the faster folded evaluation with
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
    ++w.search.evaluationCalls;
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
    FoldedInterpolant(w, xf, value, den);
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
        const double aby = std::fabs(w.ad[j] * w.y[j]);
        if (!(a >= 1e-200 && a <= 1e200 && ay <= 1e100 && (aby == 0.0 || aby >= 1e-200))) {
            fast = false;
        }
        ymax = std::max(ymax, ay);
        w.search.absAd[j] = a;
    }
    w.search.fastSearch = fast;
    w.search.fastPoints = 0;
    w.search.resolvedPoints = 0;
    if (!fast) return;
    for (int j = 1; j <= nz; ++j) {
        w.search.foldX[j - 1] = w.x[j];
        w.search.foldAd[j - 1] = w.ad[j];
        w.search.foldAdY[j - 1] = w.ad[j] * w.y[j];
    }
    w.search.foldTerms = (nz + kFoldTerms - 1) / kFoldTerms * kFoldTerms;
    for (int j = nz; j < w.search.foldTerms; ++j) {
        // Terms of weight 0 far from every cosine: they add nothing and never divide by 0.
        w.search.foldX[j] = 3.0;
        w.search.foldAd[j] = 0.0;
        w.search.foldAdY[j] = 0.0;
    }
    // The grid point's cosine lies between x(below) and x(below - 1); the smallest distance from
    // a cosine to a reference point it does not lie on bounds the products of distances below.
    double nearest = 2.0;
    int below = 1;
    for (int k = 1; k <= w.ngrid; ++k) {
        const double xf = w.gridCos[k];
        while (below <= nz && w.x[below] > xf) ++below;
        w.search.gridBelow[k] = below;
        // Where rounding made the cosines rise, the neighbours are looked up again.
        const int at = (below > nz || w.x[below] <= xf) && (below == 1 || w.x[below - 1] > xf)
                           ? below
                           : FirstNotAbove(w.x.data(), nz, xf);
        if (at <= nz && xf - w.x[at] != 0.0) nearest = std::min(nearest, xf - w.x[at]);
        if (at > 1) nearest = std::min(nearest, w.x[at - 1] - xf);
    }
    // With every distance 0 or at least 1e-20, every weight between 1e-200 and 1e200 and every
    // weight times ordinate 0 or between 1e-200 and 1e300, the products of the folded form (a
    // weight times up to three distances, up to four distances, below 4 in size each) neither
    // overflow nor leave the normal range, so each of its operations rounds by at most u; a
    // distance of 0 makes the denominator sum non-finite, and such points are evaluated exactly.
    if (!(nearest >= 1e-20)) {
        w.search.fastSearch = false;
        return;
    }
    w.search.searchYMax = ymax;
    // With u = 2^-53 and A = sum |ad(j) / d(j)|: the exact form rounds each of its nz quotients
    // and sums them one by one, so its denominator sum is within (nz + 1) u A of the true one.
    // A folded term T of four points, (h01 p23 + h23 p01) r, against a0 / d0 + ... + a3 / d3:
    // h01 = a0 d1 + a1 d0 is within 2 roundings of each product (one fused), the products
    // h01 p23 and h23 p01 and their sum add 3 more (p23 = d2 d3 rounded once), so the numerator
    // is within 5 u of sum |a(i) prod d(j != i)|; r = 1 / ((d0 d1)(d2 d3)) is within 4 roundings
    // of 1 / prod d, and T = numerator r one more: T is within 10 u of the sum of the absolute
    // quotients (9 with fused operations). The foldTerms / 4 terms are summed one by one. The
    // two denominator sums therefore differ by at most (nz + foldTerms / 4 + 11) u A, the
    // numerator sums (one more rounding in each product with y) by at most
    // (nz + foldTerms / 4 + 13) u |y|max A, first order; the margin covers the rest.
    w.search.searchK = (nz + w.search.foldTerms / kFoldTerms + 15) * 0x1p-53 * 1.01;
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

// The search climbs from a reference point to the top of the ripple beside it and reads one point
// past the top. Near a top the weighted error follows a cosine about zero,
// A cos(phi (t - t0)) over grid steps t, so three errors one step apart (below, centre, above)
// give cos(phi) = (above + below) / (2 centre) and tan(phi t0) = (above - below) /
// (2 centre sin(phi)): the top lies t0 steps from the centre, towards `above` where t0 > 0.
// Where the errors do not fit a cosine, one step further is the guess. Capped: a long climb is
// rare, and a wrong guess costs only lanes.
constexpr int kMaxPredictedClimb = 8;

int TopOffset(double below, double centre, double above) {
    const double c = (above + below) / (2.0 * centre);
    double top = 1.0;
    if (c > 0.0 && c < 1.0) {
        const double phi = std::acos(c);
        top = std::atan2(above - below, 2.0 * centre * std::sin(phi)) / phi;
    }
    if (!(top < kMaxPredictedClimb)) return kMaxPredictedClimb;
    if (!(top > -kMaxPredictedClimb)) return -kMaxPredictedClimb;
    return static_cast<int>(std::lround(top));
}

// Computes the errors the search is about to read, kLanes points per call, in three rounds over
// the reference points: the point above each one, which the search examines first; then the point
// it reads next once a neighbour's search has started, two above where it climbs and one below
// where it does not; then the rest of each climb as far as the cosine through the errors beside
// it predicts the top.
// The search decides on the values alone, so which points are computed ahead changes how much is
// evaluated, never a decision.
void PrecomputeErrors(DesignWork& w, int firstSign) {
    int points[kLanes];
    int count = 0;
    auto take = [&](int p) {
        if (p < 1 || p > w.ngrid || w.search.errorStamp[p] == w.search.searchStamp) return;
        w.search.errorStamp[p] = w.search.searchStamp;  // taken; computed before the search starts
        points[count++] = p;
        if (count == kLanes) {
            ComputeErrors(w, points, count);
            count = 0;
        }
    };
    auto flush = [&] {
        if (count > 0) ComputeErrors(w, points, count);
        count = 0;
    };
    // sign times the error peaks at reference point j; at the point itself it is the deviation.
    auto level = [&](double sign, int p) {
        return p >= 1 && p <= w.ngrid ? sign * w.search.errorCache[p]
                                      : -std::numeric_limits<double>::infinity();
    };
    const bool predict = w.search.predictClimbs && w.dev > 0.0;
    for (int j = 1; j <= w.nz; ++j) {
        if (!predict) take(w.iext[j] - 1);
        take(w.iext[j] + 1);
    }
    flush();
    if (!predict) return;
    double sign = firstSign;
    for (int j = 1; j <= w.nz; ++j, sign = -sign) {
        const int at = w.iext[j];
        take(level(sign, at + 1) > w.dev ? at + 2 : at - 1);
    }
    flush();
    sign = firstSign;
    for (int j = 1; j <= w.nz; ++j, sign = -sign) {
        const int at = w.iext[j];
        const double up = level(sign, at + 1);
        if (up > w.dev) {
            // Climbing: beyond two above only if that point beats the one above.
            const double up2 = level(sign, at + 2);
            if (!(up2 > up)) continue;
            const int reach = std::max(3, 1 + TopOffset(w.dev, up, up2) + 1);
            for (int i = 3; i <= reach; ++i) take(at + i);
        } else {
            const double down = level(sign, at - 1);
            if (!(down > w.dev)) continue;
            const int reach = std::max(2, TopOffset(up, w.dev, down) + 1);
            for (int i = 2; i <= reach; ++i) take(at - i);
        }
    }
    flush();
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
