#include "engine/response_analysis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstring>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

#include "engine/design_engine.h"
#include "tests/engine/test_filters.h"
#include "tests/workspace/true_levels.h"

namespace ondela {
namespace {

using testing::Db;
using testing::DftMagnitude;
using testing::Inverted;
using testing::WindowedSincBandPass;
using testing::WindowedSincLowPass;

constexpr double kFs = 48000.0;

// A record whose every field is recognisable, to see which ones the analysis writes.
FilterSpec Sentinel(double fs) {
    FilterSpec s;
    s.fs = fs;
    s.attenuation = -11.0;
    s.ripple = -12.0;
    s.f1 = -13.0;
    s.f2 = -14.0;
    s.bandwidth = -15.0;
    s.type = BandStop;
    s.maxCoefs = 77;
    s.numCoefs = 78;
    return s;
}

// Field by field, doubles bit for bit so that a NaN rate compares equal to itself.
bool SameRecord(const FilterSpec& a, const FilterSpec& b) {
    auto same = [](double x, double y) { return std::memcmp(&x, &y, sizeof(double)) == 0; };
    return same(a.fs, b.fs) && same(a.attenuation, b.attenuation) && same(a.ripple, b.ripple) &&
           same(a.f1, b.f1) && same(a.f2, b.f2) && same(a.bandwidth, b.bandwidth) &&
           a.type == b.type && a.maxCoefs == b.maxCoefs && a.numCoefs == b.numCoefs;
}

void ExpectOnlyResultFieldsWritten(const FilterSpec& s, double fs) {
    const FilterSpec before = Sentinel(fs);
    EXPECT_EQ(s.fs, before.fs);
    EXPECT_EQ(s.type, before.type);
    EXPECT_EQ(s.maxCoefs, before.maxCoefs);
    EXPECT_EQ(s.numCoefs, before.numCoefs);
}

// First of the 1024 analysis samples at or after `from` whose level, summed directly, passes
// the given threshold: at or above -2.9 dB when rising, below -3.1 dB when falling.
int FirstSample(const std::vector<double>& h, int from, bool rising) {
    for (int j = from; j < 1024; ++j) {
        const double level = Db(DftMagnitude(h, j, 2048));
        if (rising ? level >= -2.9 : level < -3.1) return j;
    }
    return -1;
}

double SampleFrequency(int j, double fs) {
    return j / 1024.0 * fs / 2.0;
}

TEST(AnalyseResponse, MeasuresTheFourShapes) {
    struct Case {
        std::string name;
        std::vector<double> h;
        bool risesFirst;  // the first recorded crossing enters the pass band
        bool twoEdges;
    };
    const Case cases[] = {
        {"low pass", WindowedSincLowPass(101, 0.125), false, false},
        {"high pass", Inverted(WindowedSincLowPass(101, 0.25)), true, false},
        {"band pass", WindowedSincBandPass(101, 0.1, 0.25), true, true},
        {"band stop", Inverted(WindowedSincBandPass(101, 0.1, 0.25)), false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FilterSpec s = Sentinel(kFs);
        ASSERT_EQ(AnalyseResponse(s, c.h.data(), static_cast<int>(c.h.size()), FLT64), 1024);

        // Edges are the raw samples past the hysteresis thresholds, found here by direct DFT.
        const int j1 = FirstSample(c.h, 2, c.risesFirst);
        EXPECT_EQ(s.f1, SampleFrequency(j1, kFs));
        if (c.twoEdges) {
            EXPECT_EQ(s.f2, SampleFrequency(FirstSample(c.h, j1 + 1, !c.risesFirst), kFs));
        } else {
            EXPECT_EQ(s.f2, 0.0);
        }
        // A Blackman window holds its side lobes near -75 dB; the pass band is nearly flat and
        // the -3 dB edge lies about 1.6 kHz from the stop-band peak for 101 taps at 48 kHz.
        EXPECT_GT(s.attenuation, 70.0);
        EXPECT_LT(s.attenuation, 80.0);
        EXPECT_GE(s.ripple, 0.0);
        EXPECT_LT(s.ripple, 0.5);
        EXPECT_GT(s.bandwidth, 1000.0);
        EXPECT_LT(s.bandwidth, 2500.0);
        ExpectOnlyResultFieldsWritten(s, kFs);
    }
}

// Kaiser-windowed low pass reaching about 118 dB in double precision.
std::vector<double> KaiserLowPass(int n, double cutoff, double beta) {
    const double pi = std::numbers::pi;
    std::vector<double> h(n);
    double sum = 0.0;
    for (int i = 0; i < n; ++i) {
        const int t = i - n / 2;
        const double ideal = t == 0 ? 2.0 * cutoff : std::sin(2.0 * pi * cutoff * t) / (pi * t);
        const double r = 2.0 * i / (n - 1) - 1.0;
        const double window =
            std::cyl_bessel_i(0.0, beta * std::sqrt(1.0 - r * r)) / std::cyl_bessel_i(0.0, beta);
        h[i] = ideal * window;
        sum += h[i];
    }
    for (double& v : h) v /= sum;
    return h;
}

// The highest stop-band level of h by a plain DFT at 256 frequencies per ripple (2 / n of the
// Nyquist frequency): from each -3 dB crossing, away from the pass band, the response falls to its
// first minimum; the stop band lies between those minima.
double StopBandPeakByDft(const std::vector<double>& h) {
    const int points = 128 * static_cast<int>(h.size());
    std::vector<double> level(points + 1);
    for (int k = 0; k <= points; ++k) {
        const std::complex<double> step = std::polar(1.0, -std::numbers::pi * k / points);
        std::complex<double> phasor = 1.0;
        std::complex<double> sum = 0.0;
        for (const double v : h) {
            sum += v * phasor;
            phasor *= step;
        }
        level[k] = Db(std::abs(sum));
    }
    // Each stretch below -3 dB, from the foot of the transition into it to the foot of the
    // transition out of it (the ends of the axis where it has none).
    double peak = -1000.0;
    for (int k = 0; k <= points;) {
        if (level[k] >= -3.0) {
            ++k;
            continue;
        }
        int first = k;
        if (k > 0) {
            while (first < points && level[first + 1] < level[first]) ++first;
        }
        int end = k;
        while (end < points && level[end + 1] < -3.0) ++end;
        int last = end;
        if (end < points) {
            while (last > 0 && level[last - 1] < level[last]) --last;
        }
        for (int m = first; m <= last; ++m) peak = std::max(peak, level[m]);
        k = end + 1;
    }
    return peak;
}

// Coefficients without the bands they were designed for: each stop band is measured from the
// true foot of its transition, where the first ripple of the stop band begins, and between the
// dense samples (the foot of the 1024 samples may lie beyond that ripple); each pass band ends at
// the top of its last ripple, however narrow the band (never on its transition's slope), so that
// an equiripple design measures as over the bands it was designed for.
TEST(AnalyseResponse, WithoutDesignedBandsEachBandIsMeasuredBetweenItsTransitions) {
    struct Case {
        const char* what;
        FilterSpec spec;
    };
    auto spec = [](FilterType type, double fs, double f1, double f2, double att, double ripple,
                   int maxCoefs) {
        FilterSpec s;
        s.type = type;
        s.fs = fs;
        s.f1 = f1;
        s.f2 = f2;
        s.attenuation = att;
        s.ripple = ripple;
        s.maxCoefs = maxCoefs;
        return s;
    };
    const Case cases[] = {
        {"band stop, 120 dB in 441 taps", spec(BandStop, 323.056, 144.733, 153.1, 120, 0.431, 441)},
        {"band stop, first pass band 0.07 Hz wide",
         spec(BandStop, 23.1, 0.0059, 3.93, 24.572, 0.00455, 199)},
        {"high pass, 60 dB", spec(HighPass, kFs, 12000, 0, 60, 0.1, 255)},
    };
    DesignEngine engine;
    HalfBandCorrection halfBand;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const DesignResult d = engine.DesignFilter(c.spec, halfBand);
        ASSERT_FALSE(DesignFailed(d.status));
        const std::vector<double>& h = d.taps;
        FilterSpec measured = Sentinel(c.spec.fs);
        ASSERT_GT(AnalyseResponse(measured, h.data(), d.achieved.numCoefs, FLT64), 0);
        EXPECT_NEAR(measured.attenuation, -StopBandPeakByDft(h), 0.01);
        EXPECT_NEAR(measured.ripple, testing::FineMeasure(h, d.bands).ripple, 0.01);
    }
}

TEST(AnalyseResponse, MeasuresTheQuantisedFilter) {
    const std::vector<double> h = KaiserLowPass(101, 0.125, 12.0);
    double attenuation[4];
    for (int format : {FLT64, FLT32, INT32, INT16}) {
        FilterSpec s = Sentinel(kFs);
        ASSERT_EQ(AnalyseResponse(s, h.data(), 101, format), 1024) << format;
        attenuation[format] = s.attenuation;
    }
    EXPECT_GT(attenuation[FLT64], 110.0);
    EXPECT_NEAR(attenuation[FLT32], attenuation[FLT64], 1.0);
    EXPECT_NEAR(attenuation[INT32], attenuation[FLT64], 1.0);
    EXPECT_LT(attenuation[INT16], 90.0);  // 16-bit truncation noise fills the stop band
}

// Taps b, 0, a, 0, b: |H| = a + 2b*cos(2w), 0 dB at 0 Hz with one dip to minDb at fs/4.
std::vector<double> SingleDip(double minDb) {
    const double low = std::pow(10.0, minDb / 20.0);
    const double a = (1.0 + low) / 2.0;
    const double b = (1.0 - low) / 4.0;
    return {b, 0.0, a, 0.0, b};
}

TEST(AnalyseResponse, HysteresisIgnoresDipsThatStayAboveMinus3Point1) {
    for (double minDb : {-3.0, -3.05}) {
        SCOPED_TRACE(minDb);
        const std::vector<double> h = SingleDip(minDb);
        FilterSpec s = Sentinel(1000.0);
        EXPECT_EQ(AnalyseResponse(s, h.data(), 5, FLT64), kAnalysisNoCrossing);
    }
    // A dip to -3.2 dB falls and rises again: a band stop centred on fs/4.
    const std::vector<double> h = SingleDip(-3.2);
    FilterSpec s = Sentinel(1000.0);
    ASSERT_EQ(AnalyseResponse(s, h.data(), 5, FLT64), 1024);
    const int j1 = FirstSample(h, 2, false);
    EXPECT_EQ(s.f1, SampleFrequency(j1, 1000.0));
    EXPECT_EQ(s.f2, SampleFrequency(FirstSample(h, j1 + 1, true), 1000.0));
    EXPECT_LT(s.f1, 250.0);
    EXPECT_GT(s.f2, 250.0);
}

// Taps 0.5, 0 ... 0, 0.5 over a span of d: |H| = |cos(w*d/2)|, with d/2 notches below Nyquist
// and so d crossings of -3 dB.
TEST(AnalyseResponse, CrossingCountBeyondTwo) {
    struct Case {
        int span;
        int result;
    };
    const Case cases[] = {{14, kAnalysisNoStopBand},
                          {16, kAnalysisTooManyCrossings},
                          {30, kAnalysisTooManyCrossings}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.span);
        std::vector<double> h(c.span + 1, 0.0);
        h.front() = h.back() = 0.5;
        FilterSpec s = Sentinel(kFs);
        ASSERT_EQ(AnalyseResponse(s, h.data(), c.span + 1, FLT64), c.result);
        if (c.result == kAnalysisTooManyCrossings) {
            EXPECT_TRUE(SameRecord(s, Sentinel(kFs)));
            continue;
        }
        // No class: no stop band is measured, and no attenuation is claimed for it; edges and
        // width stay as they were.
        EXPECT_EQ(s.attenuation, 0.0);
        EXPECT_EQ(s.ripple, 0.0);
        EXPECT_EQ(s.f1, -13.0);
        EXPECT_EQ(s.f2, -14.0);
        EXPECT_EQ(s.bandwidth, -15.0);
        ExpectOnlyResultFieldsWritten(s, kFs);
    }
}

TEST(AnalyseResponse, EmptyResponseIsALowPassFailedAtZeroHertz) {
    const std::vector<double> zeros(31, 0.0);
    struct Case {
        const char* name;
        const double* coefs;
        int count;
    };
    const Case cases[] = {{"all zero", zeros.data(), 31},
                          {"no coefficients", zeros.data(), 0},
                          {"null set", nullptr, 31}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FilterSpec s = Sentinel(kFs);
        ASSERT_EQ(AnalyseResponse(s, c.coefs, c.count, FLT64), kAnalysisNoCrossing);
        EXPECT_EQ(s.attenuation, 240.0);  // the magnitude floor, 1e-12
        EXPECT_EQ(s.ripple, 0.0);
        EXPECT_EQ(s.f1, 0.0);
        EXPECT_EQ(s.f2, 0.0);
        EXPECT_EQ(s.bandwidth, 0.0);
        ExpectOnlyResultFieldsWritten(s, kFs);
    }
}

TEST(AnalyseResponse, UnusableRateOrFormatFailsAndLeavesRecordAlone) {
    const std::vector<double> h = WindowedSincLowPass(51, 0.125);
    struct Case {
        double fs;
        int format;
    };
    const Case cases[] = {{0.0, FLT64},
                          {-48000.0, FLT64},
                          {std::numeric_limits<double>::quiet_NaN(), FLT64},
                          {std::numeric_limits<double>::infinity(), FLT64},
                          {kFs, 4},
                          {kFs, -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "fs " << c.fs << " format " << c.format);
        FilterSpec s = Sentinel(c.fs);
        EXPECT_EQ(AnalyseResponse(s, h.data(), 51, c.format), kAnalysisTooManyCrossings);
        EXPECT_TRUE(SameRecord(s, Sentinel(c.fs)));
    }
}

}  // namespace
}  // namespace ondela
