// The magnitudes of the response curve, one per pixel column: the Goertzel recurrence of
// MagnitudeAt run for many columns side by side, so that one pass over the coefficients serves
// a whole group of frequencies and the recurrences of different columns overlap in the
// processor. Each column runs the single-frequency recurrence unchanged, operation for
// operation, so its magnitude is the very value MagnitudeAt gives in FLT64.
#pragma once

namespace ondela {

// |H| at x[0..points-1] (fractions of the Nyquist frequency) of the coefficient values
// values[0..count-1] taken as they are, into out: MagnitudeAt(values, count, x[p], FLT64) for
// every p.
void CurveMagnitudes(const double* values, int count, const double* x, int points, double* out);
// The same, always by the version for processors without 256-bit vector registers (eight
// columns side by side), which CurveMagnitudes uses there.
void CurveMagnitudesPortable(const double* values, int count, const double* x, int points,
                             double* out);

}  // namespace ondela
