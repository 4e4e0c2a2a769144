// Measurement of a symmetric coefficient set: -3 dB crossings, filter class, edges and transition
// width from 1024 response samples; stop-band attenuation and pass-band ripple as the refined
// peaks of the dense response, over the designed bands where they are known.
#include "engine/response_analysis.h"

#include <algorithm>
#include <cmath>

#include "engine/dense_response.h"
#include "engine/response.h"

namespace ondela {

namespace {

constexpr int kMaxCrossings = 15;
constexpr double kOnLevel = -2.9;     // dB: the pass band starts at or above this level
constexpr double kOffLevel = -3.1;    // dB: the stop band starts below this level
constexpr double kFootSlope = -0.01;  // dB per sample: still descending into the stop band
constexpr int kLastDetected = 1021;   // last sample examined for crossings and peaks
constexpr int kFirstRecorded = 2;     // crossings at samples 0 and 1 only set the state
constexpr int kLowestSearched = 3;    // downward searches and low stop bands end here
constexpr double kNoStopBand = -100000.0;

// One dense response per thread, kept between analyses so that its buffers are allocated once.
DenseResponse& DenseAnalysis() {
    thread_local DenseResponse dense;
    return dense;
}

enum class Direction { Rising, Falling };

struct Crossing {
    Direction direction;
    int raw;      // first sample past the hysteresis threshold
    int refined;  // foot of the transition
};

enum class Shape { LowPass, HighPass, BandPass, BandStop };

// Walks from a crossing to the foot of its transition: as long as the level keeps falling by at
// least 0.01 dB per sample, away from the pass band.
int RefinedIndex(const double* level, const Crossing& c) {
    int k = c.raw;
    if (c.direction == Direction::Falling) {
        while (k < kAnalysisPoints - 1 && level[k + 1] - level[k] <= kFootSlope) ++k;
    } else {
        while (k > kFirstRecorded && level[k - 1] - level[k] <= kFootSlope) --k;
    }
    return k;
}

// Maximum of level over first..last inclusive, or of its absolute value; an empty range leaves
// peak unchanged.
double PeakOver(const double* level, int first, int last, double peak) {
    for (int k = std::max(first, 0); k <= std::min(last, kAnalysisPoints - 1); ++k) {
        peak = std::max(peak, level[k]);
    }
    return peak;
}
double AbsPeakOver(const double* level, int first, int last, double peak) {
    for (int k = std::max(first, 0); k <= std::min(last, kAnalysisPoints - 1); ++k) {
        peak = std::max(peak, std::fabs(level[k]));
    }
    return peak;
}

// First sample at or below the stop-band peak, searching upward from start (before 1022) or
// downward from start (down to 3); -1 when there is none.
int FirstUpToStopBand(const double* level, int start, double stopPeak) {
    for (int k = start; k <= kLastDetected; ++k) {
        if (level[k] <= stopPeak) return k;
    }
    return -1;
}
int FirstDownToStopBand(const double* level, int start, double stopPeak) {
    for (int k = start; k >= kLowestSearched; --k) {
        if (level[k] <= stopPeak) return k;
    }
    return -1;
}

}  // namespace

int AnalyseResponse(FilterSpec& s, const double* coefs, int count, int format,
                    const DesignBands* bands) {
    // Without a usable sampling frequency or format nothing can be measured; report a failed
    // analysis and leave the record as it was.
    if (!(s.fs > 0.0) || !std::isfinite(s.fs) || format < FLT64 || format > INT16) {
        return kAnalysisTooManyCrossings;
    }
    // An absent set is measured as the empty filter: its response is the floor everywhere.
    if (coefs == nullptr || count < 0) count = 0;

    const double fs = s.fs;
    auto freq = [fs](int j) { return static_cast<double>(j) / kAnalysisPoints * fs / 2.0; };
    // Width from an edge to the sample where the stop band is reached; 0 when it is not reached.
    auto widthAbove = [&freq](int edge, int reached) {
        return reached < 0 ? 0.0 : freq(reached) - freq(edge);
    };
    auto widthBelow = [&freq](int edge, int reached) {
        return reached < 0 ? 0.0 : freq(edge) - freq(reached);
    };

    double level[kAnalysisPoints];
    double x[kAnalysisPoints];
    for (int j = 0; j < kAnalysisPoints; ++j) x[j] = static_cast<double>(j) / kAnalysisPoints;
    MagnitudesAt(coefs, count, x, kAnalysisPoints, level, format);
    for (int j = 0; j < kAnalysisPoints; ++j) level[j] = 20.0 * std::log10(level[j]);

    Crossing crossings[kMaxCrossings] = {};
    int crossingCount = 0;
    bool inPassBand = false;
    for (int j = 0; j <= kLastDetected; ++j) {
        Direction direction;
        if (level[j] >= kOnLevel && !inPassBand) {
            inPassBand = true;
            direction = Direction::Rising;
        } else if (level[j] < kOffLevel && inPassBand) {
            inPassBand = false;
            direction = Direction::Falling;
        } else {
            continue;
        }
        if (j < kFirstRecorded) continue;
        if (crossingCount == kMaxCrossings) return kAnalysisTooManyCrossings;
        crossings[crossingCount++] = Crossing{direction, j, j};
    }

    DenseResponse& dense = DenseAnalysis();
    dense.Evaluate(coefs, count, format);
    // Coefficients that come with the bands they were designed for are measured over those
    // bands, from their edges, whatever the crossings suggest: a pass band too narrow for the
    // 1024 samples to separate, or a first stop-band ripple that the samples step over, is then
    // measured where it is.
    double designedStop = kNoStopBand;
    double designedPass = 0.0;
    const bool designed =
        bands != nullptr && bands->type != 0 &&
        PeaksOverBands(dense, *bands, PeakSearch::Refined, designedStop, designedPass);

    // Three or more crossings of the -3 dB level fit no filter class: no pass band or stop band
    // can be told apart, so nothing is measured but the bands a design was made for (the edges
    // are left as they were).
    if (crossingCount > 2) {
        s.attenuation = designed ? -designedStop : 0.0;
        s.ripple = designed ? designedPass : 0.0;
        return kAnalysisNoStopBand;
    }

    // No crossing at all is measured as a low pass whose edge lies at 0 Hz.
    if (crossingCount == 0) crossings[0] = Crossing{Direction::Falling, 0, 0};
    Crossing& first = crossings[0];
    first.refined = RefinedIndex(level, first);
    Shape shape = first.direction == Direction::Falling ? Shape::LowPass : Shape::HighPass;
    if (crossingCount == 2) {
        crossings[1].refined = RefinedIndex(level, crossings[1]);
        shape = first.direction == Direction::Rising ? Shape::BandPass : Shape::BandStop;
    }
    const int j1 = first.raw;
    const int k1 = first.refined;
    const int j2 = crossings[1].raw;  // used only by the two-crossing shapes
    const int k2 = crossings[1].refined;

    // Without designed bands each stop band is measured on the dense response from the true foot
    // of its transition, the first point past the crossing where the dense level stops falling:
    // the foot of the 1024 samples can lie a ripple or more further on, beyond the first (and
    // highest) ripple of the stop band. Whether there is a stop band at all is the samples' call.
    auto at = [](int j) { return static_cast<double>(j) / kAnalysisPoints; };
    constexpr double kTop = 1.0;  // half the sampling rate
    double stopPeak = kNoStopBand;
    bool stopFound = false;
    double denseStop = kNoStopBand;
    auto stopBand = [&](int first, int last, double lo, double hi) {
        if (first > last) return;
        stopFound = true;
        stopPeak = PeakOver(level, first, last, stopPeak);
        double peak;
        if (!designed && dense.RefinedPeakLevel(lo, hi, peak)) {
            denseStop = std::max(denseStop, peak);
        }
    };
    switch (shape) {
        case Shape::LowPass:
            stopBand(k1, kLastDetected, dense.FootAbove(at(j1)), kTop);
            break;
        case Shape::HighPass:
            stopBand(kLowestSearched, k1, 0.0, dense.FootBelow(at(j1)));
            break;
        case Shape::BandPass:
            stopBand(kLowestSearched, k1, 0.0, dense.FootBelow(at(j1)));
            stopBand(k2, kLastDetected, dense.FootAbove(at(j2)), kTop);
            break;
        case Shape::BandStop:
            stopBand(k1, k2 - 1, dense.FootAbove(at(j1)), dense.FootBelow(at(j2)));
            break;
    }
    if (designed) {
        stopPeak = designedStop;
    } else if (denseStop > kNoStopBand) {
        stopPeak = denseStop;
    }

    // Transition widths on each side, from the edge to the sample where the stop band is reached.
    double width = 0.0;
    double lowerWidth = 0.0;  // below the first edge (band pass: the stop band below it)
    double upperWidth = 0.0;
    switch (shape) {
        case Shape::LowPass:
            width = upperWidth = widthAbove(j1, FirstUpToStopBand(level, j1, stopPeak));
            break;
        case Shape::HighPass:
            width = lowerWidth = widthBelow(j1, FirstDownToStopBand(level, j1, stopPeak));
            break;
        case Shape::BandPass:
            lowerWidth = widthBelow(j1, FirstDownToStopBand(level, j1, stopPeak));
            upperWidth = widthAbove(j2, FirstUpToStopBand(level, j2, stopPeak));
            width = (lowerWidth + upperWidth) / 2.0;
            break;
        case Shape::BandStop:
            lowerWidth = widthAbove(j1, FirstUpToStopBand(level, j1, stopPeak));
            upperWidth = widthBelow(j2, FirstDownToStopBand(level, j2, stopPeak));
            width = (lowerWidth + upperWidth) / 2.0;
            break;
    }

    // Without designed bands the pass bands leave out an eighth next to each end. On the dense
    // response a pass band also stays clear of its transitions: it ends before its -3 dB sample,
    // one transition width (as measured above) before its edge, and at its shoulder, the top of
    // its last ripple before the transition, so that it is never measured on the slope of its
    // own transition. A pass band too narrow for all of that is measured between its shoulders
    // (lowest and highest, 0 and 1 where the band reaches an end of the axis).
    const double nyquist = fs / 2.0;
    double passPeak = 0.0;
    double densePass = 0.0;
    bool densePassFound = false;
    auto passBand = [&](int first, int last, double lo, double hi, double lowest, double highest) {
        passPeak = AbsPeakOver(level, first, last, passPeak);
        if (designed) return;
        lo = std::max(lo, lowest);
        hi = std::min(hi, highest);
        if (lo > hi && crossingCount > 0) {
            lo = lowest;
            hi = highest;
        }
        double peak;
        if (dense.RefinedPeakAbsLevel(lo, hi, peak)) {
            densePass = std::max(densePass, peak);
            densePassFound = true;
        }
    };
    switch (shape) {
        case Shape::LowPass:
            passBand(j1 / 8 + 1, j1 - j1 / 8, at(j1 / 8 + 1),
                     std::min({at(j1 - j1 / 8), at(j1 - 1), at(j1) - upperWidth / nyquist}), 0.0,
                     dense.ShoulderBelow(at(j1)));
            break;
        case Shape::HighPass: {
            const int m = (kLastDetected + 1 - j1) / 8;
            passBand(j1 + m, kLastDetected - m,
                     std::max({at(j1 + m), at(j1 + 1), at(j1) + lowerWidth / nyquist}),
                     at(kLastDetected - m), dense.ShoulderAbove(at(j1)), kTop);
            break;
        }
        case Shape::BandPass: {
            const int m = (j2 - j1) / 8;
            passBand(j1 + m, j2 - m - 1,
                     std::max({at(j1 + m), at(j1 + 1), at(j1) + lowerWidth / nyquist}),
                     std::min({at(j2 - m - 1), at(j2 - 1), at(j2) - upperWidth / nyquist}),
                     dense.ShoulderAbove(at(j1)), dense.ShoulderBelow(at(j2)));
            break;
        }
        case Shape::BandStop: {
            const int m = (kLastDetected + 1 - j2) / 8;
            passBand(j1 / 8 + 1, j1 - j1 / 8, at(j1 / 8 + 1),
                     std::min({at(j1 - j1 / 8), at(j1 - 1), at(j1) - lowerWidth / nyquist}), 0.0,
                     dense.ShoulderBelow(at(j1)));
            passBand(j2 + m, kLastDetected - m,
                     std::max({at(j2 + m), at(j2 + 1), at(j2) + upperWidth / nyquist}),
                     at(kLastDetected - m), dense.ShoulderAbove(at(j2)), kTop);
            break;
        }
    }
    if (designed) {
        passPeak = designedPass;
    } else if (densePassFound) {
        passPeak = densePass;
    }

    const bool twoEdges = shape == Shape::BandPass || shape == Shape::BandStop;
    s.f1 = freq(j1);
    s.f2 = twoEdges ? freq(j2) : 0.0;
    s.bandwidth = width;
    s.ripple = passPeak;
    if (!stopFound) {
        // The response is still falling (or rising) into the last sample: there is no stop band
        // of its own, and nothing is attenuated that the analysis could vouch for but what the
        // designed stop band holds.
        s.attenuation = designed ? -designedStop : 0.0;
        return kAnalysisNoStopBand;
    }
    s.attenuation = -stopPeak;
    return crossingCount == 0 ? kAnalysisNoCrossing : kAnalysisPoints;
}

}  // namespace ondela
