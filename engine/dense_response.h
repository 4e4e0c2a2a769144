// The magnitude response of a coefficient set sampled densely: at least 16 points per coefficient
// from 0 to half the sampling rate, so that every ripple of the response is seen at about 32
// points. A sample can still lie beside the top of a ripple (up to about 0.06 dB below it); the
// refined peaks evaluate the response directly at the band's ends and at the tops of its highest
// ripples, which puts them within a thousandth of a decibel of the true extreme.
#pragma once

#include <vector>

#include "engine/filter_spec.h"
#include "engine/response.h"

namespace ondela {

class DenseResponse {
  public:
    // Samples |H| of coefs[0..count-1] quantised to format (as MagnitudeAt quantises) at
    // Points() + 1 frequencies k / Points() of the Nyquist frequency, k = 0..Points(), and keeps
    // their levels in dB, floored at -240 dB as MagnitudeAt's floor is. Points() is the smallest
    // power of two from 1024 up that holds 16 points per coefficient. An unknown format or an
    // empty set leaves no samples.
    void Evaluate(const double* coefs, int count, int format);

    int Points() const { return points_; }
    bool Empty() const { return points_ == 0; }

    // The highest level, or the highest absolute level, over the samples whose frequencies lie
    // from lo to hi inclusive (fractions of the Nyquist frequency). False, and peak untouched,
    // when no sample lies there.
    bool PeakLevel(double lo, double hi, double& peak) const;
    bool PeakAbsLevel(double lo, double hi, double& peak) const;

    // The same extremes over lo to hi, refined: the level evaluated exactly at lo and hi and at
    // the top of each of the few highest ripples between, so that a peak between samples or at a
    // band edge that falls between samples is not missed. False when lo > hi or nothing was
    // evaluated.
    bool RefinedPeakLevel(double lo, double hi, double& peak) const;
    bool RefinedPeakAbsLevel(double lo, double hi, double& peak) const;

    // The level in dB at x (fraction of the Nyquist frequency), evaluated directly, floored as
    // the samples are.
    double LevelAt(double x) const;

    // The frequency (fraction of the Nyquist frequency) where a transition that passes x ends
    // in a stop band: the first sample from x on, upward or downward, after which the level
    // stops falling.
    double FootAbove(double x) const;
    double FootBelow(double x) const;
    // Where a transition that passes x ends in a pass band: the first sample from x on, upward
    // or downward, after which the level stops rising (the top of the pass band's last ripple).
    double ShoulderAbove(double x) const;
    double ShoulderBelow(double x) const;

  private:
    template <typename Measure>
    bool Peak(double lo, double hi, double& peak, Measure measure) const;
    template <typename Measure>
    bool RefinedPeak(double lo, double hi, double& peak, Measure measure) const;
    // From x, one sample at a time in direction step (+1 or -1), as long as the next level goes
    // on (falling: is lower; otherwise: is higher).
    double Walk(double x, int step, bool falling) const;

    int points_ = 0;
    std::vector<double> values_;  // the coefficients as their format evaluates them
    std::vector<double> level_;
    std::vector<Complex> buffer_;
    std::vector<Complex> twiddle_;  // exp(-2 pi i k / (2 points_)), k = 0..points_-1
};

// The band edges a design was made for, in Hz: the pass band and stop band edges E2 to E5 of its
// band table (E4 and E5 only for band pass and band stop).
struct DesignBands {
    FilterType type = static_cast<FilterType>(0);
    double fs = 0.0;
    double edge[4] = {};  // E2, E3, E4, E5
};

// How the peaks of a band are taken: the highest samples, or refined between them and at the
// band's ends (DenseResponse::RefinedPeakLevel).
enum class PeakSearch { Samples, Refined };

// The highest stop-band level (dB) and the highest absolute pass-band level (dB) of a dense
// response over the bands of a design, 0 Hz and half the rate included. False when a band type is
// unknown or no sample lies in a stop band; passPeak stays 0 when none lies in a pass band.
bool PeaksOverBands(const DenseResponse& dense, const DesignBands& bands, PeakSearch search,
                    double& stopPeak, double& passPeak);

// Whether a sampled peak stands beside the dense peak of the same band: attenuation within 0.2
// dB; ripple within 0.01 dB or 5 %, whichever is larger. Where it does not, the dense peak is the
// measurement.
bool AttenuationSeen(double sampled, double dense);
bool RippleSeen(double sampled, double dense);

}  // namespace ondela
