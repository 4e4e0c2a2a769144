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

struct Designed {
    int status = 0;
    FilterSpec spec;
    std::vector<double> coefs = std::vector<double>(kCoefArraySize, 0.0);
    std::vector<ResponsePoint> response = std::vector<ResponsePoint>(kResponseArraySize);
    int responseCount = 0;
};

Designed Design(DesignEngine& engine, FilterSpec spec) {
    Designed d;
    d.spec = spec;
    d.status = engine.DesignFilter(d.spec, d.coefs.data(), d.response.data(), &d.responseCount);
    return d;
}

class DesignFilterTest : public ::testing::Test {
  protected:
    DesignEngine engine;
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
    for (const FilterSpec& spec : cases) {
        SCOPED_TRACE(::testing::Message() << "type " << spec.type);
        const Designed d = Design(engine, spec);
        EXPECT_EQ(d.status, 0);
        const int n = d.spec.numCoefs;
        ASSERT_GE(n, 3);
        ASSERT_LE(n, spec.maxCoefs);
        EXPECT_EQ(n % 2, 1);
        for (int k = 0; k < n / 2; ++k) ASSERT_EQ(d.coefs[k], d.coefs[n - 1 - k]);
        EXPECT_EQ(d.coefs[n], 0.0);  // nothing written past the filter
        EXPECT_GE(d.spec.attenuation, spec.attenuation - 1.0);
        if (spec.type != HalfBand) {
            EXPECT_LE(d.spec.ripple, spec.ripple * 1.1);
        }
        EXPECT_NEAR(d.spec.f1, spec.f1, 600.0);
        if (HasTwoEdges(spec.type)) {
            EXPECT_NEAR(d.spec.f2, spec.f2, 600.0);
        }
        EXPECT_GT(d.spec.bandwidth, 0.0);
        EXPECT_EQ(d.responseCount, 1025);
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
        Designed d = Design(engine, c.spec);
        EXPECT_EQ(d.status, c.status) << c.what;
        EXPECT_EQ(d.responseCount, 0) << c.what;
    }
}

