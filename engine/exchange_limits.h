// Capacities of the exchange's working storage.
#pragma once

namespace ondela {

constexpr int kGridCapacity = 82000;  // dense grid points at the highest density
constexpr int kGridDensityStep = 20;  // points per cosine term added by each refinement
constexpr int kGridCapacityStep = 41000;
constexpr int kMaxCosines = 2048;  // distinct coefficients of the longest (4095-tap) filter
constexpr int kFftSize = 4096;

}  // namespace ondela
