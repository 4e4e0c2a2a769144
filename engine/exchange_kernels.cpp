// The arithmetic kernels of the exchange: the interpolant at several grid points at once (one
// point per vector lane), the faster paired evaluation of the search, the sums that bound its
// error, and the barycentric weights. Every lane performs exactly the operations of the one-point
// formula, in the same order, so each result is the same double as one computed alone; only
// independent points share an instruction.
#include "engine/exchange_kernels.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#if defined(__x86_64__) && !defined(__clang__)
#include <immintrin.h>
#endif

namespace ondela {

namespace {

// x86-64 builds carry an AVX2 version of each kernel chosen at load time beside the portable
// one. Defining ONDELA_PORTABLE_KERNELS builds the plain per-lane loops everywhere,
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
#define ONDELA_LANE_KERNEL __attribute__((target_clones("avx512f", "avx2", "default")))
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

// The faster evaluation of the interpolant for the search: the reference points are taken two at
// a time over one shared division,
//   ad_i / d_i + ad_j / d_j = (ad_i d_j + ad_j d_i) / (d_i d_j),  d = xf - x,
// for both sums. den receives the denominator sums (non-finite when xf lies on a reference point).
ONDELA_LANE_KERNEL
void PairedInterpolantLanes(const DesignWork& w, const double* xf, double* out, double* den) {
    const double* px = w.search.pairX.data();
    const double* pad = w.search.pairAd.data();
    const double* pady = w.search.pairAdY.data();
    const int terms = w.search.pairTerms;
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
// decides the same with either. The lanes are held in 256-bit registers, four to a register, or
// in 512-bit registers, eight to a register, where the processor has them; each lane's operations
// are the same either way.
static_assert(kLanes % 8 == 0, "the fused kernels take the lanes eight at a time");

__attribute__((target("avx2,fma"))) void PairedInterpolantFma(const DesignWork& w, const double* xf,
                                                              double* out, double* den) {
    constexpr int kQuads = kLanes / 4;
    const double* px = w.search.pairX.data();
    const double* pad = w.search.pairAd.data();
    const double* pady = w.search.pairAdY.data();
    const int terms = w.search.pairTerms;
    const __m256d one = _mm256_set1_pd(1.0);
    __m256d xv[kQuads];
    __m256d numv[kQuads];
    __m256d denv[kQuads];
    for (int q = 0; q < kQuads; ++q) {
        xv[q] = _mm256_loadu_pd(xf + 4 * q);
        numv[q] = _mm256_setzero_pd();
        denv[q] = _mm256_setzero_pd();
    }
    for (int j = 0; j < terms; j += 2) {
        const __m256d x0 = _mm256_broadcast_sd(px + j);
        const __m256d x1 = _mm256_broadcast_sd(px + j + 1);
        const __m256d a0 = _mm256_broadcast_sd(pad + j);
        const __m256d a1 = _mm256_broadcast_sd(pad + j + 1);
        const __m256d b0 = _mm256_broadcast_sd(pady + j);
        const __m256d b1 = _mm256_broadcast_sd(pady + j + 1);
#pragma GCC unroll 4
        for (int q = 0; q < kQuads; ++q) {
            const __m256d d0 = _mm256_sub_pd(xv[q], x0);
            const __m256d d1 = _mm256_sub_pd(xv[q], x1);
            const __m256d r = _mm256_div_pd(one, _mm256_mul_pd(d0, d1));
            const __m256d nd = _mm256_fmadd_pd(a0, d1, _mm256_mul_pd(a1, d0));
            const __m256d nn = _mm256_fmadd_pd(b0, d1, _mm256_mul_pd(b1, d0));
            denv[q] = _mm256_fmadd_pd(nd, r, denv[q]);
            numv[q] = _mm256_fmadd_pd(nn, r, numv[q]);
        }
    }
    for (int q = 0; q < kQuads; ++q) {
        _mm256_storeu_pd(out + 4 * q, _mm256_div_pd(numv[q], denv[q]));
        _mm256_storeu_pd(den + 4 * q, denv[q]);
    }
}

__attribute__((target("avx512f"))) void PairedInterpolantFma512(const DesignWork& w,
                                                                const double* xf, double* out,
                                                                double* den) {
    constexpr int kOctets = kLanes / 8;
    const double* px = w.search.pairX.data();
    const double* pad = w.search.pairAd.data();
    const double* pady = w.search.pairAdY.data();
    const int terms = w.search.pairTerms;
    const __m512d one = _mm512_set1_pd(1.0);
    __m512d xv[kOctets];
    __m512d numv[kOctets];
    __m512d denv[kOctets];
    for (int q = 0; q < kOctets; ++q) {
        xv[q] = _mm512_loadu_pd(xf + 8 * q);
        numv[q] = _mm512_setzero_pd();
        denv[q] = _mm512_setzero_pd();
    }
    for (int j = 0; j < terms; j += 2) {
        const __m512d x0 = _mm512_set1_pd(px[j]);
        const __m512d x1 = _mm512_set1_pd(px[j + 1]);
        const __m512d a0 = _mm512_set1_pd(pad[j]);
        const __m512d a1 = _mm512_set1_pd(pad[j + 1]);
        const __m512d b0 = _mm512_set1_pd(pady[j]);
        const __m512d b1 = _mm512_set1_pd(pady[j + 1]);
        for (int q = 0; q < kOctets; ++q) {
            const __m512d d0 = _mm512_sub_pd(xv[q], x0);
            const __m512d d1 = _mm512_sub_pd(xv[q], x1);
            const __m512d r = _mm512_div_pd(one, _mm512_mul_pd(d0, d1));
            const __m512d nd = _mm512_fmadd_pd(a0, d1, _mm512_mul_pd(a1, d0));
            const __m512d nn = _mm512_fmadd_pd(b0, d1, _mm512_mul_pd(b1, d0));
            denv[q] = _mm512_fmadd_pd(nd, r, denv[q]);
            numv[q] = _mm512_fmadd_pd(nn, r, numv[q]);
        }
    }
    for (int q = 0; q < kOctets; ++q) {
        _mm512_storeu_pd(out + 8 * q, _mm512_div_pd(numv[q], denv[q]));
        _mm512_storeu_pd(den + 8 * q, denv[q]);
    }
}

// ONDELA_KERNELS=avx2 or =portable keeps the paired kernel off the wider registers (for
// benchmarks); it is read once.
bool Asked(const char* path) {
    static const char* const asked = std::getenv("ONDELA_KERNELS");
    return asked != nullptr && std::strcmp(asked, path) == 0;
}

bool HasFma() {
    static const bool has = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma") &&
                            !Asked("portable");
    return has;
}

bool HasAvx512() {
    static const bool has =
        __builtin_cpu_supports("avx512f") && !Asked("avx2") && !Asked("portable");
    return has;
}
#else
#define ONDELA_FMA_PAIRS 0
#endif

}  // namespace

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

// The faster evaluation as the processor runs it best: with fused multiply-adds where it has
// them. Both versions stay within the same error bounds.
void PairedInterpolant(const DesignWork& w, const double* xf, double* out, double* den) {
#if ONDELA_FMA_PAIRS
    if (HasAvx512()) {
        PairedInterpolantFma512(w, xf, out, den);
        return;
    }
    if (HasFma()) {
        PairedInterpolantFma(w, xf, out, den);
        return;
    }
#endif
    PairedInterpolantLanes(w, xf, out, den);
}

const char* PairedKernelName() {
#if ONDELA_FMA_PAIRS
    if (HasAvx512()) return "avx512";
    if (HasFma()) return "avx2";
#endif
    return "portable";
}

// farAbove(k) = sum over j < k of |ad(j)| / (x(j) - x(k)); farBelow(k) = sum over j > k of
// |ad(j)| / (x(k) - x(j)). x(1..nz) must be falling. Every quotient is formed once for both sums.
ONDELA_LANE_KERNEL
void FarWeightSums(DesignWork& w) {
    const double* x = w.x.data();
    const double* aad = w.search.absAd.data();
    double* above = w.search.farAbove.data();
    double* below = w.search.farBelow.data();
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

}  // namespace ondela
