#include "export/fixed_point.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace ondela {
namespace {

constexpr Rounding kNear = Rounding::Nearest;
constexpr Rounding kFloor = Rounding::Floor;

// One value in a given format, with the integer and saturation worked out by hand.
struct GivenCase {
    double value;
    int w;
    int f;
    Rounding rounding;
    int64_t expected;
    bool saturated;
};

TEST(FixedPointTest, ValuesAtAndAroundTheWordLimits) {
    const GivenCase cases[] = {
        // W = 2: integers -2..1. 0.25 * 2 = 0.5 is a tie and goes away from zero.
        {0.25, 2, 1, kNear, 1, false},
        {-0.25, 2, 1, kNear, -1, false},
        {0.25, 2, 1, kFloor, 0, false},
        {-0.25, 2, 1, kFloor, -1, false},
        {0.75, 2, 1, kNear, 1, true},  // 1.5 -> 2, one past the top
        {0.75, 2, 1, kFloor, 1, false},
        {-1.0, 2, 1, kNear, -2, false},  // the bottom is one further out than the top
        {-1.25, 2, 1, kNear, -2, true},  // -2.5 -> -3
        // W = 8, F = 7: integers -128..127.
        {127.0 / 128, 8, 7, kNear, 127, false},
        {1.0, 8, 7, kNear, 127, true},
        {-1.0, 8, 7, kNear, -128, false},
        {126.5 / 128, 8, 7, kNear, 127, false},
        {126.5 / 128, 8, 7, kFloor, 126, false},
        {-126.5 / 128, 8, 7, kNear, -127, false},
        {-126.5 / 128, 8, 7, kFloor, -127, false},
        {-128.5 / 128, 8, 7, kNear, -128, true},
        {-128.5 / 128, 8, 7, kFloor, -128, true},
        {1.5 / 128, 8, 7, kNear, 2, false},
        {-1.5 / 128, 8, 7, kNear, -2, false},
        {1.5 / 128, 8, 7, kFloor, 1, false},
        {1.49 / 128, 8, 7, kNear, 1, false},
        // W = 8 with F outside 0..W-1: F = -2 counts in fours, F = 10 has more fraction bits
        // than the word.
        {100.0, 8, -2, kNear, 25, false},
        {102.0, 8, -2, kNear, 26, false},  // 25.5
        {600.0, 8, -2, kNear, 127, true},
        {0.1, 8, 10, kNear, 102, false},  // 102.4
        // W = 16, F = 15: integers -32768..32767.
        {32767.5 / 32768, 16, 15, kNear, 32767, true},
        {32767.5 / 32768, 16, 15, kFloor, 32767, false},
        {-32767.5 / 32768, 16, 15, kNear, -32768, false},
        {-32767.5 / 32768, 16, 15, kFloor, -32768, false},
        {-32768.5 / 32768, 16, 15, kNear, -32768, true},
        {-32768.5 / 32768, 16, 15, kFloor, -32768, true},
        {0.1, 16, 15, kNear, 3277, false},  // 3276.8
        {-0.1, 16, 15, kFloor, -3277, false},
        {-0.1, 16, 15, kNear, -3277, false},
        {0.1, 16, 15, kFloor, 3276, false},
        // W = 18, F = 17: integers -131072..131071.
        {0.5, 18, 17, kNear, 65536, false},
        {131070.5 / 131072, 18, 17, kNear, 131071, false},
        {131071.5 / 131072, 18, 17, kNear, 131071, true},
        {-131072.5 / 131072, 18, 17, kFloor, -131072, true},
        {-131071.5 / 131072, 18, 17, kNear, -131072, false},
        // W = 24, F = 23: integers -8388608..8388607.
        {8388606.5 / 8388608, 24, 23, kNear, 8388607, false},
        {8388606.5 / 8388608, 24, 23, kFloor, 8388606, false},
        {1.0, 24, 23, kNear, 8388607, true},
        {-1.0, 24, 23, kFloor, -8388608, false},
        {-2.5 / 8388608, 24, 23, kNear, -3, false},
        {-2.5 / 8388608, 24, 23, kFloor, -3, false},
        {2.5 / 8388608, 24, 23, kFloor, 2, false},
        // W = 32, F = 31: integers -2147483648..2147483647.
        {1.0, 32, 31, kNear, 2147483647, true},
        {-1.0, 32, 31, kNear, -2147483648LL, false},
        {2147483646.5 / 2147483648.0, 32, 31, kNear, 2147483647, false},
        {2147483646.5 / 2147483648.0, 32, 31, kFloor, 2147483646, false},
        {-2147483648.5 / 2147483648.0, 32, 31, kNear, -2147483648LL, true},
        {0.5 / 2147483648.0, 32, 31, kNear, 1, false},
        {-0.5 / 2147483648.0, 32, 31, kNear, -1, false},
        {-0.5 / 2147483648.0, 32, 31, kFloor, -1, false},
        {0.5 / 2147483648.0, 32, 31, kFloor, 0, false},
        // Far out of range, and beyond double's range once scaled: clipped, never wrapped.
        {1e300, 32, 128, kNear, 2147483647, true},
        {-1e300, 16, 128, kFloor, -32768, true},
    };
    for (const GivenCase& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.value << " W=" << c.w << " F=" << c.f << " " << RoundingName(c.rounding));
        bool saturated = !c.saturated;
        const int32_t got = QuantiseValue(c.value, {c.w, c.f, c.rounding}, &saturated);
        EXPECT_EQ(got, c.expected);
        EXPECT_EQ(saturated, c.saturated);

        // The same value through the whole-set quantiser counts its saturation.
        const QuantisedCoefs q =
            Quantise(std::vector<double>{c.value, 0.0}, {c.w, c.f, c.rounding});
        ASSERT_EQ(q.values.size(), 2u);
        EXPECT_EQ(q.values[0], c.expected);
        EXPECT_EQ(q.values[1], 0);
        EXPECT_EQ(q.saturated, c.saturated ? 1 : 0);
        EXPECT_EQ(q.format.fracBits, c.f);
    }
}

