// The fixed-length exchange: equiripple results and refused requests.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

#include "engine/design_engine.h"

namespace ondela {
namespace {

// Zero-phase amplitude of a symmetric odd-length filter at f (fraction of fs).
double Amplitude(const std::vector<double>& h, double f) {
    const int c = static_cast<int>(h.size()) / 2;
    double a = h[c];
    for (int m = 1; m <= c; ++m) a += 2.0 * h[c - m] * std::cos(2.0 * std::numbers::pi * f * m);
    return a;
}

const ExchangeBand* BandOf(const std::vector<ExchangeBand>& bands, double f) {
    for (const ExchangeBand& b : bands) {
        if (f >= b.lower - 1e-12 && f <= b.upper + 1e-12) return &b;
    }
    return nullptr;
}

struct Case {
    const char* what;
    int taps;
    std::vector<ExchangeBand> bands;
    int density;
};

TEST(FixedLengthExchange, ErrorAlternatesWithEqualMagnitudeAtTheReference) {
    const Case cases[] = {
        {"low pass", 31, {{0.0, 0.2, 1.0, 1.0}, {0.25, 0.5, 0.0, 10.0}}, 16},
        {"band pass", 61, {{0.0, 0.1, 0.0, 5.0}, {0.15, 0.3, 1.0, 1.0}, {0.35, 0.5, 0.0, 5.0}}, 16},
        {"five bands",
         101,
         {{0.0, 0.05, 0.0, 1.0},
          {0.08, 0.15, 1.0, 1.0},
          {0.18, 0.25, 0.0, 3.0},
          {0.28, 0.35, 0.5, 1.0},
          {0.38, 0.5, 0.0, 2.0}},
         20},
        {"shortest", 3, {{0.0, 0.1, 1.0, 1.0}, {0.4, 0.5, 0.0, 1.0}}, 16},
        {"longer band stop",
         255,
         {{0.0, 0.2, 1.0, 1.0}, {0.21, 0.3, 0.0, 1.0}, {0.31, 0.5, 1.0, 1.0}},
         20},
        // Long filters, whose reference points crowd together near 0 and half the rate.
        {"2559-tap low pass", 2559, {{0.0, 0.208, 1.0, 1.0}, {0.2095, 0.5, 0.0, 30.0}}, 16},
        {"3071-tap band pass",
         3071,
         {{0.0, 0.166, 0.0, 30.0}, {0.167, 0.25, 1.0, 1.0}, {0.251, 0.5, 0.0, 30.0}},
         16},
        {"3583-tap high pass", 3583, {{0.0, 0.02, 0.0, 10.0}, {0.021, 0.5, 1.0, 1.0}}, 16},
        {"4095-tap low pass", 4095, {{0.0, 0.2078, 1.0, 1.0}, {0.2088, 0.5, 0.0, 100.0}}, 16},
    };
    DesignEngine engine;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<double> h(c.taps);
        const FixedLengthResult r = engine.DesignFixedLength(
            c.taps, c.bands.data(), static_cast<int>(c.bands.size()), c.density, h.data());
        EXPECT_EQ(r.status & NOT_OPTIMIZED, 0);
        ASSERT_GT(r.deviation, 0.0);
        for (int k = 0; k < c.taps / 2; ++k) ASSERT_EQ(h[k], h[c.taps - 1 - k]);

        std::vector<double> ref(kMaxDesignCoefs);
        const int count = engine.ExtremalFrequencies(ref.data());
        ASSERT_EQ(count, (c.taps + 1) / 2 + 1);
        double previousSign = 0.0;
        for (int i = 0; i < count; ++i) {
            const ExchangeBand* band = BandOf(c.bands, ref[i]);
            ASSERT_NE(band, nullptr) << "reference point " << ref[i] << " outside every band";
            const double error = band->weight * (Amplitude(h, ref[i]) - band->desired);
            EXPECT_NEAR(std::fabs(error), r.deviation, 1e-6 * r.deviation) << "point " << i;
            const double sign = error > 0.0 ? 1.0 : -1.0;
            if (i > 0) {
                EXPECT_EQ(sign, -previousSign) << "point " << i;
            }
            previousSign = sign;
        }
    }
}

// The engine keeps working storage from one exchange to the next (cached errors among it): an
// engine that has run other lengths and grids before gives exactly what a fresh engine gives.
TEST(FixedLengthExchange, EarlierExchangesLeaveNoTrace) {
    const Case cases[] = {
        {"low pass", 255, {{0.0, 0.1, 1.0, 1.0}, {0.12, 0.5, 0.0, 10.0}}, 20},
        {"band pass", 101, {{0.0, 0.2, 0.0, 3.0}, {0.25, 0.3, 1.0, 1.0}, {0.35, 0.5, 0.0, 3.0}}, 7},
        {"sparse grid", 63, {{0.0, 0.22, 1.0, 1.0}, {0.28, 0.5, 0.0, 1.0}}, 2},
    };
    struct Result {
        FixedLengthResult r;
        std::vector<double> h;
        std::vector<double> ref;
    };
    auto run = [](DesignEngine& engine, const Case& c) {
        Result out{{}, std::vector<double>(c.taps), std::vector<double>(kMaxDesignCoefs)};
        out.r = engine.DesignFixedLength(c.taps, c.bands.data(), static_cast<int>(c.bands.size()),
                                         c.density, out.h.data());
        out.ref.resize(engine.ExtremalFrequencies(out.ref.data()));
        return out;
    };
    DesignEngine shared;
    for (int round = 0; round < 2; ++round) {
        for (const Case& c : cases) {
            SCOPED_TRACE(::testing::Message() << c.what << ", round " << round);
            DesignEngine fresh;
            const Result expected = run(fresh, c);
            const Result got = run(shared, c);
            EXPECT_EQ(got.r.status, expected.r.status);
            EXPECT_EQ(got.r.deviation, expected.r.deviation);
            EXPECT_EQ(got.h, expected.h);
            EXPECT_EQ(got.ref, expected.ref);
        }
    }
}

TEST(FixedLengthExchange, RefusesUnusableRequests) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<ExchangeBand> good = {{0.0, 0.2, 1.0, 1.0}, {0.25, 0.5, 0.0, 1.0}};
    const Case cases[] = {
        {"even length", 32, good, 16},
        {"too short", 1, good, 16},
        {"too long", 4097, good, 16},
        {"density 0", 31, good, 0},
        {"density above 40", 31, good, 41},
        {"no bands", 31, {}, 16},
        {"nine bands", 31, std::vector<ExchangeBand>(9, {0.0, 0.01, 1.0, 1.0}), 16},
        {"bands not rising", 31, {{0.0, 0.3, 1.0, 1.0}, {0.25, 0.5, 0.0, 1.0}}, 16},
        {"band reversed", 31, {{0.2, 0.1, 1.0, 1.0}}, 16},
        {"beyond 0.5", 31, {{0.0, 0.2, 1.0, 1.0}, {0.25, 0.6, 0.0, 1.0}}, 16},
        {"zero weight", 31, {{0.0, 0.2, 1.0, 0.0}, {0.25, 0.5, 0.0, 1.0}}, 16},
        {"NaN desired", 31, {{0.0, 0.2, nan, 1.0}, {0.25, 0.5, 0.0, 1.0}}, 16},
    };
    DesignEngine engine;
    std::vector<double> h(kCoefArraySize);
    for (const Case& c : cases) {
        // A good design first, so that a refused one cannot pass off its reference set.
        engine.DesignFixedLength(31, good.data(), 2, 16, h.data());
        const FixedLengthResult r = engine.DesignFixedLength(
            c.taps, c.bands.data(), static_cast<int>(c.bands.size()), c.density, h.data());
        EXPECT_EQ(r.status, EDGES_INVALID) << c.what;
        EXPECT_EQ(engine.ExtremalFrequencies(h.data()), 0) << c.what;
    }
    // A grid too sparse to hold the reference set overflows rather than misbehaves.
    const std::vector<ExchangeBand> tiny = {{0.1, 0.1001, 1.0, 1.0}};
    EXPECT_EQ(engine.DesignFixedLength(101, tiny.data(), 1, 1, h.data()).status, GRID_OVERFLOW);
    EXPECT_EQ(engine.ExtremalFrequencies(h.data()), 0);
}

}  // namespace
}  // namespace ondela
