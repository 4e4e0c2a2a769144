// Magnitude response of a coefficient set: quantisers, Goertzel evaluation at one frequency and
// the FFT response of a design's half impulse response.
#include "engine/response.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

namespace ondela {

namespace {

constexpr double kInt32Scale = 2147483647.0;  // 2^31 - 1, used when quantising
constexpr double kInt32Unit = 0x1p-31;        // 1 / 2^31, used when evaluating
constexpr double kInt16Scale = 32767.0;
constexpr double kInt16Unit = 0x1p-15;  // 1 / 2^15

constexpr double kFftFloor = 2.5e-16;      // below this an FFT bin counts as an exact zero
constexpr double kFftFloorLevel = -120.0;  // dB

constexpr int kFftPoints = 4096;  // capacity of the complex buffer

// Truncation toward zero to a signed 32-bit integer; a product that does not fit (NaN included)
// becomes INT32_MIN, as the hardware conversion does.
int32_t TruncateToInt32(double product) {
    const double t = std::trunc(product);
    if (t >= -2147483648.0 && t <= 2147483647.0) return static_cast<int32_t>(t);
    return INT32_MIN;
}

// The values a format evaluates, for the one Goertzel implementation (MagnitudesOfValues): FLT64
// coefficients as they are, the others quantised into a buffer kept per thread.
const double* EvaluatedValues(const double* coefs, int count, int format) {
    if (format == FLT64 || count <= 0) return coefs;
    thread_local std::vector<double> values;
    values.resize(static_cast<std::size_t>(count));
    for (int k = 0; k < count; ++k) values[k] = EvaluatedValue(coefs[k], format);
    return values.data();
}

}  // namespace

int32_t QuantiseInt32(double v) {
    return TruncateToInt32(v * kInt32Scale);
}

int16_t QuantiseInt16(double v) {
    // Keep the low 16 bits of the 32-bit truncation: out-of-range products wrap around.
    return static_cast<int16_t>(TruncateToInt32(v * kInt16Scale));
}

double RoundToFloat(double v) {
    // Beyond the largest float the conversion would be undefined; round as IEEE does instead:
    // to the largest float below the half-way point to the next power of two, else to infinity.
    if (std::fabs(v) > FLT_MAX) {
        const double rounded = std::fabs(v) < 0x1.ffffffp127 ? FLT_MAX : HUGE_VAL;
        return std::copysign(rounded, v);
    }
    return static_cast<float>(v);
}

double EvaluatedValue(double v, int format) {
    switch (format) {
        case FLT64:
            return v;
        case FLT32:
            return RoundToFloat(v);
        case INT32:
            return QuantiseInt32(v) * kInt32Unit;
        case INT16:
            return QuantiseInt16(v) * kInt16Unit;
        default:
            return 0.0;
    }
}

double MagnitudeAt(const double* coefs, int count, double x, int format) {
    if (format < FLT64 || format > INT16) return 0.0;
    if (coefs == nullptr) count = 0;  // an absent set has no response
    double magnitude;
    MagnitudesOfValues(EvaluatedValues(coefs, count, format), count, &x, 1, &magnitude);
    return magnitude;
}

void MagnitudesAt(const double* coefs, int count, const double* x, int points, double* out,
                  int format) {
    if (format < FLT64 || format > INT16) {
        for (int p = 0; p < points; ++p) out[p] = 0.0;
        return;
    }
    if (coefs == nullptr) count = 0;
    MagnitudesOfValues(EvaluatedValues(coefs, count, format), count, x, points, out);
}

void Fft(Complex* points, int m) {
    if (points == nullptr || m <= 0 || m > 30) return;
    const int n = 1 << m;

    // Bit-reversed reordering.
    int j = 0;
    for (int i = 0; i < n - 1; ++i) {
        if (i < j) {
            const Complex t = points[i];
            points[i] = points[j];
            points[j] = t;
        }
        int k = n / 2;
        while (k <= j) {
            j -= k;
            k /= 2;
        }
        j += k;
    }

    // Butterflies; the twiddle factor advances by complex multiplication, so each stage costs
    // one cos and one sin.
    for (int s = 1; s <= m; ++s) {
        const int le = 1 << s;
        const int half = le / 2;
        const double theta = std::numbers::pi / half;
        const double wr = std::cos(theta);
        const double wi = std::sin(theta);
        double ur = 1.0;
        double ui = 0.0;
        for (int k = 0; k < half; ++k) {
            for (int i = k; i < n; i += le) {
                const int ip = i + half;
                const double tr = ur * points[ip].re - ui * points[ip].im;
                const double ti = ur * points[ip].im + ui * points[ip].re;
                points[ip].re = points[i].re - tr;
                points[ip].im = points[i].im - ti;
                points[i].re += tr;
                points[i].im += ti;
            }
            const double next = ur * wr - ui * wi;
            ui = ur * wi + ui * wr;
            ur = next;
        }
    }
}

int FftResponse(const double* half, int nfcns, int n, double fsE, Complex* buffer,
                ResponsePoint* response) {
    for (int k = 0; k < kMaxResponsePoints; ++k) response[k] = ResponsePoint{0.0, 0.0};
    for (int k = 0; k < kFftPoints; ++k) buffer[k] = Complex{0.0, 0.0};

    const int size = n <= 2048 ? 2048 : kFftPoints;
    const int m = size == 2048 ? 11 : 12;

    // Symmetric impulse response: tap j and tap n-1-j both take half[j]; the centre tap is
    // written twice with the same value. Taps outside the transform are never written.
    if (half != nullptr) {
        for (int j = 0; j < nfcns; ++j) {
            if (j < size) buffer[j] = Complex{half[j], 0.0};
            const int mirror = n - 1 - j;
            if (mirror >= 0 && mirror < size) buffer[mirror] = Complex{half[j], 0.0};
        }
    }

    Fft(buffer, m);

    const int points = size / 2 + 1;
    for (int k = 0; k < points; ++k) {
        const double magnitude =
            std::sqrt(buffer[k].re * buffer[k].re + buffer[k].im * buffer[k].im);
        response[k].frequency = static_cast<double>(k) / size * fsE;
        response[k].level = magnitude < kFftFloor ? kFftFloorLevel : 20.0 * std::log10(magnitude);
    }
    return points;
}

}  // namespace ondela
