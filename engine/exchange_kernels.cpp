// The arithmetic kernels of the exchange: the interpolant at several grid points at once (one
// point per vector lane), the faster folded evaluation of the search, the sums that bound its
// error, and the barycentric weights. Every lane performs exactly the operations of the one-point
// formula, in the same order, so each result is the same double as one computed alone; only
// independent points share an instruction.
//
// Each kernel is built once per kernel path (see KernelPath) and called through one table chosen
// when the first kernel runs.
#include "engine/exchange_kernels.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>

#if defined(__x86_64__) && defined(__GNUC__) && !defined(ONDELA_PORTABLE_KERNELS)
#include <immintrin.h>
#endif

namespace ondela {

namespace {

// The lanes are four doubles, one 256-bit register on x86-64 processors with AVX2. Eight lanes in
// 512-bit registers were measured slower on an AVX-512 server: batches of eight compute about 1.4
// lanes per grid point the search reads (batches of four about 1.2), and the division, which
// bounds the faster evaluation, costs the same per double at either width (the two-point form
// took 0.279 ns per point and term in 512-bit registers against 0.252 in two 256-bit halves).
constexpr int kLanes = DesignWork::kLanes;
static_assert(kLanes == 4, "the kernels hold the lanes in one 256-bit vector");

// Defining ONDELA_PORTABLE_KERNELS builds the plain per-lane loops everywhere, to check that they
// give the same designs (bench/compare_builds.sh).
#if defined(__GNUC__) && !defined(ONDELA_PORTABLE_KERNELS)
#define ONDELA_VECTOR_LANES 1
#else
#define ONDELA_VECTOR_LANES 0
#endif

#if ONDELA_VECTOR_LANES
typedef double Lanes __attribute__((vector_size(kLanes * sizeof(double))));
typedef long long LaneMask __attribute__((vector_size(kLanes * sizeof(long long))));
// The kernel bodies are written once and inlined into one function per path, each compiled for
// its instruction set.
#define ONDELA_KERNEL_BODY inline __attribute__((always_inline))
#else
// Other compilers: the same lane-by-lane arithmetic on plain arrays.
struct Lanes {
    double v[kLanes];
    double& operator[](int i) { return v[i]; }
    double operator[](int i) const { return v[i]; }
};
#define ONDELA_KERNEL_BODY inline
#endif

#if ONDELA_VECTOR_LANES && defined(__x86_64__)
#define ONDELA_AVX2_PATH 1
#define ONDELA_AVX2 __attribute__((target("avx2,fma")))
#else
#define ONDELA_AVX2_PATH 0
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

// A lane that met a reference point exactly divided by zero there, which left its denominator
// infinite or NaN for good; a finite denominator means that no term did. Such a lane takes the
// ordinate of the first reference point it lies on.
void TakeOrdinatesOnReferencePoints(const DesignWork& w, const double* xf, const double* den,
                                    double* out) {
    for (int i = 0; i < kLanes; ++i) {
        if (std::isfinite(den[i])) continue;
        const int j = FirstReferenceAt(w, xf[i]);
        if (j > 0) out[i] = w.y[j];
    }
}

// Values of the current interpolant at the kLanes points whose cosines are xf[0..kLanes-1]
// (barycentric form: sum of c_j y_j over sum of c_j with c_j = ad_j / (xf - x_j)).
ONDELA_KERNEL_BODY void InterpolantBody(const DesignWork& w, const double* xf, double* out) {
    const double* x = w.x.data();
    const double* y = w.y.data();
    const double* ad = w.ad.data();
    const int nz = w.nz;
    double den[kLanes];
#if ONDELA_VECTOR_LANES
    Lanes xv;
    std::memcpy(&xv, xf, sizeof xv);
    Lanes numv = {};
    Lanes denv = {};
    for (int j = 1; j <= nz; ++j) {
        const Lanes c = ad[j] / (xv - x[j]);
        denv += c;
        numv += c * y[j];
    }
    const Lanes value = numv / denv;
    std::memcpy(out, &value, sizeof value);
    std::memcpy(den, &denv, sizeof denv);
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
    TakeOrdinatesOnReferencePoints(w, xf, den, out);
}

// The faster evaluation of the interpolant for the search: the reference points are taken four at
// a time over one shared division, d = xf - x,
//   a0 / d0 + a1 / d1 + a2 / d2 + a3 / d3
//     = ((a0 d1 + a1 d0) (d2 d3) + (a2 d3 + a3 d2) (d0 d1)) / ((d0 d1) (d2 d3)),
// for both sums. den receives the denominator sums (non-finite when xf lies on a reference point,
// where a product of distances is 0). PrepareSearch bounds the rounding of this form and checks
// the ranges it relies on.
static_assert(kFoldTerms == 4, "the folded kernels take the reference points four at a time");

ONDELA_KERNEL_BODY void FoldedBody(const DesignWork& w, const double* xf, double* out,
                                   double* den) {
    const double* px = w.search.foldX.data();
    const double* pad = w.search.foldAd.data();
    const double* pady = w.search.foldAdY.data();
    const int terms = w.search.foldTerms;
#if ONDELA_VECTOR_LANES
    Lanes xv;
    std::memcpy(&xv, xf, sizeof xv);
    Lanes numv = {};
    Lanes denv = {};
    for (int j = 0; j < terms; j += 4) {
        const Lanes d0 = xv - px[j];
        const Lanes d1 = xv - px[j + 1];
        const Lanes d2 = xv - px[j + 2];
        const Lanes d3 = xv - px[j + 3];
        const Lanes p01 = d0 * d1;
        const Lanes p23 = d2 * d3;
        const Lanes r = 1.0 / (p01 * p23);
        denv +=
            ((pad[j] * d1 + pad[j + 1] * d0) * p23 + (pad[j + 2] * d3 + pad[j + 3] * d2) * p01) * r;
        numv += ((pady[j] * d1 + pady[j + 1] * d0) * p23 +
                 (pady[j + 2] * d3 + pady[j + 3] * d2) * p01) *
                r;
    }
    const Lanes value = numv / denv;
    std::memcpy(out, &value, sizeof value);
    std::memcpy(den, &denv, sizeof denv);
#else
    double num[kLanes] = {};
    for (int i = 0; i < kLanes; ++i) den[i] = 0.0;
    for (int j = 0; j < terms; j += 4) {
        for (int i = 0; i < kLanes; ++i) {
            const double d0 = xf[i] - px[j];
            const double d1 = xf[i] - px[j + 1];
            const double d2 = xf[i] - px[j + 2];
            const double d3 = xf[i] - px[j + 3];
            const double p01 = d0 * d1;
            const double p23 = d2 * d3;
            const double r = 1.0 / (p01 * p23);
            den[i] += ((pad[j] * d1 + pad[j + 1] * d0) * p23 +
                       (pad[j + 2] * d3 + pad[j + 3] * d2) * p01) *
                      r;
            num[i] += ((pady[j] * d1 + pady[j + 1] * d0) * p23 +
                       (pady[j + 2] * d3 + pady[j + 3] * d2) * p01) *
                      r;
        }
    }
    for (int i = 0; i < kLanes; ++i) out[i] = num[i] / den[i];
#endif
}

// farAbove(k) = sum over j < k of |ad(j)| / (x(j) - x(k)); farBelow(k) = sum over j > k of
// |ad(j)| / (x(k) - x(j)). x(1..nz) must be falling. Every quotient is formed once for both sums.
ONDELA_KERNEL_BODY void FarWeightSumsBody(DesignWork& w) {
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
            std::memcpy(&xk, x + k, sizeof xk);
            std::memcpy(&ak, aad + k, sizeof ak);
            std::memcpy(&up, above + k, sizeof up);
            const Lanes inv = 1.0 / (xj - xk);
            up += aj * inv;
            sumv += ak * inv;
            std::memcpy(above + k, &up, sizeof up);
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
ONDELA_KERNEL_BODY void BarycentricWeightBody(DesignWork& w, int k0, int jet) {
    const double* x = w.x.data();
    const int nz = w.nz;
#if ONDELA_VECTOR_LANES
    LaneMask kv[kWeightGroups];
    Lanes q[kWeightGroups];
    Lanes d[kWeightGroups];
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

// One path's kernels.
struct KernelTable {
    void (*interpolant)(const DesignWork&, const double*, double*);
    void (*folded)(const DesignWork&, const double*, double*, double*);
    void (*farWeightSums)(DesignWork&);
    void (*weights)(DesignWork&, int, int);
};

// The portable path: the bodies as the compiler builds them for any processor of the target.
void InterpolantPortable(const DesignWork& w, const double* xf, double* out) {
    InterpolantBody(w, xf, out);
}
void FoldedPortable(const DesignWork& w, const double* xf, double* out, double* den) {
    FoldedBody(w, xf, out, den);
}
void FarWeightSumsPortable(DesignWork& w) {
    FarWeightSumsBody(w);
}
void WeightsPortable(DesignWork& w, int k0, int jet) {
    BarycentricWeightBody(w, k0, jet);
}

constexpr KernelTable kPortable = {InterpolantPortable, FoldedPortable, FarWeightSumsPortable,
                                   WeightsPortable};

#if ONDELA_AVX2_PATH
// The AVX2 path: the same bodies in 256-bit registers (the engine is built without contracting
// a * b + c, so they give the portable path's doubles), and a folded kernel with fused
// multiply-adds: fewer instructions per group, its sums differing from the plain version's in the
// last bits within the same bounds (a fused operation rounds once where the plain one rounds
// twice), so the search decides the same with either.
ONDELA_AVX2 void InterpolantAvx2(const DesignWork& w, const double* xf, double* out) {
    InterpolantBody(w, xf, out);
}
ONDELA_AVX2 void FarWeightSumsAvx2(DesignWork& w) {
    FarWeightSumsBody(w);
}
ONDELA_AVX2 void WeightsAvx2(DesignWork& w, int k0, int jet) {
    BarycentricWeightBody(w, k0, jet);
}

// a[0] d1 + a[1] d0, one rounding of the product a[1] d0 and one of the fused sum.
ONDELA_AVX2 inline __m256d Fold2(const double* a, __m256d d0, __m256d d1) {
    return _mm256_fmadd_pd(_mm256_broadcast_sd(a), d1,
                           _mm256_mul_pd(_mm256_broadcast_sd(a + 1), d0));
}

ONDELA_AVX2 void FoldedAvx2(const DesignWork& w, const double* xf, double* out, double* den) {
    const double* px = w.search.foldX.data();
    const double* pad = w.search.foldAd.data();
    const double* pady = w.search.foldAdY.data();
    const int terms = w.search.foldTerms;
    const __m256d one = _mm256_set1_pd(1.0);
    const __m256d xv = _mm256_loadu_pd(xf);
    __m256d numv = _mm256_setzero_pd();
    __m256d denv = _mm256_setzero_pd();
    for (int j = 0; j < terms; j += 4) {
        const __m256d d0 = _mm256_sub_pd(xv, _mm256_broadcast_sd(px + j));
        const __m256d d1 = _mm256_sub_pd(xv, _mm256_broadcast_sd(px + j + 1));
        const __m256d d2 = _mm256_sub_pd(xv, _mm256_broadcast_sd(px + j + 2));
        const __m256d d3 = _mm256_sub_pd(xv, _mm256_broadcast_sd(px + j + 3));
        const __m256d p01 = _mm256_mul_pd(d0, d1);
        const __m256d p23 = _mm256_mul_pd(d2, d3);
        const __m256d r = _mm256_div_pd(one, _mm256_mul_pd(p01, p23));
        const __m256d nd = _mm256_fmadd_pd(Fold2(pad + j, d0, d1), p23,
                                           _mm256_mul_pd(Fold2(pad + j + 2, d2, d3), p01));
        const __m256d nn = _mm256_fmadd_pd(Fold2(pady + j, d0, d1), p23,
                                           _mm256_mul_pd(Fold2(pady + j + 2, d2, d3), p01));
        denv = _mm256_fmadd_pd(nd, r, denv);
        numv = _mm256_fmadd_pd(nn, r, numv);
    }
    _mm256_storeu_pd(out, _mm256_div_pd(numv, denv));
    _mm256_storeu_pd(den, denv);
}

constexpr KernelTable kAvx2 = {InterpolantAvx2, FoldedAvx2, FarWeightSumsAvx2, WeightsAvx2};

bool HasAvx2() {
    static const bool has = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    return has;
}
#else
bool HasAvx2() {
    return false;
}
#endif

const KernelTable& TableOf(KernelPath path) {
#if ONDELA_AVX2_PATH
    if (path == KernelPath::Avx2) return kAvx2;
#endif
    (void)path;
    return kPortable;
}

// The path named by ONDELA_KERNELS where the processor runs it, else the fastest one it runs.
KernelPath PathAtStart() {
    const char* named = std::getenv("ONDELA_KERNELS");
    if (named != nullptr && std::strcmp(named, "portable") == 0) return KernelPath::Portable;
    return KernelPathAvailable(KernelPath::Avx2) ? KernelPath::Avx2 : KernelPath::Portable;
}

std::atomic<KernelPath>& ActivePath() {
    static std::atomic<KernelPath> path{PathAtStart()};
    return path;
}

const KernelTable& Kernels() {
    return TableOf(ActivePath().load(std::memory_order_relaxed));
}

}  // namespace

bool KernelPathAvailable(KernelPath path) {
    return path == KernelPath::Portable || (path == KernelPath::Avx2 && HasAvx2());
}

KernelPath ActiveKernelPath() {
    return ActivePath().load(std::memory_order_relaxed);
}

bool UseKernelPath(KernelPath path) {
    if (!KernelPathAvailable(path)) return false;
    ActivePath().store(path, std::memory_order_relaxed);
    return true;
}

const char* KernelPathName(KernelPath path) {
    return path == KernelPath::Avx2 ? "avx2" : "portable";
}

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

void InterpolantLanes(const DesignWork& w, const double* xf, double* out) {
    Kernels().interpolant(w, xf, out);
}

void FoldedInterpolant(const DesignWork& w, const double* xf, double* out, double* den) {
    Kernels().folded(w, xf, out, den);
}

void FarWeightSums(DesignWork& w) {
    Kernels().farWeightSums(w);
}

void BarycentricWeightLanes(DesignWork& w, int k0, int jet) {
    Kernels().weights(w, k0, jet);
}

}  // namespace ondela
