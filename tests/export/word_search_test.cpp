// The word search against an oracle of its own: each word set's amplitude evaluated tap by tap
// on a dense grid (64 points per tap in every band), on equiripple filters of 35 to 125 taps at
// 8 to 22 bits, and on a long filter that takes the plain descent.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include "engine/design_engine.h"
#include "export/fixed_point.h"
#include "export/word_search.h"

namespace ondela {
namespace {

// max |weight (A(f) - desired)| of the words q / 2^F, A(f) = sum of h[n] cos(2 pi f (n - c)),
// over 64 points per tap in each band.
double OracleError(const std::vector<int32_t>& words, int fracBits,
                   const std::vector<WordBand>& bands) {
    const int n = static_cast<int>(words.size());
    const double centre = (n - 1) / 2.0;
    const double step = 0.5 / (64.0 * n);
    double worst = 0.0;
    for (const WordBand& band : bands) {
        const int intervals = static_cast<int>(std::ceil((band.upper - band.lower) / step));
        for (int i = 0; i <= intervals; ++i) {
            const double f = band.lower + (band.upper - band.lower) * i / intervals;
            double a = 0.0;
            for (int t = 0; t < n; ++t) {
                a += std::ldexp(words[t], -fracBits) *
                     std::cos(2.0 * std::numbers::pi * f * (t - centre));
            }
            worst = std::max(worst, std::abs(band.weight * (a - band.desired)));
        }
    }
    return worst;
}

struct Problem {
    const char* name;
    int taps;
    std::vector<WordBand> bands;
    int wordBits;
};

std::vector<double> Equiripple(const Problem& p) {
    std::vector<ExchangeBand> bands;
    for (const WordBand& b : p.bands) bands.push_back({b.lower, b.upper, b.desired, b.weight});
    DesignEngine engine;
    std::vector<double> coefs(kCoefArraySize, 0.0);
    const FixedLengthResult r = engine.DesignFixedLength(
        p.taps, bands.data(), static_cast<int>(bands.size()), 16, coefs.data());
    EXPECT_FALSE(DesignFailed(r.status)) << p.name;
    coefs.resize(p.taps);
    return coefs;
}

const std::vector<WordBand> kLowPass = {{0.0, 0.2, 1.0, 1.0}, {0.25, 0.5, 0.0, 1.0}};
const std::vector<WordBand> kNarrow = {{0.0, 0.1, 1.0, 1.0}, {0.125, 0.5, 0.0, 1.0}};
const std::vector<WordBand> kBandPass = {
    {0.0, 0.1, 0.0, 1.0}, {0.15, 0.3, 1.0, 1.0}, {0.35, 0.5, 0.0, 1.0}};
const std::vector<WordBand> kBandStop = {
    {0.0, 0.15, 1.0, 1.0}, {0.2, 0.3, 0.0, 10.0}, {0.35, 0.5, 1.0, 1.0}};

// Low passes of 35 and 45 taps with the pass band to 0.4 pi and the stop band from 0.5 pi, a
// narrow low pass of 125 taps, a band pass and a weighted band stop.
const std::vector<Problem> kProblems = {
    {"low pass 35 taps 8 bits", 35, kLowPass, 8},
    {"low pass 35 taps 10 bits", 35, kLowPass, 10},
    {"low pass 45 taps 10 bits", 45, kLowPass, 10},
    {"low pass 45 taps 12 bits", 45, kLowPass, 12},
    {"narrow low pass 125 taps 16 bits", 125, kNarrow, 16},
    {"narrow low pass 125 taps 22 bits", 125, kNarrow, 22},
    {"band pass 45 taps 9 bits", 45, kBandPass, 9},
    {"band stop 63 taps 12 bits", 63, kBandStop, 12},
};

TEST(WordSearch, NeverAboveRoundingAndBelowItOnMostProblems) {
    int better = 0;
    for (const Problem& p : kProblems) {
        const std::vector<double> taps = Equiripple(p);
        const int frac = LargestFracBits(taps, p.wordBits, Rounding::Nearest);
        const QuantisedCoefs rounded = Quantise(taps, {p.wordBits, frac, Rounding::Nearest});
        const WordSearchResult found = SearchWords(taps, p.bands, p.wordBits, frac);

        ASSERT_EQ(found.values.size(), taps.size()) << p.name;
        for (std::size_t i = 0; i < taps.size(); ++i) {
            EXPECT_EQ(found.values[i], found.values[taps.size() - 1 - i]) << p.name << " " << i;
            EXPECT_LE(found.values[i], WordMax(p.wordBits)) << p.name;
            EXPECT_GE(found.values[i], WordMin(p.wordBits)) << p.name;
        }
        const double roundedError = OracleError(rounded.values, frac, p.bands);
        const double foundError = OracleError(found.values, frac, p.bands);
        EXPECT_LE(foundError, roundedError) << p.name;
        // The error the search reports is that of its words, as the oracle measures it.
        EXPECT_NEAR(found.deviation, foundError, 1e-3 * foundError) << p.name;
        EXPECT_NEAR(found.roundedDeviation, roundedError, 1e-3 * roundedError) << p.name;
        if (foundError < 0.99 * roundedError) ++better;
    }
    EXPECT_GE(better, static_cast<int>(kProblems.size()) - 1);
}

// A filter beyond the lattice method's lengths: the descent from rounding's words, within its
// budget, still never above rounding.
TEST(WordSearch, LongFilterTakesTheDescentWithinItsBudget) {
    const Problem p{"long", kLatticeMaxTaps + 90, kNarrow, 14};
    const std::vector<double> taps = Equiripple(p);
    const int frac = LargestFracBits(taps, p.wordBits, Rounding::Nearest);
    const QuantisedCoefs rounded = Quantise(taps, {p.wordBits, frac, Rounding::Nearest});
    const WordSearchResult found = SearchWords(taps, p.bands, p.wordBits, frac, 3.0);
    EXPECT_NE(found.method, WordSearchMethod::Lattice);
    EXPECT_LE(OracleError(found.values, frac, p.bands), OracleError(rounded.values, frac, p.bands));
}

}  // namespace
}  // namespace ondela
