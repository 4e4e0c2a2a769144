#include "engine/dense_response.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace ondela {

namespace {

constexpr int kMinPoints = 1024;
constexpr int kPointsPerCoef = 16;
constexpr int kMaxCount = 1 << 16;  // far beyond any filter the program holds

// How far a sampled peak may lie from the dense one and still stand.
constexpr double kAttenuationSeen = 0.2;
constexpr double kRippleSeenDb = 0.01;
constexpr double kRippleSeenShare = 0.05;

// In-place radix-2 transform of n = 2^k points with the exponent exp(-2 pi i j / n) taken from
// twiddle[j * stride] (stride = the table's length over n / 2).
void Transform(Complex* z, int n, const Complex* twiddle, int stride) {
    for (int i = 1, j = 0; i < n; ++i) {
        int bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) std::swap(z[i], z[j]);
    }
    for (int len = 2; len <= n; len <<= 1) {
        const int half = len / 2;
        const int step = stride * (n / len);
        for (int start = 0; start < n; start += len) {
            for (int j = 0; j < half; ++j) {
                const Complex w = twiddle[j * step];
                Complex& a = z[start + j];
                Complex& b = z[start + j + half];
                const Complex t{w.re * b.re - w.im * b.im, w.re * b.im + w.im * b.re};
                b = Complex{a.re - t.re, a.im - t.im};
                a = Complex{a.re + t.re, a.im + t.im};
            }
        }
    }
}

}  // namespace

void DenseResponse::Evaluate(const double* coefs, int count, int format) {
    points_ = 0;
    if (coefs == nullptr || count <= 0 || count > kMaxCount || format < FLT64 || format > INT16) {
        return;
    }
    int points = kMinPoints;
    while (points < kPointsPerCoef * count) points *= 2;

    // The real sequence of length 2 * points is transformed as points complex values (even
    // samples as real parts, odd samples as imaginary parts) and separated afterwards.
    if (points != static_cast<int>(twiddle_.size())) {
        twiddle_.resize(points);
        for (int k = 0; k < points; ++k) {
            const double angle = std::numbers::pi * k / points;
            twiddle_[k] = Complex{std::cos(angle), -std::sin(angle)};
        }
    }
    buffer_.assign(points, Complex{0.0, 0.0});
    for (int i = 0; i < count; ++i) {
        const double v = EvaluatedValue(coefs[i], format);
        if (i % 2 == 0) {
            buffer_[i / 2].re = v;
        } else {
            buffer_[i / 2].im = v;
        }
    }
    Transform(buffer_.data(), points, twiddle_.data(), 2);

    level_.resize(points + 1);
    for (int k = 0; k <= points; ++k) {
        const Complex zk = buffer_[k % points];
        const Complex zc = buffer_[(points - k) % points];  // conjugated below
        // Even part (zk + conj(zc)) / 2 and odd part (zk - conj(zc)) / 2i.
        const double er = 0.5 * (zk.re + zc.re);
        const double ei = 0.5 * (zk.im - zc.im);
        const double orr = 0.5 * (zk.im + zc.im);
        const double oi = -0.5 * (zk.re - zc.re);
        const Complex w = k < points ? twiddle_[k] : Complex{-1.0, 0.0};
        const double re = er + w.re * orr - w.im * oi;
        const double im = ei + w.re * oi + w.im * orr;
        const double magnitude = std::hypot(re, im);
        level_[k] = 20.0 * std::log10(magnitude > kMagnitudeFloor ? magnitude : kMagnitudeFloor);
    }
    points_ = points;
}

template <typename Measure>
bool DenseResponse::Peak(double lo, double hi, double& peak, Measure measure) const {
    if (points_ == 0 || !(lo <= hi)) return false;
    const int first = std::max(0, static_cast<int>(std::ceil(lo * points_)));
    const int last = std::min(points_, static_cast<int>(std::floor(hi * points_)));
    if (first > last) return false;
    double best = measure(level_[first]);
    for (int k = first + 1; k <= last; ++k) best = std::max(best, measure(level_[k]));
    peak = best;
    return true;
}

bool DenseResponse::PeakLevel(double lo, double hi, double& peak) const {
    return Peak(lo, hi, peak, [](double v) { return v; });
}

bool DenseResponse::PeakAbsLevel(double lo, double hi, double& peak) const {
    return Peak(lo, hi, peak, [](double v) { return std::fabs(v); });
}

bool PeaksOverBands(const DenseResponse& dense, const DesignBands& bands, double& stopPeak,
                    double& passPeak) {
    const double nyquist = bands.fs / 2.0;
    if (!(nyquist > 0.0)) return false;
    const double e2 = bands.edge[0] / nyquist;
    const double e3 = bands.edge[1] / nyquist;
    const double e4 = bands.edge[2] / nyquist;
    const double e5 = bands.edge[3] / nyquist;
    double stop = -1e300;
    double pass = 0.0;
    bool stopFound = false;
    auto stopBand = [&](double lo, double hi) {
        double peak;
        if (dense.PeakLevel(lo, hi, peak)) {
            stop = std::max(stop, peak);
            stopFound = true;
        }
    };
    auto passBand = [&](double lo, double hi) {
        double peak;
        if (dense.PeakAbsLevel(lo, hi, peak)) pass = std::max(pass, peak);
    };
    switch (bands.type) {
        case LowPass:
        case HalfBand:
            passBand(0.0, e2);
            stopBand(e3, 1.0);
            break;
        case HighPass:
            stopBand(0.0, e2);
            passBand(e3, 1.0);
            break;
        case BandPass:
            stopBand(0.0, e2);
            passBand(e3, e4);
            stopBand(e5, 1.0);
            break;
        case BandStop:
            passBand(0.0, e2);
            stopBand(e3, e4);
            passBand(e5, 1.0);
            break;
        default:
            return false;
    }
    if (!stopFound) return false;
    stopPeak = stop;
    passPeak = pass;
    return true;
}

bool AttenuationSeen(double sampled, double dense) {
    return std::fabs(sampled - dense) <= kAttenuationSeen;
}

bool RippleSeen(double sampled, double dense) {
    return std::fabs(sampled - dense) <= std::max(kRippleSeenDb, kRippleSeenShare * dense);
}

}  // namespace ondela
