// Capacities of the exchange's working storage.
#pragma once

#include "engine/filter_limits.h"

namespace ondela {

constexpr int kGridCapacity = 82000;  // dense grid points at the highest density
constexpr int kGridDensityStep = 20;  // points per cosine term added by each refinement
constexpr int kGridCapacityStep = 41000;
// Distinct coefficients of the longest filter (2048 for 4095 taps).
constexpr int kMaxCosines = (kMaxDesignCoefs + 1) / 2;
constexpr int kFftSize = 4096;

}  // namespace ondela
