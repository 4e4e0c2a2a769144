// The equiripple exchange core: dense grid, initial reference, weighted Chebyshev exchange,
// coefficient step and impulse response. Works on the band table held in DesignWork.
#pragma once

#include "engine/design_work.h"

namespace ondela {

// Fills the dense grid from the band table with `density` points per cosine term for nfcns
// terms. Returns 0, or GRID_OVERFLOW when the grid would exceed `capacity` points or holds too
// few points for the reference set.
int BuildGrid(DesignWork& w, int nfcns, int density, int capacity);

// Spreads the nfcns + 1 reference points evenly over the grid.
void InitialExtremals(DesignWork& w);

// Keeps the frequencies of the current reference set for the next pass (CarriedExtremals).
void CarryExtremals(DesignWork& w);

// Starts the reference set where the last carried one ended: its frequencies, resampled by rank to
// the nz points of this pass, on the nearest points of the new grid. A pass that changes the length
// or the width a little then starts close to its own result instead of from an even spread, whose
// first iterations run at a tiny deviation. False when the carried set does not fit the grid
// (InitialExtremals then).
bool CarriedExtremals(DesignWork& w);

// Runs the exchange on the current grid and reference set (at most 64 iterations), then computes
// the cosine coefficients. Returns NOT_OPTIMIZED and/or DEVIATION_STALLED bits.
int RemezExchange(DesignWork& w);

// Half impulse response h(1..nfcns) of the odd-length filter from the cosine coefficients.
void ImpulseFromCosines(DesignWork& w);

// Makes the half response a half band: centre 0.5, every second tap 0, taps summing to 1.
void MakeHalfBandTaps(DesignWork& w);

// coefs[0..2*nfcns-2] := the symmetric filter built from h.
void WriteSymmetricCoefs(const DesignWork& w, double* coefs);

}  // namespace ondela