// Coefficient sets whose automatic fraction bits were worked out by hand: the largest F for
// which neither the largest nor the smallest coefficient leaves the word.
struct AutoCase {
    std::vector<double> coefs;
    int w;
    Rounding rounding;
    int expectedF;
    std::vector<int32_t> expected;
};

TEST(FixedPointTest, AutomaticFractionBitsKeepTheLargestCoefficientInTheWord) {
    const AutoCase cases[] = {
        // 0.4 * 2 = 0.8 -> 1 fits in -2..1; 0.4 * 4 = 1.6 -> 2 does not.
        {{0.4}, 2, kNear, 1, {1}},
        {{0.24, -0.1}, 2, kNear, 2, {1, 0}},  // 0.96 -> 1, -0.4 -> 0; F = 3 gives 1.92 -> 2
        // 0.99 * 128 = 126.72 -> 127 fits.
        {{0.99}, 8, kNear, 7, {127}},
        // 0.998 * 128 = 127.744 rounds out of the word but truncates into it.
        {{0.998}, 8, kNear, 6, {64}},
        {{0.998}, 8, kFloor, 7, {127}},
        // A coefficient of exactly 1 needs one integer bit more than -1 does.
        {{1.0}, 16, kNear, 14, {16384}},
        {{-1.0}, 16, kNear, 15, {-32768}},
        {{0.5, -0.25}, 16, kNear, 15, {16384, -8192}},
        // -0.7 * 2^18 = -183500.8 is below -131072; at F = 17: -91750.4 and 39321.6.
        {{0.3, -0.7}, 18, kNear, 17, {39322, -91750}},
        {{0.3, -0.7}, 18, kFloor, 17, {39321, -91751}},
        // 0.000123 * 2^36 = 8452495.6 is above 8388607; * 2^35 = 4226247.8.
        {{0.000123}, 24, kNear, 35, {4226248}},
        {{0.5, -0.5}, 32, kNear, 31, {1073741824, -1073741824}},
        // Coefficients above the word's integer range get negative fraction bits:
        // 300 / 4 = 75, 300 / 2 = 150 > 127.
        {{300.0}, 8, kNear, -2, {75}},
        // No coefficient to scale: the conventional W - 1.
        {{0.0, 0.0}, 16, kNear, 15, {0, 0}},
    };
    for (const AutoCase& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "first " << c.coefs[0] << " W=" << c.w << " " << RoundingName(c.rounding));
        EXPECT_EQ(LargestFracBits(c.coefs, c.w, c.rounding), c.expectedF);
        const QuantisedCoefs q = Quantise(c.coefs, {c.w, std::nullopt, c.rounding});
        EXPECT_EQ(q.format.wordBits, c.w);
        EXPECT_EQ(q.format.fracBits, c.expectedF);
        EXPECT_EQ(q.values, c.expected);
        EXPECT_EQ(q.saturated, 0);
    }
}

