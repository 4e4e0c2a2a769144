// What the plots show of the current filter: the scale of the frequency axis, the display limits
// of both scales, the level axis and the cursor frequency. One value, held by the workspace; the
// window's fields, the command line's plot and the plot's preparation change it through the
// operations below, and the drawing of the plots only reads it.
//
// Each scale keeps its own limits, so switching scales restores what the other one showed. The
// linear axis may start anywhere below its upper limit; the logarithmic axis always spans three
// decades, its lower limit following its upper one at a thousandth. Neither upper limit goes
// beyond what the sampling frequency allows: half of it (linear) or all of it (logarithmic),
// rounded up to one significant digit.
#pragma once

#include <cstdint>

#include "engine/filter_spec.h"

namespace ondela {

struct ViewState {
    // The lowest upper limit, Hz; and the smallest frequency a limit field shows.
    static constexpr double kLowestUpperLimit = 0.001;
    static constexpr double kSmallestShown = 0.0001;

    double nyquist = 0.0;  // half the sampling frequency the limits go with
    double linFMin = 0.0;
    double linFMax = 0.0;
    double logFMin = 0.0;
    double logFMax = 0.0;
    double dbTop = 0.0;
    double dbBottom = -120.0;
    double cursorHz = 0.0;   // the cursor frequency as the cursor field last gave it
    int32_t logScale = 0;    // the frequency axis is logarithmic
    int32_t keepLimits = 0;  // the limits were set by a successful design and survive the next

    bool operator==(const ViewState&) const = default;

    // The lower limit of the logarithmic axis that goes with its upper limit max.
    static double LogMinFor(double max) { return max / 1000.0; }
    // The cursor frequency that goes with a specification: the middle of the band for band
    // filters, else edge 1 (edge 2 when edge 1 is missing).
    static double CursorForFilter(const FilterSpec& spec);

    // The limits will go with sampling frequency fs.
    void SetRate(double fs) { nyquist = fs / 2.0; }
    // The highest upper limits the rate allows: half the sampling frequency (linear) and the
    // sampling frequency (logarithmic), each rounded up to one significant digit.
    double LinearCap() const;
    double LogCap() const;
    // Both scales show the whole range the rate allows.
    void ResetRange();
    // Whether a design at the current rate keeps the limits shown (they were set by a design, the
    // rate did not change and both still lie within it) rather than showing the whole range.
    bool KeepsRange(bool rateChanged) const;
    // Every limit rounded up to one significant digit.
    void RoundRange();
    // Both upper limits held to the caps of the rate.
    void CapMaxima();
    // The logarithmic lower limit set from the upper one; true when it changed.
    bool FollowLogMax();

    // The limits of the scale shown.
    double LowerLimit() const { return logScale ? logFMin : linFMin; }
    double UpperLimit() const { return logScale ? logFMax : linFMax; }
    void SetUpperLimit(double hz) { (logScale ? logFMax : linFMax) = hz; }
    // For an upper limit of the scale shown beyond the rate (half the sampling frequency, or all
    // of it), the cap it is pulled back to, into fitted; false when it is not beyond (or there is
    // no rate) and stays.
    bool FitUpperLimit(double& fitted) const;

    // A typed lower limit of the linear axis: 0 below the smallest shown frequency or a
    // thousandth of the upper limit.
    double TypedLinearMin(double hz) const;
    // A typed upper limit: at least the lowest upper limit.
    static double TypedUpperLimit(double hz);

    // A cursor frequency as the cursor field takes it: never below 0 nor below the lower limit.
    double CursorWithinRange(double hz) const;
    // A typed cursor frequency: not negative, and at most half the sampling frequency fs when
    // there is one.
    static double CursorWithinRate(double hz, double fs);
};

}  // namespace ondela
