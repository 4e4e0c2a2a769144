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

// The refinement of a band's peak: how many of its highest ripples have their tops evaluated,
// and the golden-section steps per top (each narrows the top's bracket of two sample spacings by
// 0.618, so that the last bracket is far narrower than any level change that shows in 0.001 dB).
constexpr int kRefinedRipples = 4;
constexpr int kGoldenSteps = 12;
// A direct evaluation advances its phasor by multiplication and takes it afresh from cos and sin
// after this many coefficients, which keeps its rounding error that of a few multiplications.
constexpr int kPhasorRun = 64;

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
    values_.clear();
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
    values_.resize(count);
    for (int i = 0; i < count; ++i) {
        const double v = values_[i] = EvaluatedValue(coefs[i], format);
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

double DenseResponse::LevelAt(double x) const {
    // The transform's sum itself, sum of v[k] exp(-i pi x k): unlike the Goertzel recurrence it
    // keeps its accuracy next to 0 Hz and half the rate, where deep stop bands may lie.
    const double omega = std::numbers::pi * x;
    const double stepRe = std::cos(omega);
    const double stepIm = -std::sin(omega);
    const int count = static_cast<int>(values_.size());
    double re = 0.0;
    double im = 0.0;
    for (int start = 0; start < count; start += kPhasorRun) {
        double phasorRe = std::cos(omega * start);
        double phasorIm = -std::sin(omega * start);
        const int end = std::min(count, start + kPhasorRun);
        for (int k = start; k < end; ++k) {
            re += values_[k] * phasorRe;
            im += values_[k] * phasorIm;
            const double next = phasorRe * stepRe - phasorIm * stepIm;
            phasorIm = phasorRe * stepIm + phasorIm * stepRe;
            phasorRe = next;
        }
    }
    const double magnitude = std::hypot(re, im);
    return 20.0 * std::log10(magnitude > kMagnitudeFloor ? magnitude : kMagnitudeFloor);
}

template <typename Measure>
bool DenseResponse::RefinedPeak(double lo, double hi, double& peak, Measure measure) const {
    lo = std::max(lo, 0.0);
    hi = std::min(hi, 1.0);
    if (points_ == 0 || !(lo <= hi)) return false;
    auto value = [&](double x) { return measure(LevelAt(x)); };
    // The response is even about 0 and about half the rate, so the samples beyond either end
    // mirror those inside it.
    auto sample = [&](int k) {
        if (k < 0) k = -k;
        if (k > points_) k = 2 * points_ - k;
        return measure(level_[k]);
    };

    // A band's extreme lies at one of its ends or at the top of a ripple inside it.
    double best = std::max(value(lo), value(hi));

    // The tops: samples not below either neighbour, ranked by the vertex of the parabola through
    // the three samples, which estimates a top far closer than its highest sample does; equal
    // ripples of an equiripple band then rank by their true heights.
    struct Top {
        double estimate;
        int k;
    };
    Top tops[kRefinedRipples];
    int topCount = 0;
    const int first = std::max(0, static_cast<int>(std::ceil(lo * points_)));
    const int last = std::min(points_, static_cast<int>(std::floor(hi * points_)));
    for (int k = first; k <= last; ++k) {
        const double v = sample(k);
        best = std::max(best, v);
        const double before = sample(k - 1);
        const double after = sample(k + 1);
        if (v < before || v < after) continue;
        const double curvature = before - 2.0 * v + after;
        const double estimate =
            curvature < 0.0 ? v - (before - after) * (before - after) / (8.0 * curvature) : v;
        if (topCount == kRefinedRipples && estimate <= tops[topCount - 1].estimate) continue;
        int i = topCount < kRefinedRipples ? topCount++ : topCount - 1;
        for (; i > 0 && tops[i - 1].estimate < estimate; --i) tops[i] = tops[i - 1];
        tops[i] = Top{estimate, k};
    }

    // Each top by golden-section search between its neighbouring samples, within the band.
    const double ratio = 0.5 * (std::sqrt(5.0) - 1.0);
    for (int t = 0; t < topCount; ++t) {
        double a = std::max(lo, static_cast<double>(tops[t].k - 1) / points_);
        double b = std::min(hi, static_cast<double>(tops[t].k + 1) / points_);
        double x1 = b - ratio * (b - a);
        double x2 = a + ratio * (b - a);
        double f1 = value(x1);
        double f2 = value(x2);
        for (int step = 0; step < kGoldenSteps; ++step) {
            if (f1 < f2) {
                a = x1;
                x1 = x2;
                f1 = f2;
                x2 = a + ratio * (b - a);
                f2 = value(x2);
            } else {
                b = x2;
                x2 = x1;
                f2 = f1;
                x1 = b - ratio * (b - a);
                f1 = value(x1);
            }
        }
        best = std::max({best, f1, f2});
    }
    peak = best;
    return true;
}

bool DenseResponse::RefinedPeakLevel(double lo, double hi, double& peak) const {
    return RefinedPeak(lo, hi, peak, [](double v) { return v; });
}

bool DenseResponse::RefinedPeakAbsLevel(double lo, double hi, double& peak) const {
    return RefinedPeak(lo, hi, peak, [](double v) { return std::fabs(v); });
}

double DenseResponse::Walk(double x, int step, bool falling) const {
    if (points_ == 0) return x;
    const double start = x * points_;
    int k =
        std::clamp(static_cast<int>(step > 0 ? std::ceil(start) : std::floor(start)), 0, points_);
    for (;;) {
        const int next = k + step;
        if (next < 0 || next > points_) break;
        if (falling ? !(level_[next] < level_[k]) : !(level_[next] > level_[k])) break;
        k = next;
    }
    const double reached = static_cast<double>(k) / points_;
    return step > 0 ? std::max(x, reached) : std::min(x, reached);
}

double DenseResponse::FootAbove(double x) const {
    return Walk(x, +1, true);
}

double DenseResponse::FootBelow(double x) const {
    return Walk(x, -1, true);
}

double DenseResponse::ShoulderAbove(double x) const {
    return Walk(x, +1, false);
}

double DenseResponse::ShoulderBelow(double x) const {
    return Walk(x, -1, false);
}

bool PeaksOverBands(const DenseResponse& dense, const DesignBands& bands, PeakSearch search,
                    double& stopPeak, double& passPeak) {
    const double nyquist = bands.fs / 2.0;
    if (!(nyquist > 0.0)) return false;
    const double e2 = bands.edge[0] / nyquist;
    const double e3 = bands.edge[1] / nyquist;
    const double e4 = bands.edge[2] / nyquist;
    const double e5 = bands.edge[3] / nyquist;
    double stop = -1e300;
    double pass = 0.0;
    bool stopFound = false;
    const bool refined = search == PeakSearch::Refined;
    auto stopBand = [&](double lo, double hi) {
        double peak;
        if (refined ? dense.RefinedPeakLevel(lo, hi, peak) : dense.PeakLevel(lo, hi, peak)) {
            stop = std::max(stop, peak);
            stopFound = true;
        }
    };
    auto passBand = [&](double lo, double hi) {
        double peak;
        if (refined ? dense.RefinedPeakAbsLevel(lo, hi, peak) : dense.PeakAbsLevel(lo, hi, peak)) {
            pass = std::max(pass, peak);
        }
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
