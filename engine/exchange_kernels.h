// The arithmetic kernels of the exchange, for several grid points at once (one per vector lane),
// each giving exactly the double the one-point formula gives. x86-64 builds choose the AVX2
// versions at load time where the processor has them.
#pragma once

#include "engine/design_work.h"

namespace ondela {

// Index of the first of the falling abscissae x(1..nz) that is not above xf; nz + 1 when all are.
int FirstNotAbove(const double* x, int nz, double xf);

// Values of the current interpolant at the kExchangeLanes points whose cosines are xf[...]
// (barycentric form). A point that lies exactly on a reference point takes its ordinate.
void InterpolantLanes(const DesignWork& w, const double* xf, double* out);

// The faster evaluation of the same values, the reference points taken two at a time over one
// shared division; den receives the denominator sums (non-finite on a reference point).
void PairedInterpolant(const DesignWork& w, const double* xf, double* out, double* den);

// The registers the paired evaluation runs in: "avx512", "avx2" or "portable". The environment
// variable ONDELA_KERNELS=avx2 or =portable, read once, narrows the choice (for benchmarks).
const char* PairedKernelName();

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
