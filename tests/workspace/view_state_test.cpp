// The view of the plots: the ranges a rate allows, when a design keeps the limits shown, the
// logarithmic lower limit at a thousandth of the upper one, and where the cursor goes.
#include "workspace/view_state.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace ondela {
namespace {

TEST(ViewState, TheWholeRangeOfARateRoundsUpToOneDigit) {
    struct Case {
        double fs;
        double linMax;  // fs / 2 rounded up to one significant digit
        double logMax;  // fs rounded up likewise
    };
    const Case cases[] = {
        {48000, 30000, 50000}, {44100, 30000, 50000}, {16000, 8000, 20000}, {96000, 50000, 100000},
        {11025, 6000, 20000},  {8000, 4000, 8000},    {1, 0.5, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fs);
        ViewState view;
        view.linFMin = 123.0;
        view.SetRate(c.fs);
        view.ResetRange();
        EXPECT_EQ(view.nyquist, c.fs / 2);
        EXPECT_EQ(view.linFMin, 0.0);
        EXPECT_EQ(view.linFMax, c.linMax);
        EXPECT_EQ(view.logFMax, c.logMax);
        EXPECT_EQ(view.logFMin, c.logMax / 1000);
    }
}

TEST(ViewState, ADesignKeepsTheLimitsOnlyWhenTheyStillFitAnUnchangedRate) {
    struct Case {
        int keep;
        bool rateChanged;
        double linMax;
        double logMax;
        bool kept;
    };
    // At 48 kHz: half the rate 24000, the whole rate 48000.
    const Case cases[] = {
        {1, false, 20000, 40000, true},   // a zoom set after a design
        {1, false, 24000, 48000, true},   // both at their edge
        {0, false, 20000, 40000, false},  // not set by a design (a Load, a start)
        {1, true, 20000, 40000, false},   // the rate was typed anew
        {1, false, 30000, 40000, false},  // linear beyond half the rate
        {1, false, 20000, 50000, false},  // logarithmic beyond the rate
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.linMax) + " " + std::to_string(c.logMax));
        ViewState view;
        view.SetRate(48000);
        view.keepLimits = c.keep;
        view.linFMax = c.linMax;
        view.logFMax = c.logMax;
        EXPECT_EQ(view.KeepsRange(c.rateChanged), c.kept);
    }
}

TEST(ViewState, CursorForASpecification) {
    struct Case {
        FilterType type;
        double f1;
        double f2;
        double cursor;
    };
    const Case cases[] = {
        {LowPass, 8000, 0, 8000},       {HighPass, 3000, 9000, 3000},
        {HalfBand, 12000, 0, 12000},    {BandPass, 5000, 9000, 7000},
        {BandStop, 8000, 12000, 10000}, {LowPass, 0, 6000, 6000},  // edge 1 missing: edge 2
    };
    for (const Case& c : cases) {
        FilterSpec filter;
        filter.type = c.type;
        filter.f1 = c.f1;
        filter.f2 = c.f2;
        EXPECT_EQ(ViewState::CursorForFilter(filter), c.cursor) << c.type << " " << c.f1;
    }
}

TEST(ViewState, TheCursorStaysWithinTheLowerLimitOfTheScaleShown) {
    struct Case {
        bool log;
        double hz;
        double cursor;
    };
    // Linear from 6000 Hz, logarithmic from 50 Hz.
    const Case cases[] = {
        {false, 9000, 9000}, {false, 1000, 6000}, {false, -5, 6000},
        {true, 1000, 1000},  {true, 10, 50},      {true, -5, 50},
    };
    for (const Case& c : cases) {
        ViewState view;
        view.linFMin = 6000;
        view.linFMax = 12000;
        view.logFMin = 50;
        view.logFMax = 50000;
        view.logScale = c.log;
        EXPECT_EQ(view.CursorWithinRange(c.hz), c.cursor) << c.log << " " << c.hz;
    }
    ViewState fresh;
    EXPECT_EQ(fresh.CursorWithinRange(-1.0), 0.0);
    EXPECT_TRUE(std::isnan(fresh.CursorWithinRange(std::numeric_limits<double>::quiet_NaN())));
}

TEST(ViewState, TypedLimitsAndCursors) {
    struct Case {
        double typed;
        double linearMin;  // with the upper limit at 30000: below 30 Hz reads 0
        double upper;      // at least 0.001 Hz
        double cursor;     // at 48 kHz: 0 up to 24000
    };
    const Case cases[] = {
        {1000, 1000, 1000, 1000},     {30, 30, 30, 30},    {29.9, 0, 29.9, 29.9},
        {0.00005, 0, 0.001, 0.00005}, {-200, 0, 0.001, 0}, {30000, 30000, 30000, 24000},
    };
    ViewState view;
    view.linFMax = 30000;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        EXPECT_EQ(view.TypedLinearMin(c.typed), c.linearMin);
        EXPECT_EQ(ViewState::TypedUpperLimit(c.typed), c.upper);
        EXPECT_EQ(ViewState::CursorWithinRate(c.typed, 48000), c.cursor);
    }
    // Without a sampling frequency the cursor has no upper bound.
    EXPECT_EQ(ViewState::CursorWithinRate(1e6, 0.0), 1e6);
}

TEST(ViewState, UpperLimitsHeldToTheRateAndTheLogLowerLimitFollowing) {
    ViewState view;
    view.SetRate(16000);
    view.linFMin = 100;
    view.linFMax = 30000;
    view.logFMax = 7000;
    view.logFMin = 50;
    view.CapMaxima();
    EXPECT_EQ(view.linFMax, 8000);  // held to 8000
    EXPECT_EQ(view.logFMax, 7000);  // within 20000: stays
    EXPECT_TRUE(view.FollowLogMax());
    EXPECT_EQ(view.logFMin, 7);
    EXPECT_FALSE(view.FollowLogMax());  // already there

    view.logScale = 1;
    EXPECT_EQ(view.LowerLimit(), 7);
    EXPECT_EQ(view.UpperLimit(), 7000);
    view.SetUpperLimit(9000);
    EXPECT_EQ(view.logFMax, 9000);
    EXPECT_EQ(view.linFMax, 8000);

    view.linFMin = 120;
    view.linFMax = 2500;
    view.logFMin = 0.35;
    view.logFMax = 1100;
    view.RoundRange();
    EXPECT_EQ(view.linFMin, 200);
    EXPECT_EQ(view.linFMax, 3000);
    EXPECT_EQ(view.logFMin, 0.4);
    EXPECT_EQ(view.logFMax, 2000);
}

}  // namespace
}  // namespace ondela
