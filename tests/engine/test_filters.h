// Reference filters and a plain DFT for checking the engine's response evaluation and analysis
// independently of its own designer.
#pragma once

#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

namespace ondela::testing {

// Blackman-windowed sinc low pass of odd length n, cut-off as a fraction of the sampling
// frequency, scaled to unit gain at 0 Hz.
inline std::vector<double> WindowedSincLowPass(int n, double cutoff) {
    const double pi = std::numbers::pi;
    const int centre = n / 2;
    std::vector<double> h(n);
    double sum = 0.0;
    for (int i = 0; i < n; ++i) {
        const int t = i - centre;
        const double ideal = t == 0 ? 2.0 * cutoff : std::sin(2.0 * pi * cutoff * t) / (pi * t);
        const double phase = 2.0 * pi * i / (n - 1);
        const double window = 0.42 - 0.5 * std::cos(phase) + 0.08 * std::cos(2.0 * phase);
        h[i] = ideal * window;
        sum += h[i];
    }
    for (double& v : h) v /= sum;
    return h;
}

// Spectral inversion: the complement of a unit-gain filter about its centre tap.
inline std::vector<double> Inverted(std::vector<double> h) {
    for (double& v : h) v = -v;
    h[h.size() / 2] += 1.0;
    return h;
}

inline std::vector<double> WindowedSincBandPass(int n, double lower, double upper) {
    std::vector<double> h = WindowedSincLowPass(n, upper);
    const std::vector<double> low = WindowedSincLowPass(n, lower);
    for (int i = 0; i < n; ++i) h[i] -= low[i];
    return h;
}

// |H| at bin k of a t-point transform, summed directly. The phase k*i is reduced modulo t in
// integers so that long filters keep full accuracy.
inline double DftMagnitude(const std::vector<double>& h, int k, int t) {
    double re = 0.0;
    double im = 0.0;
    for (int64_t i = 0; i < static_cast<int64_t>(h.size()); ++i) {
        const double angle = 2.0 * std::numbers::pi * static_cast<double>((k * i) % t) / t;
        re += h[i] * std::cos(angle);
        im -= h[i] * std::sin(angle);
    }
    return std::hypot(re, im);
}

inline double Db(double magnitude) {
    return 20.0 * std::log10(magnitude);
}

}  // namespace ondela::testing
