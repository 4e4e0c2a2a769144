// Independent oracles for the fixed-point commands of ondela-cli: a filter file's coefficients as
// written, rounded and clipped by hand, and a plain DFT with a simple stop-band rule.
#pragma once

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdlib>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/child_process.h"

namespace ondela::testing {

using Ints = std::vector<long long>;

// The numbers between the braces of the file's coefficient array, as written.
inline std::vector<double> ListedCoefs(const std::string& path) {
    const std::string text = ReadFile(path);
    const std::size_t open = text.find('{', text.find("m_firCoefs"));
    const std::size_t close = text.find('}', open);
    std::string list = text.substr(open + 1, close - open - 1);
    std::replace(list.begin(), list.end(), ',', ' ');
    std::istringstream in(list);
    std::vector<double> coefs;
    for (std::string word; in >> word;) coefs.push_back(std::strtod(word.c_str(), nullptr));
    return coefs;
}

// Rounding by hand: c * 2^f to the nearest integer with ties away from zero (std::round), or
// toward minus infinity.
inline long long RoundScaled(double c, int f, bool floor) {
    const double scaled = std::ldexp(c, f);
    return static_cast<long long>(floor ? std::floor(scaled) : std::round(scaled));
}

// The largest fraction bits for which every coefficient rounds inside a signed w-bit word.
inline int LargestFrac(const std::vector<double>& coefs, int w, bool floor) {
    const long long hi = (1LL << (w - 1)) - 1;
    const long long lo = -(1LL << (w - 1));
    for (int f = 128;; --f) {
        const bool fits = std::all_of(coefs.begin(), coefs.end(), [&](double c) {
            const long long q = RoundScaled(c, f, floor);
            return q >= lo && q <= hi;
        });
        if (fits) return f;
    }
}

// Each coefficient rounded and then clipped to the word's limits.
inline Ints HandQuantised(const std::vector<double>& coefs, int w, int f, bool floor) {
    const long long hi = (1LL << (w - 1)) - 1;
    const long long lo = -(1LL << (w - 1));
    Ints q;
    for (const double c : coefs) q.push_back(std::clamp(RoundScaled(c, f, floor), lo, hi));
    return q;
}

// |H(f)| in dB at points+1 frequencies from 0 to fs/2 (the factor fs cancels).
inline std::vector<double> DftLevels(const std::vector<double>& h, int points) {
    std::vector<double> level;
    for (int k = 0; k <= points; ++k) {
        const double w = std::numbers::pi * k / points;
        std::complex<double> sum = 0.0;
        for (std::size_t n = 0; n < h.size(); ++n)
            sum += h[n] * std::polar(1.0, -w * static_cast<double>(n));
        level.push_back(20.0 * std::log10(std::max(std::abs(sum), 1e-15)));
    }
    return level;
}

// The highest level of the stop bands: from each -3 dB crossing, away from the pass band, the
// response falls to its first minimum; everything beyond it is stop band.
inline double StopBandPeak(const std::vector<double>& level) {
    const int last = static_cast<int>(level.size()) - 1;
    std::vector<bool> stop(level.size(), false);
    for (int k = 0; k < last; ++k) {
        const bool down = level[k] >= -3.0 && level[k + 1] < -3.0;
        const bool up = level[k] < -3.0 && level[k + 1] >= -3.0;
        if (down) {
            int m = k + 1;
            while (m < last && level[m + 1] < level[m]) ++m;
            for (int j = m; j <= last && level[j] < -3.0; ++j) stop[j] = true;
        }
        if (up) {
            int m = k;
            while (m > 0 && level[m - 1] < level[m]) --m;
            for (int j = m; j >= 0 && level[j] < -3.0; --j) stop[j] = true;
        }
    }
    double peak = -1000.0;
    for (int k = 0; k <= last; ++k)
        if (stop[k]) peak = std::max(peak, level[k]);
    return peak;
}

}  // namespace ondela::testing
