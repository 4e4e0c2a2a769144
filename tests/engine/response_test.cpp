#include "engine/response.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <complex>
#include <cstdint>
#include <limits>
#include <numbers>
#include <vector>

#include "tests/engine/test_filters.h"

namespace ondela {
namespace {

using testing::Db;
using testing::DftMagnitude;
using testing::WindowedSincLowPass;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(Quantise, TruncatesAndWrapsAsTheIntegerFormatsDo) {
    struct Case {
        double v;
        int32_t q32;
        int16_t q16;
    };
    const Case cases[] = {
        {1.0, 2147483647, 32767},     {-1.0, -2147483647, -32767},
        {0.5, 1073741823, 16383},     {-0.00001, -21474, 0},
        {0.99999, 2147462172, 32766}, {1.5, INT32_MIN, -16386},  // q16 product 49150 wraps
        {-1.5, INT32_MIN, 16386},     {2.0, INT32_MIN, -2},
        {1e10, INT32_MIN, 0},  // q16 product beyond 32 bits becomes INT32_MIN, low bits 0
        {kNaN, INT32_MIN, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.v);
        EXPECT_EQ(QuantiseInt32(c.v), c.q32);
        EXPECT_EQ(QuantiseInt16(c.v), c.q16);
    }
}

TEST(Quantise, RoundsToNearestFloatWithTiesToEven) {
    EXPECT_EQ(RoundToFloat(0.1), static_cast<double>(0.1f));
    EXPECT_EQ(RoundToFloat(1.0 + 0x1p-24), 1.0);                // tie, even mantissa below
    EXPECT_EQ(RoundToFloat(1.0 + 3 * 0x1p-24), 1.0 + 0x1p-22);  // tie, even mantissa above
    EXPECT_EQ(RoundToFloat(0x1.fffffe8p127), static_cast<double>(FLT_MAX));
    EXPECT_EQ(RoundToFloat(-1e300), -HUGE_VAL);
}

TEST(Quantise, EvaluatedValueScalesIntegersByPowersOfTwo) {
    struct Case {
        double v;
        int format;
        double expected;
    };
    const Case cases[] = {
        {0.1, FLT64, 0.1},
        {0.1, FLT32, static_cast<double>(0.1f)},
        {1.0, INT32, 2147483647.0 / 2147483648.0},
        {1.0, INT16, 32767.0 / 32768.0},
        {0.5, INT16, 16383.0 / 32768.0},
        {1.5, INT16, -16386.0 / 32768.0},
        {0.1, 4, 0.0},
        {0.1, -1, 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.v << " format " << c.format);
        EXPECT_EQ(EvaluatedValue(c.v, c.format), c.expected);
    }
}

TEST(MagnitudeAt, OneTapGivesItsQuantisedValueAtEveryFrequency) {
    struct Case {
        double v;
        int format;
        double expected;
    };
    const Case cases[] = {
        {1.0, FLT64, 1.0},
        {0.1, FLT32, static_cast<double>(0.1f)},
        {1.0, INT32, 2147483647.0 / 2147483648.0},
        {1.0, INT16, 32767.0 / 32768.0},
        {1.5, INT16, 16386.0 / 32768.0},
    };
    for (const Case& c : cases) {
        for (double x : {0.0, 0.3, 1.0}) {
            SCOPED_TRACE(::testing::Message() << c.v << " format " << c.format << " x " << x);
            EXPECT_DOUBLE_EQ(MagnitudeAt(&c.v, 1, x, c.format), c.expected);
        }
    }
}

TEST(MagnitudeAt, FloorForNoResponseAndZeroForUnknownFormat) {
    const std::vector<double> zeros(7, 0.0);
    const std::vector<double> lowPass = WindowedSincLowPass(21, 0.1);
    for (double x : {0.0, 0.5, 1.0}) {
        EXPECT_EQ(MagnitudeAt(zeros.data(), 7, x, FLT64), 1e-12);
        EXPECT_EQ(MagnitudeAt(zeros.data(), 7, x, INT16), 1e-12);
        EXPECT_EQ(MagnitudeAt(lowPass.data(), 0, x, FLT64), 1e-12);
        EXPECT_EQ(MagnitudeAt(nullptr, 5, x, FLT64), 1e-12);
        EXPECT_EQ(MagnitudeAt(lowPass.data(), 21, x, 4), 0.0);
        EXPECT_EQ(MagnitudeAt(lowPass.data(), 21, x, -1), 0.0);
    }
}

TEST(MagnitudeAt, QuantisesBeforeSumming) {
    // 1.5 wraps to a negative INT16 coefficient; the other taps do not.
    const double coefs[] = {0.25, 1.5, 0.25};
    const double q = -16386.0 / 32768.0;
    const double quarter = 8191.0 / 32768.0;  // trunc(0.25 * 32767) / 2^15
    EXPECT_NEAR(MagnitudeAt(coefs, 3, 0.0, INT16), std::fabs(2 * quarter + q), 1e-15);
    EXPECT_NEAR(MagnitudeAt(coefs, 3, 0.0, FLT64), 2.0, 1e-15);
}

// The several-frequency evaluation gives exactly the one-frequency value at every point, in every
// format, for point counts that do and do not fill its groups, and for the degenerate inputs.
TEST(MagnitudesAt, EqualsMagnitudeAtPointByPoint) {
    std::vector<double> lowPass = WindowedSincLowPass(63, 0.1);
    lowPass[5] = 1.5;  // wraps in INT16
    for (int points : {1, 3, 4, 7, 64}) {
        std::vector<double> x(points);
        for (int i = 0; i < points; ++i) x[i] = 1.03 * i / points;
        for (int format : {0, 1, 2, 3, 4, -1}) {  // FLT64 .. INT16, then unknown formats
            for (const double* coefs : {static_cast<const double*>(lowPass.data()),
                                        static_cast<const double*>(nullptr)}) {
                SCOPED_TRACE(::testing::Message() << points << " points, format " << format);
                std::vector<double> out(points, -1.0);
                MagnitudesAt(coefs, 63, x.data(), points, out.data(), format);
                for (int i = 0; i < points; ++i) {
                    EXPECT_EQ(out[i], MagnitudeAt(coefs, 63, x[i], format)) << "point " << i;
                }
            }
        }
    }
}

TEST(Fft, ImpulseGivesRotatingPhasorWithPositiveExponent) {
    constexpr int m = 4;
    constexpr int n = 1 << m;
    for (int p : {0, 1, 5, 15}) {
        Complex points[n] = {};
        points[p] = Complex{1.0, 0.0};
        Fft(points, m);
        for (int k = 0; k < n; ++k) {
            const std::complex<double> expected =
                std::polar(1.0, 2.0 * std::numbers::pi * ((k * p) % n) / n);
            SCOPED_TRACE(::testing::Message() << "impulse at " << p << ", bin " << k);
            EXPECT_NEAR(points[k].re, expected.real(), 1e-12);
            EXPECT_NEAR(points[k].im, expected.imag(), 1e-12);
        }
    }
}

// Fills the half response (centre last) of a full symmetric set.
std::vector<double> HalfOf(const std::vector<double>& h) {
    return std::vector<double>(h.begin(), h.begin() + (h.size() + 1) / 2);
}

class FftResponseTest : public ::testing::Test {
  protected:
    std::vector<Complex> buffer = std::vector<Complex>(4096, Complex{1e3, -1e3});
    std::vector<ResponsePoint> response =
        std::vector<ResponsePoint>(kMaxResponsePoints, ResponsePoint{7.0, 7.0});
};

TEST_F(FftResponseTest, SizeFollowsLengthAndAxisRunsFromZeroToHalfRate) {
    struct Case {
        int n;
        double fsE;
        int points;
    };
    const Case cases[] = {{3, 1.0, 1025},
                          {2047, 1.0, 1025},
                          {2049, 1.0, 2049},
                          {2049, 44100.0, 2049},
                          {4095, 3.0, 2049}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "n " << c.n << " fsE " << c.fsE);
        std::fill(response.begin(), response.end(), ResponsePoint{7.0, 7.0});
        const std::vector<double> half = HalfOf(WindowedSincLowPass(c.n, 0.2));
        const int count = FftResponse(half.data(), static_cast<int>(half.size()), c.n, c.fsE,
                                      buffer.data(), response.data());
        ASSERT_EQ(count, c.points);
        EXPECT_EQ(response[0].frequency, 0.0);
        EXPECT_EQ(response[count - 1].frequency, c.fsE / 2);
        EXPECT_NEAR(response[0].level, 0.0, 1e-9);  // unit gain at 0 Hz
        for (int k = count; k < kMaxResponsePoints; ++k) {
            ASSERT_EQ(response[k].frequency, 0.0) << k;
            ASSERT_EQ(response[k].level, 0.0) << k;
        }
    }
}

TEST_F(FftResponseTest, ExactZeroIsMinus120AndMagnitudeFloorIsMinus240) {
    // 0.5, 1, 0.5 has |H| = 1 + cos(w): an exact zero at the Nyquist frequency.
    const double half[] = {0.5, 1.0};
    const int count = FftResponse(half, 2, 3, 1.0, buffer.data(), response.data());
    EXPECT_EQ(response[count - 1].level, -120.0);
    const double coefs[] = {0.5, 1.0, 0.5};
    EXPECT_EQ(Db(MagnitudeAt(coefs, 3, 1.0, FLT64)), -240.0);
}

// FftResponse and MagnitudeAt against a directly summed DFT, for low passes on both sides of the
// 2048-point limit.
TEST_F(FftResponseTest, AgreesWithDirectDftAndGoertzel) {
    for (int n : {31, 255, 2047, 2501}) {
        SCOPED_TRACE(::testing::Message() << "n " << n);
        const std::vector<double> h = WindowedSincLowPass(n, 0.1);
        const std::vector<double> half = HalfOf(h);
        const int count = FftResponse(half.data(), static_cast<int>(half.size()), n, 1.0,
                                      buffer.data(), response.data());
        const int t = 2 * (count - 1);
        int compared = 0;
        for (int k = 0; k < count; ++k) {
            const double reference = DftMagnitude(h, k, t);
            const double x = 2.0 * k / t;
            ASSERT_NEAR(MagnitudeAt(h.data(), n, x, FLT64), reference, 1e-9) << "bin " << k;
            if (Db(reference) < -100.0) continue;
            ++compared;
            ASSERT_NEAR(response[k].level, Db(reference), 1e-6) << "bin " << k;
        }
        EXPECT_GT(compared, count / 5);  // at least the pass band and the transition
    }
}

}  // namespace
}  // namespace ondela