TEST(FixedPointTest, QuantisedValuesAreTheIntegersOverTwoToTheF) {
    const QuantisedCoefs q = Quantise(std::vector<double>{0.1, -0.1, 1.0}, {16, 15, kNear});
    // 3276.8 -> 3277; 1.0 saturates at 32767.
    const std::vector<double> expected = {3277.0 / 32768, -3277.0 / 32768, 32767.0 / 32768};
    EXPECT_EQ(QuantisedValues(q), expected);
    EXPECT_EQ(q.saturated, 1);

    const QuantisedCoefs coarse = Quantise(std::vector<double>{102.0}, {8, -2, kNear});
    EXPECT_EQ(QuantisedValues(coarse), std::vector<double>{104.0});
}

TEST(FixedPointTest, UnusableRequestsAndCoefficientsAreNamed) {
    struct Case {
        FixedPointRequest request;
        bool usable;
    };
    const Case requests[] = {
        {{2, std::nullopt, kNear}, true},       {{32, 31, kFloor}, true},
        {{1, std::nullopt, kNear}, false},      {{33, std::nullopt, kNear}, false},
        {{0, std::nullopt, kNear}, false},      {{16, kMaxFracBits, kNear}, true},
        {{16, kMaxFracBits + 1, kNear}, false}, {{16, kMinFracBits - 1, kNear}, false},
    };
    for (const Case& c : requests) {
        SCOPED_TRACE(c.request.wordBits);
        EXPECT_EQ(FixedPointProblem(c.request).empty(), c.usable);
    }
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_NE(CoefficientProblem(std::vector<double>{}), "");
    EXPECT_NE(CoefficientProblem(std::vector<double>{0.1, nan}).find("1"), std::string::npos);
    EXPECT_NE(CoefficientProblem(std::vector<double>{-inf}), "");
    EXPECT_EQ(CoefficientProblem(std::vector<double>{0.1, -0.2}), "");
    // A value that is no number, quantised anyway, is a saturated 0, never an undefined cast.
    bool saturated = false;
    EXPECT_EQ(QuantiseValue(nan, {16, 15, kNear}, &saturated), 0);
    EXPECT_TRUE(saturated);
}

TEST(FixedPointTest, FormatNames) {
    EXPECT_EQ(FixedPointFormatText({16, 15, kNear}), "16-bit signed, 15 fraction bits (Q1.15)");
    EXPECT_EQ(FixedPointFormatText({18, 17, kNear}), "18-bit signed, 17 fraction bits (Q1.17)");
    EXPECT_EQ(FixedPointFormatText({2, 1, kNear}), "2-bit signed, 1 fraction bit (Q1.1)");
    EXPECT_EQ(FixedPointFormatText({8, -2, kNear}), "8-bit signed, -2 fraction bits");
    EXPECT_EQ(QFormatName({32, 31, kNear}), "Q1.31");
    EXPECT_EQ(QFormatName({24, 20, kNear}), "Q4.20");
    EXPECT_EQ(QFormatName({8, 10, kNear}), "");
}

}  // namespace
}  // namespace ondela
