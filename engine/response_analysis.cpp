// Measurement of a symmetric coefficient set: -3 dB crossings, filter class, stop-band
// attenuation, pass-band ripple, edges and transition width from 1024 response samples.
#include "engine/response_analysis.h"

#include <algorithm>
#include <cmath>

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
constexpr double kNoClassAttenuation = 100000.0;

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

int AnalyseResponse(FilterSpec& s, const double* coefs, int count, int format) {
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

    if (crossingCount > 2) {
        s.attenuation = kNoClassAttenuation;
        s.ripple = 0.0;
        return kAnalysisPoints;
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

    double stopPeak = kNoStopBand;
    double passPeak = 0.0;
    double width = 0.0;
    switch (shape) {
        case Shape::LowPass:
            stopPeak = PeakOver(level, k1, kLastDetected, stopPeak);
            passPeak = AbsPeakOver(level, j1 / 8 + 1, j1 - j1 / 8, passPeak);
            width = widthAbove(j1, FirstUpToStopBand(level, j1, stopPeak));
            break;
        case Shape::HighPass: {
            const int m = (kLastDetected + 1 - j1) / 8;
            stopPeak = PeakOver(level, kLowestSearched, k1, stopPeak);
            passPeak = AbsPeakOver(level, j1 + m, kLastDetected - m, passPeak);
            width = widthBelow(j1, FirstDownToStopBand(level, j1, stopPeak));
            break;
        }
        case Shape::BandPass: {
            const int m = (j2 - j1) / 8;
            stopPeak = PeakOver(level, kLowestSearched, k1, stopPeak);
            stopPeak = PeakOver(level, k2, kLastDetected, stopPeak);
            passPeak = AbsPeakOver(level, j1 + m, j2 - m - 1, passPeak);
            const double lower = widthBelow(j1, FirstDownToStopBand(level, j1, stopPeak));
            const double upper = widthAbove(j2, FirstUpToStopBand(level, j2, stopPeak));
            width = (lower + upper) / 2.0;
            break;
        }
        case Shape::BandStop: {
            const int m = (kLastDetected + 1 - j2) / 8;
            stopPeak = PeakOver(level, k1, k2 - 1, stopPeak);
            passPeak = AbsPeakOver(level, j1 / 8 + 1, j1 - j1 / 8, passPeak);
            passPeak = AbsPeakOver(level, j2 + m, kLastDetected - m, passPeak);
            const double lower = widthAbove(j1, FirstUpToStopBand(level, j1, stopPeak));
            const double upper = widthBelow(j2, FirstDownToStopBand(level, j2, stopPeak));
            width = (lower + upper) / 2.0;
            break;
        }
    }

    const bool twoEdges = shape == Shape::BandPass || shape == Shape::BandStop;
    s.attenuation = -stopPeak;
    s.ripple = passPeak;
    s.f1 = freq(j1);
    s.f2 = twoEdges ? freq(j2) : 0.0;
    s.bandwidth = width;
    return crossingCount == 0 ? kAnalysisNoCrossing : kAnalysisPoints;
}

}  // namespace ondela
