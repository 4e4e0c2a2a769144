// An independent measurement of a coefficient set for the workspace tests: the values each
// coefficient has in its format, worked out from the format's definition, a transform at 32
// points per coefficient over the whole axis, and the extremes over the bands a design was made
// for; and a finer one, a plain DFT across each band and at its edges.
#pragma once

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <numbers>
#include <vector>

#include "engine/dense_response.h"
#include "engine/response.h"

namespace ondela::testing {

// The value a coefficient has in the format, worked out from the format's definition.
inline double Quantised(double v, int format) {
    switch (format) {
        case INT16: {
            const auto scaled = static_cast<int32_t>(std::trunc(v * 32767.0));
            return static_cast<int16_t>(scaled & 0xffff) / 32768.0;
        }
        case FLT32:
            return static_cast<float>(v);
        default:
            return v;
    }
}

// Levels in dB at t/2 + 1 evenly spaced frequencies from 0 to half the rate.
inline std::vector<double> TrueLevels(const double* coefs, int n, int format) {
    int m = 1;
    while ((1 << m) < 32 * n) ++m;
    const int t = 1 << m;
    std::vector<Complex> points(t, Complex{0.0, 0.0});
    for (int i = 0; i < n; ++i) points[i].re = Quantised(coefs[i], format);
    Fft(points.data(), m);
    std::vector<double> level(t / 2 + 1);
    for (int k = 0; k <= t / 2; ++k) {
        level[k] = 20.0 * std::log10(std::max(std::hypot(points[k].re, points[k].im), 1e-12));
    }
    return level;
}

struct Truth {
    double attenuation;
    double ripple;
};

// Calls over(loHz, hiHz, stopBand) for each band of a design: the pass and stop bands of its
// type between 0 Hz, its edges and half the rate.
template <typename Over>
void ForEachBand(const DesignBands& bands, Over&& over) {
    const double nyquist = bands.fs / 2.0;
    const double* e = bands.edge;
    switch (bands.type) {
        case LowPass:
        case HalfBand:
            over(0.0, e[0], false);
            over(e[1], nyquist, true);
            break;
        case HighPass:
            over(0.0, e[0], true);
            over(e[1], nyquist, false);
            break;
        case BandPass:
            over(0.0, e[0], true);
            over(e[1], e[2], false);
            over(e[3], nyquist, true);
            break;
        default:
            over(0.0, e[0], false);
            over(e[1], e[2], true);
            over(e[3], nyquist, false);
            break;
    }
}

inline Truth Measure(const std::vector<double>& level, const DesignBands& bands) {
    const double last = static_cast<double>(level.size() - 1);
    const double nyquist = bands.fs / 2.0;
    double stop = -1e9;
    double pass = 0.0;
    auto over = [&](double loHz, double hiHz, bool stopBand) {
        const int lo = std::max(0, static_cast<int>(std::ceil(loHz / nyquist * last)));
        const int hi = std::min(static_cast<int>(last), static_cast<int>(hiHz / nyquist * last));
        for (int k = lo; k <= hi; ++k) {
            if (stopBand) {
                stop = std::max(stop, level[k]);
            } else {
                pass = std::max(pass, std::fabs(level[k]));
            }
        }
    };
    ForEachBand(bands, over);
    return Truth{-stop, pass};
}

// |H| in dB of values (already in their format) at x, a fraction of the Nyquist frequency, by
// the DFT sum itself.
inline double DftLevel(const std::vector<double>& values, double x) {
    const std::complex<double> step = std::polar(1.0, -std::numbers::pi * x);
    std::complex<double> phasor = 1.0;
    std::complex<double> sum = 0.0;
    for (const double v : values) {
        sum += v * phasor;
        phasor *= step;
    }
    return 20.0 * std::log10(std::max(std::abs(sum), 1e-12));
}

// The extremes of values over the bands a design was made for, by DftLevel at both edges of
// each band and at 256 frequencies per ripple (2 / n of the Nyquist frequency) between: a
// frequency is then at most 1/512 of a ripple from any peak, which keeps the extremes within a
// thousandth of a decibel of the truth.
inline Truth FineMeasure(const std::vector<double>& values, const DesignBands& bands) {
    const double nyquist = bands.fs / 2.0;
    const double spacing = 2.0 / static_cast<double>(values.size()) / 256.0;
    double stop = -1e9;
    double pass = 0.0;
    auto over = [&](double loHz, double hiHz, bool stopBand) {
        const double lo = std::max(0.0, loHz / nyquist);
        const double hi = std::min(1.0, hiHz / nyquist);
        const int steps = std::max(1, static_cast<int>(std::ceil((hi - lo) / spacing)));
        for (int k = 0; k <= steps; ++k) {
            const double level = DftLevel(values, lo + (hi - lo) * k / steps);
            if (stopBand) {
                stop = std::max(stop, level);
            } else {
                pass = std::max(pass, std::fabs(level));
            }
        }
    };
    ForEachBand(bands, over);
    return Truth{-stop, pass};
}

}  // namespace ondela::testing
