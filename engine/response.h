// Magnitude response of a coefficient set: quantisation to a coefficient format, the
// single-frequency Goertzel evaluation, and the FFT response of a design's half impulse response.
#pragma once

#include <cstdint>

#include "engine/filter_spec.h"

namespace ondela {

// The smallest magnitude the response evaluations give (-240 dB): below it, and where the
// Goertzel power is not positive, a level reads as this floor, which keeps 20 log10 finite.
constexpr double kMagnitudeFloor = 1e-12;

// q32: v * (2^31 - 1) truncated toward zero; INT32_MIN when the product does not fit.
int32_t QuantiseInt32(double v);
// q16: v * 32767 truncated as for q32, then its low 16 bits taken as a signed value.
int16_t QuantiseInt16(double v);
// Nearest single-precision value (ties to even).
double RoundToFloat(double v);
// The value a coefficient has when the response is evaluated in the given format:
// FLT64 v, FLT32 RoundToFloat(v), INT32 q32 / 2^31, INT16 q16 / 2^15.
double EvaluatedValue(double v, int format);

// |H| at x (fraction of the Nyquist frequency, 0..1) of coefs quantised to format, by the
// Goertzel recurrence. 1e-12 when the power is not positive; 0 for an unknown format.
double MagnitudeAt(const double* coefs, int count, double x, int format);

// MagnitudeAt for points frequencies x[0..points-1] into out, the same value for each; several
// frequencies share one pass over the coefficients.
void MagnitudesAt(const double* coefs, int count, const double* x, int points, double* out,
                  int format);

// |H| at x[0..points-1] (fractions of the Nyquist frequency) of coefficient values taken as
// they are, already in the form their format evaluates to (EvaluatedValue): for every p exactly
// MagnitudeAt(values, count, x[p], FLT64). Many frequencies run side by side, each by the
// unchanged single-frequency recurrence: sixteen where the processor has 256-bit vector
// registers, eight elsewhere. For long lists of frequencies such as the columns of a plot.
void MagnitudesOfValues(const double* values, int count, const double* x, int points, double* out);
// The same, always by the eight-wide version (which MagnitudesOfValues uses on other processors).
void MagnitudesOfValuesPortable(const double* values, int count, const double* x, int points,
                                double* out);

struct Complex {
    double re;
    double im;
};

// In-place radix-2 transform of the first 2^m points (positive exponent, unscaled).
void Fft(Complex* points, int m);

// Level in dB at evenly spaced frequencies 0..fsE/2 of the odd-length filter whose half impulse
// response is half[0..nfcns-1] (centre last) and full length n. Uses a 2048-point transform when
// n <= 2048, else 4096. Clears all kMaxResponsePoints entries of response, fills t/2 + 1 of them
// and returns that count. buffer must hold 4096 points.
int FftResponse(const double* half, int nfcns, int n, double fsE, Complex* buffer,
                ResponsePoint* response);

}  // namespace ondela
