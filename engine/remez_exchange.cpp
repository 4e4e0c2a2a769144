#include "engine/remez_exchange.h"

#include <algorithm>
#include <cmath>
#include <limits>

#if defined(__x86_64__) && !defined(__clang__)
#include <immintrin.h>
#endif

namespace ondela {

namespace {

constexpr double kTwoPi = 6.283185307179586476925286766559;
constexpr int kMaxIterations = 64;
// A sample of the final interpolant takes a reference point's ordinate only when its cosine is
// that point's abscissa to within a few units in the last place. A wider tolerance would be
// wrong: near 0 and near half the sampling rate the abscissae of long filters lie closer together
// than any fixed tolerance, and a small step in cosine is a large step in frequency there, so a
// sample would take the value of a neighbouring point. Everywhere else the interpolant is
// evaluated, which is exact at the reference points and stable next to them.
constexpr double kSnap = 4.0 * std::numeric_limits<double>::epsilon();

// The interpolant and the barycentric weights are evaluated for several points at once, one
// point per vector lane. Every lane performs exactly the operations of the one-point formula, in
// the same order, so each result is the same double as one computed alone; only independent
// points share an instruction. x86-64 builds carry an AVX2 version chosen at load time beside
// the portable one. Defining ONDELA_PORTABLE_KERNELS builds the plain per-lane loops everywhere,
// to check that they give the same designs (bench/compare_builds.sh).
constexpr int kLanes = DesignWork::kLanes;

#if defined(__GNUC__) && !defined(ONDELA_PORTABLE_KERNELS)
#define ONDELA_VECTOR_LANES 1
#else
#define ONDELA_VECTOR_LANES 0
#endif

#if ONDELA_VECTOR_LANES
typedef double Lanes __attribute__((vector_size(kLanes * sizeof(double))));
typedef long long LaneMask __attribute__((vector_size(kLanes * sizeof(long long))));
#if defined(__x86_64__) && !defined(__clang__)
#define ONDELA_LANE_KERNEL __attribute__((target_clones("avx2", "default")))
#else
#define ONDELA_LANE_KERNEL
#endif
#else
// Other compilers: the same lane-by-lane arithmetic on plain arrays.
struct Lanes {
    double v[kLanes];
    double& operator[](int i) { return v[i]; }
    double operator[](int i) const { return v[i]; }
};
#define ONDELA_LANE_KERNEL
#endif

// Index of the first of the falling abscissae x(1..nz) that is not above xf; nz + 1 when all are.
int FirstNotAbove(const double* x, int nz, double xf) {
    int lo = 1;
    int hi = nz + 1;
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        if (x[mid] > xf) {
            lo = mid + 1;
        } else {
            hi = mid;
        }
    }
    return lo;
}

// Index of the first reference point whose abscissa equals xf (xf - x(j) == 0), or 0.
int FirstReferenceAt(const DesignWork& w, double xf) {
    const double* x = w.x.data();
    const int nz = w.nz;
    if (w.xFalling && std::isfinite(xf)) {
        // Falling abscissae: only the first one not above xf can match.
        const int lo = FirstNotAbove(x, nz, xf);
        return lo <= nz && xf - x[lo] == 0.0 ? lo : 0;
    }
    for (int j = 1; j <= nz; ++j) {
        if (xf - x[j] == 0.0) return j;
    }
    return 0;
}

// Values of the current interpolant at the kLanes points whose cosines are xf[0..kLanes-1]
// (barycentric form: sum of c_j y_j over sum of c_j with c_j = ad_j / (xf - x_j)). A point that
// lies exactly on a reference point takes that point's ordinate, the first such in order.
ONDELA_LANE_KERNEL
void InterpolantLanes(const DesignWork& w, const double* xf, double* out) {
    const double* x = w.x.data();
    const double* y = w.y.data();
    const double* ad = w.ad.data();
    const int nz = w.nz;
    double den[kLanes];
#if ONDELA_VECTOR_LANES
    Lanes xv;
    for (int i = 0; i < kLanes; ++i) xv[i] = xf[i];
    Lanes numv = {};
    Lanes denv = {};
    for (int j = 1; j <= nz; ++j) {
        const Lanes c = ad[j] / (xv - x[j]);
        denv += c;
        numv += c * y[j];
    }
    const Lanes value = numv / denv;
    for (int i = 0; i < kLanes; ++i) {
        out[i] = value[i];
        den[i] = denv[i];
    }
#else
    double num[kLanes] = {};
    for (int i = 0; i < kLanes; ++i) den[i] = 0.0;
    for (int j = 1; j <= nz; ++j) {
        for (int i = 0; i < kLanes; ++i) {
            const double c = ad[j] / (xf[i] - x[j]);
            den[i] += c;
            num[i] += c * y[j];
        }
    }
    for (int i = 0; i < kLanes; ++i) out[i] = num[i] / den[i];
#endif
    // A lane that met a reference point exactly divided by zero there, which left its
    // denominator infinite or NaN for good; a finite denominator means that no term did.
    for (int i = 0; i < kLanes; ++i) {
        if (std::isfinite(den[i])) continue;
        const int j = FirstReferenceAt(w, xf[i]);
        if (j > 0) out[i] = y[j];
    }
}

// The faster evaluation of the interpolant for the search: the reference points are taken two at
// a time over one shared division,
//   ad_i / d_i + ad_j / d_j = (ad_i d_j + ad_j d_i) / (d_i d_j),  d = xf - x,
// for both sums. den receives the denominator sums (non-finite when xf lies on a reference point).
ONDELA_LANE_KERNEL
void PairedInterpolantLanes(const DesignWork& w, const double* xf, double* out, double* den) {
    const double* px = w.pairX.data();
    const double* pad = w.pairAd.data();
    const double* pady = w.pairAdY.data();
    const int terms = w.pairTerms;
#if ONDELA_VECTOR_LANES
    Lanes xv;
    for (int i = 0; i < kLanes; ++i) xv[i] = xf[i];
    Lanes numv = {};
    Lanes denv = {};
    for (int j = 0; j < terms; j += 2) {
        const Lanes d0 = xv - px[j];
        const Lanes d1 = xv - px[j + 1];
        const Lanes r = 1.0 / (d0 * d1);
        denv += (pad[j] * d1 + pad[j + 1] * d0) * r;
        numv += (pady[j] * d1 + pady[j + 1] * d0) * r;
    }
    const Lanes value = numv / denv;
    for (int i = 0; i < kLanes; ++i) {
        out[i] = value[i];
        den[i] = denv[i];
    }
#else
    double num[kLanes] = {};
    for (int i = 0; i < kLanes; ++i) den[i] = 0.0;
    for (int j = 0; j < terms; j += 2) {
        for (int i = 0; i < kLanes; ++i) {
            const double d0 = xf[i] - px[j];
            const double d1 = xf[i] - px[j + 1];
            const double r = 1.0 / (d0 * d1);
            den[i] += (pad[j] * d1 + pad[j + 1] * d0) * r;
            num[i] += (pady[j] * d1 + pady[j + 1] * d0) * r;
        }
    }
    for (int i = 0; i < kLanes; ++i) out[i] = num[i] / den[i];
#endif
}

#if ONDELA_VECTOR_LANES && defined(__x86_64__) && !defined(__clang__)
#define ONDELA_FMA_PAIRS 1
// PairedInterpolantLanes with fused multiply-adds, for processors that have them: fewer
// instructions per pair. Its sums differ from the plain version's in the last bits, within the
// same bounds (a fused operation rounds once where the plain one rounds twice), so the search
// decides the same with either.
__attribute__((target("avx2,fma"))) void PairedInterpolantFma(const DesignWork& w, const double* xf,
                                                              double* out, double* den) {
    const double* px = w.pairX.data();
    const double* pad = w.pairAd.data();
    const double* pady = w.pairAdY.data();
    const int terms = w.pairTerms;
    const __m256d xv = _mm256_loadu_pd(xf);
    const __m256d one = _mm256_set1_pd(1.0);
    __m256d numv = _mm256_setzero_pd();
    __m256d denv = _mm256_setzero_pd();
    for (int j = 0; j < terms; j += 2) {
        const __m256d d0 = _mm256_sub_pd(xv, _mm256_broadcast_sd(px + j));
        const __m256d d1 = _mm256_sub_pd(xv, _mm256_broadcast_sd(px + j + 1));
        const __m256d r = _mm256_div_pd(one, _mm256_mul_pd(d0, d1));
        const __m256d nd = _mm256_fmadd_pd(_mm256_broadcast_sd(pad + j), d1,
                                           _mm256_mul_pd(_mm256_broadcast_sd(pad + j + 1), d0));
        const __m256d nn = _mm256_fmadd_pd(_mm256_broadcast_sd(pady + j), d1,
                                           _mm256_mul_pd(_mm256_broadcast_sd(pady + j + 1), d0));
        denv = _mm256_fmadd_pd(nd, r, denv);
        numv = _mm256_fmadd_pd(nn, r, numv);
    }
    _mm256_storeu_pd(out, _mm256_div_pd(numv, denv));
    _mm256_storeu_pd(den, denv);
}

bool HasFma() {
    static const bool has = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    return has;
}
#else
#define ONDELA_FMA_PAIRS 0
#endif

// farAbove(k) = sum over j < k of |ad(j)| / (x(j) - x(k)); farBelow(k) = sum over j > k of
// |ad(j)| / (x(k) - x(j)). x(1..nz) must be falling. Every quotient is formed once for both sums.
ONDELA_LANE_KERNEL
void FarWeightSums(DesignWork& w) {
    const double* x = w.x.data();
    const double* aad = w.absAd.data();
    double* above = w.farAbove.data();
    double* below = w.farBelow.data();
    const int nz = w.nz;
    for (int k = 1; k <= nz; ++k) above[k] = 0.0;
    for (int j = 1; j <= nz; ++j) {
        const double xj = x[j];
        const double aj = aad[j];
        int k = j + 1;
        double sum = 0.0;
#if ONDELA_VECTOR_LANES
        Lanes sumv = {};
        for (; k + kLanes - 1 <= nz; k += kLanes) {
            Lanes xk;
            Lanes ak;
            Lanes up;
            for (int i = 0; i < kLanes; ++i) {
                xk[i] = x[k + i];
                ak[i] = aad[k + i];
                up[i] = above[k + i];
            }
            const Lanes inv = 1.0 / (xj - xk);
            up += aj * inv;
            sumv += ak * inv;
            for (int i = 0; i < kLanes; ++i) above[k + i] = up[i];
        }
        for (int i = 0; i < kLanes; ++i) sum += sumv[i];
#endif
        for (; k <= nz; ++k) {
            const double inv = 1.0 / (xj - x[k]);
            above[k] += aj * inv;
            sum += aad[k] * inv;
        }
        below[j] = sum;
    }
}

// Below this many reference points the bounds cost more than the faster evaluation saves.
constexpr int kMinFastTerms = 128;
// The first points of an iteration show whether the bounds are small enough against the
// deviation: errors are compared with one another and with the deviation, and differ by small
// fractions of it near the extremes.
constexpr int kBoundSample = 4 * DesignWork::kLanes;
constexpr double kBoundShare = 3e-3;
// An iteration whose deviation is below ten times the median bound of the last sampled iteration
// does not try the faster evaluation.
constexpr double kSkipShare = 0.1;

// Prepares the faster evaluation for the current reference set, or leaves the search on the
// exact one: where the error bounds below would not hold (abscissae not strictly falling, or
// weights and ordinates so large or small that the products could overflow or underflow), for
// short filters, and where the bounds of the last sampled iteration were already too wide for
// this deviation (designs at the rounding floor, whose deviation stays tiny).
void PrepareSearch(DesignWork& w) {
    const int nz = w.nz;
    bool fast =
        w.xFalling && nz >= 2 && !w.exactSearchOnly &&
        (w.forceFastSearch || (nz > kMinFastTerms && !(w.sampledBound > kSkipShare * w.dev)));
    double ymax = 0.0;
    for (int j = 1; j <= nz && fast; ++j) {
        const double a = std::fabs(w.ad[j]);
        const double ay = std::fabs(w.y[j]);
        if (!(a >= 1e-200 && a <= 1e200 && ay <= 1e100)) fast = false;
        ymax = std::max(ymax, ay);
        w.absAd[j] = a;
    }
    w.fastSearch = fast;
    w.fastPoints = 0;
    w.resolvedPoints = 0;
    if (!fast) return;
    for (int j = 1; j <= nz; ++j) {
        w.pairX[j - 1] = w.x[j];
        w.pairAd[j - 1] = w.ad[j];
        w.pairAdY[j - 1] = w.ad[j] * w.y[j];
    }
    w.pairTerms = nz + nz % 2;
    if (nz % 2 != 0) {
        // A term of weight 0 far from every cosine: it adds nothing and never divides by 0.
        w.pairX[nz] = 3.0;
        w.pairAd[nz] = 0.0;
        w.pairAdY[nz] = 0.0;
    }
    int below = 1;
    for (int k = 1; k <= w.ngrid; ++k) {
        while (below <= nz && w.x[below] > w.gridCos[k]) ++below;
        w.gridBelow[k] = below;
    }
    w.searchYMax = ymax;
    // With u = 2^-53 and A = sum |ad(j) / d(j)|: the exact form rounds each of its nz quotients
    // and sums them one by one, so its denominator sum is within (nz + 1) u A of the true one;
    // each paired term is within 5 roundings of its two quotients (4 with fused operations) and
    // the pairTerms / 2 of them are summed one by one. The two denominator sums therefore differ
    // by at most (nz + pairTerms / 2 + 6) u A, the numerator sums (one more rounding in each
    // product with y) by at most (nz + pairTerms / 2 + 8) u |y|max A, first order; the margin
    // covers the rest.
    w.searchK = (nz + w.pairTerms / 2 + 10) * 0x1p-53 * 1.01;
    FarWeightSums(w);
}

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
    int below = w.gridBelow[k];
    if (!((below > nz || x[below] <= xf) && (below == 1 || x[below - 1] > xf))) {
        below = FirstNotAbove(x, nz, xf);
    }
    const int above = below - 1;
    const double des = w.des[k];
    const double wt = w.wt[k];
    // A >= sum |ad(j) / d(j)|: the two neighbours exactly, every other point through its distance
    // to the nearer neighbour, which |xf - x(j)| (and its rounding) cannot undercut.
    double a = 0.0;
    if (above >= 1) a += w.absAd[above] / std::fabs(xf - x[above]) + w.farAbove[above];
    if (below <= nz) a += w.absAd[below] / std::fabs(xf - x[below]) + w.farBelow[below];
    a *= 1.001;
    // Both sums of either evaluation lie within kA of the same exact sums (times (|y|max + 1)
    // for the numerator); the absolute part covers products that fall below the normal range.
    const double kA = w.searchK * a + 1e-280;
    const double aden = std::fabs(den);
    if (!(aden > 4.0 * kA)) return kInf;
    // The quotients num / den then differ by at most (4/3) kA (|value| + |y|max + 1) / |den|, and
    // each is rounded once more.
    const double av = std::fabs(value);
    const double bv = (2.01 * kA * (av + w.searchYMax + 1.0) / aden + 2.5e-16 * av) * 1.001;
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
    w.fastSearch = false;
    int points[kLanes];
    int count = 0;
    for (int i = 0; i < w.fastPoints; ++i) {
        const int p = w.fastList[i];
        if (w.errorBound[p] == 0.0) continue;
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
    if (exact || !w.fastSearch) {
        InterpolantLanes(w, xf, value);
        for (int i = 0; i < count; ++i) {
            w.errorCache[k[i]] = (value[i] - w.des[k[i]]) * w.wt[k[i]];
            w.errorBound[k[i]] = 0.0;
            w.errorStamp[k[i]] = w.searchStamp;
        }
        return;
    }
    double den[kLanes];
#if ONDELA_FMA_PAIRS
    if (HasFma()) {
        PairedInterpolantFma(w, xf, value, den);
    } else {
        PairedInterpolantLanes(w, xf, value, den);
    }
#else
    PairedInterpolantLanes(w, xf, value, den);
#endif
    const int first = w.fastPoints;
    w.fastPointsTotal += count;
    for (int i = 0; i < count; ++i) {
        const int p = k[i];
        const double err = (value[i] - w.des[p]) * w.wt[p];
        w.errorCache[p] = err;
        w.errorBound[p] = ErrorBound(w, p, value[i], den[i], err);
        w.errorStamp[p] = w.searchStamp;
        w.fastList[w.fastPoints++] = p;
    }
    if (first < kBoundSample && w.fastPoints >= kBoundSample && !w.forceFastSearch) {
        int wide = 0;
        double sample[kBoundSample];
        for (int i = 0; i < kBoundSample; ++i) {
            sample[i] = w.errorBound[w.fastList[i]];
            if (!(sample[i] <= kBoundShare * w.dev)) ++wide;
        }
        std::nth_element(sample, sample + kBoundSample / 2, sample + kBoundSample);
        w.sampledBound = sample[kBoundSample / 2];
        if (wide * 8 > kBoundSample) UseExactErrors(w);
    }
}

// The exact weighted error at grid point k, already computed in this iteration.
double ExactErrorAt(DesignWork& w, int k) {
    if (w.errorBound[k] != 0.0) {
        ComputeErrors(w, &k, 1, true);
        ++w.resolvedPoints;
        if (w.fastPoints >= kResolveSample && w.resolvedPoints * kResolveRatio > w.fastPoints &&
            !w.forceFastSearch) {
            UseExactErrors(w);
        }
    }
    return w.errorCache[k];
}

// How far ahead of a missing point the search looks for further points to compute with it.
constexpr int kLookAhead = 8 * kLanes;

// Weighted error of the interpolant at grid point k in the current iteration. The search moves
// through the grid one point at a time in the direction `step` (+1 or -1), so a point not yet
// known is computed together with the next unknown points in that direction.
double ErrorAt(DesignWork& w, int k, int step) {
    if (w.errorStamp[k] != w.searchStamp) {
        int points[kLanes] = {k};
        int count = 1;
        for (int p = k + step;
             count < kLanes && p >= 1 && p <= w.ngrid && p != k + kLookAhead * step; p += step) {
            if (w.errorStamp[p] != w.searchStamp) points[count++] = p;
        }
        ComputeErrors(w, points, count);
    }
    return w.errorCache[k];
}

// Computes the errors beside each reference point, which the search examines first, with every
// lane in use.
void NeighbourErrors(DesignWork& w) {
    int points[kLanes];
    int count = 0;
    for (int j = 1; j <= w.nz; ++j) {
        for (const int p : {w.iext[j] - 1, w.iext[j] + 1}) {
            if (p < 1 || p > w.ngrid || w.errorStamp[p] == w.searchStamp) continue;
            w.errorStamp[p] = w.searchStamp;  // taken; computed before the search starts
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
    if (++w.searchStamp == 0) {
        // The counter wrapped: clear the stamps so that no old block looks current.
        w.errorStamp.fill(0);
        w.searchStamp = 1;
    }
}

// Reference points whose barycentric weights are computed together: four vectors of lanes, so
// that four independent products are in flight.
constexpr int kWeightGroups = 4;
constexpr int kWeightBlock = kWeightGroups * kLanes;

// Barycentric weights of the reference points k0 .. k0+kWeightBlock-1 (indices past nz repeat
// nz and are not stored): ad(k) = 1 / prod 2 (x(k) - x(j)) over j != k, the product taken in
// `jet` interleaved passes so that it neither overflows nor underflows for long filters.
ONDELA_LANE_KERNEL
void BarycentricWeightLanes(DesignWork& w, int k0, int jet) {
    const double* x = w.x.data();
    const int nz = w.nz;
#if ONDELA_VECTOR_LANES
    LaneMask kv[kWeightGroups];
    Lanes q[kWeightGroups];
    Lanes d[kWeightGroups];
#pragma GCC unroll 4
    for (int g = 0; g < kWeightGroups; ++g) {
        for (int i = 0; i < kLanes; ++i) {
            const int k = std::min(k0 + kLanes * g + i, nz);
            kv[g][i] = k;
            q[g][i] = x[k];
            d[g][i] = 1.0;
        }
    }
    for (int m = 1; m <= jet; ++m) {
        for (int j = m; j <= nz; j += jet) {
            const double xj = x[j];
#pragma GCC unroll 4
            for (int g = 0; g < kWeightGroups; ++g) {
                // Lane k skips its own point j == k: it keeps d there.
                const Lanes next = 2.0 * d[g] * (q[g] - xj);
                const LaneMask skip = kv[g] == static_cast<long long>(j);
                d[g] = reinterpret_cast<Lanes>((reinterpret_cast<LaneMask>(d[g]) & skip) |
                                               (reinterpret_cast<LaneMask>(next) & ~skip));
            }
        }
    }
    for (int g = 0; g < kWeightGroups; ++g) {
        for (int i = 0; i < kLanes; ++i) {
            const int k = k0 + kLanes * g + i;
            if (k <= nz) w.ad[k] = 1.0 / d[g][i];
        }
    }
#else
    for (int k = k0; k < k0 + kWeightBlock && k <= nz; ++k) {
        double d = 1.0;
        const double q = x[k];
        for (int m = 1; m <= jet; ++m) {
            for (int j = m; j <= nz; j += jet) {
                if (j != k) d = 2.0 * d * (q - x[j]);
            }
        }
        w.ad[k] = 1.0 / d;
    }
#endif
}

// A level the search compares: an error of the current iteration times the sign `sign`, or a
// level scaled `scaled` times by 1.00001, or an exact value (point 0). value is within bound of
// the exact level; bound 0 means it is exact.
struct Level {
    double value = 0.0;
    double bound = 0.0;
    int point = 0;
    int sign = 0;
    int scaled = 0;
};

// The extremal search of one exchange iteration. Moves every reference point to the local
// extreme of the weighted error with the expected sign, then tries to add an extreme below the
// first or above the last reference point. Returns true when the reference set changed.
class ExtremalSearch {
  public:
    ExtremalSearch(DesignWork& w, int nu) : w_(w), nu_(nu) {}

    bool Run() {
        int* iext = w_.iext.data();
        const int nz = w_.nz;
        const int nzz = nz + 1;
        k1_ = iext[1];
        knz_ = iext[nz];
        klow_ = 0;
        nut_ = -nu_;
        j_ = 1;
        for (;;) {
            if (j_ == nzz) ynz_ = comp_;
            if (j_ >= nzz) {
                const Next next = EndPhase();
                if (next == Next::Search) continue;
                return next == Next::Changed || jchnge_ > 0;
            }
            kup_ = iext[j_ + 1];
            int l = iext[j_] + 1;
            nut_ = -nut_;
            if (j_ == 2) y1_ = comp_;
            comp_ = Level{w_.dev};
            if (l < kup_ && Beats(l, 1)) {
                UpSearchFrom(l);
                continue;
            }
            // Down-search from below the current point.
            bool moved = false;
            bool stopped = false;
            for (l = iext[j_] - 1; l > klow_; --l) {
                if (Beats(l, -1)) {
                    DownSearchFrom(l);
                    moved = true;
                    break;
                }
                if (jchnge_ > 0) {
                    stopped = true;
                    break;
                }
            }
            if (moved) continue;
            if (!stopped) {
                l = iext[j_] + 1;
                if (jchnge_ > 0) {
                    // The point stays where it is.
                    iext[j_] = l - 1;
                    klow_ = l - 1;
                    ++jchnge_;
                    ++j_;
                    continue;
                }
                for (++l; l < kup_; ++l) {
                    if (Beats(l, 1)) {
                        UpSearchFrom(l);
                        moved = true;
                        break;
                    }
                }
                if (moved) continue;
            }
            klow_ = iext[j_];
            ++j_;
        }
    }

  private:
    enum class Next { Search, Changed, Converge };

    // step: the direction in which the search moves on from l.
    bool Beats(int l, int step) {
        const double err = ErrorAt(w_, l, step);
        cand_ = Level{nut_ * err, w_.errorBound[l], l, nut_, 0};
        return Exceeds(cand_, comp_);
    }

    // a - b > 0 for the exact levels (for doubles the same as a > b), decided on the approximate
    // ones where their bounds allow.
    bool Exceeds(Level& a, Level& b) {
        if (a.bound != 0.0 || b.bound != 0.0) {
            const double diff = a.value - b.value;
            const double tol = (a.bound + b.bound) * (1.0 + 1e-9);
            if (std::isfinite(diff) && std::isfinite(tol)) {
                if (diff > tol) return true;
                if (diff < -tol) return false;
            }
            Resolve(a);
            Resolve(b);
        }
        return a.value - b.value > 0.0;
    }

    // Replaces an approximate level by the exact one, computed as the exact search computes it.
    void Resolve(Level& level) {
        if (level.bound == 0.0) return;
        double v = level.sign * ExactErrorAt(w_, level.point);
        for (int i = 0; i < level.scaled; ++i) v = v * 1.00001;
        level = Level{v};
    }

    static Level Scaled(const Level& level) {
        Level s = level;
        s.value = level.value * 1.00001;
        if (level.bound != 0.0) {
            s.bound = (level.bound * 1.00002 + 4.5e-16 * std::fabs(s.value)) * (1.0 + 1e-9);
            ++s.scaled;
        }
        return s;
    }

    // l beats comp: climb while the next point beats it too; the top becomes reference point j.
    void UpSearchFrom(int l) {
        comp_ = cand_;
        while (l + 1 < kup_ && Beats(l + 1, 1)) {
            ++l;
            comp_ = cand_;
        }
        w_.iext[j_] = l;
        klow_ = l;
        ++jchnge_;
        ++j_;
    }

    // l beats comp: descend while the next lower point beats it too.
    void DownSearchFrom(int l) {
        comp_ = cand_;
        while (l - 1 > klow_ && Beats(l - 1, -1)) {
            --l;
            comp_ = cand_;
        }
        klow_ = w_.iext[j_];
        w_.iext[j_] = l;
        ++jchnge_;
        ++j_;
    }

    Next EndPhase() {
        int* iext = w_.iext.data();
        const int nz = w_.nz;
        const int nzz = nz + 1;
        if (j_ == nzz) {
            // Every reference point has been visited: look for a larger extreme below the first.
            if (iext[1] < k1_) k1_ = iext[1];
            if (iext[nz] > knz_) knz_ = iext[nz];
            nut1_ = nut_;
            nut_ = -nu_;
            comp_ = Scaled(ynz_);
            luck_ = 1;
            kup_ = k1_;
            for (int l = 1; l < k1_; ++l) {
                if (Beats(l, 1)) {
                    j_ = nzz;
                    UpSearchFrom(l);
                    return Next::Search;
                }
            }
            luck_ = 6;
        } else {
            if (luck_ > 9) {
                // An extreme above the last point was found: drop the first point.
                const int kn = iext[nzz];
                for (int j = 1; j <= w_.nfcns; ++j) iext[j] = iext[j + 1];
                iext[nz] = kn;
                return Next::Changed;
            }
            if (Exceeds(comp_, y1_)) y1_ = comp_;
            k1_ = iext[nzz];
        }
        // Look for a larger extreme above the last reference point.
        klow_ = knz_;
        nut_ = -nut1_;
        comp_ = Scaled(y1_);
        for (int l = w_.ngrid; l > klow_; --l) {
            if (Beats(l, -1)) {
                j_ = nzz;
                luck_ += 10;
                DownSearchFrom(l);
                return Next::Search;
            }
        }
        if (luck_ == 6) return Next::Converge;
        // An extreme below the first point was found: drop the last point.
        for (int j = 1; j <= w_.nfcns; ++j) iext[nzz - j] = iext[nz - j];
        iext[1] = k1_;
        return Next::Changed;
    }

    DesignWork& w_;
    const int nu_;
    int nut_ = 0;
    int nut1_ = 0;
    int j_ = 1;
    int klow_ = 0;
    int kup_ = 0;
    int k1_ = 0;
    int knz_ = 0;
    int jchnge_ = 0;
    int luck_ = 0;
    Level comp_;
    Level cand_;  // nut times the error at the point Beats examined last
    Level y1_;
    Level ynz_;
};

// Samples the final interpolant at the nfcns frequencies (j-1)/cn and turns them into the
// cosine coefficients by an inverse DFT.
void CoefficientStep(DesignWork& w) {
    const int nfcns = w.nfcns;
    const int cn = 2 * nfcns - 1;
    w.x[w.nz + 1] = -2.0;  // sentinel: every cosine lies above it
    for (int m = 0; m < cn; ++m) w.cosTable[m] = std::cos(kTwoPi * m / cn);

    // Samples off the reference points are interpolated kLanes at a time.
    int pending[kLanes];
    double pendingCos[kLanes];
    int pendingCount = 0;
    auto interpolatePending = [&] {
        double value[kLanes];
        for (int i = pendingCount; i < kLanes; ++i) pendingCos[i] = pendingCos[0];
        InterpolantLanes(w, pendingCos, value);
        for (int i = 0; i < pendingCount; ++i) w.a[pending[i]] = value[i];
        pendingCount = 0;
    };
    int l = 1;
    for (int j = 1; j <= nfcns; ++j) {
        const double xt = w.cosTable[j - 1];
        while (!(xt > w.x[l]) && !(w.x[l] - xt < kSnap)) ++l;
        if (std::fabs(xt - w.x[l]) < kSnap) {
            w.a[j] = w.y[l];
        } else {
            pending[pendingCount] = j;
            pendingCos[pendingCount] = xt;
            if (++pendingCount == kLanes) interpolatePending();
        }
        if (l > 1) --l;
    }
    if (pendingCount > 0) interpolatePending();

    // alpha(j) for kLanes values of j side by side: each sum still runs over k in order, but the
    // independent sums no longer wait for one another.
    for (int j0 = 1; j0 <= nfcns; j0 += kLanes) {
        double sum[kLanes] = {};
        int index[kLanes] = {};
        int step[kLanes];
        for (int i = 0; i < kLanes; ++i) step[i] = j0 + i <= nfcns ? j0 + i - 1 : 0;
        for (int k = 1; k < nfcns; ++k) {
            const double ak = w.a[k + 1];
            for (int i = 0; i < kLanes; ++i) {
                index[i] += step[i];
                if (index[i] >= cn) index[i] -= cn;
                sum[i] += ak * w.cosTable[index[i]];
            }
        }
        for (int i = 0; i < kLanes && j0 + i <= nfcns; ++i) w.alpha[j0 + i] = w.a[1] + 2.0 * sum[i];
    }
    w.alpha[1] /= cn;
    for (int j = 2; j <= nfcns; ++j) w.alpha[j] = 2.0 * w.alpha[j] / cn;
    if (nfcns <= 3) {
        w.alpha[nfcns + 1] = 0.0;
        w.alpha[nfcns + 2] = 0.0;
    }
}

}  // namespace

int BuildGrid(DesignWork& w, int nfcns, int density, int capacity) {
    const double delta = 0.5 / (static_cast<double>(density) * nfcns);
    int j = 1;
    w.grid[1] = w.edge[1];
    for (int l = 1; l <= w.nbands; ++l) {
        const double upper = w.edge[2 * l];
        do {
            w.des[j] = w.fx[l];
            w.wt[j] = w.wtx[l];
            ++j;
            if (j > capacity) return GRID_OVERFLOW;
            w.grid[j] = w.grid[j - 1] + delta;
        } while (w.grid[j] <= upper);
        w.grid[j - 1] = upper;
        if (l < w.nbands) w.grid[j] = w.edge[2 * l + 1];
    }
    w.ngrid = j - 1;
    // The reference set needs nfcns + 1 distinct grid points.
    if (w.ngrid <= nfcns) return GRID_OVERFLOW;
    for (int k = 1; k <= w.ngrid; ++k) w.gridCos[k] = std::cos(kTwoPi * w.grid[k]);
    return 0;
}

void InitialExtremals(DesignWork& w) {
    const long long span = w.ngrid - 1;
    for (int j = 1; j <= w.nfcns; ++j) {
        w.iext[j] = static_cast<int>((j - 1) * span / w.nfcns) + 1;
    }
    w.iext[w.nz] = w.ngrid;
}

int RemezExchange(DesignWork& w) {
    int status = 0;
    const int nz = w.nz;
    const int jet = (w.nfcns - 1) / 15 + 1;
    double devl = -1.0;
    w.sampledBound = 0.0;
    for (int iteration = 1;; ++iteration) {
        w.iext[nz + 1] = w.ngrid + 1;
        if (iteration > kMaxIterations) {
            status |= NOT_OPTIMIZED;
            break;
        }
        for (int j = 1; j <= nz; ++j) w.x[j] = w.gridCos[w.iext[j]];
        w.xFalling = true;
        for (int j = 1; j < nz; ++j) w.xFalling = w.xFalling && w.x[j] > w.x[j + 1];
        for (int j = 1; j <= nz; j += kWeightBlock) BarycentricWeightLanes(w, j, jet);

        double dnum = 0.0;
        double dden = 0.0;
        double sign = 1.0;
        for (int j = 1; j <= nz; ++j) {
            const int k = w.iext[j];
            dnum += w.ad[j] * w.des[k];
            dden += sign * w.ad[j] / w.wt[k];
            sign = -sign;
        }
        double dev = dnum / dden;
        const int nu = dev > 0.0 ? -1 : 1;
        dev = -nu * dev;
        w.dev = dev;
        sign = nu;
        for (int j = 1; j <= nz; ++j) {
            const int k = w.iext[j];
            w.y[j] = w.des[k] + sign * dev / w.wt[k];
            sign = -sign;
        }
        if (dev <= devl) status |= DEVIATION_STALLED;
        devl = dev;

        PrepareSearch(w);
        NewErrorStamp(w);
        NeighbourErrors(w);
        ExtremalSearch search(w, nu);
        if (!search.Run()) break;
    }
    CoefficientStep(w);
    return status;
}

void ImpulseFromCosines(DesignWork& w) {
    for (int j = 1; j < w.nfcns; ++j) w.h[j] = 0.5 * w.alpha[w.nz - j];
    w.h[w.nfcns] = w.alpha[1];
}

void HalfBandCorrection(DesignWork& w) {
    const int nfcns = w.nfcns;
    w.h[nfcns] = 0.5;
    for (int l = 2; l <= nfcns - 2; l += 2) w.h[l] = 0.0;
    double s = 0.0;
    for (int l = 1; l <= nfcns; ++l) s += w.h[l];
    const double add = (0.75 - s) / (nfcns / 2);
    for (int l = 1; l <= nfcns - 1; l += 2) w.h[l] += add;
}

void WriteSymmetricCoefs(const DesignWork& w, double* coefs) {
    const int nfcns = w.nfcns;
    const int n = 2 * nfcns - 1;
    for (int j = 1; j <= nfcns; ++j) {
        coefs[j - 1] = w.h[j];
        coefs[n - j] = w.h[j];
    }
}

}  // namespace ondela
