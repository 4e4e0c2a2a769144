// The arithmetic kernels of the exchange, for several grid points at once (one per vector lane),
// each giving exactly the double the one-point formula gives. x86-64 builds carry an AVX2 version
// of each kernel beside the portable one and run it where the processor has AVX2 and FMA.
#pragma once

#include "engine/design_work.h"

namespace ondela {

// The builds of the kernels. Every path gives the same designs; Avx2 exists in x86-64 builds.
enum class KernelPath { Portable, Avx2 };

// Whether this build and processor run the path.
bool KernelPathAvailable(KernelPath path);

// The path the kernels take. It is chosen when the first kernel runs: the environment variable
// ONDELA_KERNELS=portable forces the portable path (for benchmarks and comparisons); otherwise, and
// for any other value (avx2, or avx512, for which no kernels are built: 512-bit vectors measured
// slower here), the fastest path the processor runs.
KernelPath ActiveKernelPath();

// Switches every later kernel call to the path; false (and no change) where it is not available.
// For tests and benchmarks: no design may run meanwhile.
bool UseKernelPath(KernelPath path);

// "portable" or "avx2".
const char* KernelPathName(KernelPath path);

// Index of the first of the falling abscissae x(1..nz) that is not above xf; nz + 1 when all are.
int FirstNotAbove(const double* x, int nz, double xf);

// Values of the current interpolant at the kExchangeLanes points whose cosines are xf[...]
// (barycentric form). A point that lies exactly on a reference point takes its ordinate.
void InterpolantLanes(const DesignWork& w, const double* xf, double* out);

// The faster evaluation of the same values, the reference points taken kFoldTerms at a time over
// one shared division; den receives the denominator sums (non-finite on a reference point).
void FoldedInterpolant(const DesignWork& w, const double* xf, double* out, double* den);

// search.farAbove and search.farBelow of the reference set (x falling, search.absAd set).
void FarWeightSums(DesignWork& w);

// Reference points whose barycentric weights are computed together: four vectors of lanes, so
// that four independent products are in flight.
constexpr int kWeightGroups = 4;
constexpr int kWeightBlock = kWeightGroups * kExchangeLanes;

// Barycentric weights ad(k0 .. k0 + kWeightBlock - 1) (those up to nz), the product taken in
// `jet` interleaved passes so that it neither overflows nor underflows for long filters.
void BarycentricWeightLanes(DesignWork& w, int k0, int jet);

}  // namespace ondela
