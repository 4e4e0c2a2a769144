// Designs of every filter type through DesignFilter: status words, record fixes, the course of
// the iteration, half-band results and the response output.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "engine/design_engine.h"
#include "engine/response.h"
#include "test_filters.h"
#include "tests/support/named_spec.h"
#include "tests/workspace/true_levels.h"

namespace ondela {
namespace {

using testing::Spec;

class DesignFilterTest : public ::testing::Test {
  protected:
    // A design with the half-band memory of this test's earlier designs.
    DesignResult Design(const FilterSpec& spec) { return engine.DesignFilter(spec, halfBand); }

    DesignEngine engine;
    HalfBandCorrection halfBand;
};

// A design of each type meets its targets within the engine's tolerances and is symmetric.
TEST_F(DesignFilterTest, EveryTypeMeetsItsTargets) {
    const FilterSpec cases[] = {
        Spec{},
        Spec{.type = HighPass},
        Spec{.type = BandPass, .f1 = 8000, .f2 = 16000},
        Spec{.type = BandStop, .f1 = 8000, .f2 = 16000},
        Spec{.type = HalfBand, .f1 = 12000},
    };
    for (const FilterSpec& request : cases) {
        SCOPED_TRACE(::testing::Message() << "type " << request.type);
        const DesignResult d = Design(request);
        EXPECT_EQ(d.status, 0);
        const int n = d.achieved.numCoefs;
        ASSERT_GE(n, 3);
        ASSERT_LE(n, request.maxCoefs);
        EXPECT_EQ(n % 2, 1);
        ASSERT_EQ(d.taps.size(), static_cast<std::size_t>(n));
        for (int k = 0; k < n / 2; ++k) ASSERT_EQ(d.taps[k], d.taps[n - 1 - k]);
        EXPECT_GE(d.achieved.attenuation, request.attenuation - 1.0);
        if (request.type != HalfBand) {
            EXPECT_LE(d.achieved.ripple, request.ripple * 1.1);
        }
        EXPECT_NEAR(d.achieved.f1, request.f1, 600.0);
        if (HasTwoEdges(request.type)) {
            EXPECT_NEAR(d.achieved.f2, request.f2, 600.0);
        }
        EXPECT_GT(d.achieved.bandwidth, 0.0);
        EXPECT_EQ(d.response.size(), 1025u);
        EXPECT_EQ(d.bands.type, request.type);
    }
}

TEST_F(DesignFilterTest, EarlyStatusWords) {
    struct Case {
        const char* what;
        FilterSpec spec;
        int status;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const Case cases[] = {
        {"f1 negative", Spec{.f1 = -1}, EDGES_INVALID},
        {"f1 above fs/2", Spec{.f1 = 24001}, EDGES_INVALID},
        {"band f1 above f2", Spec{.type = BandPass, .f1 = 9000, .f2 = 8000}, EDGES_INVALID},
        {"band f2 above fs/2", Spec{.type = BandStop, .f1 = 8000, .f2 = 24001}, EDGES_INVALID},
        {"fs 0 checks edges against 0.5", Spec{.f1 = 0.6, .fs = 0.0}, EDGES_INVALID},
        {"type 0", Spec{.type = static_cast<FilterType>(0)}, TYPE_INVALID},
        {"type 7", Spec{.type = static_cast<FilterType>(7)}, TYPE_INVALID},
        {"half band limit 1", Spec{.type = HalfBand, .f1 = 12000, .maxCoefs = 1}, NOT_POSSIBLE},
        {"half band limit 5", Spec{.type = HalfBand, .f1 = 12000, .maxCoefs = 5}, NOT_POSSIBLE},
        {"half band limit -7", Spec{.type = HalfBand, .f1 = 12000, .maxCoefs = -7}, NOT_POSSIBLE},
        {"NaN fs", Spec{.fs = nan}, EDGES_INVALID},
        {"infinite fs", Spec{.fs = inf}, EDGES_INVALID},
        {"NaN f1", Spec{.f1 = nan}, EDGES_INVALID},
        {"NaN f2", Spec{.type = BandPass, .f1 = 1000, .f2 = nan}, EDGES_INVALID},
        {"NaN attenuation", Spec{.attenuation = nan}, EDGES_INVALID},
        {"infinite ripple", Spec{.ripple = inf}, EDGES_INVALID},
    };
    for (const Case& c : cases) {
        const DesignResult d = Design(c.spec);
        EXPECT_EQ(d.status, c.status) << c.what;
        EXPECT_TRUE(DesignFailed(d.status)) << c.what;
        EXPECT_TRUE(d.taps.empty()) << c.what;
        EXPECT_TRUE(d.response.empty()) << c.what;
        EXPECT_EQ(d.bands.type, 0) << c.what;
    }
}

// The conditioning's changes stay in the achieved record; a type the designer refuses shows them.
TEST_F(DesignFilterTest, RecordFixes) {
    struct Case {
        FilterType type;
        double att, ripple;
        int maxCoefs;
        double wantAtt, wantRipple;
        int wantMax;
    };
    const auto bad = static_cast<FilterType>(9);
    const Case cases[] = {
        {bad, -60, 0.4, 127, 60, 0.4, 127},      // attenuation sign
        {bad, 60, -0.5, 400, 60, 0.5, 400},      // ripple sign
        {bad, 60, 3.0, 400, 60, 2.0, 400},       // ripple above 2
        {bad, 60, 0.0001, 400, 60, 0.001, 400},  // ripple below 0.001
        {bad, 60, 0.2, 140, 60, 0.3, 140},       // short filters get at least 0.3 dB
        {bad, 60, 0.2, 141, 60, 0.2, 141},
        {bad, 60, 0.4, 4096, 60, 0.4, 4096},  // N becomes 4095, the record keeps 4096
        {bad, 60, 0.4, 4097, 60, 0.4, 4095},
        {bad, 60, 0.4, std::numeric_limits<int32_t>::max(), 60, 0.4, 4095},
        {HalfBand, 80, 0.4, 5, 80, 0.01, 5},  // any half-band ripple becomes 0.01
    };
    for (const Case& c : cases) {
        FilterSpec request =
            Spec{.type = c.type, .attenuation = c.att, .ripple = c.ripple, .maxCoefs = c.maxCoefs};
        request.bandwidth = 123.0;
        const FilterSpec s = Design(request).achieved;
        SCOPED_TRACE(::testing::Message()
                     << "att " << c.att << " ripple " << c.ripple << " max " << c.maxCoefs);
        EXPECT_DOUBLE_EQ(s.attenuation, c.wantAtt);
        EXPECT_DOUBLE_EQ(s.ripple, c.wantRipple);
        EXPECT_EQ(s.maxCoefs, c.wantMax);
        EXPECT_EQ(s.bandwidth, 0.0);
    }
}

// The half-band length limit drops to the next length of 3 modulo 4, and the internal target
// is twice the attenuation less 60 dB.
TEST_F(DesignFilterTest, HalfBandLengthAndInternalTarget) {
    struct Case {
        int maxCoefs;
        double att;
        int n;
        double target;
    };
    const Case cases[] = {
        {4, 40, 3, 20},   {8, 60, 7, 60},      {9, 60, 7, 60},
        {13, 60, 11, 60}, {127, 80, 127, 100}, {129, 60, 127, 60},
    };
    for (const Case& c : cases) {
        Design(Spec{.type = HalfBand,
                    .f1 = 12000,
                    .attenuation = c.att,
                    .ripple = 0.1,
                    .maxCoefs = c.maxCoefs});
        const DesignTrace& t = engine.LastTrace();
        ASSERT_GE(t.passes, 1) << "maxCoefs " << c.maxCoefs;
        EXPECT_EQ(t.pass[0].n, c.n) << "maxCoefs " << c.maxCoefs;
        EXPECT_EQ(t.pass[0].target, c.target) << "maxCoefs " << c.maxCoefs;
    }
}

TEST_F(DesignFilterTest, HalfBandTaps) {
    const DesignResult d = Design(
        Spec{.type = HalfBand, .f1 = 12000, .attenuation = 70, .ripple = 0.1, .maxCoefs = 63});
    const int n = d.achieved.numCoefs;
    ASSERT_EQ(n % 4, 3);
    ASSERT_EQ(d.taps.size(), static_cast<std::size_t>(n));
    const int centre = n / 2;
    EXPECT_EQ(d.taps[centre], 0.5);
    double sum = 0.0;
    for (int k = 0; k < n; ++k) {
        sum += d.taps[k];
        const int distance = std::abs(k - centre);
        if (distance != 0 && distance % 2 == 0) {
            EXPECT_EQ(d.taps[k], 0.0) << "tap " << k;
        }
        if (distance % 2 == 1) {
            EXPECT_NE(d.taps[k], 0.0) << "tap " << k;
        }
    }
    EXPECT_NEAR(sum, 1.0, 1e-12);
}

// The record and the status word of a design report what it achieves over the bands it was
// designed for, however narrow a band is or wherever the samples of its response fall.
TEST_F(DesignFilterTest, AchievedValuesAndVerdictHoldOverTheDesignedBands) {
    // clang-format off
    const FilterSpec cases[] = {
        Spec{.type = BandStop, .f1 = 144.733, .f2 = 153.1, .attenuation = 120, .ripple = 0.431, .maxCoefs = 441, .fs = 323.056},
        Spec{.type = BandStop, .f1 = 0.0059, .f2 = 3.93, .attenuation = 24.572, .ripple = 0.00455, .maxCoefs = 199, .fs = 23.1},
    };
    // clang-format on
    for (const FilterSpec& entered : cases) {
        SCOPED_TRACE(entered.fs);
        const DesignResult d = Design(entered);
        ASSERT_EQ(d.status & ~SPEC_NOT_MET, 0);
        const testing::Truth truth = testing::FineMeasure(d.taps, d.bands);
        EXPECT_NEAR(d.achieved.attenuation, truth.attenuation, 0.01);
        EXPECT_NEAR(d.achieved.ripple, truth.ripple, 0.01);
        const bool trulyMet =
            truth.attenuation >= entered.attenuation - 1.0 && truth.ripple <= 1.1 * entered.ripple;
        EXPECT_EQ(d.status, trulyMet ? 0 : SPEC_NOT_MET);
    }
}

// DesignAtLength: the bands of the last design at another length of the type, refused without a
// design or at a length the type cannot have; a half band stays a half band.
TEST_F(DesignFilterTest, DesignAtLengthRedesignsTheLastBands) {
    const DesignResult none = engine.DesignAtLength(67);
    EXPECT_EQ(none.status, NOT_POSSIBLE);
    EXPECT_TRUE(none.taps.empty());
    const DesignResult first = Design(
        Spec{.type = HalfBand, .f1 = 12000, .attenuation = 70, .ripple = 0.1, .maxCoefs = 63});
    ASSERT_EQ(first.bands.type, HalfBand);
    for (const int n : {2, 65, 69, 4099}) {
        const DesignResult refused = engine.DesignAtLength(n);
        EXPECT_EQ(refused.status, NOT_POSSIBLE) << n;
        EXPECT_TRUE(refused.taps.empty()) << n;
        // The bands in effect stay those of the design before.
        for (int i = 0; i < 4; ++i) EXPECT_EQ(refused.bands.edge[i], first.bands.edge[i]) << n;
    }
    const DesignResult d = engine.DesignAtLength(67);
    ASSERT_EQ(d.status & ~SPEC_NOT_MET, 0);
    EXPECT_EQ(d.achieved.numCoefs, 67);
    ASSERT_EQ(d.taps.size(), 67u);
    EXPECT_FALSE(d.response.empty());
    for (int i = 0; i < 4; ++i) EXPECT_EQ(d.bands.edge[i], first.bands.edge[i]);
    const int centre = 33;
    EXPECT_EQ(d.taps[centre], 0.5);
    for (int k = 0; k < 67; ++k) {
        const int distance = std::abs(k - centre);
        if (distance != 0 && distance % 2 == 0) {
            EXPECT_EQ(d.taps[k], 0.0) << "tap " << k;
        }
        EXPECT_EQ(d.taps[k], d.taps[66 - k]) << "tap " << k;
    }
}

TEST_F(DesignFilterTest, ShortLowPassIsAcceptedAfterOneMeasuredPass) {
    const DesignResult d = Design(Spec{.attenuation = 40, .ripple = 0.5, .maxCoefs = 63});
    EXPECT_EQ(d.status, 0);
    const DesignTrace& t = engine.LastTrace();
    ASSERT_EQ(t.passes, 1);
    EXPECT_TRUE(t.pass[0].measured);
    EXPECT_EQ(t.pass[0].n, 63);
}

TEST_F(DesignFilterTest, LongerFiltersAreAlignedOnceThenMeasured) {
    Design(Spec{});
    const DesignTrace& t = engine.LastTrace();
    ASSERT_GE(t.passes, 2);
    EXPECT_FALSE(t.pass[0].measured);
    for (int i = 1; i < t.passes; ++i) EXPECT_TRUE(t.pass[i].measured);
}

TEST_F(DesignFilterTest, WidthGrowsWhenTheLengthLimitIsReached) {
    // 40 dB is out of reach with 21 taps at the first width: the width grows by 1.2.
    Design(Spec{.attenuation = 40, .ripple = 0.1, .maxCoefs = 21});
    const DesignTrace& t = engine.LastTrace();
    ASSERT_GE(t.passes, 2);
    EXPECT_EQ(t.pass[0].n, 21);
    EXPECT_LT(t.pass[0].attenuation, 39.0);
    EXPECT_EQ(t.pass[1].n, 21);
    EXPECT_DOUBLE_EQ(t.pass[1].halfWidth, 1.2 * t.pass[0].halfWidth);
}

TEST_F(DesignFilterTest, FallbackRebuildsThePreviousDesign) {
    const DesignResult d = Design(Spec{.attenuation = 40, .ripple = 1.0});
    const DesignTrace& t = engine.LastTrace();
    ASSERT_GE(t.passes, 3);
    const DesignPassRecord& last = t.pass[t.passes - 1];
    const DesignPassRecord& narrowed = t.pass[t.passes - 2];
    const DesignPassRecord& before = t.pass[t.passes - 3];
    EXPECT_LT(narrowed.halfWidth, before.halfWidth);  // narrowing missed the ripple target
    EXPECT_GT(narrowed.ripple, 1.1);
    EXPECT_EQ(last.n, before.n);
    EXPECT_EQ(last.halfWidth, before.halfWidth);
    EXPECT_EQ(d.achieved.numCoefs, before.n);
    EXPECT_EQ(d.status, 0);
}

TEST_F(DesignFilterTest, ImpossibleLengthEstimateTwiceIsNotPossible) {
    const DesignResult d = Design(Spec{.f1 = 3000, .ripple = 0.1, .maxCoefs = 21});
    EXPECT_EQ(d.status, NOT_POSSIBLE);
    EXPECT_EQ(engine.LastTrace().passes, 0);
    EXPECT_EQ(engine.LastTrace().restarts, 1);
    EXPECT_TRUE(d.response.empty());
}

// Each half-band restart raises the internal target by 0.8 of the (at most 30 dB) shortfall,
// and the correction never grows within a call or from one call to the next with the same
// memory; the memory is the caller's value, which alone carries it.
TEST_F(DesignFilterTest, HalfBandTargetCorrection) {
    HalfBandCorrection memory;
    engine.DesignFilter(
        Spec{.type = HalfBand, .f1 = 12000, .attenuation = 100, .ripple = 0.1, .maxCoefs = 63},
        memory);
    const DesignTrace& t = engine.LastTrace();
    ASSERT_GE(t.passes, 2);
    EXPECT_EQ(t.restarts, t.passes - 1);
    EXPECT_DOUBLE_EQ(t.pass[0].target, 140.0);
    const double shortfall = 100.0 - t.pass[0].attenuation;
    ASSERT_GT(shortfall, 1.0);
    EXPECT_DOUBLE_EQ(t.pass[1].target, 140.0 + 0.8 * std::min(shortfall, 30.0));
    EXPECT_DOUBLE_EQ(memory.lastMissDb, shortfall);

    // The next half band would need a larger first correction: it ends at once.
    const double carried = memory.lastMissDb;
    const FilterSpec next = Spec{.type = HalfBand, .f1 = 12000, .ripple = 0.1, .maxCoefs = 31};
    const DesignResult bounded = engine.DesignFilter(next, memory);
    EXPECT_EQ(engine.LastTrace().passes, 1);
    const double firstAttenuation = engine.LastTrace().pass[0].attenuation;
    EXPECT_LT(firstAttenuation, 60.0 - 1.0 - carried);
    EXPECT_EQ(bounded.status, NOT_OPTIMIZED | SPEC_NOT_MET);
    EXPECT_EQ(memory.lastMissDb, carried);

    // The same request with a memory of its own is corrected by its whole first miss.
    HalfBandCorrection fresh;
    engine.DesignFilter(next, fresh);
    ASSERT_GE(engine.LastTrace().passes, 2);
    EXPECT_EQ(engine.LastTrace().pass[0].attenuation, firstAttenuation);
    EXPECT_DOUBLE_EQ(engine.LastTrace().pass[1].target,
                     60.0 + 0.8 * std::min(60.0 - firstAttenuation, 30.0));
}

TEST_F(DesignFilterTest, HalfBandCorrectionIsCappedAt30Db) {
    HalfBandCorrection fresh;
    engine.DesignFilter(Spec{.type = HalfBand,
                             .f1 = 12000,
                             .attenuation = 100,
                             .ripple = 0.1,
                             .maxCoefs = 31},  // 31 taps reach about 57 dB
                        fresh);
    const DesignTrace& t = engine.LastTrace();
    ASSERT_GE(t.passes, 2);
    EXPECT_GT(100.0 - t.pass[0].attenuation, 30.0);
    EXPECT_DOUBLE_EQ(t.pass[1].target, 140.0 + 0.8 * 30.0);
    EXPECT_EQ(fresh.lastMissDb, 30.0);
}

TEST_F(DesignFilterTest, ResponseSizeFollowsTheLength) {
    const std::pair<int, int> cases[] = {{2047, 1025}, {2051, 2049}};
    for (auto [maxCoefs, points] : cases) {
        const DesignResult d =
            Design(Spec{.type = HalfBand, .f1 = 12000, .ripple = 0.1, .maxCoefs = maxCoefs});
        ASSERT_EQ(d.achieved.numCoefs, maxCoefs);
        ASSERT_EQ(d.response.size(), static_cast<std::size_t>(points));
        EXPECT_EQ(d.response[0].frequency, 0.0);
        EXPECT_DOUBLE_EQ(d.response[points - 1].frequency, 24000.0);
    }
}

// The response output and MagnitudeAt agree with a plain DFT written here.
TEST_F(DesignFilterTest, ResponseAgreesWithDirectDft) {
    const FilterSpec cases[] = {
        Spec{.f1 = 6000, .attenuation = 70, .ripple = 0.2, .maxCoefs = 255},
        Spec{.type = BandStop,
             .f1 = 5000,
             .f2 = 9000,
             .attenuation = 50,
             .ripple = 0.5,
             .maxCoefs = 101},
        Spec{.type = HalfBand, .f1 = 12000, .ripple = 0.1, .maxCoefs = 2051}};
    for (const FilterSpec& request : cases) {
        const DesignResult d = Design(request);
        const int n = d.achieved.numCoefs;
        const std::vector<double>& h = d.taps;
        const int points = static_cast<int>(d.response.size());
        const int t = 2 * (points - 1);
        for (int k = 0; k < points; k += 7) {
            const double direct = testing::DftMagnitude(h, k, t);
            if (direct < 1e-5) continue;
            SCOPED_TRACE(::testing::Message() << "type " << request.type << " bin " << k);
            EXPECT_NEAR(d.response[k].level, testing::Db(direct), 1e-6);
            EXPECT_NEAR(MagnitudeAt(h.data(), n, 2.0 * k / t, FLT64), direct, 1e-9);
        }
    }
}

// Unusual input must end with a status or a design, never a hang, a crash or a write past the
// engine's arrays (the sanitizer build checks the last), and a design never reports a negative
// transition width.
TEST_F(DesignFilterTest, UnusualInputEndsCleanly) {
    const FilterSpec cases[] = {
        Spec{.f1 = 0.1, .fs = 0.0},  // fs 0 works as 1.0
        Spec{.f1 = 0.1, .fs = -5.0},
        Spec{.attenuation = 3, .ripple = 2},  // weak target: a short filter
        Spec{.maxCoefs = 2},
        Spec{.maxCoefs = 0},
        Spec{.maxCoefs = -5},

        Spec{.f1 = 24000},  // edge at fs/2
        Spec{.type = HighPass, .f1 = 24000},
        Spec{.type = HighPass, .f1 = 0},
        Spec{.type = BandPass, .f1 = 8000, .f2 = 8000},  // equal edges
        Spec{.type = BandStop, .f1 = 0, .f2 = 24000},
        Spec{.type = BandStop, .f1 = 1, .f2 = 2, .maxCoefs = 1000},  // narrower than any clamp
        Spec{.attenuation = 1e6},
        Spec{.f1 = 1e-300, .fs = 1e-300},
        Spec{.f1 = 1e300, .fs = 1e301},
    };
    for (const FilterSpec& request : cases) {
        const DesignResult d = Design(request);
        SCOPED_TRACE(::testing::Message() << "type " << request.type << " fs " << request.fs
                                          << " f1 " << request.f1 << " max " << request.maxCoefs);
        if (d.status == 0 || (d.status & SPEC_NOT_MET)) {
            EXPECT_GE(d.achieved.numCoefs, 3);
            EXPECT_LE(d.achieved.numCoefs, kMaxDesignCoefs);
            EXPECT_GE(d.achieved.bandwidth, 0.0);
            EXPECT_EQ(d.taps.size(), static_cast<std::size_t>(d.achieved.numCoefs));
        } else {
            EXPECT_TRUE(d.taps.empty());
        }
    }
}

}  // namespace
}  // namespace ondela