// The conditioning's changes stay in the record; a type the designer refuses shows them.
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
        FilterSpec s =
            Spec{.type = c.type, .attenuation = c.att, .ripple = c.ripple, .maxCoefs = c.maxCoefs};
        s.bandwidth = 123.0;
        std::vector<double> coefs(kCoefArraySize, 0.0);
        engine.DesignFilter(s, coefs.data(), nullptr, nullptr);
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
        Design(engine, Spec{.type = HalfBand,
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
    const Designed d = Design(
        engine,
        Spec{.type = HalfBand, .f1 = 12000, .attenuation = 70, .ripple = 0.1, .maxCoefs = 63});
    const int n = d.spec.numCoefs;
    ASSERT_EQ(n % 4, 3);
    const int centre = n / 2;
    EXPECT_EQ(d.coefs[centre], 0.5);
    double sum = 0.0;
    for (int k = 0; k < n; ++k) {
        sum += d.coefs[k];
        const int distance = std::abs(k - centre);
        if (distance != 0 && distance % 2 == 0) {
            EXPECT_EQ(d.coefs[k], 0.0) << "tap " << k;
        }
        if (distance % 2 == 1) {
            EXPECT_NE(d.coefs[k], 0.0) << "tap " << k;
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
        const Designed d = Design(engine, entered);
        ASSERT_EQ(d.status & ~SPEC_NOT_MET, 0);
        const std::vector<double> h(d.coefs.begin(), d.coefs.begin() + d.spec.numCoefs);
        const testing::Truth truth = testing::FineMeasure(h, engine.LastTrace().bands);
        EXPECT_NEAR(d.spec.attenuation, truth.attenuation, 0.01);
        EXPECT_NEAR(d.spec.ripple, truth.ripple, 0.01);
        const bool trulyMet =
            truth.attenuation >= entered.attenuation - 1.0 && truth.ripple <= 1.1 * entered.ripple;
        EXPECT_EQ(d.status, trulyMet ? 0 : SPEC_NOT_MET);
    }
}

// DesignAtLength: the bands of the last design at another length of the type, refused without a
// design or at a length the type cannot have; a half band stays a half band.
TEST_F(DesignFilterTest, DesignAtLengthRedesignsTheLastBands) {
    Designed d;
    EXPECT_EQ(engine.DesignAtLength(d.spec, 67, d.coefs.data(), nullptr, nullptr), NOT_POSSIBLE);
    Design(engine,
           Spec{.type = HalfBand, .f1 = 12000, .attenuation = 70, .ripple = 0.1, .maxCoefs = 63});
    const DesignBands bands = engine.LastTrace().bands;
    for (const int n : {2, 65, 69, 4099}) {
        EXPECT_EQ(engine.DesignAtLength(d.spec, n, d.coefs.data(), nullptr, nullptr), NOT_POSSIBLE)
            << n;
    }
    d.status =
        engine.DesignAtLength(d.spec, 67, d.coefs.data(), d.response.data(), &d.responseCount);
    ASSERT_EQ(d.status & ~SPEC_NOT_MET, 0);
    EXPECT_EQ(d.spec.numCoefs, 67);
    EXPECT_GT(d.responseCount, 0);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(engine.LastTrace().bands.edge[i], bands.edge[i]);
    const int centre = 33;
    EXPECT_EQ(d.coefs[centre], 0.5);
    for (int k = 0; k < 67; ++k) {
        const int distance = std::abs(k - centre);
        if (distance != 0 && distance % 2 == 0) {
            EXPECT_EQ(d.coefs[k], 0.0) << "tap " << k;
        }
        EXPECT_EQ(d.coefs[k], d.coefs[66 - k]) << "tap " << k;
    }
    EXPECT_EQ(d.coefs[67], 0.0);
}

TEST_F(DesignFilterTest, ShortLowPassIsAcceptedAfterOneMeasuredPass) {
    const Designed d = Design(engine, Spec{.attenuation = 40, .ripple = 0.5, .maxCoefs = 63});
    EXPECT_EQ(d.status, 0);
    const DesignTrace& t = engine.LastTrace();
    ASSERT_EQ(t.passes, 1);
    EXPECT_TRUE(t.pass[0].measured);
    EXPECT_EQ(t.pass[0].n, 63);
}

TEST_F(DesignFilterTest, LongerFiltersAreAlignedOnceThenMeasured) {
    Design(engine, Spec{});
    const DesignTrace& t = engine.LastTrace();
    ASSERT_GE(t.passes, 2);
    EXPECT_FALSE(t.pass[0].measured);
    for (int i = 1; i < t.passes; ++i) EXPECT_TRUE(t.pass[i].measured);
}

TEST_F(DesignFilterTest, WidthGrowsWhenTheLengthLimitIsReached) {
    // 40 dB is out of reach with 21 taps at the first width: the width grows by 1.2.
    Design(engine, Spec{.attenuation = 40, .ripple = 0.1, .maxCoefs = 21});
    const DesignTrace& t = engine.LastTrace();
    ASSERT_GE(t.passes, 2);
    EXPECT_EQ(t.pass[0].n, 21);
    EXPECT_LT(t.pass[0].attenuation, 39.0);
    EXPECT_EQ(t.pass[1].n, 21);
    EXPECT_DOUBLE_EQ(t.pass[1].halfWidth, 1.2 * t.pass[0].halfWidth);
}

TEST_F(DesignFilterTest, FallbackRebuildsThePreviousDesign) {
    const Designed d = Design(engine, Spec{.attenuation = 40, .ripple = 1.0});
    const DesignTrace& t = engine.LastTrace();
    ASSERT_GE(t.passes, 3);
    const DesignPassRecord& last = t.pass[t.passes - 1];
    const DesignPassRecord& narrowed = t.pass[t.passes - 2];
    const DesignPassRecord& before = t.pass[t.passes - 3];
    EXPECT_LT(narrowed.halfWidth, before.halfWidth);  // narrowing missed the ripple target
    EXPECT_GT(narrowed.ripple, 1.1);
    EXPECT_EQ(last.n, before.n);
    EXPECT_EQ(last.halfWidth, before.halfWidth);
    EXPECT_EQ(d.spec.numCoefs, before.n);
    EXPECT_EQ(d.status, 0);
}

TEST_F(DesignFilterTest, ImpossibleLengthEstimateTwiceIsNotPossible) {
    const Designed d = Design(engine, Spec{.f1 = 3000, .ripple = 0.1, .maxCoefs = 21});
    EXPECT_EQ(d.status, NOT_POSSIBLE);
    EXPECT_EQ(engine.LastTrace().passes, 0);
    EXPECT_EQ(engine.LastTrace().restarts, 1);
    EXPECT_EQ(d.responseCount, 0);
}

// Each half-band restart raises the internal target by 0.8 of the (at most 30 dB) shortfall,
// and the correction never grows within a call or from one call to the next.
TEST_F(DesignFilterTest, HalfBandTargetCorrection) {
    Design(engine,
           Spec{.type = HalfBand, .f1 = 12000, .attenuation = 100, .ripple = 0.1, .maxCoefs = 63});
    const DesignTrace& t = engine.LastTrace();
    ASSERT_GE(t.passes, 2);
    EXPECT_EQ(t.restarts, t.passes - 1);
    EXPECT_DOUBLE_EQ(t.pass[0].target, 140.0);
    const double shortfall = 100.0 - t.pass[0].attenuation;
    ASSERT_GT(shortfall, 1.0);
    EXPECT_DOUBLE_EQ(t.pass[1].target, 140.0 + 0.8 * std::min(shortfall, 30.0));
    EXPECT_DOUBLE_EQ(engine.lastCorrection(), shortfall);

    // The next half band would need a larger first correction: it ends at once.
    const double carried = engine.lastCorrection();
    const Designed next =
        Design(engine, Spec{.type = HalfBand, .f1 = 12000, .ripple = 0.1, .maxCoefs = 31});
    EXPECT_EQ(engine.LastTrace().passes, 1);
    EXPECT_LT(engine.LastTrace().pass[0].attenuation, 60.0 - 1.0 - carried);
    EXPECT_EQ(next.status, NOT_OPTIMIZED | SPEC_NOT_MET);
    EXPECT_EQ(engine.lastCorrection(), carried);
}

TEST_F(DesignFilterTest, HalfBandCorrectionIsCappedAt30Db) {
    DesignEngine fresh;
    Design(fresh, Spec{.type = HalfBand,
                       .f1 = 12000,
                       .attenuation = 100,
                       .ripple = 0.1,
                       .maxCoefs = 31});  // 31 taps reach about 57 dB
    const DesignTrace& t = fresh.LastTrace();
    ASSERT_GE(t.passes, 2);
    EXPECT_GT(100.0 - t.pass[0].attenuation, 30.0);
    EXPECT_DOUBLE_EQ(t.pass[1].target, 140.0 + 0.8 * 30.0);
    EXPECT_EQ(fresh.lastCorrection(), 30.0);
}

TEST_F(DesignFilterTest, ResponseSizeFollowsTheLength) {
    const std::pair<int, int> cases[] = {{2047, 1025}, {2051, 2049}};
    for (auto [maxCoefs, points] : cases) {
        const Designed d = Design(
            engine, Spec{.type = HalfBand, .f1 = 12000, .ripple = 0.1, .maxCoefs = maxCoefs});
        ASSERT_EQ(d.spec.numCoefs, maxCoefs);
        ASSERT_EQ(d.responseCount, points);
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
    for (const FilterSpec& spec : cases) {
        const Designed d = Design(engine, spec);
        const int n = d.spec.numCoefs;
        const std::vector<double> h(d.coefs.begin(), d.coefs.begin() + n);
        const int t = 2 * (d.responseCount - 1);
        for (int k = 0; k < d.responseCount; k += 7) {
            const double direct = testing::DftMagnitude(h, k, t);
            if (direct < 1e-5) continue;
            SCOPED_TRACE(::testing::Message() << "type " << spec.type << " bin " << k);
            EXPECT_NEAR(d.response[k].level, testing::Db(direct), 1e-6);
            EXPECT_NEAR(MagnitudeAt(h.data(), n, 2.0 * k / t, FLT64), direct, 1e-9);
        }
    }
}

// Unusual input must end with a status or a design, never a hang, a crash or a write past the
// caller's arrays (the sanitizer build checks the last), and a design never reports a negative
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
    for (const FilterSpec& spec : cases) {
        Designed d = Design(engine, spec);
        SCOPED_TRACE(::testing::Message() << "type " << spec.type << " fs " << spec.fs << " f1 "
                                          << spec.f1 << " max " << spec.maxCoefs);
        if (d.status == 0 || (d.status & SPEC_NOT_MET)) {
            EXPECT_GE(d.spec.numCoefs, 3);
            EXPECT_LE(d.spec.numCoefs, kMaxDesignCoefs);
            EXPECT_GE(d.spec.bandwidth, 0.0);
            for (int k = d.spec.numCoefs; k < kCoefArraySize; ++k) ASSERT_EQ(d.coefs[k], 0.0);
        }
    }
}

}  // namespace
}  // namespace ondela
